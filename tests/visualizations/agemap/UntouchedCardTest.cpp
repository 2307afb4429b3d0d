// The big-and-untouched card: the shown list and its sums, the stage button of a row, and staging
// every shown file at once without disturbing what was staged before.
#include "visualizations/agemap/UntouchedCard.h"
#include "model/AgeReport.h"
#include "model/CleanupQueue.h"
#include "model/ScanViewModel.h"
#include "shell/controls/Buttons.h"
#include "shell/controls/ThemedLabel.h"
#include "shell/lists/ListView.h"
#include "shell/lists/NodeListModel.h"
#include "shell/lists/RowDelegate.h"
#include "shell/style/Formatters.h"
#include "tests/support/Animations.h"
#include "tests/support/Mouse.h"
#include "tests/support/TreeBuilder.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace {

constexpr double kDay = 86400;

class UntouchedCardTest : public ::testing::Test {
  protected:
    // `count` old files of 40 MB and more under /srv/data, and the card showing the report's list.
    void build(int count) {
        const double now = double(QDateTime::currentSecsSinceEpoch());
        TreeBuilder builder("/srv/data");
        for (int i = 0; i < count; ++i)
            builder.fileAt("old/backup-" + std::to_string(i) + ".dmg", 40'000'000 + int64_t(i) * 1'000,
                           now - (400 + i) * kDay);
        builder.fileAt("recent.dmg", 900'000'000, now - 3 * kDay); // big but young: not listed
        tree = builder.finish();
        report = AgeReport::compute(tree->root());
        card = std::make_unique<UntouchedCard>(vm);
        card->setFiles(tree, report.untouched);
        card->resize(460, 520);
        card->show();
    }
    CleanupQueue& queue() { return vm.cleanupQueue(); }
    std::map<std::string, QString> reasons() {
        std::map<std::string, QString> out;
        for (const auto& item : queue().items())
            out[item.path] = item.reason;
        return out;
    }
    QModelIndex rowOf(const FileNode* node) const {
        return static_cast<NodeListModel*>(card->list()->model())->indexOf(node);
    }
    RowDelegate::Button stageButtonOf(const FileNode* node) const {
        const QModelIndex index = rowOf(node);
        return card->list()->rowDelegate()->buttons(index, card->list()->rowRect(index)).front();
    }

    ScanViewModel vm;
    std::shared_ptr<ScanTree> tree;
    AgeReport report;
    std::unique_ptr<UntouchedCard> card;
};

} // namespace

TEST_F(UntouchedCardTest, ShowsTheHundredLargestAndCountsOnlyThose) {
    build(150);
    ASSERT_EQ(report.untouched.size(), 150u);
    ASSERT_EQ(card->shown().size(), 100u);
    EXPECT_TRUE(std::equal(card->shown().begin(), card->shown().end(), report.untouched.begin()));
    int64_t total = 0;
    for (const FileNode* node : card->shown())
        total += node->sizeOnDisk;
    EXPECT_EQ(card->shownTotal(), total);
    EXPECT_LT(card->shownTotal(), report.untouchedTotal);
    EXPECT_EQ(card->summary(), formatBytes(total) + " across 100 items");
    EXPECT_EQ(card->list()->model()->rowCount(), 100);
    EXPECT_TRUE(card->stageButton()->isVisible());
    EXPECT_EQ(card->stageButton()->title(), "Stage top 100 for cleanup");
    EXPECT_FALSE(card->emptyText()->isVisible());

    // Nothing untouched: the explanation instead of the list and the button.
    card->setFiles(tree, {});
    EXPECT_EQ(card->summary(), formatBytes(0) + " across 0 items");
    EXPECT_TRUE(card->emptyText()->isVisible());
    EXPECT_FALSE(card->list()->isVisible());
    EXPECT_FALSE(card->stageButton()->isVisible());
}

