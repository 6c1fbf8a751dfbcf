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

const std::string Publication = "[MasterPage]\r\nNewPage=Intro\r\nPageStyle=0\r\n";

// A folder with an open publication Demo.pub and a workbook beside it.
struct TImportFolder {
    TTempFolder Folder;
    TImportFolder() {
        TXlsxFixture().Sheet("Sales", "<row r=\"1\">" + CellXml("A1", "7") + "</row>").Sheet("Costs", "").WriteTo(Folder / u"Book.xlsx");
        WriteFileBytes(Folder / u"Demo.pub", Publication);
    }
    std::string Header() const { return ScriptStart + Variables(); }
    std::string Variables() const { return "var [PubDir] " + Windows(Folder.Path()) + "\nvar [PubTitle] Demo\n"; }
};

} // namespace

TEST(ReferenceHost, RegistersTheTwelveActionsWithTheirTypeCodes) {
    TTempFolder folder;
    ExpectPassed(RunHostScript("strict-messages\ninit-prefilled\nregister\nexpect-actions 12\n"
                               "expect-action 8 TabulixImport 5,1,5\n"
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
                                       "expect-message TabulixImport \"Tabulara created successfully.{CR}{LF}{CR}{LF}Generated "
                                       "publication:{CR}{LF}" + copy + "{CR}{LF}{CR}{LF}The current publication was not overwritten.\"\n",
                                       scene.Folder.Path());
    ExpectPassed(run);
    EXPECT_EQ(ReadFileBytes(scene.Folder / u"Demo.pub"), Publication);
    const std::string imported = ReadFileBytes(scene.Folder / u"Demo.Tabulix.pub");
    EXPECT_NE(imported.find("PgEnterAction=TabulixOpen \""), std::string::npos);
    const std::string log = ReadFileBytes(scene.Folder / u"Tabulix_import.log");
    EXPECT_NE(log.find("Tabulix.dll"), std::string::npos) << log; // the build line names the library
    EXPECT_NE(log.find("SUCCESS"), std::string::npos) << log;
}

// An import into another publication, then a failing one whose error box no line expects: under
// strict-messages the box fails the script at its end, naming the line that showed it; without it the
// script passes as it always did.
TEST(ReferenceHost, ImportIntoAnotherPublicationAndAFailingImportsBox) {
    TImportFolder scene;
    WriteFileBytes(scene.Folder / u"Other.pub", Publication);
    const std::string script = "init\nregister\n" + scene.Variables() +
                               "exec TabulixImport [PubDir]Book.xlsx Costs [PubDir]Other.pub\nexpect-result true\n"
                               "expect-var-contains [LastError] \"Tabulara imported into:\"\n"
                               "exec TabulixImport [PubDir]Missing.xlsx ALL [PubDir]Other.pub\nexpect-result false\n"
                               "expect-var-contains [LastError] \"Excel file not found: \"\n";
    ExpectPassed(RunHostScript(script, scene.Folder.Path()));
    const THostRun strict = RunHostScript("strict-messages\n" + script, scene.Folder.Path());
    EXPECT_EQ(strict.ExitCode, 1u);
    EXPECT_NE(strict.Output.find("FAILED at line 9 (exec TabulixImport [PubDir]Missing.xlsx ALL [PubDir]Other.pub): the message "
                                 "box \"TabulixImport - Error\": \"Excel file not found: "),
              std::string::npos)
        << strict.Output;
    EXPECT_NE(ReadFileBytes(scene.Folder / u"Other.pub").find("Costs"), std::string::npos);
    EXPECT_FALSE(FileExists(scene.Folder / u"Demo.Tabulix.pub"));
}

TEST(ReferenceHost, EscapedWordsAndQueuedBoxAnswers) {
    TImportFolder scene;
    const THostRun run = RunHostScript(scene.Header() +
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

// A dialog step that does not hold fails the edit, whose dialog is cancelled and whose slots stay.
TEST(ReferenceHost, AFailingDialogStepCancelsTheDialog) {
    TTempFolder folder;
    const THostRun run = RunHostScript(ScriptStart +
                                       "dialog-set EditRect Changed\n"
                                       "dialog-expect CheckShowToolbar on\n"
                                       "dialog-click OK\n"
                                       "edit TabulixOpen Rect1 f v Top No\n"
                                       "print not reached\n",
                                       folder.Path());
    EXPECT_EQ(run.ExitCode, 1u) << run.Output;
    EXPECT_NE(run.Output.find("(edit TabulixOpen Rect1 f v Top No): the dialog step at line 5 (dialog-expect CheckShowToolbar "
                              "on) failed: CheckShowToolbar is \"off\", expected \"on\"; the dialog was cancelled"),
              std::string::npos)
        << run.Output;
    const size_t cancelled = run.Output.find("property dialog cancelled");
    ASSERT_NE(cancelled, std::string::npos) << run.Output;
    EXPECT_EQ(run.Output.find("edit slot 0 = ", cancelled), run.Output.find("edit slot 0 = Rect1", cancelled)) << run.Output;
    EXPECT_EQ(run.Output.find("not reached"), std::string::npos);
}
