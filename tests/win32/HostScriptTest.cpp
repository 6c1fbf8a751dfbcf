// The 64-bit Tabulix.dll driven by the reference host, as VisualNEO drives it.
#include "base/Files.h"
#include "base/Text.h"
#include "support/TempFolder.h"
#include "support/XlsxFixture.h"
#include "win32/HostProcess.h"

#include <gtest/gtest.h>

using namespace tabulix;
using namespace tabulix::testing;

namespace {

std::string Windows(const std::filesystem::path& path) { return Utf16ToUtf8(PathToText(path)); }

const std::string Publication = "[MasterPage]\r\nNewPage=Intro\r\nPageStyle=0\r\n";

// A folder with an open publication Demo.pub and a workbook beside it.
struct TImportFolder {
    TTempFolder Folder;
    TImportFolder() {
        TXlsxFixture().Sheet("Sales", "<row r=\"1\">" + CellXml("A1", "7") + "</row>").Sheet("Costs", "").WriteTo(Folder / u"Book.xlsx");
        WriteFileBytes(Folder / u"Demo.pub", Publication);
    }
    std::string Header() const {
        return "init\nregister\nvar [PubDir] " + Windows(Folder.Path()) + "\nvar [PubTitle] Demo\n";
    }
};

void ExpectPassed(const THostRun& run) {
    EXPECT_EQ(run.ExitCode, 0u) << run.Output;
    EXPECT_NE(run.Output.find("script passed"), std::string::npos) << run.Output;
}

} // namespace

TEST(ReferenceHost, RegistersTheTwelveActionsWithTheirTypeCodes) {
    TTempFolder folder;
    ExpectPassed(RunHostScript("init-prefilled\nregister\nexpect-actions 12\n"
                               "expect-action 1 TabulixOpen 1,5,6,1,1\nexpect-action 2 TabulixNext 1\n"
                               "expect-action 3 TabulixPrev 1\nexpect-action 4 TabulixGoto 1,1\n"
                               "expect-action 5 TabulixClose 1\nexpect-action 6 TabulixSave 1,5\n"
                               "expect-action 7 TabulixExport 1,5,1,1\nexpect-action 8 TabulixImport 5,1,5\n"
                               "expect-action 9 TabulixEdit 1\nexpect-action 10 TabulixHighlight 1,1\n"
                               "expect-action 11 TabulixSettings 1,1\nexpect-action 12 TabulNew 1,5\n"
                               "exec 0\nexpect-result false\nexec 13\nexpect-result false\n"
                               "exec TabulixEdit Rect1\nexpect-result false\n"
                               "expect-var [LastError] \"There is no Excel viewer attached to an object named Rect1.\"\n"
                               "message 2\nmessage 2\n",
                               folder.Path()));
}

TEST(ReferenceHost, ImportIntoACopyOfTheCurrentPublication) {
    TImportFolder scene;
    const std::string copy = Windows(scene.Folder / u"Demo.Tabulix.pub");
    const THostRun run = RunHostScript(scene.Header() +
                                       "exec TabulixImport [pubdir]Book.xlsx ALL __TABULIX_CURRENT__\n"
                                       "expect-result true\n"
                                       "expect-var [TabulixImportedPub] " + copy + "\n"
                                       "expect-var-contains [LastError] \"Tabulara created successfully.\"\n"
                                       "expect-message-contains TabulixImport \"The current publication was not overwritten.\"\n"
                                       "expect-no-message\n",
                                       scene.Folder.Path());
    ExpectPassed(run);
    EXPECT_EQ(ReadFileBytes(scene.Folder / u"Demo.pub"), Publication);
    const std::string imported = ReadFileBytes(scene.Folder / u"Demo.Tabulix.pub");
    EXPECT_NE(imported.find("PgEnterAction=TabulixOpen \""), std::string::npos);
    const std::string log = ReadFileBytes(scene.Folder / u"Tabulix_import.log");
    EXPECT_NE(log.find("Tabulix.dll"), std::string::npos) << log; // the build line names the library
    EXPECT_NE(log.find("SUCCESS"), std::string::npos) << log;
}

TEST(ReferenceHost, ImportIntoAnotherPublicationAndAFailingImport) {
    TImportFolder scene;
    WriteFileBytes(scene.Folder / u"Other.pub", Publication);
    const THostRun run = RunHostScript(scene.Header() +
                                       "exec TabulixImport [PubDir]Book.xlsx Costs [PubDir]Other.pub\n"
                                       "expect-result true\n"
                                       "expect-var-contains [LastError] \"Tabulara imported into:\"\n"
                                       "expect-no-message\n"
                                       "exec TabulixImport [PubDir]Missing.xlsx ALL [PubDir]Other.pub\n"
                                       "expect-result false\n"
                                       "expect-var-contains [LastError] \"Excel file not found: \"\n"
                                       "expect-message-contains \"TabulixImport - Error\" \"Excel file not found: \"\n",
                                       scene.Folder.Path());
    ExpectPassed(run);
    EXPECT_NE(ReadFileBytes(scene.Folder / u"Other.pub").find("Costs"), std::string::npos);
    EXPECT_FALSE(FileExists(scene.Folder / u"Demo.Tabulix.pub"));
}

