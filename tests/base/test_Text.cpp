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
