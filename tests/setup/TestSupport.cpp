#include "TestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "../common/ScratchFolder.h"
#include "uFileSys.h"

namespace {

// The folders live until the test program ends: callers keep only their paths.
class TScratchFolders : public ::testing::Environment {
 public:
  void TearDown() override { Folders.clear(); }
  std::vector<std::unique_ptr<TScratchFolder>> Folders;
};

TScratchFolders& ScratchFolders() {
  static auto* folders =
      static_cast<TScratchFolders*>(::testing::AddGlobalTestEnvironment(new TScratchFolders));
  return *folders;
}

}  // namespace

std::string MakeScratchFolder() {
  return ScratchFolders().Folders.emplace_back(std::make_unique<TScratchFolder>())->Str();
}

void PutFile(const std::string& path, const std::string& bytes) {
  fsys::TFile file = fsys::TFile::Create(NativePath(path));
  ASSERT_TRUE(file.IsOpen()) << path;
  ASSERT_EQ(file.Write(bytes.data(), bytes.size()), static_cast<int64_t>(bytes.size()));
}

std::optional<std::string> FileText(const std::string& path) { return ReadWholeFile(path); }
