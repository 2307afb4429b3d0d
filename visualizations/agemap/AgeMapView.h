#pragma once

#include "shell/canvas/FolderView.h"
#include "visualizations/agemap/AgeMapLayout.h"

#include <QWidget>

#include <memory>

class AgeBucketsCard;
class FileNode;
class FolderReports;
class MonthHeatmapCard;
class QScrollArea;
class ScanTree;
class ScanViewModel;
class UntouchedCard;
struct AgeReport;

// The "Age Map" mode of the Explore tab: how old the bytes below a folder are, as totals per age
// bucket, per month of last modification, and as the big files untouched for a year. It computes
// nothing and never walks the tree: it asks the state object for the folder's age report, shows
// "Reading modification dates…" until the report is there, then lays the three cards out in two
// columns from 980 points of width on, else in one scrolling column.
//
// A report is shown only when it belongs to the tree the view shows: a report of a tree that has since
// been replaced never shows, even for a node of the new tree at the old folder's address.
class AgeMapView : public QWidget, public FolderView {
    Q_OBJECT
  public:
    AgeMapView(ScanViewModel& viewModel, FileNode* folder, QWidget* parent = nullptr);
    ~AgeMapView() override;

    FileNode* folder() const { return folder_; }
    void setFolder(FileNode* folder) override;

    // The report shown, or null while loading.
    const AgeReport* report() const;
    bool isLoading() const { return !showing_; }
    const age_map::Layout& cardLayout() const { return layout_; }

    AgeBucketsCard* bucketsCard() const { return buckets_; }
    MonthHeatmapCard* heatmapCard() const { return heatmap_; }
    UntouchedCard* untouchedCard() const { return untouched_; }
    QWidget* loadingState() const { return loading_; }

    // The report stored for `folder` of `tree`, or null when there is none or the stored reports
    // describe another tree.
    static const AgeReport* reportFor(const FolderReports& reports, const std::shared_ptr<ScanTree>& tree,
                                      const FileNode* folder);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    // Asks for the folder's report when it is not there; a request already running is not repeated.
    void request();
    // Shows the report when it is there, else the loading state.
    void refresh();
    // Lets go of the report shown.
    void forget();
    void relayout();

    ScanViewModel& viewModel_;
    std::shared_ptr<ScanTree> tree_; // keeps the folder's nodes alive while they are shown
    FileNode* folder_;
    bool showing_ = false; // the cards show the folder's report
    QWidget* loading_;
    QScrollArea* scroll_;
    QWidget* content_;
    AgeBucketsCard* buckets_;
    MonthHeatmapCard* heatmap_;
    UntouchedCard* untouched_;
    age_map::Layout layout_;
    bool placing_ = false;
};
