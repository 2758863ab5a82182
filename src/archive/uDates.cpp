#include "uDates.h"

#include <cmath>

namespace {

constexpr int64_t kMsPerDay = 86'400'000;

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

// Days from 0001-01-01 to the given date (proleptic Gregorian), as the runtime counts them.
int64_t DaysFromCivil(int y, int m, int d) {
  static constexpr int kCum[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
  int64_t yy = y - 1;
  int64_t days = yy * 365 + yy / 4 - yy / 100 + yy / 400 + kCum[m - 1] + d - 1;
  if (m > 2 && IsLeap(y)) ++days;
  return days;
}

constexpr int64_t kDelta = 693'593;  // days from 0001-01-01 to 1899-12-30

void CivilFromDays(int64_t days, int& y, int& m, int& d) {
  // Walk by 400-, 100-, 4- and 1-year cycles from 0001-01-01.
  int64_t n = days;
  int64_t q400 = n / 146'097;
  n %= 146'097;
  int64_t q100 = n / 36'524;
  if (q100 == 4) q100 = 3;
  n -= q100 * 36'524;
  int64_t q4 = n / 1'461;
  n %= 1'461;
  int64_t q1 = n / 365;
  if (q1 == 4) q1 = 3;
  n -= q1 * 365;
  y = static_cast<int>(q400 * 400 + q100 * 100 + q4 * 4 + q1 + 1);
  static constexpr int kLen[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  m = 1;
  for (int i = 0; i < 12; ++i) {
    int len = kLen[i] + (i == 1 && IsLeap(y) ? 1 : 0);
    if (n < len) break;
    n -= len;
    ++m;
  }
  d = static_cast<int>(n) + 1;
}

}  // namespace

double EncodeDateTime(const TDateParts& p) {
  double days = static_cast<double>(DaysFromCivil(p.Year, p.Month, p.Day) - kDelta);
  double time = ((p.Hour * 60.0 + p.Minute) * 60.0 + p.Second) * 1000.0 + p.Millisecond;
  time /= static_cast<double>(kMsPerDay);
  // Before 1899-12-30 the fraction still counts forward from midnight.
  return days >= 0 ? days + time : days - time;
}

bool DecodeDateTime(double value, TDateParts& p) {
  // Years 1 to 9999, as the runtime's calendar allows.
  if (!std::isfinite(value) || value < -693'593.0 || value >= 2'958'466.0) return false;
  double whole = std::trunc(value);
  int64_t days = static_cast<int64_t>(whole) + kDelta;
  int64_t ms = std::llround(std::fabs(value - whole) * kMsPerDay);
  if (ms >= kMsPerDay) {
    ms -= kMsPerDay;
    ++days;
  }
  if (days < 0) return false;
  CivilFromDays(days, p.Year, p.Month, p.Day);
  p.Hour = static_cast<int>(ms / 3'600'000);
  p.Minute = static_cast<int>(ms / 60'000 % 60);
  p.Second = static_cast<int>(ms / 1'000 % 60);
  p.Millisecond = static_cast<int>(ms % 1'000);
  return true;
}

void DateTimeToDos(double value, uint16_t& dosDate, uint16_t& dosTime) {
  TDateParts p{1980, 1, 1, 0, 0, 0, 0};
  bool ok = DecodeDateTime(value, p);
  bool late = ok ? p.Year > 2107 : value > 0;  // NaN counts as early
  if (late)
    p = {2107, 12, 31, 23, 59, 58, 0};
  else if (!ok || p.Year < 1980)
    p = {1980, 1, 1, 0, 0, 0, 0};
  dosDate = static_cast<uint16_t>(((p.Year - 1980) << 9) | (p.Month << 5) | p.Day);
  dosTime = static_cast<uint16_t>((p.Hour << 11) | (p.Minute << 5) | (p.Second / 2));
}

std::optional<int64_t> DosToLocalSeconds(uint16_t dosDate, uint16_t dosTime) {
  static constexpr int kLen[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const int year = (dosDate >> 9) + 1980, month = (dosDate >> 5) & 15, day = dosDate & 31;
  const int hour = dosTime >> 11, minute = (dosTime >> 5) & 63, second = (dosTime & 31) * 2;
  if (month < 1 || month > 12 || day < 1 ||
      day > kLen[month - 1] + (month == 2 && IsLeap(year) ? 1 : 0) || hour > 23 || minute > 59 ||
      second > 59)
    return std::nullopt;
  constexpr int64_t kUnixDay = 719'162;  // days from 0001-01-01 to 1970-01-01
  const int64_t days = DaysFromCivil(year, month, day) - kUnixDay;
  return days * 86'400 + hour * 3'600 + minute * 60 + second;
}

int64_t LocalToUtc(int64_t local, TUtcOffsetAt offsetAt) {
  // No zone changes its clock twice within two days: the offsets a day before and a day after
  // are those on either side of any change near this time.
  const int64_t before = offsetAt(local - 86'400), after = offsetAt(local + 86'400);
  if (offsetAt(local - before) == before) return local - before;  // also the first of two
  if (offsetAt(local - after) == after) return local - after;
  return local - before;  // skipped: read as if the clocks had not moved yet
}
