// Dates of the file as ISO 8601 texts, checked to be real calendar dates:
// a text that is not one (0000:00:00, a 13th month, a 61st minute) has no
// ISO form, and the reason is given instead.
#pragma once

#include <cstdint>
#include <string>

// "YYYY:MM:DD HH:MM:SS" with the digits of a SubSecTime tag and the
// "+HH:MM" of an OffsetTime tag (either may be empty) as
// "YYYY-MM-DDTHH:MM:SS[.ss][+HH:MM]".
bool ExifDateToIso(const std::string& text, const std::string& subSeconds, const std::string& offset,
                   std::string* iso, std::string* why);

// GPSDateStamp "YYYY:MM:DD" and GPSTimeStamp's hours, minutes and seconds
// as "YYYY-MM-DDTHH:MM:SS[.fff]Z".
bool GpsDateTimeToIso(const std::string& date, const double parts[3], std::string* iso, std::string* why);

// IPTC DateCreated "CCYYMMDD" and TimeCreated "HHMMSS±HHMM" (may be empty).
bool IptcDateToIso(const std::string& date, const std::string& time, std::string* iso, std::string* why);

// A file time (100 ns ticks since 1601-01-01 UTC) as "YYYY-MM-DDTHH:MM:SSZ".
std::string FileTimeToIsoUtc(uint64_t fileTime);
