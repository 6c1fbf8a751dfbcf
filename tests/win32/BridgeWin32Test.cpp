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

TEST(BridgeOnWindows, TheLibraryKnowsItsOwnFileAndTheDay) {
    // Here the library's code is linked into the test program: its module is the program's file.
    wchar_t program[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameW(nullptr, program, MAX_PATH), 0u);
    EXPECT_EQ(Bridge().Platform->LibraryModulePath(), std::u16string(reinterpret_cast<const char16_t*>(program)));
    SYSTEMTIME today{};
    GetLocalTime(&today);
    const TLocalTime now = Bridge().Platform->LocalTime();
    EXPECT_EQ(now.Year * 10000 + now.Month * 100 + now.Day, today.wYear * 10000 + today.wMonth * 100 + today.wDay);
}
