#include <gtest/gtest.h>

#include "uIniFile.h"

// Integers are decimal or hexadecimal after "$" or "0x"; anything else counts as missing.
TEST(IniFile, IntegerForms) {
  struct {
    const char* text;
    std::optional<int32_t> value;
  } cases[] = {
      {"42", 42},
      {"-7", -7},
      {"$1F", 31},
      {"0x10", 16},
      {"0XfF", 255},
      {"$FFFFFFFF", -1},
      {"2147483647", INT32_MAX},
      {"2147483648", {}},
      {"-2147483648", INT32_MIN},
      {"$", {}},
      {"0x", {}},
      {"12a", {}},
      {"yes", {}},
      {"", {}},
      {"1 2", {}},
      {"$100000000", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(TryStrToInt(c.text), c.value) << c.text;
}

// Names match without regard to case, values are trimmed, the first key of the first matching
// section wins, and lines outside a section or without "=" do not count.
TEST(IniFile, ProfileLookupRules) {
  TIniFile ini = TIniFile::FromText(
      "Orphan=1\r\n[ApplicationInfo]\r\n  Title =  Zeb Admin  \r\nTITLE=second\r\n"
      "noequals\r\n; Remark=comment\n[applicationinfo]\nRemark=later section\n[Other]\nX=1");
  EXPECT_EQ(ini.ReadString("APPLICATIONINFO", "title", "-"), "Zeb Admin");
  EXPECT_EQ(ini.ReadString("ApplicationInfo", "Remark", "-"), "-");
  EXPECT_EQ(ini.ReadString("ApplicationInfo", "Orphan", "-"), "-");
  EXPECT_EQ(ini.ReadString("other", "x", "-"), "1");
  EXPECT_TRUE(ini.SectionExists("OTHER"));
  EXPECT_FALSE(ini.SectionExists("Missing"));
}

// Quotes: a matching pair around the trimmed value goes, once; anything else stays. A byte-order
// mark makes the text UTF-8 and is no part of the first section's name.
TEST(IniFile, QuotesAndByteOrderMark) {
  TIniFile ini =
      TIniFile::FromText("[S]\nA=\"x y\"\nB='x'\nC=\"x'\nD=\"\"\"\"\nE=\"\nF= \"  \" \nG=x\"y\"\n");
  struct {
    const char* key;
    const char* value;
  } cases[] = {{"A", "x y"}, {"B", "x"},  {"C", "\"x'"},  {"D", "\"\""},
               {"E", "\""},  {"F", "  "}, {"G", "x\"y\""}};
  for (const auto& c : cases) EXPECT_EQ(ini.ReadString("S", c.key, "-"), c.value) << c.key;
  TIniFile bom = TIniFile::FromText("\xEF\xBB\xBF[S]\nK=\xC3\xA4\n");
  EXPECT_TRUE(bom.SectionExists("S"));
  EXPECT_EQ(bom.ReadString("S", "K", "-"), "\xC3\xA4");
  std::string value(2'046, 'a');
  TIniFile longBom = TIniFile::FromText("\xEF\xBB\xBF[S]\nK=" + value + "\xC3\xA4\xC3\xB6\n");
  EXPECT_EQ(longBom.ReadString("S", "K", "-"), value + "\xC3\xA4");
  // Without the mark the same bytes are code page 1252.
  EXPECT_FALSE(TIniFile::FromText("\xEF[S]\nK=1\n").SectionExists("S"));
}

// Integer and boolean reads: an invalid number is missing, a boolean is any non-zero number.
TEST(IniFile, IntegerAndBooleanReads) {
  TIniFile ini = TIniFile::FromText("[S]\nA=1\nB=-1\nC=0\nD=yes\nE=$10\n");
  struct {
    const char* key;
    int32_t integer;
    bool boolean;
  } cases[] = {{"A", 1, true},   {"B", -1, true}, {"C", 0, false},
               {"D", 99, false}, {"E", 16, true}, {"Missing", 99, false}};
  for (const auto& c : cases) {
    EXPECT_EQ(ini.ReadInteger("S", c.key, 99), c.integer) << c.key;
    EXPECT_EQ(ini.ReadBool("S", c.key, false), c.boolean) << c.key;
  }
  EXPECT_TRUE(ini.ReadBool("S", "D", true));  // not a number: the fallback stands
}

// Values are cut at 2,047 characters of the file's code page, not at 2,047 UTF-8 bytes.
TEST(IniFile, LongValuesAreCutByCharacters) {
  std::string value(2'046, 'a');
  value += "\xE4\xF6xyz";  // a-umlaut, o-umlaut in code page 1252
  TIniFile ini = TIniFile::FromText("[S]\nK=" + value + "\n");
  std::string read = ini.ReadString("S", "K", "");
  EXPECT_EQ(read, std::string(2'046, 'a') + "\xC3\xA4");
}
