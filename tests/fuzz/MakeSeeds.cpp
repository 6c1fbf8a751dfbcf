// Writes the seed corpus of the workbook fuzzer: the test fixtures' kinds of workbook, as whole
// packages (first byte 0) and as parts (first byte 1); and that of the number format fuzzer: values
// under every built-in code and a few that use what the built-in ones do not.
#include "base/Text.h"
#include "format/NumberFormat.h"
#include "support/XlsxFixture.h"
#include "workbook/XlsxBlankTemplate.h"

#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

using namespace tabulix::testing;

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: tabulix_fuzz_seeds WORKBOOK_FOLDER NUMBER_FORMAT_FOLDER\n";
        return 2;
    }
    const std::string rows = "<row r=\"1\">" + CellXml("A1", "0", "s", "3") + CellXml("B1", "45292.75", "", "1") +
                             CellXml("C1", "1", "b", "2") + CellXml("D1", "#N/A", "e") + CellXml("E1", "-2.5", "", "2") +
                             "</row><row r=\"2\">" +
                             "<c r=\"A2\" t=\"inlineStr\"><is><t>in_x000D_line</t></is></c>" + CellXml("GR2000", "9") +
                             "</row>";
    const std::string strings = "<si><t>plain</t></si><si><r><t>run</t></r><rPh><t>ph</t></rPh></si>";
    const std::string styles = StylesXml({0, 14, 164, 165}, {{164, "0.00;[Red]-0.00"}, {165, "@\" units\""}});
    const std::vector<std::string> packages = {
        tabulix::BlankWorkbookBytes(),
        TXlsxFixture().Sheet("Data", rows).SharedStrings({"<t>plain</t>", "<r><t>run</t></r>"}).Styles(styles).Bytes(),
        TXlsxFixture().Sheet("A", "").Sheet("B", rows, "hidden").Sheet("C", rows).Bytes(),
    };
    const std::vector<std::string> partSets = {
        "<worksheet><sheetData>" + rows + "</sheetData></worksheet>" + '\0' + "<sst>" + strings + "</sst>" + '\0' +
            "<styleSheet>" + styles + "</styleSheet>",
    };
    int n = 0;
    for (const std::string& package : packages) std::ofstream(std::string(argv[1]) + "/package" + std::to_string(n++), std::ios::binary) << '\0' << package;
    for (const std::string& parts : partSets) std::ofstream(std::string(argv[1]) + "/parts" + std::to_string(n++), std::ios::binary) << '\1' << parts;

    std::vector<std::string> codes = {"[>=100][Red]#,##0.00;[Blue]-0.0%;\"zero\";\"Text: \"@",
                                      "[$\xE2\x82\xAC-407]* #,##0_);(#,##0,,\"M\")", "y yy mmmmm dddd [mm]:ss.00 A/P"};
    for (int32_t id = 0; id < 50; ++id) codes.push_back(tabulix::Utf16ToUtf8(tabulix::BuiltInFormatCode(id)));
    n = 0;
    for (const double value : {1234.5, -45292.75, 0.125}) {
        for (const std::string& code : codes) {
            char head[9];
            std::memcpy(head, &value, sizeof value);
            head[8] = char(n % 2);
            std::ofstream(std::string(argv[2]) + "/code" + std::to_string(n++), std::ios::binary)
                << std::string(head, sizeof head) << code << '\0' << "text";
        }
    }
    return 0;
}
