// The Duplicates screen: staging every copy but one, the reclaimable figures, which content shows, and
// the whole road over real files: scan, search, keep one copy, move the rest to the Trash.
#include "tools/duplicates/DuplicatesView.h"

#include "model/CleanupQueue.h"
#include "model/DuplicateSearch.h"
#include "model/FileNode.h"
#include "model/ScanTree.h"
#include "shell/controls/Buttons.h"
#include "shell/lists/ListView.h"
#include "shell/style/Formatters.h"
#include "tests/shell/ShellFixture.h"
#include "tests/support/EnvOverride.h"
#include "tests/support/ModelChecks.h"
#include "tests/support/Mouse.h"
#include "tests/support/RowButtons.h"
#include "tests/support/ThemedPictures.h"
#include "tests/support/TreeBuilder.h"
#include "tools/duplicates/DuplicateRows.h"
#include "tools/duplicates/KeepOneCopy.h"
#include "tools/queue/CleanupQueueView.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include <unistd.h>

#include <filesystem>

namespace fs = std::filesystem;
using duplicates_content::Content;

namespace {

// ---- keepAndStageRest ---------------------------------------------------------------------------

struct ThreeCopies {
    ThreeCopies() : builder("/srv/photos") {
        a = builder.fileAt("a/beach.jpg", 4096, 0);
        b = builder.fileAt("b/beach.jpg", 8192, 0); // the same bytes, more blocks on disk
        c = builder.fileAt("c/beach copy.jpg", 4096, 0);
        tree = builder.finish();
        group = {QUuid::createUuid(), 4000, {a, b, c}};
    }
    TreeBuilder builder;
    FileNode *a, *b, *c;
    std::shared_ptr<ScanTree> tree;
    DuplicateFinder::Group group;
};

// Every copy but the kept one is staged once, as "Duplicate" with its size on disk (the copies differ in
// blocks); what was staged from elsewhere stays as it was, unless it is the copy now kept.
TEST(KeepAndStageRest, StagesEveryOtherCopyOnceAndNeverTheKeptOne) {
    struct Case {
        const char* name;
        std::vector<char> stagedBefore; // files of the group already staged ('a', 'b', 'c')
        std::vector<char> presses;      // the kept file of each press, in order
        int lastStaged;                 // what the last press staged
        std::vector<char> stagedAfter;  // the queue at the end, in order
    };
    const Case cases[] = {
        {"one press", {}, {'a'}, 2, {'b', 'c'}},
        {"a second press adds nothing", {}, {'a', 'a'}, 0, {'b', 'c'}},
        {"already staged paths are skipped", {'c'}, {'a'}, 1, {'c', 'b'}},
        {"the others all staged: nothing appended", {'b', 'c'}, {'a'}, 0, {'b', 'c'}},
        // Keeping another copy later unstages it: one copy always stays out of the Trash.
        {"the kept file leaves the queue", {}, {'a', 'b'}, 1, {'c', 'a'}},
        {"kept though staged from elsewhere", {'a', 'b', 'c'}, {'c'}, 0, {'a', 'b'}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        ThreeCopies copies;
        auto file = [&](char name) { return name == 'a' ? copies.a : name == 'b' ? copies.b : copies.c; };
        CleanupQueue queue;
        for (char name : test.stagedBefore)
            ASSERT_TRUE(queue.add(file(name), QStringLiteral("Staged from Explore")));
        int staged = -1;
        for (char kept : test.presses)
            staged = keepAndStageRest(queue, copies.group, file(kept));
        EXPECT_EQ(staged, test.lastStaged);
        using Item = std::tuple<std::string, int64_t, QString>;
        std::vector<Item> expected, got;
        for (char name : test.stagedAfter) {
            const bool before = std::ranges::count(test.stagedBefore, name) > 0;
            expected.emplace_back(file(name)->path(), file(name)->sizeOnDisk,
                                  before ? QStringLiteral("Staged from Explore")
                                         : QStringLiteral("Duplicate"));
        }
        for (const auto& item : queue.items())
            got.emplace_back(item.path, item.size, item.reason);
        EXPECT_EQ(got, expected);
    }
}

// However large the group, a press is one change of the queue (each change redraws its observers),
// and the kept copy, staged before, leaves it in that same change.
TEST(KeepAndStageRest, AGroupOfThousandsIsOneChangeOfTheQueue) {
    TreeBuilder builder("/srv/copies");
    DuplicateFinder::Group group{QUuid::createUuid(), 4000, {}};
    for (int i = 0; i < 3000; ++i)
        group.files.push_back(
            builder.fileAt("d" + std::to_string(i % 30) + "/copy-" + std::to_string(i), 4096));
    auto tree = builder.finish();
    CleanupQueue queue;
    FileNode* kept = group.files[1234];
    ASSERT_TRUE(queue.add(kept, QStringLiteral("Staged from Explore")));
    QSignalSpy changes(&queue, &CleanupQueue::itemsChanged);
    EXPECT_EQ(keepAndStageRest(queue, group, kept), 2999);
    EXPECT_EQ(changes.count(), 1);
    ASSERT_EQ(queue.items().size(), 2999u);
    EXPECT_FALSE(queue.contains(kept->path()));
    EXPECT_EQ(queue.items().front().path, group.files[0]->path());
    EXPECT_EQ(queue.items().back().path, group.files.back()->path());
}

// ---- Figures and content ------------------------------------------------------------------------

DuplicateFinder::Group groupOf(int64_t size, size_t copies) {
    return {QUuid::createUuid(), size, std::vector<FileNode*>(copies, nullptr)};
}

TEST(DuplicatesContent, ReclaimableTotalsAndLabels) {
    struct Case {
        std::vector<DuplicateFinder::Group> groups;
        int64_t reclaimable;
    };
    const Case cases[] = {
        {{}, 0},
        {{groupOf(1000, 2)}, 1000},
        {{groupOf(1000, 3)}, 2000},
        {{groupOf(1000, 3), groupOf(1500, 2), groupOf(7, 10)}, 3563},
        {{groupOf(INT64_MAX / 2, 3), groupOf(5, 2)}, INT64_MAX}, // saturates instead of wrapping
    };
    for (const Case& test : cases) {
        EXPECT_EQ(duplicates_content::reclaimableBytes(test.groups), test.reclaimable);
        const QString summary = duplicates_content::summary(test.groups);
        EXPECT_TRUE(summary.startsWith(formatBytes(test.reclaimable) + " ")) << summary.toStdString();
        EXPECT_TRUE(summary.contains(" " + formatCount(int64_t(test.groups.size())) + " group"))
            << summary.toStdString();
    }
    // A label counts the copies, the size of each and what all but one waste.
    const QString label = duplicates_content::groupLabel(groupOf(1000, 3));
    const QStringList parts = label.split(QStringLiteral(" · "));
    ASSERT_EQ(parts.size(), 3) << label.toStdString();
    EXPECT_TRUE(parts[0].startsWith("3 ")) << label.toStdString();
    EXPECT_TRUE(parts[1].startsWith(formatBytes(1000) + " ")) << label.toStdString();
    EXPECT_TRUE(parts[2].endsWith(" " + formatBytes(2000))) << label.toStdString();
}

TEST(DuplicatesContent, ChoiceOfContent) {
    struct Case {
        bool scan, groups, searching;
        Content content;
    };
    for (const Case& test : std::initializer_list<Case>{
             {false, false, false, Content::needsScan},
             {false, true, false, Content::needsScan}, // groups published, but no scan: still asks for one
             {false, false, true, Content::needsScan},
             {true, false, false, Content::nothingFound},
             {true, false, true, Content::groups}, // the first search runs: an empty summary
             {true, true, false, Content::groups},
             {true, true, true, Content::groups}, // the old groups stay while a new search runs
         })
        EXPECT_EQ(duplicates_content::choose(test.scan, test.groups, test.searching), test.content)
            << test.scan << test.groups << test.searching;
}

// ---- The screen over real files -----------------------------------------------------------------

class DuplicatesScreen : public ShellTest {
  protected:
    // Three groups: a photo in three places, a report in two, and a song in two whose first place is
    // also reached by a hard link (one file, so one copy); unique files around them.
    std::string makeCopies() {
        const std::pair<const char*, char> photo[] = {
            {"Pictures/beach.jpg", 'p'}, {"Backup/beach.jpg", 'p'}, {"Old/beach copy.jpg", 'p'}};
        for (auto [path, fill] : photo)
            dir.writeFile(std::string("copies/") + path, 40'000, fill);
        dir.writeFile("copies/Documents/report.pdf", 120'000, 'r');
        dir.writeFile("copies/Downloads/report.pdf", 120'000, 'r');
        dir.writeFile("copies/Music/song.mp3", 300'000, 's');
        dir.writeFile("copies/Backup/song.mp3", 300'000, 's');
        EXPECT_EQ(::link((dir.path() / "copies/Music/song.mp3").c_str(),
                         (dir.path() / "copies/Music/song (link).mp3").c_str()),
                  0);
        dir.writeFile("copies/Documents/other.pdf", 120'000, 'o'); // same size, other bytes
        dir.writeFile("copies/notes.txt", 900, 'n');
        return (dir.path() / "copies").string();
    }
    void search(ScanViewModel& vm, DuplicatesView& view) {
        view.searchButton()->click();
        EXPECT_TRUE(view.isSearchingShown());
        EXPECT_FALSE(view.searchButton()->isVisible());
        WAIT_FOR(!vm.duplicates().isSearching());
    }
    // Opens a group and clicks a file row's "Keep this, stage the rest".
    static void keep(DuplicatesView& view, int group, int file) {
        const QModelIndex section = view.groups().index(group, 0);
        view.groupList()->expand(section);
        ASSERT_TRUE(row_buttons::click(*view.groupList(), view.groups().index(file, 0, section),
                                       DuplicateRows::kKeep));
    }
};

TEST_F(DuplicatesScreen, SearchListsGroupsClosedWithHardLinksCountedOnceAndANewScanDropsThem) {
    auto vm = makeViewModel();
    auto view = shown<DuplicatesView>(QSize(900, 600), *vm);
    ModelComplaints complaints;
    QAbstractItemModelTester tester(&view->groups(), QAbstractItemModelTester::FailureReportingMode::Warning);
    EXPECT_EQ(view->content(), Content::needsScan);
    EXPECT_FALSE(view->searchButton()->isEnabled());

    const std::string copies = makeCopies();
    scanAndWait(*vm, copies);
    EXPECT_EQ(view->content(), Content::nothingFound);
    EXPECT_TRUE(view->searchButton()->isEnabled());
    search(*vm, *view);
    EXPECT_FALSE(view->isSearchingShown());
    ASSERT_EQ(view->content(), Content::groups);
    const auto& groups = view->groups().sections();
    ASSERT_EQ(groups.size(), 3u);
    // Most wasted first: the song's 300 KB, the photo's 2 x 40 KB, the report's 120 KB... by waste.
    EXPECT_EQ(groups[0].size, 300'000);
    EXPECT_EQ(groups[0].files.size(), 2u) << "the hard link is the same file";
    EXPECT_EQ(groups[1].size, 120'000);
    EXPECT_EQ(groups[2].files.size(), 3u);
    EXPECT_EQ(view->summaryText(), duplicates_content::summary(groups));
    for (int g = 0; g < 3; ++g)
        EXPECT_FALSE(view->groupList()->isExpanded(view->groups().index(g, 0)));
    // A click on a group's row opens it; its rows are its files.
    const QModelIndex first = view->groups().index(0, 0);
    mouse::click(*view->groupList()->viewport(), view->groupList()->rowRect(first).center());
    EXPECT_TRUE(view->groupList()->isExpanded(first));
    EXPECT_EQ(view->groups().rowCount(first), 2);
    // Its chevron closes it, once.
    const QRectF row = view->groupList()->rowRect(first);
    mouse::click(*view->groupList()->viewport(), QPointF(row.left() - 11, row.center().y()));
    EXPECT_FALSE(view->groupList()->isExpanded(first));

    // A new scan drops the old result at once.
    vm->scan(copies);
    EXPECT_EQ(view->content(), Content::needsScan);
    EXPECT_TRUE(view->groups().sections().empty());
    ASSERT_TRUE(waitForDone(*vm));
    EXPECT_EQ(view->content(), Content::nothingFound);
    // A search started on the old tree and overtaken by a scan never shows.
    view->searchButton()->click();
    vm->scan(copies);
    ASSERT_TRUE(waitForDone(*vm));
    WAIT_FOR(!vm->duplicates().isSearching());
    EXPECT_EQ(view->content(), Content::nothingFound);
    EXPECT_EQ(ModelComplaints::complaints(), std::vector<std::string>{});
}

// The road a user takes: search, keep one copy of a group, stage the rest, move them to the Trash from
// the queue. The kept copy stays on disk, the others are in the Trash, and the group leaves the list.
// On the way, the open group is pictured in both themes.
TEST_F(DuplicatesScreen, KeepOneCopyAndMoveTheRestToTheTrash) {
    EnvOverride env;
    env.set("XDG_DATA_HOME", (dir.path() / "data").string());
    auto vm = makeViewModel();
    scanAndWait(*vm, makeCopies());
    auto view = shown<DuplicatesView>(QSize(900, 600), *vm);
    search(*vm, *view);
    ASSERT_EQ(view->groups().sections().size(), 3u);
    std::vector<std::string> photo;
    for (const FileNode* f : view->groups().sections()[2].files)
        photo.push_back(f->path());
    ASSERT_EQ(photo.size(), 3u);

    ListView& list = *view->groupList();
    const QModelIndex group = view->groups().index(2, 0);
    list.expand(group);
    const QRectF keepButton =
        row_buttons::find(list, view->groups().index(0, 0, group), DuplicateRows::kKeep)->rect;
    mouse::hover(*list.viewport(), keepButton.center());
    const QPoint origin = list.mapTo(view.get(), list.viewport()->pos());
    picturesInBothThemes(*vm, *view, "duplicates", [&](const QImage& image, const Theme& t) {
        // The hovered button lies on a tint of the accent; the row beside it does not.
        const QColor tint = image.pixelColor(origin + (keepButton.topLeft() + QPointF(3, 3)).toPoint());
        EXPECT_NE(tint, t.background);
        EXPECT_GT(tint.redF() - tint.blueF(), t.background.redF() - t.background.blueF());
        // Nothing is drawn below the open group's last file.
        const QRectF last = list.rowRect(view->groups().index(2, 0, group));
        EXPECT_EQ(image.pixelColor(origin + QPoint(40, int(last.bottom()) + 30)), t.background);
    });

    keep(*view, 2, 1);
    ASSERT_EQ(vm->cleanupQueue().items().size(), 2u);
    EXPECT_EQ(vm->cleanupQueue().items()[0].path, photo[0]);
    EXPECT_EQ(vm->cleanupQueue().items()[1].path, photo[2]);

    CleanupQueueView queue(*vm);
    queue.askToMove();
    queue.confirmMove();
    WAIT_FOR(!queue.isMoving());
    EXPECT_TRUE(queue.failures().empty());
    EXPECT_TRUE(fs::exists(photo[1]));
    for (const std::string& gone : {photo[0], photo[2]}) {
        EXPECT_FALSE(fs::exists(gone));
        EXPECT_TRUE(fs::exists(dir.path() / "data/Trash/files" / fs::path(gone).filename()));
    }
    // The photo's group is down to one copy: it goes; the others stay, closed.
    ASSERT_EQ(view->groups().sections().size(), 2u);
    EXPECT_EQ(view->summaryText(), duplicates_content::summary(view->groups().sections()));
}

// A move to the Trash keeps each group that is still listed as open or closed as it was: here the
// photo's group, open, loses one copy and stays open; the report's group stays closed.
TEST_F(DuplicatesScreen, GroupsKeepTheirOpenStateAcrossAMoveToTheTrash) {
    EnvOverride env;
    env.set("XDG_DATA_HOME", (dir.path() / "data").string());
    auto vm = makeViewModel();
    scanAndWait(*vm, makeCopies());
    auto view = shown<DuplicatesView>(QSize(900, 600), *vm);
    search(*vm, *view);
    ASSERT_EQ(view->groups().sections().size(), 3u);
    const QUuid photo = view->groups().sections()[2].id, report = view->groups().sections()[1].id;
    ASSERT_EQ(view->groups().sections()[2].files.size(), 3u);
    ListView& list = *view->groupList();
    list.expand(view->groups().index(2, 0));
    list.expand(view->groups().index(0, 0));

    // One copy of the photo, and the song's only other copy: its group goes.
    ASSERT_TRUE(vm->cleanupQueue().add(view->groups().sections()[2].files[1], QStringLiteral("Duplicate")));
    ASSERT_TRUE(vm->cleanupQueue().add(view->groups().sections()[0].files[1], QStringLiteral("Duplicate")));
    CleanupQueueView queue(*vm);
    queue.askToMove();
    queue.confirmMove();
    WAIT_FOR(!queue.isMoving());
    ASSERT_TRUE(queue.failures().empty());

    const auto& groups = view->groups().sections();
    ASSERT_EQ(groups.size(), 2u);
    auto rowOf = [&](const QUuid& id) {
        for (int i = 0; i < int(groups.size()); ++i)
            if (groups[size_t(i)].id == id) return view->groups().index(i, 0);
        return QModelIndex();
    };
    ASSERT_TRUE(rowOf(photo).isValid());
    ASSERT_TRUE(rowOf(report).isValid());
    EXPECT_EQ(view->groups().rowCount(rowOf(photo)), 2);
    EXPECT_TRUE(list.isExpanded(rowOf(photo)));
    EXPECT_FALSE(list.isExpanded(rowOf(report)));
}

} // namespace
