// Archive dates: IEEE doubles counting days since 1899-12-30 00:00 local time, the fraction
// being the time of day; file dates are restored as local DOS dates (two-second resolution).
//
// Local time is the wall clock of the date itself, in the zone's rules for that date: a file
// dated 6 May 07:08:10 shows 07:08:10 whether it is packed or unpacked in summer or in winter.
// File systems keep UTC, so both platforms convert through LocalToUtc with the system's offset
// for a given instant. At a clock change a wall-clock time may not exist or occur twice; it is
// read with the offset in force before the change (in Berlin, with 2024 as the example):
//
//   31 March 02:30 (skipped, clocks go 02:00 -> 03:00)   01:30 UTC, shown as 03:30 summer time
//   27 October 02:30 (twice, clocks go 03:00 -> 02:00)   00:30 UTC, the first one (summer time)
#pragma once

#include <cstdint>
#include <optional>

struct TDateParts {
  int Year, Month, Day, Hour, Minute, Second, Millisecond;
};

double EncodeDateTime(const TDateParts& parts);
// Nothing sensible is lost: a value outside the calendar (NaN, infinities, far years) gives
// false and leaves parts untouched.
bool DecodeDateTime(double value, TDateParts& parts);

// DOS dates cover 1980 to 2107; a date outside is clamped to that range, so that any stored
// date (also a hostile one) gives a valid file date.
void DateTimeToDos(double value, uint16_t& dosDate, uint16_t& dosTime);

// Seconds since 1970-01-01 00:00 of a local date and time read as if it were UTC; nothing for a
// DOS date or time whose fields name no moment (month 0, 30 February, second 60 and the like).
std::optional<int64_t> DosToLocalSeconds(uint16_t dosDate, uint16_t dosTime);

// The system's offset of local time from UTC, in seconds, at an instant given in UTC seconds
// since 1970.
using TUtcOffsetAt = int64_t (*)(int64_t utcSeconds);

// The UTC instant that shows the local wall-clock time (seconds since 1970 as if UTC), by the
// rule above for times a clock change skips or repeats.
int64_t LocalToUtc(int64_t localSeconds, TUtcOffsetAt offsetAt);
