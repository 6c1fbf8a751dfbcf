#include "ImportTestSupport.h"
#include "base/Error.h"
#include "base/Files.h"
#include "base/Text.h"
#include "pageimport/ImportAction.h"
#include "pageimport/PublicationText.h"
#include "support/TempFolder.h"
#include "support/XlsxFixture.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

using namespace tabulix;
using namespace tabulix::testing;

namespace {

const std::u16string Sep(1, char16_t(std::filesystem::path::preferred_separator));


struct TMessageBox {
    std::u16string Text, Caption;
    TMessageBoxKind Kind;
};

// The host as the Import action sees it: variables in a map, writes and message boxes recorded.
class TRecordingImportHost final : public TImportHost {
public:
    bool Registered = true;
    bool ReadsFail = false;
    std::map<std::u16string, std::u16string> Variables;
    std::vector<std::pair<std::u16string, std::u16string>> Written;
    std::vector<TMessageBox> Boxes;
    std::u16string ModulePath = u"C:\\Host\\Tabulix.dll";
    TLocalTime Time{2024, 3, 5, 7, 8, 9};

    bool CanReadVariables() const override { return Registered; }
    std::u16string ReadVariable(const std::u16string& name) const override {
        if (ReadsFail) throw TTabulixError(u"unreadable");
        const auto found = Variables.find(name);
        return found == Variables.end() ? std::u16string() : found->second;
    }
    void WriteVariable(const std::u16string& name, const std::u16string& value) override {
        Written.emplace_back(name, value);
    }
    void ShowMessageBox(const std::u16string& text, const std::u16string& caption, TMessageBoxKind kind) override {
        Boxes.push_back({text, caption, kind});
    }
    std::u16string LibraryModulePath() const override { return ModulePath; }
    TLocalTime LocalTime() const override { return Time; }

    std::u16string Last(const std::u16string& name) const {
        for (auto it = Written.rbegin(); it != Written.rend(); ++it) {
            if (it->first == name) return it->second;
        }
        return u"(not written)";
    }
};

const std::string PublicationBytes = "[MasterPage]\r\nNewPage=Intro\r\nPageStyle=0\r\n";

// An open publication Demo.pub in its folder, with a workbook beside it; the host reports it as open.
struct TImportScene {
    TTempFolder Folder;
    TRecordingImportHost Host;
    std::filesystem::path Current = Folder / u"Demo.pub";

    TImportScene() {
        TXlsxFixture().Sheet("Sales", "").Sheet("Costs", "").WriteTo(Folder / u"Book.xlsx");
        WriteFileBytes(Current, PublicationBytes);
        Host.Variables[u"[PubDir]"] = Text(Folder.Path());
        Host.Variables[u"[PubTitle]"] = u"Demo";
    }
    bool Run(const std::u16string& target, const std::u16string& sheetList = u"ALL") {
        return RunImportAction(Host, u"[PubDir]Book.xlsx", sheetList, target);
    }
    std::string Log() const {
        const auto log = Folder / u"Tabulix_import.log";
        return FileExists(log) ? ReadFileBytes(log) : std::string();
    }
    // The log's messages without their time stamps.
    std::vector<std::string> LogMessages() const {
        std::vector<std::string> messages;
        const std::string log = Log();
        for (size_t from = 0; from < log.size();) {
            const size_t end = log.find("\r\n", from);
            messages.push_back(log.substr(from + 21, end - from - 21));
            from = end + 2;
        }
        return messages;
    }
};


} // namespace

TEST(PubTokens, ReplacedIgnoringCase) {
    TRecordingImportHost host;
    host.Variables[u"[PubDir]"] = u"/pubs";
    host.Variables[u"[PubTitle]"] = u" Demo (draft)";
    EXPECT_EQ(ExpandPubTokens(host, u"[pubdir]Book.xlsx"), u"/pubs" + Sep + u"Book.xlsx");
    EXPECT_EQ(ExpandPubTokens(host, u"[PUBDIR][PubTitle].pub|[pubtitle]"),
              u"/pubs" + Sep + u" Demo (draft).pub| Demo (draft)");
    host.Variables[u"[PubDir]"] = u"/pubs/";
    EXPECT_EQ(ExpandPubTokens(host, u"[PubDir]b"), u"/pubs/b");
    host.Variables[u"[PubDir]"] = u"";
    EXPECT_EQ(ExpandPubTokens(host, u"[PubDir][PubTitle]"), u"[PubDir] Demo (draft)");
    host.ReadsFail = true;
    EXPECT_EQ(ExpandPubTokens(host, u"[PubDir][PubTitle]"), u"[PubDir][PubTitle]");
    host.ReadsFail = false;
    host.Registered = false;
    EXPECT_EQ(ExpandPubTokens(host, u"[PubTitle]"), u"[PubTitle]");
}

