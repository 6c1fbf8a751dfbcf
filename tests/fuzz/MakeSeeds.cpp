// Writes the seed corpus of the workbook fuzzer: the test fixtures' kinds of workbook, as whole
// packages (first byte 0) and as parts (first byte 1).
#include "support/XlsxFixture.h"
#include "workbook/XlsxBlankTemplate.h"

#include <fstream>
#include <iostream>
#include <string>
#include <vector>

using namespace tabulix::testing;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: tabulix_fuzz_seeds FOLDER\n";
        return 2;
    }
    const std::string rows = "<row r=\"1\">" + CellXml("A1", "0", "s") + CellXml("B1", "45292.75", "", "1") +
                             CellXml("C1", "1", "b") + CellXml("D1", "#N/A", "e") + "</row><row r=\"2\">" +
                             "<c r=\"A2\" t=\"inlineStr\"><is><t>in_x000D_line</t></is></c>" + CellXml("GR2000", "9") +
                             "</row>";
    const std::string strings = "<si><t>plain</t></si><si><r><t>run</t></r><rPh><t>ph</t></rPh></si>";
    const std::string styles = StylesXml({0, 14, 164}, {{164, "0.00;[Red]-0.00"}});
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
    return 0;
}
