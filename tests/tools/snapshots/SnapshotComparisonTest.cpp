// The Snapshots screen's picks and comparison over a fake store whose answers the test hands out one by
// one, so slow loads and late results can be ordered at will.
#include "tools/snapshots/SnapshotComparison.h"
#include "tools/snapshots/SnapshotSource.h"

#include <QPointer>

#include <gtest/gtest.h>

#include <deque>
#include <map>

namespace {

using Kind = ComparisonState::Kind;
using Sizes = std::map<std::string, int64_t>;

class FakeSource : public SnapshotSource {
  public:
    std::map<QUuid, Snapshot> files; // what a load finds; any other id reads as missing
    std::vector<QUuid> removed;
    int loads = 0, comparisons = 0;

    void load(const QUuid& id, QObject* context, Loaded done) override {
        ++loads;
        auto found = files.count(id) ? std::optional(files.at(id)) : std::nullopt;
        later(context, [done, found] { done(found); });
    }
    void compare(Snapshot earlier, Snapshot later_, size_t limit, QObject* context, Compared done) override {
        ++comparisons;
        auto deltas = Snapshot::deltas(earlier, later_);
        if (deltas.size() > limit) deltas.resize(limit);
        later(context, [done, deltas] { done(deltas); });
    }
    void remove(const QUuid& id) override {
        removed.push_back(id);
        files.erase(id);
    }

    size_t waiting() const { return answers_.size(); }
    // Hands out the answer asked for `n`-th among those waiting (0 for the oldest).
    void answer(size_t n = 0) {
        ASSERT_LT(n, answers_.size());
        auto next = answers_[n];
        answers_.erase(answers_.begin() + ptrdiff_t(n));
        next();
    }
    // Hands out every answer, and those they lead to, oldest first.
    void answerAll() {
        while (!answers_.empty())
            answer();
    }

