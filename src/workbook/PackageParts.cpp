#include "workbook/PackageParts.h"

#include <algorithm>
#include <vector>

namespace tabulix {

std::u16string RelationshipsPartOf(const std::u16string& partName) {
    const size_t slash = partName.rfind(u'/');
    const std::u16string folder = slash == std::u16string::npos ? u"" : partName.substr(0, slash + 1);
    const std::u16string file = slash == std::u16string::npos ? partName : partName.substr(slash + 1);
    return folder + u"_rels/" + file + u".rels";
}

std::u16string ResolvePartTarget(const std::u16string& sourcePart, std::u16string_view target) {
    std::vector<std::u16string_view> segments;
    std::u16string_view rest = target;
    if (!target.empty() && target[0] == u'/') {
        rest.remove_prefix(1);
    } else {
        // The source part's folder, segment by segment.
        const std::u16string_view source(sourcePart);
        const size_t slash = source.rfind(u'/');
        for (size_t at = 0; slash != std::u16string_view::npos && at < slash;) {
            const size_t end = std::min(source.find(u'/', at), slash);
            segments.push_back(source.substr(at, end - at));
            at = end + 1;
        }
    }
    for (size_t at = 0; at <= rest.size();) {
        const size_t end = std::min(rest.find(u'/', at), rest.size());
        const std::u16string_view segment = rest.substr(at, end - at);
        if (segment == u"..") {
            if (segments.empty()) return u"";
            segments.pop_back();
        } else if (!segment.empty() && segment != u".") {
            segments.push_back(segment);
        }
        at = end + 1;
    }
    std::u16string resolved;
    for (const std::u16string_view segment : segments) {
        if (!resolved.empty()) resolved += u'/';
        resolved += segment;
    }
    return resolved;
}

} // namespace tabulix
