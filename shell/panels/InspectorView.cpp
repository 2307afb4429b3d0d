#include "shell/panels/InspectorView.h"

#include "model/CleanupQueue.h"
#include "model/FileNode.h"
#include "model/ScanViewModel.h"
#include "platform/Desktop.h"
#include "shell/canvas/PointerGestures.h"
#include "shell/controls/Buttons.h"
#include "shell/controls/CardBackground.h"
#include "shell/controls/ColumnScroll.h"
#include "shell/controls/LabelValueRow.h"
#include "shell/controls/NodeActions.h"
#include "shell/controls/SectionCaption.h"
#include "shell/controls/ThemedLabel.h"
#include "shell/style/Fonts.h"
#include "shell/style/Formatters.h"
#include "shell/style/Palette.h"
#include "shell/style/Shapes.h"
#include "shell/style/SmoothPainter.h"
#include "shell/style/Symbols.h"
#include "shell/style/Theme.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

QString fromBytes(std::string_view bytes) {
    return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
}

QString categoryTitle(FileCategory category) {
    return fromBytes(file_category::title(category));
}

// The node's symbol on a 63-point rounded tile.
class SymbolTile : public QWidget {
  public:
    SymbolTile(QString symbol, bool isFolder, FileCategory category)
        : symbol_(std::move(symbol)), isFolder_(isFolder), category_(category) {
        setFixedSize(63, 63);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        const Theme& t = theme();
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        shapes::fill(painter, rect(), 14, t.chip);
        QColor tint = palette::categoryColor(category_);
        if (isFolder_) {
            tint = t.textTertiary;
            tint.setAlphaF(tint.alphaF() * 0.55f);
        }
        symbols::paint(painter, rect(), symbol_, 22.5, tint);
    }

  private:
    QString symbol_;
    bool isFolder_;
    FileCategory category_;
};

// The node's symbol and kind on a small chip.
class KindChip : public QWidget {
  public:
    KindChip(QString symbol, QString title) : symbol_(std::move(symbol)), title_(std::move(title)) {
        setFixedHeight(22);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    }
    QSize sizeHint() const override {
        const double w =
            9 + symbols::size(symbol_, 9).width() + 5 + QFontMetricsF(font()).horizontalAdvance(title_) + 9;
        return {int(std::ceil(w)), 22};
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        const Theme& t = theme();
        SmoothPainter painter(this);
        shapes::fill(painter, rect(), 6, t.chip);
        const double s = symbols::size(symbol_, 9).width();
        symbols::paint(painter, QRectF(9, 0, s, height()), symbol_, 9, t.textSecondary);
        ThemedLabel::paintLine(painter, QRectF(9 + s + 5, 0, width() - 9 - s - 5, height()), title_, font(),
                               t.textSecondary);
    }

  private:
    static QFont font() { return fonts::ui(11, QFont::Medium); }
    QString symbol_, title_;
};

// The path in at most two lines, cut in the middle when longer, selectable.
class PathLabel : public QLabel {
  public:
    explicit PathLabel(QString path) : path_(std::move(path)) {
        setFont(fonts::mono(11));
        setTextInteractionFlags(Qt::TextSelectableByMouse);
        setTextFormat(Qt::PlainText);
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        setToolTip(path_);
        applyTheme();
        connect(&ThemeManager::instance(), &ThemeManager::themeChanged, this, [this] { applyTheme(); });
    }

    // Breaks the path over two lines at any character; what does not fit is cut from the middle.
    static QString twoLines(const QString& text, const QFontMetricsF& metrics, double width) {
        if (width <= 0 || metrics.horizontalAdvance(text) <= width) return text;
        int split = 0;
        while (split < text.size() && metrics.horizontalAdvance(text.left(split + 1)) <= width)
            ++split;
        split = std::max(split, 1);
        const QString rest = text.mid(split);
        return text.left(split) + QLatin1Char('\n') + metrics.elidedText(rest, Qt::ElideMiddle, width);
    }

