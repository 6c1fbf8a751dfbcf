// The action property dialogs of the 64-bit DLL, driven through the reference host as an author would
// use them in the host's action editor: a script per dialog, from the stored parameters through a
// change to the slots written back.
#include "base/Files.h"
#include "base/Text.h"
#include "support/TempFolder.h"
#include "support/XlsxFixture.h"
#include "win32/HostProcess.h"

#include <gtest/gtest.h>

using namespace tabulix;
using namespace tabulix::testing;

namespace {

struct TDialogScene {
    TTempFolder Folder;
    std::string Shot(const std::string& name) const { return Windows(Folder / Utf8ToUtf16(name)); }
    void Run(const std::string& script) const { ExpectPassed(RunHostScript(ScriptStart + script, Folder.Path())); }
};

} // namespace

TEST(PropertyDialogsInTheHost, OpenWithItsPickersCancelAndTheCloseBox) {
    TDialogScene scene;
    scene.Run("answer-pick Rect2\nanswer-browse Z:\\books\\Other.xlsx\n"
              "dialog-expect-caption \"TabulixOpen Properties\"\n"
              "dialog-expect LblRect \"&Rectangle object to attach the viewer to:\"\n"
              "dialog-expect EditRect Rect1\ndialog-expect EditFile Z:\\books\\Sales.xlsx\ndialog-expect EditVar [Sheet]\n"
              "dialog-expect ComboToolbar Bottom\ndialog-expect-items ComboToolbar \"None|Page|Top|Bottom|Left|Right\"\n"
              "dialog-expect CheckShowToolbar on\n"
              "dialog-screenshot " + scene.Shot("dialog-open.png") + "\n"
              "dialog-click BtnBrowseRect\ndialog-expect EditRect Rect2\n"
              "dialog-click BtnBrowseFile\ndialog-expect EditFile Z:\\books\\Other.xlsx\n"
              "dialog-set EditVar [Current]\ndialog-set ComboToolbar Left\ndialog-check CheckShowToolbar off\n"
              "dialog-click OK\n"
              "edit TabulixOpen Rect1 Z:\\books\\Sales.xlsx [Sheet] bottom \" yes \"\nexpect-result true\n"
              "expect-request 8 Rect1\n"
              "expect-request 16 \"Z:\\books\\Sales.xlsx{CR}{CR}Excel Workbook|*.xlsx;*.xlsm|All Files|*.*{CR}False{CR}True\"\n"
              "expect-slot 0 Rect2\nexpect-slot 1 Z:\\books\\Other.xlsx\nexpect-slot 2 [Current]\nexpect-slot 3 Left\n"
              "expect-slot 4 No\n"
              // An unknown placement opens on None and is written back as such; Cancel and the close box
              // leave every slot.
              "dialog-expect ComboToolbar None\ndialog-set EditRect Changed\ndialog-click Cancel\n"
              "edit TabulixOpen Rect1 f v Nowhere No\nexpect-result false\nexpect-slot 0 Rect1\nexpect-slot 3 Nowhere\n"
              "dialog-set EditRect Changed\ndialog-close\n"
              "edit TabulixOpen Rect1 f v Top No\nexpect-result false\nexpect-slot 0 Rect1\n"
              "dialog-click OK\nedit TabulixOpen Rect1 f v Nowhere No\nexpect-slot 3 None\n");
    KeepScreenshots(scene.Folder.Path(), {u"dialog-open.png"});
}

