#include "model/UninstallFlow.h"
#include "model/AppUninstaller.h"
#include "model/CleanupQueue.h"
#include "tests/model/ViewModelFixture.h"

#include <QSignalSpy>
#include <QThreadPool>

#include <filesystem>
#include <set>

// The flow alone, with waits that end only when the test releases them.
class UninstallFlowTest : public ::testing::Test {
  protected:
    UninstallFlowTest() {
        flow = std::make_unique<UninstallFlow>(
            processes, trash, waits.wait(), queue,
            [this](const std::vector<std::string>& done) { applied.push_back(done); });
    }
    AppUninstaller::InstalledApp app(const std::string& name) {
        AppUninstaller::InstalledApp a;
        a.bundleURL = dir.writeFile("home/Applications/" + name + ".AppImage", 10).string();
        a.leftovers.push_back(
            {QUuid::createUuid(), "Caches", {dir.writeFile("home/.cache/" + name, 10).string()}, 10});
        return a;
    }

    TempDir dir;
    std::shared_ptr<FakeProcesses> processes = std::make_shared<FakeProcesses>();
    std::shared_ptr<FakeTrash> trash = std::make_shared<FakeTrash>();
    CleanupQueue queue{nullptr, trash};
    HeldWaits waits;
    std::vector<std::vector<std::string>> applied;
    std::unique_ptr<UninstallFlow> flow;
};

// Two uninstalls at once: the one that finishes first clears only its own mark.
TEST_F(UninstallFlowTest, EachApplicationIsMarkedUntilItsOwnFlowEnds) {
    const auto slow = app("slow"), quick = app("quick");
    processes->instances = {{{401, 1}, 2, true}};
    processes->appImageOf[401] = slow.bundleURL;
    QSignalSpy changes(flow.get(), &UninstallFlow::uninstallingChanged);
    std::optional<std::vector<std::string>> slowFailed, quickFailed;

    flow->uninstall(slow, [&](auto failed) { slowFailed = failed; });
    flow->uninstall(quick, [&](auto failed) { quickFailed = failed; });
    EXPECT_EQ(flow->uninstalling(), (std::vector<std::string>{quick.bundleURL, slow.bundleURL}));
    EXPECT_EQ(processes->terminated, std::vector<int>{401}); // only the slow one runs

    WAIT_FOR(quickFailed);
    EXPECT_TRUE(flow->isUninstalling(slow.bundleURL));
    EXPECT_FALSE(flow->isUninstalling(quick.bundleURL));
    EXPECT_TRUE(std::filesystem::exists(slow.bundleURL));
    ASSERT_EQ(applied.size(), 1u);
    EXPECT_EQ(std::set<std::string>(applied[0].begin(), applied[0].end()),
              (std::set<std::string>{quick.bundleURL, quick.leftovers[0].urls[0]}));

    waits.release();
    WAIT_FOR(slowFailed);
    EXPECT_TRUE(flow->uninstalling().empty());
    EXPECT_TRUE(processes->killed.empty());
    EXPECT_EQ(changes.count(), 4); // each application marked once and cleared once
    EXPECT_FALSE(std::filesystem::exists(slow.bundleURL));
}

// The quit: the window's event loop ends and the state object goes, with the flow, while an application
// being uninstalled still runs. Its uninstall completes all the same, as the application object waits
// for Qt's pool.
TEST_F(UninstallFlowTest, AnUninstallUnderWayAtTheQuitCompletes) {
    const auto running = app("running");
    processes->instances = {{{501, 1}, 1, true}};
    flow->uninstall(running, {});
    flow.reset();
    waits.release();
    QThreadPool::globalInstance()->waitForDone();
    EXPECT_FALSE(std::filesystem::exists(running.bundleURL));
    EXPECT_FALSE(std::filesystem::exists(running.leftovers[0].urls[0]));
    EXPECT_TRUE(processes->killed.empty());
}
