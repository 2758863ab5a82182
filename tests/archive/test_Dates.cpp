// File dates in the zone's rules for the date itself, both ways: what the engine sets on an
// extracted file and what kropack pack reads from one. ctest runs this program with
// TZ=Europe/Berlin (natively and under Wine, whose processes take their zone from TZ).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

#include "ArchiveKit.h"
#include "uDates.h"
#include "uFileSys.h"

#ifdef _WIN32
#include <windows.h>

#include "uHandles.h"
#else
#include <fcntl.h>
#include <sys/stat.h>
#endif

using namespace kit;

namespace {

std::string UtcText(int64_t seconds) {
  using namespace std::chrono;
  const sys_seconds t{std::chrono::seconds(seconds)};
  const auto day = floor<days>(t);
  const year_month_day d{day};
  const hh_mm_ss<std::chrono::seconds> time{t - day};
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02u-%02u %02d:%02d:%02d", int(d.year()),
                unsigned(d.month()), unsigned(d.day()), int(time.hours().count()),
                int(time.minutes().count()), int(time.seconds().count()));
  return text;
}

int64_t Seconds(const std::string& text) {
  int y, mo, d, h, mi, s;
  std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d", &y, &mo, &d, &h, &mi, &s);
  using namespace std::chrono;
  const sys_days day{year{y} / mo / d};
  return day.time_since_epoch().count() * 86'400 + h * 3'600 + mi * 60 + s;
}

