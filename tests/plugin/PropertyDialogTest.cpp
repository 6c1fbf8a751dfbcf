// The property dialogs from nbEditAction down, natively: an author double stands in for the dialog
// toolkit, and the host's memory, variables and requests are doubles as in the plug-in's other tests.
#include "base/Files.h"
#include "base/HostMemory.h"
#include "base/Text.h"
#include "plugin/BridgePorts.h"
#include "plugin/HostBridge.h"
#include "plugin/HostStrings.h"
#include "plugin/PlugInInterface.h"
#include "plugin/dialogs/DialogFilters.h"
#include "plugin/dialogs/EditImportForm.h"
#include "plugin/dialogs/EditSettingsForm.h"
#include "support/TempFolder.h"
#include "support/XlsxFixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>

using namespace tabulix;

namespace {

// What the author does in the dialog; the colour dialog answers as queued.
class TAuthor final : public TDialogToolkit {
public:
    std::function<bool(TDialogForm&)> Act = [](TDialogForm&) { return true; };
    std::vector<std::optional<TColor>> ColorStarts;
    std::optional<TColor> ColorAnswer;
    std::u16string Caption;

    bool ShowModal(TDialogForm& form) override {
        Caption = form.Caption();
        return Act(form);
    }
    std::optional<TColor> PickColor(std::optional<TColor> start) override {
        ColorStarts.push_back(start);
        return ColorAnswer;
    }
    std::optional<std::u16string> FileAnswer;
    std::vector<std::u16string> Errors;
    std::optional<std::u16string> PickFileToOpen(const std::u16string&, const std::u16string&) override { return FileAnswer; }
    void ShowError(const std::u16string& text) override { Errors.push_back(text); }
};

std::vector<std::string> Requests;
std::map<int32_t, std::string> Answers;
std::map<std::string, std::string> Variables;

void TABULIX_STDCALL GetVariable(const char* name, char** slot) {
    const auto found = Variables.find(name);
    if (found != Variables.end()) AssignHostString(slot, Utf8ToUtf16(found->second));
}
void TABULIX_STDCALL SetVariable(const char* name, const char* value) { Variables[name] = value; }

THostBool TABULIX_STDCALL InterfaceAccess(int32_t request, char** slot) {
    Requests.push_back(std::to_string(request) + ":" + (*slot ? *slot : ""));
    const auto answer = Answers.find(request);
    if (answer == Answers.end()) return false;
    FreeHostString(slot);
    AssignHostString(slot, Utf8ToUtf16(answer->second));
    return true;
}

class PropertyDialogs : public ::testing::Test {
protected:
    void SetUp() override {
        FSaved = Bridge().Dialogs;
        Bridge().Dialogs = &FAuthor;
        Bridge().InterfaceAccessCallback = InterfaceAccess;
        Bridge().GetVariableCallback = GetVariable;
        Bridge().SetVariableCallback = SetVariable;
        Requests.clear();
        Answers.clear();
        Variables.clear();
    }
    void TearDown() override {
        Bridge().Dialogs = FSaved;
        Bridge().InterfaceAccessCallback = nullptr;
        Bridge().GetVariableCallback = nullptr;
        Bridge().SetVariableCallback = nullptr;
        for (char*& slot : FSlots) FreeHostString(&slot);
    }
    // Runs nbEditAction over slots holding the texts; returns its result.
    bool Edit(int32_t action, const std::vector<const char*>& texts) {
        for (char*& slot : FSlots) FreeHostString(&slot);
        FSlots.assign(texts.size(), nullptr);
        for (size_t i = 0; i < texts.size(); ++i) {
            if (texts[i]) AssignHostString(&FSlots[i], Utf8ToUtf16(texts[i]));
        }
        return nbEditAction(action, FSlots.data(), int32_t(FSlots.size()) - 1);
    }
    std::string Slot(size_t index) const { return FSlots[index] ? FSlots[index] : "<null>"; }

