// Path pieces for archive members and the folders they are written to. Stored member names
// separate folders with backslashes; a target path uses the platform's delimiter.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// The text after the last backslash, slash or drive colon.
std::string LastComponent(std::string_view path);
// Everything up to and including the last delimiter (empty when there is none).
std::string FolderPart(std::string_view path);
// Replaces the extension (from the last point of the last component) or appends one.
std::string ChangeFileExt(std::string_view path, std::string_view ext);
// The folder and a platform delimiter, unless the folder is empty or already ends in one.
std::string IncludeTrailingDelimiter(std::string_view folder);

// Whether path is folder or lies below it (both as the system spells real locations): path
// continues folder with a delimiter and more, or equals it.
bool IsWithinFolder(std::string_view path, std::string_view folder);

// A name (UTF-8) that creates a plain file inside its folder on every Windows file system: not
// empty, not "." or "..", no trailing point or blank, no colon (drives, streams), no slash or
// backslash, no character Windows refuses, and no device name (CON, PRN, AUX, NUL, CONIN$,
// CONOUT$, COM and LPT with a digit 0 to 9 or a superscript 1 to 3, with or without an
// extension).
bool IsSafeComponent(std::string_view name);

// The tree rule: the folder part of a stored member name as a relative path with platform
// delimiters and a trailing one ("" for a name without folders); nothing when any component
// is unsafe or the name is rooted ("\x", "\\server"), so that it would leave its folder.
std::optional<std::string> MemberFolder(std::string_view storedName);
