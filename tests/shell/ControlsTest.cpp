#include "shell/Buttons.h"
#include "shell/CardBackground.h"
#include "shell/Fonts.h"
#include "shell/HoverChip.h"
#include "shell/Palette.h"
#include "shell/SectionCaption.h"
#include "shell/Symbols.h"
#include "shell/Theme.h"

#include "tests/support/Screenshots.h"
#include "tests/support/TestTree.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFontInfo>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

// ---- Buttons ------------------------------------------------------------------------------------

TEST(OutlineButton, ConfirmationLastsFromTheFirstClick) {
    int calls = 0;
    OutlineButton button("Copy Path", "doc.on.clipboard.fill", 32, 12.5, "Copied", "checkmark", 0.3,
                         [&] { ++calls; });
    EXPECT_EQ(button.shownTitle(), "Copy Path");
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(button.isConfirming());
    EXPECT_EQ(button.shownTitle(), "Copied");
    EXPECT_EQ(button.shownImage(), "checkmark");

    QTest::qWait(150);
    QTest::mouseClick(&button, Qt::LeftButton); // runs the action again, does not extend
    EXPECT_EQ(calls, 2);
    QElapsedTimer sinceSecond;
    sinceSecond.start();
    while (button.isConfirming() && sinceSecond.elapsed() < 5000) QTest::qWait(5);
    EXPECT_FALSE(button.isConfirming());
    EXPECT_LT(sinceSecond.elapsed(), 300); // the first click's reset ended it
    EXPECT_EQ(button.shownTitle(), "Copy Path");
    EXPECT_EQ(button.shownImage(), "doc.on.clipboard.fill");
}

TEST(OutlineButton, ConfirmationNeedsATitleAndKeepsTheIconWithoutOne) {
    OutlineButton noTitle("Reveal", "arrow.up.forward.square", 32, 12.5, "", "checkmark", 1.0, {});
    QTest::mouseClick(&noTitle, Qt::LeftButton);
    EXPECT_FALSE(noTitle.isConfirming());
    EXPECT_EQ(noTitle.shownImage(), "arrow.up.forward.square");

    OutlineButton titleOnly("Copy Path", "doc.on.clipboard.fill", 32, 12.5, "Copied", "", 1.0, {});
    QTest::mouseClick(&titleOnly, Qt::LeftButton);
    EXPECT_EQ(titleOnly.shownTitle(), "Copied");
    EXPECT_EQ(titleOnly.shownImage(), "doc.on.clipboard.fill");
}

TEST(Buttons, DisabledDoesNotActAndAPressShowsUntilRelease) {
    int calls = 0;
    InkButton ink("Scan", "", 40, 13, [&] { ++calls; });
    ink.resize(200, 40);
    ink.setEnabled(false);
    QTest::mouseClick(&ink, Qt::LeftButton);
    EXPECT_EQ(calls, 0);
    ink.setEnabled(true);
    QTest::mouseClick(&ink, Qt::LeftButton);
    EXPECT_EQ(calls, 1);

    const QRgb normal = ink.grab().toImage().pixelColor(10, 20).rgb();
    EXPECT_EQ(normal, theme().ink.rgb());
    QTest::mousePress(&ink, Qt::LeftButton);
    EXPECT_NE(ink.grab().toImage().pixelColor(10, 20).rgb(), normal);
    QTest::mouseRelease(&ink, Qt::LeftButton);
    EXPECT_EQ(ink.grab().toImage().pixelColor(10, 20).rgb(), normal);
}

// ---- Hover chip ---------------------------------------------------------------------------------

