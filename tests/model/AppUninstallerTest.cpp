#include "model/AppUninstaller.h"
#include "platform/DesktopEntry.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using namespace AppUninstaller;

namespace {

// Points HOME and the XDG variables at a temporary home for one test, and puts them back.
class ScopedHome {
public:
    explicit ScopedHome(const fs::path& home) {
        for (const char* name : {"HOME", "XDG_CACHE_HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME"}) {
            const char* old = std::getenv(name);
            saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
            ::unsetenv(name);
        }
        ::setenv("HOME", home.c_str(), 1);
    }
    ~ScopedHome() {
        for (auto& [name, value] : saved_) {
            if (value) ::setenv(name.c_str(), value->c_str(), 1);
            else ::unsetenv(name.c_str());
        }
    }
    void set(const char* name, const fs::path& value) { ::setenv(name, value.c_str(), 1); }

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

// Each entry is 1000 bytes plus the length of its name, so sums tell which entries were counted.
int64_t fakeSize(const std::string& path) {
    return 1000 + static_cast<int64_t>(fs::path(path).filename().string().size());
}

fs::path makeAppImage(const TempDir& home, const std::string& name, fs::perms perms = fs::perms::owner_all) {
    fs::path p = home.writeFile("Applications/" + name, 64);
    fs::permissions(p, perms);
    return p;
}

void write(const fs::path& p, const std::string& text) {
    fs::create_directories(p.parent_path());
    std::ofstream(p) << text;
}

InstalledApp app(const std::string& identifier, const std::string& name) {
    InstalledApp a;
    a.bundleIdentifier = identifier;
    a.displayName = name;
    return a;
}

LibraryListing listing(const std::string& label, const std::vector<std::string>& names) {
    LibraryListing l{label, {}};
    for (const auto& n : names) {
        std::string lower = n;
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        l.entries.emplace_back("/h/" + label + "/" + n, lower);
    }
    return l;
}

std::vector<std::string> urlsOf(const InstalledApp& a) {
    std::vector<std::string> out;
    for (const auto& g : a.leftovers)
        for (const auto& u : g.urls) out.push_back(g.category + ":" + fs::path(u).filename().string());
    return out;
}

} // namespace

TEST(AppUninstallerMatching, MatchesByIdentifierOrSpacelessNameInListingOrder) {
    std::vector<LibraryListing> listings = {
        listing("Caches", {"unrelated", "TextEditor", "com.example.editor.plist", "Text Editor Files"}),
        listing("Preferences", {"nothing-here"}),
        listing("Logs", {"com.example.Editor"}),
    };
    InstalledApp a = matchLeftovers(app("com.example.Editor", "Text Editor"), listings, fakeSize);
    ASSERT_EQ(a.leftovers.size(), 2u); // a listing without a match gives no group
    EXPECT_EQ(urlsOf(a), (std::vector<std::string>{"Caches:TextEditor", "Caches:com.example.editor.plist",
                                                   "Logs:com.example.Editor"}));
    EXPECT_EQ(a.leftovers[0].category, "Caches");
    EXPECT_EQ(a.leftovers[0].totalSize, 1000 + 10 + 1000 + 24);
    EXPECT_NE(a.leftovers[0].id, a.leftovers[1].id);
    EXPECT_FALSE(a.leftovers[0].id.isNull());
    a.bundleSize = 5;
    EXPECT_EQ(a.totalSize(), 5 + 2034 + 1018);
}

TEST(AppUninstallerMatching, EmptyAndShortKeysMatchNothing) {
    auto entries = listing("Preferences", {"ab", "abc", "xabx", "a b c", "éd-files", "kde", "", " "});
    auto matched = [&](const std::string& id, const std::string& name) {
        return urlsOf(matchLeftovers(app(id, name), {entries}, fakeSize));
    };
    EXPECT_TRUE(matched("", "").empty());
    EXPECT_TRUE(matched("", "   ").empty());
    EXPECT_TRUE(matched("a b", "A").empty());      // "ab" after removing the space
    EXPECT_TRUE(matched("ab", "a B").empty());
    EXPECT_TRUE(matched("éd", "ÉD").empty());       // two characters, though three bytes
    EXPECT_EQ(matched("abc", ""), (std::vector<std::string>{"Preferences:abc"}));
    EXPECT_EQ(matched("", "K D E"), (std::vector<std::string>{"Preferences:kde"}));
    EXPECT_EQ(matched("", "ÉD-Files"), (std::vector<std::string>{"Preferences:éd-files"})); // lower-cased beyond ASCII
}

TEST(AppUninstallerMatching, NeverOffersTheDesktopsSharedEntries) {
    for (const char* shared : {"Trash", "applications", "flatpak", "keyrings", "icons", "fonts", "mime", "dconf",
                               "systemd", "autostart", "gnome-shell", "mimeapps.list", "user-dirs.dirs",
                               "user-dirs.locale", "recently-used.xbel"}) {
        std::string lower = shared;
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_FALSE(matchesLeftover(lower, lower, lower)) << shared;
    }
    // Names that only contain a shared name are ordinary entries.
    EXPECT_TRUE(matchesLeftover("trash-cli", "trash", ""));
    EXPECT_TRUE(matchesLeftover("my-fonts", "", "fonts"));
}

TEST(AppUninstallerInfo, SplitsVersionAndArchitectureFromTheFileName) {
    struct Case {
        const char* stem;
        const char* name;
        const char* version;
    } cases[] = {
        {"Text-Editor-1.2.3-x86_64", "Text-Editor", "1.2.3"},
        {"Krita-5.2.2-x86_64", "Krita", "5.2.2"},
        {"Obsidian-1.4.16", "Obsidian", "1.4.16"},
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
    TempDir home;
    ScopedHome scoped(home.path());
    fs::path editor = makeAppImage(home, "Text-Editor-1.2.3-x86_64.AppImage");
    fs::path viewer = makeAppImage(home, "Viewer-0.9.AppImage");
    fs::path plain = makeAppImage(home, "Plain.AppImage");
    makeAppImage(home, "NotExecutable.AppImage", fs::perms::owner_read | fs::perms::owner_write);
    makeAppImage(home, "lower.appimage");
    makeAppImage(home, ".AppImage");
    home.writeFile("Applications/nested/Deep.AppImage", 8);
    fs::permissions(home.path() / "Applications/nested/Deep.AppImage", fs::perms::owner_all);
    home.makeDir("Applications/Folder.AppImage");
    fs::create_symlink(editor, home.path() / "Applications/Link.AppImage");

    fs::path apps = home.path() / ".local/share/applications";
    write(apps / "com.example.Editor.desktop",
          "[Desktop Entry]\nType=Application\nName=Text Editor\nX-AppImage-Version=1.3.0\nExec=\"" +
              editor.string() + "\" %U\n");
    // Launches the viewer through a path with a ".." in it; gives no version of its own.
    write(apps / "appimagekit-viewer.desktop", "[Desktop Entry]\nType=Application\nName=Image Viewer\nExec=env X=1 " +
                                                   home.str() + "/Applications/../Applications/Viewer-0.9.AppImage\n");
    write(apps / "other.desktop", "[Desktop Entry]\nType=Application\nName=Other\nExec=/usr/bin/other\n");

    Environment env = userEnvironment(fakeSize);
    EXPECT_EQ(applicationsFolder(env), home.str() + "/Applications");
    auto listed = listApps(applicationsFolder(env), env);
    std::sort(listed.begin(), listed.end(), [](auto& a, auto& b) { return a.bundleURL < b.bundleURL; });
    ASSERT_EQ(listed.size(), 3u);

    const InstalledApp& p = listed[0];
    EXPECT_EQ(p.bundleURL, plain.string());
    EXPECT_EQ(p.bundleIdentifier, "plain");
    EXPECT_EQ(p.displayName, "Plain");
    EXPECT_FALSE(p.version);

    const InstalledApp& e = listed[1];
    EXPECT_EQ(e.bundleURL, editor.string());
    EXPECT_EQ(e.bundleIdentifier, "com.example.Editor");
    EXPECT_EQ(e.displayName, "Text Editor");
    EXPECT_EQ(e.version, "1.3.0");
    EXPECT_EQ(e.bundleSize, fakeSize(editor.string()));
    EXPECT_TRUE(e.leftovers.empty());

    const InstalledApp& v = listed[2];
    EXPECT_EQ(v.bundleIdentifier, "appimagekit-viewer");
    EXPECT_EQ(v.displayName, "Image Viewer");
    EXPECT_EQ(v.version, "0.9"); // from the file name

    // Without the desktop entry the editor falls back to its file name.
    fs::remove(apps / "com.example.Editor.desktop");
    auto info = appInfo(editor.string(), platform::readDesktopEntries(env.desktopEntriesFolder), env);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->bundleIdentifier, "text-editor");
    EXPECT_EQ(info->displayName, "Text-Editor");
    EXPECT_EQ(info->version, "1.2.3");

    EXPECT_TRUE(listApps((home.path() / "missing").string(), env).empty());
}

TEST(AppUninstallerInfo, LastUsedIsTheAccessTimeUnlessMountedNoatime) {
    TempDir dir;
    fs::path file = dir.writeFile("A.AppImage", 4);
    struct timespec times[2] = {{1'600'000'000, 500'000'000}, {1'500'000'000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
    std::string folder = fs::canonical(dir.path()).string();
    write(dir.path() / "relatime", "1 0 8:1 / / rw,relatime - ext4 /dev/sda1 rw\n");
    write(dir.path() / "noatime", "1 0 8:1 / / rw,relatime - ext4 /dev/sda1 rw\n"
                                  "2 1 8:2 / " + folder + " rw,nosuid,noatime - ext4 /dev/sda2 rw\n");
    EXPECT_DOUBLE_EQ(*lastUsedDate(file.string(), (dir.path() / "relatime").string()), 1'600'000'000.5);
    EXPECT_FALSE(lastUsedDate(file.string(), (dir.path() / "noatime").string()));
    EXPECT_FALSE(lastUsedDate((dir.path() / "missing").string(), (dir.path() / "relatime").string()));
}

TEST(AppUninstallerLoad, AttachesLeftoversFromEachFolderOnceWithoutSharedEntries) {
    TempDir home;
    ScopedHome scoped(home.path());
    makeAppImage(home, "Text-Editor-1.2.3.AppImage");
    makeAppImage(home, "Trash-1.0.AppImage");
    home.writeFile(".cache/text-editor/blob", 10);
    home.writeFile(".config/text-editor.conf", 10);
    home.writeFile(".config/mimeapps.list", 10);
    home.makeDir(".config/autostart");
    home.makeDir(".local/share/text-editor");
    home.makeDir(".local/share/Trash/files");
    home.makeDir(".local/share/trash-cli");
    home.makeDir(".local/share/applications");
    home.makeDir(".local/state/text-editor");
    home.makeDir(".var/app/org.example.TextEditor");
    home.makeDir(".var/app/other");

    auto load = [&] {
        Environment env = userEnvironment(fakeSize);
        auto apps = listApps(applicationsFolder(env), env);
        std::sort(apps.begin(), apps.end(), [](auto& x, auto& y) { return x.displayName < y.displayName; });
        return loadApps(apps, env);
    };
    auto loaded = load();
    ASSERT_EQ(loaded.size(), 2u);
    EXPECT_EQ(loaded[0].displayName, "Text-Editor");
    EXPECT_EQ(urlsOf(loaded[0]), (std::vector<std::string>{"Caches:text-editor", "Preferences:text-editor.conf",
                                                           "Application Support:text-editor", "Logs:text-editor"}));
    EXPECT_EQ(loaded[0].leftovers[0].urls[0], (home.path() / ".cache/text-editor").string());
    // "TextEditor" in the Flatpak folder has no dash, so neither key is in it.
    EXPECT_EQ(loaded[1].displayName, "Trash");
    EXPECT_EQ(urlsOf(loaded[1]), (std::vector<std::string>{"Application Support:trash-cli"}));

    // Two loads: equal records apart from their identities.
    auto again = load();
    ASSERT_EQ(again.size(), 2u);
    EXPECT_NE(again[0].id, loaded[0].id);
    EXPECT_EQ(urlsOf(again[0]), urlsOf(loaded[0]));
    EXPECT_EQ(again[0].bundleSize, loaded[0].bundleSize);

    // A folder named by two variables is listed once, and a leftover folder is never itself a leftover
    // of another one.
    scoped.set("XDG_DATA_HOME", home.path() / ".config");
    scoped.set("XDG_STATE_HOME", home.path());
    scoped.set("XDG_CACHE_HOME", home.path() / ".text-editor-cache");
    home.writeFile(".text-editor-cache/text-editor/blob", 10);
    home.makeDir("text-editor-notes");
    auto shared = load();
    EXPECT_EQ(urlsOf(shared[0]), (std::vector<std::string>{"Caches:text-editor", "Preferences:text-editor.conf",
                                                           "Logs:text-editor-notes"}));
    EXPECT_EQ(shared[0].leftovers[0].urls[0], (home.path() / ".text-editor-cache/text-editor").string());
}

TEST(AppUninstallerLoad, NoReadableFolderMeansNoLeftovers) {
    TempDir home;
    ScopedHome scoped(home.path());
    makeAppImage(home, "Solo.AppImage");
    Environment env = userEnvironment(fakeSize);
    auto apps = loadApps(listApps(applicationsFolder(env), env), env);
    ASSERT_EQ(apps.size(), 1u);
    EXPECT_TRUE(apps[0].leftovers.empty());
    EXPECT_EQ(apps[0].totalSize(), apps[0].bundleSize);
}

TEST(AppUninstallerLoad, ParallelMapKeepsOrderAndDropsEmptyResults) {
    std::vector<int> input(1000);
    for (int i = 0; i < 1000; ++i) input[static_cast<size_t>(i)] = i;
    std::atomic<int> calls{0};
    auto out = parallelMap(input, [&](int v) {
        ++calls;
        return v % 3 == 0 ? std::optional<int>(v * 2) : std::nullopt;
    });
    EXPECT_EQ(calls.load(), 1000);
    ASSERT_EQ(out.size(), 334u);
    for (size_t i = 0; i < out.size(); ++i) EXPECT_EQ(out[i], static_cast<int>(i) * 6);
    EXPECT_TRUE(parallelMap(std::vector<int>{}, [](int v) { return std::optional<int>(v); }).empty());
}
