#pragma once

#include "model/FileCategory.h"

#include <QElapsedTimer>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <vector>

class FileNode;
class InkButton;
class OutlineButton;
class PointerGestures;
class QScrollArea;
class ScanViewModel;

// The right column: what the selected node (or, without a selection, the current folder) is, what it
// holds and what can be done with it. It keeps no state of its own; everything follows the model and
// its cleanup queue.
class InspectorView : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kWidth = 382;

    // Everything the column shows for a node, without widgets.
    struct Facts {
        struct Row {
            QString label;
            QString value;
            bool freeColor = false; // the value is drawn in the theme's `free` colour
        };
        struct Child {
            FileNode* node = nullptr;
            QString name;
            QString size;
            FileCategory category = FileCategory::other; // the dot and bar colour
            double fraction = 0;                         // of the inspected node's size
        };

        bool isFolder = false;
        FileCategory category = FileCategory::other; // a file's own
        QString symbol;                              // "folder.fill" or the file category's
        QString name;
        QString kind; // "Folder" or the file category's title
        QString path;
        QString size;
        QString share; // "12.5% of scan"
        std::vector<Row> details;
        std::vector<Child> largest; // at most kLargestCount
        int64_t childCount = 0;
        // Reveal, preview, copy path need a real place; staging also needs the node not to be the root.
        bool hasPlace = false;
        bool canStage = false;
        bool staged = false;
    };
    static constexpr size_t kLargestCount = 8;

    explicit InspectorView(ScanViewModel& model, QWidget* parent = nullptr);

    static Facts facts(const ScanViewModel& model, const FileNode& node);
    // The node shown: the selection, else the current folder.
    static FileNode* shownNode(const ScanViewModel& model);

    FileNode* node() const { return node_; }
    // The staging button (null while nothing is shown), for tests.
    InkButton* stageButton() const { return stage_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void refresh();
    void rebuild();
    void updateStaging();
    QWidget* buildContent(const Facts& facts);
    QWidget* buildPlaceholder();
    void rowClicked(FileNode* child);
    bool openClickedRow();

    ScanViewModel& model_;
    QScrollArea* scroll_ = nullptr;
    FileNode* node_ = nullptr;
    int64_t generation_ = -1;
    InkButton* stage_ = nullptr;
    std::vector<OutlineButton*> placeButtons_;
    PointerGestures* pageGestures_ = nullptr;
    // A click on a "Largest Inside" row shows the child at once, so the second click of a double
    // click lands on the child's own page; it opens the child when it comes in time.
    FileNode* clickedRow_ = nullptr;
    QElapsedTimer clickedRowTime_;
};
