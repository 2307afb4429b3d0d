#include "shell/panels/ModeBar.h"

#include "model/ScanViewModel.h"
#include "shell/controls/DepthSlider.h"
#include "shell/controls/PressableButton.h"
#include "shell/controls/SegmentStrip.h"
#include "shell/controls/SymbolLabel.h"
#include "shell/controls/ThemedLabel.h"
#include "shell/panels/ViewRegistry.h"
#include "shell/style/Fonts.h"
#include "shell/style/Motion.h"
#include "shell/style/Shapes.h"
#include "shell/style/Symbols.h"

#include <QHBoxLayout>
#include <QPainter>

#include <algorithm>

namespace {

QString title(ColorMode mode) {
    const auto raw = color_mode::rawValue(mode);
    return QString::fromUtf8(raw.data(), qsizetype(raw.size()));
}

QString symbol(ColorMode mode) {
    switch (mode) {
    case ColorMode::type:
        return QStringLiteral("square.on.square");
    case ColorMode::folder:
        return QStringLiteral("folder");
    case ColorMode::age:
        return QStringLiteral("clock");
    }
    return {};
}

constexpr int kSpacing = 14; // between the strip, the gap and the controls, and between controls
constexpr int kMinimumGap = 8;
constexpr int kRowSpacing = 10; // two rows
constexpr int kStripHeight = 40;

template <typename Enum, size_t N> int indexIn(const std::array<Enum, N>& all, Enum value) {
    return int(std::find(all.begin(), all.end(), value) - all.begin());
}

SegmentStrip::Style modeStyle() {
    SegmentStrip::Style s;
    s.spacing = 2;
    s.inset = 4;
    s.frame = SegmentStrip::Frame::cardCapsule;
    s.normalWeight = QFont::DemiBold;
    s.padSelected = 14;
    s.padNormal = 10;
    return s;
}

SegmentStrip::Style pickerStyle(bool compact) {
    SegmentStrip::Style s;
    s.height = 28;
    s.spacing = 2;
    s.inset = 3;
    s.frame = SegmentStrip::Frame::outlinedRect;
    s.frameRadius = 10;
    s.selectionRadius = 7;
    s.symbolSize = 10;
    s.titleSize = 12;
    s.iconSpacing = 6;
    s.padSelected = s.padNormal = compact ? 8 : 10;
    s.selectionFill = &Theme::chip;
    s.selectedText = &Theme::text;
    s.normalText = &Theme::textTertiary;
    return s;
}

// The "A" that switches labels to initials. Its fill and letter ease to the new state over the labels'
// own change.
class AbbreviateToggle : public PressableButton {
  public:
    AbbreviateToggle(ScanViewModel& viewModel, QWidget* parent)
        : PressableButton(parent), viewModel_(viewModel),
          on_(viewModel.settings().abbreviateLabels() ? 1 : 0) {
        setFixedSize(28, 28);
        setToolTip(QStringLiteral("Abbreviate labels to initials"));
        setAccessibleName(QStringLiteral("Abbreviate labels to initials"));
        setCheckable(true);
        setChecked(viewModel.settings().abbreviateLabels());
        setAction(
            [this] { viewModel_.settings().setAbbreviateLabels(!viewModel_.settings().abbreviateLabels()); });
        connect(&viewModel.settings(), &ViewSettings::abbreviateLabelsChanged, this, [this] {
            const bool on = viewModel_.settings().abbreviateLabels();
            setChecked(on);
            motion::animate(this, "toggle", on_, on ? 1.0 : 0.0, motion::labelAbbreviation(),
                            [this](const QVariant& value) {
                                on_ = value.toDouble();
                                update();
                            });
        });
    }

  protected:
    void nextCheckState() override {} // the state object decides
    void paintContent(QPainter& painter) override {
        const Theme& t = theme();
        shapes::fill(painter, rect(), 7, t.chip);
        const double opacity = painter.opacity();
        painter.setFont(fonts::ui(12.5, QFont::Bold));
        if (on_ < 1) {
            painter.setPen(t.textSecondary);
            painter.setOpacity(opacity * (1 - on_));
            painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("A"));
        }
        if (on_ > 0) {
            painter.setOpacity(opacity * on_);
            shapes::fill(painter, rect(), 7, t.ink);
            painter.setPen(t.onInk);
            painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("A"));
        }
        painter.setOpacity(opacity);
    }

  private:
    ScanViewModel& viewModel_;
    double on_; // 0 off, 1 on; between while it eases
};

} // namespace

