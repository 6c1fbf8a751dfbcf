#include "workbook/FormulaReferences.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tabulix;

namespace {

// An edit of Sheet1 written short: "ir 2" inserts one row before row 3, "dc 1 2" deletes columns B
// and C.
TReferenceShift Edit(const std::string& code) {
    const TEditAxis axis = code[1] == 'r' ? TEditAxis::Rows : TEditAxis::Columns;
    const size_t space = code.find(' ', 3);
    const int64_t at = std::stoll(code.substr(3, space - 3));
    const int64_t count = space == std::string::npos ? 1 : std::stoll(code.substr(space + 1));
    return code[0] == 'i' ? TReferenceShift::Insertion("Sheet1", axis, at, count)
                          : TReferenceShift::Deletion("Sheet1", axis, at, count);
}

// The formula after the edit, as it stands on home; the same text when it stays as it is.
std::string Shifted(const std::string& formula, const std::string& home, const std::string& edit, bool* refError = nullptr) {
    std::string out;
    const TFormulaChange change = Edit(edit).RewriteFormula(formula, home, out);
    if (refError) *refError = change.RefErrorAdded;
    return change.Changed ? out : formula;
}

struct TShiftCase {
    const char* Formula;
    const char* Home;
    const char* Edit;
    const char* Expected;
};

void ExpectShifts(const std::vector<TShiftCase>& cases) {
    for (const TShiftCase& c : cases) {
        bool refError = false;
        EXPECT_EQ(Shifted(c.Formula, c.Home, c.Edit, &refError), c.Expected) << c.Formula << " / " << c.Edit;
        EXPECT_EQ(refError, std::string(c.Expected).find("#REF!") != std::string::npos &&
                                std::string(c.Formula).find("#REF!") == std::string::npos)
            << c.Formula;
    }
}

} // namespace

TEST(FormulaReferences, ReferencesAreFoundAndEverythingElseIsPassedOver) {
    ExpectShifts({
        {"A1+B2*$C$3-D$4/$E5", "Sheet1", "ir 0", "A2+B3*$C$4-D$5/$E6"},
        {"SUM(a1:b2)+1E5+1.5e-3+.5", "Sheet1", "ir 0", "SUM(A2:B3)+1E5+1.5e-3+.5"},
        {"SUM(A:A,$B:C)+SUM(3:5,$7:$7)", "Sheet1", "ir 0", "SUM(A:A,$B:C)+SUM(4:6,$8:$8)"},
        {"SUM(A:A,$B:C)+SUM(3:5)", "Sheet1", "ic 0", "SUM(B:B,$C:D)+SUM(3:5)"},
        {"SUM(A1:B2 B1:C3)", "Sheet1", "ir 0", "SUM(A2:B3 B2:C4)"},
        // Sheet names, matched ignoring case, quoted with a quote written twice; other sheets stay.
        {"'sheet1'!A1+Sheet2!A1+A1", "Sheet2", "ir 0", "'sheet1'!A2+Sheet2!A1+A1"},
        {"SHEET1!A1:B2&'Sheet1'!$C:$C", "", "ic 1", "SHEET1!A1:C2&'Sheet1'!$D:$D"},
        {"'It''s'!A1+Sheet1!A1", "Sheet1", "ir 0", "'It''s'!A1+Sheet1!A2"},
        {"SUM(Sheet1:Sheet3!A1,'Sheet1:Other'!A1,Sheet1:Sheet1!A1)", "Sheet1", "ir 0",
         "SUM(Sheet1:Sheet3!A1,'Sheet1:Other'!A1,Sheet1:Sheet1!A2)"},
        // Strings, errors, names, functions that look like cells, tables, other workbooks, arrays.
        {"\"A1\"&\"say \"\"B2\"\"\"&A1", "Sheet1", "ir 0", "\"A1\"&\"say \"\"B2\"\"\"&A2"},
        {"IF(ISNA(#N/A),#REF!,#DIV/0!)+A1", "Sheet1", "ir 0", "IF(ISNA(#N/A),#REF!,#DIV/0!)+A2"},
        {"LOG10(A1)+ATAN2(A1,B1)+DAYS360(A1,B1)", "Sheet1", "ir 0", "LOG10(A2)+ATAN2(A2,B2)+DAYS360(A2,B2)"},
        {"_xlfn.XLOOKUP(A1,B:B,C:C)+TRUE+MyName+Sheet1!Local+_xlpm.x", "Sheet1", "ir 0",
         "_xlfn.XLOOKUP(A2,B:B,C:C)+TRUE+MyName+Sheet1!Local+_xlpm.x"},
        {"SUM(Table1[Col])+[@B1]*Table1[[#This Row],[A1]]+T[x']y]+A1", "Sheet1", "ir 0",
         "SUM(Table1[Col])+[@B1]*Table1[[#This Row],[A1]]+T[x']y]+A2"},
        {"[1]Sheet1!A1+'[2]Sheet1'!A1+[1]!Name+A1", "Sheet1", "ir 0", "[1]Sheet1!A1+'[2]Sheet1'!A1+[1]!Name+A2"},
        {"SUM({1,2;3,4})+INDEX({\"A1\",\"}\"},1)+A1", "Sheet1", "ir 0", "SUM({1,2;3,4})+INDEX({\"A1\",\"}\"},1)+A2"},
        {"Sheet1!#REF!+A1", "Sheet1", "ir 0", "Sheet1!#REF!+A2"},
        // Nothing on the sheet named: a formula elsewhere, or one without a sheet (a defined name).
        {"A1+B2", "Sheet2", "ir 0", "A1+B2"},
        {"A1+Sheet1!A1", "", "ir 0", "A1+Sheet1!A2"},
        // Formulas that cannot be read stay as they are.
        {"SUM(A1", "Sheet1", "ir 0", "SUM(A1"},
        {"A1)+(B1", "Sheet1", "ir 0", "A1)+(B1"},
        {"A1&\"open", "Sheet1", "ir 0", "A1&\"open"},
        {"A1+'Sheet1!A1", "Sheet1", "ir 0", "A1+'Sheet1!A1"},
        {"A1+{1,2", "Sheet1", "ir 0", "A1+{1,2"},
        {"A1+Table1[Col", "Sheet1", "ir 0", "A1+Table1[Col"},
        {"A1+#BOGUS!", "Sheet1", "ir 0", "A1+#BOGUS!"},
        {"A1+$A", "Sheet1", "ir 0", "A1+$A"},
        {"A1;B1", "Sheet1", "ir 0", "A1;B1"},
        {"A1+1X", "Sheet1", "ir 0", "A1+1X"},
        {"A1+Sheet1!", "Sheet1", "ir 0", "A1+Sheet1!"},
    });
}

