#include <gtest/gtest.h>

#include "KropackKit.h"

using namespace kit;

namespace {

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// Empty and tiny members, members large enough that the ones after them finish first, and
// members deflated in pieces of a MiB.
const size_t kSizes[] = {0, 1, 100, 65'535, 65'536, 65'537, 200'000, 700'000, 1'048'576, 2'500'001};

class KropackParallel : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < 24; ++i) {
      size_t size = kSizes[i % std::size(kSizes)];
      Bytes data = i % 3 ? Prose(size) : Noise(size, static_cast<uint32_t>(i));
      Put(Dir, "src/d" + std::to_string(i % 4) + "/f" + std::to_string(i) + ".bin", data);
    }
  }
  // threads nullptr: the option is left out.
  TRun Pack(const std::string& archive, const char* threads) {
    std::vector<std::string> args = {"pack", "-C", Dir / "src", Dir / archive, "."};
    if (threads) args.insert(args.begin() + 1, {"--threads", threads});
    return Kropack(Dir, args);
  }
  TTempDir Dir;
};

// The archive is the same byte for byte whatever the number of threads (by default one a
// core), and sound.
TEST_F(KropackParallel, SameArchiveAtAnyThreadCount) {
  ASSERT_EQ(Pack("1.pak", "1").Exit, 0);
  const Bytes one = ReadFile(Dir / "1.pak");
  ASSERT_GT(one.size(), 2'500'000u);
  for (const char* threads : {"2", "3", "8", "64", static_cast<const char*>(nullptr)}) {
    SCOPED_TRACE(threads ? threads : "default");
    TRun run = Pack("n.pak", threads);
    ASSERT_EQ(run.Exit, 0) << run.Err;
    EXPECT_TRUE(Contains(run.Out, "24 members")) << run.Out;
    EXPECT_TRUE(ReadFile(Dir / "n.pak") == one);
  }
  TRun test = Kropack(Dir, {"test", Dir / "n.pak"});
  EXPECT_EQ(test.Exit, 0) << test.Out << test.Err;
  EXPECT_TRUE(Contains(test.Out, "24 members tested, all sound"));
}

// A thread count that is no number from 1 to 256 is a usage error, and nothing is written.
TEST_F(KropackParallel, ThreadCountRefusals) {
  const struct {
    const char* Value;
    int Exit;
  } cases[] = {
      {"0", 2},  {"257", 2},         {"-1", 2}, {"", 2},    {"zwei", 2}, {"1.5", 2},
      {"+4", 2}, {"99999999999", 2}, {"1", 0},  {"256", 0}, {"0004", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Value);
    fs::remove(P(Dir / "t.pak"));
    TRun run = Pack("t.pak", c.Value);
    EXPECT_EQ(run.Exit, c.Exit) << run.Err;
    EXPECT_EQ(fs::exists(P(Dir / "t.pak")), c.Exit == 0);
    if (c.Exit == 2) {
      EXPECT_TRUE(Contains(run.Err, "--threads needs a number from 1 to 256")) << run.Err;
    }
  }
  TRun setup = Kropack(Dir, {"setup", "--threads", "0", "--stub", Dir / "x", "--inf", Dir / "x",
                             "--package", Dir / "src", "-o", Dir / "setup.exe"});
  EXPECT_EQ(setup.Exit, 2);
  EXPECT_TRUE(Contains(setup.Err, "--threads needs a number")) << setup.Err;
}

// A member that cannot be read stops the run at that member, as it would packed one after
// the other, and no archive is left.
TEST_F(KropackParallel, MemberThatVanishesStopsTheRun) {
  TQuillCompress qc;
  qc.SetCompressedFile(Dir / "gone.pak");
  qc.Threads = 4;
  std::vector<std::string> added;
  qc.OnAfterAdding = [&](TQuillCompress&, const TlzhFileStats& s) { added.push_back(s.FileName); };
  std::vector<TPackItem> items;
  for (int i = 0; i < 8; ++i)
    items.push_back({Dir / ("src/d" + std::to_string(i % 4) + "/f" + std::to_string(i) + ".bin"),
                     "f" + std::to_string(i), 45000.5});
  items[5].SourcePath = Dir / "src/nicht-da.bin";
  try {
    qc.AddFiles(items);
    ADD_FAILURE() << "no failure";
  } catch (const EQuillCompress& e) {
    EXPECT_TRUE(Contains(e.what(), "Cannot open the file")) << e.what();
    EXPECT_TRUE(Contains(e.what(), "nicht-da.bin")) << e.what();
  }
  EXPECT_EQ(added, (std::vector<std::string>{"f0", "f1", "f2", "f3", "f4"}));
  EXPECT_FALSE(fs::exists(P(Dir / "gone.pak")));
  EXPECT_FALSE(fs::exists(P(Dir / "gone.pak.~kro")));
}

// Aborting from an event ends the run at once, with workers still busy ahead, and leaves no
// archive.
TEST_F(KropackParallel, AbortEndsTheWorkers) {
  TQuillCompress qc;
  qc.SetCompressedFile(Dir / "stop.pak");
  qc.Threads = 3;
  int added = 0;
  qc.OnAfterAdding = [&](TQuillCompress& q, const TlzhFileStats&) { q.Abort = ++added == 2; };
  std::vector<TPackItem> items;
  for (int i = 0; i < 24; ++i)
    items.push_back({Dir / ("src/d" + std::to_string(i % 4) + "/f" + std::to_string(i) + ".bin"),
                     "f" + std::to_string(i), 45000.5});
  EXPECT_THROW(qc.AddFiles(items), EqcAborted);
  EXPECT_EQ(added, 2);
  EXPECT_FALSE(fs::exists(P(Dir / "stop.pak")));
}

}  // namespace