// ---- ModeBar ------------------------------------------------------------------------------------

ModeBar::ModeBar(ScanViewModel& viewModel, QWidget* parent) : QWidget(parent), viewModel_(viewModel) {
    setObjectName(QStringLiteral("modeBar"));
    std::vector<SegmentStrip::Segment> modes;
    for (VisualizationMode m : visualization_mode::allCases) {
        const ModeDescription& mode = ViewRegistry::mode(m);
        modes.push_back({mode.symbol, mode.title(), mode.title()});
    }
    modes_ = new SegmentStrip(std::move(modes), modeStyle(), SegmentStrip::Titles::selectedOnly, this);
    modes_->setObjectName(QStringLiteral("modeStrip"));
    const motion::Curve modeCurve = motion::modeChange();
    modes_->setGlideCurve(modeCurve.durationMs, modeCurve.easing);
    modes_->setSelected(indexIn(visualization_mode::allCases, viewModel.settings().mode()));
    connect(modes_, &SegmentStrip::activated, this,
            [this](int i) { viewModel_.settings().setMode(visualization_mode::allCases[size_t(i)]); });

    caption_ = new ThemedLabel(QString(), fonts::ui(12), &Theme::textSecondary, this);

    std::vector<SegmentStrip::Segment> colors;
    for (ColorMode c : color_mode::allCases)
        colors.push_back({symbol(c), title(c), title(c)});
    colors_ = new SegmentStrip(std::move(colors), pickerStyle(false), SegmentStrip::Titles::all, this);
    colors_->setObjectName(QStringLiteral("colorPicker"));
    const motion::Curve colorCurve = motion::colorModeChange();
    colors_->setGlideCurve(colorCurve.durationMs, colorCurve.easing);
    colors_->setSelected(indexIn(color_mode::allCases, viewModel.settings().colorMode()));
    connect(colors_, &SegmentStrip::activated, this,
            [this](int i) { viewModel_.settings().setColorMode(color_mode::allCases[size_t(i)]); });

    depth_ = new QWidget(this);
    depth_->setToolTip(QStringLiteral("Depth"));
    auto* depthRow = new QHBoxLayout(depth_);
    depthRow->setContentsMargins(0, 0, 0, 0);
    depthRow->setSpacing(10);
    depthRow->addWidget(new SymbolLabel(QStringLiteral("square.3.layers.3d"), 11.5, &Theme::textTertiary,
                                        QSize(14, 20), depth_));
    slider_ = new DepthSlider(depth_);
    depthRow->addWidget(slider_);
    depthValue_ = new ThemedLabel(QString(), fonts::ui(11.5, QFont::Medium), &Theme::textSecondary, depth_);
    depthValue_->setFixedWidth(18);
    depthRow->addWidget(depthValue_);
    depth_->setFixedSize(depth_->sizeHint());
    connect(slider_, &DepthSlider::valueChanged, this, [this](int v) { viewModel_.settings().setDepth(v); });

    abbreviate_ = new AbbreviateToggle(viewModel, this);

    connect(&viewModel.settings(), &ViewSettings::modeChanged, this, [this] {
        modes_->setSelected(indexIn(visualization_mode::allCases, viewModel_.settings().mode()));
        refreshControls();
    });
    connect(&viewModel.settings(), &ViewSettings::colorModeChanged, this, [this] {
        colors_->setSelected(indexIn(color_mode::allCases, viewModel_.settings().colorMode()));
    });
    connect(&viewModel.settings(), &ViewSettings::depthChanged, this, &ModeBar::refreshControls);
    refreshControls();
}

void ModeBar::refreshControls() {
    const VisualizationMode m = viewModel_.settings().mode();
    caption_->setText(ViewRegistry::mode(m).caption);
    const int depth = int(std::trunc(viewModel_.settings().depth()));
    slider_->setValue(depth);
    depthValue_->setText(QString::number(depth));
    arrangement_ = arrangementFor(width());
    updateGeometry();
    place();
}