TEST(PropertyDialogsInTheHost, SettingsWithTheColourDialog) {
    TDialogScene scene;
    scene.Run("answer-color FF0000\nanswer-color cancel\n"
              "dialog-expect-caption \"TabulixSettings Properties\"\ndialog-expect EditRect Rect1\n"
              "dialog-expect EditToolbarColor 00FF80\ndialog-expect EditHeaderColor \"#102030\"\n"
              "dialog-expect EditFont Arial\ndialog-expect EditFontSize \"\"\n"
              "dialog-screenshot " + scene.Shot("dialog-settings.png") + "\n"
              "dialog-click BtnPickToolbarColor\nexpect-color-start 00FF80\ndialog-expect EditToolbarColor FF0000\n"
              "dialog-click BtnPickHeaderColor\nexpect-color-start default\ndialog-expect EditHeaderColor \"#102030\"\n"
              "dialog-set EditHeaderColor \"\"\ndialog-set EditFontSize 12\ndialog-click OK\n"
              "edit TabulixSettings Rect1 \"ToolbarColor=00FF80;HeaderColor=#102030;GridFont=Arial\"\n"
              "expect-result true\nexpect-slot 1 ToolbarColor=FF0000;GridFont=Arial;FontSize=12\n"
              "dialog-set EditFont \" \"\ndialog-set EditFontSize \"\"\ndialog-set EditToolbarColor \"\"\ndialog-click OK\n"
              "edit TabulixSettings Rect1 \"ToolbarColor=1;GridFont=x;FontSize=9\"\nexpect-slot 1 \"\"\n");
    KeepScreenshots(scene.Folder.Path(), {u"dialog-settings.png"});
}

TEST(PropertyDialogsInTheHost, EachOtherDialogReadsChangesAndWritesItsParameters) {
    TDialogScene scene;
    struct TDialogCase {
        const char* Shot;
        std::string Script;
    };
    const TDialogCase cases[] = {
        {"dialog-new.png", "dialog-expect-caption \"TabulNew Properties\"\ndialog-expect EditFile Z:\\new.xlsx\n"
                           "dialog-set EditFile Z:\\other.xlsx\n"},
        {"dialog-next.png", "dialog-expect-caption \"TabulixNext Properties\"\ndialog-expect EditRect Rect1\n"
                            "dialog-set EditRect Rect9\n"},
        {"dialog-goto.png", "dialog-expect-caption \"TabulixGoto Properties\"\ndialog-expect EditSheet 2\n"
                            "dialog-set EditSheet Costs\n"},
        {"dialog-save.png", "dialog-expect-caption \"TabulixSave Properties\"\ndialog-expect EditFile \"\"\n"
                            "dialog-set EditFile Z:\\copy.xlsx\n"},
        {"dialog-export.png", "dialog-expect-caption \"TabulixExport Properties\"\ndialog-expect ComboFormat PDF\n"
                              "dialog-expect CheckAllSheets off\ndialog-set ComboFormat Word\n"
                              "dialog-check CheckAllSheets on\n"},
        {"dialog-highlight.png", "dialog-expect-caption \"TabulixHighlight Properties\"\ndialog-expect ComboColor Yellow\n"
                                 "dialog-expect-items ComboColor \"Yellow|Green|Red|Blue|Orange|None\"\n"
                                 "dialog-set ComboColor Orange\n"},
    };
    const std::string edits[] = {
        "edit TabulNew Rect1 Z:\\new.xlsx\nexpect-result true\nexpect-slot 1 Z:\\other.xlsx\n",
        "edit TabulixNext Rect1\nexpect-result true\nexpect-slot 0 Rect9\n",
        "edit TabulixGoto Rect1 2\nexpect-result true\nexpect-slot 1 Costs\n",
        "edit TabulixSave Rect1 \"\"\nexpect-result true\nexpect-slot 1 Z:\\copy.xlsx\n",
        "edit TabulixExport Rect1 Z:\\out.pdf pdf \" AllSheets\"\nexpect-result true\nexpect-slot 2 Word\n"
        "expect-slot 3 AllSheets\n",
        "edit TabulixHighlight Rect1 purple\nexpect-result true\nexpect-slot 1 Orange\n",
    };
    std::string script;
    for (size_t i = 0; i < std::size(cases); ++i) {
        script += cases[i].Script + "dialog-screenshot " + scene.Shot(cases[i].Shot) + "\ndialog-click OK\n" + edits[i];
    }
    scene.Run(script);
    KeepScreenshots(scene.Folder.Path(), {u"dialog-new.png", u"dialog-next.png", u"dialog-goto.png", u"dialog-save.png",
                                          u"dialog-export.png", u"dialog-highlight.png"});
}