  private:
    void later(QObject* context, std::function<void()> answer) {
        answers_.push_back([context = QPointer<QObject>(context), answer] {
            if (context) answer();
        });
    }
    std::deque<std::function<void()>> answers_;
};

Snapshot snapshot(const std::string& root, double takenAt, Sizes sizes) {
    return Snapshot{QUuid::createUuid(), root, takenAt, std::move(sizes)};
}

class SnapshotComparisonTest : public ::testing::Test {
  protected:
    SnapshotComparisonTest() {
        for (const Snapshot* s : {&older, &newer, &sameAsOlder, &elsewhere, &manyBefore, &manyAfter})
            source.files[s->id] = *s;
    }
    void pick(const QUuid& before, const QUuid& after) {
        comparison.setBefore(before);
        comparison.setAfter(after);
    }
    void pick(const Snapshot& before, const Snapshot& after) { pick(before.id, after.id); }
    static Sizes many(int64_t step) {
        Sizes sizes{{"/data", 1'000'000'000}};
        for (int i = 0; i < 300; ++i)
            sizes["/data/f" + std::to_string(i)] = 1'000'000 + (i + 1) * step;
        return sizes;
    }

    Snapshot older = snapshot(
        "/home/ann", 100,
        {{"/home/ann", 10'000'000}, {"/home/ann/Music", 3'000'000}, {"/home/ann/Movies", 5'000'000}});
    Snapshot newer = snapshot(
        "/home/ann", 200,
        {{"/home/ann", 14'000'000}, {"/home/ann/Music", 2'000'000}, {"/home/ann/Videos", 6'000'000}});
    Snapshot sameAsOlder = snapshot("/home/ann", 150, older.folderSizes);
    Snapshot elsewhere = snapshot("/srv", 120, {{"/srv", 9'000'000}});
    Snapshot manyBefore = snapshot("/data", 10, many(0));
    Snapshot manyAfter = snapshot("/data", 20, many(7'919));
    QUuid missing = QUuid::createUuid();
    FakeSource source;
    SnapshotComparison comparison{source};
};

TEST_F(SnapshotComparisonTest, StatesForEachPairOfPicks) {
    struct Case {
        const char* name;
        std::optional<QUuid> before, after;
        Kind kind;
    };
    const Case cases[] = {
        {"nothing picked", {}, {}, Kind::none},
        {"one pick", older.id, {}, Kind::none},
        {"the other pick", {}, newer.id, Kind::none},
        {"the same snapshot twice", older.id, older.id, Kind::none},
        {"a missing file first", missing, older.id, Kind::failed},
        {"a missing file second", older.id, missing, Kind::failed},
        {"different folders", older.id, elsewhere.id, Kind::differentRoots},
        {"identical sizes", older.id, sameAsOlder.id, Kind::ready},
        {"two scans of one folder", older.id, newer.id, Kind::ready},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        FakeSource fresh;
        fresh.files = source.files;
        SnapshotComparison c(fresh);
        c.setBefore(test.before);
        c.setAfter(test.after);
        const bool compares = test.kind != Kind::none;
        EXPECT_EQ(c.state().kind, compares ? Kind::loading : Kind::none);
        EXPECT_EQ(fresh.loads, compares ? 2 : 0);
        fresh.answerAll();
        EXPECT_EQ(c.state().kind, test.kind);
        EXPECT_EQ(fresh.comparisons, test.kind == Kind::ready ? 1 : 0);
    }
}

TEST_F(SnapshotComparisonTest, ChangesGoFromBeforeToAfterWhicheverIsOlder) {
    pick(older, newer);
    source.answerAll();
    ASSERT_EQ(comparison.state().kind, Kind::ready);
    const std::vector<Snapshot::Delta> forward = comparison.state().deltas;
    EXPECT_EQ(forward, Snapshot::deltas(older, newer));
    ASSERT_EQ(forward.size(), 4u);
    EXPECT_EQ(comparison.state().from, older.takenAt);
    EXPECT_EQ(comparison.state().to, newer.takenAt);

    // Reversed picks: the newer date first, every sign turned.
    pick(newer, older);
    source.answerAll();
    ASSERT_EQ(comparison.state().kind, Kind::ready);
    EXPECT_EQ(comparison.state().from, newer.takenAt);
    EXPECT_EQ(comparison.state().to, older.takenAt);
    ASSERT_EQ(comparison.state().deltas.size(), forward.size());
    for (size_t i = 0; i < forward.size(); ++i) {
        EXPECT_EQ(comparison.state().deltas[i].path, forward[i].path);
        EXPECT_EQ(comparison.state().deltas[i].change(), -forward[i].change());
    }
}

TEST_F(SnapshotComparisonTest, MoreThanTwoHundredChangesKeepTheLargest) {
    pick(manyBefore, manyAfter);
    source.answerAll();
    ASSERT_EQ(comparison.state().kind, Kind::ready);
    const std::vector<Snapshot::Delta> all = Snapshot::deltas(manyBefore, manyAfter);
    ASSERT_EQ(all.size(), 300u);
    const auto& shown = comparison.state().deltas;
    ASSERT_EQ(shown.size(), SnapshotComparison::kMaxChanges);
    EXPECT_EQ(shown, std::vector<Snapshot::Delta>(all.begin(), all.begin() + 200));
    EXPECT_EQ(shown.front().path, "/data/f299");
    EXPECT_GT(shown.back().change(), all[200].change());
}

// A pick changed while the files are still being read abandons that comparison: whatever it gets later
// never shows, whether it arrives before or after the new one's.
TEST_F(SnapshotComparisonTest, ASlowLoadOvertakenByANewPickNeverShows) {
    pick(older, newer); // loads 0 and 1
    comparison.setAfter(sameAsOlder.id);
    ASSERT_EQ(source.waiting(), 4u);
    source.answer(0); // the old run's "Before": dropped, still comparing
    EXPECT_EQ(comparison.state().kind, Kind::loading);
    source.answer(1);   // the new run's "Before"
    source.answer(1);   // the new run's "After"
    source.answerAll(); // the new comparison, then the old run's "After"
    ASSERT_EQ(comparison.state().kind, Kind::ready);
    EXPECT_TRUE(comparison.state().deltas.empty()); // older against sameAsOlder
    EXPECT_EQ(source.comparisons, 1) << "the abandoned run compares nothing";

    // A comparison already under way when the pick goes away.
    pick(older, newer);
    source.answer();
    source.answer();
    ASSERT_EQ(source.waiting(), 1u); // the computation
    comparison.setBefore(std::nullopt);
    EXPECT_EQ(comparison.state().kind, Kind::none);
    source.answerAll();
    EXPECT_EQ(comparison.state().kind, Kind::none);

    // A failing load of an abandoned run does not show either.
    pick(missing, newer.id);
    comparison.setBefore(older.id);
    source.answer(0); // the missing one
    EXPECT_EQ(comparison.state().kind, Kind::loading);
    source.answerAll();
    EXPECT_EQ(comparison.state().kind, Kind::ready);
}

TEST_F(SnapshotComparisonTest, DeletingAPickedSnapshotClearsThePick) {
    pick(older, newer);
    source.answerAll();
    ASSERT_EQ(comparison.state().kind, Kind::ready);
    const int loads = source.loads;
    comparison.setBefore(older.id); // the pick it holds: nothing to do again
    EXPECT_EQ(source.loads, loads);

    // Deleting one that is not picked leaves the comparison shown.
    comparison.deleteSnapshot(elsewhere.id);
    EXPECT_EQ(comparison.state().kind, Kind::ready);
    EXPECT_EQ(comparison.before(), older.id);

    comparison.deleteSnapshot(older.id);
    EXPECT_EQ(comparison.before(), std::nullopt);
    EXPECT_EQ(comparison.after(), newer.id);
    EXPECT_EQ(comparison.state().kind, Kind::none);

    // Picked as both: both picks go.
    pick(newer, newer);
    comparison.deleteSnapshot(newer.id);
    EXPECT_EQ(comparison.before(), std::nullopt);
    EXPECT_EQ(comparison.after(), std::nullopt);
    EXPECT_EQ(source.removed, (std::vector<QUuid>{elsewhere.id, older.id, newer.id}));
    EXPECT_EQ(source.loads, loads) << "no comparison was started by the deletions";
}

} // namespace
