// The list view with a delegate that records what it is asked to paint.
#include "shell/lists/ListView.h"
#include "shell/lists/NodeListModel.h"
#include "shell/lists/RowDelegate.h"
#include "shell/lists/RowListModel.h"
#include "shell/style/Theme.h"
#include "tests/support/Mouse.h"
#include "tests/support/TreeBuilder.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace {

constexpr int kRow = 30;

// Fills each row but its last 40 points with the theme's text colour; every row has a button at
// its right end, disabled on row 1.
class RecordingDelegate : public RowDelegate {
  public:
    RecordingDelegate() : RowDelegate(kRow) {}

    std::vector<Button> buttons(const QModelIndex& index, const QRectF& row) const override {
        return {{7, QRectF(row.right() - 30, row.top() + 3, 24, 24), index.row() != 1, "Remove"}};
    }
    mutable std::vector<int> painted;
    mutable std::map<int, RowState> states;

  protected:
    void paintRow(QPainter& painter, const RowState& row, const QModelIndex& index) const override {
        painted.push_back(index.row());
        states[index.row()] = row;
        painter.fillRect(row.rect.adjusted(0, 0, -40, 0), theme().text);
    }
};

// A parent that paints red, to see what the list leaves uncovered.
class RedBackdrop : public QWidget {
  protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), Qt::red); }
};

std::vector<int> numbers(int count) {
    std::vector<int> rows;
    for (int i = 0; i < count; ++i)
        rows.push_back(i);
    return rows;
}

class ListViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ThemeManager::instance().setThemeName(ThemeName::light);
        backdrop.resize(320, 300);
        list = new ListView(delegate, &backdrop);
        list->setGeometry(backdrop.rect());
        model.setRows(numbers(10'000));
        list->setModel(&model);
        backdrop.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&backdrop));
    }
    void TearDown() override { ThemeManager::instance().setThemeName(ThemeName::light); }

    QPoint centreOfRow(int row) const { return list->visualRect(model.index(row)).center(); }
    QPoint buttonOfRow(int row) const {
        const QRect r = list->visualRect(model.index(row));
        return {r.right() - 18, r.center().y()};
    }
    std::vector<int> paint() {
        delegate->painted.clear();
        image = backdrop.grab().toImage();
        return delegate->painted;
    }

    RowListModel<int> model{[](const int& row) { return QString::number(row); }};
    RedBackdrop backdrop;
    RecordingDelegate* delegate = new RecordingDelegate;
    ListView* list = nullptr;
    QImage image;
};

