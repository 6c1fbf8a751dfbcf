// The plug-in from its entry points down, natively, with a host made of doubles.
#include "base/AnsiCodePage.h"
#include "base/Files.h"
#include "base/HostMemory.h"
#include "base/Text.h"
#include "plugin/BridgePorts.h"
#include "plugin/HostBridge.h"
#include "plugin/HostCallbacks.h"
#include "plugin/HostStrings.h"
#include "plugin/PlugInActions.h"
#include "plugin/PlugInInterface.h"
#include "plugin/ViewerActions.h"
#include "support/TempFolder.h"
#include "support/XlsxFixture.h"
#include "viewer/ViewerDoubles.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>

using namespace tabulix;
using namespace tabulix::testing;

namespace {

// Host memory that knows every block it handed out, so that sizes and frees can be checked.
class TCountingMemory final : public THostMemory {
public:
    std::map<char*, size_t> Live;
    int Frees = 0;
    char* Allocate(size_t bytes) override {
        char* block = static_cast<char*>(std::malloc(bytes));
        Live[block] = bytes;
        return block;
    }
    void Free(char* block) override {
        ASSERT_EQ(Live.count(block), 1u) << "a block freed that the host memory did not hand out";
        Live.erase(block);
        ++Frees;
        std::free(block);
    }
    // A block as the host would hand it over.
    char* HostString(const std::string& text) {
        char* block = Allocate(text.size() + 1);
        std::memcpy(block, text.c_str(), text.size() + 1);
        return block;
    }
};

struct TShownBox {
    THostWindow Owner;
    std::u16string Text, Caption;
    TMessageBoxKind Kind;
};

class TPlatformDouble final : public TPlugInPlatform {
public:
    std::vector<TShownBox> Boxes;
    void ShowMessageBox(THostWindow owner, const std::u16string& text, const std::u16string& caption,
                        TMessageBoxKind kind) override {
        Boxes.push_back({owner, text, caption, kind});
    }
    std::u16string LibraryModulePath() const override { return u"C:\\Plugins\\Tabulix.dll"; }
    TLocalTime LocalTime() const override { return {2026, 12, 9, 10, 11, 12}; }
};

// The host: its variables, the actions it was given, the answers to its requests, and every call.
struct TFakeHost {
    TCountingMemory Memory;
    TWindows1252CodePage CodePage;
    TPlatformDouble Platform;
    std::map<std::string, std::string> Variables; // ANSI, as the host keeps them
    std::vector<std::string> Calls;
    struct TAction {
        int32_t Number;
        std::string Name, Hint;
        std::vector<uint8_t> Codes;
        int32_t Count;
    };
    std::vector<TAction> Actions;
    std::map<int32_t, std::string> Answers; // request -> slot text; a missing entry leaves the slot alone
    std::map<std::string, std::string> Objects; // request 7 by object name, when it has entries
    std::vector<std::string> Requests;
    std::vector<std::string> Scripts;
};

TFakeHost* Host = nullptr;

void TABULIX_STDCALL AddAction(int32_t number, const char* name, const char* hint, const uint8_t* codes, int32_t last,
                               int32_t count) {
    Host->Actions.push_back({number, name, hint, std::vector<uint8_t>(codes, codes + last + 1), count});
}
void TABULIX_STDCALL GetVariable(const char* name, char** slot) {
    Host->Calls.push_back(std::string("get ") + name);
    EXPECT_EQ(*slot, nullptr);
    const auto found = Host->Variables.find(name);
    if (found != Host->Variables.end()) *slot = Host->Memory.HostString(found->second);
}
void TABULIX_STDCALL SetVariable(const char* name, const char* value) {
    Host->Calls.push_back(std::string("set ") + name);
    Host->Variables[name] = value;
}
THostBool TABULIX_STDCALL InterfaceAccess(int32_t request, char** slot) {
    Host->Requests.push_back(std::to_string(request) + ":" + (*slot ? *slot : "(null)"));
    std::string text;
    if (request == 7 && !Host->Objects.empty()) {
        // The host finds objects whatever the case of their names.
        std::string name = *slot ? *slot : "";
        for (char& c : name) c = char(std::toupper(static_cast<unsigned char>(c)));
        const auto object = Host->Objects.find(name);
        text = object == Host->Objects.end() ? "0" : object->second;
    } else {
        const auto answer = Host->Answers.find(request);
        if (answer == Host->Answers.end()) return false;
        text = answer->second;
    }
    if (*slot) Host->Memory.Free(*slot);
    *slot = Host->Memory.HostString(text);
    return true;
}
void TABULIX_STDCALL ScriptCommand(const char* command) { Host->Scripts.push_back(command); }

// Each test starts from a library that knows nothing of a host, with the doubles as its ports.
class PlugIn : public ::testing::Test {
protected:
    void SetUp() override {
        Host = &FHost;
        THostBridge& bridge = Bridge();
        FSaved = {bridge.Memory, bridge.CodePage, bridge.Platform, bridge.ViewerWindows};
        bridge = THostBridge();
        bridge.Memory = &FHost.Memory;
        bridge.CodePage = &FHost.CodePage;
        bridge.Platform = &FHost.Platform;
        bridge.ViewerWindows = &FWindows;
    }
    void TearDown() override {
        EXPECT_TRUE(FHost.Memory.Live.empty()) << FHost.Memory.Live.size() << " host blocks were not freed";
        THostBridge& bridge = Bridge();
        bridge = THostBridge();
        bridge.Memory = FSaved.Memory;
        bridge.CodePage = FSaved.CodePage;
        bridge.Platform = FSaved.Platform;
        bridge.ViewerWindows = FSaved.ViewerWindows;
        Host = nullptr;
    }
    void Register() {
        nbRegisterPlugIn(AddAction, nullptr, GetVariable, SetVariable);
        nbRegisterInterfaceAccess(InterfaceAccess);
        nbRegisterScriptProcessor(ScriptCommand);
    }
    // Runs an action with parameters as the host passes them, blocks of its allocator.
    bool Exec(int32_t action, const std::vector<std::string>& parameters) {
        std::vector<char*> blocks;
        for (const std::string& p : parameters) blocks.push_back(FHost.Memory.HostString(p));
        if (blocks.empty()) blocks.push_back(nullptr);
        const bool result = nbExecAction(action, blocks.data(), int32_t(blocks.size()) - 1);
        for (char* block : blocks) {
            if (block) FHost.Memory.Free(block);
        }
        return result;
    }

