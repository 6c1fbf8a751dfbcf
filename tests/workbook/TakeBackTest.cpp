// Taking edits back in the workbook: cells captured and put back as they were in the grid and the XML,
// and the journal putting back every part and sheet that structural edits changed.
#include "support/XlsxFixture.h"
#include "workbook/WorkbookJournal.h"
#include "workbook/XlsxWorkbook.h"
#include "workbook/XmlHelpers.h"
#include "workbook/ZipPackage.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

using namespace tabulix;
using namespace tabulix::testing;

namespace {

class TTakenBack : public TXlsxWorkbook {
public:
    explicit TTakenBack(const std::string& package) { LoadFromBytes(u"back.xlsx", package); }
    std::string SheetDataXml(const std::u16string& part = u"xl/worksheets/sheet1.xml") {
        std::ostringstream out;
        FirstChildNamed(RootElement(*GetPartDocument(part)), "sheetData").print(out, "", pugi::format_raw);
        return out.str();
    }
};

// Every cell of every sheet as text, kind and style, as far as the grids reach.
std::string Grids(const TXlsxWorkbook& workbook) {
    std::string all;
    for (int32_t s = 0; s < workbook.SheetCount(); ++s) {
        const TXlsxSheet& sheet = workbook.Sheet(s);
        all += std::to_string(sheet.RowCount) + "x" + std::to_string(sheet.ColCount) + ":";
        for (int32_t r = 0; r < sheet.RowCount; ++r) {
            for (int32_t c = 0; c < sheet.ColCount; ++c) {
                all += std::to_string(int(sheet.Kind(r, c))) + "/" + std::to_string(sheet.StyleIndex(r, c)) + "/" +
                       std::string(sheet.Text(r, c).begin(), sheet.Text(r, c).end()) + "|";
            }
        }
    }
    return all;
}

std::map<std::u16string, std::string> Parts(const std::string& package) {
    std::map<std::u16string, std::string> parts;
    for (TZipEntry& entry : ReadZipArchive(package)) parts[entry.Name] = std::move(entry.Bytes);
    return parts;
}

const std::string Rows = "<row r=\"1\">" + CellXml("A1", "5", "", "1") + CellXml("B1", "0", "s") +
                         "<c r=\"C1\"><f>A1*2</f><v>10</v></c>" + CellXml("D1", "45292", "", "2") + "</row>" +
                         "<row r=\"2\" ht=\"30\" customHeight=\"1\">" + CellXml("A2", "7") + "</row>";

std::string Package() {
    return TXlsxFixture()
        .Sheet("One", Rows)
        .Sheet("Two", "<row r=\"1\">" + CellXml("A1", "1") + "</row>")
        .SharedStrings({"<si><t>shared</t></si>"})
        .Styles(StylesXml({0, 10, 14}))
        .Bytes();
}

} // namespace

TEST(TakeBack, CapturedCellsComeBackAsTheyWereInTheGridAndTheXml) {
    TTakenBack workbook(Package());
    const std::string xml = workbook.SheetDataXml();
    const std::string grids = Grids(workbook);
    const std::u16string date = workbook.ShownText(0, 0, 3).Text;
    // A styled number, a shared string, a formula, a date, a cell of a row with its own height, one in a
    // row that has no element, and one beyond the grid, which grows for it.
    const std::vector<TGridCell> cells = {{0, 0}, {0, 1}, {0, 2}, {0, 3}, {1, 0}, {2, 1}, {5, 6}};
    const TCellImages images = workbook.CaptureCells(0, cells);
    EXPECT_FALSE(images.SharedFormula);
    for (const TGridCell& cell : cells) workbook.SetCellValue(0, cell.Row, cell.Col, u"new");
    workbook.SetCellValue(0, 0, 0, u""); // written twice: the capture's image wins
    EXPECT_EQ(workbook.Sheet(0).RowCount, 6);
    workbook.RestoreCells(0, images);
    EXPECT_EQ(workbook.SheetDataXml(), xml);
    EXPECT_EQ(Grids(workbook), grids);
    EXPECT_EQ(workbook.ShownText(0, 0, 3).Text, date);
    TXlsxWorkbook reloaded;
    reloaded.LoadFromBytes(u"again.xlsx", workbook.SaveToBytes());
    EXPECT_EQ(Grids(reloaded), grids);

    // A cell of a shared formula changes others when written: the capture says so.
    TTakenBack shared(TXlsxFixture()
                          .Sheet("S", "<row r=\"1\"><c r=\"A1\"><f t=\"shared\" ref=\"A1:A2\" si=\"0\">B1</f><v>1</v></c></row>"
                                      "<row r=\"2\"><c r=\"A2\"><f t=\"shared\" si=\"0\"/><v>2</v></c></row>")
                          .Bytes());
    EXPECT_TRUE(shared.CaptureCells(0, {{1, 0}}).SharedFormula);
    EXPECT_FALSE(shared.CaptureCells(0, {{2, 0}}).SharedFormula);
}

