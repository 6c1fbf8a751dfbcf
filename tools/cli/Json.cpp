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

void AppendJsonString(std::string& out, std::u16string_view text) {
    out += '"';
    // ASCII is written as it is, a character at a time; a run of anything else is converted at once.
    size_t i = 0;
    while (i < text.size()) {
        const char16_t c = text[i];
        if (c >= 0x80) {
            size_t end = i + 1;
            while (end < text.size() && text[end] >= 0x80) ++end;
            AppendUtf16AsUtf8(out, text.substr(i, end - i));
            i = end;
            continue;
        }
        ++i;
        if (c >= 0x20 && c != u'"' && c != u'\\') {
            out += char(c);
            continue;
        }
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
