// The Win32 side of the ports where the system itself must be caught misbehaving: a code page that
// refuses a conversion flag, a paint that fails half-way.
#include "platform/win32/Win32Canvas.h"
#include "platform/win32/Win32Text.h"
#include "plugin/PlugInPlatform.h"

#include <gtest/gtest.h>

#include <string>

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

namespace {

int CALLBACK TakeFirstFace(const LOGFONTW* font, const TEXTMETRICW*, DWORD type, LPARAM face) {
    if (!(type & TRUETYPE_FONTTYPE) || font->lfFaceName[0] == L'@') return 1;
    *reinterpret_cast<std::wstring*>(face) = font->lfFaceName;
    return 0;
}

} // namespace

TEST(Win32Ports, TheWidestDigitOfAnInstalledFontOnly) {
    // A TrueType face the system has, whichever it is (Wine's own, or those of the machine's fontconfig).
    std::wstring face;
    HDC screen = GetDC(nullptr);
    LOGFONTW every{};
    every.lfCharSet = DEFAULT_CHARSET;
    EnumFontFamiliesExW(screen, &every, TakeFirstFace, reinterpret_cast<LPARAM>(&face), 0);
    ReleaseDC(nullptr, screen);
    ASSERT_FALSE(face.empty());
    TViewerWindows& windows = SystemViewerWindows();
    const std::u16string name(face.begin(), face.end());
    const std::optional<int32_t> small = windows.MaxDigitWidth(name, 11);
    ASSERT_TRUE(small.has_value());
    EXPECT_GE(*small, 3);
    EXPECT_LE(*small, 15);
    EXPECT_GT(windows.MaxDigitWidth(name, 33).value_or(0), *small);
    // A face the system lacks is not measured in another font's digits.
    EXPECT_EQ(windows.MaxDigitWidth(u"No Such Face Anywhere", 11), std::nullopt);
    EXPECT_EQ(windows.MaxDigitWidth(u"", 11), std::nullopt);
}
