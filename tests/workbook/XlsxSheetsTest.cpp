#include "base/Error.h"
#include "base/Files.h"
#include "base/Text.h"
#include "support/Messages.h"
#include "support/TempFolder.h"
#include "support/XlsxFixture.h"
#include "workbook/XlsxBlankTemplate.h"
#include "workbook/XlsxWorkbook.h"
#include "workbook/ZipPackage.h"

#include <gtest/gtest.h>

#include <map>

using namespace tabulix;
using namespace tabulix::testing;

namespace {

std::map<std::u16string, std::string> EntriesOf(const std::string& package) {
    std::map<std::u16string, std::string> entries;
    for (TZipEntry& entry : ReadZipArchive(package)) entries[entry.Name] = std::move(entry.Bytes);
    return entries;
}

std::string Part(const std::string& package, const std::u16string& name) { return EntriesOf(package)[name]; }


std::unique_ptr<TXlsxWorkbook> LoadBytes(const std::string& package) {
    auto workbook = std::make_unique<TXlsxWorkbook>();
    workbook->LoadFromBytes(u"book.xlsx", package);
    return workbook;
}

const std::string Rels = "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";

} // namespace

TEST(AddSheet, OnTheBlankWorkbook) {
    const auto workbook = LoadBytes(BlankWorkbookBytes());
    EXPECT_EQ(workbook->AddSheet(u"Sheet2"), 1);
    EXPECT_EQ(workbook->Sheet(1).Name, u"Sheet2");
    EXPECT_EQ(workbook->Sheet(1).PartName, u"xl/worksheets/sheet2.xml");
    EXPECT_EQ(workbook->Sheet(1).RowCount, 100);
    EXPECT_EQ(workbook->Sheet(1).ColCount, 26);
    const std::string saved = workbook->SaveToBytes();
    EXPECT_NE(Part(saved, u"xl/workbook.xml").find("<sheet name=\"Sheet2\" sheetId=\"2\" xmlns:r=\"http://schemas."
                                                    "openxmlformats.org/officeDocument/2006/relationships\" r:id=\"rId4\"/>"),
              std::string::npos);
    EXPECT_NE(Part(saved, u"xl/_rels/workbook.xml.rels").find("Id=\"rId4\" Type=\"http://schemas.openxmlformats.org/"
                                                              "officeDocument/2006/relationships/worksheet\" "
                                                              "Target=\"worksheets/sheet2.xml\""),
              std::string::npos);
    EXPECT_NE(Part(saved, u"[Content_Types].xml").find("<Override PartName=\"/xl/worksheets/sheet2.xml\" ContentType=\"application/"
                                                       "vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>"),
              std::string::npos);
    const auto reloaded = LoadBytes(saved);
    ASSERT_EQ(reloaded->SheetCount(), 2);
    EXPECT_EQ(reloaded->Sheet(1).Name, u"Sheet2");
    EXPECT_EQ(reloaded->Sheet(1).RowCount, 100);
}

TEST(AddSheet, NamesAreTrimmedAndMadeUnique) {
    const auto workbook = LoadBytes(BlankWorkbookBytes());
    workbook->AddSheet(u"  Data  ");
    workbook->AddSheet(u"");
    workbook->AddSheet(u"   ");
    workbook->AddSheet(u"data");
    EXPECT_EQ(workbook->Sheet(1).Name, u"Data");
    EXPECT_EQ(workbook->Sheet(2).Name, u"Sheet12"); // Sheet1 exists
    EXPECT_EQ(workbook->Sheet(3).Name, u"Sheet13");
    EXPECT_EQ(workbook->Sheet(4).Name, u"data2");
}

TEST(AddSheet, IdsFollowTheLargestInUse) {
    TXlsxFixture fixture;
    fixture.Sheet("A", "").Sheet("B", "")
        .Entry("xl/workbook.xml", "<workbook xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
                                  "<sheets><sheet name=\"A\" sheetId=\"1\" r:id=\"rId1\"/><sheet name=\"B\" sheetId=\"5\" "
                                  "r:id=\"rId9\"/></sheets></workbook>")
        .Entry("xl/_rels/workbook.xml.rels", Rels + "<Relationship Id=\"rId1\" Target=\"worksheets/sheet1.xml\"/>"
                                             "<Relationship Id=\"rId2\" Target=\"styles.xml\"/>"
                                             "<Relationship Id=\"rId9\" Target=\"worksheets/sheet2.xml\"/>"
                                             "<Relationship Id=\"other\" Target=\"x.xml\"/></Relationships>");
    const auto workbook = LoadBytes(fixture.Bytes());
    workbook->AddSheet(u"C");
    const std::string saved = workbook->SaveToBytes();
    EXPECT_NE(Part(saved, u"xl/workbook.xml").find("sheetId=\"6\""), std::string::npos);
    EXPECT_NE(Part(saved, u"xl/_rels/workbook.xml.rels").find("Id=\"rId10\""), std::string::npos);
    EXPECT_EQ(workbook->Sheet(2).PartName, u"xl/worksheets/sheet3.xml");
}

