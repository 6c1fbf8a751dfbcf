#include "workbook/XmlHelpers.h"

#include "base/Error.h"
#include "base/Numbers.h"
#include "base/Text.h"
#include "workbook/ZipPackage.h"

#include <new>

namespace tabulix {

std::string_view LocalName(const pugi::xml_node& node) {
    // One pass over the name, which is short: loading asks this of every cell's children.
    const char* name = node.name();
    const char* local = name;
    const char* end = name;
    for (; *end; ++end) {
        if (*end == ':') local = end + 1;
    }
    return {local, size_t(end - local)};
}

bool HasLocalName(const pugi::xml_node& node, std::string_view name) {
    return node.type() == pugi::node_element && LocalName(node) == name;
}

bool HasLocalNameIgnoringCase(const pugi::xml_node& node, std::string_view name) {
    return node.type() == pugi::node_element && SameTextAscii(LocalName(node), name);
}

bool TruthAttribute(const pugi::xml_node& element, const char* name, bool fallback) {
    const pugi::xml_attribute attribute = element.attribute(name);
    if (!attribute) return fallback;
    const std::string_view value = attribute.value();
    if (value == "1" || value == "true") return true;
    if (value == "0" || value == "false") return false;
    return fallback;
}

pugi::xml_node FirstElement(const pugi::xml_node& parent) {
    pugi::xml_node child = parent.first_child();
    while (child && child.type() != pugi::node_element) child = child.next_sibling();
    return child;
}

pugi::xml_node NextElement(const pugi::xml_node& node) {
    pugi::xml_node next = node.next_sibling();
    while (next && next.type() != pugi::node_element) next = next.next_sibling();
    return next;
}

std::string ChildName(const pugi::xml_node& parent, std::string_view localName) {
    const std::string_view name = parent.name();
    const size_t colon = name.rfind(':');
    std::string result(colon == std::string_view::npos ? std::string_view() : name.substr(0, colon + 1));
    result += localName;
    return result;
}

pugi::xml_node FirstChildNamed(const pugi::xml_node& parent, std::string_view name) {
    for (pugi::xml_node child = FirstElement(parent); child; child = NextElement(child)) {
        if (LocalName(child) == name) return child;
    }
    return {};
}

namespace {

// Walks the subtree in document order without recursion, so that deeply nested input cannot
// exhaust the stack. A parsed part keeps an element's first text in the element itself.
void AppendText(const pugi::xml_node& root, std::string& out) {
    out += root.value();
    pugi::xml_node node = root.first_child();
    while (node) {
        const pugi::xml_node_type type = node.type();
        if (type == pugi::node_pcdata || type == pugi::node_cdata || type == pugi::node_element) out += node.value();
        if (type == pugi::node_element && node.first_child()) {
            node = node.first_child();
            continue;
        }
        while (node && node != root && !node.next_sibling()) node = node.parent();
        if (!node || node == root) break;
        node = node.next_sibling();
    }
}

} // namespace

std::string_view TextContentView(const pugi::xml_node& node, std::string& scratch) {
    // The usual cases, one text in the element or one text child, without a copy.
    const pugi::xml_node only = node.first_child();
    if (!only) return node.value();
    if (!*node.value() && !only.next_sibling() && (only.type() == pugi::node_pcdata || only.type() == pugi::node_cdata)) {
        return only.value();
    }
    scratch.clear();
    AppendText(node, scratch);
    return scratch;
}

std::u16string AttrOrDefault(const pugi::xml_node& element, std::string_view name, std::u16string_view fallback) {
    if (element) {
        for (pugi::xml_attribute attribute = element.first_attribute(); attribute; attribute = attribute.next_attribute()) {
            if (name == attribute.name()) return Utf8ToUtf16(attribute.value());
        }
    }
    return std::u16string(fallback);
}

namespace {

[[noreturn]] void FailNotWellFormed(std::u16string_view partName, std::string_view description, ptrdiff_t offset) {
    throw TTabulixError(FormatMessageText(u"%s is not well-formed XML: %s (at byte %s).",
                                          {partName, AsciiToUtf16(description), IntToText(int64_t(offset))}));
}

bool IsXmlWhitespace(std::string_view text) { return text.find_first_not_of(" \t\r\n") == std::string_view::npos; }

} // namespace

namespace {

// The parser folds line ends (CR LF and a lone CR into LF) everywhere but in processing instructions and
// the document type declaration, which it keeps as written. Folded there too, as every reader sees them,
// so that a CR in a parsed document is always a character of text that was written as a reference.
class TLineEndFolder : public pugi::xml_tree_walker {
public:
    bool for_each(pugi::xml_node& node) override {
        if (node.type() != pugi::node_pi && node.type() != pugi::node_doctype) return true;
        const std::string_view value = node.value();
        if (value.find('\r') == std::string_view::npos) return true;
        std::string folded;
        for (size_t i = 0; i < value.size(); ++i) {
            if (value[i] != '\r') folded += value[i];
            else if (i + 1 >= value.size() || value[i + 1] != '\n') folded += '\n';
        }
        node.set_value(folded.c_str());
        return true;
    }
};

} // namespace

namespace {

// Read as a fragment so that what stands beside the root element stays visible to the checks below.
// Whitespace that is the only content of an element is kept: a cell text of one blank is a text.
// An element's first text is kept in the element, a node fewer for every value of a worksheet; the
// serialiser writes it back in its place.
constexpr unsigned ReadFlags = pugi::parse_default | pugi::parse_ws_pcdata_single | pugi::parse_declaration |
                               pugi::parse_fragment | pugi::parse_embed_pcdata;
constexpr unsigned ChangeFlags = ReadFlags | pugi::parse_comments | pugi::parse_pi | pugi::parse_doctype;

void CheckParsed(const pugi::xml_parse_result& result, std::u16string_view partName, pugi::xml_document& document) {
    if (!result) FailNotWellFormed(partName, result.description(), result.offset);
    // A document has one root element and no text beside it. A text without any element at all is a
    // document without a root, which callers treat as such.
    pugi::xml_node root;
    pugi::xml_node text;
    for (pugi::xml_node node = document.first_child(); node; node = node.next_sibling()) {
        if (node.type() == pugi::node_element) {
            if (root) FailNotWellFormed(partName, "more than one root element", node.offset_debug());
            root = node;
        } else if (!text && (node.type() == pugi::node_cdata ||
                             (node.type() == pugi::node_pcdata && !IsXmlWhitespace(node.value())))) {
            text = node;
        }
    }
    if (text) {
        if (root) FailNotWellFormed(partName, "text outside the root element", text.offset_debug());
        document.remove_children();
    }
}

} // namespace

size_t ByteOrderMarkLength(std::string_view bytes) {
    return bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
}

void ParseXmlPart(char* bytes, size_t size, std::u16string_view partName, pugi::xml_document& document) {
    CheckParsed(document.load_buffer_inplace(bytes, size, ReadFlags, pugi::encoding_utf8), partName, document);
}

char* AllocateXmlBuffer(size_t size) {
    void* buffer = pugi::get_memory_allocation_function()(size ? size : 1);
    if (!buffer) throw std::bad_alloc();
    return static_cast<char*>(buffer);
}

void ParseXmlPartToChange(char* ownedBytes, size_t size, std::u16string_view partName, pugi::xml_document& document) {
    const bool lineEnds = std::string_view(ownedBytes, size).find('\r') != std::string_view::npos;
    CheckParsed(document.load_buffer_inplace_own(ownedBytes, size, ChangeFlags, pugi::encoding_utf8), partName, document);
    if (lineEnds) {
        TLineEndFolder folder;
        document.traverse(folder);
    }
}

namespace {

// Hands what pugixml writes on to another writer, with every CR written as a character reference.
class TCarriageReturnWriter : public pugi::xml_writer {
public:
    explicit TCarriageReturnWriter(pugi::xml_writer& next) : FNext(next) {}
    void write(const void* data, size_t size) override {
        const char* bytes = static_cast<const char*>(data);
        const std::string_view text(bytes, size);
        size_t from = 0;
        for (size_t at = text.find('\r'); at != std::string_view::npos; at = text.find('\r', from)) {
            if (at > from) FNext.write(bytes + from, at - from);
            FNext.write("&#13;", 5);
            from = at + 1;
        }
        if (from < size) FNext.write(bytes + from, size - from);
    }

private:
    pugi::xml_writer& FNext;
};

} // namespace

void WriteXmlPart(pugi::xml_document& document, pugi::xml_writer& writer) {
    pugi::xml_node declaration = document.first_child();
    if (declaration.type() != pugi::node_declaration) {
        declaration = document.prepend_child(pugi::node_declaration);
        declaration.append_attribute("version").set_value("1.0");
        declaration.append_attribute("standalone").set_value("yes");
    }
    pugi::xml_attribute encoding = declaration.attribute("encoding");
    if (!encoding) {
        const pugi::xml_attribute version = declaration.attribute("version");
        encoding = version ? declaration.insert_attribute_after("encoding", version) : declaration.prepend_attribute("encoding");
    }
    encoding.set_value("UTF-8");
    // The serialiser writes control characters of attribute values as references itself; a CR in text
    // it writes as it is, and only text can still hold one here (see TLineEndFolder).
    TCarriageReturnWriter out(writer);
    document.save(out, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
}

pugi::xml_node RootElement(const pugi::xml_document& document) { return FirstElement(document); }

void TDeflatingWriter::write(const void* data, size_t size) {
    FDeflater.Write(std::string_view(static_cast<const char*>(data), size));
}

} // namespace tabulix
