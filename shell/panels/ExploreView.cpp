#include "shell/panels/ExploreView.h"

#include "model/FileNode.h"
#include "model/ScanViewModel.h"
#include "platform/Desktop.h"
#include "shell/canvas/FolderView.h"
#include "shell/controls/Buttons.h"
#include "shell/controls/Divider.h"
#include "shell/panels/EmptyScanView.h"
#include "shell/panels/ModeBar.h"
#include "shell/panels/ScanningView.h"
#include "shell/panels/TitleLine.h"
#include "shell/panels/UnreadableFoldersNotice.h"
#include "shell/panels/ViewRegistry.h"
#include "shell/style/Fonts.h"
#include "shell/style/Formatters.h"
#include "shell/style/Theme.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

// The folder's name, size and counts on one baseline (TitleLine fits them), and the reveal button at
// the trailing end.
class TitleRow : public QWidget {
  public:
    TitleRow(ScanViewModel& viewModel, QWidget* parent) : QWidget(parent), viewModel_(viewModel) {
        setObjectName(QStringLiteral("titleRow"));
        reveal = new SquareIconButton(
            QStringLiteral("arrow.up.forward.square"), QString(), 36,
            [this] {
                // Always the current folder, not the selection.
                if (FileNode* folder = viewModel_.currentFolder()) platform::desktop().reveal(folder->path());
            },
            this);
        reveal->setToolTip(QStringLiteral("Reveal in File Manager"));
        setFixedHeight(std::max(40, int(std::ceil(QFontMetricsF(TitleLine::nameFont()).height()))));
        for (auto signal : {&ScanViewModel::currentFolderChanged, &ScanViewModel::generationChanged,
                            &ScanViewModel::diskChanged})
            connect(&viewModel, signal, this, qOverload<>(&QWidget::update));
    }

    SquareIconButton* reveal;

    // The title as it fits beside the reveal button now.
    TitleLine line() const {
        FileNode* folder = viewModel_.currentFolder();
        if (!folder) return {};
        return TitleLine::fit(fromBytes(displayName(folder->path(), viewModel_.disk().name)),
                              formatBytes(folder->sizeOnDisk), ExploreView::countsText(*folder),
                              width() - reveal->width() - 12);
    }

  protected:
    void resizeEvent(QResizeEvent*) override {
        reveal->move(width() - reveal->width(), (height() - reveal->height()) / 2);
    }

    void paintEvent(QPaintEvent*) override {
        if (!viewModel_.currentFolder()) return;
        QPainter painter(this);
        painter.setRenderHint(QPainter::TextAntialiasing);
        const Theme& t = theme();
        const TitleLine fitted = line();
        const QFontMetricsF nameM(TitleLine::nameFont());
        const double baseline = height() / 2.0 + (nameM.ascent() - nameM.descent()) / 2;
        double x = 0;
        painter.setFont(TitleLine::nameFont());
        painter.setPen(t.text);
        painter.drawText(QPointF(x, baseline), fitted.name);
        x += fitted.nameWidth + TitleLine::kSizeGap;
        painter.setFont(TitleLine::sizeFont());
        painter.drawText(QPointF(x, baseline), fitted.size);
        x += fitted.sizeWidth;
        if (!fitted.counts.isEmpty()) {
            painter.setFont(TitleLine::countsFont());
            painter.setPen(t.textSecondary);
            painter.drawText(QPointF(x, baseline), fitted.counts);
        }
    }

  private:
    ScanViewModel& viewModel_;
};

} // namespace

