#pragma once

#include <QLabel>
#include <QString>

class QFontMetricsF;

namespace inspector {

// The path in at most two lines, cut in the middle when longer, selectable.
class PathLabel : public QLabel {
  public:
    explicit PathLabel(QWidget* parent = nullptr);

    void setPath(const QString& path);

    // Breaks the path over two lines at any character; what does not fit is cut from the middle.
    static QString twoLines(const QString& text, const QFontMetricsF& metrics, double width);

  protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void layoutText();
    void applyTheme();

    QString path_;
};

} // namespace inspector