    TFakeHost FHost;
    TScriptedWindows FWindows;
    struct {
        THostMemory* Memory;
        const TAnsiCodePage* CodePage;
        TPlugInPlatform* Platform;
        TViewerWindows* ViewerWindows;
    } FSaved{};
};

} // namespace

TEST_F(PlugIn, RegistersTheTwelveActionsInTableOrder) {
    Register();
    ASSERT_EQ(FHost.Actions.size(), 12u);
    const char* names[] = {"TabulixOpen", "TabulixNext", "TabulixPrev", "TabulixGoto", "TabulixClose", "TabulixSave",
                           "TabulixExport", "TabulixImport", "TabulixEdit", "TabulixHighlight", "TabulixSettings", "TabulNew"};
    const std::vector<std::vector<uint8_t>> codes = {{1, 5, 6, 1, 1}, {1}, {1}, {1, 1}, {1}, {1, 5}, {1, 5, 1, 1},
                                                     {5, 1, 5}, {1}, {1, 1}, {1, 1}, {1, 5}};
    for (size_t i = 0; i < 12; ++i) {
        EXPECT_EQ(FHost.Actions[i].Number, int32_t(i + 1));
        EXPECT_EQ(FHost.Actions[i].Name, names[i]);
        EXPECT_EQ(FHost.Actions[i].Codes, codes[i]) << names[i];
        EXPECT_EQ(FHost.Actions[i].Count, int32_t(codes[i].size()));
    }
    EXPECT_EQ(FHost.Actions[7].Hint, "Import selected Excel worksheets as real VisualNEO pages into the current "
                                     "publication or another pubfile. Existing pages are preserved.");
}