TEST(ImportTarget, CurrentPublicationFromFolderAndTitle) {
    TRecordingImportHost host;
    host.Variables[u"[PubDir]"] = u" /pubs ";
    host.Variables[u"[PubTitle]"] = u"  Demo (unsaved changes) ";
    EXPECT_EQ(CurrentPublicationPath(host), u"/pubs" + Sep + u"Demo.pub");
    host.Variables[u"[PubTitle]"] = u"Demo.PUB";
    EXPECT_EQ(CurrentPublicationPath(host), u"/pubs" + Sep + u"Demo.PUB");
    host.Variables[u"[PubTitle]"] = u"Demo.v2";
    EXPECT_EQ(CurrentPublicationPath(host), u"/pubs" + Sep + u"Demo.v2.pub");
    host.Variables[u"[PubTitle]"] = u"/other/place/Demo";
    EXPECT_EQ(CurrentPublicationPath(host), u"/other/place/Demo.pub");
    host.Variables[u"[PubDir]"] = u"";
    host.Variables[u"[PubTitle]"] = u"Demo";
    EXPECT_EQ(CurrentPublicationPath(host), Text(std::filesystem::absolute("Demo.pub")));
    host.Variables[u"[PubTitle]"] = u" \t ";
    EXPECT_EQ(CurrentPublicationPath(host), u"");
    host.Variables[u"[PubTitle]"] = u"Demo";
    host.ReadsFail = true;
    EXPECT_EQ(CurrentPublicationPath(host), u"");
    host.ReadsFail = false;
    host.Registered = false;
    EXPECT_EQ(CurrentPublicationPath(host), u"");
}

TEST(ImportTarget, MarkersAndPaths) {
    TRecordingImportHost host;
    host.Variables[u"[PubDir]"] = u"/pubs";
    host.Variables[u"[PubTitle]"] = u"Demo";
    const std::u16string current = u"/pubs" + Sep + u"Demo.pub";
    EXPECT_EQ(ResolveImportTarget(host, u" __tabulix_Current__ "), current);
    EXPECT_EQ(ResolveImportTarget(host, u"[pubdir][PUBTITLE].PUB"), current);
    EXPECT_EQ(ResolveImportTarget(host, u" __TABULIX_CURRENT__::[PubDir]Other.pub "), u"/pubs" + Sep + u"Other.pub");
    EXPECT_EQ(ResolveImportTarget(host, u" [PubDir]Other.pub"), u" /pubs" + Sep + u"Other.pub");
    EXPECT_EQ(ResolveImportTarget(host, u""), u"");
}

TEST(ImportCopy, NamesAndCounting) {
    TTempFolder folder;
    const std::u16string demo = Text(folder / u"Demo.pub");
    EXPECT_EQ(NextCopyName(demo), Text(folder / u"Demo.Tabulix.pub"));
    WriteFileBytes(folder / u"Demo.Tabulix.pub", "x");
    EXPECT_EQ(NextCopyName(demo), Text(folder / u"Demo.Tabulix_2.pub"));
    std::filesystem::create_directory(folder / u"Demo.Tabulix_2.pub"); // a folder takes the name as well
    EXPECT_EQ(NextCopyName(demo), Text(folder / u"Demo.Tabulix_3.pub"));
    EXPECT_EQ(NextCopyName(Text(folder / u"Book.PUB")), Text(folder / u"Book.Tabulix.PUB"));
    EXPECT_EQ(NextCopyName(Text(folder / u"Book")), Text(folder / u"Book.Tabulix.pub"));

    WriteFileBytes(folder / u"Demo.pub", "aaaaa \xE9\xE9");
    EXPECT_EQ(CreatePublicationCopy(demo), Text(folder / u"Demo.Tabulix_3.pub"));
    EXPECT_EQ(ReadFileBytes(folder / u"Demo.Tabulix_3.pub"), "aaaaa \xE9\xE9");
    EXPECT_EQ(CountInFile(demo, u"aa"), 2);
    EXPECT_EQ(CountInFile(demo, u"\u00e9"), 2);
    EXPECT_EQ(CountInFile(demo, u""), 0);
    EXPECT_EQ(CountInFile(Text(folder / u"none"), u"a"), 0);
    EXPECT_EQ(FileSizeOrZero(demo), 8);
    EXPECT_EQ(FileSizeOrZero(Text(folder / u"none")), 0);
    try {
        CreatePublicationCopy(Text(folder / u"none.pub"));
        FAIL() << "no failure";
    } catch (const TTabulixError& error) {
        EXPECT_EQ(error.Message(), u"Current VisualNEO publication not found: " + Text(folder / u"none.pub"));
    }
}

