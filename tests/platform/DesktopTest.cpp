#include "platform/Desktop.h"

#include <QDBusMessage>

#include <gtest/gtest.h>

namespace {

TEST(Desktop, FileUrlsKeepEveryByte) {
    EXPECT_EQ(platform::fileUrl("/home/u/a b#?.txt").toString(QUrl::FullyEncoded),
              "file:///home/u/a%20b%23%3F.txt");
    // Latin-1 bytes are not UTF-8; they survive as percent escapes.
    const QUrl odd = platform::fileUrl("/tmp/caf\xe9");
    EXPECT_TRUE(odd.isValid());
    EXPECT_EQ(odd.toEncoded(), "file:///tmp/caf%E9");
    EXPECT_EQ(platform::parentFolderUrl("/home/u/file.txt").toString(), "file:///home/u");
    EXPECT_EQ(platform::parentFolderUrl("/").toString(), "file:///");

    EXPECT_EQ(platform::pathText("/tmp/caf\xe9"), QString::fromUtf8("/tmp/caf\xef\xbf\xbd"));
    // The file manager is asked to show the items, in one call, by URLs that keep those bytes too.
    const QDBusMessage call = platform::showItemsMessage({"/home/u/caf\xe9.txt", "/home/u/.config/app"});
    ASSERT_FALSE(call.arguments().isEmpty());
    EXPECT_EQ(call.arguments()[0].toStringList(),
              (QStringList{"file:///home/u/caf%E9.txt", "file:///home/u/.config/app"}));
}

} // namespace