TEST_F(PlugIn, InitFillsTheThreeSlotsFreeingWhatTheyHeld) {
    char* title = FHost.Memory.HostString("old title");
    char* publisher = FHost.Memory.HostString("old");
    char* hint = nullptr;
    const auto window = reinterpret_cast<THostWindow>(intptr_t(0x1234));
    nbInitPlugIn(window, &title, &publisher, &hint);
    EXPECT_EQ(FHost.Memory.Frees, 2);
    EXPECT_STREQ(title, "Tabulara");
    EXPECT_STREQ(publisher, "Corvane");
    EXPECT_STREQ(hint, "Open an Excel workbook, browse and edit its worksheets, and save changes back.");
    EXPECT_EQ(FHost.Memory.Live[title], std::strlen("Tabulara") + 1);
    EXPECT_EQ(FHost.Memory.Live[hint], std::strlen(hint) + 1);
    EXPECT_EQ(Bridge().HostWindow, window);
    for (char* block : {title, publisher, hint}) FHost.Memory.Free(block); // the host owns them now
    nbInitPlugIn(window, nullptr, nullptr, nullptr);                       // no slots: nothing to fill
}

TEST_F(PlugIn, ActionNumbersOutsideTheTableChangeNothing) {
    Register();
    FHost.Calls.clear();
    for (int32_t action : {0, 13, -1}) {
        EXPECT_FALSE(Exec(action, {"Rect1", "book.xlsx"}));
        char* slots[1] = {nullptr};
        EXPECT_FALSE(nbEditAction(action, slots, 0));
    }
    EXPECT_TRUE(FHost.Calls.empty());
    EXPECT_TRUE(FHost.Requests.empty());
}

TEST_F(PlugIn, ParametersBeyondTheLastIndexReadAsEmpty) {
    Register();
    // Goto reads two parameters; a host that passes one must not have a second read past its array.
    std::vector<char*> one = {FHost.Memory.HostString("Rect1")};
    EXPECT_FALSE(nbExecAction(4, one.data(), 0));
    EXPECT_EQ(FHost.Variables["[LastError]"], "There is no Excel viewer attached to an object named Rect1.");
    EXPECT_FALSE(nbExecAction(4, one.data(), -1));
    EXPECT_EQ(FHost.Variables["[LastError]"], "There is no Excel viewer attached to an object named .");
    FHost.Memory.Free(one[0]);
    const TOpenParameters open = ReadOpenParameters(THostParameters{nullptr, 4});
    EXPECT_EQ(open.RectangleName, u"");
}

TEST_F(PlugIn, AFailureWhileReportingAFailureStaysInside) {
    // A code page that cannot convert anything towards the host: reporting the first failure fails too.
    struct TExhaustedCodePage final : TAnsiCodePage {
        std::string FromUtf16(std::u16string_view) const override { throw std::bad_alloc(); }
        std::u16string ToUtf16(std::string_view bytes) const override { return Utf8ToUtf16(bytes); }
    } exhausted;
    Register();
    Bridge().CodePage = &exhausted;
    bool result = true;
    EXPECT_NO_THROW(result = Exec(2, {"Rect1"}));
    EXPECT_FALSE(result);
    EXPECT_NO_THROW(ReportError(u"dropped"));
    Bridge().CodePage = &FHost.CodePage;
}

TEST_F(PlugIn, OpenReadsItsToolbarFlagTrimmedAndIgnoringCase) {
    TCountingMemory& memory = FHost.Memory;
    auto flag = [&](const char* text) {
        char* parameters[5] = {memory.HostString(" Rect1 "), nullptr, memory.HostString("Grid"), memory.HostString("Top"),
                               text ? memory.HostString(text) : nullptr};
        const TOpenParameters open = ReadOpenParameters(THostParameters{parameters, 4});
        EXPECT_EQ(open.RectangleName, u" Rect1 "); // verbatim
        EXPECT_EQ(open.WorkbookFile, u"");          // a null parameter reads as empty
        for (char* p : parameters) {
            if (p) memory.Free(p);
        }
        return open.ShowActionToolbar;
    };
    EXPECT_TRUE(flag("Yes"));
    EXPECT_TRUE(flag("  yes\t"));
    EXPECT_TRUE(flag("YES"));
    for (const char* text : {"Y", "True", "1", "", "No", "Yes please"}) EXPECT_FALSE(flag(text)) << text;
    EXPECT_FALSE(flag(nullptr));
}

