#include "shell/panels/TopBar.h"

#include "model/CleanupQueue.h"
#include "model/ScanViewModel.h"
#include "shell/controls/Buttons.h"
#include "shell/controls/Divider.h"
#include "shell/controls/SegmentStrip.h"
#include "shell/panels/Breadcrumb.h"
#include "shell/panels/FilterField.h"
#include "shell/panels/QueuePopover.h"
#include "shell/style/Fonts.h"
#include "shell/style/Shapes.h"
#include "shell/style/Theme.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kPadding = 18; // at both ends
constexpr int kSpacing = 4;
constexpr int kMinimumGap = 16;
constexpr int kButton = 36;
constexpr int kQueueLeadingPadding = 12;
constexpr int kThemePadding = 6;
constexpr int kSeparatorPadding = 14;

struct TabInfo {
    AppTab tab;
    const char* symbol;
};
constexpr TabInfo kTabs[] = {{AppTab::explore, "square.grid.2x2"},
                             {AppTab::duplicates, "doc.on.doc"},
                             {AppTab::applications, "macwindow.badge.plus"},
                             {AppTab::monitor, "waveform.path.ecg"},
                             {AppTab::snapshots, "clock.arrow.circlepath"}};

int indexOf(AppTab tab) {
    for (int i = 0; i < int(std::size(kTabs)); ++i)
        if (kTabs[i].tab == tab) return i;
    return 0;
}

QString title(AppTab tab) {
    const auto raw = app_tab::rawValue(tab);
    return QString::fromUtf8(raw.data(), qsizetype(raw.size()));
}

// The queue count over the queue button's corner; clicks pass through to the button.
class CountBadge : public QWidget {
  public:
    explicit CountBadge(QWidget* parent) : QWidget(parent) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setObjectName(QStringLiteral("queueBadge"));
    }
    void setCount(int64_t count) {
        text_ = QString::number(count);
        const double w = QFontMetricsF(font()).horizontalAdvance(text_) + 10;
        resize(std::max(17, int(std::ceil(w))), 17);
        setAccessibleName(text_);
        update();
    }
    QString text() const { return text_; }
    QFont font() const { return fonts::ui(9, QFont::Bold); }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillPath(shapes::capsule(QRectF(rect())), theme().used);
        painter.setFont(font());
        painter.setPen(Qt::white);
        painter.drawText(rect(), Qt::AlignCenter, text_);
    }

  private:
    QString text_;
};

} // namespace

TopBar::TopBar(ScanViewModel& viewModel, QWidget* parent) : QWidget(parent), viewModel_(viewModel) {
    setFixedHeight(kHeight);
    setAttribute(Qt::WA_OpaquePaintEvent); // fills its background itself

    std::vector<SegmentStrip::Segment> segments;
    for (const TabInfo& info : kTabs)
        segments.push_back({QString::fromLatin1(info.symbol), title(info.tab), title(info.tab)});
    tabs_ = new SegmentStrip(std::move(segments), SegmentStrip::Style{}, SegmentStrip::Titles::all, this);
    tabs_->setObjectName(QStringLiteral("tabStrip"));
    tabs_->setSelected(indexOf(viewModel.settings().tab()));
    connect(tabs_, &SegmentStrip::activated, this,
            [this](int i) { viewModel_.settings().setTab(kTabs[i].tab); });

    separator_ = new Divider(Qt::Vertical, this, 22);
    breadcrumb_ = new Breadcrumb(viewModel, this);
    connect(breadcrumb_, &Breadcrumb::contentChanged, this, &TopBar::layoutBar);

    filter_ = new FilterField(viewModel, this);

    queueButton_ = new SquareIconButton(
        QStringLiteral("internaldrive.fill"), QString(), kButton, [this] { toggleQueue(); }, this);
    queueButton_->setToolTip(QStringLiteral("Cleanup queue"));
    badge_ = new CountBadge(this);

    themeButton_ = new SquareIconButton(
        QString(), QString(), kButton,
        [this] {
            viewModel_.settings().setThemeName(
                viewModel_.settings().themeName() == ThemeName::light ? ThemeName::dark : ThemeName::light);
        },
        this);
    inspectorButton_ = new SquareIconButton(
        QStringLiteral("sidebar.right"), QString(), kButton,
        [this] { viewModel_.settings().setShowInspector(!viewModel_.settings().showInspector()); }, this);
    inspectorButton_->setToolTip(QStringLiteral("Show or hide the inspector"));

    connect(&viewModel.settings(), &ViewSettings::tabChanged, this, [this] {
        tabs_->setSelected(indexOf(viewModel_.settings().tab()));
        layoutBar();
    });
    connect(&viewModel, &ScanViewModel::currentFolderChanged, this, &TopBar::layoutBar);
    connect(&viewModel.settings(), &ViewSettings::themeNameChanged, this, &TopBar::updateTheme);
    connect(&viewModel.cleanupQueue(), &CleanupQueue::itemsChanged, this, &TopBar::updateBadge);
    updateTheme();
    updateBadge();
    layoutBar();
}