TEST_F(UntouchedCardTest, StagingTheShownFilesIsOneChangeAndKeepsWhatWasStagedBefore) {
    build(150);
    const auto& shown = card->shown();
    // From an empty queue: every shown file, the first and the last too, in the list's order.
    QSignalSpy first(&queue(), &CleanupQueue::itemsChanged);
    QTest::mouseClick(card->stageButton(), Qt::LeftButton);
    EXPECT_EQ(first.count(), 1);
    ASSERT_EQ(queue().items().size(), shown.size());
    for (size_t i = 0; i < shown.size(); ++i) {
        EXPECT_EQ(queue().items()[i].path, shown[i]->path()) << i;
        EXPECT_EQ(queue().items()[i].reason, UntouchedCard::reason()) << i;
        EXPECT_EQ(queue().items()[i].size, shown[i]->sizeOnDisk) << i;
    }
    queue().clear();

    for (size_t i : {0u, 7u, 99u})
        queue().add(shown[i], "Staged from Explore");
    queue().add(report.untouched[120], "Duplicate"); // staged, but not among the shown
    QSignalSpy changes(&queue(), &CleanupQueue::itemsChanged);

    QTest::mouseClick(card->stageButton(), Qt::LeftButton);
    EXPECT_EQ(changes.count(), 1);
    auto staged = reasons();
    ASSERT_EQ(staged.size(), 101u); // the 100 shown and the one staged elsewhere
    for (size_t i = 0; i < shown.size(); ++i) {
        const bool before = i == 0 || i == 7 || i == 99;
        EXPECT_EQ(staged.at(shown[i]->path()), before ? "Staged from Explore" : UntouchedCard::reason()) << i;
    }
    EXPECT_EQ(staged.at(report.untouched[120]->path()), "Duplicate");
    for (size_t i = 100; i < report.untouched.size(); ++i) {
        EXPECT_EQ(queue().contains(report.untouched[i]->path()), i == 120) << i;
    }

    // Again: everything shown is staged already, so nothing changes.
    const auto items = queue().items();
    card->stageShown();
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(queue().items(), items);
}

TEST_F(UntouchedCardTest, ARowsButtonUnstagesWhoeverStagedAndStagesAgain) {
    build(5);
    FileNode* file = card->shown()[1];
    queue().add(file, "Staged from Explore");
    // Staged elsewhere: the row shows it without anything done in the card.
    EXPECT_EQ(stageButtonOf(file).toolTip, "Remove from cleanup");
    const FileNode* before = vm.selectedNode();

    mouse::click(*card->list()->viewport(), stageButtonOf(file).rect.center());
    EXPECT_FALSE(queue().contains(file->path()));
    EXPECT_TRUE(queue().items().empty());
    EXPECT_EQ(stageButtonOf(file).toolTip, "Add to cleanup");
    EXPECT_EQ(vm.selectedNode(), before) << "the button does not select";

    mouse::click(*card->list()->viewport(), stageButtonOf(file).rect.center());
    ASSERT_EQ(queue().items().size(), 1u);
    EXPECT_EQ(queue().items()[0].path, file->path());
    EXPECT_EQ(queue().items()[0].reason, UntouchedCard::reason());
    EXPECT_EQ(queue().items()[0].size, file->sizeOnDisk);

    // A click elsewhere on the row selects the file; a double click opens nothing.
    const QRectF row = card->list()->rowRect(rowOf(card->shown()[3]));
    mouse::doubleClick(*card->list()->viewport(), row.center());
    EXPECT_EQ(vm.selectedNode(), card->shown()[3]);
    EXPECT_EQ(vm.currentFolder(), nullptr);
}

// Names cut to initials fade into them over 0.15 s, eased out: half way, both show.
TEST_F(UntouchedCardTest, NamesFadeIntoTheirInitials) {
    build(3);
    QWidget& rows = *card->list()->viewport();
    const QImage names = rows.grab().toImage();
    AnimationsOn animations;
    vm.settings().setAbbreviateLabels(true);
    QVariantAnimation* fade = runningAnimation(*card, "labels");
    ASSERT_NE(fade, nullptr);
    EXPECT_EQ(fade->duration(), 150);
    EXPECT_EQ(fade->easingCurve(), QEasingCurve(QEasingCurve::OutQuad));
    holdAt(*fade, 0.5);
    EXPECT_GT(card->initialsShare(), 0);
    EXPECT_LT(card->initialsShare(), 1);
    const QImage halfway = rows.grab().toImage();
    finish(*fade);
    EXPECT_EQ(card->initialsShare(), 1);
    const QImage initials = rows.grab().toImage();
    EXPECT_NE(initials, names);
    EXPECT_NE(halfway, names);
    EXPECT_NE(halfway, initials);
    vm.settings().setAbbreviateLabels(false);
}
