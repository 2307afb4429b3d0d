#include "app/FirstPictureReport.h"
#include "shell/panels/ContentView.h"
#include "tests/shell/ShellFixture.h"

#include <QTest>

#include <cstdio>
#include <memory>
#include <string>

namespace {

std::string written(FILE* file) {
    std::fflush(file);
    std::rewind(file);
    std::string text;
    for (int c; (c = std::fgetc(file)) != EOF;)
        text += char(c);
    return text;
}

class FirstPictureReportTest : public ShellTest {};

// One line, once the window has painted the first finished scan; nothing for the frames before it
// nor for any frame after.
TEST_F(FirstPictureReportTest, ReportsTheFirstPaintAfterAScanOnce) {
    const std::string path = makeFixture();
    auto vm = makeViewModel();
    auto window = shown<ContentView>(QSize(1280, 760), *vm);
    std::unique_ptr<FILE, int (*)(FILE*)> out(std::tmpfile(), &std::fclose);
    new FirstPictureReport(*vm, *window, 42, out.get());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    window->repaint();
    QTest::qWait(20);
    EXPECT_EQ(written(out.get()), "");

    // The fixture's scan may finish within any wait, so frames of the scanning screen are told apart
    // from the first picture by the line's own times: the picture comes after the scan's result.
    vm->scan(path);
    ASSERT_TRUE(waitForDone(*vm));
    WAIT_FOR(!written(out.get()).empty());
    long long mainNs = 0, scannedNs = 0, pictureNs = 0;
    ASSERT_EQ(std::sscanf(written(out.get()).c_str(),
                          "first_picture main_ns=%lld scanned_ns=%lld picture_ns=%lld\n", &mainNs, &scannedNs,
                          &pictureNs),
              3);
    EXPECT_EQ(mainNs, 42);
    EXPECT_GT(scannedNs, 0);
    EXPECT_GE(pictureNs, scannedNs);
    const std::string first = written(out.get());
    scanAndWait(*vm, path);
    window->repaint();
    QTest::qWait(20);
    EXPECT_EQ(written(out.get()), first);
}

} // namespace
