// Calendar checks and the ISO 8601 forms of the file's dates.
#include "facts/date_text.h"

#include <cmath>
#include <cstdio>

namespace {

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// count digits at from, as a number; false when any is not a digit.
bool Digits(const std::string& text, size_t from, size_t count, int* number) {
    if (from + count > text.size()) return false;
    int value = 0;
    for (size_t i = from; i < from + count; i++) {
        if (text[i] < '0' || text[i] > '9') return false;
        value = value * 10 + (text[i] - '0');
    }
    *number = value;
    return true;
}

struct Clock {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// Why the fields are no real date and time, or nullptr when they are one.
const char* CalendarFault(const Clock& c) {
    if (c.year < 1) return "no such year";
    if (c.month < 1 || c.month > 12) return "no such month";
    if (c.day < 1 || c.day > DaysInMonth(c.year, c.month)) return "no such day in that month";
    if (c.hour > 23) return "no such hour";
    if (c.minute > 59) return "no such minute";
    if (c.second > 59) return "no such second";
    return nullptr;
}

bool Checked(const Clock& c, std::string* why) {
    const char* fault = CalendarFault(c);
    if (fault != nullptr) *why = fault;
    return fault == nullptr;
}

// Writes number as exactly width digits; false when it does not fit.
bool PutDigits(char* at, int number, int width) {
    if (number < 0) return false;
    for (int i = width - 1; i >= 0; i--) {
        at[i] = static_cast<char>('0' + number % 10);
        number /= 10;
    }
    return number == 0;
}

// YYYY-MM-DDTHH:MM:SS; formatted in place, as this runs for every date of
// every file.
std::string IsoOf(const Clock& c) {
    char text[] = "0000-00-00T00:00:00";
    if (PutDigits(text, c.year, 4) && PutDigits(text + 5, c.month, 2) && PutDigits(text + 8, c.day, 2) &&
        PutDigits(text + 11, c.hour, 2) && PutDigits(text + 14, c.minute, 2) && PutDigits(text + 17, c.second, 2)) {
        return std::string(text, sizeof text - 1);
    }
    char wide[80];
    std::snprintf(wide, sizeof wide, "%04d-%02d-%02dT%02d:%02d:%02d", c.year, c.month, c.day, c.hour, c.minute,
                  c.second);
    return wide;
}

// "+HH:MM", "-HH:MM" or "Z"; false for anything else.
bool OffsetText(const std::string& offset, std::string* out) {
    int hours = 0;
    int minutes = 0;
    if (offset.size() != 6 || (offset[0] != '+' && offset[0] != '-') || !Digits(offset, 1, 2, &hours) ||
        offset[3] != ':' || !Digits(offset, 4, 2, &minutes) || hours > 23 || minutes > 59) {
        return false;
    }
    *out = offset;
    return true;
}

}  // namespace

bool ExifDateToIso(const std::string& text, const std::string& subSeconds, const std::string& offset,
                   std::string* iso, std::string* why) {
    Clock c;
    if (text.size() < 19 || !Digits(text, 0, 4, &c.year) || text[4] != ':' || !Digits(text, 5, 2, &c.month) ||
        text[7] != ':' || !Digits(text, 8, 2, &c.day) || text[10] != ' ' || !Digits(text, 11, 2, &c.hour) ||
        text[13] != ':' || !Digits(text, 14, 2, &c.minute) || text[16] != ':' || !Digits(text, 17, 2, &c.second)) {
        *why = "not a date of the form YYYY:MM:DD HH:MM:SS";
        return false;
    }
    if (!Checked(c, why)) return false;
    *iso = IsoOf(c);
    int ignored = 0;
    if (!subSeconds.empty() && Digits(subSeconds, 0, subSeconds.size(), &ignored)) *iso += "." + subSeconds;
    std::string zone;
    if (OffsetText(offset, &zone)) *iso += zone;
    return true;
}

bool GpsDateTimeToIso(const std::string& date, const double parts[3], std::string* iso, std::string* why) {
    Clock c;
    if (date.size() < 10 || !Digits(date, 0, 4, &c.year) || date[4] != ':' || !Digits(date, 5, 2, &c.month) ||
        date[7] != ':' || !Digits(date, 8, 2, &c.day)) {
        *why = "not a date of the form YYYY:MM:DD";
        return false;
    }
    for (int i = 0; i < 3; i++) {
        if (!(parts[i] >= 0 && parts[i] < 60)) {
            *why = "no such time of day";
            return false;
        }
    }
    c.hour = static_cast<int>(parts[0]);
    c.minute = static_cast<int>(parts[1]);
    c.second = static_cast<int>(parts[2]);
    if (!Checked(c, why)) return false;
    *iso = IsoOf(c);
    // Fractions of a second, to the millisecond, when the stamp has them.
    const double fraction = parts[2] - c.second;
    const int millis = static_cast<int>(std::lround(fraction * 1000));
    if (millis > 0 && millis < 1000) {
        char text[8];
        std::snprintf(text, sizeof text, ".%03d", millis);
        std::string digits(text);
        while (digits.back() == '0') digits.pop_back();
        *iso += digits;
    }
    *iso += "Z";
    return true;
}

bool IptcDateToIso(const std::string& date, const std::string& time, std::string* iso, std::string* why) {
    Clock c;
    if (!Digits(date, 0, 4, &c.year) || !Digits(date, 4, 2, &c.month) || !Digits(date, 6, 2, &c.day)) {
        *why = "not a date of the form CCYYMMDD";
        return false;
    }
    if (Digits(time, 0, 2, &c.hour) && Digits(time, 2, 2, &c.minute) && Digits(time, 4, 2, &c.second)) {
        if (!Checked(c, why)) return false;
        *iso = IsoOf(c);
        int hours = 0;
        int minutes = 0;
        if (time.size() >= 11 && (time[6] == '+' || time[6] == '-') && Digits(time, 7, 2, &hours) &&
            Digits(time, 9, 2, &minutes)) {
            char zone[8];
            std::snprintf(zone, sizeof zone, "%c%02d:%02d", time[6], hours, minutes);
            *iso += zone;
        }
        return true;
    }
    if (!Checked(c, why)) return false;
    *iso = IsoOf(c).substr(0, 10);
    return true;
}

std::string FileTimeToIsoUtc(uint64_t fileTime) {
    // Days from 1601-01-01 to the civil date, by the proleptic Gregorian
    // calendar (the days-from-civil inverse), in whole seconds.
    constexpr uint64_t kTicksPerSecond = 10000000;
    const int64_t seconds = static_cast<int64_t>(fileTime / kTicksPerSecond);
    const int64_t days = seconds / 86400 - 134774;  // 1601-01-01 to 1970-01-01 is 134,774 days
    const int64_t secondsOfDay = seconds % 86400;
    const int64_t z = days + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t dayOfEra = z - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t mp = (5 * dayOfYear + 2) / 153;
    Clock c;
    c.day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
    c.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    c.year = static_cast<int>(yearOfEra + era * 400 + (c.month <= 2 ? 1 : 0));
    c.hour = static_cast<int>(secondsOfDay / 3600);
    c.minute = static_cast<int>(secondsOfDay / 60 % 60);
    c.second = static_cast<int>(secondsOfDay % 60);
    return IsoOf(c) + "Z";
}