QueuePopover* TopBar::queuePopover() const {
    return popover_;
}

bool TopBar::isCompact() const {
    return tabs_->titles() != SegmentStrip::Titles::all;
}

void TopBar::toggleQueue() {
    if (popover_ && popover_->isVisible()) {
        popover_->close();
        return;
    }
    popover_ = new QueuePopover(viewModel_, queueButton_);
    popover_->popup();
}

void TopBar::updateTheme() {
    const bool light = viewModel_.settings().themeName() == ThemeName::light;
    themeButton_->setSystemImage(light ? QStringLiteral("sun.max.fill") : QStringLiteral("moon.fill"));
    themeButton_->setToolTip(light ? QStringLiteral("Appearance: Light — click for Dark")
                                   : QStringLiteral("Appearance: Dark — click for Light"));
}

void TopBar::updateBadge() {
    auto* badge = static_cast<CountBadge*>(badge_);
    const auto count = int64_t(viewModel_.cleanupQueue().items().size());
    badge->setCount(count);
    badge->setVisible(count > 0);
    layoutBar();
}

void TopBar::resizeEvent(QResizeEvent*) {
    layoutBar();
}

void TopBar::layoutBar() {
    const int w = width();
    const int controlTop = (kHeight - 32) / 2;

    // The fixed controls at the trailing end, right to left.
    int right = w - kPadding;
    inspectorButton_->move(right - kButton, controlTop);
    right -= kButton + kSpacing;
    themeButton_->move(right - kThemePadding - kButton, controlTop);
    right -= kThemePadding * 2 + kButton + kSpacing;
    queueButton_->move(right - kButton, controlTop);
    right -= kButton + kQueueLeadingPadding + kSpacing;
    badge_->move(queueButton_->geometry().right() + 1 + 6 - badge_->width(), controlTop - 6);
    badge_->raise();

    // What is left holds the tab strip, the gap and the filter field.
    const int left = kPadding;
    const int room = std::max(0, right - left - kMinimumGap - 2 * kSpacing);
    const bool crumbs = viewModel_.settings().tab() == AppTab::explore && viewModel_.currentFolder();
    breadcrumb_->setVisible(crumbs);
    const int separatorWidth = 1 + 2 * kSeparatorPadding;
    auto stripWidth = [&](SegmentStrip::Titles titles) {
        return int(std::ceil(tabs_->idealWidth(titles))) + kSpacing + separatorWidth +
               (crumbs ? kSpacing + breadcrumb_->idealWidth() : 0);
    };
    // The field gives up width (down to its minimum) when that keeps every tab title; otherwise it
    // stays at its widest and the compact strip's breadcrumb shortens instead.
    const int full = stripWidth(SegmentStrip::Titles::all);
    const bool fits = full <= room - FilterField::kMinimumWidth;
    const int fieldWidth =
        fits ? std::clamp(room - full, FilterField::kMinimumWidth, FilterField::kMaximumWidth)
             : std::clamp(room - stripWidth(SegmentStrip::Titles::selectedOnly) +
                              (crumbs ? breadcrumb_->idealWidth() : 0),
                          FilterField::kMinimumWidth, FilterField::kMaximumWidth);
    const int stripRoom = std::max(0, room - fieldWidth);
    tabs_->setTitles(fits ? SegmentStrip::Titles::all : SegmentStrip::Titles::selectedOnly);

    int x = left;
    tabs_->resize(tabs_->sizeHint());
    tabs_->move(x, controlTop);
    x += tabs_->width() + kSpacing + kSeparatorPadding;
    separator_->move(x, (kHeight - separator_->height()) / 2);
    x += 1 + kSeparatorPadding;
    if (crumbs) {
        x += kSpacing;
        breadcrumb_->fitTo(std::max(0, left + stripRoom - x));
        breadcrumb_->move(x, (kHeight - breadcrumb_->height()) / 2);
    }
    filter_->setGeometry(right - fieldWidth, controlTop, fieldWidth, 32);
}

void TopBar::paintEvent(QPaintEvent*) {
    QPainter(this).fillRect(rect(), theme().background);
}
