// The applications screen over a state object whose listing, processes and Trash are fakes, with fake
// AppImages in a temporary home (never executed).
#include "tools/applications/AppUninstallerView.h"
#include "model/AppUninstaller.h"
#include "model/CleanupQueue.h"
#include "model/InstalledApps.h"
#include "model/UninstallFlow.h"
#include "platform/AppIconProvider.h"
#include "shell/controls/Buttons.h"
#include "shell/lists/ListView.h"
#include "shell/style/Formatters.h"
#include "tests/model/ViewModelFixture.h"
#include "tests/shell/ShellFixture.h"
#include "tests/support/EnvOverride.h"
#include "tests/support/FakeDesktop.h"
#include "tests/support/RowButtons.h"
#include "tests/support/StuckReads.h"
#include "tests/support/ThemedPictures.h"
#include "tools/applications/AppIconCache.h"
#include "tools/applications/AppRow.h"

#include <QAbstractButton>
#include <QAbstractItemModelTester>
#include <QDateTime>
#include <QLabel>
#include <QMessageBox>
#include <QScopeGuard>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QWheelEvent>
#include <QtTest/qtestspontaneevent.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <mutex>
#include <set>
#include <thread>

namespace {

namespace fs = std::filesystem;
using AppUninstaller::InstalledApp;
using AppUninstaller::LeftoverGroup;

struct GroupSpec {
    std::string category;
    int paths;
    int64_t size;
};

// Every icon a plain square of one colour, every lookup counted with the thread it ran on; held while
// `hold` is set (at most for a while, so a lookup on the window's thread fails a test, not the run).
class SquareIcons : public platform::AppIconProvider {
  public:
    std::atomic<int> lookups = 0;
    std::atomic<bool> hold = false;
    std::atomic<bool> onWindowThread = false;
    QImage image(const std::string&) override {
        ++lookups;
        if (QThread::currentThread() == qApp->thread()) onWindowThread = true;
        for (int i = 0; hold && i < 20000; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        QImage picture(72, 72, QImage::Format_ARGB32);
        picture.fill(QColor(230, 120, 20));
        return picture;
    }
};

// Calls `seen` for every event of one type that reaches `watched`.
class EventWatch : public QObject {
  public:
    EventWatch(QObject* watched, QEvent::Type type, std::function<void()> seen)
        : type_(type), seen_(std::move(seen)) {
        watched->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == type_) seen_();
        return false;
    }

  private:
    QEvent::Type type_;
    std::function<void()> seen_;
};

class AppsScreenTest : public ShellTest {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        user = std::make_unique<ScopedUserFolders>(dir.str() + "/user");
    }
    void TearDown() override {
        hold = false;
        view.reset();
        vm.reset();
        user.reset();
        ShellTest::TearDown();
    }

    // A state object over the fakes; `realListing` lists the temporary home's ~/Applications instead of
    // `listed`.
    void start(bool realListing = false) {
        ScanViewModel::Services services = scanServices();
        services.appearance.systemThemeName = [] { return ThemeName::light; };
        services.appearance.apply = [](ThemeName name) { ThemeManager::instance().setThemeName(name); };
        services.processes = processes;
        services.trash = trash;
        services.wait = waits.wait();
        if (!realListing)
            services.loadInstalledApps = [this](std::stop_token) {
                ++loads;
                while (hold)
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                std::lock_guard lock(listedMutex);
                return listed;
            };
        vm = std::make_unique<ScanViewModel>(std::move(services));
    }
    void setListed(std::vector<InstalledApp> apps) {
        std::lock_guard lock(listedMutex);
        listed = std::move(apps);
    }
    // The screen, shown, with its first load done.
    void showScreen(QSize size = {1000, 760}) {
        view = std::make_unique<AppUninstallerView>(*vm, nullptr, &icons);
        view->resize(size);
        view->show();
        WAIT_FOR(!vm->apps().isLoading());
        QCoreApplication::processEvents();
    }