TEST(AddSheet, FailsOnAMissingStructureOrAnUnloadedWorkbook) {
    TXlsxWorkbook empty;
    EXPECT_EQ(MessageOf([&] { empty.AddSheet(u"x"); }), u"No workbook is currently loaded.");
    EXPECT_EQ(MessageOf([&] { empty.SaveToBytes(); }), u"No workbook is currently loaded.");
    const auto workbook = LoadBytes(TXlsxFixture().Sheet("S", "").Without("[Content_Types].xml").Bytes());
    EXPECT_EQ(MessageOf([&] { workbook->AddSheet(u"x"); }), u"Could not read this workbook's internal structure to add a sheet.");
    EXPECT_EQ(workbook->SheetCount(), 1);
}

TEST(DeleteSheet, RemovesTheSheetItsRelationshipsAndItsPartsAndReusesTheName) {
    TXlsxFixture fixture;
    fixture.Sheet("One", "<row r=\"1\">" + CellXml("A1", "1") + "</row>").Sheet("Two", "")
        .Entry("xl/worksheets/_rels/sheet1.xml.rels", Rels + "<Relationship Id=\"rId1\" Target=\"../drawings/d1.xml\"/></Relationships>");
    const auto workbook = LoadBytes(fixture.Bytes());
    workbook->DeleteSheet(0);
    ASSERT_EQ(workbook->SheetCount(), 1);
    EXPECT_EQ(workbook->Sheet(0).Name, u"Two");
    const auto entries = EntriesOf(workbook->SaveToBytes());
    EXPECT_EQ(entries.count(u"xl/worksheets/sheet1.xml"), 0u);
    EXPECT_EQ(entries.count(u"xl/worksheets/_rels/sheet1.xml.rels"), 0u);
    EXPECT_EQ(entries.at(u"xl/workbook.xml").find("One"), std::string::npos);
    EXPECT_EQ(entries.at(u"xl/_rels/workbook.xml.rels").find("sheet1.xml"), std::string::npos);

    workbook->AddSheet(u"Three");
    EXPECT_EQ(workbook->Sheet(1).PartName, u"xl/worksheets/sheet1.xml");
    const auto again = EntriesOf(workbook->SaveToBytes());
    EXPECT_EQ(again.count(u"xl/worksheets/_rels/sheet1.xml.rels"), 0u);
    EXPECT_EQ(again.at(u"xl/worksheets/sheet1.xml").find("<v>1</v>"), std::string::npos);
}

TEST(DeleteSheet, TheLastSheetStaysAndIndexesOutsideAreIgnored) {
    const auto workbook = LoadBytes(BlankWorkbookBytes());
    EXPECT_EQ(MessageOf([&] { workbook->DeleteSheet(0); }), u"A workbook needs at least one worksheet - this is the only one left.");
    workbook->DeleteSheet(3);
    workbook->DeleteSheet(-1);
    EXPECT_EQ(workbook->SheetCount(), 1);
}

TEST(DeleteSheet, DefinedNamesAndTheWorkbookViewFollowTheRemainingSheets) {
    TXlsxFixture fixture;
    fixture.Sheet("A", "").Sheet("B", "").Sheet("C", "")
        .Entry("xl/workbook.xml",
               "<workbook xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
               "<bookViews><workbookView activeTab=\"2\" firstSheet=\"1\"/></bookViews><sheets>"
               "<sheet name=\"A\" sheetId=\"1\" r:id=\"rId1\"/><sheet name=\"B\" sheetId=\"2\" r:id=\"rId2\"/>"
               "<sheet name=\"C\" sheetId=\"3\" r:id=\"rId3\"/></sheets><definedNames>"
               "<definedName name=\"onA\" localSheetId=\"0\">A!$A$1</definedName>"
               "<definedName name=\"onB\" localSheetId=\"1\">B!$A$1</definedName>"
               "<definedName name=\"onC\" localSheetId=\"2\">C!$A$1</definedName>"
               "<definedName name=\"global\">A!$A$1</definedName></definedNames></workbook>");
    const auto workbook = LoadBytes(fixture.Bytes());
    workbook->DeleteSheet(1);
    const std::string xml = Part(workbook->SaveToBytes(), u"xl/workbook.xml");
    EXPECT_NE(xml.find("<workbookView activeTab=\"1\" firstSheet=\"1\"/>"), std::string::npos) << xml;
    EXPECT_EQ(xml.find("onB"), std::string::npos);
    EXPECT_NE(xml.find("name=\"onA\" localSheetId=\"0\""), std::string::npos);
    EXPECT_NE(xml.find("name=\"onC\" localSheetId=\"1\""), std::string::npos);
    EXPECT_NE(xml.find("name=\"global\">"), std::string::npos);
}

