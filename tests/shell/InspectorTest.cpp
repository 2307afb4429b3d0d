#include "model/CleanupQueue.h"
#include "model/ScanTree.h"
#include "shell/controls/Buttons.h"
#include "shell/controls/ThemedLabel.h"
#include "shell/panels/PreviewWindow.h"
#include "shell/panels/inspector/InspectorFacts.h"
#include "shell/panels/inspector/InspectorView.h"
#include "shell/panels/inspector/PathLabel.h"
#include "shell/style/Formatters.h"
#include "tests/shell/ScannedHome.h"
#include "tests/support/DrawnText.h"
#include "tests/support/FakeDesktop.h"
#include "tests/support/TreeBuilder.h"

#include <QClipboard>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPointer>
#include <QSet>
#include <QTest>

#include <gtest/gtest.h>

#include <map>

namespace {

using Facts = InspectorFacts;

std::map<QString, QString> rows(const Facts& facts) {
    std::map<QString, QString> map;
    for (const auto& row : facts.details)
        map[row.label] = row.value;
    return map;
}

TEST(InspectorFacts, FilesFoldersAndTheirLargestChildren) {
    TreeBuilder builder{"/data"};
    FileNode* docs = builder.folderAt("Docs");
    FileNode* report = builder.file(docs, "report.pdf", 3000, 0, 7000); // sparse: 4000 bytes saved
    FileNode* sheet = builder.file(docs, "sheet.csv", 1000, 0, 500);    // allocation above its length
    FileNode* big = builder.folderAt("Big");
    for (int i = 0; i < 20; ++i)
        builder.file(big, "f" + std::to_string(i) + ".mp3", 1000 * (i + 1));
    FileNode* empty = builder.folderAt("Empty");
    auto tree = builder.finish();
    report->createdStamp = 1'600'000'000;
    ScanViewModel model;

    const Facts f = Facts::of(model, *report);
    auto r = rows(f);
    EXPECT_EQ(r["Compressed by"], "4.00 KB");
    EXPECT_EQ(r["Share of folder"], "75.0%");
    EXPECT_EQ(r["Created"], relativeDateString(dateFromStamp(1'600'000'000)));
    EXPECT_TRUE(f.canStage);
    const Facts s = Facts::of(model, *sheet);
    EXPECT_EQ(rows(s)["Compressed by"], "0 B");
    EXPECT_FALSE(rows(s).contains("Created")); // no creation time, no row
    EXPECT_EQ(s.share, "100.0% of scan");      // no scanned root in the model: of the node itself

    const Facts b = Facts::of(model, *big);
    ASSERT_EQ(b.largest.size(), Facts::kLargestCount);
    EXPECT_EQ(b.largest[0].name, "f19.mp3");
    EXPECT_DOUBLE_EQ(b.largest[0].fraction, 20000.0 / 210000.0);
    EXPECT_EQ(b.largest[7].name, "f12.mp3");
    // Size 0: no bars, and a share of a parent of size 0 reads 0.0%.
    const Facts e = Facts::of(model, *empty);
    EXPECT_TRUE(e.largest.empty());
    EXPECT_EQ(rows(e)["Share of folder"], "0.0%");
    // A regrouped folder and its groups have no place: nothing to stage, no parent folder to share.
    const FileNode* regrouped = tree->categoryGroups(tree->root());
    ASSERT_NE(regrouped, tree->root());
    for (const FileNode* node : {regrouped, static_cast<const FileNode*>(regrouped->children()[0])}) {
        const Facts g = Facts::of(model, *node);
        EXPECT_FALSE(g.hasPlace);
        EXPECT_FALSE(g.canStage);
        EXPECT_FALSE(rows(g).contains("Share of folder"));
    }
}

// A control character in a name reads U+FFFD wherever the inspector shows the name; the path keeps the
// real text (the path label shows it as it shows names, and copies it as it is).
TEST(InspectorFacts, NamesShowControlCharactersAsReplacementCharacters) {
    TreeBuilder builder{"/data"};
    FileNode* folder = builder.folderAt("old\tstuff");
    FileNode* file = builder.file(folder, "two\nlines.txt", 100);
    auto tree = builder.finish();
    ScanViewModel model;
    const QString r(QChar::ReplacementCharacter);
    EXPECT_EQ(Facts::of(model, *file).name, "two" + r + "lines.txt");
    EXPECT_EQ(Facts::of(model, *file).path, QStringLiteral("/data/old\tstuff/two\nlines.txt"));
    const Facts f = Facts::of(model, *folder);
    EXPECT_EQ(f.name, "old" + r + "stuff");
    ASSERT_EQ(f.largest.size(), 1u);
    EXPECT_EQ(f.largest[0].name, "two" + r + "lines.txt");
}

// A long path shows in two lines cut in the middle; a selection copies the part of the real path it
// covers, so all of it gives the whole path (without the break, with the middle, a line break of a
// name as it is), and the "…" alone gives the middle it stands for.
TEST(PathLabel, ASelectionCopiesThePartOfThePathItCovers) {
    const QString path = QStringLiteral("/srv/two\nlines/") + QString(80, u'm') +
                         QStringLiteral("/a folder of its own/deep/inside/file.txt");
    inspector::PathLabel label;
    label.resize(220, 40);
    label.setPath(path);
    label.show();
    const QString shown = label.toPlainText();
    const qsizetype lineBreak = shown.indexOf(u'\n'), cut = shown.indexOf(QChar(0x2026));
    ASSERT_GT(lineBreak, 0);
    ASSERT_GT(cut, lineBreak);
    EXPECT_EQ(shown.count(u'\n'), 1);
    EXPECT_TRUE(shown.left(lineBreak).contains(QChar::ReplacementCharacter)) << "the name's break is shown";

    QClipboard* clipboard = QGuiApplication::clipboard();
    auto copied = [&](qsizetype from, qsizetype to) {
        clipboard->clear();
        QTextCursor cursor = label.textCursor();
        cursor.setPosition(int(from));
        cursor.setPosition(int(to), QTextCursor::KeepAnchor);
        label.setTextCursor(cursor);
        label.copy();
        return clipboard->text();
    };
    EXPECT_EQ(copied(0, shown.size()), path);
    EXPECT_EQ(copied(shown.size(), 0), path);
    EXPECT_EQ(copied(0, lineBreak), path.left(lineBreak));
    EXPECT_EQ(copied(lineBreak, lineBreak + 1), QString()) << "the break stands for nothing";
    const QString middle = copied(cut, cut + 1);
    QString around = shown;
    around.remove(lineBreak, 1);
    EXPECT_EQ(around.replace(cut - 1, 1, shownText(middle)), shownText(path));
    const QString tail = copied(cut + 1, shown.size());
    EXPECT_TRUE(path.endsWith(tail));
    EXPECT_EQ(tail, shown.mid(cut + 1));
}

// The column at its width, beside a scanned home folder.
class InspectorViewTest : public ::testing::Test {
  protected:
    InspectorViewTest() {
        inspector.resize(InspectorView::kWidth, 1400);
        inspector.show();
    }

    ScannedHome home;
    ScanViewModel& model = home.model();
    InspectorView inspector{model};
};

TEST_F(InspectorViewTest, FollowsTheSelectionStagesAndActsOnItsNode) {
    // Right after the scan the root is selected: it reads "Home" and cannot be staged.
    EXPECT_EQ(inspector.node(), model.root());
    EXPECT_EQ(Facts::of(model, *model.root()).name, "Home");
    ASSERT_TRUE(inspector.stageButton());
    EXPECT_FALSE(inspector.stageButton()->isEnabled());

    FileNode* movie = home.node("Movies/Holiday 2023.mp4");
    model.setSelectedNode(movie);
    EXPECT_EQ(inspector.node(), movie);
    InkButton* stage = inspector.stageButton();
    const QString unstaged = stage->title();
    // Staged elsewhere (a quick win), under another reason: the button follows.
    model.cleanupQueue().add(movie, "Large media");
    EXPECT_NE(stage->title(), unstaged);
    model.cleanupQueue().add(home.node("Music"), "Staged from Explore");

    QTest::mouseClick(stage, Qt::LeftButton);
    EXPECT_FALSE(model.cleanupQueue().contains(movie->path()));
    EXPECT_EQ(model.cleanupQueue().items().size(), 1u) << "other items stay";
    EXPECT_EQ(stage->title(), unstaged);
    QTest::mouseClick(stage, Qt::LeftButton);
    ASSERT_EQ(model.cleanupQueue().items().size(), 2u);
    EXPECT_EQ(model.cleanupQueue().items().back().size, movie->sizeOnDisk);
    // Nothing selected: the current folder is shown; with neither, the placeholder.
    model.setSelectedNode(nullptr);
    EXPECT_EQ(inspector.node(), model.currentFolder());
    model.setCurrentFolder(nullptr);
    EXPECT_EQ(inspector.node(), nullptr);
    EXPECT_EQ(inspector.stageButton(), nullptr);
    // The actions act on the node shown.
    ScopedFakeDesktop desktop;
    auto button = [&](const QString& title) -> WideButton* {
        for (auto* b : inspector.findChildren<WideButton*>())
            if (b->title() == title && b->isVisibleTo(&inspector)) return b;
        return nullptr;
    };
    FileNode* notes = home.node("Documents/notes.txt");
    model.setSelectedNode(notes);
    for (const char* title : {"Reveal", "Copy Path", "Preview"})
        QTest::mouseClick(button(title), Qt::LeftButton);
    EXPECT_EQ(desktop->revealed, std::vector<std::string>{notes->path()});
    EXPECT_EQ(desktop->copied, desktop->revealed);
    EXPECT_EQ(PreviewWindow::instance().path(), notes->path());
    PreviewWindow::instance().close();
    // "Copied" speaks of the node it copied: another node ends it.
    auto* copy = dynamic_cast<OutlineButton*>(button("Copy Path"));
    ASSERT_TRUE(copy);
    EXPECT_TRUE(copy->isConfirming());
    model.setSelectedNode(home.node("Movies"));
    EXPECT_FALSE(copy->isConfirming());
    model.setSelectedNode(notes);
    QTest::mouseClick(button("Focus"), Qt::LeftButton); // a file is shown in its folder
    EXPECT_EQ(model.currentFolder(), home.node("Documents"));
    EXPECT_EQ(model.selectedNode(), notes);
    // A row of the largest children selects on a click; the second click of a double click lands on
    // whatever the child's page has there, and opens it.
    model.setSelectedNode(home.node("Projects"));
    FileNode* web = home.node("Projects/web");
    QWidget* row = nullptr;
    for (QWidget* w : inspector.findChildren<QWidget*>())
        if (w->accessibleName() == "web" && w->isVisibleTo(&inspector)) row = w;
    ASSERT_TRUE(row);
    const QPoint where = row->mapTo(&inspector, row->rect().center());
    QTest::mouseClick(row, Qt::LeftButton);
    EXPECT_EQ(model.selectedNode(), web);
    QTest::qWait(20);
    QWidget* under = inspector.childAt(where);
    ASSERT_TRUE(under);
    QTest::mouseDClick(under, Qt::LeftButton, {}, under->mapFrom(&inspector, where));
    EXPECT_EQ(model.currentFolder(), web);
    EXPECT_EQ(model.selectedNode(), web);
    // A group node: everything that needs a place is off; Focus stays.
    model.setSelectedNode(model.tree()->categoryGroups(model.root())->children()[0]);
    for (const char* title : {"Reveal", "Preview", "Copy Path"})
        EXPECT_FALSE(button(title)->isEnabled()) << title;
    EXPECT_TRUE(button("Focus")->isEnabled());
    EXPECT_FALSE(inspector.stageButton()->isEnabled());
}

TEST_F(InspectorViewTest, ShowsEachNodeInTheSameWidgets) {
    auto nameLabel = [&](const QString& text) -> ThemedLabel* {
        for (auto* label : inspector.findChildren<ThemedLabel*>())
            if (label->text() == text && label->isVisibleTo(&inspector)) return label;
        return nullptr;
    };
    auto widgets = [&] {
        // Widgets a change gave up are gone by now.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const QList<QWidget*> all = inspector.findChildren<QWidget*>();
        return QSet<QWidget*>(all.begin(), all.end());
    };
    // A folder first: it has the most detail rows.
    model.setSelectedNode(home.node("Movies"));
    const QPointer<ThemedLabel> name = nameLabel("Movies");
    ASSERT_TRUE(name);
    const QPointer<InkButton> stage = inspector.stageButton();
    const QSet<QWidget*> before = widgets();

    FileNode* notes = home.node("Documents/notes.txt");
    model.setSelectedNode(notes);
    ASSERT_TRUE(name);
    EXPECT_EQ(name->text(), "notes.txt");
    EXPECT_EQ(inspector.stageButton(), stage);
    EXPECT_EQ(widgets(), before);
    // Through the placeholder and back to a folder.
    model.setSelectedNode(nullptr);
    model.setCurrentFolder(nullptr);
    model.setSelectedNode(home.node("Music"));
    EXPECT_EQ(widgets(), before);
    ASSERT_TRUE(name);
    EXPECT_EQ(name->text(), "Music");
}

// The path line of a node whose path takes two lines: selected and copied, it gives the whole path,
// not the lines with a break inside a folder's name.
TEST_F(InspectorViewTest, SelectingAllOfThePathCopiesTheWholePath) {
    FileNode* deep = home.node("Projects/web/node_modules/lodash/lodash.js");
    model.setSelectedNode(deep);
    const QString path = QString::fromStdString(deep->path());
    QWidget* label = nullptr;
    for (QWidget* w : inspector.findChildren<QWidget*>())
        if (drawnText(w->toolTip()) == path && w->isVisibleTo(&inspector)) label = w;
    ASSERT_TRUE(label);
    ASSERT_GT(QFontMetricsF(label->font()).horizontalAdvance(path), label->width()) << "two lines";
    QGuiApplication::clipboard()->clear();
    label->setFocus();
    QTest::keyClick(label, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(label, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), path);
}

} // namespace