    // An AppImage of the temporary home with leftover files, as the listing would describe it.
    InstalledApp makeApp(const std::string& name, int64_t bundleSize, std::vector<GroupSpec> groups = {}) {
        InstalledApp a;
        a.id = QUuid::createUuid();
        a.bundleURL = dir.writeFile("user/home/Applications/" + name + ".AppImage", 1).string();
        a.bundleIdentifier = "org.example." + name;
        a.displayName = name;
        a.bundleSize = bundleSize;
        for (const auto& g : groups) {
            LeftoverGroup group{QUuid::createUuid(), g.category, {}, g.size};
            for (int i = 0; i < g.paths; ++i)
                group.urls.push_back(
                    dir.writeFile("user/home/.cache/" + name + "-" + g.category + "-" + std::to_string(i), 1)
                        .string());
            a.leftovers.push_back(std::move(group));
        }
        return a;
    }

    int rowOf(const std::string& name) const {
        const auto& rows = view->rows().rows();
        for (size_t i = 0; i < rows.size(); ++i)
            if (rows[i].displayName == name) return int(i);
        return -1;
    }
    QModelIndex indexOf(const std::string& name) const { return view->rows().index(rowOf(name)); }
    bool showsUninstallButton(const std::string& name) const {
        return row_buttons::find(*view->list(), indexOf(name), AppRow::kUninstall).has_value();
    }
    void clickButton(const std::string& name, int id) {
        ASSERT_TRUE(row_buttons::click(*view->list(), indexOf(name), id)) << name << " has no button " << id;
    }
    // Presses an alert's button by its title.
    static void answer(QMessageBox* box, const QString& title) {
        ASSERT_TRUE(box);
        for (QAbstractButton* b : box->buttons())
            if (b->text() == title) return b->click();
        FAIL() << "no button " << title.toStdString();
    }

    std::unique_ptr<ScopedUserFolders> user;
    std::shared_ptr<FakeTrash> trash = std::make_shared<FakeTrash>();
    std::shared_ptr<FakeProcesses> processes = std::make_shared<FakeProcesses>();
    HeldWaits waits;
    std::mutex listedMutex;
    std::vector<InstalledApp> listed;
    std::atomic<bool> hold = false;
    std::atomic<int> loads = 0;
    std::shared_ptr<SquareIcons> iconProvider = std::make_shared<SquareIcons>();
    AppIconCache icons{iconProvider};
    std::unique_ptr<ScanViewModel> vm;
    std::unique_ptr<AppUninstallerView> view;
};