TEST(DeleteSheet, HiddenSheetsKeepTheirNamesAndNeverBecomeTheActiveTab) {
    TXlsxFixture fixture;
    fixture.Sheet("First", "").Sheet("sheet3", "", "hidden").Sheet("Last", "")
        .Entry("xl/workbook.xml",
               "<workbook xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
               "<bookViews><workbookView/></bookViews><sheets>"
               "<sheet name=\"First\" sheetId=\"1\" r:id=\"rId1\"/><sheet name=\"sheet3\" state=\"hidden\" sheetId=\"2\" r:id=\"rId2\"/>"
               "<sheet name=\"Last\" sheetId=\"3\" r:id=\"rId3\"/></sheets></workbook>");
    const auto workbook = LoadBytes(fixture.Bytes());
    EXPECT_EQ(workbook->Sheet(workbook->AddSheet(u"Sheet3")).Name, u"Sheet32"); // as the viewer's "+" names a third sheet
    workbook->DeleteSheet(0);
    const std::string xml = Part(workbook->SaveToBytes(), u"xl/workbook.xml");
    EXPECT_NE(xml.find("<workbookView activeTab=\"1\" firstSheet=\"1\"/>"), std::string::npos) << xml;
}

TEST(SaveToFile, UntouchedEntriesKeepTheirBytes) {
    TXlsxFixture fixture;
    fixture.Sheet("A", "<row r=\"1\">" + CellXml("A1", "1") + "</row>").Sheet("B", "<row r=\"1\">" + CellXml("A1", "2") + "</row>")
        .Entry("xl/media/image1.png", std::string("\x89PNG\r\n\x1a\n\0\0binary", 17))
        .Entry("docProps/app.xml", "<Properties>  odd   spacing  </Properties>");
    const std::string original = fixture.Bytes();
    const auto workbook = LoadBytes(original);
    workbook->SetCellValue(1, 0, 0, u"changed");
    const std::string saved = workbook->SaveToBytes();
    const auto before = EntriesOf(original);
    const auto after = EntriesOf(saved);
    ASSERT_EQ(after.size(), before.size());
    for (const auto& [name, bytes] : before) {
        if (name == u"xl/worksheets/sheet2.xml") {
            EXPECT_NE(after.at(name), bytes);
        } else {
            EXPECT_EQ(after.at(name), bytes) << Utf16ToUtf8(name);
        }
    }
    // Untouched entries are copied as stored, not deflated again.
    const std::vector<TPackageEntry> stored = ReadZipPackage(original);
    const std::vector<TPackageEntry> copied = ReadZipPackage(saved);
    ASSERT_EQ(copied.size(), stored.size());
    for (size_t i = 0; i < stored.size(); ++i) {
        if (stored[i].Name == u"xl/worksheets/sheet2.xml") continue;
        EXPECT_EQ(copied[i].Data, stored[i].Data) << Utf16ToUtf8(stored[i].Name);
        EXPECT_EQ(copied[i].Crc, stored[i].Crc);
    }
}

TEST(SaveToFile, OntoTheLoadedFileTwiceWithTwoEdits) {
    TTempFolder folder;
    const auto path = folder / u"Book.xlsx";
    WriteFileBytes(path, BlankWorkbookBytes());
    TXlsxWorkbook workbook;
    workbook.LoadFromFile(PathToText(path));
    workbook.SetCellValue(0, 0, 0, u"first");
    workbook.SaveToFile(PathToText(path));
    workbook.SetCellValue(0, 1, 0, u"second");
    workbook.SaveToFile(PathToText(path));
    EXPECT_EQ(workbook.FileName(), PathToText(path));
    TXlsxWorkbook reloaded;
    reloaded.LoadFromFile(PathToText(path));
    EXPECT_EQ(reloaded.Sheet(0).Text(0, 0), u"first");
    EXPECT_EQ(reloaded.Sheet(0).Text(1, 0), u"second");
}