TEST(HoverChip, FilesAndFolders) {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    TestTree t;
    FileNode* folder = t.folder(t.root(), "Projects");
    for (int i = 0; i < 1234; ++i) t.file(folder, "f", 1000, FileCategory::developer);
    FileNode* other = t.file(t.root(), "notes", 250'000, FileCategory::other);
    t.finish();

    HoverChip chip;
    EXPECT_TRUE(chip.testAttribute(Qt::WA_TransparentForMouseEvents));
    chip.setNode(folder, t.root()->sizeOnDisk);
    EXPECT_EQ(chip.nameText(), "Projects");
    EXPECT_EQ(chip.sizeText(), "1.23 MB");
    EXPECT_EQ(chip.shareText(), "83.2%");
    EXPECT_EQ(chip.countText(), "1,234 files");

    chip.setNode(other, 100'000); // larger than the scan: above 100 %
    EXPECT_EQ(chip.countText(), "");
    EXPECT_EQ(chip.shareText(), "250.0%");

    chip.setNode(nullptr, 0);
    EXPECT_TRUE(chip.isHidden());
    QLocale::setDefault(QLocale::c());
}

// ---- Fonts and symbols --------------------------------------------------------------------------

TEST(Symbols, EveryNameHasAGlyphInTheEmbeddedFont) {
    EXPECT_EQ(QFontInfo(fonts::ui(13)).family(), "Inter");
    EXPECT_EQ(QFontInfo(fonts::symbol(12)).family(), "Material Icons");
    const QFontMetrics metrics(fonts::symbol(12));
    for (const symbols::Entry& e : symbols::table())
        EXPECT_TRUE(metrics.inFontUcs4(e.codepoint)) << e.name;
    // Every symbol the palettes hand out is in the table.
    for (FileCategory c : file_category::allCases) EXPECT_TRUE(symbols::known(palette::categorySymbol(c)));
    EXPECT_TRUE(symbols::known("folder.fill"));
    EXPECT_FALSE(symbols::known("no.such.symbol"));
    EXPECT_TRUE(symbols::glyph("no.such.symbol").isEmpty());
}

// ---- A picture of every shared control, in both themes ------------------------------------------

class Gallery : public QWidget {
public:
    Gallery() {
        setFixedSize(560, 400);
        auto* column = new QVBoxLayout(this);
        column->setContentsMargins(24, 24, 24, 24);
        column->setSpacing(14);
        column->addWidget(caption = new SectionCaption("Recent", "3 folders"));
        auto* row = new QHBoxLayout;
        row->setSpacing(9);
        row->addWidget(ink = new InkButton("Scan Home", "house.fill", 40, 13, {}));
        row->addWidget(outline = new OutlineButton("Choose Folder…", "folder.fill", 40, 13, "", "", 1, {}));
        column->addLayout(row);
        auto* icons = new QHBoxLayout;
        icons->setSpacing(8);
        icons->addWidget(new SquareIconButton("moon.fill", "", 36, {}));
        icons->addWidget(new SquareIconButton("sidebar.right", "", 36, {}));
        icons->addWidget(new SquareIconButton("", "Aa", 36, {}));
        icons->addWidget(new SquareIconButton("magnifyingglass", "", 36, {}));
        icons->addStretch();
        column->addLayout(icons);
        card = new CardBackground(12);
        card->setFixedHeight(64);
        auto* inside = new QHBoxLayout(card);
        inside->setContentsMargins(14, 0, 14, 0);
        label = new QLabel("A card holds anything");
        inside->addWidget(label);
        column->addWidget(card);
        column->addStretch();
        chip = new HoverChip(this);
    }

    void setTheme(ThemeName name) {
        ThemeManager::instance().setThemeName(name);
        QPalette p = label->palette();
        p.setColor(QPalette::WindowText, theme().text);
        label->setPalette(p);
    }

    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), theme().background); }

    SectionCaption* caption;
    InkButton* ink;
    OutlineButton* outline;
    CardBackground* card;
    QLabel* label;
    HoverChip* chip;
};

TEST(Screenshot, SharedControlsInBothThemes) {
    TestTree t;
    FileNode* folder = t.folder(t.root(), "Developer");
    for (int i = 0; i < 1234; ++i) t.file(folder, "f", 12'000, FileCategory::developer);
    t.file(t.root(), "movie.mov", 4'000'000, FileCategory::video);
    t.finish();

    Gallery gallery;
    gallery.chip->setNode(folder, t.root()->sizeOnDisk);
    gallery.show(); // lays the widgets out
    gallery.chip->move(0, gallery.height() - gallery.chip->height());
    for (ThemeName name : theme_name::allCases) {
        gallery.setTheme(name);
        const Theme& th = Theme::forName(name);
        const QImage image = gallery.grab().toImage();
        ASSERT_TRUE(saveScreenshot(image, "controls", name));
        ASSERT_EQ(image.size(), gallery.size() * gallery.devicePixelRatio());

        auto at = [&](QWidget* w, QPoint p) { return image.pixelColor(w->mapTo(&gallery, p)).rgb(); };
        EXPECT_EQ(image.pixelColor(5, 5).rgb(), th.background.rgb());
        // The accent button's fill, left of its label.
        EXPECT_EQ(at(gallery.ink, {6, gallery.ink->height() / 2}), th.ink.rgb());
        // Outlined controls: a one-point border inside the edge, then the fill.
        const int mid = gallery.outline->height() / 2;
        EXPECT_EQ(at(gallery.outline, {0, mid}), th.border.rgb());
        EXPECT_EQ(at(gallery.outline, {3, mid}), th.card.rgb());
        // Rounded corners: the very corner pixel is background.
        EXPECT_EQ(at(gallery.outline, {0, 0}), th.background.rgb());
    }
    ThemeManager::instance().setThemeName(ThemeName::light);
}

} // namespace
