#include <gtest/gtest.h>

#include "uText.h"

// Code page 1252 round-trips through UTF-8 for every byte.
TEST(Text, EveryCp1252ByteRoundTrips) {
  std::string all;
  for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
  auto back = TryUtf8ToCp1252(Cp1252ToUtf8(all));
  ASSERT_TRUE(back);
  EXPECT_EQ(*back, all);
}

// Cuts and splits keep whole sequences; stray continuation bytes stay with the character
// before them.
TEST(Text, Utf8PrefixAndChars) {
  struct TCase {
    std::string Text;
    size_t Chars;
    std::string Prefix;
    std::vector<std::string> Pieces;
  };
  const TCase cases[] = {
      {"abc", 2, "ab", {"a", "b", "c"}},
      {"abc", 5, "abc", {"a", "b", "c"}},
      {"", 1, "", {}},
      {"ab", 0, "", {"a", "b"}},
      {"\xC3\xA4z\xE2\x82\xAC", 2, "\xC3\xA4z", {"\xC3\xA4", "z", "\xE2\x82\xAC"}},
      {"\xF0\x9F\x98\x80x", 1, "\xF0\x9F\x98\x80", {"\xF0\x9F\x98\x80", "x"}},
      {"y\x80\x80z", 1, "y\x80\x80", {"y\x80\x80", "z"}},
      // Those the text starts with: counted with the first character, split off on their own.
      {"\x80\x80yz", 1, "\x80\x80y", {"\x80\x80", "y", "z"}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Text);
    EXPECT_EQ(Utf8Prefix(c.Text, c.Chars), c.Prefix);
    std::vector<std::string> pieces;
    for (std::string_view p : Utf8Chars(c.Text)) pieces.emplace_back(p);
    EXPECT_EQ(pieces, c.Pieces);
  }
}

// UTF-16 to UTF-8 at every length of sequence; a lone surrogate becomes U+FFFD, and what
// comes back of valid text is the text itself.
TEST(Text, Utf16ToUtf8) {
  const struct {
    std::u16string Utf16;
    std::string Utf8;
  } cases[] = {
      {u"", ""},
      {u"a\u00E4\u20AC", "a\xC3\xA4\xE2\x82\xAC"},
      {u"\U0001F600x", "\xF0\x9F\x98\x80x"},
      {std::u16string(1, char16_t(0xD83D)) + u"x", "\xEF\xBF\xBDx"},
      {u"x" + std::u16string(1, char16_t(0xDE00)), "x\xEF\xBF\xBD"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Utf16ToUtf8(c.Utf16), c.Utf8);
    if (c.Utf8.find("\xEF\xBF\xBD") == std::string::npos) {
      EXPECT_EQ(Utf8ToUtf16(c.Utf8), c.Utf16);
    }
  }
}