TEST(FormulaReferences, InsertingAndDeletingMoveGrowShrinkAndDeleteAreas) {
    ExpectShifts({
        // Inserting before, at the first row of, inside, and after an area.
        {"A3:A5+A3+A6", "Sheet1", "ir 2", "A4:A6+A4+A7"},
        {"A3:A5+B3:C5", "Sheet1", "ir 4", "A3:A6+B3:C6"},
        {"A3:A5+A2", "Sheet1", "ir 5", "A3:A5+A2"},
        {"A3:A10+A1:A4+A5", "Sheet1", "ir 3 4", "A3:A14+A1:A8+A9"},
        // Deleting some of an area's rows, all of them, and single cells.
        {"A3:A5+A3+A4+A2:A3+A4:A4+SUM(3:5)+SUM(A:A)", "Sheet1", "dr 2", "A3:A4+#REF!+A3+A2:A2+A3:A3+SUM(3:4)+SUM(A:A)"},
        {"SUM(A3:B4)+SUM(3:4)+Sheet1!A3:B4", "Other", "dr 2 2", "SUM(A3:B4)+SUM(3:4)+Sheet1!#REF!"},
        {"SUM(A3:B4)+'Sheet1'!A3", "Sheet1", "dr 2 2", "SUM(#REF!)+'Sheet1'!#REF!"},
        {"A3:A10+A1:A4+A5:A9+A6:A20", "Sheet1", "dr 3 4", "A3:A6+A1:A3+A4:A5+A4:A16"},
        {"A5:A3+$B$9", "Sheet1", "dr 2", "A4:A3+$B$8"},
        {"SUM(A:C)+B:B+B1+A1:B2+SUM(3:5)", "Sheet1", "dc 1", "SUM(A:B)+#REF!+#REF!+A1:A2+SUM(3:5)"},
        // The sheet's end: cells pushed past it are deleted, areas stop at it and keep reaching it.
        {"A1048576+Sheet1!A1048576", "Sheet1", "ir 0", "#REF!+Sheet1!#REF!"},
        {"A2:A1048576+A5:A1048575+A1:A1048576+3:1048576+1:1048576", "Sheet1", "ir 0",
         "A3:A1048576+A6:A1048576+A1:A1048576+4:1048576+1:1048576"},
        {"A1048570:A1048575+A1048574:A1048575", "Sheet1", "ir 0 3", "A1048573:A1048576+#REF!"},
        {"A2:A1048576+A1:A1048575", "Sheet1", "dr 2", "A2:A1048576+A1:A1048574"},
        {"XFD1+XFA1:XFD1+B1:XFC1+A:XFD+C:XFD", "Sheet1", "ic 0", "#REF!+XFB1:XFD1+C1:XFD1+A:XFD+D:XFD"},
    });
}

TEST(FormulaReferences, InsertingThenDeletingTheSameRowsGivesTheFormulaBack) {
    const std::vector<std::string> formulas = {"SUM($A$1:B7)*C3", "Sheet1!B2:D9&'Sheet1'!$4:$6", "A:C", "$J10:L$20"};
    for (const std::string& formula : formulas) {
        for (const TEditAxis axis : {TEditAxis::Rows, TEditAxis::Columns}) {
            for (int64_t at = 0; at < 12; ++at) {
                std::string inserted, back;
                const TFormulaChange change = TReferenceShift::Insertion("Sheet1", axis, at, 2).RewriteFormula(formula, "Sheet1", inserted);
                if (!change.Changed) continue;
                ASSERT_FALSE(change.RefErrorAdded) << formula;
                ASSERT_TRUE(TReferenceShift::Deletion("Sheet1", axis, at, 2).RewriteFormula(inserted, "Sheet1", back).Changed);
                EXPECT_EQ(back, formula) << inserted << " at " << at;
            }
        }
    }
}