TEST_F(PlugIn, TextCrossesTheBoundaryInTheAnsiCodePage) {
    Register();
    SetHostVariable(u"[Out]", u"Caf\u00e9 \u65e5\u672c \u20ac");
    EXPECT_EQ(FHost.Variables["[Out]"], "Caf\xE9 ?? \x80");
    FHost.Variables["[In]"] = "Gr\xFC\xDF";
    EXPECT_EQ(GetHostVariable(u"[In]"), u"Gr\u00fc\u00df");
    EXPECT_EQ(GetHostVariable(u"[Missing]"), u"");
    EXPECT_EQ(ReadHostString(nullptr), u"");
}

TEST_F(PlugIn, CallbacksAreUsedOnlyOnceRegistered) {
    EXPECT_EQ(GetHostVariable(u"[PubDir]"), u"");
    SetHostVariable(u"[LastError]", u"dropped");
    ReportError(u"dropped too");
    EXPECT_FALSE(HostSupportsObjectLookup());
    EXPECT_EQ(LookupObjectWindow(u"Rect1"), 0);
    RunHostScript(u"Gotonextpage");
    EXPECT_TRUE(FHost.Calls.empty());
    EXPECT_TRUE(FHost.Scripts.empty());
    EXPECT_FALSE(Exec(8, {"book.xlsx", "ALL", "other.pub"})); // fails, and nothing reaches the host
}

TEST_F(PlugIn, InterfaceAccessRequests) {
    Register();
    EXPECT_FALSE(HostSupportsObjectLookup()); // the slot stayed null
    FHost.Answers[6] = "";
    EXPECT_TRUE(HostSupportsObjectLookup()); // non-null, whatever it holds
    FHost.Answers[7] = "4242";
    EXPECT_EQ(LookupObjectWindow(u"Rect\u00e91"), 4242);
    FHost.Answers[7] = "0x10";
    EXPECT_EQ(LookupObjectWindow(u"Rect1"), 0);
    FHost.Answers[7] = "-5"; // a handle with its top bit set, written as a signed 32-bit number
    EXPECT_EQ(LookupObjectWindow(u"Rect1"), -5);
    EXPECT_EQ(FHost.Requests, (std::vector<std::string>{"6:(null)", "6:(null)", "7:Rect\xE9" "1", "7:Rect1", "7:Rect1"}));
    RunHostScript(u"Gotoprevpage");
    EXPECT_EQ(FHost.Scripts, std::vector<std::string>{"Gotoprevpage"});
    // A number no 32-bit handle can be is no object, not a handle cut to size.
    FHost.Answers[7] = "4294967297";
    EXPECT_EQ(LookupObjectWindow(u"Rect1"), 0);
    FHost.Answers[7] = "-2147483648";
    EXPECT_EQ(LookupObjectWindow(u"Rect1"), INT32_MIN);
}

TEST_F(PlugIn, PubTokensExpandFromTheHostsVariables) {
    Register();
    // The folder gets the platform's separator unless it ends with one.
    const std::u16string separator(1, char16_t(std::filesystem::path::preferred_separator));
    FHost.Variables["[PubDir]"] = "C:\\Pubs";
    FHost.Variables["[PubTitle]"] = "My Book";
    EXPECT_EQ(ExpandHostPubTokens(u"[pubdir]Data\\[PUBTITLE].xlsx"), u"C:\\Pubs" + separator + u"Data\\My Book.xlsx");
    FHost.Variables["[PubDir]"] = "C:\\Pubs" + Utf16ToUtf8(separator);
    EXPECT_EQ(ExpandHostPubTokens(u"[PubDir]a.xlsx"), u"C:\\Pubs" + separator + u"a.xlsx");
    FHost.Variables["[PubDir]"] = "";
    EXPECT_EQ(ExpandHostPubTokens(u"[PubDir]a.xlsx"), u"[PubDir]a.xlsx");
}

