// The spinner, the empty state, the card column, the share bar and the themed label.
#include "shell/controls/CardColumn.h"
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

TEST(CardColumn, CentredUpToItsWidthPaddedAndScrollingItsCards) {
    CardColumn cards(880);
    QList<QWidget*> added;
    for (int i = 0; i < 12; ++i) {
        auto* card = new QWidget;
        card->setFixedHeight(100);
        cards.column()->addWidget(card);
        added << card;
    }
    cards.resize(1400, 600);
    cards.show();
    QCoreApplication::processEvents();
    const int room = cards.viewport()->width();
    EXPECT_EQ(cards.columnGeometry().width(), 880);
    EXPECT_EQ(cards.columnGeometry().left(), (room - 880) / 2);
    EXPECT_EQ(added.front()->width(), 880);
    const int height = 12 * 100 + 11 * cards.column()->spacing();
    EXPECT_EQ(cards.widget()->height(), 24 + height + 24);
    EXPECT_EQ(cards.verticalScrollBar()->maximum(), cards.widget()->height() - cards.viewport()->height());

    cards.resize(500, 600);
    QCoreApplication::processEvents();
    EXPECT_EQ(cards.columnGeometry().width(), cards.viewport()->width() - 48);
    EXPECT_EQ(cards.columnGeometry().left(), 24);
    // A card that grows makes the column taller.
    added.back()->setFixedHeight(300);
    QCoreApplication::processEvents();
    EXPECT_EQ(cards.widget()->height(), 24 + height + 200 + 24);
}

} // namespace
