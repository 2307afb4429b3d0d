#include "tools/monitor/ProcessTable.h"

#include "shell/controls/Divider.h"
#include "shell/controls/SegmentStrip.h"
#include "shell/controls/ThemedLabel.h"
#include "shell/controls/ThemedLineEdit.h"
#include "shell/lists/ListView.h"
#include "shell/lists/RowDelegate.h"
#include "shell/style/Fonts.h"
#include "shell/style/Formatters.h"
#include "shell/style/Shapes.h"
#include "shell/style/SmoothPainter.h"
#include "shell/style/Symbols.h"
#include "shell/style/Theme.h"
#include "tools/monitor/TextButton.h"

#include <QHBoxLayout>
#include <QLineEdit>

namespace monitor {
namespace {

constexpr int kRowHeight = 26;
constexpr int kRowPitch = kRowHeight + 1; // a row and the line under it
constexpr double kColumnSpacing = 8;

QFont headerFont() {
    return fonts::ui(10.5, QFont::DemiBold);
}

// A number right-aligned in its column: numbers fit, so unlike a name it is never cut.
void paintNumber(QPainter& painter, const QRectF& rect, const QString& text, const QFont& font,
                 const QColor& color) {
    const QFontMetricsF metrics(font);
    painter.setFont(font);
    painter.setPen(color);
    painter.drawText(QPointF(rect.right() - metrics.horizontalAdvance(text),
                             rect.center().y() + (metrics.ascent() - metrics.descent()) / 2),
                     text);
}

// One process: name, pid, processor share and resident memory, with a faint line under it.
class ProcessRowDelegate : public RowDelegate {
  public:
    ProcessRowDelegate() : RowDelegate(kRowPitch) {}

  protected:
    void paintRow(QPainter& painter, const RowState& row, const QModelIndex& index) const override {
        const Theme& t = theme();
        const SystemMonitor::ProcessStat& p = ProcessTable::Model::at(index);
        const QRectF cells(row.rect.left(), row.rect.top(), row.rect.width(), kRowHeight);
        const ProcessColumns c = ProcessColumns::of(cells);
        ThemedLabel::paintLine(painter, c.name, index.data().toString(), nameFont_, t.text);
        paintNumber(painter, c.pid, QString::number(p.pid), numberFont_, t.textTertiary);
        paintNumber(painter, c.cpu, QString::asprintf("%.1f%%", p.cpuPercent), cpuFont_, t.text);
        paintNumber(painter, c.memory, formatBytes(p.memoryBytes), numberFont_, t.textSecondary);
        QColor line = t.divider;
        line.setAlphaF(line.alphaF() * 0.6f);
        painter.fillRect(QRectF(row.rect.left(), cells.bottom(), row.rect.width(), 1), line);
    }

  private:
    const QFont nameFont_ = fonts::ui(12.5, QFont::Medium);
    const QFont numberFont_ = fonts::ui(12);
    const QFont cpuFont_ = fonts::ui(12, QFont::DemiBold);
};

// The column titles over the rows.
class ColumnHeader : public QWidget {
  public:
    explicit ColumnHeader(QWidget* parent) : QWidget(parent) {
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        setFixedHeight(2 + int(std::ceil(QFontMetricsF(headerFont()).height())));
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        SmoothPainter painter(this);
        const QColor color = theme().textTertiary;
        const QFont font = headerFont();
        const ProcessColumns c = ProcessColumns::of(QRectF(0, 2, width(), height() - 2));
        ThemedLabel::paintLine(painter, c.name, QStringLiteral("PROCESS"), font, color);
        ThemedLabel::paintLine(painter, c.pid, QStringLiteral("PID"), font, color, Qt::AlignRight);
        ThemedLabel::paintLine(painter, c.cpu, QStringLiteral("CPU"), font, color, Qt::AlignRight);
        ThemedLabel::paintLine(painter, c.memory, QStringLiteral("MEMORY"), font, color, Qt::AlignRight);
    }
};

// The sort buttons on a chip capsule.
class SortPicker : public QWidget {
  public:
    SortPicker(SegmentStrip* strip, QWidget* parent) : QWidget(parent) {
        auto* layout = new QHBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        strip->setParent(this);
        layout->addWidget(strip);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        SmoothPainter painter(this);
        painter.fillPath(shapes::capsule(QRectF(rect())), theme().chip);
    }
};

SegmentStrip* sortStrip() {
    SegmentStrip::Style style;
    style.height = kRowHeight;
    style.spacing = 2;
    style.inset = 2;
    style.titleSize = 11.5;
    style.selectedWeight = QFont::DemiBold;
    style.normalWeight = QFont::DemiBold;
    style.padSelected = 10;
    style.padNormal = 10;
    style.glide = false;
    return new SegmentStrip({{{}, process_table::sortTitle(ProcessSort::cpu), {}},
                             {{}, process_table::sortTitle(ProcessSort::memory), {}}},
                            style, SegmentStrip::Titles::all);
}

} // namespace

ProcessColumns ProcessColumns::of(const QRectF& row) {
    ProcessColumns c;
    double right = row.right();
    auto column = [&](double width) {
        QRectF r(right - width, row.top(), width, row.height());
        right -= width + kColumnSpacing;
        return r;
    };
    c.memory = column(90);
    c.cpu = column(70);
    c.pid = column(70);
    c.name = QRectF(row.left(), row.top(), std::max(0.0, right + kColumnSpacing - row.left()), row.height());
    return c;
}

ProcessFilterField::ProcessFilterField(QWidget* parent) : QWidget(parent) {
    setFixedHeight(kRowHeight);
    setMaximumWidth(200);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setCursor(Qt::IBeamCursor);
    edit_ = new ThemedLineEdit(QStringLiteral("Filter processes"), fonts::ui(12), this);
    setFocusProxy(edit_);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(9 + int(std::ceil(symbols::size("magnifyingglass", 10.5).width())) + 6, 0, 9,
                               0);
    layout->addWidget(edit_);
}

void ProcessFilterField::paintEvent(QPaintEvent*) {
    SmoothPainter painter(this);
    const Theme& t = theme();
    shapes::fill(painter, QRectF(rect()), 7, t.chip);
    const QSizeF glass = symbols::size("magnifyingglass", 10.5);
    symbols::paint(painter, QRectF(9, 0, glass.width(), height()), QStringLiteral("magnifyingglass"), 10.5,
                   t.textTertiary);
}

} // namespace monitor

