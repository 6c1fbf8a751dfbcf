#include "workbook/XlsxBlankTemplateParts.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

using namespace tabulix;

namespace {

const std::string Main = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
const std::string Rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

const TTemplatePart& Part(std::u16string_view name) {
    for (const TTemplatePart& part : BlankTemplateParts())
        if (part.Name == name) return part;
    throw std::runtime_error("no such part");
}

// Parses the named part; a parse failure fails the calling test.
pugi::xml_node Root(pugi::xml_document& doc, std::u16string_view name) {
    const std::string_view content = Part(name).Content;
    const pugi::xml_parse_result result =
        doc.load_buffer(content.data(), content.size(), pugi::parse_default, pugi::encoding_utf8);
    EXPECT_TRUE(result) << result.description();
    return doc.document_element();
}

// The attributes as written, in document order: "a=1 b=2".
std::string Attributes(pugi::xml_node node) {
    std::string text;
    for (pugi::xml_attribute a : node.attributes())
        text += std::string(text.empty() ? "" : " ") + a.name() + "=" + a.value();
    return text;
}

// One line per child element: its name and attributes.
std::string Children(pugi::xml_node parent) {
    std::string text;
    for (pugi::xml_node n : parent.children()) text += std::string(n.name()) + " " + Attributes(n) + "\n";
    return text;
}

} // namespace

TEST(BlankTemplate, EveryPartWellFormedWithTheLineRules) {
    const auto& parts = BlankTemplateParts();
    for (size_t i = 0; i < parts.size(); ++i) {
        pugi::xml_document doc;
        EXPECT_TRUE(Root(doc, parts[i].Name)) << i;
        const std::string_view text = parts[i].Content;
        EXPECT_EQ(text.find('\r'), std::string_view::npos) << i;
        if (parts[i].Name == u"xl/theme/theme1.xml") continue;
        // One line, no declaration, nothing after the root's end tag.
        EXPECT_EQ(text.find('\n'), std::string_view::npos) << i;
        EXPECT_FALSE(text.starts_with("<?")) << i;
        EXPECT_EQ(text.back(), '>') << i;
    }
    const std::string_view theme = Part(u"xl/theme/theme1.xml").Content;
    EXPECT_TRUE(theme.starts_with("<?xml version=\"1.0\"?>\n<a:theme ")) << theme.substr(0, 40);
    EXPECT_NE(theme.find("\n  <a:themeElements>\n"), std::string_view::npos);
}

TEST(BlankTemplate, ContentTypesCoverEveryPart) {
    pugi::xml_document doc;
    pugi::xml_node types = Root(doc, u"[Content_Types].xml");
    EXPECT_EQ(Attributes(types), "xmlns=http://schemas.openxmlformats.org/package/2006/content-types");
    const std::string package = "ContentType=application/vnd.openxmlformats-package.";
    const std::string office = "ContentType=application/vnd.openxmlformats-officedocument.";
    EXPECT_EQ(Children(types), "Default Extension=rels " + package + "relationships+xml\n"
                               "Default Extension=xml ContentType=application/xml\n"
                               "Override PartName=/xl/styles.xml " + office + "spreadsheetml.styles+xml\n"
                               "Override PartName=/xl/theme/theme1.xml " + office + "theme+xml\n"
                               "Override PartName=/docProps/core.xml " + package + "core-properties+xml\n"
                               "Override PartName=/docProps/app.xml " + office + "extended-properties+xml\n"
                               "Override PartName=/xl/worksheets/sheet1.xml " + office +
                               "spreadsheetml.worksheet+xml\n"
                               "Override PartName=/xl/workbook.xml " + office + "spreadsheetml.sheet.main+xml\n");
}

TEST(BlankTemplate, RelationshipsReachWorkbookPropertiesSheetStylesAndTheme) {
    pugi::xml_document package, workbook;
    const std::string ns = "xmlns=http://schemas.openxmlformats.org/package/2006/relationships";
    EXPECT_EQ(Attributes(Root(package, u"_rels/.rels")), ns);
    EXPECT_EQ(Attributes(Root(workbook, u"xl/_rels/workbook.xml.rels")), ns);
    const std::string type = "Relationship Type=" + Rel + "/";
    EXPECT_EQ(Children(package.document_element()),
              type + "officeDocument Target=xl/workbook.xml Id=rId1\n"
              "Relationship Type=http://schemas.openxmlformats.org/package/2006/relationships/metadata/"
              "core-properties Target=docProps/core.xml Id=rId2\n" +
              type + "extended-properties Target=docProps/app.xml Id=rId3\n");
    // The worksheet target is absolute; a reader must strip the leading "/" itself.
    EXPECT_EQ(Children(workbook.document_element()), type + "worksheet Target=/xl/worksheets/sheet1.xml Id=rId1\n" +
                                                         type + "styles Target=styles.xml Id=rId2\n" +
                                                         type + "theme Target=theme/theme1.xml Id=rId3\n");
}

