// A list screen written as the list screens write theirs: rows of nodes, a delegate that paints a
// ranked row with a share bar, a selection ring and a stage button, and the node actions. Pictured in
// both themes for the team (screenshots/list-sample-*.png).
#include "model/CleanupQueue.h"
#include "model/ScanViewModel.h"
#include "shell/actions/NodeActions.h"
#include "shell/actions/NodeRowActions.h"
#include "shell/controls/ShareBar.h"
#include "shell/controls/ThemedLabel.h"
#include "shell/lists/ListView.h"
#include "shell/lists/NodeListModel.h"
#include "shell/lists/RowDelegate.h"
#include "shell/style/Fonts.h"
#include "shell/style/Formatters.h"
#include "shell/style/Palette.h"
#include "shell/style/Symbols.h"
#include "tests/shell/ShellFixture.h"
#include "tests/support/Mouse.h"
#include "tests/support/Screenshots.h"

#include <QPainter>
#include <QSignalSpy>

namespace {

constexpr int kStage = 1;

class RankedRows : public RowDelegate {
  public:
    explicit RankedRows(ScanViewModel& viewModel) : RowDelegate(43), viewModel_(viewModel) {}

    static QRectF barOf(const QRectF& row) { return row.adjusted(76, 3.5, -(92 + 64 + 36), -3.5); }
    std::vector<Button> buttons(const QModelIndex&, const QRectF& row) const override {
        return {{kStage, QRectF(row.right() - 28, row.center().y() - 12, 24, 24), true, "Add to Cleanup"}};
    }

  protected:
    void paintRow(QPainter& painter, const RowState& row, const QModelIndex& index) const override {
        const Theme& t = theme();
        const FileNode& node = *NodeListModel::node(index);
        const FileNode* largest = NodeListModel::node(index.siblingAtRow(0));
        const QRectF r = row.rect;
        if (row.hovered) paintHoverFill(painter, r.adjusted(0, 1, 0, -1), 8);
        ThemedLabel::paintLine(painter, QRectF(r.left(), r.top(), 26, r.height()),
                               QString::number(index.row() + 1), fonts::ui(11.5), t.textTertiary,
                               Qt::AlignRight);
        symbols::paint(painter, QRectF(r.left() + 26, r.top(), 50, r.height()), palette::nodeSymbol(node), 15,
                       t.textSecondary);
        ShareBar bar;
        bar.fraction = double(node.sizeOnDisk) / double(std::max<int64_t>(2, largest->sizeOnDisk));
        bar.fill = palette::categoryColor(node.dominantCategory());
        bar.track = t.track;
        bar.radius = 6;
        bar.minimumFill = 6;
        bar.name = nodeName(node);
        bar.nameFont = fonts::ui(13.5);
        bar.nameColor = canvasInk();
        bar.detail = QString::fromStdString(node.parent()->path());
        bar.detailFont = fonts::ui(10.5);
        bar.detailColor = canvasInkSecondary();
        const QRectF barRect = barOf(r);
        bar.paint(painter, barRect);
        if (row.selected) {
            QColor ring = canvasInk();
            ring.setAlphaF(0.6f);
            paintRing(painter, barRect, 6, ring);
        }
        ThemedLabel::paintLine(painter, QRectF(barRect.right(), r.top(), 64, r.height()),
                               formatPercent(node.sizeOnDisk, node.parent()->sizeOnDisk), fonts::ui(11.5),
                               t.textTertiary, Qt::AlignRight);
        ThemedLabel::paintLine(painter, QRectF(barRect.right() + 64, r.top(), 92, r.height()),
                               formatBytes(node.sizeOnDisk), fonts::ui(13.5, QFont::DemiBold), t.text,
                               Qt::AlignRight);
        const Button stage = buttons(index, r).front();
        const bool staged = node_actions::isStaged(viewModel_, &node);
        paintSymbolButton(painter, stage, row, staged ? "checkmark.circle.fill" : "plus.circle", 14,
                          staged ? t.free : t.textTertiary);
    }

  private:
    ScanViewModel& viewModel_;
};

class SampleListTest : public ShellTest {};

TEST_F(SampleListTest, RankedRowsShowTheSelectionStageByButtonAndFollowTheTheme) {
    auto vm = makeViewModel();
    scanAndWait(*vm, makeFixture());
    std::vector<FileNode*> files = vm->root()->allFiles();
    FileNode::sortBySizeOnDisk(files);

    ListView list(new RankedRows(*vm));
    NodeListModel rows;
    showNodeRows(list, rows, *vm);
    rows.setNodes(vm->tree(), files);
    list.setPadding({24, 0, 24, 24});
    QObject::connect(&list, &ListView::rowButtonClicked, &list, [&](const QModelIndex& index, int) {
        node_actions::toggleStaged(*vm, NodeListModel::node(index));
        list.viewport()->update();
    });
    list.resize(900, 420);
    list.show();
    auto rowRect = [&](int row) { return list.rowRect(rows.index(row, 0)); };

    vm->setSelectedNode(files[2]);
    mouse::click(*list.viewport(), list.rowDelegate()->buttons({}, rowRect(1)).front().rect.center());
    EXPECT_TRUE(node_actions::isStaged(*vm, files[1]));
    EXPECT_EQ(vm->selectedNode(), files[2]) << "staging does not select";
    mouse::hover(*list.viewport(), rowRect(4).center());

    for (ThemeName name : theme_name::allCases) {
        vm->settings().setThemeName(name);
        const QImage image = list.grab().toImage();
        ASSERT_TRUE(saveScreenshot(image, "list-sample", name));
        // The ring lies on the selected row's bar alone.
        auto edge = [&](int row) {
            const QRectF bar = RankedRows::barOf(rowRect(row)).translated(list.viewport()->pos());
            return image.pixelColor(int(bar.right()) - 1, int(bar.center().y()));
        };
        EXPECT_NE(edge(2), edge(3));
        EXPECT_EQ(edge(3), edge(5));
        // The hovered row lies on the chip colour, the others on what is behind the list.
        const QPoint gap = rowRect(4).topLeft().toPoint() + list.viewport()->pos() + QPoint(30, 6);
        EXPECT_EQ(image.pixelColor(gap), Theme::forName(name).chip);
    }
}

} // namespace