TEST(ImportCopy, LinkThatPointsNowhereTakesTheName) {
    TTempFolder folder;
    WriteFileBytes(folder / u"Demo.pub", "MasterPage\r\n");
    const auto elsewhere = folder / u"elsewhere.pub";
    std::filesystem::create_symlink(elsewhere, folder / u"Demo.Tabulix.pub");
    EXPECT_EQ(CreatePublicationCopy(Text(folder / u"Demo.pub")), Text(folder / u"Demo.Tabulix_2.pub"));
    // The copy was not written through the link to the place it names.
    EXPECT_FALSE(std::filesystem::exists(elsewhere));
    EXPECT_EQ(ReadFileBytes(folder / u"Demo.Tabulix_2.pub"), "MasterPage\r\n");
}

TEST(ImportLog, DatedLinesAppended) {
    TTempFolder folder;
    TRecordingImportHost host;
    host.Variables[u"[PubDir]"] = u" " + Text(folder.Path()) + u" ";
    host.Time = {987, 12, 31, 23, 5, 0};
    AppendImportLog(host, u"first \u00e9");
    LogBuildLine(host);
    host.ModulePath.clear();
    LogBuildLine(host);
    AppendImportLog(host, u"two\r\nlines");
    EXPECT_EQ(ReadFileBytes(folder / u"Tabulix_import.log"),
              "0987-12-31 23:05:00  first \xC3\xA9\r\n"
              "0987-12-31 23:05:00  BUILD=v65f fix designer crash after ribbon File dialogs (explicit dialog "
              "parenting) DLL=C:\\Host\\Tabulix.dll\r\n"
              "0987-12-31 23:05:00  two\r\nlines\r\n");
    host.Variables[u"[PubDir]"] = Text(folder / u"missing-folder");
    AppendImportLog(host, u"lost"); // silently
}

TEST(ImportAction, CurrentPublicationGetsACopy) {
    TImportScene scene;
    ASSERT_TRUE(scene.Run(u"[PubDir][PubTitle].pub"));
    const std::u16string copy = Text(scene.Folder / u"Demo.Tabulix.pub");
    EXPECT_EQ(ReadFileBytes(scene.Current), PublicationBytes);
    const std::u16string text = ReadTextFile(copy);
    EXPECT_EQ(CountPageRecords(text), 3);
    EXPECT_EQ(scene.Host.Last(u"[TabulixImportedPub]"), copy);
    EXPECT_EQ(scene.Host.Last(u"[LastError]"), u"Tabulara created successfully.\r\nGenerated publication:\r\n" + copy +
                                                   u"\r\nClose the current publication and open the generated .pub file.");
    ASSERT_EQ(scene.Host.Boxes.size(), 1u);
    EXPECT_EQ(scene.Host.Boxes[0].Text, u"Tabulara created successfully.\r\n\r\nGenerated publication:\r\n" + copy +
                                            u"\r\n\r\nThe current publication was not overwritten.");
    EXPECT_EQ(scene.Host.Boxes[0].Caption, u"TabulixImport");
    EXPECT_EQ(scene.Host.Boxes[0].Kind, TMessageBoxKind::Information);

    const std::string folder = Utf16ToUtf8(Text(scene.Folder.Path()));
    const std::string copy8 = Utf16ToUtf8(copy);
    EXPECT_EQ(scene.LogMessages(),
              (std::vector<std::string>{
                  "BUILD=v65f fix designer crash after ribbon File dialogs (explicit dialog parenting) "
                  "DLL=C:\\Host\\Tabulix.dll",
                  "IMPORT START", "ExcelFile=[PubDir]Book.xlsx", "SourceExcel=" + folder + "/Book.xlsx",
                  "TargetPub(raw)=[PubDir][PubTitle].pub", "CurrentPub=" + folder + "/Demo.pub",
                  "ResolvedTarget=" + folder + "/Demo.pub", "OutputPub=" + copy8,
                  "Calling ImportWorkbookToVisualNeoPages", "ImportWorkbookToVisualNeoPages completed",
                  "OutputSize=" + std::to_string(FileSizeOrZero(copy)), "RectangleRecords=2", "OpenActions=2",
                  "CloseActions=2", "SUCCESS: " + copy8}));
    EXPECT_EQ(scene.Log().substr(0, 21), "2024-03-05 07:08:09  ");

    ASSERT_TRUE(scene.Run(u"[PubDir][PubTitle].pub"));
    EXPECT_EQ(scene.Host.Last(u"[TabulixImportedPub]"), Text(scene.Folder / u"Demo.Tabulix_2.pub"));
    EXPECT_EQ(ReadFileBytes(scene.Current), PublicationBytes);
}

