#include "shell/panels/AppShortcut.h"
#include "shell/panels/AppWindow.h"
#include "shell/panels/ContentView.h"
#include "shell/panels/PreviewWindow.h"
#include "shell/style/Motion.h"
#include "shell/style/Theme.h"
#include "tests/shell/ShellFixture.h"
#include "tests/support/PreviewFiles.h"
#include "tests/support/SparseTwins.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <filesystem>
#include <future>

#include <gtest/gtest.h>

namespace {

TEST(AppWindow, DefaultSizeIsClampedToTheScreenButNotBelowTheMinimum) {
    EXPECT_EQ(AppWindow::defaultSize(QRect(0, 0, 1024, 700)), QSize(1280, 760));
    AppWindow window;
    window.resize(800, 600);
    EXPECT_EQ(window.size(), QSize(1280, 760));
}

TEST(AppWindow, ThemeSwitchCrossFadesFromTheOldLookToTheNew) {
    AppWindow window;
    window.resize(1280, 760);
    window.show();
    ThemeManager::instance().setThemeName(ThemeName::light);
    motion::setAnimationsEnabled(true);
    ThemeManager::instance().setThemeName(ThemeName::dark);
    auto* fade = window.findChild<QLabel*>();
    ASSERT_NE(fade, nullptr);
    EXPECT_TRUE(fade->isVisible());
    EXPECT_EQ(fade->pixmap().toImage().pixelColor(5, 5).rgb(), Theme::light().background.rgb());
    motion::setAnimationsEnabled(false); // ends every animation, the fade too
    EXPECT_FALSE(fade->isVisible());
    EXPECT_EQ(window.grab().toImage().pixelColor(5, 5).rgb(), Theme::dark().background.rgb());
    EXPECT_EQ(QApplication::palette().color(QPalette::Text), Theme::dark().text); // Qt-drawn widgets follow
    ThemeManager::instance().setThemeName(ThemeName::light);
}

class AppQuitTest : public ShellTest {};

// Closing the window ends the application, as the entry runs it, even with the preview open and a
// duplicate search reading large files: the event loop quits, and the state object stops the search
// within the file it reads rather than waiting for it.
TEST_F(AppQuitTest, ClosingTheWindowQuitsWhileASearchRuns) {
    constexpr int64_t size = int64_t{1} << 30;
    writeSparseTwins(dir, "big", size);
    dir.writeFile("notes.txt", 10);
    auto vm = makeViewModel();
    scanAndWait(*vm, dir.str() + "/big");
    auto window = std::make_unique<AppWindow>();
    window->setContent(new ContentView(*vm));
    window->show();
    PreviewWindow::preview(dir.str() + "/notes.txt");
    const int64_t before = bytesReadByProcess();
    ASSERT_GE(before, 0);
    vm->findDuplicates();
    WAIT_FOR(bytesReadByProcess() - before > kTwinsBeingHashed);

    bool stillRunning = false;
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [&] {
        stillRunning = true;
        QCoreApplication::exit(1);
    });
    watchdog.start(20000);
    QTimer::singleShot(0, window.get(), [&] { window->close(); });
    QApplication::exec();
    EXPECT_FALSE(stillRunning) << "the event loop went on after the window closed";
    window.reset();
    vm.reset();
    EXPECT_LT(bytesReadByProcess() - before, size);
}

// A picture stored without compression, so that reading it reads its whole file: a preview's read of
// it stops (at its next row) when another item is previewed, when the preview closes, and when the
// application quits, which does not wait for it.
TEST_F(AppQuitTest, APreviewsReadStopsWhenReplacedClosedOrQuitting) {
    static constexpr int kWatchdogMs = 15000; // against a hang
    const std::string picture = writeBlankPng(dir, "grey.png", QSize(8192, 8192), 8, false);
    const auto size = int64_t(std::filesystem::file_size(picture));
    const std::string notes = writeText(dir, "notes.txt", "hello\n");
    PreviewWindow& preview = PreviewWindow::instance();
    int64_t before = bytesReadByProcess();
    ASSERT_GE(before, 0);
    PreviewWindow::preview(picture);
    PreviewWindow::preview(notes);
    EXPECT_TRUE(preview.waitForReads(kWatchdogMs)) << "replaced";
    EXPECT_LT(bytesReadByProcess() - before, size / 4) << "replaced";
    QCoreApplication::processEvents();
    EXPECT_EQ(preview.page(), platform::PreviewPage::text);
    before = bytesReadByProcess();
    PreviewWindow::preview(picture);
    preview.close();
    EXPECT_TRUE(preview.waitForReads(kWatchdogMs)) << "closed";
    EXPECT_LT(bytesReadByProcess() - before, size / 4) << "closed";

    auto window = std::make_unique<AppWindow>();
    window->show();
    before = bytesReadByProcess();
    PreviewWindow::preview(picture);
    const QPointer<PreviewWindow> shown = &PreviewWindow::instance();
    std::promise<void> quit;
    auto quitInTime = std::async(std::launch::async, [returned = quit.get_future()] {
        return returned.wait_for(std::chrono::milliseconds(kWatchdogMs)) == std::future_status::ready;
    });
    QTimer::singleShot(0, window.get(), [&] { window->close(); });
    QTimer hang; // the event loop itself must end too
    hang.setSingleShot(true);
    QObject::connect(&hang, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    hang.start(2 * kWatchdogMs);
    QApplication::exec();
    quit.set_value();
    // The preview went as the event loop ended, its pool done.
    EXPECT_TRUE(quitInTime.get()) << "quitting";
    EXPECT_TRUE(shown.isNull());
    EXPECT_LT(bytesReadByProcess() - before, size / 4) << "quitting";
}

// A line edit that, like QLineEdit under X11 key bindings, claims Ctrl+K (delete to the line's end).
class ClaimingLineEdit : public QLineEdit {
  public:
    using QLineEdit::QLineEdit;
    int ctrlK = 0;

  protected:
    static bool isCtrlK(QEvent* e) {
        auto* k = static_cast<QKeyEvent*>(e);
        return k->key() == Qt::Key_K && k->modifiers() == Qt::ControlModifier;
    }
    bool event(QEvent* e) override {
        if (e->type() == QEvent::ShortcutOverride && isCtrlK(e)) {
            e->accept();
            return true;
        }
        return QLineEdit::event(e);
    }
    void keyPressEvent(QKeyEvent* e) override { isCtrlK(e) ? void(++ctrlK) : QLineEdit::keyPressEvent(e); }
};

TEST(AppShortcut, TheApplicationsMeaningWinsOverALineEdit) {
    QWidget window;
    auto* edit = new ClaimingLineEdit("some text", &window);
    int fired = 0;
    AppShortcut focusFilter(QKeySequence(Qt::CTRL | Qt::Key_K), &window, [&] { ++fired; });
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    edit->setFocus();
    edit->setCursorPosition(4);

    QTest::keyClick(edit, Qt::Key_K, Qt::ControlModifier);
    EXPECT_EQ(fired, 1);
    EXPECT_EQ(edit->ctrlK, 0);
    QTest::keyClick(edit, Qt::Key_X); // other keys still type
    EXPECT_EQ(edit->text(), "somex text");
    focusFilter.setEnabled(false);
    QTest::keyClick(edit, Qt::Key_K, Qt::ControlModifier);
    EXPECT_EQ(fired, 1);
    EXPECT_EQ(edit->ctrlK, 1); // now the line edit's own meaning
}

} // namespace