// The confirmation counts the paths that would move; "Cancel" changes nothing; "Add to Cleanup Queue"
// stages the AppImage first, then equal shares of each group, once.
TEST_F(AppsScreenTest, TheConfirmationCountsPathsAndAddToCleanupQueueStagesEachOnce) {
    start();
    const InstalledApp editor =
        makeApp("Editor", 1000, {{"Caches", 3, 10}, {"Logs", 1, 7}, {"Preferences", 2, 0}});
    setListed({editor});
    showScreen();

    clickButton("Editor", AppRow::kUninstall);
    ASSERT_TRUE(view->confirmation());
    const QString message = view->confirmation()->informativeText();
    EXPECT_TRUE(message.contains(" 6 leftover")) << message.toStdString(); // paths, not the three groups
    EXPECT_TRUE(message.contains(formatBytes(editor.totalSize()))) << message.toStdString();
    answer(view->confirmation(), "Cancel");
    flushDeletes();
    EXPECT_FALSE(view->confirmation());
    EXPECT_TRUE(vm->cleanupQueue().items().empty());

    // Staged earlier from elsewhere: kept as it was.
    vm->cleanupQueue().addAll({{editor.leftovers[1].urls[0], 99}}, "Staged from Explore");
    clickButton("Editor", AppRow::kUninstall);
    answer(view->confirmation(), "Add to Cleanup Queue");
    // Asked again and answered the same: nothing new.
    view->requestUninstall(editor);
    answer(view->confirmation(), "Add to Cleanup Queue");
    flushDeletes();
    EXPECT_FALSE(view->confirmation());

    std::vector<std::tuple<std::string, int64_t, QString>> staged;
    for (const auto& item : vm->cleanupQueue().items())
        staged.emplace_back(item.path, item.size, item.reason);
    const auto& c = editor.leftovers[0].urls;
    const auto& p = editor.leftovers[2].urls;
    EXPECT_EQ(staged, (std::vector<std::tuple<std::string, int64_t, QString>>{
                          {editor.leftovers[1].urls[0], 99, "Staged from Explore"},
                          {editor.bundleURL, 1000, "App bundle: Editor"},
                          {c[0], 3, "Editor \u2014 Caches"}, // 10 bytes over three: 3 each, 1 not staged
                          {c[1], 3, "Editor \u2014 Caches"},
                          {c[2], 3, "Editor \u2014 Caches"},
                          {p[0], 0, "Editor \u2014 Preferences"},
                          {p[1], 0, "Editor \u2014 Preferences"},
                      }));
    // Nothing was quit or moved.
    EXPECT_TRUE(processes->askedFor.empty());
    EXPECT_TRUE(trash->calls().empty());
    EXPECT_TRUE(fs::exists(editor.bundleURL));
    EXPECT_TRUE(vm->uninstallFlow().uninstalling().empty());
}

TEST_F(AppsScreenTest, AFailureListsTheFirstFivePathsOneALineAndCountsThemAll) {
    start();
    const InstalledApp editor = makeApp("Editor", 1000, {{"Caches", 7, 7000}});
    for (const auto& path : editor.leftovers[0].urls)
        trash->refuse(path);
    setListed({editor});
    showScreen();

    clickButton("Editor", AppRow::kUninstall);
    answer(view->confirmation(), "Move to Trash");
    WAIT_FOR(view->failureAlert());
    QMessageBox* alert = view->failureAlert();
    const auto& u = editor.leftovers[0].urls;
    EXPECT_EQ(alert->text(), "Couldn't fully uninstall Editor");
    EXPECT_EQ(alert->informativeText().toStdString(),
              "7 item(s) couldn't be moved to the Trash:\n" + u[0] + "\n" + u[1] + "\n" + u[2] + "\n" + u[3] +
                  "\n" + u[4] +
                  "\n\nCheck that you may write to these items and their folders, then try again.");
    EXPECT_EQ(alert->buttons().size(), 1); // Linux has no settings pane to send the user to
    // What moved is gone from the list: the AppImage went, so the row did.
    EXPECT_EQ(rowOf("Editor"), -1);
    answer(alert, "OK");
    flushDeletes();
    EXPECT_FALSE(view->failureAlert());
}

