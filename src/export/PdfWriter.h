#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tabulix {

// A minimal PDF 1.4 writer: numbered objects collected in memory, written once, in order, with the
// cross-reference table counted while writing. Object 1 is the Helvetica font, 2 the page tree and
// 3 the catalog; each page adds its content stream and then the page object.
class TPdfWriter {
public:
    TPdfWriter();
    ~TPdfWriter();
    TPdfWriter(const TPdfWriter&) = delete;
    TPdfWriter& operator=(const TPdfWriter&) = delete;

    // content is the page's content stream as the bytes to write (its texts in Windows-1252, the
    // font's encoding); returns the page's object number.
    int32_t AddPage(std::string_view content, double pageWidth, double pageHeight);
    // Writes the file beside the target and moves it over an existing one.
    void SaveToFile(const std::u16string& fileName);
    // The file's bytes, as SaveToFile writes them.
    std::string SaveToBytes();

    int32_t PageCount() const { return int32_t(FPageObjNums.size()); }

private:
    int32_t AddObject(std::string body);

    std::vector<std::string> FObjects; // object number = position + 1
    std::vector<int32_t> FPageObjNums;
    int32_t FFontObjNum = 0;
    int32_t FPagesObjNum = 0;
    int32_t FCatalogObjNum = 0;
};

} // namespace tabulix
