#include "tests/support/ScannedFixture.h"

#include "model/FileNode.h"
#include <QTest>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

namespace {

struct Entry {
    const char* path;
    size_t size;
    double daysOld;
};

// Sizes are a few megabytes in all, so the folder is written in a moment.
constexpr Entry kFiles[] = {
    {"Movies/Holiday 2019.mov", 2'600'000, 1500},
    {"Movies/clip-final.mp4", 900'000, 200},
    {"Movies/Screen Recording.mov", 420'000, 12},
    {"Music/Album/01 Intro.mp3", 310'000, 800},
    {"Music/Album/02 Ocean.mp3", 460'000, 800},
    {"Music/Album/03 Night Drive.mp3", 380'000, 800},
    {"Music/Album/04 Outro.flac", 720'000, 800},
    {"Music/voice memo.m4a", 90'000, 40},
    {"Pictures/IMG_0412.jpg", 240'000, 100},
    {"Pictures/IMG_0413.jpg", 210'000, 100},
    {"Pictures/IMG_0414.jpg", 180'000, 100},
    {"Pictures/Scans/passport.png", 330'000, 400},
    {"Pictures/Scans/lease.pdf", 120'000, 400},
    {"Documents/Report Q3.pdf", 410'000, 25},
    {"Documents/notes.txt", 24'000, 2},
    {"Documents/budget.xlsx", 64'000, 60},
    {"Documents/Archive/tax-2018.zip", 1'100'000, 2000},
    {"Documents/Archive/letters.tar.gz", 350'000, 1200},
    {"Projects/brenwick/src/main.cpp", 18'000, 1},
    {"Projects/brenwick/src/layout.cpp", 42'000, 1},
    {"Projects/brenwick/src/layout.h", 9'000, 3},
    {"Projects/brenwick/build/brenwick.o", 640'000, 1},
    {"Projects/brenwick/build/libcore.a", 520'000, 1},
    {"Projects/site/node_modules/react/index.js", 150'000, 90},
    {"Projects/site/node_modules/react/cjs/react.development.js", 280'000, 90},
    {"Projects/site/node_modules/lodash/lodash.js", 540'000, 90},
    {"Projects/site/index.html", 12'000, 30},
    {"Downloads/installer.iso", 1'800'000, 5},
    {"Downloads/paper.pdf", 260'000, 20},
    {"Downloads/photos.zip", 700'000, 150},
};

} // namespace

ScannedFixture::ScannedFixture(std::shared_ptr<platform::TrashBackend> trash) {
    const auto now = std::filesystem::file_time_type::clock::now();
    for (const Entry& e : kFiles) {
        const auto written = dir.writeFile(e.path, e.size, 'b');
        std::filesystem::last_write_time(
            written, now - std::chrono::duration_cast<std::filesystem::file_time_type::duration>(
                               std::chrono::duration<double>(e.daysOld * 86400.0)));
    }
    ScanViewModel::Services services;
    services.trash = std::move(trash);
    viewModel = std::make_unique<ScanViewModel>(services);
    viewModel->scan(dir.str());
    const bool done =
        QTest::qWaitFor([&] { return viewModel->status().kind == ScanViewModel::Status::Kind::done; }, 20000);
    EXPECT_TRUE(done) << "the fixture folder was not scanned in time";
}

ScannedFixture::~ScannedFixture() = default;

FileNode* ScannedFixture::node(std::string_view relative) const {
    return ScanViewModel::findNode(path(relative), viewModel->root());
}
