// The start screen and the scanning screen.
#include "shell/panels/EmptyScanView.h"
#include "shell/controls/Buttons.h"
#include "shell/controls/RollingText.h"
#include "shell/panels/ScanningView.h"
#include "shell/style/Formatters.h"
#include "tests/shell/ShellFixture.h"
#include "tests/support/Animations.h"
#include "tests/support/EnvOverride.h"

// "Scan Home" scans the home folder by its bytes, as every other part of Brenwick finds it: a name that
// is not UTF-8 and a trailing separator in $HOME change nothing.
TEST_F(ShellTest, ScanHomeScansTheHomeFolderByItsBytes) {
    const std::string home = dir.makeDir("caf\xe9").string();
    dir.writeFile("caf\xe9/notes.txt", 10);
    EnvOverride env;
    env.set("HOME", home + "/");
    auto vm = makeViewModel();
    auto view = shown<EmptyScanView>(QSize(900, 700), *vm);
    QTest::mouseClick(view->scanHomeButton(), Qt::LeftButton);
    EXPECT_EQ(vm->status().currentPath, home);
    ASSERT_TRUE(waitForDone(*vm));
    EXPECT_EQ(vm->root()->fileCount(), 1);
    EXPECT_EQ(displayName(vm->root()->path(), vm->disk().name), "Home");
}

// The counters roll to each new count, easing out over 0.15 s: half way, the line shows neither the
// old count nor the new one; at the end, the new one as a still line draws it.
TEST(ScanningView, CountersRollToEachNewCount) {
    ScanningView view, still;
    for (ScanningView* v : {&view, &still}) {
        v->resize(800, 500);
        v->show();
    }
    view.setProgress(1234, 5'000'000, "/home/someone/Music");
    still.setProgress(1299, 6'100'000, "/home/someone/Music/Albums");
    RollingLabel& counters = *view.countersLabel();
    const QImage before = counters.grab().toImage();

    AnimationsOn animations;
    view.setProgress(1299, 6'100'000, "/home/someone/Music/Albums");
    EXPECT_EQ(counters.text(), ScanningView::countersText(1299, 6'100'000));
    QVariantAnimation* roll = runningAnimation(counters, "numericText");
    ASSERT_NE(roll, nullptr);
    EXPECT_EQ(roll->duration(), 150);
    EXPECT_EQ(roll->easingCurve(), QEasingCurve(QEasingCurve::OutQuad));
    holdAt(*roll, 0.5);
    EXPECT_GT(counters.rolling().progress(), 0);
    EXPECT_LT(counters.rolling().progress(), 1);
    const QImage halfway = counters.grab().toImage();
    finish(*roll);
    EXPECT_FALSE(counters.rolling().isRolling());
    const QImage after = counters.grab().toImage();
    EXPECT_NE(halfway, before);
    EXPECT_NE(halfway, after);
    EXPECT_EQ(still.countersLabel()->grab().toImage(), after);
}
