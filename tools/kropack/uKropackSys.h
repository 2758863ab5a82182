// The few system questions kropack asks beyond the archive's file layer.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

// True for a plain file: folders, pipes and devices are never packed (reading a pipe would
// wait for ever).
bool IsRegularFile(const std::string& path);
// True when both paths name the same existing file (so an archive never packs itself).
bool IsSameFile(const std::string& a, const std::string& b);
bool IsTerminal(std::FILE* stream);
// The system's text for one of its error codes, with the code.
std::string SystemErrorText(int code);
// A new empty folder of our own under the system's temporary folder; empty on failure.
std::string MakeScratchFolder();
// Removes the folder with everything in it (it holds no links: only we wrote there).
void RemoveTree(const std::string& path);
// An instant in UTC seconds since 1970 as the archive dates files: local date and time in
// days since 1899-12-30, in the zone's rules for that instant.
std::optional<double> LocalDate(int64_t utcSeconds);