    TAuthor FAuthor;
    TDialogToolkit* FSaved = nullptr;
    std::vector<char*> FSlots;
};

} // namespace

TEST_F(PropertyDialogs, ListsChecksAndWhatOkWritesBack) {
    FAuthor.Act = [](TDialogForm& form) {
        EXPECT_EQ(form.Control(u"ComboToolbar").Text, u"Bottom");
        EXPECT_FALSE(form.Control(u"CheckShowToolbar").Checked);
        EXPECT_EQ(form.Control(u"EditFile").Text, u" book.xlsx ");
        return true;
    };
    ASSERT_TRUE(Edit(1, {"Rect1", " book.xlsx ", "Grid", "bottom", "No"}));
    EXPECT_EQ(FAuthor.Caption, u"TabulixOpen Properties");
    EXPECT_EQ(Slot(1), " book.xlsx ");
    EXPECT_EQ(Slot(3), "Bottom");
    EXPECT_EQ(Slot(4), "No");
    FAuthor.Act = [](TDialogForm& form) {
        EXPECT_EQ(form.Control(u"ComboToolbar").Text, u"None");
        EXPECT_FALSE(form.Control(u"CheckShowToolbar").Checked);
        form.Control(u"CheckShowToolbar").Checked = true;
        return true;
    };
    ASSERT_TRUE(Edit(1, {"Rect1", "b", "", "Sideways", "Yes please"}));
    EXPECT_EQ(Slot(3), "None");
    EXPECT_EQ(Slot(4), "Yes");

    FAuthor.Act = [](TDialogForm& form) { return !form.Control(u"CheckAllSheets").Checked; };
    ASSERT_TRUE(Edit(7, {"Rect1", "out.csv", "pdf", " AllSheets"}));
    EXPECT_EQ(Slot(2), "PDF");
    EXPECT_EQ(Slot(3), "CurrentSheet");
    FAuthor.Act = [](TDialogForm& form) { return form.Control(u"CheckAllSheets").Checked; };
    ASSERT_TRUE(Edit(7, {"Rect1", "out.csv", "", "allsheets"}));
    EXPECT_EQ(Slot(2), "CSV");
    EXPECT_EQ(Slot(3), "AllSheets");

    FAuthor.Act = [](TDialogForm&) { return true; };
    ASSERT_TRUE(Edit(10, {"Rect1", "purple"}));
    EXPECT_EQ(Slot(1), "Yellow");
    ASSERT_TRUE(Edit(5, {"Rect1"}));
    EXPECT_EQ(FAuthor.Caption, u"TabulixClose Properties");
    ASSERT_TRUE(Edit(12, {"Rect1", "new.xlsx"}));
    EXPECT_EQ(FAuthor.Caption, u"TabulNew Properties");
}

TEST_F(PropertyDialogs, CancelLeavesTheSlots) {
    FAuthor.Act = [](TDialogForm& form) {
        form.Control(u"EditRect").Text = u"Changed";
        return false; // Cancel, or the close box
    };
    EXPECT_FALSE(Edit(4, {"Rect1", "2"}));
    EXPECT_EQ(Slot(0), "Rect1");
}