TEST_F(PlugIn, ImportRunsThroughTheBridgeAndLastErrorIsNeverCleared) {
    Register();
    TTempFolder folder;
    TXlsxFixture().Sheet("Sales", "").Sheet("Costs", "").WriteTo(folder / u"Book.xlsx");
    const std::string publication = "[MasterPage]\r\nNewPage=Intro\r\nPageStyle=0\r\n";
    WriteFileBytes(folder / u"Demo.pub", publication);
    FHost.Variables["[PubDir]"] = Utf16ToUtf8(PathToText(folder.Path())) + "/";
    FHost.Variables["[PubTitle]"] = "Demo";
    const auto window = reinterpret_cast<THostWindow>(intptr_t(0x77));
    char* none = nullptr;
    nbInitPlugIn(window, &none, &none, &none);
    FHost.Memory.Free(none);

    EXPECT_FALSE(Exec(8, {"[PubDir]Missing.xlsx", "ALL", "__TABULIX_CURRENT__"}));
    const std::string failure = FHost.Variables["[LastError]"];
    EXPECT_EQ(failure.rfind("Excel file not found: ", 0), 0u) << failure;

    ASSERT_TRUE(Exec(8, {"[PubDir]Book.xlsx", "Costs", "__TABULIX_CURRENT__"})) << FHost.Variables["[LastError]"];
    const std::string copy = FHost.Variables["[TabulixImportedPub]"];
    EXPECT_NE(copy.find("Demo.Tabulix.pub"), std::string::npos) << copy;
    EXPECT_EQ(ReadFileBytes(folder / u"Demo.pub"), publication); // the open publication is never touched
    EXPECT_TRUE(FileExists(folder / u"Demo.Tabulix.pub"));
    ASSERT_FALSE(FHost.Platform.Boxes.empty());
    EXPECT_EQ(FHost.Platform.Boxes.back().Owner, window);
    const std::string log = ReadFileBytes(folder / u"Tabulix_import.log");
    EXPECT_NE(log.find("DLL=C:\\Plugins\\Tabulix.dll"), std::string::npos) << log;
}

namespace {

// A host with a main window and two Rectangles, and workbooks to open on them.
class ViewerActions : public PlugIn {
protected:
    void SetUp() override {
        PlugIn::SetUp();
        const TWindowHandle main = FWindows.Add(nullptr, TRect{0, 0, 800, 600}, TPoint{0, 0});
        for (const char* name : {"RECT1", "RECT2"}) {
            const TWindowHandle rectangle = FWindows.Add(main, TRect{0, 0, 300, 200}, TPoint{10, 10});
            FHost.Objects[name] = std::to_string(reinterpret_cast<intptr_t>(rectangle));
        }
        FHost.Answers[6] = "yes";
        char* slot = nullptr;
        nbInitPlugIn(main, &slot, &slot, &slot);
        FHost.Memory.Free(slot);
        Register();
        TXlsxFixture().Sheet("First", "").Sheet("Second", "").Sheet("Third", "").WriteTo(FFolder / u"Book.xlsx");
        FBook = Utf16ToUtf8(PathToText(FFolder / u"Book.xlsx"));
    }
    int ViewerWindows() const {
        int count = 0;
        for (const auto& [handle, window] : FWindows.Windows) count += window.Viewer ? 1 : 0;
        return count;
    }
    std::string LastError() { return FHost.Variables["[LastError]"]; }

    TTempFolder FFolder;
    std::string FBook;
};

} // namespace

TEST_F(ViewerActions, OpenPublishesAndCloseRemoves) {
    ASSERT_TRUE(Exec(1, {"rect1", FBook, "Grid", "Top", "No"})) << LastError();
    EXPECT_EQ(FHost.Variables["[Grid]"], "First");
    EXPECT_EQ(FHost.Variables["[Grid_Count]"], "3");
    EXPECT_TRUE(Exec(2, {"RECT1"}));
    EXPECT_EQ(FHost.Variables["[Grid_Index]"], "2");
    EXPECT_TRUE(Exec(4, {"Rect1", "third"}));
    EXPECT_FALSE(Exec(2, {"Rect1"})); // already on the last sheet
    EXPECT_TRUE(Exec(3, {"Rect1"}));
    EXPECT_EQ(FHost.Variables["[Grid]"], "Second");
    FHost.Variables["[LastError]"] = "kept";
    EXPECT_FALSE(Exec(4, {"Rect1", "Nowhere"}));
    EXPECT_EQ(LastError(), "kept");
    EXPECT_FALSE(Exec(5, {" Rect1"}));
    EXPECT_EQ(LastError(), "There is no Excel viewer attached to an object named  Rect1.");
    EXPECT_TRUE(Exec(5, {"RECT1"}));
    EXPECT_EQ(ViewerWindows(), 0);
    EXPECT_FALSE(Exec(2, {"Rect1"}));
    EXPECT_EQ(LastError(), "There is no Excel viewer attached to an object named Rect1.");
}

