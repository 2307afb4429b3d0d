#include "tests/shell/ScannedHome.h"

#include "model/FileNode.h"
#include "model/ScanTree.h"

#include <QTest>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <ctime>

ScannedHome::ScannedHome(std::shared_ptr<platform::TrashBackend> trash) : home_(dir_.str() + "/home") {
    struct Item {
        const char* path;
        size_t size;
        double days; // since the last change
    };
    const Item items[] = {
        {"Movies/Holiday 2023.mp4", 11'800'000, 420},
        {"Movies/Trailer.mov", 3'100'000, 40},
        {"Music/Album/01 Opening.mp3", 2'400'000, 800},
        {"Music/Album/02 Second Song.flac", 1'900'000, 800},
        {"Pictures/Beach.jpg", 1'600'000, 200},
        {"Pictures/Screenshots/Screen 1.png", 420'000, 3},
        {"Documents/Annual report.pdf", 860'000, 95},
        {"Documents/notes.txt", 12'000, 0},
        {"Documents/Thesis draft.docx", 410'000, 500},
        {"Projects/web/node_modules/react/index.js", 900'000, 60},
        {"Projects/web/dist/bundle.js", 1'200'000, 5},
        {"Projects/web/node_modules/lodash/lodash.js", 540'000, 60},
        {"Projects/web/src/app.ts", 24'000, 1},
        {"Projects/tool/target/release.bin", 2'200'000, 12},
        {"Downloads/installer.deb", 4'800'000, 20},
        {"Downloads/paper.pdf", 350'000, 7},
        {".cache/thumbnails/large/a1.png", 180'000, 2},
        {"Archives/backup-2021.zip", 2'700'000, 1100},
        {"Archives/fonts.tar.gz", 640'000, 900},
    };
    for (const Item& item : items) {
        const time_t when = time(nullptr) - time_t(item.days * 86400);
        const timespec times[2] = {{when, 0}, {when, 0}};
        utimensat(AT_FDCWD, dir_.writeFile("home/" + std::string(item.path), item.size).c_str(), times, 0);
    }
    env_.set("HOME", home_);
    // The data folder in the home folder, as usual: the scan knows its Trash.
    env_.set("XDG_DATA_HOME", home_ + "/.local/share");

    ScanViewModel::Services services;
    services.trash = std::move(trash);
    model_ = std::make_unique<ScanViewModel>(std::move(services));
    model_->scan(home_);
    const bool done = QTest::qWaitFor(
        [&] {
            return model_->status().kind == ScanViewModel::Status::Kind::done && !model_->quickWins().empty();
        },
        30000);
    EXPECT_TRUE(done) << "the fixture scan did not finish";
}

ScannedHome::~ScannedHome() = default;

FileNode* ScannedHome::node(const std::string& relative) const {
    return model_->tree()->findNode(relative.empty() ? home_ : home_ + "/" + relative);
}
