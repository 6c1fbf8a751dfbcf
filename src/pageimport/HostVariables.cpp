#include "pageimport/HostVariables.h"

#include "base/Text.h"
#include "pageimport/ImportPaths.h"

namespace tabulix {

std::u16string ReadHostVariableOrEmpty(const THostVariableReader& host, const std::u16string& name) {
    if (!host.CanReadVariables()) return std::u16string();
    try {
        return host.ReadVariable(name);
    } catch (...) {
        return std::u16string();
    }
}

std::u16string ExpandPubTokens(const THostVariableReader& host, std::u16string_view path) {
    std::u16string result(path);
    if (!host.CanReadVariables()) return result;
    std::u16string folder;
    std::u16string title;
    try {
        folder = host.ReadVariable(u"[PubDir]");
        title = host.ReadVariable(u"[PubTitle]");
    } catch (...) {
        // Half an answer is no answer: both tokens stay.
        folder.clear();
        title.clear();
    }
    if (!folder.empty()) result = ReplaceAllTextAscii(result, u"[PubDir]", importpath::WithTrailingSeparator(folder));
    if (!title.empty()) result = ReplaceAllTextAscii(result, u"[PubTitle]", title);
    return result;
}

} // namespace tabulix
