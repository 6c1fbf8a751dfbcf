#include "base/Error.h"
#include "base/Files.h"
#include "base/Text.h"
#include "support/Messages.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

using namespace tabulix;
using tabulix::testing::MessageOf;
using tabulix::testing::TTempFolder;

TEST(Files, ReadsBackWhatWasWrittenByteForByte) {
    TTempFolder folder;
    std::string bytes(70000, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = char(i * 7);
    const auto path = folder / u"data.bin";
    WriteFileBytes(path, bytes);
    EXPECT_EQ(ReadFileBytes(path), bytes);
    WriteFileBytes(path, "short");
    EXPECT_EQ(ReadFileBytes(path), "short"); // truncated, not overwritten in part
}

TEST(Files, NamesWithCharactersOutsideAnyCodePage) {
    TTempFolder folder;
    const auto path = folder / u"\u00e9t\u00e9 \u65e5\u672c \U0001F600.xlsx";
    WriteFileAtomically(path, "x");
    EXPECT_TRUE(FileExists(path));
    EXPECT_EQ(ReadFileBytes(path), "x");
    EXPECT_EQ(PathToText(TextToPath(u"\u65e5\u672c.pub")), u"\u65e5\u672c.pub");
}

TEST(Files, OpenFailureNamesTheFileAndTheSystemReason) {
    TTempFolder folder;
    const auto path = folder / u"missing.pub";
    const std::u16string message = MessageOf([&] { ReadFileBytes(path); });
    const std::u16string prefix = u"Cannot open file \"" + PathToText(path) + u"\". ";
    ASSERT_EQ(message.substr(0, prefix.size()), prefix);
    EXPECT_GT(message.size(), prefix.size()); // the system's text follows
    EXPECT_NE(message.back(), u'.');
    EXPECT_FALSE(FileExists(folder.Path())); // a folder is not a file
}

TEST(Files, AtomicWriteReplacesTheWholeFile) {
    TTempFolder folder;
    const auto path = folder / u"Book.xlsx";
    WriteFileAtomically(path, std::string(100000, 'a'));
    WriteFileAtomically(path, "new");
    EXPECT_EQ(ReadFileBytes(path), "new");
    EXPECT_FALSE(FileExists(TemporaryPathBeside(path)));
}

TEST(Files, FailedAtomicWriteLeavesTheOldFileAndNoTemporary) {
    TTempFolder folder;
    // The target is a folder: the temporary file is written, but the move onto the target fails.
    const auto target = folder / u"occupied";
    std::filesystem::create_directory(target);
    std::filesystem::create_directory(target / "inside");
    const std::u16string message = MessageOf([&] { WriteFileAtomically(target, "data"); });
    EXPECT_EQ(message.rfind(u"Cannot create file \"" + PathToText(target) + u"\". ", 0), 0u) << Utf16ToUtf8(message);
    EXPECT_TRUE(std::filesystem::is_directory(target / "inside"));
    EXPECT_FALSE(std::filesystem::exists(TemporaryPathBeside(target)));

    // A target in a folder that does not exist: nothing is created anywhere.
    const auto nowhere = folder / u"no-such-folder" / u"Book.xlsx";
    EXPECT_NE(MessageOf([&] { WriteFileAtomically(nowhere, "data"); }), u"(no failure)");
    EXPECT_FALSE(std::filesystem::exists(folder / u"no-such-folder"));
}

TEST(Files, ReplaceMovesOverAnExistingFile) {
    TTempFolder folder;
    const auto source = folder / u"Book.pub.tbtmp";
    const auto target = folder / u"Book.pub";
    WriteFileBytes(source, "new");
    WriteFileBytes(target, "old");
    ReplaceFileWith(source, target);
    EXPECT_EQ(ReadFileBytes(target), "new");
    EXPECT_FALSE(FileExists(source));
    try {
        ReplaceFileWith(source, target); // the source is gone now
        FAIL() << "a move of a missing file succeeded";
    } catch (const TSystemError& error) {
        EXPECT_FALSE(error.SystemText().empty());
    }
    EXPECT_EQ(ReadFileBytes(target), "new");
}
