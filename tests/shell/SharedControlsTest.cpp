// The spinner, the empty state, the card column, the share bar and the themed label.
#include "shell/controls/EmptyState.h"
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

TEST(EmptyState, CentredGroupTextWrapsAtItsWidthOrTheAreasAndTitleComesAndGoes) {
    EmptyState state(QStringLiteral("tray"), QString(),
                     QStringLiteral("Nothing staged yet. Stage items from any visualization, Quick Wins, "
                                    "Duplicates, or App Uninstaller."),
                     EmptyState::Style{});
    state.resize(700, 500);
    state.show();
    QCoreApplication::processEvents();
    ThemedLabel* text = state.textLabel();
    EXPECT_EQ(text->width(), 400);
    const int oneWidthHeight = text->height();
    // Symbol, then text, centred as a group: as much room above as below.
    const QWidget* symbol = state.findChildren<QWidget*>().first(); // made first
    EXPECT_NEAR(symbol->y(), state.height() - text->geometry().bottom() - 1, 2);

    state.resize(220, 500);
    QCoreApplication::processEvents();
    EXPECT_LE(text->width(), 220);
    EXPECT_GT(text->height(), oneWidthHeight) << "more lines when narrower";
    EXPECT_LE(text->geometry().right(), 220);

    state.setTitle(QStringLiteral("Nothing here"));
    EXPECT_FALSE(state.findChildren<ThemedLabel*>().first()->isHidden());
    state.setTitle({});
    EXPECT_TRUE(state.findChildren<ThemedLabel*>().first()->isHidden());
}

} // namespace
