// Reads arbitrary bytes as a publication and runs the page import's text side over it: page counts,
// grid numbers, integer keys, page names, the splice after the marker and the verification. The bytes
// after the first NUL (if any) are a sheet list. Every input must either work or fail
// with a message; broken promises trap, and the sanitizers report the rest.
#include "base/Error.h"
#include "base/Text.h"
#include "pageimport/PageImporter.h"
#include "pageimport/PublicationText.h"

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using namespace tabulix;

namespace {

void Check(bool promise) {
    if (!promise) __builtin_trap();
}

void FuzzSheetSpec(std::u16string_view sheetList) {
    const std::vector<std::u16string> items = ParseSheetSpec(sheetList);
    size_t total = 0;
    for (const std::u16string& item : items) {
        Check(!item.empty() && item == TrimView(item));
        total += item.size();
        // Every item selects a worksheet of its own name.
        Check(IsSheetRequested(item, sheetList));
        Check(sheetList.find(item) != std::u16string_view::npos);
    }
    Check(total <= sheetList.size());
    const std::u16string_view trimmed = TrimView(sheetList);
    if (trimmed.empty() || SameTextAscii(trimmed, u"ALL")) Check(items.empty() && IsSheetRequested(u"x", sheetList));
}

void FuzzPublication(const std::u16string& text, const std::vector<std::u16string>& sheetNames) {
    const int32_t existing = CountPageRecords(text);
    const int32_t width = ReadIntegerKey(text, u"ScreenWidth", DefaultScreenWidth);
    const int32_t height = ReadIntegerKey(text, u"ScreenHeight", DefaultScreenHeight);
    const int64_t firstGrid = NextGridNumber(text);
    Check(firstGrid >= 1 && firstGrid <= int64_t(INT32_MAX) + 1);
    const std::vector<std::u16string> pageNames = AssignPageNames(text, sheetNames);
    Check(pageNames.size() == sheetNames.size());
    for (size_t i = 0; i < pageNames.size(); ++i) {
        Check(!PageNameExists(text, pageNames[i]));
        for (size_t j = 0; j < i; ++j) Check(!SameTextAscii(pageNames[i], pageNames[j]));
    }

    const size_t marker = text.find(MasterPageMarker);
    if (marker == std::u16string::npos) return;
    if (firstGrid + int64_t(sheetNames.size()) - 1 > INT32_MAX) return;
    std::u16string generated;
    for (size_t i = 0; i < sheetNames.size(); ++i) {
        AppendImportedPage(generated, sheetNames[i], pageNames[i], firstGrid + int64_t(i), width, height,
                           u"[PubDir]Book.xlsx");
    }
    const std::u16string spliced = InsertAfterMasterPage(text, generated);
    // The splice keeps the text around it: everything up to the marker and its next character in front,
    // the generated records whole, and at most two line ends added.
    Check(spliced.size() >= text.size() + generated.size() && spliced.size() <= text.size() + generated.size() + 4);
    const size_t head = std::min(marker + MasterPageMarker.size() + 1, text.size());
    Check(std::u16string_view(spliced).substr(0, head) == std::u16string_view(text).substr(0, head));
    Check(spliced.find(MasterPageMarker) == marker);
    Check(spliced.find(generated, head) != std::u16string::npos);
    if (!sheetNames.empty()) {
        Check(NextGridNumber(spliced) >= firstGrid + int64_t(sheetNames.size()));
        // The first new page can run into a line of the head that ends only in LF; the others cannot.
        for (size_t i = 1; i < pageNames.size(); ++i) Check(PageNameExists(spliced, pageNames[i]));
    }
    try {
        VerifyImportedPublication(spliced, firstGrid, int32_t(sheetNames.size()), existing);
    } catch (const TTabulixError& error) {
        Check(error.Message().starts_with(u"Tabulix verification failed: "));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t nul = input.find('\0');
    const std::string_view publication = input.substr(0, nul);
    const std::string_view sheetList = nul == std::string_view::npos ? std::string_view() : input.substr(nul + 1);

    const std::u16string sheetListText = Utf8ToUtf16(sheetList);
    FuzzSheetSpec(sheetListText);
    std::vector<std::u16string> sheetNames = ParseSheetSpec(sheetListText);
    if (sheetNames.size() > 8) sheetNames.resize(8);
    if (sheetNames.empty()) sheetNames = {u"Sheet", u"Q1 2024", u"Q1-2024"};
    FuzzPublication(DecodePublicationBytes(publication), sheetNames);
    return 0;
}
