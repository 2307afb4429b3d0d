#pragma once

#include <QPlainTextEdit>
#include <QString>

#include <vector>

class QFontMetricsF;

namespace inspector {

// A path laid out in at most two lines: the text shown, and for each cursor position in it the
// position of the path it stands for. The line break stands for nothing and the "…" for the cut
// middle, so a selection of all of the lines stands for the whole path.
struct PathLines {
    QString text;
    std::vector<qsizetype> positions; // text.size() + 1 entries, rising

    // The part of `path` that the shown text from `from` to `to` stands for.
    QString section(const QString& path, qsizetype from, qsizetype to) const;
};

// The path in at most two lines, cut in the middle when longer, selectable. A selection copies the
// part of the path it covers, not the lines: all of them give the whole path, without the break and
// with the middle that the "…" stands for. Control characters show as U+FFFD but are copied as they are.
class PathLabel : public QPlainTextEdit {
  public:
    explicit PathLabel(QWidget* parent = nullptr);

    void setPath(const QString& path);
    QString path() const { return path_; }

    // Breaks `text` over two lines at any character; what does not fit is cut from the middle.
    static PathLines twoLines(const QString& text, const QFontMetricsF& metrics, double width);

  protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    QMimeData* createMimeDataFromSelection() const override;

  private:
    void layoutText();
    void applyTheme();

    QString path_;
    PathLines lines_;
};

} // namespace inspector