  protected:
    void resizeEvent(QResizeEvent* event) override {
        QLabel::resizeEvent(event);
        layoutText();
    }

  private:
    void layoutText() {
        const QString shown = twoLines(path_, QFontMetricsF(font()), width() - 1);
        if (shown != text()) setText(shown);
        const int lines = shown.contains(QLatin1Char('\n')) ? 2 : 1;
        setFixedHeight(int(std::ceil(QFontMetricsF(font()).lineSpacing() * lines)));
    }
    void applyTheme() {
        QPalette p = palette();
        p.setColor(QPalette::WindowText, theme().textSecondary);
        p.setColor(QPalette::Highlight, theme().ink);
        p.setColor(QPalette::HighlightedText, theme().onInk);
        setPalette(p);
    }

    QString path_;
};

// The size in large type and its share of the scan beside it, on one baseline.
class SizeLine : public QWidget {
  public:
    SizeLine(QString size, QString share) : size_(std::move(size)), share_(std::move(share)) {
        setFixedHeight(int(std::ceil(QFontMetricsF(sizeFont()).height())));
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        const Theme& t = theme();
        QPainter painter(this);
        painter.setRenderHint(QPainter::TextAntialiasing);
        const QFontMetricsF big(sizeFont());
        const double baseline = big.ascent();
        painter.setFont(sizeFont());
        painter.setPen(t.text);
        painter.drawText(QPointF(0, baseline), size_);
        const double x = big.horizontalAdvance(size_) + 8;
        const QFontMetricsF small(shareFont());
        painter.setFont(shareFont());
        painter.setPen(t.textSecondary);
        painter.drawText(QPointF(x, baseline),
                         small.elidedText(share_, Qt::ElideRight, std::max(0.0, width() - x)));
    }

  private:
    static QFont sizeFont() { return fonts::ui(30.5, QFont::Bold); }
    static QFont shareFont() { return fonts::ui(12); }
    QString size_, share_;
};

} // namespace

// A row of "Largest Inside": dot, name and size over a bar of the child's share. A click selects the
// child; a double click (the second click lands on the child's own page) opens it.
class LargestRow : public QWidget {
  public:
    LargestRow(InspectorView::Facts::Child child, std::function<void(FileNode*)> clicked)
        : child_(std::move(child)), clicked_(std::move(clicked)) {
        setFixedHeight(33);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        setCursor(Qt::PointingHandCursor);
        setAccessibleName(child_.name);
        (new PointerGestures(this))->onTap([this](QPointF) {
            clicked_(child_.node);
            return true;
        });
    }
    FileNode* node() const { return child_.node; }

  protected:
    void paintEvent(QPaintEvent*) override {
        const Theme& t = theme();
        SmoothPainter painter(this);
        const QColor color = palette::categoryColor(child_.category);
        const QFont nameFont = fonts::ui(12), sizeFont = fonts::ui(11.5, QFont::DemiBold);
        const double lineHeight = QFontMetricsF(nameFont).height();
        const double top = (height() - (lineHeight + 5 + 3)) / 2;
        const QRectF line(0, top, width(), lineHeight);
        painter.setPen(Qt::NoPen);
        painter.setBrush(color);
        painter.drawEllipse(QRectF(0, line.center().y() - 3.5, 7, 7));
        const double sizeWidth =
            ThemedLabel::paintLine(painter, line, child_.size, sizeFont, t.text, Qt::AlignRight);
        ThemedLabel::paintLine(
            painter, QRectF(15, line.top(), std::max(0.0, width() - 15 - 8 - sizeWidth), lineHeight),
            child_.name, nameFont, t.text, Qt::AlignLeft, Qt::ElideMiddle);
        const QRectF bar(0, line.bottom() + 5, width(), 3);
        painter.setPen(Qt::NoPen);
        painter.setBrush(t.track);
        painter.drawPath(shapes::capsule(bar));
        painter.setBrush(color);
        painter.drawPath(
            shapes::capsule(QRectF(bar.left(), bar.top(), std::max(3.0, bar.width() * child_.fraction), 3)));
    }

