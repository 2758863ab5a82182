#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "TestSupport.h"
#include "uFileSys.h"
#include "uPrivateFolder.h"
#include "uSetupRun.h"

#ifdef _WIN32
#include "uText.h"
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// A source that repeats a fixed byte, or fails.
TRandomSource Fixed(uint8_t byte, bool ok = true) {
  return [=](void* buffer, size_t size) {
    std::memset(buffer, byte, size);
    return ok;
  };
}

std::string Parent() { return MakeScratchFolder() + fsys::kPathDelim; }

}  // namespace

// Names carry 128 random bits as hex; a failing source gives no name rather than a weak one.
TEST(PrivateFolder, Names) {
  EXPECT_EQ(PrivateFolderName(Fixed(0xA5)), "kroa5a5a5a5a5a5a5a5a5a5a5a5a5a5a5a5");
  EXPECT_EQ(PrivateFolderName(Fixed(0x00)), "kro00000000000000000000000000000000");
  EXPECT_FALSE(PrivateFolderName(Fixed(1, false)));
  EXPECT_FALSE(PrivateFolderName(nullptr));
  std::set<std::string> seen;
  for (int i = 0; i < 50; ++i) seen.insert(*PrivateFolderName(SystemRandom));
  EXPECT_EQ(seen.size(), 50u);
}

// A folder is made fresh and never adopted: a name that exists already is passed over, and a
// generator stuck on one name gives up.
TEST(PrivateFolder, CreatedExclusively) {
  const std::string parent = Parent();
  std::optional<std::string> first = CreatePrivateFolder(parent, Fixed(7));
  ASSERT_TRUE(first);
  EXPECT_EQ(*first, parent + *PrivateFolderName(Fixed(7)) + fsys::kPathDelim);
  EXPECT_TRUE(fsys::DirectoryExists(*first));
  EXPECT_FALSE(CreatePrivateFolder(parent, Fixed(7)));  // the same name again

  int calls = 0;
  auto secondTime = [&](void* buffer, size_t size) {
    std::memset(buffer, ++calls == 1 ? 7 : 8, size);
    return true;
  };
  std::optional<std::string> second = CreatePrivateFolder(parent, secondTime);
  ASSERT_TRUE(second);
  EXPECT_EQ(*second, parent + *PrivateFolderName(Fixed(8)) + fsys::kPathDelim);

  EXPECT_FALSE(CreatePrivateFolder(parent, Fixed(1, false)));
  EXPECT_FALSE(CreatePrivateFolder(parent + "missing" + fsys::kPathDelim));
  EXPECT_FALSE(CreatePrivateFolder(""));
#ifndef _WIN32
  struct stat info {};
  ASSERT_EQ(stat(first->c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
#endif
  EXPECT_TRUE(RemoveFolderTree(parent));
}

// Removal takes the whole tree, read-only files too, and never what a link points to.
TEST(PrivateFolder, RemovedWithEverythingInside) {
  const std::string parent = Parent();
  const char d = fsys::kPathDelim;
  std::optional<std::string> folder = CreatePrivateFolder(parent);
  ASSERT_TRUE(folder);
  const std::string outside = parent + "keep" + d;
  ASSERT_TRUE(fsys::ForceDirectories(outside));
  PutFile(outside + "precious.txt", "stays");
  ASSERT_TRUE(fsys::ForceDirectories(*folder + "a" + d + "b" + d + "c"));
  PutFile(*folder + "setup.1", std::string(40001, 'x'));
  PutFile(*folder + "a" + d + "b" + d + "c" + d + "deep.bin", "");
  PutFile(*folder + "a" + d + "ro.txt", "read only");
#ifdef _WIN32
  SetFileAttributesW(Widen(*folder + "a\\ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
#else
  chmod((*folder + "a/ro.txt").c_str(), 0400);
  ASSERT_EQ(symlink(outside.c_str(), (*folder + "link").c_str()), 0);
  ASSERT_EQ(symlink((outside + "precious.txt").c_str(), (*folder + "a/filelink").c_str()), 0);
#endif
  EXPECT_TRUE(RemoveFolderTree(*folder));
  EXPECT_FALSE(fsys::DirectoryExists(*folder));
  EXPECT_EQ(FileText(outside + "precious.txt"), "stays");
  EXPECT_TRUE(RemoveFolderTree(*folder));  // already gone
  EXPECT_TRUE(RemoveFolderTree(parent));
  EXPECT_FALSE(fsys::DirectoryExists(parent));
}

// The owner removes its folder once, and a moved-from owner removes nothing.
TEST(PrivateFolder, Owner) {
  const std::string parent = Parent();
  std::string path = *CreatePrivateFolder(parent);
  {
    TPrivateFolder owner(path);
    PutFile(path + "x", "1");
    TPrivateFolder moved(std::move(owner));
    EXPECT_EQ(owner.Path(), "");
    EXPECT_EQ(moved.Path(), path);
  }
  EXPECT_FALSE(fsys::DirectoryExists(path));
  RemoveFolderTree(parent);
}

// The real system seam: a private folder in the temporary folder, gone after RemoveWorkFolder.
TEST(PrivateFolder, DefaultSystemWorkFolder) {
  TDefaultSetupSystem system;
  std::optional<std::string> a = system.CreateWorkFolder();
  std::optional<std::string> b = system.CreateWorkFolder();
  ASSERT_TRUE(a && b);
  EXPECT_NE(*a, *b);
  EXPECT_EQ(a->rfind(NativePath(GetTempDir()), 0), 0u) << *a;
  PutFile(*a + "setup.1", "archive");
  system.RemoveWorkFolder(*a);
  system.RemoveWorkFolder(*b);
  EXPECT_FALSE(fsys::DirectoryExists(*a));
  EXPECT_FALSE(fsys::DirectoryExists(*b));
}
