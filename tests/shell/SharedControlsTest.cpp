// The spinner, the empty state, the card column, the share bar and the themed label.
#include "shell/controls/Spinner.h"
#include "shell/controls/ThemedLabel.h"
#include "shell/style/Fonts.h"
#include "shell/style/Motion.h"
#include "shell/style/Theme.h"

#include <QPainter>
#include <QScrollBar>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(Spinner, TurnsOnlyWhileShownAndAnimating) {
    motion::setAnimationsEnabled(true);
    Spinner spinner(Spinner::kSmall);
    spinner.show();
    EXPECT_TRUE(QTest::qWaitFor([&] { return spinner.step() >= 2; }, 2000));
    spinner.hide();
    const int step = spinner.step();
    QTest::qWait(250);
    EXPECT_EQ(spinner.step(), step);
    motion::setAnimationsEnabled(false);
    Spinner still;
    still.show();
    QTest::qWait(250);
    EXPECT_EQ(still.step(), 0);
    EXPECT_EQ(still.size(), QSize(Spinner::kRegular, Spinner::kRegular));
}

} // namespace