// An app's name with a control character, a bidirectional override and markup is shown as everywhere
// else, those characters replaced and the markup as its characters: in the row, with its identifier and
// version, in the confirmation's title, the failure's, and the reasons staged items carry into the
// cleanup queue.
TEST_F(AppsScreenTest, AnAppsNameShowsItsControlAndReorderingCharactersReplaced) {
    start();
    InstalledApp editor = makeApp("Editor", 1000, {{"Caches", 2, 20}});
    editor.displayName = "Ed\x07it\u202Eor <b>&amp;</b>";
    editor.bundleIdentifier = "org.example.ed\u2060it\u202Eor";
    editor.version = "1.0\u202Eoof<b>\x1b[31m";
    trash->refuse(editor.leftovers[0].urls[1]);
    setListed({editor});
    showScreen();
    const QString shown = QStringLiteral("Ed\uFFFDit\uFFFDor <b>&amp;</b>");
    const AppRowLayout row = view->rowDelegate()->layout(indexOf(editor.displayName),
                                                         view->list()->rowRect(indexOf(editor.displayName)));
    EXPECT_EQ(row.name, shown);
    EXPECT_EQ(row.identifier, QStringLiteral("org.example.ed\uFFFDit\uFFFDor"));
    EXPECT_EQ(row.version, QStringLiteral("v1.0\uFFFDoof<b>\uFFFD[31m"));

    view->requestUninstall(editor);
    ASSERT_TRUE(view->confirmation());
    EXPECT_EQ(view->confirmation()->text(), "Uninstall " + shown + "?");
    EXPECT_EQ(view->confirmation()->windowTitle(), "Uninstall " + shown + "?");
    for (const QLabel* label : view->confirmation()->findChildren<QLabel*>())
        EXPECT_TRUE(label->text().isEmpty() || label->textFormat() == Qt::PlainText)
            << label->text().toStdString();
    answer(view->confirmation(), "Add to Cleanup Queue");
    std::vector<QString> reasons;
    for (const auto& item : vm->cleanupQueue().items())
        reasons.push_back(item.reason);
    EXPECT_EQ(reasons, (std::vector<QString>{"App bundle: " + shown, shown + " \u2014 Caches",
                                             shown + " \u2014 Caches"}));

    view->requestUninstall(editor);
    answer(view->confirmation(), "Move to Trash");
    WAIT_FOR(view->failureAlert());
    EXPECT_EQ(view->failureAlert()->text(), "Couldn't fully uninstall " + shown);
    for (const QLabel* label : view->failureAlert()->findChildren<QLabel*>())
        EXPECT_TRUE(label->text().isEmpty() || label->textFormat() == Qt::PlainText)
            << label->text().toStdString();
}

// The first uninstall to end clears only its own row's spinner.
TEST_F(AppsScreenTest, TwoOverlappingUninstallsKeepTheirOwnBusyStates) {
    start();
    const InstalledApp slow = makeApp("Slow", 1000);
    const InstalledApp quick = makeApp("Quick", 900);
    processes->instances = {{{401, 1}, -1, true}}; // never quits when asked
    processes->appImageOf[401] = slow.bundleURL;
    trash->refuse(quick.bundleURL); // so its row stays to be looked at
    setListed({slow, quick});
    showScreen();

    clickButton("Slow", AppRow::kUninstall);
    answer(view->confirmation(), "Move to Trash");
    EXPECT_FALSE(showsUninstallButton("Slow"));
    EXPECT_TRUE(showsUninstallButton("Quick")); // nothing stops a second uninstall
    clickButton("Quick", AppRow::kUninstall);
    answer(view->confirmation(), "Move to Trash");
    EXPECT_FALSE(showsUninstallButton("Quick"));

    WAIT_FOR(view->failureAlert());
    EXPECT_TRUE(showsUninstallButton("Quick"));
    EXPECT_FALSE(showsUninstallButton("Slow"));
    EXPECT_EQ(vm->uninstallFlow().uninstalling(), std::vector<std::string>{slow.bundleURL});

    waits.release();
    WAIT_FOR(rowOf("Slow") == -1);
    EXPECT_EQ(processes->killed, std::vector<int>{401});
    EXPECT_TRUE(showsUninstallButton("Quick"));
    EXPECT_TRUE(vm->uninstallFlow().uninstalling().empty());
}

