#include "workbook/XlsxWorkbook.h"

#include "base/Threads.h"

#include "base/Error.h"
#include "base/Files.h"
#include "base/Locale.h"
#include "base/Numbers.h"
#include "base/Text.h"
#include "workbook/PackageParts.h"
#include "workbook/SheetDataPositions.h"
#include "workbook/SheetLayoutXml.h"
#include "workbook/SheetList.h"
#include "workbook/StyleSheetReader.h"
#include "workbook/XlsxEditIndex.h"
#include "workbook/XmlHelpers.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace tabulix {

namespace {

bool IsAsciiLetter(char32_t c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Every ASCII letter of a reference goes to its column, every other character to its row number,
// which counts only when it is an optionally signed decimal integer (row 1 otherwise). A number beyond
// the range of rows stays beyond every sheet instead of wrapping into a small row.
template <typename CharT>
bool SplitCellRefOf(std::basic_string_view<CharT> ref, int32_t& col, int32_t& row) {
    col = 0;
    row = 0;
    int64_t letters = 0;
    size_t letterCount = 0;
    size_t numberLength = 0;
    size_t digitCount = 0;
    bool negative = false;
    bool isNumber = true;
    int64_t magnitude = 0;
    constexpr int64_t Beyond = int64_t(1) << 40; // past every row, whatever follows
    for (CharT ch : ref) {
        const char32_t c = char32_t(std::make_unsigned_t<CharT>(ch));
        if (IsAsciiLetter(c)) {
            const int64_t value = int64_t(AsciiUpperChar(char16_t(c))) - 64;
            letters = letters > (INT32_MAX / 26) ? int64_t(INT32_MAX) + 1 : letters * 26 + value;
            ++letterCount;
            continue;
        }
        if (numberLength++ == 0 && (c == '+' || c == '-')) {
            negative = c == '-';
        } else if (c >= '0' && c <= '9') {
            ++digitCount;
            if (magnitude < Beyond) magnitude = magnitude * 10 + int64_t(c - '0');
        } else {
            isNumber = false;
        }
    }
    if (letterCount == 0 || numberLength == 0) return false;
    col = letters > INT32_MAX ? INT32_MAX : int32_t(letters - 1);
    const int64_t rowNumber = isNumber && digitCount > 0 ? (negative ? -magnitude : magnitude) : 1;
    row = int32_t(std::clamp<int64_t>(rowNumber, int64_t(INT32_MIN) + 1, INT32_MAX) - 1);
    return true;
}

// Any length: zeros in front do not make a text less of an integer; a value beyond the range is none.
int64_t ReadIntegerOr(std::string_view text, int64_t fallback) { return ReadDecimalIntegerOr(text, fallback); }

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
namespace {

// The usual form of a reference, up to three upper-case letters and up to seven digits without a
// leading zero, read directly: how many characters it takes (0 when ref does not start so). charAt(i)
// is the character at i, or NUL past the end.
template <typename TCharAt>
size_t ReadUsualCellRef(TCharAt&& charAt, int32_t& col, int32_t& row) {
    size_t i = 0;
    int32_t letters = 0;
    for (char c = charAt(i); i < 3 && c >= 'A' && c <= 'Z'; c = charAt(++i)) letters = letters * 26 + (c - 'A' + 1);
    const size_t digitsStart = i;
    int32_t number = 0;
    for (char c = charAt(i); i - digitsStart < 7 && c >= '0' && c <= '9'; c = charAt(++i)) number = number * 10 + (c - '0');
    if (digitsStart == 0 || i == digitsStart || charAt(digitsStart) == '0') return 0;
    col = letters - 1;
    row = number - 1;
    return i;
}

} // namespace

bool SplitCellRef(std::string_view ref, int32_t& col, int32_t& row) {
    const auto charAt = [ref](size_t i) { return i < ref.size() ? ref[i] : '\0'; };
    const size_t read = ReadUsualCellRef(charAt, col, row);
    if (read > 0 && read == ref.size()) return true;
    return SplitCellRefOf(ref, col, row);
}

bool SplitCellRef(const char* ref, int32_t& col, int32_t& row) {
    // Read up to its end without measuring it first.
    const size_t read = ReadUsualCellRef([ref](size_t i) { return ref[i]; }, col, row);
    if (read > 0 && ref[read] == '\0') return true;
    return SplitCellRef(std::string_view(ref), col, row);
}

TXlsxWorkbook::TXlsxWorkbook() = default;
TXlsxWorkbook::~TXlsxWorkbook() = default;

void TXlsxWorkbook::ForgetEditIndex() {
    if (FEditIndex) WriteDeferredReferences(*FEditIndex);
    FEditIndex.reset();
}

std::string ReadPackageFile(const std::u16string& fileName) {
    const std::filesystem::path path = TextToPath(fileName);
    if (!FileExists(path)) throw TTabulixError(FormatMessageText(u"File not found: %s", {fileName}));
    return ReadFileBytes(path);
}

void TXlsxWorkbook::LoadFromFile(const std::u16string& fileName) {
    // Read once: loading and later saving never depend on the file staying in place.
    std::string package = ReadPackageFile(fileName);
    LoadPackage(fileName, package, &package);
}

void TXlsxWorkbook::LoadFromBytes(const std::u16string& fileName, std::string_view package) {
    LoadPackage(fileName, package, nullptr);
}

void TXlsxWorkbook::LoadFromFileToEdit(const std::u16string& fileName, const std::vector<int32_t>& sheetsToEdit) {
    FSheetsToEdit = sheetsToEdit;
    try {
        LoadFromFile(fileName);
    } catch (...) {
        FSheetsToEdit.clear();
        throw;
    }
    FSheetsToEdit.clear();
}

void TXlsxWorkbook::LoadPackage(const std::u16string& fileName, std::string_view package, std::string* release) {
    FEditIndex.reset(); // with the documents it refers to
    FOriginalEntries.Clear();
    FSheetDocs.clear();
    FParsedToEdit.clear();
    FSheets.clear();
    FPackageMap.reset();
    FPartTraits.clear();
    FCalcChainStale = false;
    FValuesChanged = false;
    FDate1904 = false;
    FFileName = fileName;
    FTimeSeparator = SystemTimeSeparator();
    try {
        std::vector<std::string> xmlBytes;
        std::vector<TPackageEntry> entries = ReadZipPackage(package, {}, &xmlBytes);
        std::vector<std::pair<std::string, std::string>> kept; // by stored name, the later of one name last
        for (size_t i = 0; i < entries.size(); ++i) {
            if (!xmlBytes[i].empty()) kept.emplace_back(entries[i].StoredName, std::move(xmlBytes[i]));
            FOriginalEntries.Add(std::move(entries[i]));
        }
        entries = {};
        // What the archive held is in the entries now; the file's bytes are not needed any more.
        if (release) *release = std::string();
        for (auto& [storedName, bytes] : kept) FLoadingBytes[FOriginalEntries.FindStored(storedName)] = std::move(bytes);
        kept = {};

        // The shared strings and the styles on one side, the sheets' list and the worksheets opened to
        // edit on the other: neither needs the other, and where threads are allowed they are read side
        // by side. The bytes the check kept are taken under a lock; what the second side finds is kept
        // once both ended.
        pugi::xml_document workbook;
        std::string workbookBytes;
        pugi::xml_document rels;
        std::string relsBytes;
        std::vector<TListedSheet> listed;
        std::vector<TSheetParsedToEdit> parsedToEdit;
        RunSideBySide(
            [&] {
                LoadSharedStrings();
                LoadStyles();
            },
            [&] {
                const bool hasWorkbook = ParsePart(parts::Workbook, workbook, workbookBytes);
                listed = ListVisibleSheets(hasWorkbook ? &workbook : nullptr, [&]() -> const pugi::xml_document* {
                    return ParsePart(parts::WorkbookRels, rels, relsBytes) ? &rels : nullptr;
                });
                parsedToEdit = ParseSheetsToEdit(listed);
            });
        for (TSheetParsedToEdit& parsed : parsedToEdit) {
            if (parsed.Failure) continue; // reported at the sheet's turn, as reading in turn would
            FPartTraits[parsed.Entry->Name] = parsed.Traits;
            FParsedToEdit[parsed.Entry->Name] = std::move(parsed.Document);
        }
        const std::u16string date1904 = AttrOrDefault(FirstChildNamed(RootElement(workbook), "workbookPr"), "date1904", u"");
        FDate1904 = date1904 == u"1" || SameTextAscii(date1904, u"true");

        std::vector<TXlsxSheet> loaded;
        for (size_t i = 0; i < listed.size(); ++i) {
            const bool toEdit = std::find(FSheetsToEdit.begin(), FSheetsToEdit.end(), int32_t(i)) != FSheetsToEdit.end();
            if (toEdit) RethrowParseFailure(parsedToEdit, listed[i]);
            loaded.push_back(ReadWorksheet(listed[i].PartName, listed[i].Name, toEdit));
        }
        FSheets = std::move(loaded);
        // The sheets hold on to the shared texts; the table's index is only needed while loading.
        FSharedHandles = {};
        FSharedTexts.reset();
        FLoadingBytes.clear();
    } catch (...) {
        FLoadingBytes.clear();
        FParsedToEdit.clear();
        FOriginalEntries.Clear();
        FSharedHandles = {};
        FSharedTexts.reset();
        FDateFormatIds.clear();
        FCellFormats.clear();
        throw;
    }
}

std::optional<std::string> TXlsxWorkbook::FindPartBytes(std::u16string_view entryName) const {
    const TPackageEntry* entry = FOriginalEntries.FindIgnoringCase(entryName);
    if (!entry) return std::nullopt;
    std::string bytes = InflateEntry(*entry);
    bytes.erase(0, ByteOrderMarkLength(bytes));
    return bytes;
}

std::optional<std::u16string> TXlsxWorkbook::ReadZipText(std::u16string_view entryName) const {
    const auto bytes = FindPartBytes(entryName);
    if (!bytes) return std::nullopt;
    return Utf8ToUtf16(*bytes);
}

std::string TXlsxWorkbook::TakeInflated(const TPackageEntry& entry) {
    std::unique_lock<std::mutex> lock(FLoadingLock);
    const auto found = FLoadingBytes.find(&entry);
    if (found == FLoadingBytes.end()) {
        lock.unlock();
        return InflateEntry(entry);
    }
    std::string bytes = std::move(found->second);
    FLoadingBytes.erase(found);
    return bytes;
}

bool TXlsxWorkbook::ParsePart(std::u16string_view entryName, pugi::xml_document& document, std::string& buffer) {
    const TPackageEntry* entry = FOriginalEntries.FindIgnoringCase(entryName);
    if (!entry) return false;
    buffer = TakeInflated(*entry);
    const size_t mark = ByteOrderMarkLength(buffer);
    ParseXmlPart(buffer.data() + mark, buffer.size() - mark, entryName, document);
    return true;
}

pugi::xml_document* TXlsxWorkbook::PartForChange(std::u16string_view entryName,
                                                 std::unique_ptr<pugi::xml_document>& scratch) {
    // Opened parts are kept under the entry's own name, whatever the case of the name asked for.
    const TPackageEntry* entry = FOriginalEntries.FindIgnoringCase(entryName);
    if (!entry) return nullptr;
    const auto open = FSheetDocs.find(entry->Name);
    if (open != FSheetDocs.end()) {
        JournalPart(entry->Name, true);
        return open->second.get();
    }
    const auto parsed = FParsedToEdit.find(entry->Name);
    if (parsed != FParsedToEdit.end()) {
        scratch = std::move(parsed->second);
        FParsedToEdit.erase(parsed);
    } else {
        scratch = ParseToChange(*entry);
    }
    return scratch.get();
}

std::unique_ptr<pugi::xml_document> TXlsxWorkbook::ParseToChange(
    const TPackageEntry& entry, const std::function<void(std::string_view)>& beforeParsing) const {
    auto document = std::make_unique<pugi::xml_document>();
    // Inflated into a buffer of its exact size that the document owns and parses in place.
    size_t size = size_t(entry.Size);
    char* bytes = AllocateXmlBuffer(size);
    try {
        InflateEntryInto(entry, bytes);
    } catch (...) {
        pugi::get_memory_deallocation_function()(bytes);
        throw;
    }
    const size_t mark = ByteOrderMarkLength(std::string_view(bytes, size));
    if (mark) {
        std::memmove(bytes, bytes + mark, size - mark);
        size -= mark;
    }
    if (beforeParsing) beforeParsing(std::string_view(bytes, size)); // parsing in place changes the bytes
    ParseXmlPartToChange(bytes, size, entry.Name, *document);
    return document;
}

void TXlsxWorkbook::KeepOpened(std::u16string_view entryName, std::unique_ptr<pugi::xml_document>& scratch) {
    if (!scratch) return;
    JournalPart(entryName, true); // the entry still holds what the part was before
    FSheetDocs.emplace(FOriginalEntries.FindIgnoringCase(entryName)->Name, std::move(scratch));
}

pugi::xml_document* TXlsxWorkbook::GetPartDocument(std::u16string_view entryName) {
    ForgetEditIndex(); // the caller may change the part
    std::unique_ptr<pugi::xml_document> scratch;
    pugi::xml_document* document = PartForChange(entryName, scratch);
    KeepOpened(entryName, scratch);
    return document;
}

namespace {

// The text of a shared-string item or an inline string: every t child, and the first t of each
// rich-text run, in document order; run properties and phonetic runs add nothing.
void AppendRichText(const pugi::xml_node& item, std::string& text, std::string& scratch) {
    for (pugi::xml_node part = FirstElement(item); part; part = NextElement(part)) {
        if (HasLocalNameIgnoringCase(part, "t")) {
            text += TextContentView(part, scratch);
        } else if (HasLocalNameIgnoringCase(part, "r")) {
            for (pugi::xml_node runPart = FirstElement(part); runPart; runPart = NextElement(runPart)) {
                if (HasLocalNameIgnoringCase(runPart, "t")) {
                    text += TextContentView(runPart, scratch);
                    break;
                }
            }
        }
    }
}

} // namespace

void TXlsxWorkbook::LoadSharedStrings() {
    FSharedTexts = std::make_shared<TTextPool>();
    FSharedHandles.clear();
    pugi::xml_document document;
    std::string bytes;
    if (!ParsePart(parts::SharedStrings, document, bytes)) return;
    const pugi::xml_node root = RootElement(document);
    std::string text;
    std::string scratch;
    std::u16string decoded;
    for (pugi::xml_node item = FirstElement(root); item; item = NextElement(item)) {
        text.clear();
        AppendRichText(item, text, scratch);
        decoded.clear();
        AppendUtf8AsUtf16(decoded, text);
        const bool escaped = decoded.find(u"_x") != std::u16string::npos;
        FSharedHandles.push_back(FSharedTexts->Add(escaped ? DecodeEscapedCharacters(decoded) : decoded));
    }
    FSharedTexts->ShrinkToFit();
}

TThemeColors TXlsxWorkbook::LoadThemeColors() {
    // Only colours come from the theme: a theme that cannot be read leaves the default ones.
    try {
        pugi::xml_document document;
        std::string bytes;
        if (ParsePart(parts::Theme, document, bytes)) return ReadThemeColors(RootElement(document));
    } catch (const TTabulixError&) {
    }
    return DefaultThemeColors();
}

void TXlsxWorkbook::LoadStyles() {
    FDateFormatIds.clear();
    FCellFormats.clear();
    FNumberFormats = TNumberFormatTable();
    FCellStyles = TCellStyles();
    FThemeColors = DefaultThemeColors();
    pugi::xml_document document;
    std::string bytes;
    if (!ParsePart(parts::Styles, document, bytes)) return;
    FThemeColors = LoadThemeColors();
    TWorkbookStyles styles = ReadStyles(RootElement(document));
    TakeStyles(styles);
}

TWorkbookStyles TXlsxWorkbook::ReadStyles(const pugi::xml_node& root) const {
    TWorkbookStyles styles;
    // The workbook's own codes by id, a later one for an id replacing an earlier one; each is read
    // once, by the first style that uses it.
    struct TCustomCode {
        std::u16string Code;
        bool IsDate = false;
        bool Read = false;
    };
    std::unordered_map<int64_t, TCustomCode> customCodes;
    for (pugi::xml_node format = FirstElement(FirstChildNamed(root, "numFmts")); format; format = NextElement(format)) {
        const int64_t id = ReadIntegerOr(format.attribute("numFmtId").value(), -1);
        if (id < 0) continue;
        TCustomCode& custom = customCodes[id];
        custom.Code = AttrOrDefault(format, "formatCode", u"");
        custom.IsDate = IsDateFormatCode(custom.Code);
    }
    const auto formatOf = [&](int64_t id) -> const TNumberFormat& {
        if (id < 0 || id > INT32_MAX) return styles.NumberFormats.Find(-1); // General
        const auto custom = customCodes.find(id);
        if (custom != customCodes.end() && !custom->second.Read) {
            styles.NumberFormats.Add(int32_t(id), custom->second.Code);
            custom->second.Read = true;
        }
        return styles.NumberFormats.Find(int32_t(id));
    };

    for (pugi::xml_node xf = FirstElement(FirstChildNamed(root, "cellXfs")); xf; xf = NextElement(xf)) {
        const int64_t formatId = ReadIntegerOr(xf.attribute("numFmtId").value(), 0);
        // A display text is a date by a built-in date id, or by a code of the workbook's own from id 164
        // on that has a date's letters; what the cell shows follows the code for its id, whatever it is.
        bool isDate = (formatId >= 14 && formatId <= 22) || (formatId >= 45 && formatId <= 47);
        if (!isDate && formatId >= 164) {
            const auto custom = customCodes.find(formatId);
            isDate = custom != customCodes.end() && custom->second.IsDate;
        }
        styles.DateFormatIds.push_back(isDate);
        styles.CellFormats.push_back(&formatOf(formatId));
    }
    styles.Cells = ReadStyleSheet(root, FThemeColors);
    return styles;
}

void TXlsxWorkbook::TakeStyles(TWorkbookStyles& styles) noexcept {
    // The formats' places do not change as the table moves: the cells' formats still point at them.
    FDateFormatIds = std::move(styles.DateFormatIds);
    FNumberFormats = std::move(styles.NumberFormats);
    FCellFormats = std::move(styles.CellFormats);
    FCellStyles.FStyles = std::move(styles.Cells.Styles);
    FCellStyles.FFonts = std::move(styles.Cells.Fonts);
    FCellStyles.FBorders = std::move(styles.Cells.Borders);
    FCellStyles.FDefaultFont = std::move(styles.Cells.DefaultFont);
}

bool TXlsxWorkbook::IsDateStyle(int64_t styleIndex) const {
    return styleIndex >= 0 && uint64_t(styleIndex) < FDateFormatIds.size() && FDateFormatIds[size_t(styleIndex)];
}

// The attributes of a c element, read in one pass.
struct TCellAttributes {
    const char* Ref = nullptr; // none when the cell has no r
    std::string_view Type;
    std::string_view Style;
};

namespace {

TCellAttributes ReadCellAttributes(const pugi::xml_node& cell) {
    TCellAttributes attributes;
    // Of an attribute written twice, the reference is the first and the type and style the last, as
    // the reader has always taken them.
    bool ref = false;
    for (pugi::xml_attribute a = cell.first_attribute(); a; a = a.next_attribute()) {
        const char* name = a.name();
        if (name[0] == '\0' || name[1] != '\0') continue;
        if (name[0] == 'r' && !ref) {
            attributes.Ref = a.value();
            ref = true;
        } else if (name[0] == 't') {
            attributes.Type = a.value();
        } else if (name[0] == 's') {
            attributes.Style = a.value();
        }
    }
    return attributes;
}

} // namespace

// A cell's display text appended to the sheet's pool without a string in between.
class TTextBuilder {
public:
    std::u16string& Start() {
        FText.clear();
        return FText;
    }
    std::string& Utf8() {
        FUtf8.clear();
        return FUtf8;
    }
    std::string& Scratch() { return FScratch; }

private:
    std::u16string FText;
    std::string FUtf8;
    std::string FScratch;
};

// The texts a worksheet's cells share while it loads, and room to build one.
struct TSheetReading {
    TTextBuilder Builder;
    uint32_t True = 0;
    uint32_t False = 0;
};

namespace {

// Whether a part's root is a worksheet: a chart sheet, a dialog sheet and a macro sheet have parts of
// their own kinds.
bool IsWorksheetRoot(const pugi::xml_node& root) { return !root || HasLocalName(root, "worksheet"); }

// A cell's s attribute as the index kept in the grid: 0 without one (or with one that is no index),
// and 65535 for every index from there on, which no workbook has.
uint16_t CellStyleIndex(std::string_view style) {
    if (style.empty()) return 0;
    const int64_t index = ReadIntegerOr(style, 0);
    return index <= 0 ? 0 : uint16_t(std::min<int64_t>(index, UINT16_MAX));
}

// A grid of the load limit's size cut where it lies to lastRow + 1 rows of lastCol + 1 cells: each row
// moves left to its place in the narrower grid (a place never after the row's own), so a sheet at the
// limit is taken as it is, without a copy. An empty grid stays empty.
template <typename T>
void CutLoadedGrid(std::vector<T>& cells, int32_t lastRow, int32_t lastCol) {
    if (cells.empty()) return;
    const size_t width = size_t(lastCol + 1);
    if (width < size_t(MaxLoadedCols)) {
        for (size_t r = 1; r <= size_t(lastRow); ++r) {
            std::copy_n(cells.begin() + ptrdiff_t(r * size_t(MaxLoadedCols)), width, cells.begin() + ptrdiff_t(r * width));
        }
    }
    cells.resize(size_t(lastRow + 1) * width);
    cells.shrink_to_fit();
}

} // namespace

std::unique_ptr<pugi::xml_document> TXlsxWorkbook::ParseSheetToEdit(const TPackageEntry& entry, TPartTraits& traits) {
    // The bytes the check kept go first, so that the document's own buffer takes their memory.
    {
        std::lock_guard<std::mutex> lock(FLoadingLock);
        FLoadingBytes.erase(&entry);
    }
    // Noted while the bytes are at hand, which parsing then changes.
    return ParseToChange(entry, [&](std::string_view inflated) { traits = TraitsOfPart(inflated); });
}

std::vector<TXlsxWorkbook::TSheetParsedToEdit> TXlsxWorkbook::ParseSheetsToEdit(const std::vector<TListedSheet>& listed) {
    std::vector<TSheetParsedToEdit> parsed;
    for (const int32_t index : FSheetsToEdit) {
        if (index < 0 || size_t(index) >= listed.size()) continue;
        const TPackageEntry* entry = FOriginalEntries.FindIgnoringCase(listed[size_t(index)].PartName);
        const bool seen = std::any_of(parsed.begin(), parsed.end(), [&](const TSheetParsedToEdit& p) { return p.Entry == entry; });
        if (!entry || seen) continue;
        TSheetParsedToEdit sheet;
        sheet.Entry = entry;
        try {
            sheet.Document = ParseSheetToEdit(*entry, sheet.Traits);
        } catch (...) {
            sheet.Failure = std::current_exception();
        }
        parsed.push_back(std::move(sheet));
    }
    return parsed;
}

void TXlsxWorkbook::RethrowParseFailure(const std::vector<TSheetParsedToEdit>& parsed, const TListedSheet& sheet) const {
    const TPackageEntry* entry = FOriginalEntries.FindIgnoringCase(sheet.PartName);
    for (const TSheetParsedToEdit& each : parsed) {
        if (each.Entry == entry && each.Failure) std::rethrow_exception(each.Failure);
    }
}

TXlsxSheet TXlsxWorkbook::ReadWorksheet(const std::u16string& partName, const std::u16string& name, bool toEdit) {
    TXlsxSheet sheet;
    sheet.Name = name;
    sheet.PartName = partName;
    sheet.FShared = FSharedTexts;
    const TPackageEntry* entry = FOriginalEntries.FindIgnoringCase(partName);
    if (!entry) return sheet;
    // The entry's own name, which edits and saving then reach whatever the case of the reference.
    sheet.PartName = entry->Name;
    std::string bytes;
    pugi::xml_document readOnly;
    const pugi::xml_document* document = &readOnly;
    if (toEdit) {
        // Parsed once, as the edit will open it (ParseSheetsToEdit).
        std::unique_ptr<pugi::xml_document>& parsed = FParsedToEdit[entry->Name];
        if (!parsed) parsed = ParseSheetToEdit(*entry, FPartTraits[entry->Name]);
        document = parsed.get();
    } else {
        bytes = TakeInflated(*entry);
        NotePartTraits(entry->Name, bytes); // while the bytes are at hand, which parsing then changes
        const size_t mark = ByteOrderMarkLength(bytes);
        ParseXmlPart(bytes.data() + mark, bytes.size() - mark, entry->Name, readOnly);
    }
    const pugi::xml_node root = RootElement(*document);
    sheet.IsWorksheet = IsWorksheetRoot(root);
    const TLayoutReach reach{MaxLoadedRows, MaxLoadedCols};
    ReadLayoutOutsideRows(root, reach, sheet.Layout);
    const pugi::xml_node sheetData = FirstChildNamed(root, "sheetData");
    if (!sheetData) return sheet;

    // One pass: every cell within the load limit goes into a grid of the limit's size, which is cut to
    // the rows and columns in use (those of every cell that stands somewhere, limited) at the end.
    int64_t maxRow = -1;
    int64_t maxCol = -1;
    std::vector<uint32_t> cells(size_t(MaxLoadedRows) * size_t(MaxLoadedCols), 0);
    std::vector<uint16_t> styles; // made once a cell has a style other than 0
    TSheetReading reading;
    TRowNumbering numbering;
    TRowSizeReader rowSizes(reach.Rows);
    for (pugi::xml_node row = FirstRow(sheetData); row; row = NextRow(row)) {
        const int64_t rowNumber = numbering.Next(row);
        rowSizes.Read(row, rowNumber);
        TCellPlacing placing(rowNumber);
        for (pugi::xml_node cell = FirstCell(row); cell; cell = NextCell(cell)) {
            const TCellAttributes attributes = ReadCellAttributes(cell);
            const auto position = placing.Next(attributes.Ref);
            if (!position) continue;
            const int64_t r = position->RowNumber - 1;
            const int64_t col = position->Col;
            maxRow = std::max(maxRow, r);
            maxCol = std::max(maxCol, col);
            if (r < 0 || r >= MaxLoadedRows || col < 0 || col >= MaxLoadedCols) continue;
            const size_t at = size_t(r) * size_t(MaxLoadedCols) + size_t(col);
            cells[at] = CellText(cell, attributes, sheet, reading);
            const uint16_t style = CellStyleIndex(attributes.Style);
            if (style != 0 && styles.empty()) styles.assign(cells.size(), 0);
            if (!styles.empty()) styles[at] = style;
        }
    }
    sheet.Layout.Rows = rowSizes.Finish();
    if (maxRow < 0) {
        // No cell that stands in a row: an empty grid of the viewer's default size.
        sheet.Reset(100, 26);
        return sheet;
    }
    const int32_t lastRow = int32_t(std::min<int64_t>(maxRow, MaxLoadedRows - 1));
    const int32_t lastCol = int32_t(std::clamp<int64_t>(maxCol, 0, MaxLoadedCols - 1));
    CutLoadedGrid(cells, lastRow, lastCol);
    CutLoadedGrid(styles, lastRow, lastCol);
    sheet.RowCount = lastRow + 1;
    sheet.ColCount = lastCol + 1;
    sheet.FCells = std::move(cells);
    sheet.FStyles = std::move(styles);
    sheet.FTexts.ShrinkToFit();
    sheet.FSerials.shrink_to_fit();
    sheet.SortSerials(); // in order already, unless texts longer than a block came between
    return sheet;
}

uint32_t TXlsxWorkbook::CellText(const pugi::xml_node& cell, const TCellAttributes& attributes, TXlsxSheet& sheet,
                                  TSheetReading& reading) const {
    TTextBuilder& builder = reading.Builder;
    if (SameTextAscii(attributes.Type, "inlineStr")) {
        std::string& text = builder.Utf8();
        AppendRichText(FirstChildNamed(cell, "is"), text, builder.Scratch());
        if (text.empty()) return 0;
        std::u16string& decoded = builder.Start();
        AppendUtf8AsUtf16(decoded, text);
        if (decoded.find(u"_x") == std::u16string::npos) return sheet.FTexts.Add(decoded);
        return sheet.FTexts.Add(DecodeEscapedCharacters(decoded));
    }
    const pugi::xml_node value = FirstChildNamed(cell, "v");
    if (!value) return 0;
    const std::string_view stored = TextContentView(value, builder.Scratch());
    if (SameTextAscii(attributes.Type, "s")) {
        const int64_t index = ReadIntegerOr(stored, -1);
        if (index < 0 || index >= int64_t(FSharedHandles.size())) return 0;
        const uint32_t handle = FSharedHandles[size_t(index)];
        return handle ? (handle | TXlsxSheet::SharedText) : 0;
    }
    constexpr uint32_t AsStored = TXlsxSheet::KindMark(TCellKind::AsStored);
    if (SameTextAscii(attributes.Type, "b")) {
        if (stored == "1") return reading.True ? reading.True : (reading.True = sheet.FTexts.Add(u"TRUE") | AsStored);
        return reading.False ? reading.False : (reading.False = sheet.FTexts.Add(u"FALSE") | AsStored);
    }
    std::u16string& text = builder.Start();
    AppendUtf8AsUtf16(text, stored);
    if (SameTextAscii(attributes.Type, "e")) return sheet.FTexts.Add(text) | AsStored;
    if (SameTextAscii(attributes.Type, "str")) return sheet.FTexts.Add(text);
    // A date keeps its serial beside its display text.
    const auto addDate = [&sheet](std::u16string_view dateText, double serial) {
        const uint32_t handle = sheet.FTexts.Add(dateText) | TXlsxSheet::KindMark(TCellKind::Date);
        sheet.FSerials.emplace_back(handle, serial);
        return handle;
    };
    if (SameTextAscii(attributes.Type, "d")) {
        if (const auto serial = IsoDateTimeSerial(text, FDate1904)) return addDate(text, *serial);
    }
    if (IsDateStyle(ReadIntegerOr(attributes.Style, -1))) {
        if (const auto serial = ReadDecimalNumber(text)) {
            if (const auto date = SerialToDateText(*serial, FTimeSeparator, FDate1904)) return addDate(*date, *serial);
        }
    }
    return sheet.FTexts.Add(text) | TXlsxSheet::KindMark(TCellKind::Number);
}

} // namespace tabulix