TEST(ImportAction, OtherWaysOfNamingTheCurrentPublication) {
    const auto copies = [](const TImportScene& scene) {
        int count = 0;
        for (const auto& entry : std::filesystem::directory_iterator(scene.Folder.Path())) {
            count += entry.path().filename().u16string().find(u".Tabulix") != std::u16string::npos &&
                     entry.path().extension() == ".pub";
        }
        return count;
    };
    for (const std::u16string& target :
         {std::u16string(u""), std::u16string(u"  __Tabulix_Current__ "), std::u16string(u"[PubDir]DEMO.pub")}) {
        TImportScene scene;
        EXPECT_TRUE(scene.Run(target)) << Utf16ToUtf8(scene.Host.Last(u"[LastError]"));
        EXPECT_EQ(scene.Host.Last(u"[TabulixImportedPub]"), Text(scene.Folder / u"Demo.Tabulix.pub"));
        EXPECT_EQ(ReadFileBytes(scene.Current), PublicationBytes);
        EXPECT_EQ(copies(scene), 1);
    }
    {
        // The marker with a path names the open publication explicitly.
        TImportScene scene;
        WriteFileBytes(scene.Folder / u"Other.pub", PublicationBytes);
        EXPECT_TRUE(scene.Run(u"__TABULIX_CURRENT__::[PubDir]Other.pub"));
        EXPECT_EQ(scene.Host.Last(u"[TabulixImportedPub]"), Text(scene.Folder / u"Other.Tabulix.pub"));
        EXPECT_EQ(ReadFileBytes(scene.Folder / u"Other.pub"), PublicationBytes);
    }
    for (const std::u16string mode : {u"D", u" d "}) {
        TImportScene scene;
        scene.Host.Variables[u"[NBMode]"] = mode;
        WriteFileBytes(scene.Folder / u"Other.pub", PublicationBytes);
        EXPECT_TRUE(scene.Run(Text(scene.Folder / u"Other.pub")));
        EXPECT_EQ(scene.Host.Last(u"[TabulixImportedPub]"), Text(scene.Folder / u"Other.Tabulix.pub"));
        EXPECT_EQ(ReadFileBytes(scene.Folder / u"Other.pub"), PublicationBytes);
    }
    {
        // A target built from the title is the open publication, even under another folder token.
        TImportScene scene;
        std::filesystem::create_directory(scene.Folder / u"sub");
        WriteFileBytes(scene.Folder / u"sub" / u"Demo.pub", PublicationBytes);
        EXPECT_TRUE(scene.Run(u"[PubDir]sub/[PubTitle].pub"));
        EXPECT_EQ(scene.Host.Last(u"[TabulixImportedPub]"), Text(scene.Folder / u"sub" / u"Demo.Tabulix.pub"));
    }
}

