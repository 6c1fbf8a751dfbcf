#include "workbook/StyleSheetEdit.h"

#include "base/Numbers.h"
#include "workbook/SheetDataPositions.h"
#include "workbook/StyleSheetReader.h"
#include "workbook/XmlHelpers.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace tabulix {

const std::string_view MinimalStyleSheetXml =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
    "<fonts count=\"1\"><font><sz val=\"11\"/><name val=\"Calibri\"/><family val=\"2\"/></font></fonts>"
    "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill><fill><patternFill patternType=\"gray125\"/></fill></fills>"
    "<borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/></border></borders>"
    "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/></cellStyleXfs>"
    "<cellXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/></cellXfs>"
    "<cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/></cellStyles>"
    "</styleSheet>";

namespace {

// Where the schema puts the children of a styles part, and those of a font, which applications write
// in this order too.
constexpr std::string_view StyleSheetOrder[] = {"numFmts",    "fonts", "fills",       "borders", "cellStyleXfs", "cellXfs",
                                                "cellStyles", "dxfs",  "tableStyles", "colors",  "extLst"};
constexpr std::string_view FontOrder[] = {"b",         "i",  "strike", "condense", "extend", "outline", "shadow", "u",
                                          "vertAlign", "sz", "color",  "name",     "family", "charset", "scheme"};

template <size_t N>
size_t Rank(std::string_view name, const std::string_view (&order)[N]) {
    return size_t(std::find(std::begin(order), std::end(order), name) - std::begin(order));
}

// A new child placed before the first child that comes after it in the order.
template <size_t N>
pugi::xml_node InsertInOrder(pugi::xml_node parent, std::string_view localName, const std::string_view (&order)[N]) {
    const size_t rank = Rank(localName, order);
    const std::string name = ChildName(parent, localName);
    for (pugi::xml_node child = FirstElement(parent); child; child = NextElement(child)) {
        if (Rank(LocalName(child), order) > rank) return parent.insert_child_before(name.c_str(), child);
    }
    return parent.append_child(name.c_str());
}

std::vector<pugi::xml_node> Elements(const pugi::xml_node& parent) {
    std::vector<pugi::xml_node> elements;
    for (pugi::xml_node child = FirstElement(parent); child; child = NextElement(child)) elements.push_back(child);
    return elements;
}

void SetAttribute(pugi::xml_node element, const char* name, const char* value) {
    pugi::xml_attribute attribute = element.attribute(name);
    if (!attribute) attribute = element.append_attribute(name);
    attribute.set_value(value);
}

void Count(pugi::xml_node list) { SetAttribute(list, "count", TDecimalText(int64_t(Elements(list).size())).c_str()); }

pugi::xml_node AppendChild(pugi::xml_node parent, std::string_view localName) {
    return parent.append_child(ChildName(parent, localName).c_str());
}

void AppendDefaultFont(pugi::xml_node fonts) {
    pugi::xml_node font = AppendChild(fonts, "font");
    AppendChild(font, "sz").append_attribute("val").set_value("11");
    AppendChild(font, "name").append_attribute("val").set_value("Calibri");
    AppendChild(font, "family").append_attribute("val").set_value("2");
}

void AppendDefaultXf(pugi::xml_node cellXfs) {
    pugi::xml_node xf = AppendChild(cellXfs, "xf");
    for (const char* name : {"numFmtId", "fontId", "fillId", "borderId", "xfId"}) xf.append_attribute(name).set_value("0");
}

// The list of that name, made with a default first entry when it is missing or empty.
pugi::xml_node ListWithEntry(pugi::xml_node styleSheet, std::string_view name, void (*appendDefault)(pugi::xml_node)) {
    pugi::xml_node list = FirstChildNamed(styleSheet, name);
    if (!list) list = InsertInOrder(styleSheet, name, StyleSheetOrder);
    if (!FirstElement(list)) {
        appendDefault(list);
        Count(list);
    }
    return list;
}

// What makes two entries the same: their names, attributes in any order (but apply flags, when
// asked) and texts, all the way down, without recursion; a font's parts in any order.
void AppendSubtreeKey(const pugi::xml_node& top, bool skipApplyFlags, std::string& key) {
    std::vector<std::string> attributes;
    pugi::xml_node node = top;
    while (node) {
        if (node.type() == pugi::node_element) {
            key += '<';
            key += LocalName(node);
            attributes.clear();
            for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
                if (skipApplyFlags && node == top && std::strncmp(a.name(), "apply", 5) == 0) continue;
                attributes.push_back(std::string(a.name()) + '=' + a.value());
            }
            std::sort(attributes.begin(), attributes.end());
            for (const std::string& attribute : attributes) key += ' ' + attribute;
            key += '>';
            key += node.value(); // a parsed element may keep its first text in itself
        } else if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata) {
            const std::string_view text = node.value();
            if (text.find_first_not_of(" \t\r\n") != std::string_view::npos) key += text;
        }
        if (node.type() == pugi::node_element && node.first_child()) {
            node = node.first_child();
            continue;
        }
        if (node.type() == pugi::node_element) key += "</>";
        // Up to the nearest element with a next sibling, closing each element left.
        while (node != top && !node.next_sibling()) {
            node = node.parent();
            key += "</>";
        }
        if (node == top) break;
        node = node.next_sibling();
    }
}

std::string XfKey(const pugi::xml_node& xf) {
    std::string key;
    AppendSubtreeKey(xf, true, key);
    return key;
}

