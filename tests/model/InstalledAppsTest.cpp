#include "model/InstalledApps.h"
#include "tests/support/EnvOverride.h"
#include "tests/support/ScanFixture.h"

#include <QSignalSpy>
#include <QThreadPool>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <map>
#include <thread>

namespace {

AppUninstaller::InstalledApp appAt(const std::string& name, std::vector<std::string> leftovers) {
    AppUninstaller::InstalledApp app;
    app.id = QUuid::createUuid();
    app.bundleURL = "/home/u/Applications/" + name + ".AppImage";
    app.leftovers.push_back({QUuid::createUuid(), "Caches", std::move(leftovers), 1000});
    return app;
}

} // namespace

TEST(InstalledAppsTest, LoadsOnceUnlessForcedAndAMoveDuringALoadShowsInItsResult) {
    QThreadPool pool;
    std::atomic<int> loads = 0;
    std::atomic<bool> hold = false;
    const std::vector<AppUninstaller::InstalledApp> listed = {
        appAt("Editor", {"/home/u/.cache/editor", "/home/u/.cache/editor-x", "/home/u/.cache/editor-y"}),
        appAt("Player", {"/home/u/.cache/player"})};
    InstalledApps apps(pool, [&](std::stop_token) {
        ++loads;
        while (hold)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return listed;
    });
    QSignalSpy loading(&apps, &InstalledApps::isLoadingChanged);

    apps.refresh(false);
    WAIT_FOR(!apps.isLoading());
    apps.refresh(false); // loaded already
    EXPECT_FALSE(apps.isLoading());
    EXPECT_EQ(apps.items(), listed);

    hold = true;
    apps.refresh(true);
    apps.refresh(true); // one load at a time
    EXPECT_TRUE(apps.isLoading());
    apps.prune({"/home/u/Applications/Player.AppImage", "/home/u/.cache/editor-x/"});
    hold = false;
    WAIT_FOR(!apps.isLoading());
    EXPECT_EQ(loads, 2);
    EXPECT_EQ(loading.count(), 4);
    ASSERT_EQ(apps.items().size(), 1u); // what went meanwhile is not listed again
    const auto& editor = apps.items()[0];
    EXPECT_EQ(editor.id, listed[0].id);
    EXPECT_EQ(editor.leftovers[0].urls,
              (std::vector<std::string>{"/home/u/.cache/editor", "/home/u/.cache/editor-y"}));
    EXPECT_EQ(editor.leftovers[0].totalSize, 666);
    EXPECT_NE(editor.leftovers[0].id, listed[0].leftovers[0].id);
}

// Through the load the Applications screen runs: an entry the menu does not list (deleted with Hidden,
// kept out of it with NoDisplay, or no application at all) gives no app its name. A NoDisplay one still
// starts the AppImage, so it goes with it; the others stay, and an app without launchers has no group.
TEST(InstalledAppsTest, OnlyEntriesTheMenuListsNameAnApp) {
    namespace fs = std::filesystem;
    TempDir temp;
    ScopedUserFolders user(temp.str());
    const fs::path entries = fs::path(user.dataHome()) / "applications";
    std::map<std::string, fs::path> images;
    for (const char* name : {"Editor", "Viewer"}) {
        images[name] = fs::path(user.home()) / "Applications" / (std::string(name) + "-2.0.AppImage");
        writeFileText(images[name], "x");
        fs::permissions(images[name], fs::perms::owner_all);
    }
    auto entry = [&](const std::string& id, const std::string& app, const std::string& lines) {
        writeFileText(entries / (id + ".desktop"),
                      "[Desktop Entry]\nName=" + id + "\nExec=" + images[app].string() + " %U\n" + lines);
    };
    // Listed first, so any of them would name the app if it counted.
    entry("a-deleted", "Editor", "Type=Application\nHidden=true\n");
    entry("b-handler", "Editor", "Type=Application\nNoDisplay=true\n");
    entry("c-link", "Editor", "Type=Link\n");
    entry("d-editor", "Editor", "Type=Application\n");
    entry("a-deleted-viewer", "Viewer", "Type=Application\nHidden=true\n");
    entry("b-handler-viewer", "Viewer", "Type=Application\nNoDisplay=true\n");
    entry("c-viewer-service", "Viewer", "Type=Service\n");

    auto apps = InstalledApps::load();
    std::sort(apps.begin(), apps.end(), [](auto& a, auto& b) { return a.bundleURL < b.bundleURL; });
    ASSERT_EQ(apps.size(), 2u);
    EXPECT_EQ(apps[0].bundleIdentifier, "d-editor");
    EXPECT_EQ(apps[0].displayName, "d-editor");
    ASSERT_EQ(apps[0].leftovers.size(), 1u);
    EXPECT_EQ(apps[0].leftovers[0].urls, (std::vector<std::string>{(entries / "b-handler.desktop").string(),
                                                                   (entries / "d-editor.desktop").string()}));
    // Named by its file; its NoDisplay entry is still its launcher.
    EXPECT_EQ(apps[1].bundleIdentifier, "viewer");
    EXPECT_EQ(apps[1].displayName, "Viewer");
    ASSERT_EQ(apps[1].leftovers.size(), 1u);
    EXPECT_EQ(apps[1].leftovers[0].urls,
              std::vector<std::string>{(entries / "b-handler-viewer.desktop").string()});

    // Without launchers, no empty group.
    fs::remove(entries / "b-handler-viewer.desktop");
    apps = InstalledApps::load();
    std::sort(apps.begin(), apps.end(), [](auto& a, auto& b) { return a.bundleURL < b.bundleURL; });
    ASSERT_EQ(apps.size(), 2u);
    EXPECT_TRUE(apps[1].leftovers.empty());
}

// The listing passes its stop on to every loop of it, the measuring of the leftover folders included:
// asked to stop, it lists and measures nothing (each loop on its own: AppUninstallerLoad).
TEST(InstalledAppsTest, AStoppedLoadMeasuresNoLeftoverFolder) {
    namespace fs = std::filesystem;
    TempDir temp;
    ScopedUserFolders user(temp.str());
    const fs::path image = fs::path(user.home()) / "Applications" / "Editor.AppImage";
    writeFileText(image, "x");
    fs::permissions(image, fs::perms::owner_all);
    writeFileText(fs::path(user.home()) / ".cache" / "editor" / "cached.bin", std::string(100'000, 'c'));
    ASSERT_EQ(InstalledApps::load().size(), 1u);
    ASSERT_GT(InstalledApps::load()[0].leftovers.at(0).totalSize, 0); // measured unless stopped

    std::stop_source stop;
    stop.request_stop();
    EXPECT_TRUE(InstalledApps::load(stop.get_token()).empty());
}

// Measuring leftover folders can take long; a load still running when its owner goes (the application
// quits) is asked to stop rather than waited for.
TEST(InstalledAppsTest, ALoadWhoseOwnerGoesIsAskedToStop) {
    QThreadPool pool;
    std::atomic<bool> started = false, stopped = false;
    auto apps = std::make_unique<InstalledApps>(pool, [&](std::stop_token stop) {
        started = true;
        for (int i = 0; i < 30000 && !stop.stop_requested(); ++i) // a watchdog, should the stop not come
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        stopped = stop.stop_requested();
        return std::vector<AppUninstaller::InstalledApp>{appAt("Editor", {})};
    });
    apps->refresh(false);
    WAIT_FOR(started);
    apps.reset();
    ASSERT_TRUE(pool.waitForDone(60000));
    EXPECT_TRUE(stopped);
}
