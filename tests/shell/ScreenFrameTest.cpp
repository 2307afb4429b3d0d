// The frame of a tool screen: its header, the switch between message, busy row and content, and
// the confirmation sheet drawn over a popover.
#include "shell/controls/Buttons.h"
#include "shell/controls/ConfirmationSheet.h"
#include "shell/controls/ContentSwitch.h"
#include "shell/controls/EmptyState.h"
#include "shell/controls/ScreenHeader.h"
#include "shell/controls/Spinner.h"
#include "shell/controls/ThemedLabel.h"

#include "tests/support/Mouse.h"

#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

TEST(ScreenHeader, ShowsItsSummaryAndSpinnerOnlyWhenSetAndKeepsItsHeight) {
    ScreenHeader::Style look;
    look.height = 28;
    ScreenHeader header(QStringLiteral("Things"), look);
    QWidget* first = header.addButton(QStringLiteral("Refresh"), 28, [] {});
    auto* second = new QWidget;
    second->setFixedSize(40, 20);
    header.addControl(second);
    header.resize(600, header.sizeHint().height());
    header.show();
    const int height = header.height();

    EXPECT_TRUE(header.summary().isEmpty());
    EXPECT_FALSE(header.isBusyShown());
    header.setSummary(QStringLiteral("3 found"));
    header.setBusy(true);
    first->hide(); // a screen that hides its button while busy
    EXPECT_EQ(header.summary(), QStringLiteral("3 found"));
    EXPECT_TRUE(header.isBusyShown());
    EXPECT_EQ(header.sizeHint().height(), height);
    header.setSummary({});
    EXPECT_TRUE(header.summary().isEmpty());

    // The controls stand at the right in the order they were added, after the spinner.
    first->show();
    QCoreApplication::processEvents();
    header.layout()->activate();
    const auto* spinner = header.findChild<Spinner*>();
    ASSERT_NE(spinner, nullptr);
    EXPECT_LT(spinner->geometry().right(), first->geometry().left());
    EXPECT_LT(first->geometry().right(), second->geometry().left());
    EXPECT_GT(first->geometry().left(), 300);
}

// A message, the busy row or the content, one at a time; whatever does not fill the area stands at
// its top.
TEST(ContentSwitch, ShowsOneThingAtATimeAtTheTopUnlessItFills) {
    auto* content = new QWidget;
    content->setMinimumHeight(50);
    ContentSwitch area(content, {});
    area.resize(400, 300);
    area.show();
    const auto layout = [&] {
        area.layout()->activate();
        QCoreApplication::processEvents();
    };

    area.showMessage(QStringLiteral("Nothing yet."));
    layout();
    EXPECT_EQ(area.shown(), ContentSwitch::Shown::message);
    EXPECT_EQ(area.messageText(), QStringLiteral("Nothing yet."));
    EXPECT_FALSE(content->isVisible());
    const QWidget* message = area.childAt(5, 5);
    ASSERT_NE(message, nullptr);
    EXPECT_LT(message->height(), 100) << "the message stands at the top";

    area.showBusy(QStringLiteral("Comparing…"));
    layout();
    EXPECT_EQ(area.shown(), ContentSwitch::Shown::busy);
    EXPECT_TRUE(area.messageText().isEmpty());
    EXPECT_FALSE(message->isVisible());
    const auto* spinner = area.findChild<Spinner*>();
    ASSERT_NE(spinner, nullptr);
    EXPECT_TRUE(spinner->isVisible());
    EXPECT_LT(spinner->mapTo(&area, QPoint()).y(), 20);

    area.showContent();
    layout();
    EXPECT_TRUE(content->isVisible());
    EXPECT_FALSE(spinner->isVisible());
    EXPECT_EQ(content->geometry(), area.rect());
    area.showContent(false);
    layout();
    EXPECT_EQ(content->geometry().top(), 0);
    EXPECT_LT(content->height(), 300);
}

// The message keeps its margins once shown (a label's own would be reset when it is polished).
TEST(ContentSwitch, TheMessageKeepsItsMargins) {
    ContentSwitch::Style look;
    look.messageMargins = {20, 60, 20, 0};
    ContentSwitch area(new QWidget, look);
    area.resize(400, 300);
    area.show();
    area.showMessage(QStringLiteral("No apps found."));
    area.layout()->activate();
    QCoreApplication::processEvents();
    const auto* label = area.findChild<ThemedLabel*>();
    ASSERT_NE(label, nullptr);
    ASSERT_TRUE(label->isVisible());
    EXPECT_EQ(label->mapTo(&area, label->contentsRect().topLeft()), QPoint(20, 60));
}

TEST(ContentSwitch, GivenASymbolTheMessageIsAnEmptyStateFillingTheArea) {
    ContentSwitch::Style look;
    look.symbol = QStringLiteral("tray");
    ContentSwitch area(new QWidget, look);
    area.resize(400, 300);
    area.show();
    area.showMessage(QStringLiteral("Nothing staged."));
    area.layout()->activate();
    const auto* empty = area.findChild<EmptyState*>();
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->text(), QStringLiteral("Nothing staged."));
    EXPECT_EQ(area.messageText(), QStringLiteral("Nothing staged."));
    EXPECT_EQ(empty->geometry(), area.rect());
}

// The question covers its parent, which gets no click while it shows; Escape cancels.
TEST(ConfirmationSheet, CoversItsParentAndAnswersOnlyThroughItsButtons) {
    struct Parent : QWidget {
        int presses = 0;
        void mousePressEvent(QMouseEvent*) override { ++presses; }
    } parent;
    parent.resize(460, 520);
    int confirmed = 0, cancelled = 0;
    auto* sheet = new ConfirmationSheet(
        QStringLiteral("Move to Trash"), [&] { ++confirmed; }, [&] { ++cancelled; }, &parent);
    parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    EXPECT_FALSE(sheet->isVisible());

    sheet->present(QStringLiteral("Move 2 items to Trash?"), QStringLiteral("This frees 3 MB."));
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(sheet->geometry(), parent.rect());
    EXPECT_EQ(sheet->title(), QStringLiteral("Move 2 items to Trash?"));
    EXPECT_EQ(sheet->message(), QStringLiteral("This frees 3 MB."));
    EXPECT_EQ(sheet->confirmButton()->title(), QStringLiteral("Move to Trash"));
    // The card is centred, buttons and all.
    const QRect card = sheet->confirmButton()->parentWidget()->geometry();
    EXPECT_EQ(card.center().x(), sheet->rect().center().x());
    EXPECT_LE(std::abs(card.center().y() - sheet->rect().center().y()), 1);

    QTest::mouseClick(sheet, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(parent.presses, 0);
    EXPECT_EQ(confirmed + cancelled, 0);
    QTest::keyClick(sheet, Qt::Key_Escape);
    EXPECT_EQ(cancelled, 1);
    sheet->confirmButton()->click();
    EXPECT_EQ(confirmed, 1);
}

} // namespace
