#include "platform/IconTheme.h"
#include "tests/support/EnvOverride.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

constexpr uint64_t kFileLimit = 64 * 1024; // more than a folder's own size
constexpr int kWanted = 72;

// Two base folders, as the desktop has several: "Mine" inherits "Parent"; hicolor comes last, the flat
// fallback folder after it.
struct Themes {
    TempDir dir;
    fs::path local = dir.path() / "local", shared = dir.path() / "shared", pixmaps = dir.path() / "pixmaps";

    platform::IconThemeSearch search() const {
        return {{local.string(), shared.string()}, {"Mine"}, {pixmaps.string()}};
    }
    void index(const fs::path& base, const std::string& theme, const std::string& text) const {
        writeFileText(base / theme / "index.theme", "[Icon Theme]\nName=" + theme + "\n" + text);
    }
};

// The lookup's choices: the theme folder nearest the wanted size, through inheritance and then hicolor,
// only regular pictures within the size limit, a link to one as good as the picture.
TEST(IconThemes, FindsTheNearestRegularPictureThroughInheritanceThenHicolor) {
    Themes t;
    // 64 answers 56 to 72 pixels: a fit for 72, where the fixed 80 listed before it is 8 off.
    t.index(t.local, "Mine",
            "Inherits=Parent\nDirectories=80/apps,64/apps,16/apps\n\n[80/apps]\nSize=80\nType=Fixed\n\n"
            "[64/apps]\nSize=64\nType=Threshold\nThreshold=8\n\n[16/apps]\nSize=16\nType=Fixed\n");
    t.index(t.shared, "Parent", "Directories=48/apps\n\n[48/apps]\nSize=48\nType=Fixed\n");
    t.index(t.shared, "hicolor", "Directories=48/apps\n\n[48/apps]\nSize=48\nType=Fixed\n");
    const fs::path mine = t.local / "Mine", parent = t.shared / "Parent", hicolor = t.shared / "hicolor";
    for (const fs::path& file :
         {mine / "80/apps/within.png", mine / "64/apps/within.png", parent / "48/apps/inherited.png",
          hicolor / "48/apps/inherited.png", hicolor / "48/apps/last.png", t.pixmaps / "last.png",
          t.dir.path() / "pictures/drawn.svg", mine / "16/apps/linked.png", mine / "16/apps/folder.png",
          mine / "16/apps/large.png"})
        writeFileText(file, "x");
    fs::create_symlink(t.dir.path() / "pictures/drawn.svg", mine / "64/apps/linked.svg");
    fs::create_directories(mine / "64/apps/folder.png");
    writeFileText(mine / "64/apps/large.png", std::string(kFileLimit + 1, 'x'));

    const platform::IconThemes themes(t.search(), kFileLimit);
    const struct {
        std::string name;
        fs::path found;
    } cases[] = {
        {"within", mine / "64/apps/within.png"},         // the threshold folder
        {"inherited", parent / "48/apps/inherited.png"}, // the parent theme before hicolor
        {"last", hicolor / "48/apps/last.png"},          // hicolor before the fallback folder
        {"linked", mine / "64/apps/linked.svg"},         // a link to the picture
        {"folder", mine / "16/apps/folder.png"},         // a folder where a picture is expected
        {"large", mine / "16/apps/large.png"},           // a picture over the size limit
        {"absent", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(themes.find(c.name, kWanted), c.found.string()) << c.name;
}

// A listing reads each index once, however many icons it looks up, and lists each of its folders once,
// however often the index names it; numbers near int's limits, in the index or asked for, are held
// within reach of the lookup's sums.
TEST(IconThemes, ReadsEachIndexOnceAndHoldsHostileNumbers) {
    Themes t;
    const fs::path mine = t.local / "Mine";
    std::string named;
    for (int i = 0; i < 5000; ++i)
        named += "48/apps,";
    t.index(t.local, "Mine",
            "Directories=" + named +
                "48//apps\n\n[48/apps]\nSize=48\nType=Fixed\n\n[48//apps]\nSize=48\nType=Fixed\n");
    writeFileText(mine / "48/apps/once.png", "x");
    writeFileText(mine / "32/apps/once.png", "x");
    const platform::IconThemes listing(t.search(), kFileLimit);
    EXPECT_EQ(listing.find("once", kWanted), (mine / "48/apps/once.png").string());
    EXPECT_EQ(listing.foldersListed(), 1u);
    // Changed after the listing read it: the listing keeps what it read, the next one sees the change.
    t.index(t.local, "Mine", "Directories=32/apps\n\n[32/apps]\nSize=32\nType=Fixed\n");
    EXPECT_EQ(listing.find("once", kWanted), (mine / "48/apps/once.png").string());
    EXPECT_EQ(listing.foldersListed(), 1u); // nothing read again
    EXPECT_EQ(platform::IconThemes(t.search(), kFileLimit).find("once", kWanted),
              (mine / "32/apps/once.png").string());

    t.index(t.local, "Mine",
            "Directories=huge,wide,negative\n\n"
            "[huge]\nSize=2147483647\nScale=2147483647\nThreshold=2147483647\n\n"
            "[wide]\nSize=2147483647\nType=Scalable\nMinSize=-2147483648\nMaxSize=2147483647\nScale=3\n\n"
            "[negative]\nSize=48\nType=Threshold\nThreshold=-2147483648\nScale=9999999999999\n");
    for (const char* folder : {"huge", "wide", "negative"})
        writeFileText(mine / folder / "hostile.png", "x");
    const platform::IconThemes hostile(t.search(), kFileLimit);
    for (int wanted : {kWanted, INT_MAX, INT_MIN, 0})
        EXPECT_FALSE(hostile.find("hostile", wanted).empty()) << wanted;
}

// The desktop's folders in Qt's order, from the environment as it is at each call: $XDG_DATA_DIRS's
// absolute folders each once (standardised), its default when unset or empty.
TEST(IconThemes, DesktopFoldersFollowTheEnvironmentInQtsOrder) {
    EnvOverride env;
    env.set("HOME", "/home/ann");
    env.set("XDG_DATA_HOME", "/home/ann/data");
    const std::pair<const char*, std::vector<std::string>> cases[] = {
        {"", {"/usr/local/share/icons", "/usr/share/icons"}},
        {"/opt/share/:share::/usr//share:/opt/share:/home/ann/data",
         {"/opt/share/icons", "/usr/share/icons"}},
        {"relative", {}},
    };
    for (auto [dirs, folders] : cases) {
        env.set("XDG_DATA_DIRS", dirs);
        folders.insert(folders.begin(), {"/home/ann/.icons", "/home/ann/data/icons"});
        EXPECT_EQ(platform::desktopIconSearch({}).folders, folders) << dirs;
    }
}

} // namespace
