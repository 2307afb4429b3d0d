#include "model/InstalledApps.h"
#include "tests/support/ScanFixture.h"

#include <QSignalSpy>
#include <QThreadPool>

#include <atomic>
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