TEST_F(ViewerActions, OpenTwiceLeavesOneViewer) {
    ASSERT_TRUE(Exec(1, {"Rect1", FBook, "A", "Top", "No"}));
    ASSERT_TRUE(Exec(1, {"RECT1", FBook, "B", "Left", "No"}));
    ASSERT_TRUE(Exec(1, {"Rect2", FBook, "C", "Top", "No"}));
    EXPECT_EQ(ViewerWindows(), 2);
    FHost.Variables["[LastError]"] = "";
    nbMessage(2, 0); // frees every viewer, and may come again
    EXPECT_EQ(ViewerWindows(), 0);
    EXPECT_EQ(Bridge().ViewerRegistry, nullptr);
    nbMessage(2, 0);
    nbMessage(7, 0);
    EXPECT_EQ(LastError(), ""); // the silent closes wrote nothing
    EXPECT_TRUE(Exec(1, {"Rect1", FBook, "A", "Top", "No"})); // a new registry after message 2
}

TEST_F(ViewerActions, PageModeShowsTheNamedSheet) {
    ASSERT_TRUE(Exec(1, {"Rect1", FBook, "Second", "page", "yes"}));
    EXPECT_EQ(FHost.Variables["[Second]"], "Second");
    EXPECT_EQ(FHost.Variables["[Second_Index]"], "2");
    ASSERT_TRUE(Exec(1, {"Rect1", FBook, "3", "Page", "No"}));
    EXPECT_EQ(FHost.Variables["[3_Index]"], "3");
    ASSERT_TRUE(Exec(1, {"Rect1", FBook, "Missing", "Page", "No"}));
    EXPECT_EQ(FHost.Variables["[Missing]"], "First");
}

