// The examples of the authors' guide (docs/actions.md), run as written: every `neo` block is a piece of
// a publication's script, and each of its lines must succeed in the reference host.
#include "base/Files.h"
#include "base/Text.h"
#include "support/TempFolder.h"
#include "support/XlsxFixture.h"
#include "win32/HostProcess.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <vector>

using namespace tabulix;
using namespace tabulix::testing;

namespace {

// The lines of every block fenced as ```neo, blank lines left out.
std::vector<std::vector<std::string>> NeoBlocks(const std::string& guide) {
    std::vector<std::vector<std::string>> blocks;
    std::istringstream in(guide);
    std::string line;
    bool inBlock = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!inBlock && line == "```neo") {
            inBlock = true;
            blocks.emplace_back();
        } else if (inBlock && line.rfind("```", 0) == 0) {
            inBlock = false;
        } else if (inBlock && line.find_first_not_of(" \t") != std::string::npos) {
            blocks.back().push_back(line);
        }
    }
    return blocks;
}

// The publication's folder as the examples expect it: Sales.xlsx with the worksheets Sales and Costs,
// and the open publication Demo.pub.
struct TPublicationScene {
    TTempFolder Folder;
    TPublicationScene() {
        const std::string header = "<row r=\"1\">" + CellXml("A1", "Region", "str") + CellXml("B1", "Q1", "str") +
                                   CellXml("C1", "Q2", "str") + "</row>";
        TXlsxFixture()
            .Sheet("Sales", header + "<row r=\"2\">" + CellXml("A2", "North", "str") + CellXml("B2", "1200") +
                                CellXml("C2", "1350") + "</row><row r=\"3\">" + CellXml("A3", "South", "str") +
                                CellXml("B3", "980") + CellXml("C3", "1105") + "</row>")
            .Sheet("Costs", "<row r=\"1\">" + CellXml("A1", "Item", "str") + CellXml("B1", "Amount", "str") +
                                "</row><row r=\"2\">" + CellXml("A2", "Rent", "str") + CellXml("B2", "800") + "</row>")
            .WriteTo(Folder / u"Sales.xlsx");
        WriteFileBytes(Folder / u"Demo.pub", "[MasterPage]\r\nNewPage=Intro\r\nPageStyle=0\r\n");
    }
    std::string Script(const std::vector<std::string>& block) const {
        std::string script = ScriptStart + "rect Rectangle1 20 30 600 320\n"
                             "var [PubDir] \"" + Windows(Folder.Path()) + "\\\"\nvar [PubTitle] Demo\n";
        for (const std::string& line : block) {
            script += "action " + line + "\nexpect-result true\n";
            // An import into the open publication tells the reader so in a box of its own caption.
            if (line.find("__TABULIX_CURRENT__") != std::string::npos) script += "expect-message-contains TabulixImport \"\"\n";
        }
        return script;
    }
};

} // namespace

TEST(AuthorsGuide, EveryActionHasAnExampleThatRunsAsWritten) {
    const std::filesystem::path guide = std::filesystem::path(TABULIX_SOURCE_DIR) / "docs" / "actions.md";
    const std::vector<std::vector<std::string>> blocks = NeoBlocks(ReadFileBytes(guide));
    ASSERT_FALSE(blocks.empty()) << "no neo block in " << Windows(guide);

    std::set<std::string> shown;
    for (const std::vector<std::string>& block : blocks) {
        std::string text;
        for (const std::string& line : block) {
            text += line + "\n";
            shown.insert(line.substr(0, line.find(' ')));
        }
        TPublicationScene scene;
        const THostRun run = RunHostScript(scene.Script(block), scene.Folder.Path());
        EXPECT_EQ(run.ExitCode, 0u) << "the example\n" << text << "failed:\n" << run.Output;
    }
    for (const char* action : {"TabulixOpen", "TabulixNext", "TabulixPrev", "TabulixGoto", "TabulixClose",
                               "TabulixSave", "TabulixExport", "TabulixImport", "TabulixEdit", "TabulixHighlight",
                               "TabulixSettings", "TabulNew"}) {
        EXPECT_EQ(shown.count(action), 1u) << "the guide has no example of " << action;
    }
}