ModeBar::Shown ModeBar::shownFor(Arrangement a) const {
    const ModeDescription& mode = ViewRegistry::mode(viewModel_.settings().mode());
    const bool picker = mode.uses(ModeControl::colorPicker);
    return {a == Arrangement::oneRowCaption || !picker, picker, mode.uses(ModeControl::depth),
            mode.uses(ModeControl::initials)};
}

int ModeBar::controlsWidth(Arrangement a) const {
    const Shown shown = shownFor(a);
    std::vector<int> widths;
    if (shown.caption) widths.push_back(caption_->sizeHint().width());
    if (shown.picker)
        widths.push_back(int(std::ceil(
            colors_->idealWidth(isCompact(a) ? SegmentStrip::Titles::none : SegmentStrip::Titles::all,
                                pickerStyle(isCompact(a))))));
    if (shown.depth) widths.push_back(depth_->width());
    if (shown.initials) widths.push_back(abbreviate_->width());
    int w = 0;
    for (int x : widths)
        w += x;
    return w + kSpacing * std::max(0, int(widths.size()) - 1);
}

int ModeBar::controlsHeight(Arrangement a) const {
    const Shown shown = shownFor(a);
    int h = 0;
    if (shown.caption) h = std::max(h, caption_->sizeHint().height());
    if (shown.picker) h = std::max(h, colors_->sizeHint().height());
    if (shown.depth) h = std::max(h, depth_->height());
    if (shown.initials) h = std::max(h, abbreviate_->height());
    return h;
}

ModeBar::Arrangement ModeBar::arrangementFor(int width) const {
    const int strip = modes_->sizeHint().width();
    for (Arrangement a : {Arrangement::oneRowCaption, Arrangement::oneRow, Arrangement::oneRowCompact,
                          Arrangement::twoRows}) {
        const int controls = controlsWidth(a);
        const int ideal = isTwoRows(a) ? std::max(strip, controls)
                                       : strip + (controls > 0 ? 2 * kSpacing + kMinimumGap + controls : 0);
        if (ideal <= width) return a;
    }
    return Arrangement::twoRowsCompact;
}

int ModeBar::heightForWidth(int width) const {
    const Arrangement a = arrangementFor(width);
    if (!isTwoRows(a)) return std::max(kStripHeight, controlsHeight(a));
    const int controls = controlsHeight(a);
    return kStripHeight + (controls > 0 ? kRowSpacing + controls : 0);
}

QSize ModeBar::sizeHint() const {
    const int w = std::max(width(), modes_->sizeHint().width());
    return {w, heightForWidth(w)};
}

QSize ModeBar::minimumSizeHint() const {
    return {0, kStripHeight};
}

void ModeBar::resizeEvent(QResizeEvent*) {
    const Arrangement a = arrangementFor(width());
    if (a != arrangement_) {
        arrangement_ = a;
        updateGeometry();
    }
    place();
}

void ModeBar::place() {
    const Arrangement a = arrangement_;
    const Shown shown = shownFor(a);
    const bool compact = isCompact(a);
    // Only a change of form restyles the picker: a restyle ends a glide in progress.
    if (compact != (colors_->titles() == SegmentStrip::Titles::none)) {
        colors_->setStyle(pickerStyle(compact));
        colors_->setTitles(compact ? SegmentStrip::Titles::none : SegmentStrip::Titles::all);
    }

    const QSize strip = modes_->sizeHint();
    const int controlsH = controlsHeight(a);
    int x, centreY;
    if (isTwoRows(a)) {
        modes_->setGeometry(0, 0, strip.width(), strip.height());
        x = 0;
        centreY = kStripHeight + kRowSpacing + controlsH / 2;
    } else {
        const int rowH = std::max(kStripHeight, controlsH);
        modes_->setGeometry(0, (rowH - strip.height()) / 2, strip.width(), strip.height());
        x = width() - controlsWidth(a); // the controls keep to the trailing edge
        centreY = rowH / 2;
    }
    auto put = [&](QWidget* w, bool visible, QSize size) {
        w->setVisible(visible);
        if (!visible) return;
        w->setGeometry(x, centreY - size.height() / 2, size.width(), size.height());
        x += size.width() + kSpacing;
    };
    put(caption_, shown.caption, caption_->sizeHint());
    put(colors_, shown.picker, colors_->sizeHint());
    put(depth_, shown.depth, depth_->size());
    put(abbreviate_, shown.initials, abbreviate_->size());
}
