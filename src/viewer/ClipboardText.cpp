// Tab-separated text and the clipboard's HTML, written from cells and text read back into cells.
#include "viewer/ClipboardText.h"

#include "base/Text.h"

#include <algorithm>

namespace tabulix {

namespace {

constexpr std::u16string_view QuotedCharacters = u"\t\r\n\"";

// A cell's text in the table, each character the markup uses escaped and each line break a <br>.
void AppendHtmlText(std::string& html, std::u16string_view text) {
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        const char* escaped = nullptr;
        switch (c) {
        case u'&': escaped = "&amp;"; break;
        case u'<': escaped = "&lt;"; break;
        case u'>': escaped = "&gt;"; break;
        case u'"': escaped = "&quot;"; break;
        case u'\n': escaped = (i > 0 && text[i - 1] == u'\r') ? "" : "<br>"; break;
        case u'\r': escaped = "<br>"; break;
        default: continue;
        }
        AppendUtf16AsUtf8(html, text.substr(start, i - start));
        html += escaped;
        start = i + 1;
    }
    AppendUtf16AsUtf8(html, text.substr(start));
}

// The clipboard's HTML: a header of byte offsets from its own start (to the document, to the fragment,
// the table, and to their ends), each ten digits so that its length never changes, then the document.
const std::string HtmlHeader = "Version:0.9\r\nStartHTML:0000000000\r\nEndHTML:0000000000\r\n"
                               "StartFragment:0000000000\r\nEndFragment:0000000000\r\n";
const std::string HtmlBefore = "<html>\r\n<head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\"></head>\r\n"
                               "<body>\r\n<!--StartFragment-->";
const std::string HtmlAfter = "<!--EndFragment-->\r\n</body>\r\n</html>\r\n";

// Writes an offset over the ten digits after the name in the header.
void SetOffset(std::string& html, std::string_view name, size_t value) {
    const size_t at = html.find(name) + name.size();
    for (size_t digit = 10; digit-- > 0; value /= 10) html[at + digit] = char('0' + value % 10);
}

} // namespace

TClipboardWriter::TClipboardWriter(size_t expectedCells) {
    FText.reserve(expectedCells * 12);
    FHtml.reserve(HtmlHeader.size() + HtmlBefore.size() + expectedCells * 24);
    FHtml = HtmlHeader + HtmlBefore + "<table>\r\n";
}

void TClipboardWriter::AddCell(std::u16string_view text) {
    if (!FRowStarted) {
        FHtml += "<tr>";
        FRowStarted = true;
    } else if (FCellWritten) {
        FText += u'\t';
    }
    FCellWritten = true;
    if (text.find_first_of(QuotedCharacters) == std::u16string_view::npos) {
        FText += text;
    } else {
        FText += u'"';
        for (const char16_t c : text) {
            if (c == u'"') FText += u'"';
            FText += c;
        }
        FText += u'"';
    }
    FHtml += "<td>";
    AppendHtmlText(FHtml, text);
    FHtml += "</td>";
}

void TClipboardWriter::EndRow() {
    if (!FRowStarted) FHtml += "<tr>";
    FHtml += "</tr>\r\n";
    FText += u"\r\n";
    FRowStarted = false;
    FCellWritten = false;
}

const std::string& TClipboardWriter::Html() {
    if (!FFinished) {
        FFinished = true;
        FHtml += "</table>";
        const size_t endFragment = FHtml.size();
        FHtml += HtmlAfter;
        SetOffset(FHtml, "StartHTML:", HtmlHeader.size());
        SetOffset(FHtml, "EndHTML:", FHtml.size());
        SetOffset(FHtml, "StartFragment:", HtmlHeader.size() + HtmlBefore.size());
        SetOffset(FHtml, "EndFragment:", endFragment);
    }
    return FHtml;
}

int32_t TClipboardCells::Cols() const {
    size_t cols = 0;
    for (const auto& row : Rows) cols = std::max(cols, row.size());
    return int32_t(cols);
}

bool ReadClipboardText(std::u16string_view text, int32_t maxRows, int32_t maxCols, TClipboardCells& cells) {
    cells.Rows.clear();
    std::vector<std::u16string>* row = nullptr;
    size_t at = 0;
    while (at < text.size()) {
        if (!row) {
            if (int32_t(cells.Rows.size()) >= maxRows) return false;
            row = &cells.Rows.emplace_back();
        }
        if (int32_t(row->size()) >= maxCols) return false;
        std::u16string& field = row->emplace_back();
        if (text[at] == u'"') {
            // Quoted: up to the quote that is not doubled; a text that ends inside keeps what it has.
            for (++at; at < text.size(); ++at) {
                if (text[at] != u'"') {
                    field += text[at];
                } else if (at + 1 < text.size() && text[at + 1] == u'"') {
                    field += u'"';
                    ++at;
                } else {
                    ++at;
                    break;
                }
            }
        }
        const size_t end = std::min(text.find_first_of(u"\t\r\n", at), text.size());
        field.append(text.substr(at, end - at));
        at = end;
        if (at == text.size()) break;
        if (text[at] == u'\t') {
            ++at;
            if (at == text.size()) row->emplace_back(); // a tab at the very end closes an empty field
            continue;
        }
        at += (text[at] == u'\r' && at + 1 < text.size() && text[at + 1] == u'\n') ? 2 : 1;
        row = nullptr;
    }
    if (row && int32_t(row->size()) > maxCols) return false;
    return true;
}

} // namespace tabulix
