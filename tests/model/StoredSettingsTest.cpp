// The settings file is judged before QSettings opens it: anything but a small regular file there is
// left exactly as it is, and Brenwick starts on its defaults instead of waiting or reading without end.
#include "model/StoredSettings.h"

#include "tests/support/StuckReads.h"
#include "tests/support/TempDir.h"

#include <QSettings>

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

// Points the settings at a test folder; the process's own folder is restored at the end.
class SettingsFolderTest : public ::testing::Test {
  protected:
    void TearDown() override { stored_settings::useFolder(original_); }

    TempDir temp;
    const fs::path file = temp.path() / "Brenwick/Brenwick.conf";

  private:
    const std::string original_ =
        fs::path(QSettings("Brenwick", "Brenwick").fileName().toStdString()).parent_path().parent_path();
};

TEST_F(SettingsFolderTest, AFileThatIsNoSmallRegularOneIsNeitherReadNorReplaced) {
    // The FIFO first: reading it the ordinary way would wait for a writer for ever.
    PlantedFifo fifo(file);
    bool used = true;
    ASSERT_TRUE(fifo.finishesWithin(std::chrono::seconds(5), [&] {
        used = stored_settings::useFolder(temp.str());
        stored_settings::recents();
    }));
    ASSERT_FALSE(used);

    const std::string oversized = "[General]\ntheme=Dark\n" + std::string(stored_settings::kFileLimit, '#');
    const std::pair<const char*, std::function<void()>> plants[] = {
        {"fifo", [] {}},
        {"link to a device", [&] { fs::create_symlink("/dev/zero", file); }},
        {"dangling link", [&] { fs::create_symlink(temp.path() / "gone.conf", file); }},
        {"folder", [&] { fs::create_directory(file); }},
        {"oversized", [&] { writeFileText(file, oversized); }},
    };
    for (const auto& [kind, plant] : plants) {
        if (std::string_view(kind) != "fifo") {
            fs::remove_all(file);
            plant();
        }
        const auto before = fs::symlink_status(file).type();
        ASSERT_FALSE(stored_settings::useFolder(temp.str())) << kind;
        EXPECT_TRUE(stored_settings::recents().empty()) << kind;
        EXPECT_FALSE(stored_settings::theme().has_value()) << kind;
        // Written under the same limit as the reads: a write that opened the FIFO would wait as long.
        ASSERT_TRUE(fifo.finishesWithin(std::chrono::seconds(5), [] {
            stored_settings::setTheme(ThemeName::light);
            stored_settings::setRecents({"/home/ann"});
        })) << kind;
        EXPECT_EQ(fs::symlink_status(file).type(), before) << kind;
    }
    EXPECT_EQ(fileText(file), oversized);
}

TEST_F(SettingsFolderTest, AnAbsentFileIsCreatedAndALinkToARegularOneIsUsed) {
    ASSERT_TRUE(stored_settings::useFolder(temp.str()));
    stored_settings::setTheme(ThemeName::dark);
    EXPECT_EQ(stored_settings::theme(), ThemeName::dark);
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(file)));

    TempDir other;
    writeFileText(other.path() / "dotfiles/brenwick.conf", "[General]\ntheme=Light\n");
    fs::create_directories(other.path() / "Brenwick");
    fs::create_symlink(other.path() / "dotfiles/brenwick.conf", other.path() / "Brenwick/Brenwick.conf");
    ASSERT_TRUE(stored_settings::useFolder(other.str()));
    EXPECT_EQ(stored_settings::theme(), ThemeName::light);
}

// Recent folders are stored as bytes; the list of text paths earlier versions wrote still reads, one
// entry or many.
TEST_F(SettingsFolderTest, RecentsKeepTheirBytesAndTheEarlierTextListStillReads) {
    writeFileText(file, "[General]\nrecentScans=/home/ann/caf\xc3\xa9, \"/srv/a, b\"\n");
    ASSERT_TRUE(stored_settings::useFolder(temp.str()));
    EXPECT_EQ(stored_settings::recents(), (std::vector<std::string>{"/home/ann/caf\xc3\xa9", "/srv/a, b"}));

    TempDir one;
    writeFileText(one.path() / "Brenwick/Brenwick.conf", "[General]\nrecentScans=/home/ann\n");
    ASSERT_TRUE(stored_settings::useFolder(one.str()));
    EXPECT_EQ(stored_settings::recents(), std::vector<std::string>{"/home/ann"});

    for (const std::vector<std::string>& paths :
         {std::vector<std::string>{"/home/ann/caf\xe9", "/srv/\xff\xfe, x"},
          std::vector<std::string>{"/\xe9"}, std::vector<std::string>{}}) {
        TempDir written;
        ASSERT_TRUE(stored_settings::useFolder(written.str()));
        stored_settings::setRecents(paths);
        // Read from the file, as the next run does.
        TempDir next;
        std::filesystem::create_directories(next.path() / "Brenwick");
        fs::copy_file(written.path() / "Brenwick/Brenwick.conf", next.path() / "Brenwick/Brenwick.conf");
        ASSERT_TRUE(stored_settings::useFolder(next.str()));
        EXPECT_EQ(stored_settings::recents(), paths);
    }
}

} // namespace