TEST(ReferenceHost, EscapedWordsAndQueuedBoxAnswers) {
    TImportFolder scene;
    const std::string copy = Windows(scene.Folder / u"Demo.Tabulix.pub");
    const THostRun run = RunHostScript(scene.Header() +
                                       "answer-box ok\n"
                                       "exec TabulixImport [PubDir]Book.xlsx ALL __TABULIX_CURRENT__\n"
                                       "expect-message * \"Tabulara created successfully.{CR}{LF}{CR}{LF}Generated publication:{CR}{LF}" +
                                           copy + "{CR}{LF}{CR}{LF}The current publication was not overwritten.\"\n"
                                       "exec TabulixOpen \"R{QUOTE}{TAB}1\" x Grid Top No\n"
                                       "expect-var [LastError] \"An object named R{QUOTE}{TAB}1 does not exist.\"\n"
                                       // an error box has no Yes: it gets its default button and the line fails
                                       "answer-box yes\n"
                                       "exec TabulixImport [PubDir]Missing.xlsx ALL __TABULIX_CURRENT__\n"
                                       "print not reached\n",
                                       scene.Folder.Path());
    EXPECT_EQ(run.ExitCode, 1u);
    EXPECT_NE(run.Output.find("set variable [LastError] = An object named R\"\t1 does not exist."), std::string::npos) << run.Output;
    EXPECT_NE(run.Output.find("(exec TabulixImport [PubDir]Missing.xlsx ALL __TABULIX_CURRENT__): the answer Yes is no "
                              "button of the box; it was answered OK"),
              std::string::npos)
        << run.Output;
    EXPECT_EQ(run.Output.find("not reached"), std::string::npos);
}

TEST(ReferenceHost, AFailedExpectationStopsTheScript) {
    TTempFolder folder;
    const THostRun run = RunHostScript("init\nregister\nexpect-var [Nothing] something\nprint not reached\n", folder.Path());
    EXPECT_EQ(run.ExitCode, 1u);
    EXPECT_NE(run.Output.find("FAILED at line 3 (expect-var [Nothing] something)"), std::string::npos) << run.Output;
    EXPECT_EQ(run.Output.find("not reached"), std::string::npos);
}

// The dialog steps queued before an edit run on the property dialog it shows: the host's Rectangle
// picker and the colour dialog answered from within a click, the Import dialog's sheet list reloaded
// when the focus leaves the workbook field and one item unchecked; a step that does not hold fails
// the edit, whose dialog is cancelled.
TEST(ReferenceHost, PropertyDialogsDrivenByQueuedSteps) {
    TImportFolder scene;
    const std::string book = Windows(scene.Folder / u"Book.xlsx");
    const THostRun run = RunHostScript(scene.Header() +
                                       "answer-pick Rect2\n"
                                       "answer-color FF0000\n"
                                       "dialog-expect-caption \"TabulixSettings Properties\"\n"
                                       "dialog-click BtnBrowseRect\n"
                                       "dialog-click BtnPickToolbarColor\n"
                                       "expect-color-start 00FF80\n"
                                       "dialog-expect EditToolbarColor FF0000\n"
                                       "dialog-set EditFont Arial\n"
                                       "dialog-click OK\n"
                                       "edit TabulixSettings Rect1 ToolbarColor=00FF80\n"
                                       "expect-result true\n"
                                       "expect-request 8 Rect1\n"
                                       "expect-slot 0 Rect2\n"
                                       "expect-slot 1 ToolbarColor=FF0000;GridFont=Arial\n"
                                       "dialog-expect-items Sheet \"\"\n"
                                       "dialog-set EditExcel " + book + "\n"
                                       "dialog-focus EditTarget\n"
                                       "dialog-expect-items Sheet \"Sales [x]|Costs [x]\"\n"
                                       "dialog-check Sheet:Costs off\n"
                                       "dialog-expect CheckAll off\n"
                                       "dialog-click OK\n"
                                       "edit TabulixImport \"\" ALL \"\"\n"
                                       "expect-slot 0 " + book + "\n"
                                       "expect-slot 1 Sales\n"
                                       "dialog-set EditRect Changed\n"
                                       "dialog-expect CheckShowToolbar on\n"
                                       "dialog-click OK\n"
                                       "edit TabulixOpen Rect1 f v Top No\n"
                                       "print not reached\n",
                                       scene.Folder.Path());
    EXPECT_EQ(run.ExitCode, 1u) << run.Output;
    EXPECT_NE(run.Output.find("(edit TabulixOpen Rect1 f v Top No): the dialog step at line 30 (dialog-expect CheckShowToolbar "
                              "on) failed: CheckShowToolbar is \"off\", expected \"on\"; the dialog was cancelled"),
              std::string::npos)
        << run.Output;
    const size_t cancelled = run.Output.find("property dialog cancelled");
    ASSERT_NE(cancelled, std::string::npos) << run.Output;
    EXPECT_EQ(run.Output.find("edit slot 0 = ", cancelled), run.Output.find("edit slot 0 = Rect1", cancelled)) << run.Output;
    EXPECT_EQ(run.Output.find("not reached"), std::string::npos);
}
