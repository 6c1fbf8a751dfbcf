// The bridge against the real Windows ports: the global-memory allocator and the ANSI code page.
#include "plugin/HostBridge.h"
#include "plugin/HostStrings.h"

#include <gtest/gtest.h>

#include <windows.h>

using namespace tabulix;

TEST(BridgeOnWindows, HostStringsAreGlobalBlocksOfLengthPlusOne) {
    char* slot = static_cast<char*>(GlobalAlloc(GMEM_FIXED, 8));
    AssignHostString(&slot, u"Caf\u00e9 \u65e5\u672c");
    ASSERT_NE(slot, nullptr);
    EXPECT_STREQ(slot, "Caf\xE9 ??"); // outside the code page: its default character
    EXPECT_EQ(GlobalSize(slot), 8u);
    EXPECT_EQ(ReadHostString(slot), u"Caf\u00e9 ??");
    FreeHostString(&slot);
    EXPECT_EQ(slot, nullptr);
    FreeHostString(&slot); // an empty slot stays empty
}

TEST(BridgeOnWindows, TheLibraryKnowsItsOwnFile) {
    const std::u16string path = Bridge().Platform->LibraryModulePath();
    EXPECT_GT(path.size(), 4u);
    const TLocalTime now = Bridge().Platform->LocalTime();
    EXPECT_GE(now.Year, 2024);
}
