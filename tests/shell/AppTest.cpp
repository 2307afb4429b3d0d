#include "model/CleanupQueue.h"
#include "platform/Trash.h"
#include "shell/panels/AppShortcut.h"
#include "shell/panels/AppWindow.h"
#include "shell/panels/ContentView.h"
#include "shell/panels/PreviewWindow.h"
#include "shell/style/Motion.h"
#include "shell/style/Theme.h"
#include "tests/shell/ShellFixture.h"
#include "tests/support/ChildProcesses.h"
#include "tests/support/HostilePictures.h"
#include "tests/support/PreviewFiles.h"
#include "tests/support/SparseTwins.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <QThreadPool>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

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

// Whether a picture worker runs, waiting a while for one to start.
bool aWorkerDraws() {
    return QTest::qWaitFor([] { return !childProcesses().empty(); }, 15000);
}

// Quits as the application does: the main window closes and the event loop ends; true when it did.
bool closeAndQuit(AppWindow& window) {
    bool hung = false;
    QTimer::singleShot(0, &window, [&] { window.close(); });
    QTimer hang; // against a hang
    hang.setSingleShot(true);
    QObject::connect(&hang, &QTimer::timeout, [&] {
        hung = true;
        QCoreApplication::exit(1);
    });
    hang.start(30000);
    QApplication::exec();
    return !hung;
}

// A picture whose drawing takes minutes, in a worker process: the preview's read of it ends, its worker
// with it, when another item is previewed, when the preview closes, and when the application quits.
TEST_F(AppQuitTest, APreviewsReadStopsWhenReplacedClosedOrQuitting) {
    static constexpr int kWatchdogMs = 15000; // against a hang: a worker left drawing takes far longer
    const std::string picture = writeText(dir, "slow.svg", svgDashedPolygon());
    const std::string notes = writeText(dir, "notes.txt", "hello\n");
    PreviewWindow& preview = PreviewWindow::instance();
    PreviewWindow::preview(picture);
    ASSERT_TRUE(aWorkerDraws());
    PreviewWindow::preview(notes);
    EXPECT_TRUE(preview.waitForReads(kWatchdogMs)) << "replaced";
    EXPECT_TRUE(childProcesses().empty()) << "replaced";
    QCoreApplication::processEvents();
    EXPECT_EQ(preview.page(), platform::PreviewPage::text);
    PreviewWindow::preview(picture);
    ASSERT_TRUE(aWorkerDraws());
    preview.close();
    EXPECT_TRUE(preview.waitForReads(kWatchdogMs)) << "closed";
    EXPECT_TRUE(childProcesses().empty()) << "closed";

    auto window = std::make_unique<AppWindow>();
    window->show();
    PreviewWindow::preview(picture);
    const QPointer<PreviewWindow> shown = &PreviewWindow::instance();
    ASSERT_TRUE(aWorkerDraws());
    EXPECT_TRUE(closeAndQuit(*window));
    // The preview went as the event loop ended, its pool done and its worker ended.
    EXPECT_TRUE(shown.isNull());
    EXPECT_TRUE(childProcesses().empty()) << "quitting";
}

// A move to the Trash on a slow volume, confirmed just before the quit while the preview's worker draws
// (every rename waits for the quit to begin, then a while): the quit ends the worker, and the application
// object, as it goes, waits for Qt's pools as usual, so every item is moved and every .trashinfo names an
// item that is in the Trash.
TEST_F(AppQuitTest, AMoveToTheTrashConfirmedBeforeTheQuitEndsWhileAPictureIsDrawn) {
    struct SlowVolume : platform::TrashBackend {
        platform::FreedesktopTrash trash;
        std::atomic<int> begun = 0;
        std::atomic<bool> quitting = false;
        bool moveToTrash(const std::string& path) override {
            ++begun;
            for (int i = 0; !quitting && i < 30000; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            return trash.moveToTrash(path);
        }
        void secondAttempt(const std::string& path) override { trash.secondAttempt(path); }
    };
    std::vector<std::string> items;
    for (int i = 0; i < 20; ++i)
        items.push_back(dir.writeFile("items/item-" + std::to_string(i) + ".txt", 100).string());
    const std::filesystem::path trash = platform::FreedesktopTrash::trashFolderFor(items.front());
    ASSERT_FALSE(trash.empty());
    auto window = std::make_unique<AppWindow>();
    window->show();
    PreviewWindow::preview(writeText(dir, "slow.svg", svgDashedPolygon()));
    ASSERT_TRUE(aWorkerDraws());
    auto volume = std::make_shared<SlowVolume>();
    QObject context;
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, &context, [&] { volume->quitting = true; });
    CleanupQueue::moveToTrash(items, &context, {}, volume);
    WAIT_FOR(volume->begun > 0);
    EXPECT_TRUE(closeAndQuit(*window));
    EXPECT_TRUE(childProcesses().empty()) << "a worker outlived the event loop";
    QThreadPool::globalInstance()->waitForDone(); // as the application object does when it goes

    for (const std::string& item : items)
        EXPECT_FALSE(std::filesystem::exists(item)) << item;
    int infos = 0;
    for (const auto& info : std::filesystem::directory_iterator(trash / "info")) {
        ++infos;
        EXPECT_TRUE(std::filesystem::exists(trash / "files" / info.path().stem())) << info.path();
    }
    EXPECT_GE(infos, 20);
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