TEST(FormulaReferences, AttributesMoveShrinkOrAreReportedDeleted) {
    struct TRangeCase {
        const char* Text;
        bool List;
        const char* Edit;
        TRangeChange Change;
        const char* Expected;
    };
    for (const TRangeCase& c : std::vector<TRangeCase>{
             {"A1:C10", false, "dr 0", TRangeChange::Changed, "A1:C9"},
             {"B2", false, "dr 1", TRangeChange::Deleted, ""},
             {"A3:B4", false, "dr 2 2", TRangeChange::Deleted, ""},
             {"A1", false, "ir 5", TRangeChange::Unchanged, ""},
             {"$B$2", false, "ic 0", TRangeChange::Changed, "$C$2"},
             {"A1:B2 x", false, "ir 0", TRangeChange::Unchanged, ""},
             {"A1:A3 C5 E1:E2", true, "dr 4", TRangeChange::Changed, "A1:A3 E1:E2"},
             {"A1:A3  C5 E1:E2", true, "dr 0", TRangeChange::Changed, "A1:A2 C4 E1:E1"},
             {"C5 C6", true, "dr 4 2", TRangeChange::Deleted, ""},
             {"A1 C5", true, "dr 9", TRangeChange::Unchanged, ""},
             {"A1 Name", true, "ir 0", TRangeChange::Unchanged, ""},
         }) {
        std::string out;
        const TReferenceShift shift = Edit(c.Edit);
        EXPECT_EQ(c.List ? shift.RewriteRangeList(c.Text, out) : shift.RewriteRange(c.Text, out), c.Change) << c.Text;
        if (c.Change == TRangeChange::Changed) {
            EXPECT_EQ(out, c.Expected) << c.Text;
        }
    }

    // Anchors of drawings: indexes along the edit's axis.
    const TReferenceShift insert = TReferenceShift::Insertion("Sheet1", TEditAxis::Rows, 3, 2);
    const TReferenceShift remove = TReferenceShift::Deletion("Sheet1", TEditAxis::Rows, 3, 2);
    EXPECT_EQ(std::vector<int64_t>({insert.MoveIndex(2), insert.MoveIndex(3), insert.MoveIndex(LastSheetRow)}),
              std::vector<int64_t>({2, 5, LastSheetRow}));
    EXPECT_EQ(std::vector<int64_t>({remove.MoveIndex(2), remove.MoveIndex(3), remove.MoveIndex(4), remove.MoveIndex(6)}),
              std::vector<int64_t>({2, 3, 3, 4}));
    EXPECT_TRUE(insert.IsEditedSheet("SHEET1"));
    EXPECT_FALSE(insert.IsEditedSheet("Sheet10"));
}

TEST(FormulaReferences, CopiesMoveRelativePartsAndSortsMoveTheOwnRow) {
    struct TCase {
        const char* Formula;
        int64_t Rows;
        int64_t Cols;
        const char* Expected;
    };
    for (const TCase& c : std::vector<TCase>{
             {"A1+$B$2+B$3+$C4", 1, 1, "B2+$B$2+C$3+$C5"},
             {"SUM(A:A)+SUM(1:1)+SUM($A:$A)", 2, 1, "SUM(B:B)+SUM(3:3)+SUM($A:$A)"},
             {"Sheet2!A1+[1]Sheet1!A1+\"A1\"", 1, 0, "Sheet2!A2+[1]Sheet1!A2+\"A1\""},
             {"A2+SUM(A1:A3)+B$1", -1, 0, "A1+SUM(#REF!)+B$1"},
             {"$A$1+LOG10(2)", 5, 5, "$A$1+LOG10(2)"},
         }) {
        std::string out;
        const TFormulaChange change = TranslateFormula(c.Formula, c.Rows, c.Cols, out);
        EXPECT_EQ(change.Changed ? out : std::string(c.Formula), c.Expected);
    }

    std::string out;
    ASSERT_TRUE(FollowRowInFormula("A5*B5+A6+$A$5+A$5+Sheet1!C5+Sheet2!C5+SUM(A5:C5)+SUM(A5:A6)+SUM(5:5)", "Sheet1", 4, 8, out).Changed);
    EXPECT_EQ(out, "A9*B9+A6+$A$5+A$5+Sheet1!C9+Sheet2!C5+SUM(A9:C9)+SUM(A5:A6)+SUM(9:9)");
    EXPECT_FALSE(FollowRowInFormula("A6+$A$5+Sheet2!A5", "Sheet1", 4, 8, out).Changed);
}
