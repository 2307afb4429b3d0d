// Application icons: the desktop's lookup of an Icon value (files and theme names), and the cache
// that asks for each application once. Here rather than with the platform tests: icons need a GUI
// application.
#include "model/AppUninstaller.h"
#include "platform/AppIconProvider.h"
#include "tests/support/TempDir.h"
#include "tools/applications/AppIconCache.h"

#include <QIcon>
#include <QImage>

#include <gtest/gtest.h>

#include <map>

namespace {

class FakeIcons : public platform::AppIconProvider {
  public:
    std::map<std::string, int> asked;
    QIcon icon(const std::string& iconValue) override {
        ++asked[iconValue];
        if (iconValue == "missing") return {};
        QPixmap pixmap(8, 8);
        pixmap.fill(Qt::red);
        return QIcon(pixmap);
    }
};

AppUninstaller::InstalledApp appAt(const std::string& path, const std::string& icon) {
    AppUninstaller::InstalledApp app;
    app.id = QUuid::createUuid();
    app.bundleURL = path;
    app.icon = icon;
    return app;
}

TEST(AppIconCache, AsksOncePerApplicationAndNeverForOneWithoutAnIcon) {
    auto fake = std::make_shared<FakeIcons>();
    AppIconCache cache(fake);
    const auto editor = appAt("/a/Editor.AppImage", "editor");
    const auto gone = appAt("/a/Gone.AppImage", "missing");
    const auto plain = appAt("/a/Plain.AppImage", "");
    for (int i = 0; i < 3; ++i)
        for (const auto& app : {editor, gone, plain})
            cache.icon(app);
    // Reloaded: new ids, the same applications.
    cache.icon(appAt(editor.bundleURL, "editor"));
    // Another AppImage with the same icon name is another application.
    cache.icon(appAt("/a/Editor-2.AppImage", "editor"));

    EXPECT_EQ(fake->asked, (std::map<std::string, int>{{"editor", 2}, {"missing", 1}}));
    EXPECT_FALSE(cache.icon(editor).isNull());
    EXPECT_TRUE(cache.icon(gone).isNull()); // not found: the generic symbol, and not asked again
    EXPECT_TRUE(cache.icon(plain).isNull());
    // A desktop entry that now names another icon is looked up anew.
    cache.icon(appAt(editor.bundleURL, "editor-new"));
    EXPECT_EQ(fake->asked["editor-new"], 1);
}

TEST(DesktopIconProvider, FindsFilesByPathAndNamesInTheIconTheme) {
    TempDir dir;
    QImage picture(48, 48, QImage::Format_ARGB32);
    picture.fill(Qt::blue);
    const std::string file = dir.str() + "/editor.png";
    ASSERT_TRUE(picture.save(QString::fromStdString(file)));
    // A theme of our own, so the test does not depend on the icons installed.
    const auto apps = dir.makeDir("icons/hicolor/48x48/apps");
    ASSERT_TRUE(picture.save(QString::fromStdString((apps / "brenwick-test-editor.png").string())));
    writeFileText(
        dir.path() / "icons/hicolor/index.theme",
        "[Icon Theme]\nName=Hicolor\nDirectories=48x48/apps\n\n[48x48/apps]\nSize=48\nType=Fixed\n");
    writeFileText(dir.path() / "broken.png", "not a picture");
    const QStringList searchPaths = QIcon::themeSearchPaths();
    const QString themeName = QIcon::themeName();
    QIcon::setThemeSearchPaths({QString::fromStdString(dir.str() + "/icons")});
    QIcon::setThemeName(QStringLiteral("hicolor"));

    platform::DesktopIconProvider provider;
    const struct {
        std::string value;
        bool found;
    } cases[] = {
        {file, true},
        {dir.str() + "/missing.png", false},
        {dir.str() + "/broken.png", false},
        {dir.str(), false}, // a folder
        {"brenwick-test-editor", true},
        {"brenwick-test-editor.png", true}, // a file name where a theme name belongs
        {"brenwick-test-nothing", false},
        {"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(!provider.icon(c.value).isNull(), c.found) << c.value;

    QIcon::setThemeSearchPaths(searchPaths);
    QIcon::setThemeName(themeName);
}

} // namespace
