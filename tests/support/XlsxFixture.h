#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tabulix::testing {

// Builds small .xlsx packages in code: the parts a reader needs, with the sheet data, shared strings
// and styles a test gives as XML text, and any extra or replacing entries.
class TXlsxFixture {
public:
    // A worksheet whose sheetData holds rowsXml; state is written when not empty. The worksheet part
    // is xl/worksheets/sheetN.xml for the N-th sheet added.
    TXlsxFixture& Sheet(const std::string& name, const std::string& rowsXml, const std::string& state = "");
    // The si elements of xl/sharedStrings.xml (only written when given).
    TXlsxFixture& SharedStrings(const std::vector<std::string>& itemsXml);
    // The content of the styleSheet element of xl/styles.xml (only written when given).
    TXlsxFixture& Styles(const std::string& styleSheetXml);
    // An entry written as given, replacing a generated one of the same name.
    TXlsxFixture& Entry(const std::string& name, const std::string& bytes);
    // An entry whose name (ten bytes or more) is written as the given bytes without the UTF-8 flag, as
    // old archivers write names in code page 437.
    TXlsxFixture& StoredEntry(const std::string& storedName, const std::string& bytes);
    // Every generated part begins with an XML declaration and a line break, as LibreOffice writes them.
    TXlsxFixture& Declared();
    // An entry left out of the package.
    TXlsxFixture& Without(const std::string& name);

    std::string Bytes() const;
    void WriteTo(const std::filesystem::path& path) const;

private:
    struct TSheet {
        std::string Name, RowsXml, State;
    };
    std::vector<TSheet> FSheets;
    std::vector<std::string> FSharedStrings;
    bool FHasSharedStrings = false;
    std::string FStyles;
    std::vector<std::pair<std::string, std::string>> FEntries;
    std::vector<std::pair<std::string, std::string>> FStoredEntries;
    std::vector<std::string> FWithout;
    bool FDeclared = false;
};

// A cell element: <c r="ref" t="type" s="style"><v>value</v></c>, attributes left out when empty.
std::string CellXml(const std::string& ref, const std::string& value, const std::string& type = "",
                    const std::string& style = "");

// Rows of cells holding the texts as inline strings, A1 first, one vector a row (columns A to Z).
std::string InlineRowsXml(const std::vector<std::vector<std::string>>& rows);

// The text of a cell of a workbook file as a new load reads it.
std::u16string SavedCellText(const std::filesystem::path& file, int32_t row, int32_t col, int32_t sheet = 0);

// styles.xml content whose cellXfs hold one xf per given numFmtId, after numFmts of the given custom
// formats (id, code).
std::string StylesXml(const std::vector<int>& cellFormatIds,
                      const std::vector<std::pair<int, std::string>>& customFormats = {});

} // namespace tabulix::testing
