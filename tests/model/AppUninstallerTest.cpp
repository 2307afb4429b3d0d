#include "model/AppUninstaller.h"
#include "model/LaunchingEntries.h"
#include "model/LeftoverKeys.h"
#include "platform/DesktopEntry.h"
#include "platform/Paths.h"
#include "tests/support/EnvOverride.h"
#include "tests/support/StuckReads.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <numeric>
#include <optional>
#include <random>
#include <set>
#include <thread>

namespace fs = std::filesystem;
using namespace AppUninstaller;
using Names = std::vector<std::string>;

namespace {

// Each entry is 1000 bytes plus the length of its name, so sums tell which entries were counted.
int64_t fakeSize(const std::string& path) {
    return 1000 + static_cast<int64_t>(fs::path(path).filename().string().size());
}

InstalledApp app(const std::string& identifier, const std::string& name) {
    InstalledApp a;
    a.bundleIdentifier = identifier;
    a.displayName = name;
    return a;
}

// Entries named as given, listed under "/h/<label>" with their lower-cased names.
LibraryListing listing(const std::string& label, const Names& names) {
    LibraryListing l{label, {}};
    for (std::string n : names) {
        std::string path = "/h/" + label + "/" + n;
        for (char& c : n)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        l.entries.emplace_back(path, n);
    }
    return l;
}

// "<group label>:<entry name>" for every leftover, in order.
Names urlsOf(const InstalledApp& a) {
    Names out;
    for (const auto& g : a.leftovers)
        for (const auto& u : g.urls)
            out.push_back(g.category + ":" + fs::path(u).filename().string());
    return out;
}

// The applications of the current user's ~/Applications, sorted by file, with their leftovers.
std::vector<InstalledApp> loadSorted() {
    Environment env = userEnvironment(fakeSize);
    auto apps = listApps(applicationsFolder(env), env);
    std::sort(apps.begin(), apps.end(), [](auto& x, auto& y) { return x.bundleURL < y.bundleURL; });
    return loadApps(apps, env);
}

} // namespace

TEST(AppUninstallerMatching, IdentifierOrSpacelessNameInListingOrder) {
    std::vector<LibraryListing> listings = {
        listing("Caches", {"unrelated", "TextEditor", "com.example.editor.plist", "Text Editor Files"}),
        listing("Preferences", {"nothing-here"}),
        listing("Logs", {"com.example.Editor"}),
    };
    InstalledApp a = matchLeftovers(app("com.example.Editor", "Text Editor"), listings, fakeSize);
    ASSERT_EQ(a.leftovers.size(), 2u); // a listing without a match gives no group
    EXPECT_EQ(urlsOf(a),
              (Names{"Caches:TextEditor", "Caches:com.example.editor.plist", "Logs:com.example.Editor"}));
    EXPECT_EQ(a.leftovers[0].totalSize, 1000 + 10 + 1000 + 24);
}

