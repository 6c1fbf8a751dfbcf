#include "export/PdfWriter.h"

#include "base/Files.h"
#include "export/XlsxExporter.h"

namespace tabulix {

namespace {

std::string Decimal(int64_t value) { return std::to_string(value); }

std::string ZeroPadded(uint64_t value, size_t width) {
    std::string digits = std::to_string(value);
    if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
    return digits;
}

std::string Reference(int32_t objectNumber) { return Decimal(objectNumber) + " 0 R"; }

} // namespace

TPdfWriter::TPdfWriter() {
    FFontObjNum = AddObject("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>");
    FPagesObjNum = AddObject("");
    FCatalogObjNum = AddObject("<< /Type /Catalog /Pages " + Reference(FPagesObjNum) + " >>");
}

TPdfWriter::~TPdfWriter() = default;

int32_t TPdfWriter::AddObject(std::string body) {
    FObjects.push_back(std::move(body));
    return int32_t(FObjects.size());
}

int32_t TPdfWriter::AddPage(std::string_view content, double pageWidth, double pageHeight) {
    std::string stream = "<< /Length " + Decimal(int64_t(content.size())) + " >>\nstream\n";
    stream += content;
    stream += "\nendstream";
    const int32_t contentObjNum = AddObject(std::move(stream));
    const int32_t pageObjNum =
        AddObject("<< /Type /Page /Parent " + Reference(FPagesObjNum) + " /MediaBox [0 0 " + PdfNumber(pageWidth) +
                  " " + PdfNumber(pageHeight) + "] /Resources << /Font << /F1 " + Reference(FFontObjNum) +
                  " >> >> /Contents " + Reference(contentObjNum) + " >>");
    FPageObjNums.push_back(pageObjNum);
    return pageObjNum;
}

std::string TPdfWriter::SaveToBytes() {
    std::string kids;
    for (const int32_t page : FPageObjNums) kids += Reference(page) + " ";
    FObjects[size_t(FPagesObjNum - 1)] =
        "<< /Type /Pages /Kids [ " + kids + "] /Count " + Decimal(int64_t(FPageObjNums.size())) + " >>";

    size_t total = 64;
    for (const std::string& body : FObjects) total += body.size() + 40;
    std::string file;
    file.reserve(total);
    file += "%PDF-1.4\n";
    std::vector<size_t> offsets;
    offsets.reserve(FObjects.size());
    for (size_t i = 0; i < FObjects.size(); ++i) {
        offsets.push_back(file.size());
        file += Decimal(int64_t(i + 1));
        file += " 0 obj\n";
        file += FObjects[i];
        file += "\nendobj\n";
    }
    const size_t xrefPosition = file.size();
    const std::string size = Decimal(int64_t(FObjects.size() + 1));
    file += "xref\n0 " + size + "\n";
    file += "0000000000 65535 f\r\n";
    for (const size_t offset : offsets) file += ZeroPadded(offset, 10) + " 00000 n\r\n";
    file += "trailer\n<< /Size " + size + " /Root " + Reference(FCatalogObjNum) + " >>\nstartxref\n";
    file += Decimal(int64_t(xrefPosition)) + "\n%%EOF";
    return file;
}

void TPdfWriter::SaveToFile(const std::u16string& fileName) { WriteFileAtomically(TextToPath(fileName), SaveToBytes()); }

} // namespace tabulix
