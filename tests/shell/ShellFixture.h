#pragma once

#include "tests/support/ScanFixture.h"

#include "model/FileNode.h"
#include "shell/controls/SegmentStrip.h"
#include "tests/support/TreeChecks.h"

#include <QTest>

#include <optional>
#include <string>

// A state object wired as the application wires it (its appearance drives the ThemeManager), with the
// folder chooser made to order. Views registered by a test are forgotten after it.
class ShellTest : public ScanFixture {
  protected:
    void SetUp() override;
    void TearDown() override;

    std::unique_ptr<ScanViewModel> makeViewModel();
    // A small tree: "fixture" with folders three levels deep and files of several kinds.
    std::string makeFixture();

    // A widget built from `args`, at `size` and shown.
    template <typename Widget, typename... Args>
    static std::unique_ptr<Widget> shown(QSize size, Args&&... args) {
        auto widget = std::make_unique<Widget>(std::forward<Args>(args)...);
        widget->resize(size);
        widget->show();
        return widget;
    }

    // What the folder chooser answers, and how often it was asked.
    std::optional<std::string> chosenFolder;
    int chooserCalls = 0;
};

// The node at `relative` ("a/b") below `folder`, or null.
inline FileNode* nodeAt(const FileNode* folder, std::string_view relative) {
    return const_cast<FileNode*>(findNode(folder, relative));
}
// Deletes the widgets scheduled with deleteLater().
inline void flushDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
inline void clickSegment(SegmentStrip* strip, int index) {
    QTest::mouseClick(strip, Qt::LeftButton, {}, strip->segmentRects()[size_t(index)].center().toPoint());
}
