// A theme switch reaches every widget of the window: after a toggle each screen looks exactly as one
// built in the new theme from the start. A widget that keeps a colour from when it was built, or that
// is not repainted, shows up here as a difference, named by the widget it lies in.
#include "app/RegisterViews.h"
#include "model/CleanupQueue.h"
#include "shell/panels/AppWindow.h"
#include "shell/panels/ContentView.h"
#include "shell/panels/ViewRegistry.h"
#include "shell/style/Theme.h"
#include "tests/shell/ShellFixture.h"
#include "tests/support/FixedMonitor.h"
#include "tools/monitor/MonitorView.h"

#include <QPainter>
#include <QThreadPool>

#include <functional>
#include <optional>

namespace {

// The first pixel where two pictures differ, if any.
std::optional<QPoint> firstDifference(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) return QPoint(0, 0);
    const QImage x = a.convertToFormat(QImage::Format_ARGB32);
    const QImage y = b.convertToFormat(QImage::Format_ARGB32);
    for (int row = 0; row < x.height(); ++row) {
        const auto* p = reinterpret_cast<const QRgb*>(x.constScanLine(row));
        const auto* q = reinterpret_cast<const QRgb*>(y.constScanLine(row));
        for (int column = 0; column < x.width(); ++column)
            if (p[column] != q[column]) return QPoint(column, row);
    }
    return std::nullopt;
}

// The chain of widget classes from the window down to the one at `point`.
std::string widgetsAt(QWidget& window, QPoint point) {
    std::string chain;
    for (QWidget* w = window.childAt(point); w && w != &window; w = w->parentWidget())
        chain = std::string(" > ") + w->metaObject()->className() + chain;
    return window.metaObject()->className() + chain;
}

class ThemeReachTest : public ShellTest {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        registerViews();
        // The monitor over a fixed sample, so that two windows show the same figures.
        ViewRegistry::registerTool(AppTab::monitor, [this](ScanViewModel& viewModel, QWidget* parent) {
            return new MonitorView(
                viewModel, SamplingLoop::Sources{fixed_monitor::fixedSample, fixed_monitor::fixedVolumes},
                &pool, 3'600'000, parent);
        });
        vm = makeViewModel();
        vm->settings().setShowInspector(true);
    }
    void TearDown() override {
        windows.clear();
        flushDeletes();
        pool.waitForDone();
        ShellTest::TearDown();
    }

    using Build = std::function<std::unique_ptr<QWidget>()>;

    std::unique_ptr<QWidget> mainWindow() {
        auto window = std::make_unique<AppWindow>();
        window->setContent(new ContentView(*vm));
        window->resize(AppWindow::kMinimumSize);
        return window;
    }

    static QImage picture(QWidget& window) {
        for (int i = 0; i < 3; ++i) {
            QCoreApplication::processEvents();
            flushDeletes();
        }
        return window.grab().toImage();
    }

    // Toggles light -> dark -> light with a window built in light and one built in dark: after each
    // toggle both look as the window built in that theme does.
    void expectToggledWindowsMatchFreshOnes(const std::string& screen, const Build& build,
                                            const std::function<void(QWidget&)>& settle = {}) {
        SCOPED_TRACE(screen);
        windows.clear();
        flushDeletes();
        auto open = [&]() -> QWidget& {
            QWidget& window = *windows.emplace_back(build());
            window.show();
            if (settle) settle(window);
            return window;
        };
        vm->settings().setThemeName(ThemeName::light);
        QWidget& builtLight = open();
        const QImage light = picture(builtLight);

        vm->settings().setThemeName(ThemeName::dark);
        QWidget& builtDark = open();
        const QImage dark = picture(builtDark);
        ASSERT_NE(light, dark);
        expectSame(builtLight, dark, "light, toggled to dark");

        vm->settings().setThemeName(ThemeName::light);
        expectSame(builtLight, light, "light, toggled to dark and back");
        expectSame(builtDark, light, "dark, toggled to light");
    }

    void expectSame(QWidget& window, const QImage& expected, const char* what) {
        const QImage shown = picture(window);
        if (const auto at = firstDifference(shown, expected))
            ADD_FAILURE() << what << ": differs at (" << at->x() << ", " << at->y() << ") in "
                          << widgetsAt(window, *at);
    }

    std::unique_ptr<ScanViewModel> vm;
    QThreadPool pool;
    std::vector<std::unique_ptr<QWidget>> windows;
};

TEST_F(ThemeReachTest, EveryScreenAfterAToggleLooksAsOneBuiltInThatTheme) {
    const Build main = [this] { return mainWindow(); };
    expectToggledWindowsMatchFreshOnes("start", main);

    const std::string fixture = makeFixture();
    vm->scan(fixture);
    WAIT_FOR(vm->status().kind == ScanViewModel::Status::Kind::done);
    vm->setShowAccessNotice(false);
    FileNode* documents = nodeAt(vm->root(), "Documents");
    vm->setSelectedNode(documents);
    vm->cleanupQueue().add(documents->children()[0], "Staged from Explore");

    // Canvases, cards, lists and the inspector's labels, each on its own screen.
    for (VisualizationMode mode :
         {VisualizationMode::treemap, VisualizationMode::folders, VisualizationMode::topSizes,
          VisualizationMode::ageMap, VisualizationMode::outline}) {
        vm->settings().setMode(mode);
        expectToggledWindowsMatchFreshOnes(std::string(visualization_mode::rawValue(mode)), main);
    }
    for (AppTab tab : app_tab::allCases) {
        vm->settings().setTab(tab);
        expectToggledWindowsMatchFreshOnes(std::string(app_tab::rawValue(tab)), main, [tab](QWidget& window) {
            if (tab != AppTab::monitor) return;
            auto* monitor = window.findChild<MonitorView*>();
            ASSERT_TRUE(monitor);
            WAIT_FOR(!monitor->sampling().cpuHistory().empty() && !monitor->sampling().volumes().empty());
        });
    }
    // The top bar's queue popover shows the cleanup queue in a window of its own.
    expectToggledWindowsMatchFreshOnes("cleanup queue", [this] {
        std::unique_ptr<QWidget> queue(ViewRegistry::createCleanupQueue(*vm, nullptr));
        queue->resize(380, 420);
        return queue;
    });
}

// The pictures above are grabbed, which paints every widget anyway: here a shown widget is left to the
// event loop. It paints from theme() and has a palette of its own in every role, so the application
// palette's change passes it by; only the repaint that follows the theme event brings the new theme.
TEST(ThemeRepaint, AShownWidgetIsRepaintedAfterASwitch) {
    class Painted : public QWidget {
      public:
        int paints = 0;
        QColor painted;

      protected:
        void paintEvent(QPaintEvent*) override {
            ++paints;
            painted = theme().background;
            QPainter(this).fillRect(rect(), painted);
        }
    };
    ThemeManager::instance().setThemeName(ThemeName::light);
    Painted widget;
    QPalette own;
    for (int role = 0; role < QPalette::NColorRoles; ++role)
        own.setColor(QPalette::ColorRole(role), Qt::gray);
    widget.setPalette(own);
    widget.resize(200, 100);
    widget.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
    ASSERT_TRUE(QTest::qWaitFor([&] { return widget.paints > 0; }, 5000));
    const int before = widget.paints;

    ThemeManager::instance().setThemeName(ThemeName::dark);
    EXPECT_TRUE(QTest::qWaitFor([&] { return widget.paints > before; }, 5000));
    EXPECT_EQ(widget.painted.rgb(), Theme::dark().background.rgb());
    ThemeManager::instance().setThemeName(ThemeName::light);
}

} // namespace