TEST(ImportAction, OtherPublicationChangedInPlace) {
    TImportScene scene;
    const auto other = scene.Folder / u"Other.pub";
    WriteFileBytes(other, PublicationBytes);
    scene.Host.Variables[u"[NBMode]"] = u"R";
    ASSERT_TRUE(scene.Run(u"[PubDir]Other.pub", u"costs"));
    EXPECT_EQ(CountPageRecords(ReadTextFile(Text(other))), 2);
    EXPECT_EQ(scene.Host.Last(u"[TabulixImportedPub]"), Text(other));
    EXPECT_EQ(scene.Host.Last(u"[LastError]"), u"Tabulara imported into:\r\n" + Text(other));
    EXPECT_TRUE(scene.Host.Boxes.empty());
    EXPECT_EQ(scene.Log().find("SUCCESS"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(scene.Current), PublicationBytes);
    EXPECT_TRUE(FileExists(Text(other) + u".tbdiag.txt"));
}

TEST(ImportAction, FailuresAreReported) {
    TImportScene scene;
    const std::u16string missing = Text(scene.Folder / u"Missing.pub");
    EXPECT_FALSE(scene.Run(u"[PubDir]Missing.pub"));
    const std::u16string message = u"Target VisualNEO publication not found: " + missing;
    EXPECT_EQ(scene.Host.Last(u"[LastError]"), message);
    ASSERT_EQ(scene.Host.Boxes.size(), 1u);
    EXPECT_EQ(scene.Host.Boxes[0].Text,
              message + u"\r\n\r\nSee Tabulix_import.log beside the current publication for diagnostic details.");
    EXPECT_EQ(scene.Host.Boxes[0].Caption, u"TabulixImport - Error");
    EXPECT_EQ(scene.Host.Boxes[0].Kind, TMessageBoxKind::Error);
    EXPECT_EQ(scene.LogMessages().back(), "ERROR: " + Utf16ToUtf8(message));

    EXPECT_FALSE(scene.Run(u"[PubDir][PubTitle].pub", u"Nothing|Such"));
    EXPECT_EQ(scene.Host.Last(u"[LastError]"), u"None of the requested worksheets were found in the workbook.");
    EXPECT_FALSE(std::filesystem::exists(scene.Folder / u"Demo.Tabulix.pub"));
    EXPECT_EQ(ReadFileBytes(scene.Current), PublicationBytes);

    scene.Host.Variables[u"[PubTitle]"] = u"";
    EXPECT_FALSE(scene.Run(u"__TABULIX_CURRENT__"));
    EXPECT_EQ(scene.Host.Last(u"[LastError]"), u"Unable to determine the current VisualNEO publication. Use the "
                                               u"current-publication mode from the TabulixImport editor.");
    scene.Host.Variables[u"[PubTitle]"] = u"Gone";
    EXPECT_FALSE(scene.Run(u"__TABULIX_CURRENT__"));
    EXPECT_EQ(scene.Host.Last(u"[LastError]"),
              u"Current VisualNEO publication not found: " + Text(scene.Folder / u"Gone.pub"));
    scene.Host.Variables[u"[PubTitle]"] = u"Demo";
    scene.Host.Variables[u"[NBMode]"] = u"D";
    EXPECT_FALSE(scene.Run(u"[PubDir]Missing.pub")); // D only changes the mode for a target that exists
    EXPECT_EQ(scene.Host.Last(u"[LastError]"), message);
    scene.Host.Registered = false;
    EXPECT_FALSE(scene.Run(u""));
}

TEST(ImportAction, UnexpandedTokenInOtherMode) {
    TImportScene scene;
    scene.Host.Variables[u"[PubDir]"] = u"";
    // With no folder from the host, the title holds the path; a target token stays unexpanded.
    EXPECT_FALSE(scene.Run(u"[PubDir]"));
    EXPECT_EQ(scene.Host.Last(u"[LastError]"), u"Target VisualNEO publication not found: [PubDir]");
}

TEST(ImportAction, NothingLoggedWithoutPublicationFolder) {
    TImportScene scene;
    scene.Host.Variables[u"[PubDir]"] = u"  ";
    scene.Host.Variables[u"[PubTitle]"] = Text(scene.Current);
    EXPECT_TRUE(RunImportAction(scene.Host, Text(scene.Folder / u"Book.xlsx"), u"Sales", u"__TABULIX_CURRENT__"));
    EXPECT_EQ(scene.Host.Last(u"[TabulixImportedPub]"), Text(scene.Folder / u"Demo.Tabulix.pub"));
    EXPECT_EQ(scene.Host.Boxes.size(), 1u);
    EXPECT_EQ(scene.Log(), "");
}

TEST(ImportAction, FailedCopyLeavesNothingBehind) {
    TImportScene scene;
    WriteFileBytes(scene.Current, PublicationBytes + std::string(20000, ' '));
    bool done = true;
    {
        const TFileSizeLimit limit(10000);
        done = scene.Run(u"__TABULIX_CURRENT__");
    }
    EXPECT_FALSE(done);
    EXPECT_FALSE(std::filesystem::exists(scene.Folder / u"Demo.Tabulix.pub"));
    EXPECT_EQ(scene.Host.Last(u"[LastError]"),
              u"Cannot create file \"" + Text(scene.Folder / u"Demo.Tabulix.pub") + u"\". File too large");
}