ExploreView::ExploreView(ScanViewModel& viewModel, QWidget* parent) : QWidget(parent), viewModel_(viewModel) {
    setObjectName(QStringLiteral("exploreView"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    connect(&viewModel, &ScanViewModel::statusChanged, this, &ExploreView::updateScreen);
    connect(&viewModel, &ScanViewModel::currentFolderChanged, this, &ExploreView::updateScreen);
    connect(&viewModel.settings(), &ViewSettings::modeChanged, this, &ExploreView::buildVisualization);
    connect(&viewModel, &ScanViewModel::showAccessNoticeChanged, this, &ExploreView::updateNotice);
    updateScreen();
}

UnreadableFoldersNotice* ExploreView::notice() const {
    return notice_;
}
QWidget* ExploreView::visualization() const {
    return visualization_;
}

TitleLine ExploreView::titleLine() const {
    return titleRow_ ? static_cast<const TitleRow*>(titleRow_)->line() : TitleLine{};
}

QString ExploreView::countsText(const FileNode& folder) {
    return QStringLiteral("   ·   ") + formatCount(folder.fileCount()) + QStringLiteral(" files   ·   ") +
           formatCount(folder.folderCount()) + QStringLiteral(" folders");
}

ScanningView* ExploreView::scanningView() const {
    return screen_ == Screen::scanning ? static_cast<ScanningView*>(screenWidget_) : nullptr;
}

ExploreView::Screen ExploreView::wantedScreen() const {
    const auto& status = viewModel_.status();
    if (status.isScanning()) return Screen::scanning;
    if (status.kind == ScanViewModel::Status::Kind::done && viewModel_.currentFolder())
        return Screen::explorer;
    return Screen::start;
}

void ExploreView::updateScreen() {
    const Screen wanted = wantedScreen();
    if (wanted != screen_ || !screenWidget_) {
        if (screenWidget_) {
            screenWidget_->hide();
            screenWidget_->deleteLater();
        }
        header_ = titleRow_ = vizArea_ = nullptr;
        reveal_ = nullptr;
        modeBar_ = nullptr;
        notice_ = nullptr;
        visualization_ = nullptr;
        shownFolder_ = nullptr;
        screen_ = wanted;
        switch (wanted) {
        case Screen::start:
            screenWidget_ = new EmptyScanView(viewModel_, this);
            break;
        case Screen::scanning:
            screenWidget_ = new ScanningView(this);
            // The view that will show the result prepares its first paint while the walk runs.
            ViewRegistry::warmUpVisualization(viewModel_.settings().mode(), viewModel_, size(),
                                              devicePixelRatioF());
            break;
        case Screen::explorer:
            buildExplorer();
            break;
        }
        layout()->addWidget(screenWidget_);
        screenWidget_->show();
    }
    if (screen_ == Screen::scanning) {
        const auto& status = viewModel_.status();
        scanningView()->setProgress(status.filesScanned, status.bytes, status.currentPath);
    } else if (screen_ == Screen::explorer) {
        showFolder();
    }
}

void ExploreView::buildExplorer() {
    screenWidget_ = new QWidget(this);
    screenWidget_->setObjectName(QStringLiteral("explorer"));
    auto* column = new QVBoxLayout(screenWidget_);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    header_ = new QWidget(screenWidget_);
    auto* headerColumn = new QVBoxLayout(header_);
    headerColumn->setContentsMargins(24, 18, 24, 14);
    headerColumn->setSpacing(17);
    auto* title = new TitleRow(viewModel_, header_);
    titleRow_ = title;
    reveal_ = title->reveal;
    headerColumn->addWidget(titleRow_);
    modeBar_ = new ModeBar(viewModel_, header_);
    headerColumn->addWidget(modeBar_);
    column->addWidget(header_);
    column->addWidget(new Divider(Qt::Horizontal, screenWidget_));

    vizArea_ = new QWidget(screenWidget_);
    vizArea_->setObjectName(QStringLiteral("visualizationArea"));
    auto* vizLayout = new QVBoxLayout(vizArea_);
    vizLayout->setContentsMargins(0, 0, 0, 0);
    column->addWidget(vizArea_, 1);
    updateNotice();
}

void ExploreView::updateNotice() {
    if (!header_) return;
    const bool wanted = viewModel_.showAccessNotice();
    if (wanted && !notice_) {
        notice_ = new UnreadableFoldersNotice(viewModel_, header_);
        header_->layout()->addWidget(notice_);
    } else if (!wanted && notice_) {
        notice_->hide();
        notice_->deleteLater();
        notice_ = nullptr;
    }
}

void ExploreView::showFolder() {
    if (!visualization_) return buildVisualization();
    FileNode* folder = viewModel_.currentFolder();
    if (folder == shownFolder_) return;
    shownFolder_ = folder;
    // The same view: its focus, and the keyboard with it, stay where they were.
    if (auto* view = dynamic_cast<FolderView*>(visualization_.data())) view->setFolder(folder);
}

void ExploreView::buildVisualization() {
    if (screen_ != Screen::explorer || !vizArea_) return;
    QPointer<QWidget> old = visualization_;
    shownFolder_ = viewModel_.currentFolder();
    visualization_ =
        ViewRegistry::createVisualization(viewModel_.settings().mode(), viewModel_, shownFolder_, vizArea_);
    vizArea_->layout()->addWidget(visualization_);
    visualization_->show();
    if (old) {
        old->hide();
        old->deleteLater();
    }
}