TEST(PropertyDialogsInTheHost, ImportWithTheSheetsOfARealWorkbook) {
    TDialogScene scene;
    TXlsxFixture().Sheet("Sales", "").Sheet("Costs", "").Sheet("A|B", "").WriteTo(scene.Folder / u"Book.xlsx");
    TXlsxFixture().Sheet("Only", "").WriteTo(scene.Folder / u"Other.xlsx");
    WriteFileBytes(scene.Folder / u"Broken.xlsx", "not a workbook");
    WriteFileBytes(scene.Folder / u"Demo.pub", "[MasterPage]\r\n");
    const std::string folder = Windows(scene.Folder.Path());
    const std::string book = folder + "\\Book.xlsx";
    scene.Run("var [PubDir] " + folder + "\\\nvar [PubTitle] \"Demo (draft)\"\n"
              // Two stored names: exactly those checked; OK writes them again in the workbook's order.
              "dialog-expect-caption \"TabulixImport Properties\"\ndialog-expect EditExcel " + book + "\n"
              "dialog-expect-items Sheet \"Sales [x]|Costs [x]|A|B\"\ndialog-expect CheckAll off\n"
              "dialog-expect RadioCurrent on\ndialog-expect LblTarget \"Current publication (.pub) - automatic:\"\n"
              "dialog-expect EditTarget " + folder + "\\Demo.pub\ndialog-expect-enabled BtnBrowseTarget false\n"
              "dialog-screenshot " + scene.Shot("dialog-import.png") + "\n"
              "dialog-click OK\nedit TabulixImport " + book + " Costs|Sales \"\"\nexpect-result true\n"
              "expect-slot 1 Sales|Costs\nexpect-slot 2 " + folder + "\\Demo.pub\n"
              // Unchecking one of all clears "Import ALL sheets", checking it again sets it; "|" -> blank.
              "dialog-expect CheckAll on\ndialog-check Sheet:Costs off\ndialog-expect CheckAll off\n"
              "dialog-expect-items Sheet \"Sales [x]|Costs|A|B [x]\"\ndialog-check Sheet:Costs on\n"
              "dialog-expect CheckAll on\ndialog-check Sheet:Sales off\ndialog-click OK\n"
              "edit TabulixImport " + book + " ALL \"\"\nexpect-slot 1 \"Costs|A B\"\n"
              // Leaving the workbook field reloads the list; an unreadable workbook shows the box and the
              // dialog stays; the browse buttons answer both fields.
              "dialog-set EditExcel " + folder + "\\Other.xlsx\ndialog-focus EditTarget\n"
              "dialog-expect-items Sheet \"Only [x]\"\n"
              "dialog-set EditExcel " + folder + "\\Broken.xlsx\ndialog-click BtnSelectNone\ndialog-expect-items Sheet \"\"\n"
              "answer-file " + book + "\ndialog-click BtnBrowseExcel\ndialog-expect-items Sheet \"Sales [x]|Costs [x]|A|B [x]\"\n"
              "answer-file " + folder + "\\Demo.pub\ndialog-check RadioOther on\ndialog-click BtnBrowseTarget\n"
              "dialog-expect LblTarget \"Another publication (.pub):\"\ndialog-click OK\n"
              "edit TabulixImport \"\" \"\" \"\"\nexpect-result true\n"
              "expect-message-contains * \"Unable to read the workbook:{CR}{LF}\"\n"
              "expect-slot 0 " + book + "\nexpect-slot 1 ALL\nexpect-slot 2 " + folder + "\\Demo.pub\n"
              // Nothing checked: false with the message, every slot as it was.
              "dialog-click BtnSelectNone\ndialog-click OK\nedit TabulixImport " + book + " Sales keep\n"
              "expect-result false\nexpect-var [LastError] \"Select at least one worksheet to import.\"\n"
              "expect-slot 1 Sales\nexpect-slot 2 keep\n");
    KeepScreenshots(scene.Folder.Path(), {u"dialog-import.png"});
}
