#pragma once

#include <QElapsedTimer>
#include <QWidget>

#include <cstdint>
#include <vector>

class FileNode;
class InkButton;
class LabelValueRow;
class OutlineButton;
class PointerGestures;
class QVBoxLayout;
class ScanViewModel;
class SectionCaption;
class ThemedLabel;
struct InspectorFacts;

namespace inspector {
class KindChip;
class LargestRow;
class PathLabel;
class SizeLine;
class SymbolTile;
} // namespace inspector

// The right column: what the selected node (or, without a selection, the current folder) is, what it
// holds and what can be done with it. It keeps no state of its own; everything follows the model and
// its cleanup queue. Its widgets are made once and show each node in turn.
class InspectorView : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kWidth = 382;

    explicit InspectorView(ScanViewModel& model, QWidget* parent = nullptr);

    // The node shown: the selection, else the current folder.
    static FileNode* shownNode(const ScanViewModel& model);

    FileNode* node() const { return node_; }
    // The staging button (null while nothing is shown), for tests.
    InkButton* stageButton() const { return node_ ? stage_ : nullptr; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QWidget* buildPlaceholder();
    QWidget* buildContent();
    QWidget* buildHeader();
    QWidget* buildDetails();
    QWidget* buildLargest();
    QWidget* buildActions();

    void refresh();
    void present();
    void showFacts(const InspectorFacts& facts);
    void updateStaging();
    void rowClicked(FileNode* child);
    bool openClickedRow();

    ScanViewModel& model_;
    FileNode* node_ = nullptr;
    bool canStage_ = false; // the shown node's Facts::canStage
    int64_t generation_ = -1;

    QWidget* placeholder_ = nullptr;
    QWidget* content_ = nullptr;
    inspector::SymbolTile* tile_ = nullptr;
    ThemedLabel* name_ = nullptr;
    inspector::KindChip* kind_ = nullptr;
    inspector::PathLabel* path_ = nullptr;
    inspector::SizeLine* size_ = nullptr;
    QVBoxLayout* detailRows_ = nullptr;
    std::vector<LabelValueRow*> details_; // as many as the longest list shown so far; the rest hidden
    QWidget* largest_ = nullptr;
    SectionCaption* largestCaption_ = nullptr;
    std::vector<inspector::LargestRow*> largestRows_;
    std::vector<OutlineButton*> placeButtons_;
    InkButton* stage_ = nullptr;

    PointerGestures* pageGestures_ = nullptr;
    // A click on a "Largest Inside" row shows the child at once, so the second click of a double
    // click lands on the child's own page; it opens the child when it comes in time.
    FileNode* clickedRow_ = nullptr;
    QElapsedTimer clickedRowTime_;
};