  private:
    InspectorView::Facts::Child child_;
    std::function<void(FileNode*)> clicked_;
};

namespace {

QWidget* card(QVBoxLayout** layout) {
    auto* box = new CardBackground(14);
    auto* inner = new QVBoxLayout(box);
    inner->setContentsMargins(14, 13, 14, 13);
    inner->setSpacing(0);
    *layout = inner;
    return box;
}

} // namespace

InspectorView::InspectorView(ScanViewModel& model, QWidget* parent) : QWidget(parent), model_(model) {
    setFixedWidth(kWidth);
    auto* holder = new QWidget;
    auto* holderLayout = new QVBoxLayout(holder);
    holderLayout->setContentsMargins(0, 0, 0, 0);
    scroll_ = makeColumnScroll(this, holder);
    // The second click of a double click on a row lands on the row's page, wherever it falls.
    pageGestures_ = new PointerGestures(this);
    pageGestures_->onDoubleTap([this](QPointF) { return openClickedRow(); });

    connect(&model_, &ScanViewModel::selectedNodeChanged, this, &InspectorView::refresh);
    connect(&model_, &ScanViewModel::currentFolderChanged, this, &InspectorView::refresh);
    connect(&model_, &ScanViewModel::generationChanged, this, &InspectorView::refresh);
    connect(&model_, &ScanViewModel::rootChanged, this, &InspectorView::rebuild);
    connect(&model_, &ScanViewModel::diskChanged, this, &InspectorView::rebuild);
    connect(&model_.cleanupQueue(), &CleanupQueue::itemsChanged, this, &InspectorView::updateStaging);
    connect(&ThemeManager::instance(), &ThemeManager::themeChanged, this, qOverload<>(&QWidget::update));
    rebuild();
}

FileNode* InspectorView::shownNode(const ScanViewModel& model) {
    return model.selectedNode() ? model.selectedNode() : model.currentFolder();
}

InspectorView::Facts InspectorView::facts(const ScanViewModel& model, const FileNode& node) {
    Facts f;
    f.isFolder = node.isDirectory();
    f.category = node.category;
    f.symbol = palette::nodeSymbol(node);
    f.kind = f.isFolder ? QStringLiteral("Folder") : categoryTitle(node.category);
    f.hasPlace = node_actions::hasPlace(&node);
    const std::string path = node.path();
    // A group's "path" is only its own name; the home folder and "/" read as "Home" and the volume.
    f.name = f.hasPlace ? fromBytes(displayName(path, model.disk().name)) : nodeName(node);
    f.path = platform::pathText(path);
    f.size = formatBytes(node.sizeOnDisk);
    const FileNode* root = model.root();
    f.share = formatPercent(node.sizeOnDisk, root ? root->sizeOnDisk : node.sizeOnDisk) +
              QStringLiteral(" of scan");

    f.details.push_back({QStringLiteral("Size on disk"), formatBytes(node.sizeOnDisk)});
    f.details.push_back({QStringLiteral("Logical size"), formatBytes(node.logicalSize)});
    f.details.push_back({QStringLiteral("Compressed by"),
                         formatBytes(std::max<int64_t>(node.logicalSize - node.sizeOnDisk, 0)), true});
    if (f.isFolder) {
        f.details.push_back({QStringLiteral("Files"), formatCount(node.fileCount())});
        f.details.push_back({QStringLiteral("Folders"), formatCount(node.folderCount())});
    } else {
        f.details.push_back({QStringLiteral("Kind"), f.kind});
    }
    if (const FileNode* parent = node.parent()) {
        const double share =
            parent->sizeOnDisk > 0 ? double(node.sizeOnDisk) / double(parent->sizeOnDisk) : 0.0;
        f.details.push_back({QStringLiteral("Share of folder"), formatPercent(share)});
    }
    f.details.push_back({QStringLiteral("Modified"), relativeDateString(dateFromStamp(node.modifiedStamp))});
    if (node.createdStamp != 0)
        f.details.push_back(
            {QStringLiteral("Created"), relativeDateString(dateFromStamp(node.createdStamp))});

    const auto children = node.children();
    f.childCount = int64_t(children.size());
    for (size_t i = 0; i < std::min(children.size(), kLargestCount); ++i) {
        FileNode* child = children[i];
        // The inspected node is the children's parent (a group holds files of many folders, so its own
        // size is the measure there too).
        const double fraction =
            node.sizeOnDisk > 0 ? double(child->sizeOnDisk) / double(node.sizeOnDisk) : 0.0;
        f.largest.push_back(
            {child, nodeName(*child), formatBytes(child->sizeOnDisk), child->dominantCategory(), fraction});
    }

    f.canStage = f.hasPlace && &node != root;
    f.staged = node_actions::isStaged(model, &node);
    return f;
}