TEST(SaveToFile, AFailedSaveLeavesThePreviousFileAndAUsableWorkbook) {
    TTempFolder folder;
    const auto path = folder / u"Book.xlsx";
    WriteFileBytes(path, BlankWorkbookBytes());
    const std::string previous = ReadFileBytes(path);
    TXlsxWorkbook workbook;
    workbook.LoadFromFile(PathToText(path));
    workbook.SetCellValue(0, 0, 0, u"edit");
    // The temporary file beside the target cannot be created while a folder takes its name.
    std::filesystem::create_directory(TemporaryPathBeside(path));
    std::filesystem::create_directory(TemporaryPathBeside(path) / "keep");
    const std::u16string message = MessageOf([&] { workbook.SaveToFile(PathToText(path)); });
    EXPECT_EQ(message.rfind(u"Cannot create file \"" + PathToText(path) + u"\". ", 0), 0u) << Utf16ToUtf8(message);
    EXPECT_EQ(ReadFileBytes(path), previous);
    std::filesystem::remove_all(TemporaryPathBeside(path));
    workbook.SaveToFile(PathToText(path));
    TXlsxWorkbook reloaded;
    reloaded.LoadFromFile(PathToText(path));
    EXPECT_EQ(reloaded.Sheet(0).Text(0, 0), u"edit");
}

TEST(SaveToFile, TheCalculationChainGoesOnlyWhenAFormulaWasRemoved) {
    TXlsxFixture fixture;
    fixture.Sheet("S", "<row r=\"1\"><c r=\"A1\"><f>1+1</f><v>2</v></c>" + CellXml("B1", "x") + "</row>")
        .Entry("xl/calcChain.xml", "<calcChain><c r=\"A1\" i=\"1\"/></calcChain>")
        .Entry("xl/_rels/workbook.xml.rels",
               Rels + "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
                      "worksheet\" Target=\"worksheets/sheet1.xml\"/><Relationship Id=\"rId2\" Type=\"http://schemas."
                      "openxmlformats.org/officeDocument/2006/relationships/calcChain\" Target=\"calcChain.xml\"/></Relationships>")
        .Entry("[Content_Types].xml", "<Types><Override PartName=\"/xl/calcChain.xml\" ContentType=\"c\"/></Types>");
    const auto workbook = LoadBytes(fixture.Bytes());
    workbook->SetCellValue(0, 0, 1, u"no formula touched");
    EXPECT_EQ(EntriesOf(workbook->SaveToBytes()).count(u"xl/calcChain.xml"), 1u);
    workbook->SetCellValue(0, 0, 0, u"5");
    const auto entries = EntriesOf(workbook->SaveToBytes());
    EXPECT_EQ(entries.count(u"xl/calcChain.xml"), 0u);
    EXPECT_EQ(entries.at(u"xl/_rels/workbook.xml.rels").find("calcChain"), std::string::npos);
    EXPECT_EQ(entries.at(u"[Content_Types].xml").find("calcChain"), std::string::npos);
    EXPECT_EQ(LoadBytes(workbook->SaveToBytes())->Sheet(0).Text(0, 0), u"5");
}

TEST(SaveToFile, EntryNamesAreWrittenBackAsStored) {
    // Names in code page 437 (u and a with diaeresis), not flagged as UTF-8.
    const std::string package = TXlsxFixture().Sheet("S", "").StoredEntry("docs/\x81.txt", "u").StoredEntry("docs/\x84.txt", "a").Bytes();
    const auto workbook = LoadBytes(package);
    workbook->SetCellValue(0, 0, 0, u"edit");
    const std::string saved = workbook->SaveToBytes();
    EXPECT_EQ(ReadZipArchive(saved).size(), ReadZipArchive(package).size());
    for (const std::string name : {"docs/\x81.txt", "docs/\x84.txt"}) {
        const size_t local = saved.find(name); // first in the local header, whose flags stand 24 bytes before it
        ASSERT_NE(local, std::string::npos) << name;
        EXPECT_EQ(uint8_t(saved[local - 23]) & 0x08, 0) << name; // bit 11, UTF-8, stays clear
    }
}

