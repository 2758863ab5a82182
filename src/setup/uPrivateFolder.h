// A private working folder for one setup run inside the temporary folder. Its name comes from
// the system's secure random generator, so no other program can predict it and plant files
// there first, and two setups, or the leftovers of an earlier one, never share a folder. It is
// created exclusively (an existing folder of that name is never adopted) and removed with
// everything in it when the run ends.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

// Fills buffer with size bytes from a random source; false when the source fails.
using TRandomSource = std::function<bool(void* buffer, size_t size)>;

// The system's secure generator: RtlGenRandom on Windows, getrandom elsewhere.
bool SystemRandom(void* buffer, size_t size);

// "kro" followed by 32 lower-case hexadecimal digits from 16 random bytes; nothing when the
// source fails (never a weaker name).
std::optional<std::string> PrivateFolderName(const TRandomSource& random);

// Creates a new folder with a fresh random name in parent (a path ending with the platform's
// separator), readable by the current user only where the system allows. A name that exists
// already is never reused: a few fresh names are tried. Returns the new folder's path with a
// trailing separator, or nothing.
std::optional<std::string> CreatePrivateFolder(const std::string& parent,
                                               const TRandomSource& random = SystemRandom);

// Removes path and everything below it. Links and junctions inside are removed themselves,
// never followed, so nothing outside the folder is touched. True when the folder is gone.
bool RemoveFolderTree(const std::string& path);

// Platform parts: the folder made only when it did not exist yet (false when it did or on
// failure).
bool CreateFolderExclusive(const std::string& path);

// Owns a private folder for its lifetime.
class TPrivateFolder {
 public:
  TPrivateFolder() = default;
  explicit TPrivateFolder(std::string path) : FPath(std::move(path)) {}
  TPrivateFolder(TPrivateFolder&& other) noexcept : FPath(std::move(other.FPath)) {
    other.FPath.clear();
  }
  TPrivateFolder& operator=(TPrivateFolder&& other) noexcept;
  TPrivateFolder(const TPrivateFolder&) = delete;
  TPrivateFolder& operator=(const TPrivateFolder&) = delete;
  ~TPrivateFolder() { Remove(); }

  const std::string& Path() const { return FPath; }
  // Removes the folder now; later calls do nothing.
  void Remove();

 private:
  std::string FPath;
};
