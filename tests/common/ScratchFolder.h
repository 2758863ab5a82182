// The tests' scratch folders, natively and under Wine: a fresh folder under the system's
// temporary folder, removed with everything in it when its owner goes, so runs leave nothing
// behind.
#pragma once

#include <filesystem>
#include <random>
#include <string>

class TScratchFolder {
 public:
  TScratchFolder() {
    static std::mt19937_64 rng{std::random_device{}()};
    Root = std::filesystem::temp_directory_path() / ("kro-test-" + std::to_string(rng()));
    std::filesystem::create_directories(Root);
  }
  ~TScratchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(Root, ec);
  }
  TScratchFolder(const TScratchFolder&) = delete;
  TScratchFolder& operator=(const TScratchFolder&) = delete;

  // A path inside, as the UTF-8 string the code under test takes.
  std::string operator/(const std::string& name) const {
    return Utf8(Root / std::filesystem::path(std::u8string(name.begin(), name.end())));
  }
  std::string Str() const { return Utf8(Root); }

  std::filesystem::path Root;

 private:
  static std::string Utf8(const std::filesystem::path& p) {
    const std::u8string u = p.u8string();
    return std::string(u.begin(), u.end());
  }
};