TEST(TakeBack, TheJournalPutsBackEveryPartAndSheetTheEditsChanged) {
    const std::string package = Package();
    TTakenBack workbook(package);
    const std::string grids = Grids(workbook);
    TWorkbookJournal journal;
    workbook.AttachJournal(&journal);
    workbook.InsertRow(0, 0);
    workbook.DeleteColumn(0, 1);
    workbook.SortByColumn(1, 0, false, false);
    workbook.AddSheet(u"Three");
    workbook.DeleteSheet(0);
    workbook.AttachJournal(nullptr);
    EXPECT_GT(journal.Bytes(), 0u);
    workbook.RestoreJournal(journal);
    EXPECT_EQ(Grids(workbook), grids);
    // The parts come back as they were stored: the saved package holds the same bytes, but for the
    // workbook part, which asks to be calculated on opening since values changed meanwhile.
    std::map<std::u16string, std::string> saved = Parts(workbook.SaveToBytes()), original = Parts(package);
    EXPECT_NE(saved[u"xl/workbook.xml"].find("<sheets><sheet name=\"One\" sheetId=\"1\" r:id=\"rId1\"/>"
                                             "<sheet name=\"Two\" sheetId=\"2\" r:id=\"rId2\"/></sheets><calcPr"),
              std::string::npos);
    saved.erase(u"xl/workbook.xml");
    original.erase(u"xl/workbook.xml");
    EXPECT_EQ(saved, original);

    // Parts already changed before the journal was attached come back as they were then.
    workbook.SetCellValue(0, 4, 4, u"typed");
    const std::string xml = workbook.SheetDataXml();
    const std::string typed = Grids(workbook);
    TWorkbookJournal again;
    workbook.AttachJournal(&again);
    workbook.DeleteRow(0, 0);
    workbook.InsertColumn(0, 0);
    workbook.AttachJournal(nullptr);
    workbook.RestoreJournal(again);
    EXPECT_EQ(workbook.SheetDataXml(), xml);
    EXPECT_EQ(Grids(workbook), typed);
    // A journal can be put back again once its edits are made again.
    workbook.AttachJournal(nullptr);
    workbook.DeleteRow(0, 0);
    workbook.RestoreJournal(again);
    EXPECT_EQ(Grids(workbook), typed);
}

TEST(TakeBack, TheJournalTakesBackTheStylesThatFormattingGaveAWorkbook) {
    // A workbook without styles of its own is given them by its first formatting; the journal takes the
    // part, its relationship and its content type away again, and the styles the cells name with them.
    const std::string package = TXlsxFixture().Sheet("P", "<row r=\"1\">" + CellXml("A1", "1") + "</row>").Bytes();
    TTakenBack workbook(package);
    ASSERT_EQ(Parts(package).count(u"xl/styles.xml"), 0u);
    TWorkbookJournal journal;
    workbook.AttachJournal(&journal);
    TFormattingChange bold;
    bold.Bold = true;
    workbook.SetCellFormatting(0, 0, 0, bold);
    workbook.SetCellFormatting(0, 1, 1, bold);
    workbook.AttachJournal(nullptr);
    ASSERT_TRUE(workbook.Styles().Font(workbook.Styles().Style(workbook.Sheet(0).StyleIndex(0, 0)).Font).Bold);
    workbook.RestoreJournal(journal);
    EXPECT_EQ(workbook.Sheet(0).StyleIndex(0, 0), 0);
    EXPECT_EQ(workbook.Sheet(0).RowCount, 1);
    EXPECT_EQ(Parts(workbook.SaveToBytes()), Parts(package));
    EXPECT_FALSE(workbook.Styles().Font(workbook.Styles().Style(1).Font).Bold); // no such style any more
}
