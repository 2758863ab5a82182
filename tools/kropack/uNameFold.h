// Member names as Windows compares them: NTFS folds case by its own upper-case table, so
// "Ärger" and "ärger" are one file there, although the archive keeps them apart.
#pragma once

#include <string>
#include <string_view>

// The name (UTF-8, representable in code page 1252) with every code page 1252 letter that has
// an upper-case partner there turned into that partner: a to z, š œ ž ÿ and à to þ (but not
// the division sign). Letters whose partner lies outside the code page (µ, ƒ) and those
// without one (ß, ª, º) stay: no other code page 1252 name can meet them. Two names with the
// same key name one file on Windows.
std::string NtfsFoldedName(std::string_view utf8);