TEST_F(ViewerActions, ViewersAreLeftAloneWhenTheProcessEnds) {
    // At process exit the host's windows are going anyway: tearing viewers down then would run under the
    // loader lock. Only nbMessage 2 and an explicit unload destroy them.
    EXPECT_EXIT(
        {
            if (!Exec(1, {"Rect1", FBook, "Grid", "Top", "No"}) || ViewerWindows() != 1) std::_Exit(4);
            FWindows.OnDestroy = [] { std::_Exit(3); };
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(ViewerActions, FailuresOfOpen) {
    ASSERT_TRUE(Exec(1, {"Rect1", FBook, "Grid", "Top", "No"}));
    const std::string missing = Utf16ToUtf8(PathToText(FFolder / u"missing.xlsx"));
    EXPECT_FALSE(Exec(1, {"Rect1", missing, "Grid", "Top", "No"}));
    EXPECT_EQ(LastError(), "File not found: " + missing);
    EXPECT_EQ(ViewerWindows(), 0); // the earlier viewer is gone too
    EXPECT_FALSE(Exec(1, {"Rect9", FBook, "Grid", "Top", "No"}));
    EXPECT_EQ(LastError(), "An object named Rect9 does not exist.");
    FHost.Answers.erase(6);
    EXPECT_FALSE(Exec(1, {"Rect1", FBook, "Grid", "Top", "No"}));
    EXPECT_EQ(LastError(), "This function requires VisualNEO Win 4.0.9 or higher.");
    FWindows.FailCreation = true;
    FHost.Answers[6] = "yes";
    EXPECT_FALSE(Exec(1, {"Rect1", FBook, "Grid", "Top", "No"}));
    EXPECT_EQ(LastError(), "Excel spreadsheet: CreateWindowEx(STATIC) failed (Win32 error 1407).");
    EXPECT_EQ(ViewerWindows(), 0);
}

TEST_F(ViewerActions, SaveExportEditHighlightAndSettingsActOnTheViewer) {
    EXPECT_FALSE(Exec(6, {"Rect1", ""}));
    EXPECT_EQ(LastError(), "There is no Excel viewer attached to an object named Rect1.");
    ASSERT_TRUE(Exec(1, {"Rect1", FBook, "Grid", "Top", "No"}));
    TNeoSpreadsheet* viewer = FindViewer(u"Rect1");
    // The first cell as the viewer paints it, with the selection stepped off it and back.
    const auto a1 = [&] {
        viewer->HandleMessage(messages::KeyDown, keys::Right, 0);
        viewer->HandleMessage(messages::Paint, 0, 0);
        viewer->HandleMessage(messages::KeyDown, keys::Left, 0);
        const TShownGrid grid(FWindows.LastCanvas, viewer->GridRect());
        return std::make_pair(grid.Cell(0, 0)->Fill, grid.Corner.Fill);
    };
    // Highlight twice: on, then off, true both times; a success leaves the last message.
    EXPECT_TRUE(Exec(10, {"Rect1", "Yellow"}));
    EXPECT_EQ(a1().first, RgbColor(255, 255, 128));
    EXPECT_TRUE(Exec(10, {"Rect1", "Yellow"}));
    EXPECT_EQ(a1().first, RgbColor(255, 255, 255));
    EXPECT_EQ(LastError(), "There is no Excel viewer attached to an object named Rect1.");
    EXPECT_TRUE(Exec(11, {"Rect1", "HeaderColor=102030"}));
    EXPECT_EQ(a1().second, RgbColor(0x10, 0x20, 0x30));
    EXPECT_TRUE(Exec(9, {"Rect1"}));
    ASSERT_NE(FWindows.ChildOfKind(TScriptedWindow::TKind::CellEditor), nullptr);
    FWindows.SetText(FWindows.ChildOfKind(TScriptedWindow::TKind::CellEditor), u"typed");
    EXPECT_TRUE(Exec(6, {"Rect1", ""})); // to the file it opened, the edit box stored first
    EXPECT_EQ(SavedCellText(FFolder / u"Book.xlsx", 0, 0), u"typed");
    const std::string copy = Utf16ToUtf8(PathToText(FFolder / u"Copy.xlsx"));
    EXPECT_TRUE(Exec(6, {"Rect1", copy}));
    EXPECT_EQ(SavedCellText(FFolder / u"Copy.xlsx", 0, 0), u"typed");
    EXPECT_TRUE(Exec(7, {"Rect1", Utf16ToUtf8(PathToText(FFolder / u"All.docx")), "Word", "AllSheets"}));
    EXPECT_TRUE(FileExists(FFolder / u"All.docx"));
    EXPECT_FALSE(Exec(7, {"Rect1", copy + ".xls", "xls", "AllSheets"}));
    EXPECT_NE(LastError().find("xls"), std::string::npos) << LastError();

    // A viewer left without a workbook by a failed Open from its ribbon: Edit opens nothing and succeeds.
    FWindows.MenuAnswers = {1001};
    FWindows.FileAnswers = {PathToText(FFolder / u"missing.xlsx")};
    viewer->HandleMessage(messages::LeftButtonDown, 1, 10 | (10 << 16));
    EXPECT_EQ(viewer->SheetCount(), 0);
    EXPECT_TRUE(Exec(9, {"Rect1"}));
    EXPECT_EQ(FWindows.ChildOfKind(TScriptedWindow::TKind::CellEditor), nullptr);
    EXPECT_FALSE(Exec(6, {"Rect1", ""}));
    EXPECT_EQ(LastError(), "No workbook is currently open.");
}

TEST_F(ViewerActions, NewWritesABlankWorkbookAndOpensAViewerOnIt) {
    EXPECT_FALSE(Exec(12, {"Rect1", "  "}));
    EXPECT_EQ(LastError(), "A file name is required to create a new workbook.");
    const std::filesystem::path deep = FFolder / u"a" / u"b" / u"New.xlsx";
    ASSERT_TRUE(Exec(12, {"Rect1", Utf16ToUtf8(PathToText(deep))})) << LastError();
    EXPECT_TRUE(FileExists(deep));
    EXPECT_EQ(FindViewer(u"Rect1")->SheetCount(), 1);
    ASSERT_TRUE(Exec(12, {"Rect1", FBook})); // an existing file is replaced by the blank workbook
    EXPECT_EQ(FindViewer(u"Rect1")->CurrentSheetName(), u"Sheet1");
    const std::filesystem::path other = FFolder / u"Other.xlsx";
    EXPECT_FALSE(Exec(12, {"Nowhere", Utf16ToUtf8(PathToText(other))}));
    EXPECT_EQ(LastError(), "An object named Nowhere does not exist.");
    EXPECT_TRUE(FileExists(other)); // written before the Rectangle was looked up
    EXPECT_TRUE(FHost.Variables.count("[_Count]") == 0); // an empty variable publishes nothing
}

TEST_F(ViewerActions, AViewerClosedWhileItsMenuBoxOrDialogWaitsIsDestroyedOnceItsHandlerReturns) {
    // Every way a reader's click waits in a message loop of the viewer's, with the answer the reader gives.
    const intptr_t onFirstTab = 30 | (45 << 16);
    const intptr_t onFileTab = 10 | (10 << 16);
    const std::filesystem::path written = FFolder / u"Written.xlsx";
    TXlsxFixture().Sheet("Only", "").WriteTo(FFolder / u"Single.xlsx");
    struct TPath {
        const char* Name;
        uint32_t Message;
        intptr_t Point;
        std::deque<uint32_t> Menu;
        std::deque<bool> Confirm;
        std::u16string File;
        int Modal; // the one during which the script runs: 0 the first, 1 the one after it
    };
    const TPath paths[] = {
        {"tab menu: Insert Sheet", messages::RightButtonDown, onFirstTab, {1}, {}, u"", 0},
        {"delete confirmation: Yes", messages::RightButtonDown, onFirstTab, {2}, {true}, u"", 1},
        {"ribbon menu: Save", messages::LeftButtonDown, onFileTab, {1002}, {}, u"", 0},
        {"New dialog", messages::LeftButtonDown, onFileTab, {1000}, {}, PathToText(written), 1},
        {"Open dialog", messages::LeftButtonDown, onFileTab, {1001}, {}, PathToText(FFolder / u"Single.xlsx"), 1},
        {"Save As dialog", messages::LeftButtonDown, onFileTab, {1003}, {}, PathToText(written), 1},
    };
    const std::string newBook = Utf16ToUtf8(PathToText(FFolder / u"New.xlsx"));
    const std::vector<std::pair<const char*, std::function<void()>>> closers = {
        {"TabulixClose", [&] { EXPECT_TRUE(Exec(5, {"Rect1"})); }},
        {"TabulixOpen", [&] { EXPECT_TRUE(Exec(1, {"Rect1", FBook, "Again", "Top", "No"})); }},
        {"TabulNew", [&] { EXPECT_TRUE(Exec(12, {"Rect1", newBook})); }},
        {"nbMessage 2", [] { nbMessage(2, 0); }},
    };
    const std::string book = ReadFileBytes(FFolder / u"Book.xlsx");
    for (const TPath& path : paths) {
        for (const auto& [closerName, close] : closers) {
            SCOPED_TRACE(std::string(path.Name) + ", closed by " + closerName);
            nbMessage(2, 0);
            ASSERT_TRUE(Exec(1, {"Rect1", FBook, "Grid", "Top", "No"}));
            TNeoSpreadsheet* viewer = FindViewer(u"Rect1");
            const TWindowHandle window = viewer->Window();
            FWindows.MenuAnswers = path.Menu;
            FWindows.ConfirmAnswers = path.Confirm;
            FWindows.FileAnswers = {path.File};
            FWindows.DuringModals.assign(size_t(path.Modal), nullptr);
            FWindows.DuringModals.push_back([&, close = close] {
                close();
                // Let go of at once: out of the registry, hidden, no longer following its Rectangle.
                EXPECT_NE(FindViewer(u"Rect1"), viewer);
                const TScriptedWindow* hidden = FWindows.Window(window);
                EXPECT_TRUE(hidden && !hidden->Visible);
                EXPECT_EQ(FWindows.Timers[window], 0);
            });
            viewer->HandleMessage(path.Message, 1, path.Point);
            EXPECT_TRUE(FWindows.DuringModals.empty());
            // Destroyed once its handler returned, and the reader's answer went nowhere.
            EXPECT_FALSE(FWindows.IsWindow(window));
            EXPECT_EQ(ViewerWindows(), FindViewer(u"Rect1") ? 1 : 0);
            EXPECT_EQ(FHost.Variables["[Grid_Count]"], "3");
            EXPECT_EQ(ReadFileBytes(FFolder / u"Book.xlsx"), book);
            EXPECT_FALSE(FileExists(written));
        }
    }
}