// The file's last-write time as the file system keeps it, in UTC seconds since 1970.
int64_t StoredUtc(const std::string& path) {
#ifdef _WIN32
  auto h = TFileHandle::FromCreate(CreateFileW(P(path).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                               nullptr, OPEN_EXISTING, 0, nullptr));
  FILETIME ft{};
  GetFileTime(h.Get(), nullptr, nullptr, &ft);
  const uint64_t ticks = (uint64_t(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  return int64_t(ticks / 10'000'000) - 11'644'473'600;
#else
  struct stat st {};
  ::stat(path.c_str(), &st);
  return st.st_mtim.tv_sec;
#endif
}

void SetStoredUtc(const std::string& path, int64_t seconds) {
#ifdef _WIN32
  const uint64_t ticks = uint64_t(seconds + 11'644'473'600) * 10'000'000;
  FILETIME ft{DWORD(ticks), DWORD(ticks >> 32)};
  auto h = TFileHandle::FromCreate(
      CreateFileW(P(path).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(SetFileTime(h.Get(), nullptr, nullptr, &ft));
#else
  struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
#endif
}

std::string LocalText(double date) {
  TDateParts p{};
  if (!DecodeDateTime(date, p)) return "?";
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", p.Year, p.Month, p.Day, p.Hour,
                p.Minute, p.Second);
  return text;
}

double LocalDate(const std::string& text) {
  TDateParts p{};
  std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d", &p.Year, &p.Month, &p.Day, &p.Hour, &p.Minute,
              &p.Second);
  return EncodeDateTime(p);
}

// Berlin's wall clock in summer and winter, next to both clock changes of 2024, and far out.
// Written: a member with this local date is extracted; the file must hold Utc. Read: a file
// holding Utc is what kropack pack stores as Shown. An empty Written is only read.
struct TDateCase {
  const char* Written;
  const char* Utc;
  const char* Shown;
} const kBerlin[] = {
    {"2024-05-06 07:08:10", "2024-05-06 05:08:10", "2024-05-06 07:08:10"},
    {"2024-12-06 07:08:10", "2024-12-06 06:08:10", "2024-12-06 07:08:10"},
    {"2024-01-01 00:00:00", "2023-12-31 23:00:00", "2024-01-01 00:00:00"},
    {"2024-03-31 01:59:58", "2024-03-31 00:59:58", "2024-03-31 01:59:58"},
    {"2024-03-31 02:30:00", "2024-03-31 01:30:00", "2024-03-31 03:30:00"},  // skipped
    {"2024-03-31 03:00:00", "2024-03-31 01:00:00", "2024-03-31 03:00:00"},
    {"2024-10-27 01:59:58", "2024-10-26 23:59:58", "2024-10-27 01:59:58"},
    {"2024-10-27 02:30:00", "2024-10-27 00:30:00", "2024-10-27 02:30:00"},  // the first one
    {"", "2024-10-27 01:30:00", "2024-10-27 02:30:00"},                     // the second one
    {"2024-10-27 03:00:00", "2024-10-27 02:00:00", "2024-10-27 03:00:00"},
    {"1999-07-01 12:00:00", "1999-07-01 10:00:00", "1999-07-01 12:00:00"},
    {"2107-12-31 23:59:58", "2107-12-31 22:59:58", "2107-12-31 23:59:58"},
};

}  // namespace

TEST(Dates, ExtractedFilesHoldTheirLocalDate) {
  std::vector<TMember> members;
  for (const auto& c : kBerlin)
    if (*c.Written)
      members.push_back({"m" + std::to_string(members.size()), Text("x"), LocalDate(c.Written)});
  TTempDir dir;
  WriteFile(dir / "p.pak", Layout(members));
  TQuillCompress q;
  q.SetCompressedFile(dir / "p.pak");
  q.ExtractDirectory = dir / "out";
  q.OnListing = [](TQuillCompress& c, const TlzhFileStats& s) { c.AddFileToProcess(s.FileName); };
  q.ListFiles();
  q.ExtractFiles();
  size_t k = 0;
  for (const auto& c : kBerlin) {
    if (!*c.Written) continue;
    EXPECT_EQ(UtcText(StoredUtc(dir / ("out/m" + std::to_string(k++)))), c.Utc) << c.Written;
  }
  // The path-based setter follows the same rules.
  const std::string f = dir / "out/m0";
  uint16_t dosDate, dosTime;
  DateTimeToDos(LocalDate(kBerlin[1].Written), dosDate, dosTime);
  ASSERT_TRUE(fsys::SetFileDosDateTime(f, dosDate, dosTime));
  EXPECT_EQ(UtcText(StoredUtc(f)), kBerlin[1].Utc);
}

TEST(Dates, PackedFilesGiveTheirLocalDate) {
  TTempDir dir;
  const std::string f = dir / "f.txt";
  WriteFile(f, Text("x"));
  for (const auto& c : kBerlin) {
    SetStoredUtc(f, Seconds(c.Utc));
    auto date = fsys::FileDateTime(f);
    ASSERT_TRUE(date) << c.Utc;
    EXPECT_EQ(LocalText(*date), c.Shown) << c.Utc;
  }
}

namespace {

// A made-up zone, one hour east of UTC, two in summer from 200,000 s to 1,000,000 s UTC.
int64_t FakeOffset(int64_t utc) { return utc >= 200'000 && utc < 1'000'000 ? 7'200 : 3'600; }

}  // namespace

// The rule for skipped and repeated times, without any system zone.
TEST(Dates, LocalToUtcAtClockChanges) {
  struct Case {
    int64_t Local, Utc;
  } cases[] = {
      {5'000, 1'400},          // winter
      {500'000, 492'800},      // summer
      {203'599, 199'999},      // last second before the change
      {203'600, 200'000},      // the skipped hour begins: read in winter time
      {207'199, 203'599},      // and ends
      {207'200, 200'000},      // the first summer second
      {1'003'599, 996'399},    // before the hour that repeats
      {1'003'600, 996'400},    // the repeated hour: the first one, in summer time
      {1'007'199, 999'999},    // its last second, still the first time round
      {1'007'200, 1'003'600},  // after the repeat: winter
  };
  for (const auto& c : cases) EXPECT_EQ(LocalToUtc(c.Local, FakeOffset), c.Utc) << c.Local;
}

TEST(Dates, DosFieldsThatNameNoMoment) {
  auto dos = [](int y, int mo, int d, int h, int mi, int s) {
    return DosToLocalSeconds(uint16_t(((y - 1980) << 9) | (mo << 5) | d),
                             uint16_t((h << 11) | (mi << 5) | (s / 2)));
  };
  EXPECT_EQ(dos(1980, 1, 1, 0, 0, 0), 315'532'800);
  EXPECT_EQ(dos(2024, 2, 29, 23, 59, 58), 1'709'251'198);
  EXPECT_EQ(dos(2024, 0, 1, 0, 0, 0), std::nullopt);
  EXPECT_EQ(dos(2024, 13, 1, 0, 0, 0), std::nullopt);
  EXPECT_EQ(dos(2023, 2, 29, 0, 0, 0), std::nullopt);
  EXPECT_EQ(dos(2024, 4, 31, 0, 0, 0), std::nullopt);
  EXPECT_EQ(dos(2024, 1, 0, 0, 0, 0), std::nullopt);
  EXPECT_EQ(dos(2024, 1, 1, 24, 0, 0), std::nullopt);
  EXPECT_EQ(dos(2024, 1, 1, 0, 60, 0), std::nullopt);
  EXPECT_EQ(dos(2024, 1, 1, 0, 0, 60), std::nullopt);
}