TEST(BlankTemplate, WorkbookHasOneVisibleSheetAndTheSheetIsEmpty) {
    pugi::xml_document doc;
    pugi::xml_node workbook = Root(doc, u"xl/workbook.xml");
    EXPECT_EQ(Attributes(workbook), "xmlns=" + Main);
    EXPECT_EQ(Children(workbook.child("sheets")),
              "sheet xmlns:r=" + Rel + " name=Sheet1 sheetId=1 state=visible r:id=rId1\n");

    pugi::xml_document sheetDoc;
    pugi::xml_node worksheet = Root(sheetDoc, u"xl/worksheets/sheet1.xml");
    EXPECT_EQ(Attributes(worksheet), "xmlns=" + Main);
    ASSERT_TRUE(worksheet.child("sheetData"));
    EXPECT_TRUE(worksheet.child("sheetData").first_child().empty());
    EXPECT_NE(Part(u"xl/worksheets/sheet1.xml").Content.find("<sheetData></sheetData>"), std::string_view::npos);
}

TEST(BlankTemplate, StylesHoldOneGeneralFormatAndTheDefaultPalette) {
    pugi::xml_document doc;
    pugi::xml_node styles = Root(doc, u"xl/styles.xml");
    EXPECT_EQ(Attributes(styles), "xmlns=" + Main);
    EXPECT_EQ(Attributes(styles.child("cellXfs")), "count=1");
    EXPECT_EQ(Children(styles.child("cellXfs")),
              "xf numFmtId=0 fontId=0 fillId=0 borderId=0 pivotButton=0 quotePrefix=0 xfId=0\n");
    std::vector<std::string> palette;
    for (pugi::xml_node c : styles.child("colors").child("indexedColors").children("rgbColor"))
        palette.push_back(c.attribute("rgb").value());
    ASSERT_EQ(palette.size(), 64u);
    for (const std::string& rgb : palette) EXPECT_TRUE(rgb.size() == 8 && rgb.starts_with("00")) << rgb;
    EXPECT_EQ(palette[2], "00FF0000");
    EXPECT_EQ(palette[22], "00C0C0C0");
    EXPECT_EQ(palette[63], "00333333");
}

TEST(BlankTemplate, ThemeIsTheOfficeThemeWithUtf8ScriptFonts) {
    pugi::xml_document doc;
    pugi::xml_node theme = Root(doc, u"xl/theme/theme1.xml");
    EXPECT_STREQ(theme.name(), "a:theme");
    EXPECT_EQ(Attributes(theme), "xmlns:a=http://schemas.openxmlformats.org/drawingml/2006/main name=Office Theme");
    pugi::xml_node elements = theme.child("a:themeElements");
    // The Japanese font name must reach the part as UTF-8 whatever the source character set.
    pugi::xml_node minor = elements.child("a:fontScheme").child("a:minorFont");
    EXPECT_STREQ(minor.find_child_by_attribute("script", "Jpan").attribute("typeface").value(),
                 "\xEF\xBC\xAD\xEF\xBC\xB3 \xEF\xBC\xB0\xE3\x82\xB4\xE3\x82\xB7\xE3\x83\x83\xE3\x82\xAF");
    for (const char* name : {"a:fillStyleLst", "a:lnStyleLst", "a:effectStyleLst", "a:bgFillStyleLst"}) {
        pugi::xml_node list = elements.child("a:fmtScheme").child(name);
        EXPECT_EQ(std::distance(list.begin(), list.end()), 3) << name;
    }
    EXPECT_STREQ(elements.next_sibling().name(), "a:objectDefaults");
    EXPECT_STREQ(elements.next_sibling().next_sibling().name(), "a:extraClrSchemeLst");
}

TEST(BlankTemplate, CorePropertiesBindPrefixesOnTheElementsThatUseThem) {
    pugi::xml_document doc;
    pugi::xml_node core = Root(doc, u"docProps/core.xml");
    EXPECT_EQ(Attributes(core), "xmlns:cp=http://schemas.openxmlformats.org/package/2006/metadata/core-properties");
    EXPECT_EQ(Attributes(core.child("dc:creator")), "xmlns:dc=http://purl.org/dc/elements/1.1/");
    for (const char* name : {"dcterms:created", "dcterms:modified"}) {
        EXPECT_EQ(Attributes(core.child(name)), "xmlns:dcterms=http://purl.org/dc/terms/ "
                                                "xmlns:xsi=http://www.w3.org/2001/XMLSchema-instance "
                                                "xsi:type=dcterms:W3CDTF") << name;
        EXPECT_STREQ(core.child(name).text().get(), "2026-09-21T13:02:45Z") << name;
    }
}
