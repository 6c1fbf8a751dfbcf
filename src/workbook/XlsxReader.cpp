#include "workbook/XlsxReader.h"

#include "base/Error.h"
#include "base/Files.h"
#include "base/Locale.h"
#include "base/Numbers.h"
#include "base/Text.h"
#include "workbook/PackageParts.h"
#include "workbook/XmlHelpers.h"

#include <algorithm>
#include <climits>

namespace tabulix {

namespace {

std::string_view WithoutByteOrderMark(std::string_view bytes) {
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    return bytes;
}

bool IsAsciiLetter(char32_t c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The 0-based row of a cell reference's number part. A number beyond the range of rows stays beyond
// every sheet instead of wrapping into a small row; a part that is not a number at all is row 1.
int32_t RowOfNumberPart(std::u16string_view number) {
    std::u16string_view digits = number;
    const bool negative = !digits.empty() && digits[0] == u'-';
    if (!digits.empty() && (digits[0] == u'+' || negative)) digits.remove_prefix(1);
    const bool isNumber = !digits.empty() && digits.find_first_not_of(u"0123456789") == std::u16string_view::npos;
    int64_t rowNumber = 1;
    if (isNumber) rowNumber = ReadDecimalInteger(number).value_or(negative ? INT64_MIN : INT64_MAX);
    return int32_t(std::clamp<int64_t>(rowNumber, int64_t(INT32_MIN) + 1, INT32_MAX) - 1);
}

template <typename CharT>
bool SplitCellRefOf(std::basic_string_view<CharT> ref, int32_t& col, int32_t& row) {
    col = 0;
    row = 0;
    int64_t letters = 0;
    size_t letterCount = 0;
    std::u16string number;
    for (CharT ch : ref) {
        const char32_t c = char32_t(std::make_unsigned_t<CharT>(ch));
        if (IsAsciiLetter(c)) {
            const int64_t value = int64_t(AsciiUpperChar(char16_t(c))) - 64;
            letters = letters > (INT32_MAX / 26) ? int64_t(INT32_MAX) + 1 : letters * 26 + value;
            ++letterCount;
        } else {
            number += char16_t(c < 0x10000 ? c : 0xFFFD);
        }
    }
    if (letterCount == 0 || number.empty()) return false;
    col = letters > INT32_MAX ? INT32_MAX : int32_t(letters - 1);
    row = RowOfNumberPart(number);
    return true;
}

// The attributes of a c element, read in one pass.
struct TCellAttributes {
    std::string_view Ref;
    std::string_view Type;
    std::string_view Style;
};

TCellAttributes ReadCellAttributes(const pugi::xml_node& cell) {
    TCellAttributes attributes;
    for (pugi::xml_attribute a = cell.first_attribute(); a; a = a.next_attribute()) {
        const std::string_view name = a.name();
        if (name == "r") attributes.Ref = a.value();
        else if (name == "t") attributes.Type = a.value();
        else if (name == "s") attributes.Style = a.value();
    }
    return attributes;
}

// Any length: zeros in front do not make a text less of an integer; a value beyond the range is none.
int64_t ReadIntegerOr(std::string_view text, int64_t fallback) {
    if (text.empty()) return fallback;
    return ReadDecimalIntegerOr(AsciiToUtf16(text), fallback);
}

} // namespace

std::u16string ColumnIndexToLetters(int32_t index) {
    std::u16string letters;
    for (int64_t n = int64_t(index) + 1; n > 0 && index >= 0; n = (n - 1) / 26) {
        letters.insert(letters.begin(), char16_t(u'A' + (n - 1) % 26));
    }
    return letters;
}

int32_t ColumnLettersToIndex(std::u16string_view letters) {
    int64_t value = 0;
    for (char16_t c : letters) {
        value = value * 26 + (int64_t(AsciiUpperChar(c)) - 64);
        if (value > INT32_MAX) return INT32_MAX;
        if (value < INT32_MIN) return INT32_MIN;
    }
    return int32_t(value - 1);
}

bool SplitCellRef(std::u16string_view ref, int32_t& col, int32_t& row) { return SplitCellRefOf(ref, col, row); }
bool SplitCellRef(std::string_view ref, int32_t& col, int32_t& row) { return SplitCellRefOf(ref, col, row); }

TXlsxWorkbook::TXlsxWorkbook() = default;
TXlsxWorkbook::~TXlsxWorkbook() = default;

void TXlsxWorkbook::LoadFromFile(const std::u16string& fileName) {
    const std::filesystem::path path = TextToPath(fileName);
    if (!FileExists(path)) throw TTabulixError(FormatMessageText(u"File not found: %s", {fileName}));
    // Read once: loading and later saving never depend on the file staying in place.
    const std::string package = ReadFileBytes(path);
    LoadFromBytes(fileName, package);
}

void TXlsxWorkbook::LoadFromBytes(const std::u16string& fileName, std::string_view package) {
    FOriginalEntries.Clear();
    FSheetDocs.clear();
    FSheets.clear();
    FDate1904 = false;
    FFileName = fileName;
    FTimeSeparator = SystemTimeSeparator();
    try {
        for (TZipEntry& entry : ReadZipArchive(package)) FOriginalEntries.Add(std::move(entry));
        LoadSharedStrings();
        LoadDateStyles();

        pugi::xml_document workbook;
        if (!ParsePart(parts::Workbook, workbook)) {
            throw TTabulixError(u"This does not look like a valid .xlsx workbook (xl/workbook.xml missing).");
        }
        const pugi::xml_node root = RootElement(workbook);
        if (!root) throw TTabulixError(u"Could not parse xl/workbook.xml.");
        const pugi::xml_node sheets = FirstChildNamed(root, "sheets");
        if (!sheets) throw TTabulixError(u"Workbook contains no worksheets.");
        const std::u16string date1904 = AttrOrDefault(FirstChildNamed(root, "workbookPr"), "date1904", u"");
        FDate1904 = date1904 == u"1" || SameTextAscii(date1904, u"true");

        std::vector<TXlsxSheet> loaded;
        // The relationships part is read once, when the first visible sheet needs it.
        std::unique_ptr<pugi::xml_document> rels;
        bool relsRead = false;
        int position = 0;
        for (pugi::xml_node sheet = FirstElement(sheets); sheet; sheet = NextElement(sheet)) {
            ++position;
            const std::u16string state = AttrOrDefault(sheet, "state", u"visible");
            if (SameTextAscii(state, u"hidden") || SameTextAscii(state, u"veryHidden")) continue;
            const std::u16string name = AttrOrDefault(sheet, "name", u"Sheet" + IntToText(position));
            std::u16string relId = AttrOrDefault(sheet, "r:id", u"");
            if (relId.empty()) relId = AttrOrDefault(sheet, "id", u"");
            if (!relsRead) {
                relsRead = true;
                rels = std::make_unique<pugi::xml_document>();
                if (!ParsePart(parts::WorkbookRels, *rels)) rels.reset();
            }
            const std::u16string partName = ResolveRelTarget(rels.get(), relId);
            if (partName.empty()) continue;
            loaded.push_back(ReadWorksheet(partName, name));
        }
        if (loaded.empty()) throw TTabulixError(u"No visible worksheets were found in this workbook.");
        FSheets = std::move(loaded);
    } catch (...) {
        FOriginalEntries.Clear();
        FSharedStrings.clear();
        FDateFormatIds.clear();
        throw;
    }
}

std::optional<std::string_view> TXlsxWorkbook::FindPartBytes(std::u16string_view entryName) const {
    const TZipEntry* entry = FOriginalEntries.FindIgnoringCase(entryName);
    if (!entry) return std::nullopt;
    return WithoutByteOrderMark(entry->Bytes);
}

std::optional<std::u16string> TXlsxWorkbook::ReadZipText(std::u16string_view entryName) const {
    const auto bytes = FindPartBytes(entryName);
    if (!bytes) return std::nullopt;
    return Utf8ToUtf16(*bytes);
}

bool TXlsxWorkbook::ParsePart(std::u16string_view entryName, pugi::xml_document& document) const {
    const auto bytes = FindPartBytes(entryName);
    if (!bytes) return false;
    ParseXmlPart(*bytes, entryName, document);
    return true;
}

pugi::xml_document* TXlsxWorkbook::PartForChange(std::u16string_view entryName,
                                                 std::unique_ptr<pugi::xml_document>& scratch) {
    // Opened parts are kept under the entry's own name, whatever the case of the name asked for.
    const TZipEntry* entry = FOriginalEntries.FindIgnoringCase(entryName);
    if (!entry) return nullptr;
    const auto open = FSheetDocs.find(entry->Name);
    if (open != FSheetDocs.end()) return open->second.get();
    scratch = std::make_unique<pugi::xml_document>();
    ParseXmlPart(WithoutByteOrderMark(entry->Bytes), entry->Name, *scratch, true);
    return scratch.get();
}

void TXlsxWorkbook::KeepOpened(std::u16string_view entryName, std::unique_ptr<pugi::xml_document>& scratch) {
    if (!scratch) return;
    FSheetDocs.emplace(FOriginalEntries.FindIgnoringCase(entryName)->Name, std::move(scratch));
}

pugi::xml_document* TXlsxWorkbook::GetPartDocument(std::u16string_view entryName) {
    std::unique_ptr<pugi::xml_document> scratch;
    pugi::xml_document* document = PartForChange(entryName, scratch);
    KeepOpened(entryName, scratch);
    return document;
}

void TXlsxWorkbook::LoadSharedStrings() {
    FSharedStrings.clear();
    pugi::xml_document document;
    if (!ParsePart(parts::SharedStrings, document)) return;
    const pugi::xml_node root = RootElement(document);
    for (pugi::xml_node item = FirstElement(root); item; item = NextElement(item)) {
        std::string text;
        for (pugi::xml_node part = FirstElement(item); part; part = NextElement(part)) {
            if (HasLocalNameIgnoringCase(part, "t")) {
                text += TextContentUtf8(part);
            } else if (HasLocalNameIgnoringCase(part, "r")) {
                // A rich-text run: its text, without its run properties.
                for (pugi::xml_node runPart = FirstElement(part); runPart; runPart = NextElement(runPart)) {
                    if (HasLocalNameIgnoringCase(runPart, "t")) {
                        text += TextContentUtf8(runPart);
                        break;
                    }
                }
            }
        }
        FSharedStrings.push_back(DecodeEscapedCharacters(Utf8ToUtf16(text)));
    }
}

void TXlsxWorkbook::LoadDateStyles() {
    FDateFormatIds.clear();
    pugi::xml_document document;
    if (!ParsePart(parts::Styles, document)) return;
    const pugi::xml_node root = RootElement(document);

    std::unordered_map<int64_t, bool> customFormats;
    for (pugi::xml_node format = FirstElement(FirstChildNamed(root, "numFmts")); format; format = NextElement(format)) {
        const int64_t id = ReadIntegerOr(format.attribute("numFmtId").value(), -1);
        if (id >= 0) customFormats[id] = IsDateFormatCode(AttrOrDefault(format, "formatCode", u""));
    }

    int32_t index = 0;
    for (pugi::xml_node xf = FirstElement(FirstChildNamed(root, "cellXfs")); xf; xf = NextElement(xf), ++index) {
        const int64_t formatId = ReadIntegerOr(xf.attribute("numFmtId").value(), 0);
        bool isDate = (formatId >= 14 && formatId <= 22) || (formatId >= 45 && formatId <= 47);
        if (!isDate && formatId >= 164) {
            const auto custom = customFormats.find(formatId);
            isDate = custom != customFormats.end() && custom->second;
        }
        FDateFormatIds[index] = isDate;
    }
}

bool TXlsxWorkbook::IsDateStyle(int64_t styleIndex) const {
    if (styleIndex < 0 || styleIndex > INT32_MAX) return false;
    const auto found = FDateFormatIds.find(int32_t(styleIndex));
    return found != FDateFormatIds.end() && found->second;
}

TXlsxSheet TXlsxWorkbook::ReadWorksheet(const std::u16string& partName, const std::u16string& name) const {
    TXlsxSheet sheet;
    sheet.Name = name;
    sheet.PartName = partName;
    const TZipEntry* entry = FOriginalEntries.FindIgnoringCase(partName);
    if (!entry) return sheet;
    // The entry's own name, which edits and saving then reach whatever the case of the reference.
    sheet.PartName = entry->Name;
    pugi::xml_document document;
    ParseXmlPart(WithoutByteOrderMark(entry->Bytes), entry->Name, document);
    const pugi::xml_node sheetData = FirstChildNamed(RootElement(document), "sheetData");
    if (!sheetData) return sheet;

    int32_t maxRow = -1;
    int32_t maxCol = -1;
    for (pugi::xml_node row = FirstElement(sheetData); row; row = NextElement(row)) {
        for (pugi::xml_node cell = FirstElement(row); cell; cell = NextElement(cell)) {
            int32_t col = 0;
            int32_t r = 0;
            if (!SplitCellRef(std::string_view(cell.attribute("r").value()), col, r)) continue;
            if (r > maxRow) maxRow = r;
            if (col > maxCol) maxCol = col;
        }
    }
    if (maxRow < 0) {
        // Nothing but cells without a usable reference: an empty grid of the viewer's default size.
        sheet.RowCount = 100;
        sheet.ColCount = 26;
        sheet.Data.assign(100, std::vector<std::u16string>(26));
        return sheet;
    }
    maxRow = std::min(maxRow, MaxLoadedRows - 1);
    maxCol = std::min(std::max(maxCol, int32_t(0)), MaxLoadedCols - 1);
    sheet.RowCount = maxRow + 1;
    sheet.ColCount = maxCol + 1;
    sheet.Data.assign(size_t(sheet.RowCount), std::vector<std::u16string>(size_t(sheet.ColCount)));

    for (pugi::xml_node row = FirstElement(sheetData); row; row = NextElement(row)) {
        for (pugi::xml_node cell = FirstElement(row); cell; cell = NextElement(cell)) {
            int32_t col = 0;
            int32_t r = 0;
            if (!SplitCellRef(std::string_view(cell.attribute("r").value()), col, r)) continue;
            if (r < 0 || r > maxRow || col < 0 || col > maxCol) continue;
            sheet.Data[size_t(r)][size_t(col)] = CellText(cell);
        }
    }
    return sheet;
}

std::u16string TXlsxWorkbook::CellText(const pugi::xml_node& cell) const {
    const TCellAttributes attributes = ReadCellAttributes(cell);
    if (SameTextAscii(attributes.Type, "inlineStr")) {
        const pugi::xml_node text = FirstChildNamed(FirstChildNamed(cell, "is"), "t");
        return text ? DecodeEscapedCharacters(TextContent(text)) : std::u16string();
    }
    const pugi::xml_node value = FirstChildNamed(cell, "v");
    if (!value) return {};
    const std::string stored = TextContentUtf8(value);
    if (SameTextAscii(attributes.Type, "s")) {
        const int64_t index = ReadIntegerOr(stored, -1);
        if (index >= 0 && index < int64_t(FSharedStrings.size())) return FSharedStrings[size_t(index)];
        return {};
    }
    if (SameTextAscii(attributes.Type, "b")) return stored == "1" ? u"TRUE" : u"FALSE";
    if (SameTextAscii(attributes.Type, "e") || SameTextAscii(attributes.Type, "str")) return Utf8ToUtf16(stored);
    std::u16string text = Utf8ToUtf16(stored);
    if (IsDateStyle(ReadIntegerOr(attributes.Style, -1))) {
        if (const auto serial = ReadDecimalNumber(text)) {
            if (auto date = SerialToDateText(*serial, FTimeSeparator, FDate1904)) return *date;
        }
    }
    return text;
}

} // namespace tabulix
