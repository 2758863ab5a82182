#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "uFileSys.h"

namespace {

// Every scratch folder goes when the test program ends, so runs leave nothing behind.
class TScratchFolders : public ::testing::Environment {
 public:
  void TearDown() override {
    std::error_code ec;
    for (const auto& folder : Folders) std::filesystem::remove_all(folder, ec);
  }
  std::vector<std::filesystem::path> Folders;
};

TScratchFolders& ScratchFolders() {
  static auto* folders =
      static_cast<TScratchFolders*>(::testing::AddGlobalTestEnvironment(new TScratchFolders));
  return *folders;
}

}  // namespace

std::string MakeScratchFolder() {
  std::string path = MakeTempFile("kt");
  EXPECT_FALSE(path.empty());
  const std::string native = NativePath(path);
  fsys::RemoveFile(native);
  EXPECT_TRUE(fsys::ForceDirectories(native));
  ScratchFolders().Folders.emplace_back(std::u8string(native.begin(), native.end()));
  return path;
}

void PutFile(const std::string& path, const std::string& bytes) {
  fsys::TFile file = fsys::TFile::Create(NativePath(path));
  ASSERT_TRUE(file.IsOpen()) << path;
  ASSERT_EQ(file.Write(bytes.data(), bytes.size()), static_cast<int64_t>(bytes.size()));
}

std::optional<std::string> FileText(const std::string& path) { return ReadWholeFile(path); }
