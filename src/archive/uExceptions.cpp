#include "uExceptions.h"

std::string Format(std::string_view pattern, std::initializer_list<std::string> values) {
  std::string out;
  auto next = values.begin();
  for (size_t i = 0; i < pattern.size(); ++i) {
    bool placeholder = pattern[i] == '%' && i + 1 < pattern.size() &&
                       (pattern[i + 1] == 's' || pattern[i + 1] == 'd');
    if (placeholder && next != values.end()) {
      out += *next++;
      ++i;
    } else {
      out += pattern[i];
    }
  }
  return out;
}
