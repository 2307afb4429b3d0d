// Application icons: the desktop's lookup of an Icon value (files and theme names), and the cache
// that asks for each application once. Here rather than with the platform tests: icons need a GUI
// application.
#include "model/AppUninstaller.h"
#include "platform/AppIconProvider.h"
#include "tests/support/EnvOverride.h"
#include "tests/support/HostilePictures.h"
#include "tests/support/ScanFixture.h"
#include "tests/support/StuckReads.h"
#include "tests/support/TempDir.h"
#include "tools/applications/AppIconCache.h"

#include <QCoreApplication>
#include <QIcon>
#include <QImage>
#include <QSignalSpy>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <thread>
#include <tuple>
#include <utility>

namespace {

class FakeIcons : public platform::AppIconProvider {
  public:
    std::mutex mutex;
    std::map<std::string, int> asked;
    std::set<std::thread::id> threads;
    std::atomic<bool> hold = false, installed = false;
    QImage image(const std::string& iconValue) override {
        {
            std::lock_guard lock(mutex);
            ++asked[iconValue];
            threads.insert(std::this_thread::get_id());
        }
        // Held at most for a while, so a lookup made on the window's thread fails the test, not the run.
        for (int i = 0; hold && i < 20000; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (iconValue == "missing" && !installed) return {};
        QImage picture(8, 8, QImage::Format_ARGB32);
        picture.fill(Qt::red);
        return picture;
    }
};

AppUninstaller::InstalledApp appAt(const std::string& path, const std::string& icon) {
    AppUninstaller::InstalledApp app;
    app.id = QUuid::createUuid();
    app.bundleURL = path;
    app.icon = icon;
    return app;
}

TEST(AppIconCache, AsksOncePerApplicationOffTheWindowThreadAndNeverForOneWithoutAnIcon) {
    auto fake = std::make_shared<FakeIcons>();
    AppIconCache cache(fake);
    QSignalSpy lookedUp(&cache, &AppIconCache::iconLookedUp);
    const auto editor = appAt("/a/Editor.AppImage", "editor");
    const auto gone = appAt("/a/Gone.AppImage", "missing");
    const auto plain = appAt("/a/Plain.AppImage", "");
    // Nothing until the picture has been read: the row shows the generic symbol meanwhile.
    fake->hold = true;
    for (int i = 0; i < 3; ++i)
        for (const auto& app : {editor, gone, plain})
            EXPECT_TRUE(cache.icon(app).isNull());
    fake->hold = false;
    WAIT_FOR(lookedUp.count() == 2);
    // Reloaded: new ids, the same applications.
    cache.icon(appAt(editor.bundleURL, "editor"));
    // Another AppImage with the same icon name is another application.
    cache.icon(appAt("/a/Editor-2.AppImage", "editor"));
    WAIT_FOR(lookedUp.count() == 3);

    {
        std::lock_guard lock(fake->mutex);
        EXPECT_EQ(fake->asked, (std::map<std::string, int>{{"editor", 2}, {"missing", 1}}));
        EXPECT_FALSE(fake->threads.contains(std::this_thread::get_id()));
    }
    EXPECT_FALSE(cache.icon(editor).isNull());
    EXPECT_TRUE(cache.icon(gone).isNull()); // not found: the generic symbol, and not asked again
    EXPECT_TRUE(cache.icon(plain).isNull());
    // Installed meanwhile: a new listing (Refresh) looks again for what was not found, only for that.
    fake->installed = true;
    cache.newListing();
    EXPECT_FALSE(cache.icon(editor).isNull());
    cache.icon(gone);
    WAIT_FOR(lookedUp.count() == 4);
    EXPECT_FALSE(cache.icon(gone).isNull());
    // A desktop entry that now names another icon is looked up anew.
    cache.icon(appAt(editor.bundleURL, "editor-new"));
    WAIT_FOR(lookedUp.count() == 5);
    std::lock_guard lock(fake->mutex);
    EXPECT_EQ(fake->asked, (std::map<std::string, int>{{"editor", 2}, {"missing", 2}, {"editor-new", 1}}));
}

// Lookups that hold until released, counting those begun and those still running; ending the workers
// releases them, as a killed worker ends a drawing.
class HeldIcons : public platform::AppIconProvider {
  public:
    std::atomic<int> begun = 0, running = 0, ended = 0;
    std::atomic<bool> released = false;
    QImage image(const std::string&) override {
        ++begun;
        ++running;
        for (int i = 0; !released && i < 20000; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        --running;
        return {};
    }
    void endWorkers() override {
        ++ended;
        released = true;
    }
};

// Quitting while icons are drawn: lookups not yet begun never start, and those running are ended with
// the provider's workers rather than waited for, before the application object and the statics go.
TEST(AppIconCache, QuittingDropsWaitingLookupsAndEndsRunningOnes) {
    auto held = std::make_shared<HeldIcons>();
    {
        AppIconCache cache(held);
        for (int i = 0; i < 6; ++i)
            cache.icon(appAt("/a/App-" + std::to_string(i) + ".AppImage", "app"));
        WAIT_FOR(held->begun == 2);
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        QCoreApplication::exec();
        EXPECT_GE(held->ended, 1);
        EXPECT_EQ(held->running, 0);
    }
    EXPECT_EQ(held->begun, 2);
}

TEST(DesktopIconProvider, ReadsPicturesByPathAndNamesInTheIconTheme) {
    TempDir dir;
    QImage picture(48, 48, QImage::Format_ARGB32);
    picture.fill(Qt::blue);
    const std::string file = dir.str() + "/editor.png";
    ASSERT_TRUE(picture.save(QString::fromStdString(file)));
    // A theme of our own, so the test does not depend on the icons installed. The size nearest the row's
    // wins: a 16-pixel red one is there too.
    const auto apps = dir.makeDir("icons/hicolor/48x48/apps");
    ASSERT_TRUE(picture.save(QString::fromStdString((apps / "brenwick-test-editor.png").string())));
    QImage small(16, 16, QImage::Format_ARGB32);
    small.fill(Qt::red);
    ASSERT_TRUE(small.save(QString::fromStdString(
        (dir.makeDir("icons/hicolor/16x16/apps") / "brenwick-test-editor.png").string())));
    writeFileText(dir.path() / "icons/hicolor/index.theme",
                  "[Icon Theme]\nName=Hicolor\nDirectories=16x16/apps,48x48/apps,64x64/apps\n\n[16x16/apps]\n"
                  "Size=16\nType=Fixed\n\n[48x48/apps]\nSize=48\nType=Fixed\n\n[64x64/apps]\nSize=64\n"
                  "Type=Fixed\n");
    // Many applications give their icon as a drawing.
    writeFileText(dir.path() / "drawn.svg",
                  "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"48\" height=\"48\">"
                  "<rect width=\"48\" height=\"48\" fill=\"#0000ff\"/></svg>");
    writeFileText(dir.path() / "broken.png", "not a picture");
    writeFileText(apps / "brenwick-test-broken.png", "not a picture either");
    PlantedFifo fifo(apps / "zedfifo.png");
    PlantedFifo fifoFile(dir.path() / "fifo.png");
    // The desktop's icon folders come from the environment: the theme above is the only system one.
    ScopedUserFolders user(dir.str() + "/user");
    user.set("XDG_DATA_DIRS", dir.str());
    const QString themeName = QIcon::themeName();
    QIcon::setThemeName(QStringLiteral("hicolor"));

    platform::DesktopIconProvider provider;
    const struct {
        std::string value;
        bool found;
    } cases[] = {
        {file, true},
        {dir.str() + "/drawn.svg", true},
        {dir.str() + "/missing.png", false},
        {dir.str() + "/broken.png", false},
        {dir.str(), false}, // a folder
        {"brenwick-test-editor", true},
        {"brenwick-test-editor.png", true}, // a file name where a theme name belongs
        {"brenwick-test-broken", false},
        {"brenwick-test-nothing", false},
        {"", false},
    };
    for (const auto& c : cases) {
        const QImage image = provider.image(c.value);
        EXPECT_EQ(!image.isNull(), c.found) << c.value;
        if (c.found) {
            EXPECT_EQ(image.pixelColor(8, 8), QColor(Qt::blue)) << c.value;
        }
    }
    // A FIFO, in the theme or named by its path, is no picture and no reason to wait.
    // Not even opened: opening a device named by its path resets some.
    for (const auto& [planted, path, value] :
         {std::tuple{&fifo, apps / "zedfifo.png", std::string("zedfifo")},
          {&fifoFile, dir.path() / "fifo.png", dir.str() + "/fifo.png"}}) {
        const OpenWatch watch(path);
        ASSERT_TRUE(watch.watching());
        QImage image;
        EXPECT_TRUE(planted->finishesWithin(std::chrono::seconds(20), [&] { image = provider.image(value); }))
            << value;
        EXPECT_TRUE(image.isNull()) << value;
        EXPECT_FALSE(watch.opened()) << value;
    }
    // An app installed while Brenwick runs adds its icons, in a folder of the theme that did not exist
    // yet: the next listing finds them.
    ASSERT_TRUE(picture.save(QString::fromStdString(
        (dir.makeDir("icons/hicolor/64x64/apps") / "brenwick-test-later.png").string())));
    provider.newListing();
    EXPECT_FALSE(provider.image("brenwick-test-later").isNull());
    // A first app installed meanwhile makes the user's icon folder itself (without a theme index: the
    // system's counts): the next listing looks in it.
    for (const auto& [icons, name] : {std::pair{"user/home/.icons", "brenwick-test-home"},
                                      {"user/home/.local/share/icons", "brenwick-test-data"}}) {
        const auto folder = dir.makeDir(std::string(icons) + "/hicolor/48x48/apps");
        ASSERT_TRUE(picture.save(QString::fromStdString((folder / name).string() + ".png")));
        EXPECT_TRUE(provider.image(name).isNull()) << name << " before the listing";
        provider.newListing();
        EXPECT_FALSE(provider.image(name).isNull()) << name;
    }

    QIcon::setThemeName(themeName);
}

// An icon whose decoding could wait on a FIFO, take gigabytes or seconds gets the generic symbol (its
// worker ended past a budget of seconds here); an ordinary one of the same kind is drawn.
class IconPicture : public testing::TestWithParam<PictureCase> {};

TEST_P(IconPicture, IsDrawnOnlyWhenItMayBeDecoded) {
    TempDir dir;
    const PlantedFifo fifo(dir.path() / "#pic"); // where a reference taken for a file's path is looked for
    const WorkingFolder here(dir.path());
    const std::string path = dir.str() + "/" + GetParam().name;
    writeFileText(path, GetParam().bytes(dir.str() + "/#pic"));
    platform::DesktopIconProvider provider({.time = std::chrono::seconds(2)});
    QImage image;
    EXPECT_TRUE(fifo.finishesWithin(std::chrono::seconds(20), [&] { image = provider.image(path); }));
    EXPECT_EQ(!image.isNull(), GetParam().shown);
    if (GetParam().shown) {
        EXPECT_EQ(image.size(), GetParam().drawn);
        EXPECT_GE(image.pixelColor(image.width() / 2, image.height() / 2).blue(), 240);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, IconPicture,
    testing::Values(PictureCase{"drawn.svg", [](auto&) { return svgText(); }, true},
                    PictureCase{"drawn.svgz", [](auto&) { return gzipped(svgText()); }, true},
                    PictureCase{"photo.jpg", [](auto&) { return jpegWithScans(0); }, true},
                    // Its short side scales to less than a pixel: drawn one pixel wide.
                    PictureCase{"line.bmp",
                                [](auto&) { return bluePicture(QSize(600, 2), "bmp"); },
                                true,
                                {},
                                0,
                                QSize(platform::DesktopIconProvider::kLargest, 1)},
                    // Wider than the scaled PNG reader shrinks in one go: never larger than asked.
                    PictureCase{"line.png",
                                [](auto&) { return bluePicture(QSize(600'000, 1), "png"); },
                                true,
                                {},
                                0,
                                QSize(platform::DesktopIconProvider::kLargest, 1)},
                    PictureCase{"fifo.svg", [](auto& fifo) { return svgNaming(fifo); }, false},
                    // Under the file limit, past the bound once inflated.
                    PictureCase{"bomb.svgz", [](auto&) { return svgzInflatingTo(64); }, false},
                    PictureCase{"large.svg",
                                [](auto&) {
                                    return svgPadded(platform::DesktopIconProvider::kPictureBounds.svgBytes);
                                },
                                false},
                    PictureCase{"repeated.svg", [](auto&) { return svgRepeating(5); }, false},
                    PictureCase{"scans.jpg", [](auto&) { return jpegWithScans(500); }, false},
                    PictureCase{"polyline.svg", [](auto&) { return svgWidePolyline(); }, false},
                    PictureCase{"pic.svg", [](auto&) { return svgNaming("#pic"); }, false}),
    pictureCaseName);

} // namespace