TEST_F(PropertyDialogs, TheHostsPickers) {
    Answers[8] = "Rect7";
    FAuthor.Act = [](TDialogForm& form) {
        form.OnClick(u"BtnBrowseRect");
        form.OnClick(u"BtnBrowseFile"); // the host does not answer: the field stays
        return true;
    };
    ASSERT_TRUE(Edit(6, {"Rect1", "typed.xlsx"}));
    EXPECT_EQ(Slot(0), "Rect7");
    EXPECT_EQ(Slot(1), "typed.xlsx");
    EXPECT_EQ(Requests, (std::vector<std::string>{"8:Rect1", "16:typed.xlsx\r\rExcel Workbook|*.xlsx;*.xlsm|All Files|*.*\rFalse\rTrue"}));

    Answers[16] = "C:\\chosen.pdf";
    FAuthor.Act = [](TDialogForm& form) {
        form.OnClick(u"BtnBrowseFile");
        return true;
    };
    ASSERT_TRUE(Edit(7, {"Rect1", "", "PDF", ""}));
    EXPECT_EQ(Slot(1), "C:\\chosen.pdf");
    EXPECT_EQ(Requests.back(), "16:\r\r" + Utf16ToUtf8(ExportFilter) + "\rFalse\rTrue");
    ASSERT_TRUE(Edit(12, {"Rect1", "x"}));
    EXPECT_EQ(Requests.back(), "16:x\r\rExcel Workbook|*.xlsx\rFalse\rTrue");

    Bridge().InterfaceAccessCallback = nullptr; // without the callback the buttons do nothing
    Requests.clear();
    ASSERT_TRUE(Edit(6, {"Rect1", "typed.xlsx"}));
    EXPECT_TRUE(Requests.empty());
}

TEST_F(PropertyDialogs, SettingsFieldsAndTheColourDialog) {
    FAuthor.ColorAnswer = RgbColor(255, 0, 0);
    FAuthor.Act = [](TDialogForm& form) {
        EXPECT_EQ(form.Control(u"EditToolbarColor").Text, u"00FF80");
        EXPECT_EQ(form.Control(u"EditFont").Text, u"\"A;B\"");
        EXPECT_EQ(form.Control(u"EditRowHeight").Text, u"");
        form.OnClick(u"BtnPickToolbarColor");
        form.OnClick(u"BtnPickHeaderColor");
        form.Control(u"EditFontSize").Text = u"  ";
        return true;
    };
    ASSERT_TRUE(Edit(11, {"Rect1", "ToolbarColor=00FF80;HeaderColor=#123456;GridFont=\"A;B\"\r\nfontsize = 9;Other=1;RowHeight="}));
    EXPECT_EQ(FAuthor.ColorStarts, (std::vector<std::optional<TColor>>{RgbColor(0, 255, 128), std::nullopt}));
    EXPECT_EQ(Slot(1), "ToolbarColor=FF0000;HeaderColor=FF0000;GridFont=\"A;B\"");

    FAuthor.Act = [](TDialogForm& form) {
        for (const char16_t* field : {u"EditToolbarColor", u"EditHeaderColor", u"EditSelectionColor", u"EditFont",
                                      u"EditFontSize", u"EditRowHeight", u"EditColumnWidth"}) {
            form.Control(field).Text = u" ";
        }
        return true;
    };
    ASSERT_TRUE(Edit(11, {"Rect1", "FontSize=9"}));
    EXPECT_EQ(Slot(1), "");

    TBridgeDialogServices services;
    TSettingsForm form(services);
    form.Control(u"EditToolbarColor").Text = u"1A2B3C";
    form.Control(u"EditFont").Text = u"Arial";
    EXPECT_EQ(form.BuildSettingsString(), u"ToolbarColor=1A2B3C;GridFont=Arial");
    EXPECT_EQ(ColorFieldText(RgbColor(0x1A, 0x2B, 0xFC)), u"1A2BFC");
}

namespace {

std::u16string Items(TDialogForm& form) {
    std::u16string items;
    for (const TCheckListItem& item : form.Control(u"Sheet").Checks) {
        items += (items.empty() ? u"" : u"|") + item.Text + (item.Checked ? u" [x]" : u"");
    }
    return items;
}

} // namespace

