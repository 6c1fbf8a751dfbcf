// The 64-bit Tabulix.dll loaded the way the host loads it.
#include "plugin/PlugInInterface.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

class DllLoad : public ::testing::Test {
protected:
    void SetUp() override {
        FLibrary = LoadLibraryW(L"Tabulix.dll");
        ASSERT_NE(FLibrary, nullptr) << "LoadLibraryW failed with error " << GetLastError();
    }
    void TearDown() override {
        if (FLibrary) FreeLibrary(FLibrary);
    }
    FARPROC Entry(const char* name) const { return GetProcAddress(FLibrary, name); }

    HMODULE FLibrary = nullptr;
};

} // namespace

TEST_F(DllLoad, ExportsTheSevenEntryPointsByPlainName) {
    for (const char* name : {"nbInitPlugIn", "nbRegisterPlugIn", "nbRegisterInterfaceAccess",
                             "nbRegisterScriptProcessor", "nbExecAction", "nbEditAction", "nbMessage"}) {
        EXPECT_NE(Entry(name), nullptr) << name;
    }
}
