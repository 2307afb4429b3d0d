#include "platform/DesktopEntry.h"
#include "tests/support/StuckReads.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

using platform::DesktopEntry;
using platform::parseDesktopEntry;

TEST(DesktopEntry, ReadsOnlyTheDesktopEntryGroupWithEscapesResolved) {
    auto entry = parseDesktopEntry("# comment\n"
                                   "[Other]\nName=Wrong\n"
                                   "[Desktop Entry]\r\n"
                                   "Name = Text Editor  \r\n"
                                   "Name[de]=Texteditor\n"
                                   "Name=Second wins not\n"
                                   "Comment=a\\sb\\tc\\\\d\\;e\n"
                                   "Icon=\\s\\tapp-icon\\s\n"
                                   "NoEquals\n"
                                   "[Desktop Action New]\nName=New Window\n");
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->value("Name"), "Text Editor");
    EXPECT_EQ(entry->value("Name[de]"), "Texteditor");
    EXPECT_EQ(entry->value("Comment"), "a b\tc\\d\\;e");
    // Escaped blanks survive parsing; trimmedValue drops them at the ends only.
    EXPECT_EQ(entry->value("Icon"), " \tapp-icon ");
    EXPECT_EQ(entry->trimmedValue("Icon"), "app-icon");
    EXPECT_EQ(entry->trimmedValue("Comment"), "a b\tc\\d\\;e");
    EXPECT_EQ(entry->trimmedValue("Missing"), "");
    EXPECT_FALSE(parseDesktopEntry("[Desktop Action x]\nName=y\n"));
}

TEST(DesktopEntry, SplitsExecByItsQuotingRulesAndFindsTheProgram) {
    struct Case {
        const char* exec;
        std::vector<std::string> args;
        const char* program;
    } cases[] = {
        {"/home/u/Applications/Editor.AppImage %U",
         {"/home/u/Applications/Editor.AppImage"},
         "/home/u/Applications/Editor.AppImage"},
        {"\"/home/u/My Apps/Ed.AppImage\" --new %f",
         {"/home/u/My Apps/Ed.AppImage", "--new"},
         "/home/u/My Apps/Ed.AppImage"},
        // Four backslashes in the file are one after both unescaping steps; \" is a quote inside quotes.
        {"\"/a\\\\\\\\b\\\"c\" 100%%", {"/a\\b\"c", "100%"}, "/a\\b\"c"},
        {"env DESKTOPINTEGRATION=1 LANG=C /opt/X.AppImage --x=1",
         {"env", "DESKTOPINTEGRATION=1", "LANG=C", "/opt/X.AppImage", "--x=1"},
         "/opt/X.AppImage"},
        {"  ", {}, ""},
        {"%F", {}, ""},
    };
    for (const auto& c : cases) {
        // The file-level escapes are resolved by the parser, so go through it.
        auto entry = parseDesktopEntry(std::string("[Desktop Entry]\nExec=") + c.exec + "\n");
        ASSERT_TRUE(entry);
        EXPECT_EQ(entry->execArguments(), c.args) << c.exec;
        EXPECT_EQ(entry->execProgram(), c.program) << c.exec;
    }
    DesktopEntry codes;
    codes.values = {{"Exec", "prog --icon %i --name=%c"}};
    EXPECT_EQ(codes.execArguments(), (std::vector<std::string>{"prog", "--icon", "--name="}));
}

TEST(DesktopEntry, ReadsApplicationEntriesRecursivelyWithTheirIds) {
    TempDir dir;
    writeFileText(dir.path() / "org.example.Editor.desktop",
                  "[Desktop Entry]\nType=Application\nName=Editor\n");
    writeFileText(dir.path() / "vendor/sub/tool.desktop", "[Desktop Entry]\nType=Application\nName=Tool\n");
    writeFileText(dir.path() / "gone.desktop", "[Desktop Entry]\nType=Application\nHidden=true\n");
    writeFileText(dir.path() / "link.desktop", "[Desktop Entry]\nType=Link\nURL=https://example.org\n");
    writeFileText(dir.path() / "notes.txt", "[Desktop Entry]\nType=Application\n");
    auto entries = platform::readDesktopEntries(dir.str());
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].id, "org.example.Editor");
    EXPECT_EQ(entries[1].id, "vendor-sub-tool");
    EXPECT_EQ(entries[1].path, (dir.path() / "vendor/sub/tool.desktop").string());
    EXPECT_TRUE(platform::readDesktopEntries(dir.str() + "/missing").empty());
    // Every desktop file, whatever its type and even hidden, for telling who else names an icon.
    std::vector<std::string> all;
    for (const auto& entry : platform::readDesktopFiles(dir.str()))
        all.push_back(entry.id);
    EXPECT_EQ(all, (std::vector<std::string>{"gone", "link", "org.example.Editor", "vendor-sub-tool"}));
}

// A link to an entry kept elsewhere is an entry; a FIFO, a device or a runaway file under the name is
// none, and never holds the reading up.
TEST(DesktopEntry, OnlyRegularEntriesOfSaneSizeAreRead) {
    TempDir dir;
    const std::string entry = "[Desktop Entry]\nType=Application\nName=Tool\n";
    writeFileText(dir.path() / "elsewhere/tool.desktop", entry);
    const fs::path folder = dir.path() / "applications";
    fs::create_directories(folder);
    fs::create_symlink(dir.path() / "elsewhere/tool.desktop", folder / "linked.desktop");
    fs::create_symlink("/dev/zero", folder / "zeros.desktop");
    writeFileText(folder / "huge.desktop", entry + std::string(platform::kEntryLimit, '#'));
    writeFileText(folder / "fits.desktop", entry + std::string(platform::kEntryLimit - entry.size(), '#'));
    PlantedFifo fifo(folder / "fifo.desktop");
    std::vector<DesktopEntry> entries;
    ASSERT_TRUE(fifo.finishesWithin(std::chrono::seconds(5),
                                    [&] { entries = platform::readDesktopEntries(folder.string()); }));
    std::vector<std::string> ids;
    for (const auto& e : entries)
        ids.push_back(e.id);
    EXPECT_EQ(ids, (std::vector<std::string>{"fits", "linked"}));
}
