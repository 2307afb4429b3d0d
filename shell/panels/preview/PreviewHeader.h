#pragma once

#include <QString>
#include <QWidget>

namespace platform {
struct PreviewContent;
}

// The symbol the preview shows for its item: a folder, else the file's category by its name.
QString previewSymbol(const platform::PreviewContent& content);

// The strip above a preview page: the item's symbol, name and kind (a folder's with its item count)
// and "Open", on the panel colour with a divider under it. While the content is still loading it
// shows the name alone.
class PreviewHeader : public QWidget {
    Q_OBJECT
  public:
    PreviewHeader(const platform::PreviewContent& content, bool loaded, QWidget* parent = nullptr);

  protected:
    void paintEvent(QPaintEvent* event) override;
};