TEST_F(ListViewTest, PaintsOnlyTheRowsInSightInTheThemeOverWhatLiesBehind) {
    std::vector<int> painted = paint();
    ASSERT_FALSE(painted.empty());
    EXPECT_LE(painted.size(), size_t(300 / kRow + 1));
    EXPECT_EQ(*std::ranges::max_element(painted), int(painted.size()) - 1);
    EXPECT_EQ(image.pixelColor(10, 45), Theme::light().text);
    EXPECT_EQ(image.pixelColor(list->viewport()->width() - 20, 45), QColor(Qt::red)) << "no background";

    list->scrollToBottom();
    painted = paint();
    EXPECT_LE(painted.size(), size_t(300 / kRow + 1));
    EXPECT_EQ(*std::ranges::max_element(painted), 9'999);
    EXPECT_GE(*std::ranges::min_element(painted), 10'000 - 300 / kRow - 1);

    ThemeManager::instance().setThemeName(ThemeName::dark);
    paint();
    EXPECT_EQ(image.pixelColor(10, 45), Theme::dark().text);
}

TEST_F(ListViewTest, ClicksDoubleClicksKeysAndTheMenu) {
    QSignalSpy taps(list, &ListView::tapped), activations(list, &QAbstractItemView::activated),
        menus(list, &ListView::contextMenuRequested);
    mouse::click(*list->viewport(), centreOfRow(2));
    ASSERT_EQ(taps.count(), 1);
    EXPECT_EQ(taps[0][0].toModelIndex().row(), 2);
    EXPECT_EQ(list->currentIndex().row(), 2);

    // The first click of a pair taps; the release that ends the pair does not.
    mouse::doubleClick(*list->viewport(), centreOfRow(3));
    EXPECT_EQ(taps.count(), 2);
    ASSERT_EQ(activations.count(), 1);
    EXPECT_EQ(activations[0][0].toModelIndex().row(), 3);

    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(list->currentIndex().row(), 4);
    EXPECT_TRUE(list->selectionModel()->isRowSelected(4));
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(activations.count(), 2);
    QTest::keyClick(list, Qt::Key_End);
    EXPECT_EQ(list->currentIndex().row(), 9'999);
    EXPECT_EQ(std::ranges::max(paint()), 9'999) << "scrolled to the last row";
    QTest::keyClick(list, Qt::Key_Home);
    QTest::keyClicks(list, "57"); // type-ahead by the display text
    EXPECT_EQ(list->currentIndex().row(), 57);

    list->scrollToTop();
    QContextMenuEvent byPointer(QContextMenuEvent::Mouse, centreOfRow(6),
                                list->viewport()->mapToGlobal(centreOfRow(6)));
    QApplication::sendEvent(list->viewport(), &byPointer);
    list->setCurrentIndex(model.index(1));
    QContextMenuEvent byKey(QContextMenuEvent::Keyboard, {}, {});
    QApplication::sendEvent(list->viewport(), &byKey);
    ASSERT_EQ(menus.count(), 2);
    EXPECT_EQ(menus[0][0].toModelIndex().row(), 6);
    EXPECT_EQ(menus[1][0].toModelIndex().row(), 1) << "the menu key opens the keyboard row's menu";
}

TEST_F(ListViewTest, RowButtonsTakeTheirClicksShowHoverAndPress) {
    QSignalSpy buttons(list, &ListView::rowButtonClicked), taps(list, &ListView::tapped);
    list->setCurrentIndex(model.index(4));
    QWidget& viewport = *list->viewport();

    mouse::hover(viewport, buttonOfRow(0));
    paint();
    EXPECT_EQ(delegate->states[0].hoveredButton, 7);
    QHelpEvent tip(QEvent::ToolTip, buttonOfRow(0), viewport.mapToGlobal(buttonOfRow(0)));
    QApplication::sendEvent(&viewport, &tip);
    EXPECT_EQ(QToolTip::text(), "Remove");
    EXPECT_EQ(delegate->states[2].hoveredButton, -1);
    mouse::send(viewport, QEvent::MouseButtonPress, buttonOfRow(0));
    paint();
    EXPECT_EQ(delegate->states[0].pressedButton, 7);
    mouse::send(viewport, QEvent::MouseButtonRelease, buttonOfRow(0));
    ASSERT_EQ(buttons.count(), 1);
    EXPECT_EQ(buttons[0][0].toModelIndex().row(), 0);
    EXPECT_EQ(buttons[0][1].toInt(), 7);

    // Pressed, dragged away and released: no click. A disabled button takes the click and does nothing.
    mouse::send(viewport, QEvent::MouseButtonPress, buttonOfRow(0));
    mouse::send(viewport, QEvent::MouseMove, centreOfRow(0));
    mouse::send(viewport, QEvent::MouseButtonRelease, centreOfRow(0));
    mouse::click(viewport, buttonOfRow(1));
    EXPECT_EQ(buttons.count(), 1);
    EXPECT_EQ(taps.count(), 0);
    EXPECT_EQ(list->currentIndex().row(), 4) << "a button does not select its row";

    mouse::hover(viewport, centreOfRow(2));
    paint();
    EXPECT_TRUE(delegate->states[2].hovered);
    EXPECT_FALSE(delegate->states[3].hovered);
    EXPECT_EQ(delegate->states[0].hoveredButton, -1);
}

TEST_F(ListViewTest, FittingItsRowsUpToAMaximum) {
    QWidget page;
    auto* column = new QVBoxLayout(&page);
    auto* fitted = new ListView(new RecordingDelegate, &page);
    RowListModel<int> rows;
    fitted->setModel(&rows);
    fitted->setFitsRows(true, 220);
    fitted->setPadding({0, 4, 0, 4});
    column->addWidget(fitted);
    column->addStretch(1);
    page.resize(300, 600);
    page.show();
    for (auto [count, height] : {std::pair{0, 8}, {5, 5 * kRow + 8}, {100, 220}, {2, 2 * kRow + 8}}) {
        rows.setRows(numbers(count));
        QCoreApplication::processEvents();
        page.layout()->activate();
        EXPECT_EQ(fitted->height(), height) << count << " rows";
    }
}

// Rows end at the viewport's right edge, also when rows added or removed bring or take away the
// scroll bar (the delegate paints right-aligned text there).
TEST_F(ListViewTest, RowsEndAtTheViewportsEdgeWhenTheScrollBarComesAndGoes) {
    list->setPadding({12, 6, 12, 12});
    auto paintedRight = [&] {
        paint();
        return delegate->states.at(0).rect.right();
    };
    for (int count : {3, 100, 3, 200}) {
        model.setRows(numbers(count));
        QCoreApplication::processEvents();
        EXPECT_EQ(list->verticalScrollBar()->isVisible(), count > 8) << count << " rows";
        const int edge = list->viewport()->width();
        EXPECT_EQ(list->rowRect(model.index(0)).right(), edge) << count << " rows";
        EXPECT_LE(paintedRight(), edge) << count << " rows";
    }
}

TEST(ListViewOutline, OpensAndClosesRowsByKeyAndDrawsChevronsOnlyWhereRowsOpen) {
    ThemeManager::instance().setThemeName(ThemeName::light);
    TreeBuilder builder("/data");
    builder.fileAt("media/a.mov", 300);
    builder.fileAt("media/b.mov", 200);
    builder.fileAt("readme.md", 100);
    auto tree = builder.finish();
    NodeListModel model;
    model.setNodes(tree, {tree->root()->children().begin(), tree->root()->children().end()},
                   [](const FileNode* node) { return node->children(); });
    ListView list(new RecordingDelegate);
    list.setOutline(true);
    list.setModel(&model);
    list.resize(300, 200);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));

    // The chevron's slot beside the folder holds ink; beside the file it is empty.
    auto inkInSlot = [&](int row) {
        const QImage image = list.grab().toImage();
        const QColor empty = image.pixelColor(5, image.height() - 5); // below the rows
        const QRect slot = list.visualRect(model.index(row, 0)).translated(-list.indentation(), 0);
        int ink = 0;
        for (int x = slot.left(); x < slot.left() + list.indentation(); ++x)
            for (int y = slot.top(); y <= slot.bottom(); ++y)
                ink += image.pixelColor(x, y) != empty;
        return ink;
    };
    EXPECT_GT(inkInSlot(0), 0);
    EXPECT_EQ(inkInSlot(1), 0);

    list.setFocus();
    list.setCurrentIndex(model.index(0, 0));
    QTest::keyClick(&list, Qt::Key_Right);
    EXPECT_TRUE(list.isExpanded(model.index(0, 0)));
    QTest::keyClick(&list, Qt::Key_Down);
    EXPECT_EQ(NodeListModel::node(list.currentIndex())->name(), "a.mov");
    QTest::keyClick(&list, Qt::Key_Left); // to the parent, then closes it
    QTest::keyClick(&list, Qt::Key_Left);
    EXPECT_FALSE(list.isExpanded(model.index(0, 0)));
}

} // namespace
