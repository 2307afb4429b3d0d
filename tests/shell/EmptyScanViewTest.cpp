#include "shell/panels/EmptyScanView.h"
#include "shell/controls/Buttons.h"
#include "shell/style/Formatters.h"
#include "tests/shell/ShellFixture.h"
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