TEST(SaveToFile, AnEditedPartKeepsCommentsInstructionsAndControlCharacters) {
    const auto workbook = LoadBytes(TXlsxFixture().Sheet("S", "").Entry("xl/worksheets/sheet1.xml",
        "<?xml version=\"1.0\"?>\r\n<!DOCTYPE worksheet>\r\n<!-- by hand -->\r\n<?app one=\"1\"\r\n two=\"2\"?>\r\n<worksheet>"
        "<sheetData><row r=\"1\"><!-- row --><c r=\"A1\" t=\"inlineStr\"><is><t>a&#13;b</t></is></c></row></sheetData>"
        "<dataValidations><dataValidation prompt=\"one&#9;two&#10;three&#13;four\"/></dataValidations></worksheet>").Bytes());
    workbook->SetCellValue(0, 0, 1, u"edited");
    const std::string saved = workbook->SaveToBytes();
    const std::string part = Part(saved, u"xl/worksheets/sheet1.xml");
    for (const char* kept : {"<!DOCTYPE worksheet>", "<!-- by hand -->", "<?app one=\"1\"\n two=\"2\"?>", "<!-- row -->"}) {
        EXPECT_NE(part.find(kept), std::string::npos) << kept << " in " << part;
    }
    pugi::xml_document document; // as any reader reads it, normalising line ends and blanks
    ASSERT_TRUE(document.load_string(part.c_str()));
    EXPECT_STREQ(document.select_node("//dataValidation").node().attribute("prompt").value(), "one\ttwo\nthree\rfour");
    EXPECT_EQ(LoadBytes(saved)->Sheet(0).Text(0, 0), u"a\rb");
}

TEST(Parts, NamesThatDifferOnlyInCaseAreOnePart) {
    const auto workbook = LoadBytes(TXlsxFixture().Sheet("A", "").Sheet("B", "").Without("xl/worksheets/sheet1.xml")
        .Entry("xl/worksheets/Sheet1.xml", "<worksheet><sheetData/></worksheet>")
        .Entry("xl/worksheets/_rels/Sheet1.xml.rels", Rels + "</Relationships>").Bytes());
    EXPECT_EQ(workbook->Sheet(0).PartName, u"xl/worksheets/Sheet1.xml");
    workbook->SetCellValue(0, 0, 0, u"edited");
    workbook->AddSheet(u"C");
    EXPECT_EQ(workbook->Sheet(2).PartName, u"xl/worksheets/sheet3.xml");
    EXPECT_NE(Part(workbook->SaveToBytes(), u"xl/worksheets/Sheet1.xml").find("edited"), std::string::npos);
    workbook->DeleteSheet(0);
    for (const auto& [name, bytes] : EntriesOf(workbook->SaveToBytes())) {
        EXPECT_FALSE(SameTextAscii(name, u"xl/worksheets/sheet1.xml")) << Utf16ToUtf8(name);
        EXPECT_FALSE(SameTextAscii(name, u"xl/worksheets/_rels/sheet1.xml.rels")) << Utf16ToUtf8(name);
    }
}

TEST(SaveToFile, StructuralPartsAreRewrittenOnlyWhenSomethingInThemChanges) {
    // A formula removed without a calculation chain (the workbook asks to be calculated, nothing
    // more), a sheet that cannot be added for want of content types, a deleted sheet without a
    // content-type override: the package stays as it was read.
    const std::string formulas = TXlsxFixture().Sheet("S", "<row r=\"1\"><c r=\"A1\"><f>1+1</f><v>2</v></c></row>").Bytes();
    auto workbook = LoadBytes(formulas);
    workbook->SetCellValue(0, 0, 0, u"5");
    auto saved = EntriesOf(workbook->SaveToBytes());
    EXPECT_NE(saved[u"xl/workbook.xml"].find("</sheets><calcPr fullCalcOnLoad=\"1\"/></workbook>"), std::string::npos);
    for (const std::u16string changed : {u"xl/worksheets/sheet1.xml", u"xl/workbook.xml"}) saved[changed] = EntriesOf(formulas)[changed];
    EXPECT_EQ(saved, EntriesOf(formulas));
    const std::string untyped = TXlsxFixture().Sheet("S", "").Without("[Content_Types].xml").Bytes();
    workbook = LoadBytes(untyped);
    EXPECT_NE(MessageOf([&] { workbook->AddSheet(u"x"); }), u"(no failure)");
    EXPECT_EQ(EntriesOf(workbook->SaveToBytes()), EntriesOf(untyped));
    const std::string defaults = TXlsxFixture().Sheet("A", "").Sheet("B", "").Bytes();
    workbook = LoadBytes(defaults);
    workbook->DeleteSheet(1);
    EXPECT_EQ(Part(workbook->SaveToBytes(), u"[Content_Types].xml"), Part(defaults, u"[Content_Types].xml"));
}
