#pragma once

#include <QWidget>

namespace platform {
struct PreviewContent;
}

// The preview of anything that is neither an image, a text nor a readable folder: a centred card with
// the content type's icon, the name, the kind, the size, the modification date and "Open". For a
// missing item the card says it is no longer there, and "Open" is disabled.
class InfoPage : public QWidget {
    Q_OBJECT
  public:
    explicit InfoPage(const platform::PreviewContent& content, QWidget* parent = nullptr);
};
