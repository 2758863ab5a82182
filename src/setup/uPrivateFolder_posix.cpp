// The private folder over POSIX calls: the native build, where the run logic is tested.
#include <dirent.h>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "uPrivateFolder.h"

bool SystemRandom(void* buffer, size_t size) {
  auto* out = static_cast<uint8_t*>(buffer);
  while (size > 0) {
    ssize_t n = getrandom(out, size, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    out += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

bool CreateFolderExclusive(const std::string& path) { return mkdir(path.c_str(), 0700) == 0; }

namespace {

// Empties the folder open as dir, working relative to its descriptor so that a link swapped in
// meanwhile cannot lead the removal elsewhere. Closes dir.
bool EmptyFolder(int dir) {
  DIR* listing = fdopendir(dir);
  if (!listing) {
    close(dir);
    return false;
  }
  bool ok = true;
  while (dirent* entry = readdir(listing)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    struct stat info {};
    if (fstatat(dir, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
      ok = false;
      continue;
    }
    if (S_ISDIR(info.st_mode)) {
      int sub = openat(dir, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
      if (sub < 0 || !EmptyFolder(sub) || unlinkat(dir, name.c_str(), AT_REMOVEDIR) != 0)
        ok = false;
    } else if (unlinkat(dir, name.c_str(), 0) != 0) {
      ok = false;
    }
  }
  closedir(listing);
  return ok;
}

}  // namespace

bool RemoveFolderTree(const std::string& path) {
  std::string folder = path;
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (dir < 0) return errno == ENOENT;
  EmptyFolder(dir);
  return rmdir(folder.c_str()) == 0 || errno == ENOENT;
}
