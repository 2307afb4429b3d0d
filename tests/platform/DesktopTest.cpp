#include "platform/Desktop.h"
#include "platform/PathFromText.h"
#include "tests/support/TempDir.h"

#include <QDBusMessage>

#include <gtest/gtest.h>

#include <filesystem>

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

// A path that came back as text (the folder chooser's answer) reaches the folder it shows again, also
// when a name on the way is not UTF-8 and so came back with replacement characters.
TEST(Desktop, PathsShownAsTextFindTheirBytesAgain) {
    TempDir dir;
    const std::string odd = dir.str() + "/caf\xe9/sub\xff";
    std::filesystem::create_directories(odd);
    const QString shown = platform::pathText(odd);
    ASSERT_TRUE(shown.contains(QChar::ReplacementCharacter));
    EXPECT_EQ(platform::pathFromText(shown), odd);
    EXPECT_EQ(platform::pathFromText(shown + "/"), odd);
    const std::string plain = dir.makeDir("plain/f\xc3\xa9").string();
    EXPECT_EQ(platform::pathFromText(platform::pathText(plain)), plain);

    // A name that holds the replacement character itself is taken as it stands; two names that show
    // alike are not guessed between.
    const std::string literal = dir.makeDir("caf\xef\xbf\xbd").string();
    EXPECT_EQ(platform::pathFromText(platform::pathText(literal)), literal);
    dir.makeDir("x\xe8");
    dir.makeDir("x\xe9");
    EXPECT_EQ(platform::pathFromText(platform::pathText(dir.str() + "/x\xe8")), dir.str() + "/x\xef\xbf\xbd");
}

} // namespace