TEST_F(PropertyDialogs, ImportChoosesSheetsFromTheWorkbookItself) {
    tabulix::testing::TTempFolder folder;
    tabulix::testing::TXlsxFixture().Sheet("Sales", "").Sheet("A|B", "").Sheet("Costs", "").WriteTo(folder / u"Book.xlsx");
    const std::string book = Utf16ToUtf8(PathToText(folder / u"Book.xlsx"));
    FAuthor.Act = [](TDialogForm& form) {
        form.OnShow();
        form.OnExit(u"EditExcel"); // passing through the field keeps the stored selection
        EXPECT_EQ(Items(form), u"Sales [x]|A|B|Costs [x]");
        EXPECT_FALSE(form.Control(u"CheckAll").Checked);
        form.Control(u"Sheet").Checks[1].Checked = true; // the author checks A|B: all are checked now
        form.OnItemCheck(u"Sheet", 1);
        EXPECT_TRUE(form.Control(u"CheckAll").Checked);
        form.Control(u"Sheet").Checks[0].Checked = false;
        form.OnItemCheck(u"Sheet", 0);
        EXPECT_FALSE(form.Control(u"CheckAll").Checked);
        EXPECT_EQ(Items(form), u"Sales|A|B [x]|Costs [x]"); // the others stay
        return true;
    };
    ASSERT_TRUE(Edit(8, {book.c_str(), "costs|Sales", ""}));
    EXPECT_EQ(Slot(0), book);
    EXPECT_EQ(Slot(1), "A B|Costs"); // in the workbook's order, "|" in a name written as a blank
    EXPECT_EQ(Slot(2), "[PubDir][PubTitle].pub");

    FAuthor.Act = [](TDialogForm& form) {
        form.OnClick(u"BtnSelectNone");
        EXPECT_EQ(Items(form), u"Sales|A|B|Costs");
        return true;
    };
    EXPECT_FALSE(Edit(8, {book.c_str(), "ALL", "other.pub"}));
    EXPECT_EQ(Variables["[LastError]"], "Select at least one worksheet to import.");
    EXPECT_EQ(Slot(1), "ALL"); // untouched

    FAuthor.Act = [](TDialogForm& form) { return form.Control(u"CheckAll").Checked; };
    ASSERT_TRUE(Edit(8, {"", "", ""})); // no workbook: "Import ALL sheets" with an empty list
    EXPECT_EQ(Slot(1), "ALL");
}

TEST_F(PropertyDialogs, ImportDestinationAndAnUnreadableWorkbook) {
    tabulix::testing::TTempFolder folder;
    WriteFileBytes(folder / u"Broken.xlsx", "not a zip");
    Variables["[PubDir]"] = "C:\\pubs";
    Variables["[PubTitle]"] = " Demo (modified) ";
    TBridgeDialogServices services;
    TImportForm form(services);
    EXPECT_EQ(form.CurrentPublicationText(), u"C:\\pubs\\Demo.pub");
    Variables["[PubTitle]"] = "D:\\other\\Title.pub";
    EXPECT_EQ(form.CurrentPublicationText(), u"D:\\other\\Title.pub");

    form.Control(u"EditExcel").Text = PathToText(folder / u"Broken.xlsx");
    form.OnExit(u"EditExcel");
    ASSERT_EQ(FAuthor.Errors.size(), 1u);
    EXPECT_EQ(FAuthor.Errors[0].rfind(u"Unable to read the workbook:\r\nThis file is not a valid .xlsx workbook", 0), 0u);
    EXPECT_TRUE(form.Control(u"Sheet").Checks.empty());

    FAuthor.Act = [](TDialogForm& form) {
        form.OnShow();
        EXPECT_TRUE(form.Control(u"RadioOther").Checked);
        EXPECT_EQ(form.Control(u"LblTarget").Caption, u"Another publication (.pub):");
        EXPECT_FALSE(form.Control(u"EditTarget").ReadOnly);
        form.OnClick(u"RadioCurrent");
        EXPECT_EQ(form.Control(u"EditTarget").Text, u"D:\\other\\Title.pub");
        EXPECT_TRUE(form.Control(u"EditTarget").ReadOnly);
        EXPECT_FALSE(form.Control(u"BtnBrowseTarget").Enabled);
        return true;
    };
    ASSERT_TRUE(Edit(8, {"", "ALL", "E:\\somewhere\\else.pub"}));
    EXPECT_EQ(Slot(2), "D:\\other\\Title.pub");
}
