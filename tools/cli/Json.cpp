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
    size_t plain = 0; // the start of the characters not yet written
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c >= 0x20 && c != u'"' && c != u'\\') continue;
        AppendUtf16AsUtf8(out, text.substr(plain, i - plain));
        plain = i + 1;
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
    AppendUtf16AsUtf8(out, text.substr(plain));
    out += '"';
}

} // namespace tabulix::cli
