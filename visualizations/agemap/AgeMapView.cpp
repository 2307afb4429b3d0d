#include "visualizations/agemap/AgeMapView.h"

#include "model/AgeReport.h"
#include "model/FolderReports.h"
#include "model/ScanViewModel.h"
#include "shell/controls/Spinner.h"
#include "shell/controls/ThemedLabel.h"
#include "shell/controls/ThemedScrollBar.h"
#include "shell/style/Fonts.h"
#include "shell/style/Theme.h"
#include "visualizations/agemap/AgeBucketsCard.h"
#include "visualizations/agemap/MonthHeatmapCard.h"
#include "visualizations/agemap/UntouchedCard.h"

#include <QEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include <cmath>

AgeMapView::AgeMapView(ScanViewModel& viewModel, FileNode* folder, QWidget* parent)
    : QWidget(parent), viewModel_(viewModel), tree_(viewModel.tree()), folder_(folder),
      loading_(new QWidget(this)), scroll_(new QScrollArea(this)), content_(new QWidget),
      buckets_(new AgeBucketsCard(content_)), heatmap_(new MonthHeatmapCard(content_)),
      untouched_(new UntouchedCard(viewModel, content_)) {
    auto* column = new QVBoxLayout(loading_);
    column->setSpacing(12);
    column->addStretch(1);
    column->addWidget(new Spinner(Spinner::kRegular), 0, Qt::AlignHCenter);
    column->addWidget(
        new ThemedLabel("Reading modification dates\u2026", fonts::ui(12), &Theme::textSecondary), 0,
        Qt::AlignHCenter);
    column->addStretch(1);

    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->setVerticalScrollBar(new ThemedScrollBar(Qt::Vertical));
    scroll_->setWidgetResizable(false);
    scroll_->viewport()->setAutoFillBackground(false);
    scroll_->setWidget(content_);
    content_->setAutoFillBackground(false); // setWidget turns it on
    // The cards are placed by hand, again when a scroll bar comes or goes.
    scroll_->viewport()->installEventFilter(this);

    connect(&viewModel_.reports(), &FolderReports::ageReportsChanged, this, [this] {
        refresh();
        request(); // after a removal the reports are gone: ask again
    });
    connect(&viewModel_, &ScanViewModel::generationChanged, this, &AgeMapView::request);
    connect(&viewModel_, &ScanViewModel::rootChanged, this, [this] {
        refresh();
        request();
    });
    refresh();
    request();
}

AgeMapView::~AgeMapView() = default;

void AgeMapView::setFolder(FileNode* folder) {
    tree_ = viewModel_.tree();
    folder_ = folder;
    forget();
    scroll_->verticalScrollBar()->setValue(0);
    refresh();
    request();
}

const AgeReport* AgeMapView::reportFor(const FolderReports& reports, const std::shared_ptr<ScanTree>& tree,
                                       const FileNode* folder) {
    if (!tree || !folder || reports.tree() != tree) return nullptr;
    return reports.ageReport(folder);
}

const AgeReport* AgeMapView::report() const {
    return showing_ ? reportFor(viewModel_.reports(), tree_, folder_) : nullptr;
}

void AgeMapView::request() {
    // Only for a folder of the tree the state object has now: the computation walks that tree.
    if (!folder_ || !tree_ || viewModel_.tree() != tree_) return;
    if (reportFor(viewModel_.reports(), tree_, folder_)) return;
    viewModel_.requestAgeReport(folder_);
}

void AgeMapView::refresh() {
    const AgeReport* report = reportFor(viewModel_.reports(), tree_, folder_);
    if (!report) {
        forget();
    } else if (!showing_) {
        // A stored report never changes: a new one comes only after the old ones are gone, which shows
        // the loading state first.
        buckets_->setReport(*report);
        heatmap_->setReport(*report);
        untouched_->setFiles(tree_, report->untouched);
        showing_ = true;
    }
    loading_->setVisible(!showing_);
    scroll_->setVisible(showing_);
    if (showing_) relayout();
}

void AgeMapView::forget() {
    // The rows hold their tree; a replaced one goes now.
    if (showing_) untouched_->setFiles(nullptr, {});
    showing_ = false;
}

void AgeMapView::relayout() {
    if (placing_ || !showing_) return;
    placing_ = true;
    const age_map::CardHeights heights{double(buckets_->sizeHint().height()),
                                       double(heatmap_->minimumSizeHint().height()),
                                       double(untouched_->minimumSizeHint().height())};
    layout_ = age_map::layout(QSizeF(size()), scroll_->viewport()->width(), heights);
    content_->resize(scroll_->viewport()->width(), int(std::ceil(layout_.height)));
    buckets_->setGeometry(layout_.buckets.toRect());
    heatmap_->setGeometry(layout_.heatmap.toRect());
    untouched_->setGeometry(layout_.untouched.toRect());
    placing_ = false;
}

bool AgeMapView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == scroll_->viewport() && event->type() == QEvent::Resize) relayout();
    return QWidget::eventFilter(watched, event);
}

void AgeMapView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    loading_->setGeometry(rect());
    scroll_->setGeometry(rect());
    relayout();
}

void AgeMapView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), theme().background);
}
