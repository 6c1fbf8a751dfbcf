#include "Json.h"

#include "base/Text.h"

#include <cstdio>

namespace tabulix::cli {

std::string JsonString(std::u16string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    AppendJsonString(out, text);
    return out;
}

namespace {

// ASCII that a JSON string holds as it is.
bool IsPlainJsonCharacter(char16_t c) { return c >= 0x20 && c < 0x80 && c != u'"' && c != u'\\'; }

} // namespace

void AppendJsonString(std::string& out, std::u16string_view text) {
    // The usual text, ASCII that needs no escape, is written in one piece.
    const size_t at = out.size();
    out.resize(at + text.size() + 2);
    char* to = out.data() + at;
    *to++ = '"';
    size_t i = 0;
    for (; i < text.size() && IsPlainJsonCharacter(text[i]); ++i) *to++ = char(text[i]);
    if (i == text.size()) {
        *to = '"';
        return;
    }
    out.resize(size_t(to - out.data()));
    // From the first other character on: plain ASCII is copied, a run beyond ASCII converted at once,
    // anything else escaped.
    while (i < text.size()) {
        const char16_t c = text[i];
        if (IsPlainJsonCharacter(c)) {
            out += char(c);
            ++i;
            continue;
        }
        if (c >= 0x80) {
            size_t end = i + 1;
            while (end < text.size() && text[end] >= 0x80) ++end;
            AppendUtf16AsUtf8(out, text.substr(i, end - i));
            i = end;
            continue;
        }
        ++i;
        switch (c) {
        case u'"': out += "\\\""; break;
        case u'\\': out += "\\\\"; break;
        case u'\n': out += "\\n"; break;
        case u'\r': out += "\\r"; break;
        case u'\t': out += "\\t"; break;
        default: {
            char control[8];
            std::snprintf(control, sizeof control, "\\u%04X", unsigned(c));
            out += control;
        }
        }
    }
    out += '"';
}

} // namespace tabulix::cli
