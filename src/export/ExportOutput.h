#pragma once

#include "base/Text.h"

#include <string>
#include <string_view>

namespace tabulix {

// The bytes of a text export as they grow, line by line: UTF-8 after a byte-order mark, CR LF after
// every line, the last one included. Lines are encoded as they are added, so the file is held once.
class TExportLines {
public:
    TExportLines() : FBytes("\xEF\xBB\xBF") {}

    // Room for about bytes more, so that a large export is not copied each time it outgrows its buffer.
    void Reserve(size_t bytes) { FBytes.reserve(FBytes.size() + bytes); }
    void Add(std::u16string_view line) {
        FBytes += Utf16ToUtf8(line);
        FBytes += "\r\n";
    }
    void AddAscii(std::string_view line) {
        FBytes += line;
        FBytes += "\r\n";
    }
    const std::string& Bytes() const { return FBytes; }

private:
    std::string FBytes;
};

} // namespace tabulix
