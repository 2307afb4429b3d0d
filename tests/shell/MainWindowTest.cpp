#include "model/CleanupQueue.h"
#include "shell/controls/Buttons.h"
#include "shell/controls/SymbolButton.h"
#include "shell/panels/AppWindow.h"
#include "shell/panels/Breadcrumb.h"
#include "shell/panels/ContentView.h"
#include "shell/panels/ExploreView.h"
#include "shell/panels/FilterField.h"
#include "shell/panels/FolderChooser.h"
#include "shell/panels/QueuePopover.h"
#include "shell/panels/TopBar.h"
#include "shell/panels/ViewRegistry.h"
#include "tests/shell/ShellFixture.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QPointer>

namespace {

// The content of a tool screen or of the queue popover.
class FakeScreen : public QWidget {
    Q_OBJECT
  public:
    using QWidget::QWidget;
  signals:
    void dismissRequested();
};

std::vector<QString> crumbTitles(Breadcrumb* breadcrumb) {
    std::vector<QString> titles;
    for (CrumbButton* c : breadcrumb->crumbs())
        titles.push_back(c->title());
    return titles;
}

class MainWindowTest : public ShellTest {};

TEST_F(MainWindowTest, LeavingATabDiscardsItsScreenAndOnlyExploreHasTheInspector) {
    int built = 0;
    ViewRegistry::registerTool(AppTab::duplicates, [&](ScanViewModel&, QWidget* parent) {
        ++built;
        return new FakeScreen(parent);
    });
    auto vm = makeViewModel();
    vm->settings().setShowInspector(true);
    auto view = shown<ContentView>(QSize(1280, 760), *vm);
    SegmentStrip* tabs = view->topBar()->tabStrip();
    QPointer<QWidget> explore = view->tabScreen();
    QPointer<QWidget> inspector = view->inspector();
    ASSERT_TRUE(qobject_cast<ExploreView*>(explore.data()) && inspector);
    const int withInspector = view->tabScreenGeometry().width();

    clickSegment(tabs, 1);
    QPointer<FakeScreen> duplicates = qobject_cast<FakeScreen*>(view->tabScreen());
    ASSERT_TRUE(duplicates);
    flushDeletes();
    EXPECT_TRUE(explore.isNull() && inspector.isNull());
    const int withoutInspector = view->tabScreenGeometry().width();
    EXPECT_GT(withoutInspector, withInspector + 300);
    // A tab without a registered screen shows its title on an empty area.
    clickSegment(tabs, 3);
    EXPECT_EQ(view->tabScreen()->accessibleName(), "Monitor");
    flushDeletes();
    EXPECT_TRUE(duplicates.isNull());
    clickSegment(tabs, 1); // built anew
    QPointer<QWidget> again = view->tabScreen();
    clickSegment(tabs, 1); // the selected tab again keeps it
    flushDeletes();
    EXPECT_FALSE(again.isNull());
    EXPECT_EQ(built, 2);
    vm->settings().setTab(AppTab::explore); // the inspector's button takes it away on Explore too
    inspector = view->inspector();
    ASSERT_TRUE(inspector);
    QTest::mouseClick(view->topBar()->inspectorButton(), Qt::LeftButton);
    EXPECT_FALSE(vm->settings().showInspector());
    flushDeletes();
    EXPECT_TRUE(inspector.isNull());
    EXPECT_EQ(view->tabScreenGeometry().width(), withoutInspector);
}

// The window's layers are opaque, so Qt paints nothing under them; each paints every pixel of its own.
// In both themes the dividers under the top bar and beside the panels, and the top bar, show the theme.
TEST_F(MainWindowTest, EveryLayerPaintsItsOwnPixelsInBothThemes) {
    auto vm = makeViewModel();
    vm->settings().setShowInspector(true);
    AppWindow window;
    auto* content = new ContentView(*vm);
    window.setContent(content);
    window.resize(1280, 760);
    window.show();
    QApplication::processEvents();
    for (ThemeName name : theme_name::allCases) {
        vm->settings().setThemeName(name);
        QApplication::processEvents();
        const Theme& t = Theme::forName(name);
        const QImage image = window.grab().toImage();
        const int rowY = TopBar::kHeight + 40;
        const int inspectorLeft = content->inspector()->mapTo(&window, QPoint(0, 0)).x();
        EXPECT_EQ(image.pixelColor(ContentView::kSidebarWidth, rowY).rgb(), t.divider.rgb());
        EXPECT_EQ(image.pixelColor(inspectorLeft - 1, rowY).rgb(), t.divider.rgb());
        EXPECT_EQ(image.pixelColor(640, TopBar::kHeight).rgb(), t.divider.rgb());
        EXPECT_EQ(image.pixelColor(640, 2).rgb(), t.background.rgb());
    }
    vm->settings().setThemeName(ThemeName::light);
}

TEST_F(MainWindowTest, TopBarFollowsTheModelAndItsWidth) {
    auto vm = makeViewModel();
    auto bar = shown<TopBar>(QSize(760, TopBar::kHeight), *vm);
    // Short: only the selected tab keeps its title; the strip ends before the filter field begins.
    SegmentStrip* tabs = bar->tabStrip();
    for (int i = 0; i < tabs->count(); ++i)
        EXPECT_EQ(tabs->showsTitle(i), i == 0) << i;
    EXPECT_LT(tabs->geometry().right(), bar->filterField()->geometry().left());
    // No empty strip at the leading edge: the tabs keep the margin the buttons keep at the trailing one.
    EXPECT_EQ(tabs->geometry().left(), bar->width() - 1 - bar->inspectorButton()->geometry().right());
    vm->settings().setTab(AppTab::applications);
    EXPECT_TRUE(tabs->showsTitle(2));
    vm->settings().setTab(AppTab::explore);
    bar->resize(1680, TopBar::kHeight);
    EXPECT_TRUE(tabs->showsTitle(1));

    Breadcrumb* crumbs = bar->breadcrumb();
    QWidget* badge = bar->badge();
    EXPECT_FALSE(crumbs->isVisible() || badge->isVisible()); // nothing scanned nor staged yet

    scanAndWait(*vm, makeFixture());
    EXPECT_EQ(crumbTitles(crumbs), std::vector<QString>{"fixture"});
    EXPECT_FALSE(crumbs->backButton()->isEnabled());

    FileNode* project = nodeAt(vm->root(), "Code/project");
    FileNode* src = nodeAt(project, "src");
    vm->setCurrentFolder(nodeAt(src, "deep/deeper"));
    // Five levels down: four crumbs, the root not among them.
    EXPECT_EQ(crumbTitles(crumbs), (std::vector<QString>{"project", "src", "deep", "deeper"}));
    EXPECT_TRUE(crumbs->backButton()->isEnabled());

    QTest::mouseClick(crumbs->crumbs()[1], Qt::LeftButton);
    EXPECT_EQ(vm->currentFolder(), src);
    EXPECT_EQ(crumbTitles(crumbs), (std::vector<QString>{"fixture", "Code", "project", "src"}));
    QTest::mouseClick(crumbs->backButton(), Qt::LeftButton);
    EXPECT_EQ(vm->currentFolder(), project);
    EXPECT_EQ(vm->selectedNode(), src); // the folder left shows selected
    // Too narrow for the names: they shorten, the row stays inside the bar.
    bar->resize(1280, TopBar::kHeight);
    EXPECT_LT(bar->breadcrumb()->geometry().right(), bar->filterField()->geometry().left());
    // The badge counts the queue and widens for three digits.
    ASSERT_TRUE(vm->cleanupQueue().add(project, "Staged from Explore"));
    EXPECT_TRUE(badge->isVisible());
    EXPECT_EQ(badge->accessibleName(), "1");
    const int oneDigit = badge->width();
    std::vector<std::pair<std::string, int64_t>> many;
    for (int i = 0; i < 120; ++i)
        many.emplace_back("/nowhere/item" + std::to_string(i), 10);
    vm->cleanupQueue().addAll(many, "Test");
    EXPECT_EQ(badge->accessibleName(), "121");
    EXPECT_GT(badge->width(), oneDigit);
    vm->cleanupQueue().clear();
    EXPECT_FALSE(badge->isVisible());

    QTest::mouseClick(bar->themeButton(), Qt::LeftButton);
    EXPECT_EQ(ThemeManager::instance().name(), ThemeName::dark);
    vm->settings().setTab(AppTab::duplicates);
    EXPECT_FALSE(crumbs->isVisible());
}

TEST_F(MainWindowTest, FilterFieldAndItsShortcut) {
    auto vm = makeViewModel();
    auto view = shown<ContentView>(QSize(1680, 1050), *vm);
    QApplication::setActiveWindow(view.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
    FilterField* field = view->topBar()->filterField();
    EXPECT_TRUE(field->showsHint()); // not focused at first
    QTest::keyClick(view.get(), Qt::Key_K, Qt::ControlModifier);
    EXPECT_TRUE(field->lineEdit()->hasFocus());
    EXPECT_FALSE(field->showsHint());
    QTest::keyClicks(field->lineEdit(), "Mov");
    EXPECT_EQ(vm->filter(), "Mov");

    QTest::mouseClick(field->clearButton(), Qt::LeftButton);
    EXPECT_EQ(vm->filter(), "");
    EXPECT_FALSE(field->showsHint()); // still focused
    view->setFocus(Qt::MouseFocusReason);
    EXPECT_TRUE(field->showsHint());
    vm->setFilter("music");
    EXPECT_EQ(field->lineEdit()->text(), "music");
}

// The typed text reads on the field after the top bar's toggle changes the theme, from either theme.
TEST_F(MainWindowTest, FilterTextFollowsTheTheme) {
    for (ThemeName first : theme_name::allCases) {
        auto vm = makeViewModel();
        vm->settings().setThemeName(first);
        auto view = shown<ContentView>(QSize(1280, 760), *vm);
        FilterField* field = view->topBar()->filterField();
        QLineEdit* edit = field->lineEdit();
        QTest::keyClicks(edit, "Movies");
        const ThemeName second = first == ThemeName::light ? ThemeName::dark : ThemeName::light;
        for (ThemeName name : {second, first}) {
            QTest::mouseClick(view->topBar()->themeButton(), Qt::LeftButton);
            ASSERT_EQ(ThemeManager::instance().name(), name);
            const Theme& t = Theme::forName(name);
            const char* which = name == ThemeName::dark ? "dark" : "light";
            EXPECT_EQ(edit->palette().color(QPalette::Text), t.text) << which;
            EXPECT_EQ(edit->palette().color(QPalette::PlaceholderText), t.textTertiary) << which;
            // The drawn text stands out from the field's ground.
            const QImage image = field->grab().toImage();
            const QRect text = edit->geometry();
            int contrast = 0;
            for (int x = text.left(); x <= text.right(); ++x)
                for (int y = text.top() + 4; y <= text.bottom() - 4; ++y)
                    contrast =
                        std::max(contrast, std::abs(image.pixelColor(x, y).lightness() - t.card.lightness()));
            EXPECT_GT(contrast, 120) << which;
        }
    }
}

TEST(FolderChooser, PicksOneFolderAndConfirmsWithScan) {
    const auto chooser = makeFolderChooser(nullptr);
    EXPECT_EQ(chooser->fileMode(), QFileDialog::Directory);
    EXPECT_TRUE(chooser->testOption(QFileDialog::ShowDirsOnly));
    EXPECT_EQ(chooser->labelText(QFileDialog::Accept), "Scan");
}

TEST_F(MainWindowTest, QueuePopoverOpensAndCloses) {
    QPointer<FakeScreen> content;
    ViewRegistry::registerCleanupQueue([&](ScanViewModel&, QWidget* parent) {
        content = new FakeScreen(parent);
        return content.data();
    });
    auto vm = makeViewModel();
    auto view = shown<ContentView>(QSize(1680, 1050), *vm);
    TopBar* bar = view->topBar();

    QTest::mouseClick(bar->queueButton(), Qt::LeftButton);
    QPointer<QueuePopover> popover = bar->queuePopover();
    ASSERT_TRUE(popover && content);
    EXPECT_GT(popover->geometry().top(),
              bar->queueButton()->mapToGlobal(QPoint(0, 0)).y()); // below the button
    // A dialog opened from inside does not close it, nor does a click in that dialog.
    {
        QDialog dialog(content);
        dialog.setModal(true);
        dialog.show();
        QTest::mouseClick(&dialog, Qt::LeftButton);
        EXPECT_TRUE(popover && popover->isVisible());
    }
    // The click on the button that closes it does not open it again.
    QTest::mouseClick(bar->queueButton(), Qt::LeftButton);
    flushDeletes();
    EXPECT_TRUE(popover.isNull());
    EXPECT_EQ(bar->queuePopover(), nullptr);
    // A click anywhere outside closes it and discards the content; the content may close it too.
    QTest::mouseClick(bar->queueButton(), Qt::LeftButton);
    ASSERT_TRUE(bar->queuePopover());
    QTest::mouseClick(view->tabScreen(), Qt::LeftButton);
    flushDeletes();
    EXPECT_EQ(bar->queuePopover(), nullptr);
    EXPECT_TRUE(content.isNull());
    QTest::mouseClick(bar->queueButton(), Qt::LeftButton);
    ASSERT_TRUE(content);
    emit content->dismissRequested();
    flushDeletes();
    EXPECT_EQ(bar->queuePopover(), nullptr);
}

} // namespace

#include "MainWindowTest.moc"
