// The Win32 side of the ports where the system itself must be caught misbehaving: a code page that
// refuses a conversion flag, a paint that fails half-way.
#include "platform/win32/Win32Canvas.h"
#include "platform/win32/Win32Text.h"
#include "plugin/PlugInPlatform.h"

#include <gtest/gtest.h>

#include <windows.h>

using namespace tabulix;

namespace {

// A system whose UTF-8 code page refuses every flag, as Windows does for code page 65001.
class TFlagRefusingCodePage final : public TWin32AnsiCodePage {
public:
    TFlagRefusingCodePage() : TWin32AnsiCodePage(CP_UTF8) {}

protected:
    int WideToMultiByte(DWORD flags, const wchar_t* text, int count, char* bytes, int size) const override {
        if (flags != 0) {
            SetLastError(ERROR_INVALID_FLAGS);
            return 0;
        }
        return TWin32AnsiCodePage::WideToMultiByte(flags, text, count, bytes, size);
    }
};

} // namespace

TEST(Win32Ports, AUtf8CodePageThatRefusesTheNoBestFitFlagStillConverts) {
    const TFlagRefusingCodePage codePage;
    EXPECT_EQ(codePage.FromUtf16(u"Caf\u00e9 \u65e5\u672c"), "Caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC");
    EXPECT_EQ(codePage.ToUtf16("Caf\xC3\xA9"), u"Caf\u00e9");
    EXPECT_EQ(TWin32AnsiCodePage(1252).FromUtf16(u"Caf\u00e9 \u65e5"), "Caf\xE9 ?");
}

TEST(Win32Ports, AFailingPaintReleasesItsPicture) {
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr,
                                  nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    InvalidateRect(window, nullptr, FALSE);
    HDC picture = nullptr;
    HGDIOBJ bitmap = nullptr;
    EXPECT_THROW(SystemViewerWindows().PaintWindow(window,
                                                   [&](TCanvas& canvas, const TRect&) {
                                                       picture = dynamic_cast<TGdiCanvas&>(canvas).Dc();
                                                       bitmap = GetCurrentObject(picture, OBJ_BITMAP);
                                                       throw std::runtime_error("paint failed");
                                                   }),
                 std::runtime_error);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(GetObjectType(picture), 0u); // the off-screen device context is deleted
    EXPECT_EQ(GetObjectType(bitmap), 0u);  // and its bitmap with it
    RECT pending{};
    EXPECT_FALSE(GetUpdateRect(window, &pending, FALSE)); // the paint was ended
    DestroyWindow(window);
}

TEST(Win32Ports, TheWidestDigitOfAnInstalledFontOnly) {
    TViewerWindows& windows = SystemViewerWindows();
    // Wine and Windows both have Tahoma; a digit of 11 points at 96 dots an inch is some pixels wide.
    const std::optional<int32_t> tahoma = windows.MaxDigitWidth(u"Tahoma", 11);
    ASSERT_TRUE(tahoma.has_value());
    EXPECT_GE(*tahoma, 5);
    EXPECT_LE(*tahoma, 10);
    EXPECT_GT(windows.MaxDigitWidth(u"Tahoma", 22).value_or(0), *tahoma);
    // A face the system lacks is not measured in another font's digits.
    EXPECT_EQ(windows.MaxDigitWidth(u"No Such Face Anywhere", 11), std::nullopt);
    EXPECT_EQ(windows.MaxDigitWidth(u"", 11), std::nullopt);
}