void InspectorView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), theme().panel);
}

void InspectorView::refresh() {
    if (shownNode(model_) != node_ || model_.generation() != generation_) rebuild();
}

void InspectorView::rebuild() {
    node_ = shownNode(model_);
    generation_ = model_.generation();
    stage_ = nullptr;
    placeButtons_.clear();

    QWidget* holder = scroll_->widget();
    clearLayoutLater(holder->layout());
    QWidget* content = node_ ? buildContent(facts(model_, *node_)) : buildPlaceholder();
    holder->layout()->addWidget(content);
    content->show(); // at once, not when the layout gets round to it
}

QWidget* InspectorView::buildPlaceholder() {
    auto* box = new QWidget; // fills the column (the scroll area stretches its widget), so this centres
    auto* layout = new QVBoxLayout(box);
    layout->setSpacing(10);
    layout->addStretch(1);
    auto* symbol = new ThemedLabel(symbols::glyph(QStringLiteral("sidebar.right")), fonts::symbol(26),
                                   &Theme::textTertiary, Qt::ElideRight);
    symbol->setAlignment(Qt::AlignHCenter);
    layout->addWidget(symbol);
    auto* text = new ThemedLabel(QStringLiteral("Select an item to inspect it."), fonts::ui(12),
                                 &Theme::textSecondary, Qt::ElideRight);
    text->setAlignment(Qt::AlignHCenter);
    layout->addWidget(text);
    layout->addStretch(1);
    return box;
}

