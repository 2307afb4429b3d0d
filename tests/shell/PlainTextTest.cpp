// Names and paths in tool tips are shown as the characters they are, whatever markup they spell.
#include "app/RegisterViews.h"
#include "model/FileNode.h"
#include "shell/lists/ListView.h"
#include "shell/lists/NodeListModel.h"
#include "shell/panels/AppWindow.h"
#include "shell/panels/ContentView.h"
#include "shell/panels/ExploreView.h"
#include "shell/panels/SidebarView.h"
#include "shell/panels/UnreadableFoldersNotice.h"
#include "shell/panels/inspector/PathLabel.h"
#include "tests/shell/ShellFixture.h"
#include "tests/support/DrawnText.h"
#include "visualizations/topsizes/TopSizesView.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QScreen>
#include <QToolTip>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <optional>
#include <set>
#include <thread>

namespace {

// Notes whether anyone opens the FIFO at `path` for reading, and lets such a reader go at once (it
// reads an empty file), so a fault fails the test instead of hanging it.
class FifoWatch {
  public:
    explicit FifoWatch(std::string path) : path_(std::move(path)) {
        writer_ = std::thread([this] {
            while (!finishing_) {
                const int fd = ::open(path_.c_str(), O_WRONLY | O_CLOEXEC); // waits for a reader
                if (!finishing_) opened_ = true;
                if (fd >= 0) ::close(fd);
            }
        });
    }
    ~FifoWatch() {
        finishing_ = true;
        const int fd = ::open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC); // releases the writer
        writer_.join();
        if (fd >= 0) ::close(fd);
    }
    bool opened() const { return opened_; }

  private:
    std::string path_;
    std::atomic<bool> finishing_ = false, opened_ = false;
    std::thread writer_;
};

// The tool tip Qt shows for a hover at `at` in `widget` (its centre by default), as drawn.
std::string hoverToolTip(QWidget* widget, std::optional<QPoint> at = std::nullopt) {
    const QPoint point = at.value_or(widget->rect().center());
    QHelpEvent help(QEvent::ToolTip, point, widget->mapToGlobal(point));
    QCoreApplication::sendEvent(widget, &help);
    const QString shown = QToolTip::isVisible() ? drawnText(QToolTip::text()) : QString();
    QToolTip::hideText();
    return shown.toStdString();
}

// Whether a path's tool tip shows it: whole, or, when `wide` (wider than the screen), its start and its
// last component around an ellipsis, within the screen's width.
testing::AssertionResult showsPath(const std::string& tip, const std::string& path, bool wide) {
    const QString shown = QString::fromStdString(tip), full = QString::fromStdString(path);
    const qsizetype cut = shown.indexOf(QChar(0x2026));
    if (wide ? cut > 10 && full.startsWith(shown.left(cut)) &&
                   shown.mid(cut + 1) == full.mid(full.lastIndexOf('/')) &&
                   QFontMetricsF(QToolTip::font()).horizontalAdvance(shown) <=
                       QGuiApplication::primaryScreen()->availableGeometry().width()
             : tip == path)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "\"" << tip << "\" for " << path;
}

class PlainTextTest : public ShellTest {};

// A folder named "<b>draft" with entities spelled in it, one whose path spells an image tag naming a
// FIFO and one deep enough to be wider than the screen, each scanned with an unreadable folder inside:
// every tool tip that carries a name or a path shows its characters (a path too wide for the screen
// its start and its last component), and the FIFO is never opened.
TEST_F(PlainTextTest, ToolTipsShowNamesAsTheirCharactersAndOpenNothingTheySpell) {
    const std::string root = dir.str();
    ASSERT_EQ(::mkfifo((root + "/fifo").c_str(), 0600), 0);
    FifoWatch fifo(root + "/fifo");
    const std::string bold = root + "/<b>draft &amp; &lt;x";
    const std::string image = root + "/<img src=" + root + "/fifo>"; // folders "<img src=", …, "fifo>"
    std::string deep = root;
    for (int i = 0; i < 6; ++i)
        deep += "/<i>a folder named at some length, " + std::to_string(i);

    registerViews();
    auto vm = makeViewModel();
    vm->settings().setShowInspector(true);
    vm->settings().setMode(VisualizationMode::topSizes);
    AppWindow window;
    window.setContent(new ContentView(*vm));
    window.resize(1680, 1050);
    window.show();

    std::set<std::string> scanned;
    for (const std::string& folder : {bold, image, deep}) {
        SCOPED_TRACE(folder);
        const bool wide = folder == deep;
        writeFileText(folder + "/notes.txt", std::string(5000, 'x'));
        writeFileText(folder + "/sub/hidden.txt", "hidden");
        deniedFolders = {{folder + "/sub", EACCES}};
        scanAndWait(*vm, folder);
        scanned.insert(folder);
        FileNode* notes = nodeAt(vm->root(), "notes.txt");
        ASSERT_NE(notes, nullptr);
        vm->setSelectedNode(notes);
        QCoreApplication::processEvents();
        flushDeletes();

        // The labels that show a name are plain text.
        int naming = 0;
        for (QLabel* label : window.findChildren<QLabel*>())
            if (label->isVisible() && label->text().contains(QLatin1Char('<'))) {
                ++naming;
                EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->text().toStdString();
            }
        EXPECT_GT(naming, 0);

        auto* sidebar = window.findChild<SidebarView*>();
        ASSERT_NE(sidebar, nullptr);
        std::set<std::string> recents;
        for (QWidget* row : sidebar->recentSection()->findChildren<QWidget*>())
            if (!row->toolTip().isEmpty()) recents.insert(hoverToolTip(row));
        EXPECT_EQ(recents.size(), scanned.size());
        for (const std::string& path : scanned)
            EXPECT_TRUE(std::any_of(recents.begin(), recents.end(), [&](const std::string& tip) {
                return showsPath(tip, path, path == deep);
            })) << path;
        QWidget* current = nullptr;
        for (QWidget* w : sidebar->currentViewSection()->findChildren<QWidget*>())
            if (!w->toolTip().isEmpty()) current = w;
        ASSERT_NE(current, nullptr);
        EXPECT_TRUE(showsPath(hoverToolTip(current), folder, wide));

        auto* pathLabel = window.findChild<inspector::PathLabel*>();
        ASSERT_NE(pathLabel, nullptr);
        EXPECT_TRUE(showsPath(hoverToolTip(pathLabel), folder + "/notes.txt", wide));

        auto* explore = window.findChild<ExploreView*>();
        ASSERT_TRUE(explore && explore->notice());
        EXPECT_TRUE(showsPath(hoverToolTip(explore->notice()->textColumn()), folder + "/sub", wide));

        auto* topSizes = window.findChild<TopSizesView*>();
        ASSERT_NE(topSizes, nullptr);
        ListView& list = *topSizes->list();
        const QPoint row = list.visualRect(topSizes->rows()->indexOf(notes)).center();
        EXPECT_TRUE(showsPath(hoverToolTip(list.viewport(), row), folder + "/notes.txt", wide));
    }
    EXPECT_FALSE(fifo.opened());
}

} // namespace