ProcessTable::ProcessTable(QWidget* parent) : MonitorCard(parent) {
    // Heading: the order and how many processes the sample measured.
    auto* headingRow = new QWidget(this);
    auto* headingLayout = new QHBoxLayout(headingRow);
    headingLayout->setContentsMargins(0, 0, 0, 0);
    QFont headingFont = fonts::ui(11, QFont::DemiBold);
    headingFont.setLetterSpacing(QFont::AbsoluteSpacing, 1.1);
    heading_ = new ThemedLabel({}, headingFont, &Theme::textTertiary, Qt::ElideRight, headingRow);
    count_ = new ThemedLabel({}, fonts::ui(11), &Theme::textTertiary, Qt::ElideNone, headingRow);
    headingLayout->addWidget(heading_, 1);
    headingLayout->addWidget(count_);

    auto* controls = new QWidget(this);
    auto* controlsLayout = new QHBoxLayout(controls);
    controlsLayout->setContentsMargins(0, 0, 0, 0);
    controlsLayout->setSpacing(10);
    picker_ = monitor::sortStrip();
    controlsLayout->addWidget(new monitor::SortPicker(picker_, controls));
    filter_ = new monitor::ProcessFilterField(controls);
    controlsLayout->addWidget(filter_, 1);
    controlsLayout->addStretch(1);
    connect(picker_, &SegmentStrip::activated, this,
            [this](int index) { setSort(index == 0 ? ProcessSort::cpu : ProcessSort::memory); });
    connect(filter_->lineEdit(), &QLineEdit::textChanged, this, &ProcessTable::setSearch);

    list_ = new ListView(new monitor::ProcessRowDelegate, this);
    list_->setFitsRows(true);
    list_->setFocusPolicy(Qt::NoFocus);
    // The rows change on every sample: drawn on their own card-coloured ground, the card and the page
    // behind them are not redrawn each time.
    list_->setGround(&Theme::card);
    rows_ = new Model(&process_table::shownName, list_); // what the rows paint
    list_->setModel(rows_);

    empty_ =
        new ThemedLabel(QStringLiteral("No matching processes"), fonts::ui(12), &Theme::textTertiary, this);
    empty_->setAlignment(Qt::AlignCenter);
    empty_->setFixedHeight(40);

    toggle_ = new TextButton(
        11, 4, [this] { toggleExpanded(); }, this);

    add(headingRow);
    add(controls);
    add(new monitor::ColumnHeader(this));
    add(new Divider(Qt::Horizontal, this));
    add(list_);
    add(empty_);
    add(toggle_);
    glide_ = std::make_unique<HeightGlide>(list_);
    refresh();
}

void ProcessTable::setSnapshot(const SystemMonitor::Snapshot& snapshot) {
    snapshot_ = snapshot;
    refresh();
}

void ProcessTable::setSort(ProcessSort sort) {
    if (sort == sort_) return;
    sort_ = sort;
    picker_->setSelected(sort == ProcessSort::cpu ? 0 : 1);
    refresh();
}

void ProcessTable::setSearch(const QString& search) {
    if (search == search_) return;
    search_ = search;
    if (filter_->lineEdit()->text() != search) filter_->lineEdit()->setText(search);
    refresh();
}

void ProcessTable::toggleExpanded() {
    const int from = list_->height();
    const int shownBefore = rows_->rowCount();
    expanded_ = !expanded_;
    collapsing_ = !expanded_;
    refresh();
    // Rows are all one height: the list's height for the rows it will show.
    const int shownAfter = int(process_table::shownRowCount(visible_.size(), expanded_));
    const int to = expanded_ ? list_->sizeHint().height()
                             : list_->sizeHint().height() - (shownBefore - shownAfter) * monitor::kRowPitch;
    glide_->glide(from, to, [this] {
        collapsing_ = false;
        refresh();
    });
}

void ProcessTable::refresh() {
    using namespace process_table;
    heading_->setText(QStringLiteral("TOP PROCESSES BY ") + sortTitle(sort_).toUpper());
    count_->setText(QStringLiteral("%1 shown").arg(snapshot_.processCount));
    visible_ = visibleProcesses(snapshot_, sort_, search_);
    const size_t shown = shownRowCount(visible_.size(), expanded_ || collapsing_);
    rows_->setRows(
        std::vector<SystemMonitor::ProcessStat>(visible_.begin(), visible_.begin() + std::ptrdiff_t(shown)));
    list_->setVisible(shown > 0);
    empty_->setVisible(visible_.empty());
    toggle_->setTitle(toggleTitle(visible_.size(), expanded_));
    toggle_->setVisible(hasToggle(visible_.size()));
}