TEST_F(AppsScreenTest, LoadsWhenShownAndARefreshKeepsTheRowsUntilTheNewListArrives) {
    start();
    hold = true;
    view = std::make_unique<AppUninstallerView>(*vm, nullptr, &icons);
    view->resize(1000, 760);
    view->show();
    // The first load: nothing listed yet.
    const QString measuring = view->placeholderText();
    EXPECT_FALSE(measuring.isEmpty());
    EXPECT_TRUE(view->isBusyShown());
    EXPECT_FALSE(view->refreshButton()->isEnabled());
    EXPECT_TRUE(view->summaryText().isEmpty());
    hold = false;
    WAIT_FOR(!vm->apps().isLoading());
    EXPECT_NE(view->placeholderText(), measuring); // none found
    EXPECT_FALSE(view->placeholderText().isEmpty());
    EXPECT_FALSE(view->isBusyShown());
    EXPECT_TRUE(view->refreshButton()->isEnabled());

    setListed({makeApp("Editor", 1'000'000, {{"Caches", 1, 500'000}}), makeApp("Player", 250'000)});
    view->refreshButton()->click();
    WAIT_FOR(!vm->apps().isLoading());
    EXPECT_TRUE(view->placeholderText().isEmpty());
    EXPECT_EQ(view->summaryText(), "2 installed \u00b7 " + formatBytes(1'750'000));
    QAbstractItemModelTester tester(const_cast<RowListModel<InstalledApp>*>(&view->rows()));
    clickButton("Editor", AppRow::kHeader);
    const QString summary = view->summaryText();

    // Reloading: the rows stay, open as they were, while the header shows the load.
    hold = true;
    setListed({makeApp("Editor", 1'000'000, {{"Caches", 1, 500'000}}), makeApp("Player", 250'000),
               makeApp("Viewer", 100)});
    view->refreshButton()->click();
    QTest::qWait(50);
    EXPECT_EQ(view->rows().rowCount(), 2);
    EXPECT_TRUE(view->isBusyShown());
    EXPECT_FALSE(view->refreshButton()->isEnabled());
    EXPECT_EQ(view->summaryText(), summary);
    EXPECT_TRUE(view->isExpanded(view->rows().rows()[0].id));
    const int openHeight = view->list()->rowRect(indexOf("Editor")).toRect().height();
    hold = false;
    WAIT_FOR(!vm->apps().isLoading());
    EXPECT_EQ(view->rows().rowCount(), 3);
    EXPECT_NE(view->summaryText(), summary);
    // New ids: every row closed.
    EXPECT_FALSE(view->isExpanded(view->rows().rows()[0].id));
    EXPECT_LT(view->list()->rowRect(indexOf("Editor")).height(), openHeight);
    EXPECT_EQ(loads, 3);

    // Shown again with applications listed: no load.
    view = std::make_unique<AppUninstallerView>(*vm, nullptr, &icons);
    EXPECT_FALSE(vm->apps().isLoading());
    EXPECT_EQ(loads, 3);
    EXPECT_EQ(view->rows().rowCount(), 3);
}

TEST_F(AppsScreenTest, OnlyARowWithLeftoversOpensAndItsLinesRevealWhatTheyList) {
    start();
    const InstalledApp plain = makeApp("Plain", 1000);
    const InstalledApp empty = makeApp("Empty", 1000, {{"Caches", 2, 0}}); // 0 bytes, still leftovers
    setListed({plain, empty});
    showScreen();
    ScopedFakeDesktop desktop;
    const int closed = view->list()->rowRect(indexOf("Empty")).toRect().height();

    clickButton("Plain", AppRow::kHeader); // disabled: takes the click, does nothing
    EXPECT_FALSE(view->isExpanded(plain.id));
    EXPECT_EQ(row_buttons::find(*view->list(), indexOf("Plain"), AppRow::kRevealFirst), std::nullopt);

    clickButton("Empty", AppRow::kHeader);
    EXPECT_TRUE(view->isExpanded(empty.id));
    QCoreApplication::processEvents();
    EXPECT_GT(view->list()->rowRect(indexOf("Empty")).height(), closed);
    clickButton("Empty", AppRow::kRevealFirst + 1);
    clickButton("Empty", AppRow::kRevealFirst);
    EXPECT_EQ(desktop->revealed, (std::vector<std::string>{empty.leftovers[0].urls[0],
                                                           empty.leftovers[0].urls[1], empty.bundleURL}));
    // The "Uninstall" button of an open row still asks first.
    clickButton("Empty", AppRow::kUninstall);
    EXPECT_TRUE(view->confirmation());
    answer(view->confirmation(), "Cancel");

    clickButton("Empty", AppRow::kHeader);
    EXPECT_FALSE(view->isExpanded(empty.id));
    QCoreApplication::processEvents();
    EXPECT_EQ(view->list()->rowRect(indexOf("Empty")).toRect().height(), closed);

    // Enter on a row does what a click on its header does.
    for (const auto& [name, opens] : {std::pair{"Plain", false}, {"Empty", true}}) {
        view->list()->setCurrentIndex(indexOf(name));
        QTest::keyClick(view->list(), Qt::Key_Return);
        EXPECT_EQ(view->isExpanded(view->rows().rows()[size_t(rowOf(name))].id), opens) << name;
    }
}

// Many rows: the page scrolls as a whole, header and all, also under the pointer on a row.
TEST_F(AppsScreenTest, ALongListScrollsWithItsHeader) {
    start();
    std::vector<InstalledApp> apps;
    for (int i = 0; i < 30; ++i)
        apps.push_back(makeApp("App" + std::to_string(i), 1000 - i, {{"Caches", 1, 10}}));
    setListed(apps);
    showScreen({1000, 500});
    auto* column = view->findChild<QScrollArea*>();
    ASSERT_TRUE(column);
    ASSERT_GT(column->verticalScrollBar()->maximum(), 30 * 50);
    QWidget* viewport = view->list()->viewport();
    const QPointF at = view->list()->rowRect(view->rows().index(1)).center();
    QWheelEvent wheel(at, viewport->mapToGlobal(at), {}, {0, -120}, Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    // As the window system delivers it, so it may go on to the parents.
    QSpontaneKeyEvent::setSpontaneous(&wheel);
    qApp->notify(viewport, &wheel);
    EXPECT_GT(column->verticalScrollBar()->value(), 0);
    EXPECT_EQ(view->list()->verticalScrollBar()->value(), 0);
}

TEST_F(AppsScreenTest, UninstallsARunningAppImageWithItsLeftoversFromATemporaryHome) {
    start(/*realListing=*/true);
    // A fake AppImage: an executable file by its name alone, never run. The test's fake process list
    // says it runs.
    const fs::path home = user->home();
    const fs::path image = home / "Applications/Text-Editor-1.2.3-x86_64.AppImage";
    writeFileText(image, std::string(8192, 'x'));
    fs::permissions(image, fs::perms::owner_all);
    writeFileText(fs::path(user->dataHome()) / "applications/text-editor.desktop",
                  "[Desktop Entry]\nType=Application\nName=Text Editor\nIcon=text-editor\nExec=" +
                      image.string() + " %U\n");
    writeFileText(home / ".cache/text-editor/blob", std::string(5000, 'x'));
    writeFileText(home / ".config/text-editor.conf", "x");
    writeFileText(home / ".config/other.conf", "x");
    const fs::path launcher = fs::path(user->dataHome()) / "applications/text-editor.desktop",
                   icon = fs::path(user->dataHome()) / "icons/hicolor/64x64/apps/text-editor.png";
    writeFileText(icon, "x");
    processes->instances = {{{501, 1}, 2, true}};
    processes->appImageOf[501] = image.string();
    showScreen();

    ASSERT_EQ(view->rows().rowCount(), 1);
    const InstalledApp app = view->rows().rows()[0];
    EXPECT_EQ(app.displayName, "Text Editor");
    EXPECT_EQ(app.icon, "text-editor");
    ASSERT_EQ(app.leftovers.size(), 3u);
    EXPECT_EQ(app.leftovers[2].category, "Launchers");

    clickButton("Text Editor", AppRow::kHeader);
    QCoreApplication::processEvents();
    const AppRowLayout open =
        view->rowDelegate()->layout(indexOf("Text Editor"), view->list()->rowRect(indexOf("Text Editor")));
    ASSERT_EQ(open.details.size(), 4u); // the AppImage and the three groups
    EXPECT_EQ(open.details[3].title, "Launchers");
    EXPECT_EQ(open.details[3].paths, (std::vector<std::string>{launcher.string(), icon.string()}));
    view->grab();
    view->grab();
    EXPECT_EQ(iconProvider->lookups, 1);

    clickButton("Text Editor", AppRow::kUninstall);
    ASSERT_TRUE(view->confirmation());
    EXPECT_TRUE(view->confirmation()->informativeText().startsWith("The app and 4 leftover item(s)"));
    answer(view->confirmation(), "Move to Trash");
    EXPECT_EQ(processes->terminated, std::vector<int>{501});
    waits.release();
    WAIT_FOR(view->rows().rowCount() == 0);
    EXPECT_TRUE(processes->killed.empty()); // it quit when asked
    const auto moved = trash->calls();
    EXPECT_EQ(std::set<std::string>(moved.begin(), moved.end()),
              (std::set<std::string>{image.string(), (home / ".cache/text-editor").string(),
                                     (home / ".config/text-editor.conf").string(), launcher.string(),
                                     icon.string()}));
    EXPECT_FALSE(fs::exists(image));
    EXPECT_FALSE(fs::exists(launcher)); // the menu keeps no launcher that points into the Trash
    EXPECT_TRUE(fs::exists(home / ".config/other.conf"));
    QCoreApplication::processEvents();
    EXPECT_FALSE(view->failureAlert());
}

// Icons are read off the window's thread: a row paints the generic symbol until its icon has arrived,
// and is painted again then.
TEST_F(AppsScreenTest, RowsPaintTheGenericSymbolUntilTheirIconArrives) {
    start();
    InstalledApp editor = makeApp("Editor", 1000);
    editor.icon = "editor";
    setListed({editor});
    iconProvider->hold = true;
    showScreen();
    QWidget* viewport = view->list()->viewport();
    const AppRowLayout row =
        view->rowDelegate()->layout(indexOf("Editor"), view->list()->rowRect(indexOf("Editor")));
    const QPoint tile =
        viewport->mapTo(view.get(), QPointF(row.icon.left() + 5, row.icon.center().y()).toPoint());
    EXPECT_EQ(view->grab().toImage().pixelColor(tile), theme().chip);
    WAIT_FOR(iconProvider->lookups == 1);

    // Painted once the icon is there, without anything else asking for it.
    bool paintedWithIcon = false;
    EventWatch paints(viewport, QEvent::Paint,
                      [&] { paintedWithIcon = paintedWithIcon || !icons.icon(editor).isNull(); });
    iconProvider->hold = false;
    WAIT_FOR(paintedWithIcon);
    EXPECT_EQ(view->grab().toImage().pixelColor(tile), QColor(230, 120, 20));
    EXPECT_FALSE(iconProvider->onWindowThread);
    EXPECT_EQ(iconProvider->lookups, 1);
}

// Where the theme has a FIFO or a file that is no picture for an app's icon, the row shows the generic
// symbol, and painting never waits on the FIFO.
TEST_F(AppsScreenTest, AnIconThatIsNoPictureShowsTheGenericSymbolWithoutHoldingTheWindow) {
    start();
    const fs::path icons = fs::path(user->dataHome()) / "icons", apps = icons / "hicolor/48x48/apps";
    writeFileText(
        icons / "hicolor/index.theme",
        "[Icon Theme]\nName=Hicolor\nDirectories=48x48/apps\n\n[48x48/apps]\nSize=48\nType=Fixed\n");
    PlantedFifo fifo(apps / "zedfifo.png");
    writeFileText(apps / "zedbroken.png", "not a picture");
    const QString themeName = QIcon::themeName(); // the theme's folder is the user's (XDG_DATA_HOME)
    QIcon::setThemeName(QStringLiteral("hicolor"));
    AppIconCache desktopIcons(std::make_shared<platform::DesktopIconProvider>());
    const auto restore = qScopeGuard([&] {
        view.reset(); // before the cache it paints from
        QIcon::setThemeName(themeName);
    });
    QSignalSpy lookedUp(&desktopIcons, &AppIconCache::iconLookedUp);
    InstalledApp zed = makeApp("Zed", 1000), broken = makeApp("Zed Broken", 1000);
    zed.icon = "zedfifo";
    broken.icon = "zedbroken";
    setListed({zed, broken});
    QImage picture;
    EXPECT_TRUE(fifo.finishesHereWithin(std::chrono::seconds(20), [&] {
        view = std::make_unique<AppUninstallerView>(*vm, nullptr, &desktopIcons);
        view->resize(1000, 760);
        view->show();
        WAIT_FOR(!vm->apps().isLoading());
        picture = view->grab().toImage();
        WAIT_FOR(lookedUp.count() == 2);
        picture = view->grab().toImage();
    }));
    ASSERT_FALSE(picture.isNull());
    for (const char* name : {"Zed", "Zed Broken"}) {
        const AppRowLayout row =
            view->rowDelegate()->layout(indexOf(name), view->list()->rowRect(indexOf(name)));
        const QPoint tile = view->list()->viewport()->mapTo(
            view.get(), QPointF(row.icon.left() + 5, row.icon.center().y()).toPoint());
        EXPECT_EQ(picture.pixelColor(tile), theme().chip) << name;
    }
}

TEST_F(AppsScreenTest, PictureInBothThemes) {
    start();
    InstalledApp editor =
        makeApp("Text Editor", 182'000'000,
                {{"Caches", 2, 64'000'000}, {"Preferences", 1, 4096}, {"Launchers", 2, 12'288}});
    editor.icon = "text-editor";
    editor.version = "1.2.3";
    editor.lastUsedDate = double(QDateTime::currentSecsSinceEpoch()) - 3 * 86400;
    InstalledApp viewer = makeApp("Image Viewer", 41'000'000, {{"Logs", 1, 12'000}});
    viewer.version = "0.9";
    setListed({editor, makeApp("Player", 96'000'000), viewer});
    showScreen({1000, 640});
    clickButton("Text Editor", AppRow::kHeader);
    WAIT_FOR(!icons.icon(editor).isNull());

    picturesInBothThemes(*vm, *view, "apps-screen", [&](const QImage& image, const Theme& t) {
        auto at = [&](QPointF p) {
            return image.pixelColor(view->list()->viewport()->mapTo(view.get(), p.toPoint()));
        };
        auto layoutOf = [&](const std::string& app) {
            return view->rowDelegate()->layout(indexOf(app), view->list()->rowRect(indexOf(app)));
        };
        const AppRowLayout e = layoutOf("Text Editor"), p = layoutOf("Player");
        // The desktop's icon where there is one, the generic tile where there is none.
        EXPECT_EQ(at(e.icon.center()), QColor(230, 120, 20));
        EXPECT_EQ(at(QPointF(p.icon.left() + 5, p.icon.center().y())), t.chip);
        // Cards on the card colour, the open one with its divider under the header.
        EXPECT_EQ(at(QPointF(p.card.left() + 6, p.card.center().y())), t.card);
        EXPECT_EQ(at(QPointF(e.card.left() + 30, e.divider.top())), t.divider);
        ASSERT_EQ(e.details.size(), 4u);
        EXPECT_LE(e.details.back().line.bottom(), e.card.bottom());
        // The screen's background behind the column.
        EXPECT_EQ(image.pixelColor(4, 4), t.background);
    });
}

} // namespace
