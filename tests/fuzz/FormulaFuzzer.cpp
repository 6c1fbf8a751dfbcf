// Reads arbitrary bytes as an edit (the first three bytes) and a formula (the rest), and rewrites the
// formula for the edit, for a copy and for a sort, and as attribute texts. None of it may crash; a
// formula the lexer cannot read must stay as it is; a rewritten one must read again, with no more
// references than before, and grow at most five times (the longest area text, 1048576:1048576, for
// the shortest, 1:1).
#include "workbook/FormulaReferences.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

using namespace tabulix;

namespace {

void Check(bool promise) {
    if (!promise) __builtin_trap();
}

// The references of a formula, or -1 when it cannot be read.
int CountReferences(std::string_view formula) {
    TFormulaLexer lexer(formula);
    TFormulaReference reference;
    int count = 0;
    while (lexer.Next(reference)) {
        Check(reference.Begin <= reference.AreaBegin && reference.AreaBegin < reference.End && reference.End <= formula.size());
        ++count;
    }
    return lexer.Failed() ? -1 : count;
}

void CheckRewrite(std::string_view formula, int references, const TFormulaChange& change, const std::string& out) {
    if (!change.Changed) return;
    Check(references > 0);
    Check(out.size() <= 5 * formula.size());
    const int after = CountReferences(out);
    Check(after >= 0 && after <= references);
    Check(!change.RefErrorAdded || after < references);
}

void CheckAttributes(const TReferenceShift& shift, std::string_view text, std::string& out) {
    TCellArea area;
    if (shift.RewriteRange(text, out) == TRangeChange::Changed) Check(ParseAreaText(out, area));
    if (shift.RewriteRangeList(text, out) == TRangeChange::Changed) {
        Check(!out.empty() && out.size() <= 5 * text.size());
        for (size_t at = 0; at <= out.size();) {
            const size_t end = std::min(out.find(' ', at), out.size());
            Check(ParseAreaText(std::string_view(out).substr(at, end - at), area));
            at = end + 1;
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    const TEditAxis axis = data[0] & 1 ? TEditAxis::Columns : TEditAxis::Rows;
    // Positions near the start, and near the sheet's end where areas stop.
    const int64_t last = axis == TEditAxis::Rows ? LastSheetRow : LastSheetCol;
    const int64_t at = data[1] & 0x80 ? last - (data[1] & 0x7F) : data[1];
    const int64_t count = 1 + data[2] % 4;
    const TReferenceShift shift = data[0] & 2 ? TReferenceShift::Deletion("Sheet1", axis, at, count)
                                              : TReferenceShift::Insertion("Sheet1", axis, at, count);
    const std::string_view formula(reinterpret_cast<const char*>(data + 3), size - 3);
    const int references = CountReferences(formula);

    std::string out;
    for (const std::string_view home : {std::string_view("Sheet1"), std::string_view()}) {
        const TFormulaChange change = shift.RewriteFormula(formula, home, out);
        CheckRewrite(formula, references, change, out);
    }
    const int64_t rowOffset = int8_t(data[1]), colOffset = int8_t(data[2]);
    CheckRewrite(formula, references, TranslateFormula(formula, rowOffset, colOffset, out), out);
    CheckRewrite(formula, references, FollowRowInFormula(formula, "Sheet1", data[1] % 8, data[2] % 8, out), out);
    CheckAttributes(shift, formula, out);
    return 0;
}