// An empty or tiny key would match most of ~/.config; the desktop's shared entries are never offered.
TEST(AppUninstallerMatching, EmptyShortKeysAndSharedEntriesMatchNothing) {
    auto entries = listing("Preferences", {"ab", "abc", "xabx", "a b c", "éd-files", "kde", "", " "});
    struct Case {
        const char* id;
        const char* name;
        Names matched;
    } cases[] = {
        {"", "", {}},
        {"", "   ", {}},
        {"a b", "A", {}}, // "ab" once the space is gone
        {"éd", "ÉD", {}}, // two characters, though three bytes
        {"abc", "", {"Preferences:abc"}},
        {"", "K D E", {"Preferences:kde"}},
        {"", "éD-Files", {"Preferences:éd-files"}}, // ASCII letters without case, other bytes as they are
        {"", "ÉD-Files", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(urlsOf(matchLeftovers(app(c.id, c.name), {entries}, fakeSize)), c.matched)
            << c.id << "/" << c.name;

    for (std::string shared : {"trash", "autostart", "mimeapps.list"})
        EXPECT_FALSE(matchesLeftover(shared, shared, shared)) << shared;
    EXPECT_TRUE(matchesLeftover("trash-cli", "trash", "")); // merely containing a shared name is ordinary
}

// One automaton for every app's keys finds in each name what a search for each key would: keys of two
// letters overlap in every way (one inside another, a partial match giving way to a shorter key).
TEST(AppUninstallerMatching, LeftoverKeysFindWhatASearchForEachKeyFinds) {
    std::mt19937 random(7);
    auto word = [&](size_t longest) {
        std::string w(1 + random() % longest, 'a');
        for (char& c : w)
            c = "ab"[random() % 2];
        return w;
    };
    std::vector<std::pair<std::string, size_t>> keys;
    for (size_t i = 0; i < 60; ++i)
        keys.emplace_back(word(6), i % 40); // some owners with two keys
    const LeftoverKeys index(keys);
    for (int n = 0; n < 500; ++n) {
        const std::string name = word(16);
        std::set<size_t> owners;
        for (const auto& [key, owner] : keys)
            if (name.find(key) != std::string::npos) owners.insert(owner);
        EXPECT_EQ(index.owners(name), std::vector<size_t>(owners.begin(), owners.end())) << name;
    }
}

TEST(AppUninstallerInfo, SplitsVersionAndArchitectureFromTheFileName) {
    struct Case {
        const char* stem;
        const char* name;
        const char* version;
    } cases[] = {
        {"Text-Editor-1.2.3-x86_64", "Text-Editor", "1.2.3"},
        {"App_v2.0.1_amd64", "App", "2.0.1"},
        {"Editor-1.2.3-beta.1-aarch64", "Editor", "1.2.3-beta.1"},
        {"Editor-1.2.3-2", "Editor", "1.2.3-2"},
        {"App-2-Pro-1.0", "App-2-Pro", "1.0"},
        {"Tool-v5", "Tool", "5"},
        {"Tool.x86_64", "Tool", ""},
        {"Word Processor 3.1", "Word Processor", "3.1"},
        {"Plain", "Plain", ""},
        {"x64", "x64", ""},
        {"2048", "2048", ""},
    };
    for (const auto& c : cases) {
        StemParts parts = splitStem(c.stem);
        EXPECT_EQ(parts.name, c.name) << c.stem;
        EXPECT_EQ(parts.version, c.version) << c.stem;
    }
}

TEST(AppUninstallerInfo, ListsExecutableAppImagesWithAndWithoutDesktopEntries) {
    TempDir temp;
    ScopedUserFolders user(temp.str());
    const fs::path home = user.home(), folder = home / "Applications";
    auto appImage = [&](const std::string& name, fs::perms perms = fs::perms::owner_all) {
        fs::path p = folder / name;
        writeFileText(p, std::string(64, 'x'));
        fs::permissions(p, perms);
        return p;
    };
    // Listed: the first three. Not: wrong suffix, no stem, in a subfolder, not executable, a folder, a link.
    fs::path editor = appImage("Text-Editor-1.2.3-x86_64.AppImage");
    for (const char* name :
         {"Plain.AppImage", "Viewer-0.9.AppImage", "lower.appimage", ".AppImage", "nested/Deep.AppImage"})
        appImage(name);
    appImage("NotExecutable.AppImage", fs::perms::owner_read | fs::perms::owner_write);
    fs::create_directories(folder / "Folder.AppImage");
    fs::create_symlink(editor, folder / "Link.AppImage");

    fs::path entries = user.dataHome() + "/applications";
    writeFileText(entries / "com.example.Editor.desktop",
                  "[Desktop Entry]\nType=Application\nName=Text Editor\nIcon=/icons/editor.png\n"
                  "X-AppImage-Version=1.3.0\nExec=\"" +
                      editor.string() + "\" %U\n");
    // Launches the viewer through a path with ".." in it, and gives no version of its own.
    writeFileText(entries / "appimagekit-viewer.desktop",
                  "[Desktop Entry]\nType=Application\nName=Image Viewer\nIcon= image-viewer \n"
                  "Exec=env X=1 " +
                      folder.string() + "/../Applications/Viewer-0.9.AppImage\n");
    // A second entry of the editor's (through a link to it) names it only after the first by ID; a
    // TryExec, or a relative Exec, names nothing.
    for (const auto& [id, line] :
         {std::pair{"zz-editor", "Exec=" + (folder / "Link.AppImage").string()},
          {"aa-viewer-check", "Exec=/usr/bin/true\nTryExec=" + (folder / "Viewer-0.9.AppImage").string()},
          {"ab-editor-relative", "Exec=Applications/" + editor.filename().string()}})
        writeFileText(entries / (std::string(id) + ".desktop"),
                      "[Desktop Entry]\nType=Application\nName=" + std::string(id) + "\n" + line + "\n");

    Environment env = userEnvironment(fakeSize);
    auto listed = listApps(applicationsFolder(env), env);
    std::sort(listed.begin(), listed.end(), [](auto& a, auto& b) { return a.bundleURL < b.bundleURL; });
    ASSERT_EQ(listed.size(), 3u);
    auto describe = [](const InstalledApp& a) {
        return a.bundleIdentifier + "|" + a.displayName + "|" + a.version.value_or("none") + "|" + a.icon;
    };
    EXPECT_EQ(describe(listed[0]), "plain|Plain|none|");
    EXPECT_EQ(describe(listed[1]), "com.example.Editor|Text Editor|1.3.0|/icons/editor.png");
    EXPECT_EQ(describe(listed[2]),
              "appimagekit-viewer|Image Viewer|0.9|image-viewer"); // version from the file name
    fs::remove(entries / "com.example.Editor.desktop");            // without its entries: from its file name
    fs::remove(entries / "zz-editor.desktop");
    auto info = appInfo(editor.string(), platform::readDesktopEntries(env.desktopEntriesFolder), env);
    ASSERT_TRUE(info);
    EXPECT_EQ(describe(*info), "text-editor|Text-Editor|1.2.3|");
    // Each entry's program is resolved once, as the entries are read, not again for every AppImage: an
    // entry read while its link led to the editor names it after the link has gone.
    const fs::path link = home / "editor-link";
    fs::create_symlink(editor, link);
    writeFileText(entries / "linked.desktop",
                  "[Desktop Entry]\nType=Application\nName=Linked\nExec=" + link.string() + "\n");
    const auto read = platform::readDesktopEntries(env.desktopEntriesFolder);
    fs::remove(link);
    info = appInfo(editor.string(), read, env);
    ASSERT_TRUE(info);
    EXPECT_EQ(describe(*info), "linked|Linked|1.2.3|");
    EXPECT_TRUE(listApps((home / "missing").string(), env).empty());
}

TEST(AppUninstallerInfo, LastUsedIsTheAccessTimeUnlessMountedNoatime) {
    TempDir dir;
    fs::path file = dir.writeFile("A.AppImage", 4);
    struct timespec times[2] = {{1'600'000'000, 500'000'000}, {1'500'000'000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
    const std::string root = "1 0 8:1 / / rw,relatime - ext4 /dev/sda1 rw\n";
    writeFileText(dir.path() / "relatime", root);
    writeFileText(dir.path() / "noatime", root + "2 1 8:2 / " + fs::canonical(dir.path()).string() +
                                              " rw,nosuid,noatime - ext4 /dev/sda2 rw\n");
    EXPECT_DOUBLE_EQ(*lastUsedDate(file.string(), (dir.path() / "relatime").string()), 1'600'000'000.5);
    EXPECT_FALSE(lastUsedDate(file.string(), (dir.path() / "noatime").string()));
    EXPECT_FALSE(lastUsedDate((dir.path() / "missing").string(), (dir.path() / "relatime").string()));
}

TEST(AppUninstallerLoad, AttachesLeftoversFromEachFolderOnceWithoutSharedEntries) {
    TempDir temp;
    ScopedUserFolders user(temp.str());
    const fs::path home = user.home();
    for (const char* name : {"Applications/Text-Editor-1.2.3.AppImage", "Applications/Trash-1.0.AppImage"}) {
        writeFileText(home / name, "x");
        fs::permissions(home / name, fs::perms::owner_all);
    }
    for (const char* file :
         {".cache/text-editor/blob", ".config/text-editor.conf", ".config/mimeapps.list",
          ".config/autostart/x", ".local/share/text-editor/x", ".local/share/Trash/files/x",
          ".local/share/trash-cli/x", ".local/state/text-editor/x", ".var/app/org.example.TextEditor/x"})
        writeFileText(home / file, "x");
    auto loaded = loadSorted();
    ASSERT_EQ(loaded.size(), 2u);
    EXPECT_EQ(urlsOf(loaded[0]), (Names{"Caches:text-editor", "Preferences:text-editor.conf",
                                        "Application Support:text-editor", "Logs:text-editor"}));
    // "TextEditor" in the Flatpak folder has no dash, so neither key is in it.
    EXPECT_EQ(urlsOf(loaded[1]), Names{"Application Support:trash-cli"});

    // A folder named by two variables is listed once, and a leftover folder (here the home folder) is
    // never itself a leftover of another one.
    user.set("XDG_DATA_HOME", home / ".config");
    user.set("XDG_STATE_HOME", home);
    user.set("XDG_CACHE_HOME", home / ".text-editor-cache");
    writeFileText(home / ".text-editor-cache/text-editor/blob", "x");
    writeFileText(home / "text-editor-notes/x", "x");
    EXPECT_EQ(urlsOf(loadSorted()[0]),
              (Names{"Caches:text-editor", "Preferences:text-editor.conf", "Logs:text-editor-notes"}));
}

// Names are bytes: one that is not UTF-8 never folds into another name's leftovers.
TEST(AppUninstallerLoad, NamesWithInvalidBytesClaimOnlyTheirOwnLeftovers) {
    TempDir temp;
    ScopedUserFolders user(temp.str());
    const fs::path home = user.home();
    for (const char* name : {"Applications/Caf\xE9.AppImage", "Applications/Caf\xE8-2.0.AppImage"}) {
        writeFileText(home / name, "x");
        fs::permissions(home / name, fs::perms::owner_all);
    }
    for (const char* file :
         {".config/caf\xE8/x", ".config/Caf\xE0 Player/x", ".config/CAF\xE9.conf", ".cache/caf\xC3\xA9/x"})
        writeFileText(home / file, "x");
    auto loaded = loadSorted();
    ASSERT_EQ(loaded.size(), 2u);
    EXPECT_EQ(urlsOf(loaded[0]), Names{"Preferences:caf\xE8"});
    EXPECT_EQ(urlsOf(loaded[1]), Names{"Preferences:CAF\xE9.conf"});
}

// Launchers: the entries that start the AppImage (by Exec or TryExec, through links too) and the icons
// only they name, taken from the user's icon folders and never from another app's entry.
TEST(AppUninstallerLoad, LaunchersAreTheEntriesStartingTheAppImageAndTheIconsOnlyTheyName) {
    TempDir temp;
    ScopedUserFolders user(temp.str());
    const fs::path home = user.home(), entries = user.dataHome() + "/applications",
                   icons = user.dataHome() + "/icons/hicolor";
    for (const char* name : {"Applications/Editor.AppImage", "Applications/Viewer.AppImage"}) {
        writeFileText(home / name, "x");
        fs::permissions(home / name, fs::perms::owner_all);
    }
    fs::create_directory_symlink(home / "Applications", home / "Apps");
    const std::string editor = (home / "Applications/Editor.AppImage").string(),
                      viewer = (home / "Applications/Viewer.AppImage").string();
    auto entry = [&](const std::string& id, const std::string& lines) {
        writeFileText(entries / (id + ".desktop"),
                      "[Desktop Entry]\nType=Application\nName=Editor\n" + lines);
    };
    entry("editor", "Exec=\"" + editor + "\" %U\nIcon=editor\n");
    entry("editor-safe", "Exec=" + (home / "Apps/Editor.AppImage").string() + " --safe\nIcon=shared\n");
    entry("editor-sandboxed", "Exec=/usr/bin/firejail " + editor + "\nTryExec=" + editor +
                                  "\nIcon=" + user.dataHome() + "/pixmaps/editor-logo.png\n");
    entry("editor-settings",
          "Exec=" + editor + " --settings\nIcon=" + home.string() + "/.config/editor/icon.png\n");
    entry("editor-system-icon", "Exec=" + editor + "\nIcon=/usr/share/pixmaps/editor.png\n");
    entry("editor-hidden", "Exec=" + editor + "\nHidden=true\n");
    entry("other", "Exec=/usr/bin/other\nIcon=shared\n");
    entry("zz-both", "Exec=" + editor + "\nTryExec=" + viewer + "\n");
    entry("editor-twice", "Exec=" + editor + "\nTryExec=" + editor + "\n"); // one launcher, listed once
    entry("editor-relative", "Exec=Applications/Editor.AppImage\n");
    for (const char* file : {"48x48/apps/editor.png", "scalable/apps/editor.svg", "48x48/apps/shared.png",
                             "48x48/apps/editor-extra.png", "index.theme"})
        writeFileText(icons / file, "x");
    writeFileText(user.dataHome() + "/pixmaps/editor-logo.png", "x");
    writeFileText(home / ".config/editor/icon.png", "x");

    auto loaded = loadSorted();
    ASSERT_EQ(loaded.size(), 2u);
    EXPECT_EQ(loaded[0].bundleIdentifier, "editor");
    // The settings entry's icon lies outside the icon folders (in one the Preferences group moves).
    EXPECT_EQ(urlsOf(loaded[0]),
              (Names{"Preferences:editor", "Launchers:editor.desktop", "Launchers:editor-safe.desktop",
                     "Launchers:editor-sandboxed.desktop", "Launchers:editor-settings.desktop",
                     "Launchers:editor-system-icon.desktop", "Launchers:editor-twice.desktop",
                     "Launchers:editor.png", "Launchers:editor.svg", "Launchers:editor-logo.png"}));
    ASSERT_EQ(loaded[0].leftovers.size(), 2u);
    EXPECT_EQ(loaded[0].leftovers[1].totalSize, 9 * 1000 + 14 + 19 + 24 + 23 + 26 + 20 + 10 + 10 + 15);
    EXPECT_TRUE(loaded[1].leftovers.empty()); // its only entry starts the editor too: no group at all

    // Another entry naming the same icon, by path or by name, keeps it out.
    entry("other-logo", "Exec=/usr/bin/other\nIcon=" + user.dataHome() + "/pixmaps/editor-logo.png\n");
    writeFileText(entries / "mime.desktop", "[Desktop Entry]\nType=Link\nIcon=editor\n");
    auto names = urlsOf(loadSorted()[0]);
    EXPECT_EQ(Names(names.end() - 2, names.end()),
              (Names{"Launchers:editor-system-icon.desktop", "Launchers:editor-twice.desktop"}));
}

// An icon is an app's only when it is a picture file that really lies in the user's icon folders, named
// by path or by theme name. The user's documents and photos, in the home folder or reached through a
// link, are never offered, nor a folder, a FIFO or the AppImage; what is offered is the file's real path,
// so the move to the Trash follows no link in its middle.
TEST(AppUninstallerLoad, LauncherIconsAreOnlyPictureFilesInTheUserIconFolders) {
    TempDir temp;
    ScopedUserFolders user(temp.str());
    const fs::path home = user.home(), data = user.dataHome(), outside = temp.path() / "outside",
                   theme = data / "icons/hicolor/48x48/apps", editor = home / "Applications/Editor.AppImage";
    writeFileText(editor, "x");
    fs::permissions(editor, fs::perms::owner_all);
    for (const fs::path& file :
         {home / "Documents/notes.txt", home / "Pictures/family-photo.png", outside / "taxes-2025.txt",
          outside / "scan.png", data / "icons/readme.txt", theme / "editor.png", theme / "editor-linked.png",
          data / "pixmaps/editor.xpm", home / ".icons/hicolor/32x32/apps/editor-cursor.svg"})
        writeFileText(file, "x");
    fs::create_directory_symlink(outside, home / "Shared");
    fs::create_directory_symlink(outside, data / "icons/elsewhere");
    fs::create_directory_symlink(theme, data / "icons/linked");
    fs::create_symlink(home / "Pictures/family-photo.png", theme / "photo.png");
    fs::create_directories(theme / "folder.png");
    ASSERT_EQ(::mkfifo((theme / "fifo.png").c_str(), 0600), 0);

    const Names icons = {
        // Never the app's.
        home / "Documents/notes.txt", data / "icons/../../../Documents/notes.txt",
        home / "Pictures/family-photo.png", data / "icons/../../../Pictures/family-photo.png",
        home / "Shared/taxes-2025.txt", home / "Shared/scan.png", data / "icons/elsewhere/scan.png",
        theme / "photo.png", "photo", data / "icons/readme.txt", theme / "folder.png", "folder",
        theme / "fifo.png", "fifo", editor,
        // The app's, by their real paths.
        data / "icons/hicolor/../hicolor/48x48/apps/editor.png", data / "icons/linked/editor-linked.png",
        data / "pixmaps/editor.xpm", "editor-cursor"};
    Names expected;
    for (size_t i = 0; i < icons.size(); ++i) {
        const fs::path entry = data / "applications" /
                               ("editor-" + std::string(i < 10 ? "0" : "") + std::to_string(i) + ".desktop");
        writeFileText(entry, "[Desktop Entry]\nType=Application\nName=Editor\nExec=" + editor.string() +
                                 "\nIcon=" + icons[i] + "\n");
        expected.push_back(entry.string());
    }
    const fs::path realTheme = fs::canonical(theme);
    for (const fs::path& icon : {realTheme / "editor-linked.png", realTheme / "editor.png",
                                 fs::canonical(data / "pixmaps/editor.xpm"),
                                 fs::canonical(home / ".icons/hicolor/32x32/apps/editor-cursor.svg")})
        expected.push_back(icon.string());
    std::sort(expected.end() - 4, expected.end());

    auto loaded = loadSorted();
    ASSERT_EQ(loaded.size(), 1u);
    ASSERT_EQ(loaded[0].leftovers.size(), 1u);
    EXPECT_EQ(loaded[0].leftovers[0].category, "Launchers");
    EXPECT_EQ(loaded[0].leftovers[0].urls, expected);
}

// Where an Icon value may find an app's own icons: only the hicolor theme of the user's icon folders and
// ~/.local/share/pixmaps, where desktop integration puts them, and only as real folders. A theme the
// user installed by hand, and pictures reached through a linked folder, stay the user's.
struct LauncherIconCase {
    std::string name;
    std::function<void(const fs::path& home, const fs::path& data)> plant;
    std::string icon;          // the Icon value; a leading "~" is the home folder
    Names offered;             // below the home folder, links resolved
    std::string neverOpened{}; // below the home folder: a special file nobody may open
};

void PrintTo(const LauncherIconCase& c, std::ostream* out) {
    *out << c.name;
}

class LauncherIcons : public ::testing::TestWithParam<LauncherIconCase> {};

TEST_P(LauncherIcons, AreOnlyThoseOfHicolorAndPixmapsInRealFolders) {
    const LauncherIconCase& c = GetParam();
    TempDir temp;
    ScopedUserFolders user(temp.str());
    const fs::path home = user.home(), data = user.dataHome(), editor = home / "Applications/Krita.AppImage";
    writeFileText(editor, "x");
    fs::permissions(editor, fs::perms::owner_all);
    c.plant(home, data);
    const std::string icon = c.icon.starts_with("~") ? home.string() + c.icon.substr(1) : c.icon;
    writeFileText(data / "applications/krita.desktop",
                  "[Desktop Entry]\nType=Application\nName=Krita\nExec=" + editor.string() +
                      "\nIcon=" + icon + "\n");
    std::optional<OpenWatch> watch;
    if (!c.neverOpened.empty()) {
        watch.emplace(home / c.neverOpened);
        ASSERT_TRUE(watch->watching());
    }

    const auto loaded = loadSorted();
    ASSERT_EQ(loaded.size(), 1u);
    ASSERT_EQ(loaded[0].leftovers.size(), 1u);
    Names offered(loaded[0].leftovers[0].urls.begin() + 1, loaded[0].leftovers[0].urls.end());
    Names expected;
    for (const auto& file : c.offered)
        expected.push_back(fs::canonical(home / file).string());
    EXPECT_EQ(offered, expected);
    if (watch) {
        EXPECT_FALSE(watch->opened());
    }
}

void plantFile(const fs::path& path) {
    writeFileText(path, "x");
}

INSTANTIATE_TEST_SUITE_P(
    AppUninstallerLoad, LauncherIcons,
    ::testing::Values(
        LauncherIconCase{"HandInstalledThemeInDotIcons",
                         [](const fs::path& home, const fs::path&) {
                             plantFile(home / ".icons/Papirus/48x48/apps/krita.svg");
                         },
                         "krita",
                         {}},
        LauncherIconCase{"HandInstalledThemeInDataIconsByPath",
                         [](const fs::path&, const fs::path& data) {
                             plantFile(data / "icons/Papirus-Dark/64x64/apps/krita.svg");
                         },
                         "~/.local/share/icons/Papirus-Dark/64x64/apps/krita.svg",
                         {}},
        LauncherIconCase{"PixmapsLinkedToPictures",
                         [](const fs::path& home, const fs::path& data) {
                             plantFile(home / "Pictures/krita.png");
                             fs::create_directory_symlink(home / "Pictures", data / "pixmaps");
                         },
                         "krita",
                         {}},
        LauncherIconCase{"PixmapsLinkedToPicturesByPath",
                         [](const fs::path& home, const fs::path& data) {
                             plantFile(home / "Pictures/krita.png");
                             fs::create_directory_symlink(home / "Pictures", data / "pixmaps");
                         },
                         "~/.local/share/pixmaps/krita.png",
                         {}},
        LauncherIconCase{"IconsFolderLinked",
                         [](const fs::path& home, const fs::path& data) {
                             plantFile(home / "Pictures/icons/hicolor/48x48/apps/krita.png");
                             fs::create_directory_symlink(home / "Pictures/icons", data / "icons");
                         },
                         "krita",
                         {}},
        LauncherIconCase{"HicolorFolderLinked",
                         [](const fs::path& home, const fs::path&) {
                             plantFile(home / "Pictures/hicolor/48x48/apps/krita.png");
                             fs::create_directories(home / ".icons");
                             fs::create_directory_symlink(home / "Pictures/hicolor", home / ".icons/hicolor");
                         },
                         "~/.icons/hicolor/48x48/apps/krita.png",
                         {}},
        LauncherIconCase{"FifoByPath",
                         [](const fs::path&, const fs::path& data) {
                             fs::create_directories(data / "pixmaps");
                             ASSERT_EQ(::mkfifo((data / "pixmaps/krita.png").c_str(), 0600), 0);
                         },
                         "~/.local/share/pixmaps/krita.png",
                         {},
                         ".local/share/pixmaps/krita.png"},
        LauncherIconCase{"HicolorInDataIcons",
                         [](const fs::path&, const fs::path& data) {
                             plantFile(data / "icons/hicolor/48x48/apps/krita.png");
                             plantFile(data / "icons/hicolor/scalable/apps/krita.svg");
                         },
                         "krita",
                         {".local/share/icons/hicolor/48x48/apps/krita.png",
                          ".local/share/icons/hicolor/scalable/apps/krita.svg"}},
        LauncherIconCase{"HicolorInDotIconsByPath",
                         [](const fs::path& home, const fs::path&) {
                             plantFile(home / ".icons/hicolor/256x256/apps/krita.png");
                         },
                         "~/.icons/hicolor/256x256/apps/krita.png",
                         {".icons/hicolor/256x256/apps/krita.png"}},
        LauncherIconCase{"Pixmaps",
                         [](const fs::path&, const fs::path& data) { plantFile(data / "pixmaps/krita.xpm"); },
                         "krita",
                         {".local/share/pixmaps/krita.xpm"}}),
    [](const auto& info) { return info.param.name; });

// Every loop of a listing ends once its stop is requested (a quit waits for it): each phase asked to stop
// before it starts does nothing, and one asked at the first size it asks for asks for no more than its
// threads had under way. Unstopped, each does its work for every one of many apps.
TEST(AppUninstallerLoad, AStopReachesEveryLoopOfAListing) {
    constexpr size_t kApps = 600;
    TempDir temp;
    ScopedUserFolders user(temp.str());
    const fs::path home = user.home(), data = user.dataHome();
    std::vector<std::string> images;
    for (size_t i = 0; i < kApps; ++i) {
        const std::string key = "tool" + std::to_string(1000 + i);
        images.push_back(home / "Applications" / (key + ".AppImage"));
        writeFileText(images.back(), "x");
        fs::permissions(images.back(), fs::perms::owner_all);
        writeFileText(data / "applications" / (key + ".desktop"),
                      "[Desktop Entry]\nType=Application\nName=" + key + "\nIcon=" + key +
                          "\nExec=" + images.back() + "\n");
        writeFileText(data / "icons/hicolor/48x48/apps" / (key + ".png"), "x");
        writeFileText(home / ".cache" / key / "blob", "x");
    }
    const Environment env = userEnvironment(fakeSize);
    const auto files = platform::readDesktopFiles(env.desktopEntriesFolder);
    const auto listed = listApps(applicationsFolder(env), env, &files);
    const std::vector<LibraryListing> caches = {*listLibraryFolder("Caches", home / ".cache")};
    auto count = [](const auto& list, auto found) {
        return size_t(std::count_if(list.begin(), list.end(), found));
    };

    // What each phase gave: entries, apps or paths.
    using Phase = std::function<size_t(const Environment&, std::stop_token)>;
    const std::pair<const char*, Phase> phases[] = {
        {"reading entries",
         [&](auto&, auto stop) { return platform::readDesktopFiles(env.desktopEntriesFolder, stop).size(); }},
        {"the entries' map",
         [&](auto&, auto stop) {
             LaunchingEntries launching(files, LaunchingEntries::Programs::execAndTryExec, stop);
             return count(images,
                          [&](auto& i) { return !launching.of(i, platform::resolvedPath(i)).empty(); });
         }},
        {"naming",
         [&](auto& e, auto stop) { return listApps(applicationsFolder(e), e, &files, stop).size(); }},
        {"a leftover folder",
         [&](auto&, auto stop) {
             return listLibraryFolder("Caches", home / ".cache", stop)->entries.size();
         }},
        {"launchers",
         [&](auto&, auto stop) {
             AppLaunchers launchers(files, env.iconFolders, stop);
             return count(images, [&](auto& i) { return !launchers.of(i).empty(); });
         }},
        {"matching",
         [&](auto& e, auto stop) {
             return count(loadApps(listed, e, &files, stop), [](auto& a) { return !a.leftovers.empty(); });
         }},
        {"one app's leftovers",
         [&](auto& e, auto stop) {
             return urlsOf(matchLeftovers(app("tool", ""), caches, e.sizeOf, nullptr, stop)).size();
         }},
    };
    for (const auto& [name, phase] : phases) {
        SCOPED_TRACE(name);
        EXPECT_GE(phase(env, {}), kApps);
        std::stop_source before;
        before.request_stop();
        std::atomic<size_t> asked = 0;
        Environment counted = env;
        counted.sizeOf = [&](const std::string& path) { return ++asked, fakeSize(path); };
        EXPECT_EQ(phase(counted, before.get_token()), 0u);
        EXPECT_EQ(asked, 0u);

        std::stop_source midway;
        asked = 0;
        counted.sizeOf = [&](const std::string& path) {
            if (!midway.request_stop()) ++asked;
            return fakeSize(path);
        };
        phase(counted, midway.get_token());
        EXPECT_LE(asked, std::max(1u, std::thread::hardware_concurrency()));
    }
}

TEST(AppUninstallerLoad, ParallelMapKeepsOrderAndDropsEmptyResults) {
    std::vector<int> input(1000);
    std::iota(input.begin(), input.end(), 0);
    auto out =
        parallelMap(input, [](int v) { return v % 3 == 0 ? std::optional<int>(v * 2) : std::nullopt; });
    ASSERT_EQ(out.size(), 334u);
    for (size_t i = 0; i < out.size(); ++i)
        EXPECT_EQ(out[i], static_cast<int>(i) * 6);
}
