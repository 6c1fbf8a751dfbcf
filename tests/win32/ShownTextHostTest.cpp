// Numbers shown as their formats say, in the 64-bit DLL driven by the reference host: the painted
// grid photographed, found by its shown texts, edited through the texts the file stores.
#include "support/TempFolder.h"
#include "support/XlsxFixture.h"
#include "win32/HostProcess.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <tuple>
#include <vector>

using namespace tabulix;
using namespace tabulix::testing;

namespace {

// Each row: a label, then a positive and a negative value under one format (the style of the row).
const std::vector<std::tuple<std::string, std::string, std::string>> FormatRows = {
    {"Currency", "1234.5", "-1234.5"}, {"Percent", "0.125", "-0.5"},   {"Date", "45292", "45366.5"},
    {"Time", "0.75", "0.3125"},        {"Fraction", "1.25", "-3.375"}, {"Red minus", "42.5", "-42.5"},
    {"Accounting", "1234.5", "-7"},    {"Scientific", "12345", "-0.000123"}, {"Past 9999", "2958466", "-1"},
};

// The labels as shared strings: the header's three, then each row's.
std::vector<std::string> Labels() {
    std::vector<std::string> items = {"<t>Format</t>", "<t>Positive</t>", "<t>Negative</t>"};
    for (const auto& row : FormatRows) items.push_back("<t>" + std::get<0>(row) + "</t>");
    return items;
}

std::string FormatSheet() {
    std::string xml = "<row r=\"1\">" + CellXml("A1", "0", "s") + CellXml("B1", "1", "s") + CellXml("C1", "2", "s") + "</row>";
    for (size_t n = 0; n < FormatRows.size(); ++n) {
        const std::string row = std::to_string(n + 2);
        const std::string style = std::to_string(n + 1);
        const auto& [label, positive, negative] = FormatRows[n];
        xml += "<row r=\"" + row + "\">" + CellXml("A" + row, std::to_string(n + 3), "s") +
               CellXml("B" + row, positive, "", style) + CellXml("C" + row, negative, "", style) + "</row>";
    }
    return xml;
}

std::string FormatStyles() {
    return StylesXml({0, 8, 166, 14, 18, 12, 167, 44, 11, 14},
                     {{166, "0.0%"}, {167, "#,##0.00;[Red]-#,##0.00"}});
}

} // namespace

TEST(ShownTextByHand, NumbersPaintAsTheirFormatsSayAndEditAsStored) {
    TTempFolder folder;
    TXlsxFixture().Styles(FormatStyles()).SharedStrings(Labels()).Sheet("Formats", FormatSheet()).WriteTo(folder / u"Formats.xlsx");
    const std::string book = Windows(folder / u"Formats.xlsx");
    const std::string shot = Windows(folder / u"number-formats.png");
    // The ribbon on top: the header row from y 62, row n from 62 + 22 n, column B from x 142; Review is
    // the sixth tab.
    const std::string find = "answer-menu Find\nclick Rect1 420 10\nexpect-menu Find\n";
    ExpectPassed(RunHostScript(ScriptStart + "rect Rect1 20 30 480 300\n"
                               "exec TabulixOpen Rect1 \"" + book + "\" Grid Top No\nexpect-result true\npump 300\n"
                               "screenshot-rect Rect1 " + shot + "\n" +
                               // Found by what it shows, edited as the file stores it.
                               find + "char Rect1 \"$1,234.50\"\nkey Rect1 VK_RETURN\nexpect-focus Rect1 viewer\n"
                               "key Rect1 VK_RETURN\nexpect-edit Rect1 1234.5\nfocus-host\n" +
                               find + "char Rect1 3/15/2024\nkey Rect1 VK_RETURN\n"
                               "key Rect1 VK_RETURN\nexpect-edit Rect1 \"2024-03-15 12:00\"\nfocus-host\n" +
                               find + "char Rect1 \"-3 3/8\"\nkey Rect1 VK_RETURN\n"
                               "key Rect1 VK_RETURN\nexpect-edit Rect1 -3.375\nfocus-host\n"
                               // 0.2 typed into the percent cell shows 20.0%.
                               "click Rect1 190 139\nchar Rect1 0.2\nexpect-edit Rect1 0.2\nfocus-host\n"
                               "var [LastError] none\n" +
                               find + "char Rect1 20.0%\nkey Rect1 VK_RETURN\nexpect-var [LastError] none\n"
                               "key Rect1 VK_RETURN\nexpect-edit Rect1 0.2\nfocus-host\n"
                               "exec TabulixClose Rect1\nexpect-result true\n",
                               folder.Path()));
    if (const char* keep = std::getenv("TABULIX_KEEP_SCREENSHOTS"); keep && *keep) {
        std::filesystem::copy_file(folder / u"number-formats.png", std::filesystem::path(keep) / u"number-formats.png",
                                   std::filesystem::copy_options::overwrite_existing);
    }
}
