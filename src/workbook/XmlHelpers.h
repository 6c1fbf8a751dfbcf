#pragma once

#include <pugixml.hpp>

#include <string>
#include <string_view>

namespace tabulix {

class TEntryDeflater;

// Elements are matched by their local name, whatever prefix they carry: an x:sheetData is a sheetData.
std::string_view LocalName(const pugi::xml_node& node);
bool HasLocalName(const pugi::xml_node& node, std::string_view name);
bool HasLocalNameIgnoringCase(const pugi::xml_node& node, std::string_view name);
pugi::xml_node FirstChildNamed(const pugi::xml_node& parent, std::string_view name);

// The name for a new child of parent: the local name with the parent's prefix, so that the child lands
// in the parent's namespace without a declaration of its own.
std::string ChildName(const pugi::xml_node& parent, std::string_view localName);

// The UTF-8 text of every text and CDATA node below the node, in document order: a view of the
// document's own text when it is a single one, otherwise built in scratch.
std::string_view TextContentView(const pugi::xml_node& node, std::string& scratch);

// The attribute's value when the element has it, otherwise the default.
std::u16string AttrOrDefault(const pugi::xml_node& element, std::string_view name, std::u16string_view fallback);

// An xsd:boolean attribute: "1" or "true" for true, "0" or "false" for false; the fallback when the
// element has no such attribute or another value.
bool TruthAttribute(const pugi::xml_node& element, const char* name, bool fallback);

// The first element among the node's children, skipping text, comments and the like; then the next.
pugi::xml_node FirstElement(const pugi::xml_node& parent);
pugi::xml_node NextElement(const pugi::xml_node& node);

// 3 when the bytes start with a UTF-8 byte-order mark, otherwise 0.
size_t ByteOrderMarkLength(std::string_view bytes);

// Parses a part's UTF-8 bytes (byte-order mark already dropped) in place: the document's texts stay in
// the buffer, which must outlive the document. Throws TTabulixError with the parser's message, naming
// the part, when the text is not well-formed XML. A part parsed only to be read leaves out comments,
// processing instructions and the document type declaration.
void ParseXmlPart(char* bytes, size_t size, std::u16string_view partName, pugi::xml_document& document);
// A part parsed to be changed and written back: the document owns its bytes, which must come from
// pugixml's allocator (AllocateXmlBuffer), and keeps comments, processing instructions and the document
// type declaration as well.
void ParseXmlPartToChange(char* ownedBytes, size_t size, std::u16string_view partName, pugi::xml_document& document);
char* AllocateXmlBuffer(size_t size);

// Writes a document as a part to write(data, size): UTF-8, declared as such, without a byte-order
// mark. Tab, LF and CR in attribute values, and CR in text, are written as character references, so
// that a reader's normalisation of line ends and blanks gives back exactly the characters the document
// holds.
void WriteXmlPart(pugi::xml_document& document, pugi::xml_writer& writer);

// A writer for WriteXmlPart that deflates what the document writes, straight into an entry's data.
class TDeflatingWriter : public pugi::xml_writer {
public:
    explicit TDeflatingWriter(TEntryDeflater& deflater) : FDeflater(deflater) {}
    void write(const void* data, size_t size) override;

private:
    TEntryDeflater& FDeflater;
};

// The root element of a parsed document; empty when there is none.
pugi::xml_node RootElement(const pugi::xml_document& document);

} // namespace tabulix
