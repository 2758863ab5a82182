#include "TestSupport.h"

#include <gtest/gtest.h>

#include "uFileSys.h"

std::string MakeScratchFolder() {
  std::string path = MakeTempFile("kt");
  EXPECT_FALSE(path.empty());
  fsys::RemoveFile(NativePath(path));
  EXPECT_TRUE(fsys::ForceDirectories(NativePath(path)));
  return path;
}

void PutFile(const std::string& path, const std::string& bytes) {
  fsys::TFile file = fsys::TFile::Create(NativePath(path));
  ASSERT_TRUE(file.IsOpen()) << path;
  ASSERT_EQ(file.Write(bytes.data(), bytes.size()), static_cast<int64_t>(bytes.size()));
}

std::optional<std::string> FileText(const std::string& path) { return ReadWholeFile(path); }
