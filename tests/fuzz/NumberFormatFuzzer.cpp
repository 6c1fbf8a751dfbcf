// Reads arbitrary bytes as a value, a date system, a format code and a text (eight bytes of a double,
// one byte of flags, then UTF-8: the code, and after a zero byte the text), and formats the value and
// the text by the code. Nothing may fail, and every shown text stays short and well formed.
#include "base/Text.h"
#include "format/NumberFormat.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

using namespace tabulix;

namespace {

void Check(bool promise) {
    if (!promise) __builtin_trap();
}

void CheckShown(const TShownText& shown, size_t limit) {
    Check(shown.Text.size() <= limit);
    Check(shown.Fill == 0 || shown.FillAt <= shown.Text.size());
    Check(!shown.Color || (*shown.Color >> 24) == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 9) return 0;
    double value;
    std::memcpy(&value, data, sizeof value);
    const TDateSystem dates = (data[8] & 1) != 0 ? TDateSystem::Days1904 : TDateSystem::Days1900;
    const std::string_view rest(reinterpret_cast<const char*>(data + 9), size - 9);
    const size_t zero = rest.find('\0');
    const std::u16string code = Utf8ToUtf16(rest.substr(0, zero));
    const std::u16string text = zero == std::string_view::npos ? u"" : Utf8ToUtf16(rest.substr(zero + 1));

    const TNumberFormat format(code);
    // Digits of the largest numbers and the zeros that % and , add, next to what the code writes.
    const size_t numberLimit = 64 * code.size() + 4096;
    CheckShown(format.FormatNumber(value, dates), numberLimit);
    CheckShown(format.FormatText(text), std::max(text.size(), size_t(32767)));
    CheckShown(format.FormatNumber(std::trunc(value), dates), numberLimit);

    const std::u16string general = ShownGeneralText(value);
    Check(general.size() <= 11);

    if (const auto when = SplitDateSerial(value, dates, data[8] >> 1 & 3)) {
        Check(when->Month >= 1 && when->Month <= 12 && when->Day >= 1 && when->Day <= 31);
        Check(when->Year >= 1899 && when->Year <= 9999 && when->Weekday >= 0 && when->Weekday <= 6);
        Check(when->Hour >= 0 && when->Hour < 24 && when->Minute >= 0 && when->Minute < 60);
        Check(when->Second >= 0 && when->Second < 60 && when->Millisecond >= 0 && when->Millisecond < 1000);
    }
    return 0;
}
