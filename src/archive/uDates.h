// Archive dates: IEEE doubles counting days since 1899-12-30 00:00 local time, the fraction
// being the time of day; file dates are restored as local DOS dates (two-second resolution).
#pragma once

#include <cstdint>

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
