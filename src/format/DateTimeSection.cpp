// Date and time sections: calendar fields, clock fields, elapsed time, fractions of a second.
#include "format/SectionFormatting.h"

#include <string>

namespace tabulix {

namespace {

constexpr std::u16string_view MonthNames[12] = {u"January", u"February", u"March",     u"April",
                                                u"May",     u"June",     u"July",      u"August",
                                                u"September", u"October", u"November", u"December"};
constexpr std::u16string_view DayNames[7] = {u"Sunday",   u"Monday", u"Tuesday", u"Wednesday",
                                             u"Thursday", u"Friday", u"Saturday"};

// A number in at least width digits, zeros in front.
void AppendPadded(std::u16string& out, int64_t value, int32_t width) {
    const std::string digits = std::to_string(value);
    for (int32_t k = int32_t(digits.size()); k < width; ++k) out += u'0';
    for (char c : digits) out += char16_t(c);
}

// An abbreviated name is the first three letters, the shortest the first letter.
void AppendName(std::u16string& out, std::u16string_view name, int32_t letters) {
    if (letters == 3) {
        out += name.substr(0, 3);
    } else if (letters == 5) {
        out += name.substr(0, 1);
    } else {
        out += name;
    }
}

int32_t TwelveHourClock(int32_t hour) {
    const int32_t twelve = hour % 12;
    return twelve == 0 ? 12 : twelve;
}

} // namespace

bool AppendDateTimeSection(const TFormatSection& section, double value, TDateSystem dates, TShownText& out) {
    // A time of day is rounded to the millisecond, or to the fraction of a second the section shows,
    // and its fields are then cut, as a clock shows them (12:00:59.6 is 12:00 under h:mm). An elapsed
    // time is a quantity, rounded to the last unit shown (106.6 seconds are 0:01:47 under [h]:mm:ss).
    const int32_t secondDigits = section.SecondDigits > 0 ? section.SecondDigits : section.Elapsed ? 0 : 3;
    const std::optional<TSerialDateTime> when = SplitDateSerial(value, dates, secondDigits);
    if (!when) return false;
    const int64_t totalSeconds = when->SerialDay * 86400 + when->Hour * 3600 + when->Minute * 60 + when->Second;
    for (const TFormatToken& token : section.Tokens) {
        switch (token.Kind) {
        case TTokenKind::Literal: out.Text += token.Text; break;
        case TTokenKind::Fill: SetFill(out, token.Char); break;
        case TTokenKind::Year:
            if (token.Count <= 2) {
                AppendPadded(out.Text, when->Year % 100, 2);
            } else {
                AppendPadded(out.Text, when->Year, 4);
            }
            break;
        case TTokenKind::Month: AppendPadded(out.Text, when->Month, token.Count); break;
        case TTokenKind::MonthName: AppendName(out.Text, MonthNames[when->Month - 1], token.Count); break;
        case TTokenKind::Day: AppendPadded(out.Text, when->Day, token.Count); break;
        case TTokenKind::DayName: AppendName(out.Text, DayNames[when->Weekday], token.Count == 3 ? 3 : 4); break;
        case TTokenKind::Hour:
            AppendPadded(out.Text, section.TwelveHour ? TwelveHourClock(when->Hour) : when->Hour,
                         std::min(token.Count, 2));
            break;
        case TTokenKind::Minute: AppendPadded(out.Text, when->Minute, std::min(token.Count, 2)); break;
        case TTokenKind::Second: AppendPadded(out.Text, when->Second, std::min(token.Count, 2)); break;
        case TTokenKind::ElapsedHours: AppendPadded(out.Text, totalSeconds / 3600, token.Count); break;
        case TTokenKind::ElapsedMinutes: AppendPadded(out.Text, totalSeconds / 60, token.Count); break;
        case TTokenKind::ElapsedSeconds: AppendPadded(out.Text, totalSeconds, token.Count); break;
        case TTokenKind::SecondFraction: {
            out.Text += u'.';
            std::u16string thousandths;
            AppendPadded(thousandths, when->Millisecond, 3);
            out.Text += thousandths.substr(0, size_t(token.Count));
            break;
        }
        case TTokenKind::AmPm: {
            // The markers as the code writes them: AM/PM, am/pm, A/P or a/p.
            const size_t length = size_t(token.Count);
            out.Text += when->Hour < 12 ? token.Text.substr(0, length) : token.Text.substr(token.Text.size() - length);
            break;
        }
        default: break;
        }
    }
    return true;
}

} // namespace tabulix
