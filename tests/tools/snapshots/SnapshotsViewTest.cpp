// The Snapshots screen over the real store in a folder of the test's own: taking snapshots, the header's
// states, deleting, the texts in the user's locale, and the road from a first scan to what grew.
#include "tools/snapshots/SnapshotsView.h"

#include "model/SnapshotStore.h"
#include "shell/controls/Buttons.h"
#include "shell/lists/ListView.h"
#include "tests/shell/ShellFixture.h"
#include "tests/support/EnvOverride.h"
#include "tests/support/ModelChecks.h"
#include "tests/support/RowButtons.h"
#include "tests/support/ThemedPictures.h"
#include "tools/snapshots/SnapshotComparison.h"
#include "tools/snapshots/SnapshotTexts.h"

#include <QAbstractItemModelTester>
#include <QDateTime>
#include <QRegularExpression>

#include <filesystem>

namespace fs = std::filesystem;
using Kind = ComparisonState::Kind;

namespace {

// ---- Texts --------------------------------------------------------------------------------------

class LocalePin {
  public:
    explicit LocalePin(const char* name) { QLocale::setDefault(QLocale(QString::fromLatin1(name))); }
    ~LocalePin() { QLocale::setDefault(saved_); }

  private:
    QLocale saved_;
};

double takenAt(const QDateTime& local) {
    return double(local.toSecsSinceEpoch()) - Snapshot::kReferenceDateOffset;
}

TEST(SnapshotTexts, DatesFollowTheUsersLocale) {
    const double friday = takenAt(QDateTime(QDate(2024, 1, 5), QTime(15, 4, 9)));
    struct Case {
        const char* locale;
        std::vector<const char*> shown, absent; // abbreviated month, no weekday, the locale's clock
    };
    const Case cases[] = {
        {"en_US", {"Jan", "5", "2024", "3:04", "PM"}, {"January", "Friday", "15:04", "1/5/24"}},
        {"de_DE", {"Jan", "5.", "2024", "15:04"}, {"Januar", "Freitag", "PM"}},
        {"fr_FR", {"janv", "2024", "15:04"}, {"janvier", "vendredi"}},
        // The C locale's short time keeps seconds of its own; the time shows hours and minutes only.
        {"C", {"5 Jan 2024, 15:04"}, {"15:04:09", "Friday", "January"}},
    };
    for (const Case& test : cases) {
        LocalePin pin(test.locale);
        const QString text = snapshot_texts::dateTime(friday);
        for (const char* part : test.shown)
            EXPECT_TRUE(text.contains(QString::fromUtf8(part))) << test.locale << ": " << text.toStdString();
        for (const char* part : test.absent)
            EXPECT_FALSE(text.contains(QString::fromUtf8(part))) << test.locale << ": " << text.toStdString();
        EXPECT_FALSE(text.contains(QStringLiteral("09"))) << test.locale << ": " << text.toStdString();
    }
    LocalePin pin("en_US");
    const QString heading = snapshot_texts::heading(friday, friday + 86'400);
    EXPECT_TRUE(heading.contains(snapshot_texts::dateTime(friday) + " → " +
                                 snapshot_texts::dateTime(friday + 86'400)));
    // A date a file cannot mean still reads as something.
    EXPECT_FALSE(snapshot_texts::dateTime(1e300).isEmpty());
}

TEST(SnapshotTexts, ChangesReadAsGrowthOrShrinkageInColoursThatReadInBothThemes) {
    struct Case {
        Snapshot::Delta delta;
        const char* sign;
        bool grew;
    };
    const Case cases[] = {
        {{"/a", 1'000'000, 3'500'000}, "+", true},
        {{"/new", 0, 2'000'000}, "+", true},
        {{"/same", 5, 5}, "+", true},
        {{"/a", 3'500'000, 1'000'000}, "-", false},
        {{"/gone", 2'000'000, 0}, "-", false},
        {{"/absurd", INT64_MIN, INT64_MAX}, "+", true},
    };
    auto luminance = [](const QColor& c) {
        auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
    };
    for (const Case& test : cases) {
        const QString text = snapshot_texts::changeText(test.delta);
        // One sign, and the bytes of the change.
        EXPECT_TRUE(text.startsWith(QString::fromLatin1(test.sign))) << text.toStdString();
        EXPECT_FALSE(text.mid(1).contains(QRegularExpression("[-+]"))) << text.toStdString();
        EXPECT_TRUE(text.endsWith(QLatin1Char('B'))) << text.toStdString();
        for (ThemeName name : theme_name::allCases) {
            const Theme& t = Theme::forName(name);
            const QColor color = DeltaRows::changeColor(test.delta.change(), t);
            EXPECT_EQ(color.red() > color.green(), test.grew);
            // WCAG contrast of small text against the screen's background.
            const double a = luminance(color), b = luminance(t.background);
            EXPECT_GE((std::max(a, b) + 0.05) / (std::min(a, b) + 0.05), 4.5)
                << int(name) << text.toStdString();
        }
    }
}

// ---- The screen ---------------------------------------------------------------------------------

class SnapshotsScreen : public ShellTest {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        env.set("XDG_DATA_HOME", (dir.path() / "data").string());
    }
    std::string snapshotFolder() const { return (dir.path() / "data/Brenwick/Snapshots").string(); }
    // Clicks a row's button (SnapshotRows::ButtonId) in the snapshot list.
    static void press(SnapshotsView& view, int row, int button) {
        ListView& list = *view.snapshotList();
        ASSERT_TRUE(row_buttons::click(list, list.model()->index(row, 0), button));
    }
    void takeSnapshot(ScanViewModel& vm, SnapshotsView& view) {
        const size_t before = vm.snapshotStore().summaries().size();
        ASSERT_TRUE(view.takeButton()->isEnabled());
        view.takeButton()->click();
        WAIT_FOR(vm.snapshotStore().summaries().size() == before + 1 && !vm.snapshotStore().isSaving());
    }

    EnvOverride env;
};

TEST_F(SnapshotsScreen, HeaderTakesASnapshotOnlyAfterACompletedScan) {
    auto vm = makeViewModel();
    auto view = shown<SnapshotsView>(QSize(900, 600), *vm);
    // No snapshots: only the header and the invitation.
    EXPECT_FALSE(view->emptyText().isEmpty());
    EXPECT_FALSE(view->snapshotList()->isVisible());
    EXPECT_TRUE(view->paneText().isEmpty());
    EXPECT_FALSE(view->takeButton()->isEnabled()) << "before any scan";

    const std::string fixture = makeFixture();
    dir.writeFile("fixture/slow/held.bin", 10);
    vm->scan(fixture);
    WAIT_FOR(gate->reached() > 0);
    EXPECT_FALSE(view->takeButton()->isEnabled()) << "while a scan runs";
    gate->release();
    ASSERT_TRUE(waitForDone(*vm));
    EXPECT_TRUE(view->takeButton()->isEnabled());
    EXPECT_FALSE(view->isSavingIndicatorShown());

    const QString take = view->takeButton()->title();
    view->takeButton()->click();
    EXPECT_NE(view->takeButton()->title(), take); // saving
    EXPECT_FALSE(view->takeButton()->isEnabled());
    EXPECT_TRUE(view->isSavingIndicatorShown());
    WAIT_FOR(!vm->snapshotStore().isSaving());
    EXPECT_EQ(view->takeButton()->title(), take);
    EXPECT_TRUE(view->takeButton()->isEnabled());
    EXPECT_FALSE(view->isSavingIndicatorShown());
    ASSERT_EQ(vm->snapshotStore().summaries().size(), 1u);
    EXPECT_TRUE(view->emptyText().isEmpty());
    EXPECT_EQ(view->snapshotList()->model()->rowCount(), 1);
    EXPECT_FALSE(view->paneText().isEmpty()); // the invitation to pick two
}

// Deleting removes the snapshot's own file and nothing else: not a file the entry's name leads to
// through a link, not a folder that happens to bear such a name, not the neighbours.
TEST_F(SnapshotsScreen, DeletingRemovesOnlyTheSnapshotsOwnFile) {
    const fs::path folder = snapshotFolder();
    fs::create_directories(folder);
    const Snapshot plain{QUuid::createUuid(), "/home/ann", 100, {{"/home/ann", 1}}};
    const Snapshot linked{QUuid::createUuid(), "/home/ann", 200, {{"/home/ann", 2}}};
    const Snapshot hollow{QUuid::createUuid(), "/home/ann", 300, {{"/home/ann", 3}}};
    ASSERT_TRUE(SnapshotStore::writeSnapshot(plain, folder.string()));
    const fs::path usersFile = dir.writeFile("Documents/precious.json", 100, 'u');
    fs::create_symlink(usersFile, folder / (Snapshot::uuidText(linked.id) + ".json"));
    const fs::path usersFolder = folder / (Snapshot::uuidText(hollow.id) + ".json");
    dir.writeFile(fs::relative(usersFolder / "inside.txt", dir.path()).string(), 10);
    dir.writeFile(fs::relative(folder / "notes.txt", dir.path()).string(), 10);
    writeFileText(folder / "index.json",
                  Snapshot::encodeSummaries({plain.summary(), linked.summary(), hollow.summary()}));

    auto vm = makeViewModel();
    auto view = shown<SnapshotsView>(QSize(900, 600), *vm);
    ASSERT_EQ(view->snapshotList()->model()->rowCount(), 3);
    press(*view, 2, SnapshotRows::kDelete);
    press(*view, 1, SnapshotRows::kDelete);
    EXPECT_EQ(vm->snapshotStore().summaries(), std::vector<Snapshot::Summary>{plain.summary()});
    EXPECT_FALSE(fs::exists(fs::symlink_status(folder / (Snapshot::uuidText(linked.id) + ".json"))));
    EXPECT_EQ(fileText(usersFile), std::string(100, 'u'));
    EXPECT_TRUE(fs::exists(usersFolder / "inside.txt"));
    press(*view, 0, SnapshotRows::kDelete);
    EXPECT_FALSE(fs::exists(folder / (Snapshot::uuidText(plain.id) + ".json")));
    EXPECT_TRUE(fs::exists(folder / "notes.txt"));
    EXPECT_FALSE(view->emptyText().isEmpty());
}

// The road a user takes: a snapshot after a scan; files change; a new scan and a second snapshot; the
// two picked show what grew (red) and what shrank (green).
TEST_F(SnapshotsScreen, TwoScansOfOneFolderShowWhatGrewAndShrank) {
    LocalePin pin("en_US");
    auto vm = makeViewModel();
    const std::string home = (dir.path() / "home").string();
    dir.writeFile("home/Movies/film.mkv", 5'000'000);
    dir.writeFile("home/Music/album/one.flac", 3'000'000);
    dir.writeFile("home/Music/album/two.flac", 2'500'000);
    dir.writeFile("home/Downloads/setup.iso", 1'500'000);
    scanAndWait(*vm, home);
    auto view = shown<SnapshotsView>(QSize(900, 640), *vm);
    ModelComplaints complaints;
    using Tester = QAbstractItemModelTester;
    Tester snapshotRows(view->snapshotList()->model(), Tester::FailureReportingMode::Warning);
    Tester changeRows(view->changeList()->model(), Tester::FailureReportingMode::Warning);
    takeSnapshot(*vm, *view);

    dir.writeFile("home/Movies/sequel.mkv", 4'000'000);   // Movies grows
    fs::remove(dir.path() / "home/Music/album/two.flac"); // Music shrinks
    fs::remove_all(dir.path() / "home/Downloads");        // Downloads vanishes
    dir.writeFile("home/Projects/big.tar", 2'000'000);    // Projects appears
    scanAndWait(*vm, home);
    takeSnapshot(*vm, *view);

    press(*view, 0, SnapshotRows::kBefore);
    const QString invitation = view->paneText();
    EXPECT_FALSE(invitation.isEmpty());
    press(*view, 1, SnapshotRows::kAfter);
    EXPECT_TRUE(view->isComparingShown());
    WAIT_FOR(view->comparison().state().kind == Kind::ready);
    const auto& summaries = vm->snapshotStore().summaries();
    EXPECT_EQ(view->headingText(), snapshot_texts::heading(summaries[0].takenAt, summaries[1].takenAt));
    std::map<std::string, int64_t> changes;
    for (const Snapshot::Delta& d : view->comparison().state().deltas)
        changes[d.path.substr(home.size())] = d.change();
    EXPECT_EQ(changes, (std::map<std::string, int64_t>{{"", 2'000'000},
                                                       {"/Movies", 4'000'000},
                                                       {"/Music", -2'500'000},
                                                       {"/Music/album", -2'500'000},
                                                       {"/Downloads", -1'500'000},
                                                       {"/Projects", 2'000'000}}));
    ListView& list = *view->changeList();
    ASSERT_TRUE(list.isVisible());
    EXPECT_EQ(list.model()->rowCount(), 6);

    picturesInBothThemes(*vm, *view, "snapshots", [&](const QImage& image, const Theme& t) {
        // Each change is written in its colour: growth red, shrinkage green.
        for (int row = 0; row < list.model()->rowCount(); ++row) {
            const QModelIndex index = list.model()->index(row, 0);
            const auto& delta = RowListModel<Snapshot::Delta>::at(index);
            const QColor want = DeltaRows::changeColor(delta.change(), t);
            const QRect changeArea = list.rowRect(index)
                                         .toAlignedRect()
                                         .adjusted(list.width() - 140, 0, 0, 0)
                                         .translated(list.mapTo(view.get(), list.viewport()->pos()));
            bool found = false;
            for (int x = changeArea.left(); x < changeArea.right() && !found; ++x)
                for (int y = changeArea.top(); y < changeArea.bottom() && !found; ++y)
                    found = image.pixelColor(x, y) == want;
            EXPECT_TRUE(found) << delta.path;
        }
    });

    // Deleting the "Before" brings the invitation back.
    press(*view, 0, SnapshotRows::kDelete);
    EXPECT_EQ(view->comparison().before(), std::nullopt);
    EXPECT_EQ(view->paneText(), invitation);
    EXPECT_FALSE(list.isVisible());
    EXPECT_EQ(ModelComplaints::complaints(), std::vector<std::string>{});
}

} // namespace
