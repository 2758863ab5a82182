// Writing the generated payloads: a benchmark that cannot lay out its input stops at once.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "uFileSys.h"
#include "uPaths.h"

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& data) {
  fsys::ForceDirectories(FolderPart(path));
  fsys::TFile f = fsys::TFile::Create(path);
  if (!f.IsOpen() || f.Write(data.data(), data.size()) != static_cast<int64_t>(data.size())) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    std::exit(1);
  }
}