std::string FontKey(const pugi::xml_node& font) {
    std::vector<std::string> parts;
    for (pugi::xml_node part = FirstElement(font); part; part = NextElement(part)) {
        parts.emplace_back();
        AppendSubtreeKey(part, false, parts.back());
    }
    std::sort(parts.begin(), parts.end());
    std::string key = "<font>";
    for (const std::string& part : parts) key += part;
    return key;
}

// The index of the entry whose key is the candidate's, preferring the base entry; -1 when none is.
template <typename TKey>
int64_t FindEntry(const std::vector<pugi::xml_node>& entries, size_t base, const std::string& key, TKey&& keyOf) {
    if (keyOf(entries[base]) == key) return int64_t(base);
    for (size_t i = 0; i < entries.size(); ++i) {
        if (keyOf(entries[i]) == key) return int64_t(i);
    }
    return -1;
}

size_t EntryIndex(const pugi::xml_node& element, const char* attribute, int64_t fallback, size_t count) {
    const int64_t index = ReadDecimalIntegerOr(std::string_view(element.attribute(attribute).value()), fallback);
    return index >= 0 && uint64_t(index) < count ? size_t(index) : 0;
}

// Whether a font's last element of that flag turns it on, as reading the styles takes it: a flag is on
// unless its val is "0" or "false", an underline unless it is "none".
bool FlagOn(const pugi::xml_node& font, std::string_view flag) {
    bool on = false;
    for (pugi::xml_node part = FirstElement(font); part; part = NextElement(part)) {
        if (LocalName(part) != flag) continue;
        const std::string_view value = part.attribute("val").value();
        on = flag == "u" ? value != "none" : !(value == "0" || value == "false");
    }
    return on;
}

// Turns a font's flag on or off; whether it changed. A flag turned on is written plainly (<b/>, an
// underline as single); turned off, it goes.
bool SetFlag(pugi::xml_node font, std::string_view flag, bool on) {
    if (FlagOn(font, flag) == on) return false;
    for (pugi::xml_node part = FirstElement(font); part;) {
        const pugi::xml_node next = NextElement(part);
        if (LocalName(part) == flag) font.remove_child(part);
        part = next;
    }
    if (on) {
        pugi::xml_node written = InsertInOrder(font, flag, FontOrder);
        if (flag == "u") written.append_attribute("val").set_value("single");
    }
    return true;
}

// Sets an entry's horizontal alignment; whether it changed. General is written as no horizontal
// alignment, and an alignment left with nothing goes.
bool SetHorizontal(pugi::xml_node xf, THorizontalAlign align) {
    pugi::xml_node alignment = FirstChildNamed(xf, "alignment");
    if (ReadHorizontalAlign(alignment.attribute("horizontal").value()) == align) return false;
    if (align == THorizontalAlign::General) {
        alignment.remove_attribute("horizontal");
        if (!alignment.first_attribute() && !alignment.first_child()) xf.remove_child(alignment);
        return true;
    }
    if (!alignment) {
        const pugi::xml_node first = FirstElement(xf); // alignment comes before protection and extLst
        const std::string name = ChildName(xf, "alignment");
        alignment = first ? xf.insert_child_before(name.c_str(), first) : xf.append_child(name.c_str());
    }
    SetAttribute(alignment, "horizontal", std::string(HorizontalAlignName(align)).c_str());
    return true;
}

// The font index for the base entry's font with the change's flags: the base font when they change
// nothing, else an identical font, else one appended. -1 when the change gives no flag.
int64_t FontWithChange(pugi::xml_node styleSheet, const pugi::xml_node& baseXf, const TFormattingChange& change,
                       pugi::xml_document& scratch) {
    if (!change.Bold && !change.Italic && !change.Underline) return -1;
    pugi::xml_node fonts = ListWithEntry(styleSheet, "fonts", AppendDefaultFont);
    const std::vector<pugi::xml_node> list = Elements(fonts);
    const size_t base = EntryIndex(baseXf, "fontId", 0, list.size());
    pugi::xml_node font = scratch.append_copy(list[base]);
    bool changed = false;
    if (change.Bold) changed = SetFlag(font, "b", *change.Bold) || changed;
    if (change.Italic) changed = SetFlag(font, "i", *change.Italic) || changed;
    if (change.Underline) changed = SetFlag(font, "u", *change.Underline) || changed;
    if (!changed) return -1;
    const int64_t found = FindEntry(list, base, FontKey(font), FontKey);
    if (found >= 0) return found;
    fonts.append_copy(font);
    Count(fonts);
    return int64_t(list.size());
}

} // namespace

TStyleChoice StyleWithChange(pugi::xml_node styleSheet, int64_t baseStyle, const TFormattingChange& change) {
    pugi::xml_node cellXfs = ListWithEntry(styleSheet, "cellXfs", AppendDefaultXf);
    const std::vector<pugi::xml_node> xfs = Elements(cellXfs);
    const size_t base = baseStyle >= 0 && uint64_t(baseStyle) < xfs.size() ? size_t(baseStyle) : 0;
    pugi::xml_document scratch;
    pugi::xml_node candidate = scratch.append_copy(xfs[base]);
    const int64_t font = FontWithChange(styleSheet, xfs[base], change, scratch);
    if (font >= 0) {
        SetAttribute(candidate, "fontId", TDecimalText(font).c_str());
        SetAttribute(candidate, "applyFont", "1");
    }
    if (change.Horizontal && SetHorizontal(candidate, *change.Horizontal)) SetAttribute(candidate, "applyAlignment", "1");
    const int64_t found = FindEntry(xfs, base, XfKey(candidate), XfKey);
    if (found >= 0) return {found, found == int64_t(base), false};
    cellXfs.append_copy(candidate);
    Count(cellXfs);
    return {int64_t(xfs.size()), false, true};
}

} // namespace tabulix
