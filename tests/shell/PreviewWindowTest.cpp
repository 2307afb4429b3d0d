#include "shell/panels/PreviewWindow.h"
#include "shell/controls/Buttons.h"
#include "shell/controls/Spinner.h"
#include "shell/controls/ThemedLabel.h"
#include "shell/panels/AppWindow.h"
#include "shell/panels/preview/ImagePage.h"
#include "shell/panels/preview/InfoPage.h"
#include "shell/panels/preview/ListingPage.h"
#include "shell/panels/preview/PreviewHeader.h"
#include "shell/panels/preview/PreviewReads.h"
#include "shell/panels/preview/TextPage.h"
#include "shell/style/Theme.h"
#include "tests/support/ChildProcesses.h"
#include "tests/support/HostilePictures.h"
#include "tests/support/PreviewFiles.h"
#include "tests/support/Screenshots.h"

#include <QScopeGuard>
#include <QTest>

#include <filesystem>
#include <functional>
#include <future>

#include <gtest/gtest.h>

namespace {

bool waitForPage(const PreviewWindow& window) {
    return QTest::qWaitFor([&] { return window.page().has_value(); }, 60000);
}

QStringList labelTexts(const QWidget& widget) {
    QStringList texts;
    for (const ThemedLabel* label : widget.findChildren<ThemedLabel*>())
        texts << label->text();
    return texts;
}

InkButton* openButton(const QWidget& widget) {
    for (InkButton* button : widget.findChildren<InkButton*>())
        if (button->title() == "Open") return button;
    return nullptr;
}

// Saves preview-<stem>-<theme>.png of the window in each theme, the light one back afterwards.
void pictureInBothThemes(PreviewWindow& window, const QString& stem,
                         const std::function<void(const QImage&, const Theme&)>& check) {
    for (ThemeName name : theme_name::allCases) {
        SCOPED_TRACE(theme_name::rawValue(name));
        ThemeManager::instance().setThemeName(name);
        QCoreApplication::processEvents();
        const QImage picture = window.grab().toImage();
        EXPECT_TRUE(saveScreenshot(picture, "preview-" + stem, name));
        check(picture, Theme::forName(name));
    }
    ThemeManager::instance().setThemeName(ThemeName::light);
}

TEST(PreviewWindow, FollowsTheLastRequestListsAFolderAndClosesOnSpaceOrEscape) {
    TempDir dir;
    const std::string image = writeImage(dir, "photo.png", "PNG");
    const std::string text = writeText(dir, "notes.txt", "hello\n");
    PreviewWindow& window = PreviewWindow::instance();
    auto waitForPage = [&] { return QTest::qWaitFor([&] { return window.page().has_value(); }, 10000); };

    PreviewWindow::preview(image);
    PreviewWindow::preview(text);
    EXPECT_EQ(window.path(), text);
    ASSERT_TRUE(waitForPage());
    QTest::qWait(50); // the image's load, if still on its way, must not replace the text
    EXPECT_EQ(window.content()->path, text);
    QTest::keyClick(&window, Qt::Key_Space);
    EXPECT_FALSE(window.isVisible());

    // A folder's entries are rows of a list, with one row counting what the listing leaves out.
    for (int i = 0; i < 3; ++i)
        dir.writeFile("folder/file" + std::to_string(i), 10);
    PreviewWindow::preview(dir.str() + "/folder");
    ASSERT_TRUE(waitForPage());
    EXPECT_EQ(window.page(), platform::PreviewPage::folder);
    auto* listing = window.findChild<ListingPage*>();
    ASSERT_TRUE(listing);
    EXPECT_EQ(listing->model()->rowCount(), 3);

    PreviewWindow::preview(image);
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_FALSE(window.isVisible());
}

// A photo of 24 megapixels at 16 bits a channel is more than an image may take decoded whole: it is
// shown all the same, scaled to the window.
TEST(PreviewWindow, ShowsALargeSixteenBitPictureScaled) {
    TempDir dir;
    const QRgba64 red = QRgba64::fromRgba64(0xffff, 0, 0, 0xffff);
    const QRgba64 blue = QRgba64::fromRgba64(0, 0, 0xffff, 0xffff);
    const std::string photo = writeQuadrantPng(dir, "photo.png", QSize(6000, 4000), {red, blue, blue, red});
    PreviewWindow& window = PreviewWindow::instance();
    PreviewWindow::preview(photo);
    ASSERT_TRUE(waitForPage(window));
    ASSERT_EQ(window.page(), platform::PreviewPage::image);
    EXPECT_EQ(window.content()->image.width(), platform::PreviewContent::kImageLimit);
    QCoreApplication::processEvents();
    auto* page = window.findChild<ImagePage*>();
    ASSERT_TRUE(page);
    // The picture fills the page's width but for its margins, its top left quadrant red, its top
    // right blue.
    const QPoint middle = page->mapTo(&window, page->rect().center());
    const int quarter = (page->width() - 32) / 4;
    pictureInBothThemes(window, "large-image", [&](const QImage& picture, const Theme&) {
        const int y = middle.y() - quarter / 3;
        EXPECT_EQ(picture.pixelColor(middle.x() - quarter, y), QColor(Qt::red));
        EXPECT_EQ(picture.pixelColor(middle.x() + quarter, y), QColor(Qt::blue));
    });
    window.close();
}

// An item moved or deleted before its preview: the card says so instead of listing unknowns, and
// there is nothing to open. A file that is there but shows no content keeps its facts and "Open".
TEST(PreviewWindow, SaysAnItemIsNoLongerThereAndOffersNothingToOpen) {
    TempDir dir;
    PreviewWindow& window = PreviewWindow::instance();
    const std::string blob = writeText(dir, "blob.bin",
                                       std::string("\x7f"
                                                   "ELF\x02\x01\x01\0\0\0",
                                                   10));
    PreviewWindow::preview(blob);
    ASSERT_TRUE(waitForPage(window));
    ASSERT_EQ(window.page(), platform::PreviewPage::info);
    auto* card = window.findChild<InfoPage*>();
    ASSERT_TRUE(card);
    ASSERT_TRUE(openButton(*card));
    EXPECT_TRUE(openButton(*card)->isEnabled());

    const std::string gone = writeText(dir, "report", "soon gone\n");
    std::filesystem::remove(gone);
    PreviewWindow::preview(gone);
    ASSERT_TRUE(waitForPage(window));
    ASSERT_EQ(window.page(), platform::PreviewPage::info);
    QCoreApplication::processEvents();
    card = window.findChild<InfoPage*>();
    ASSERT_TRUE(card);
    const QStringList texts = labelTexts(*card);
    EXPECT_TRUE(texts.contains("report"));
    EXPECT_TRUE(texts.filter("no longer there").size() == 1) << texts.join(" | ").toStdString();
    EXPECT_TRUE(texts.filter("Unknown", Qt::CaseInsensitive).isEmpty()) << texts.join(" | ").toStdString();
    ASSERT_TRUE(openButton(*card));
    EXPECT_FALSE(openButton(*card)->isEnabled());
    pictureInBothThemes(window, "gone", [&](const QImage& picture, const Theme& theme) {
        EXPECT_EQ(picture.pixelColor(2, picture.height() / 2), theme.background);
    });
    window.close();
}

// A run of combining marks is laid out as one cluster, at a cost that grows with the square of its
// length, and a line is laid out whole: the text shows a few of the marks a file stacks on a letter
// (every mark of a real word), and a long line in pieces, each letter with its marks.
TEST(PreviewWindow, TextIsShownInPiecesThatLayOutQuickly) {
    TempDir dir;
    std::string stacked = "Vie\xcc\xa3\xcc\x82t\na"; // "Việt", its e with two marks
    for (int i = 0; i < 200000; ++i)
        stacked += "\xcc\x81"; // U+0301, an acute accent
    const int limit = platform::PreviewContent::kLineLimit;
    // One long line, with a letter and its mark where the line would be broken.
    const std::string longLine = std::string(size_t(limit) - 1, 'x') + "e\xcc\x81" + std::string(1500, 'y');
    const QString longShown = QString(limit - 1, QChar('x')) + QString::fromUtf8("e\u0301\n") +
                              QString(limit, QChar('y')) + "\n" + QString(1500 - limit, QChar('y'));
    const std::vector<std::pair<std::string, QString>> cases = {
        {stacked, QString::fromUtf8("Vie\u0323\u0302t\na") +
                      QString(platform::PreviewContent::kMarkRunLimit, QChar(0x301))},
        {longLine, longShown},
    };
    PreviewWindow& window = PreviewWindow::instance();
    for (size_t i = 0; i < cases.size(); ++i) {
        PreviewWindow::preview(writeText(dir, "text" + std::to_string(i) + ".txt", cases[i].first));
        ASSERT_TRUE(waitForPage(window));
        ASSERT_EQ(window.page(), platform::PreviewPage::text);
        QCoreApplication::processEvents();
        auto* page = window.findChild<TextPage*>();
        ASSERT_TRUE(page);
        EXPECT_EQ(page->toPlainText(), cases[i].second) << i;
    }
    window.close();
}

// A picture is drawn by a worker process that a stop ends at once: the quit's finish() stops a read
// whose drawing takes minutes and waits for it, no worker is left, and what it read is never shown.
TEST(PreviewWindow, AQuitEndsTheWorkerOfAPictureBeingDrawn) {
    TempDir dir;
    const std::string slow = writeText(dir, "slow.svg", svgDashedPolygon());
    bool shown = false;
    {
        QObject context;
        PreviewReads reads;
        reads.start(slow, &context, [&](platform::PreviewContent) { shown = true; });
        ASSERT_TRUE(QTest::qWaitFor([] { return !childProcesses().empty(); }, 20000)) << "no worker drew";
        auto finished = std::async(std::launch::async, [&] { reads.finish(); });
        EXPECT_EQ(finished.wait_for(std::chrono::seconds(20)), std::future_status::ready)
            << "waited for the drawing";
        finished.wait();
        EXPECT_TRUE(childProcesses().empty());
        QCoreApplication::processEvents();
    }
    EXPECT_FALSE(shown);
}

// A picture being drawn shows the spinner, centred in the page's place, once its read has taken a
// moment (not at once: what arrives in that moment shows without it), until the answer (here the info
// card at a budget of seconds).
TEST(PreviewWindow, APictureBeingDrawnShowsTheSpinnerUntilItsAnswer) {
    TempDir dir;
    PreviewWindow& window = PreviewWindow::instance();
    window.setPictureLimits({.time = std::chrono::seconds(4)});
    const auto restore = qScopeGuard([&] { window.setPictureLimits(platform::PreviewFile::kWorkerLimits); });
    const auto spinner = [&] {
        for (Spinner* s : window.findChildren<Spinner*>())
            if (s->isVisible()) return s;
        return static_cast<Spinner*>(nullptr);
    };
    PreviewWindow::preview(writeText(dir, "\xef\xbb\xbfslow.svg", svgDashedPolygon()));
    EXPECT_FALSE(spinner());
    EXPECT_TRUE(labelTexts(window).contains("\uFFFDslow.svg")) << "the name keeps its byte-order mark";
    ASSERT_TRUE(QTest::qWaitFor([&] { return spinner() && !window.page(); }, 20000));
    const QRect at(spinner()->mapTo(&window, QPoint()), spinner()->size());
    EXPECT_NEAR(at.center().x(), window.width() / 2, 1);
    EXPECT_NEAR(at.center().y(), (window.findChild<PreviewHeader*>()->height() + window.height()) / 2, 1);
    pictureInBothThemes(window, "drawing", [&](const QImage& picture, const Theme& theme) {
        EXPECT_NE(picture.pixelColor(at.left() + 15, at.top() + 4), theme.background) << "the leading spoke";
        EXPECT_EQ(picture.pixelColor(at.center()), theme.background);
    });
    ASSERT_TRUE(waitForPage(window));
    EXPECT_EQ(window.page(), platform::PreviewPage::info);
    EXPECT_FALSE(spinner());
    window.close();
}

// The preview belongs to the main window: it closes with it, and holds no application open on its own.
TEST(PreviewWindow, ClosesWithTheMainWindow) {
    TempDir dir;
    const std::string text = writeText(dir, "notes.txt", "hello\n");
    AppWindow window;
    window.show();
    PreviewWindow::preview(text);
    PreviewWindow& preview = PreviewWindow::instance();
    ASSERT_TRUE(preview.isVisible());
    window.close();
    EXPECT_FALSE(preview.isVisible());
    EXPECT_FALSE(preview.testAttribute(Qt::WA_QuitOnClose));
}

} // namespace
