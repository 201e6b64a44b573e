#include "base/input_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace linprob {
namespace {

using testing::TempDir;

std::vector<Token> tokensOf(const std::string& path) {
  auto file = InputFile::open(path);
  EXPECT_TRUE(file.ok()) << file.status().message();
  std::vector<Token> tokens;
  for (Token token; file.value().next(token);) tokens.push_back(token);
  return tokens;
}

TEST(InputFileTest, ByteOrderMarkOnlyAtTheStartAndAnyWhiteSpace) {
  TempDir dir;
  const std::vector<Token> tokens = tokensOf(
      dir.write("a.txt", "\xEF\xBB\xBF" "1\t2\r\n\v\f3 \xEF\xBB\xBF" "4\n"));
  ASSERT_EQ(tokens.size(), 4u);
  EXPECT_EQ(tokens[0].text, "1");
  EXPECT_EQ(tokens[2].text, "3");
  EXPECT_EQ(tokens[3].text, "\xEF\xBB\xBF" "4");
  EXPECT_TRUE(tokensOf(dir.write("mark.txt", "\xEF\xBB\xBF")).empty());
}

// A token longer than the limit comes back cut, and its rest (longer than
// the read buffer here) is skipped before the next one.
TEST(InputFileTest, LongTokensAreCutAndTheirRestSkipped) {
  TempDir dir;
  const std::string exact(kMaxTokenBytes, 'a');
  const std::vector<Token> tokens = tokensOf(dir.write(
      "long.txt", exact + " " + std::string(200000, 'b') + "\nnext"));
  ASSERT_EQ(tokens.size(), 3u);
  EXPECT_EQ(tokens[0].text, exact);
  EXPECT_FALSE(tokens[0].cut);
  EXPECT_EQ(tokens[1].text, std::string(kMaxTokenBytes, 'b'));
  EXPECT_TRUE(tokens[1].cut);
  EXPECT_EQ(tokens[2].text, "next");
}

TEST(InputFileTest, OpenNamesWhatIsWrong) {
  TempDir dir;
  EXPECT_EQ(InputFile::open(dir.path("absent")).status().message(), "missing");
  EXPECT_EQ(InputFile::open(dir.prefix()).status().message(),
            "is not a regular file");
  EXPECT_EQ(InputFile::open(dir.write("file", "") + "/below").status().message(),
            "Not a directory");
}

TEST(InputFileTest, QuotedIsShortAndPrintable) {
  EXPECT_EQ(quotedToken("abc"), "\"abc\"");
  EXPECT_EQ(quotedToken(std::string("\xEF\xBB\xBF" "3\x00\x7f", 6)),
            "\"\\xef\\xbb\\xbf3\\x00\\x7f\"");
  const std::string forty(kQuotedBytes, '9');
  EXPECT_EQ(quotedToken(forty), "\"" + forty + "\"");
  EXPECT_EQ(quotedToken(forty + "9"), "\"" + forty + "...\"");
  EXPECT_EQ(quotedToken("5", true), "\"5...\"");
}

}  // namespace
}  // namespace linprob