QWidget* InspectorView::buildContent(const Facts& f) {
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(17, 18, 17, 24);
    column->setSpacing(0);

    // Header.
    auto* header = new QHBoxLayout;
    header->setSpacing(14);
    header->addWidget(new SymbolTile(f.symbol, f.isFolder, f.category));
    auto* titles = new QVBoxLayout;
    titles->setSpacing(6);
    titles->addStretch(1);
    titles->addWidget(
        new ThemedLabel(f.name, fonts::ui(16.5, QFont::DemiBold), &Theme::text, Qt::ElideRight));
    auto* chipRow = new QHBoxLayout;
    chipRow->addWidget(new KindChip(f.symbol, f.kind));
    chipRow->addStretch(1);
    titles->addLayout(chipRow);
    titles->addStretch(1);
    header->addLayout(titles, 1);
    column->addLayout(header);

    // Path and size.
    column->addSpacing(16);
    column->addWidget(new PathLabel(f.path));
    column->addSpacing(12);
    column->addWidget(new SizeLine(f.size, f.share));

    // Details.
    column->addSpacing(20);
    QVBoxLayout* layout = nullptr;
    QWidget* details = card(&layout);
    layout->addWidget(new SectionCaption(QStringLiteral("Details"), {}));
    layout->addSpacing(8);
    for (const Facts::Row& row : f.details) {
        auto* line = new LabelValueRow(row.label, {}, 12, 12.5, 26);
        line->setValue(row.value, row.freeColor ? &Theme::free : &Theme::text);
        layout->addWidget(line);
    }
    column->addWidget(details);

    // Largest Inside.
    if (!f.largest.empty()) {
        column->addSpacing(20);
        QWidget* largest = card(&layout);
        layout->addWidget(new SectionCaption(QStringLiteral("Largest Inside"),
                                             formatCount(f.childCount) + QStringLiteral(" items")));
        layout->addSpacing(6);
        for (const Facts::Child& child : f.largest)
            layout->addWidget(new LargestRow(child, [this](FileNode* node) { rowClicked(node); }));
        column->addWidget(largest);
    }

    // Actions.
    column->addSpacing(20);
    FileNode* node = node_;
    auto button = [](const QString& title, const QString& symbol, const QString& confirm,
                     std::function<void()> action) {
        return new OutlineButton(title, symbol, 32, 13, confirm,
                                 confirm.isEmpty() ? QString() : QStringLiteral("checkmark"), 1.0,
                                 std::move(action));
    };
    auto* reveal = button(QStringLiteral("Reveal"), QStringLiteral("arrow.up.forward.square"), {},
                          [node] { node_actions::reveal(node); });
    auto* preview = button(QStringLiteral("Preview"), QStringLiteral("eye.fill"), {},
                           [node] { node_actions::preview(node); });
    auto* focus =
        button(QStringLiteral("Focus"), QStringLiteral("scope"), {}, [this, node] { model_.reveal(node); });
    auto* copy = button(QStringLiteral("Copy Path"), QStringLiteral("doc.on.clipboard.fill"),
                        QStringLiteral("Copied"), [node] { node_actions::copyPath(node); });
    for (OutlineButton* b : {reveal, preview, copy}) {
        b->setEnabled(f.hasPlace);
        placeButtons_.push_back(b);
    }
    auto* row1 = new QHBoxLayout;
    row1->setSpacing(9);
    row1->addWidget(reveal);
    row1->addWidget(preview);
    auto* row2 = new QHBoxLayout;
    row2->setSpacing(9);
    row2->addWidget(focus);
    row2->addWidget(copy);
    column->addLayout(row1);
    column->addSpacing(10);
    column->addLayout(row2);
    column->addSpacing(10 + 2);
    stage_ = new InkButton({}, {}, 42, 14.5, [this, node] { node_actions::toggleStaged(model_, node); });
    column->addWidget(stage_);
    column->addStretch(1);
    updateStaging();

    for (QWidget* w : content->findChildren<QWidget*>())
        pageGestures_->watch(w);
    return content;
}

void InspectorView::updateStaging() {
    if (!stage_ || !node_) return;
    const bool staged = node_actions::isStaged(model_, node_);
    stage_->setTitle(staged ? QStringLiteral("Staged for Cleanup") : QStringLiteral("Add to Cleanup"));
    stage_->setSystemImage(staged ? QStringLiteral("checkmark") : QStringLiteral("trash.fill"));
    // Something staged may always be taken back; a place in a Trash folder is never staged.
    const QString refusal = staged ? QString() : node_actions::stagingRefusal(model_.cleanupQueue(), node_);
    stage_->setEnabled(node_actions::hasPlace(node_) && node_ != model_.root() && refusal.isEmpty());
    stage_->setToolTip(refusal);
}

void InspectorView::rowClicked(FileNode* child) {
    clickedRow_ = child;
    clickedRowTime_.start();
    model_.setSelectedNode(child);
}

bool InspectorView::openClickedRow() {
    if (!clickedRow_ || clickedRow_ != node_ ||
        clickedRowTime_.elapsed() > QApplication::doubleClickInterval())
        return false;
    clickedRow_ = nullptr;
    model_.select(node_);
    return true;
}
