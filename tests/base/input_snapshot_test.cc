// InputSnapshot: another process, served what one process recorded, reads
// the same tokens and the same refusals without the files.
#include "base/input_snapshot.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "base/input_file.h"
#include "support/temp_dir.h"

namespace linprob {
namespace {

using testing::TempDir;

// The first `most` tokens of the file, or its refusal as "! <message>".
std::vector<std::string> read(const std::string& path, std::size_t most) {
  auto file = InputFile::open(path);
  if (!file.ok()) return {"! " + file.status().message()};
  std::vector<std::string> tokens;
  Token token;
  while (tokens.size() < most && file.value().next(token)) {
    tokens.push_back(token.text + (token.cut ? "..." : ""));
  }
  return tokens;
}

TEST(InputSnapshotTest, ServesWhatWasRecordedAndNothingElse) {
  TempDir dir;
  // More than the read buffer, of which only the start is read; a long
  // token cut at the limit; a file read twice, further the second time.
  std::string big;
  for (int k = 0; k < 40000; ++k) big += std::to_string(k) + " ";
  const std::string bigPath = dir.write("big.txt", big);
  const std::string longPath = dir.write(
      "long.txt", "\xEF\xBB\xBF" + std::string(kMaxTokenBytes + 5, 'x') + " 7");
  const std::string folder = dir.path("");
  const std::string missing = dir.path("none.txt");

  InputSnapshot snapshot;
  std::vector<std::vector<std::string>> recorded;
  {
    const InputRecording recording(&snapshot);
    recorded.push_back(read(bigPath, 3));
    recorded.push_back(read(bigPath, 20000));
    recorded.push_back(read(longPath, 10));
    recorded.push_back(read(folder, 1));
    recorded.push_back(read(missing, 1));
  }
  EXPECT_EQ(recorded[3], std::vector<std::string>{"! is not a regular file"});
  EXPECT_EQ(recorded[4], std::vector<std::string>{"! missing"});
  // Only what was read is kept: the big file's first two buffers of 64 KiB.
  EXPECT_LT(snapshot.files.at(bigPath).bytes.size(), big.size());
  EXPECT_EQ(big.compare(0, snapshot.files.at(bigPath).bytes.size(),
                        snapshot.files.at(bigPath).bytes),
            0);

  // Carried to another process as bytes, and served there.
  const InputSnapshot carried = InputSnapshot::fromBytes(snapshot.toBytes());
  {
    const InputServing serving(&carried);
    EXPECT_EQ(read(bigPath, 3), recorded[0]);
    EXPECT_EQ(read(bigPath, 20000), recorded[1]);
    EXPECT_EQ(read(longPath, 10), recorded[2]);
    EXPECT_EQ(read(folder, 1), recorded[3]);
    EXPECT_EQ(read(missing, 1), recorded[4]);
    // A file that is there but was never read is not served.
    EXPECT_EQ(read(dir.write("late.txt", "1"), 1),
              std::vector<std::string>{"! missing"});
  }
  // Neither recording nor serving once they ended.
  EXPECT_EQ(read(dir.path("late.txt"), 1), std::vector<std::string>{"1"});
  EXPECT_EQ(snapshot.files.count(dir.path("late.txt")), 0u);
}

TEST(InputSnapshotTest, RefusesBytesItDidNotMake) {
  InputSnapshot snapshot;
  snapshot.files["a"].bytes = "1 2 3";
  snapshot.files["b"].problem = "missing";
  const std::string bytes = snapshot.toBytes();
  EXPECT_EQ(InputSnapshot::fromBytes(bytes).files.size(), 2u);
  for (const std::string& broken :
       {bytes.substr(0, bytes.size() - 1), bytes + "x", std::string("abc")}) {
    try {
      (void)InputSnapshot::fromBytes(broken);
      FAIL() << "no exception";
    } catch (const std::runtime_error& error) {
      EXPECT_STREQ(error.what(), "input snapshot: cut short");
    }
  }
}

}  // namespace
}  // namespace linprob
