#include "search/line_reader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/fixture_tree.h"

namespace {

using Lines = std::vector<std::string>;
using namespace std::string_literals;

// Tiny blocks make every line end and every CR LF fall on a block edge somewhere.
constexpr std::size_t kBlockSizes[] = {1, 2, 3, 4, 7, kLineBlockSize};

Lines ReadAllLines(const std::string& path, std::size_t blockSize) {
  std::optional<LineFile> file = OpenLineFile(path, blockSize);
  EXPECT_TRUE(file.has_value()) << path;
  Lines lines;
  if (!file) {
    return lines;
  }
  std::string line;
  while (!AtFileEnd(*file)) {
    ReadLine(*file, line);
    lines.push_back(line);
  }
  EXPECT_TRUE(AtFileEnd(*file)) << "the end stays the end";
  CloseLineFile(*file);
  return lines;
}

TEST(LineReaderTest, LineEndsAtEveryBlockSize) {
  struct Case {
    const char* meaning;
    std::string bytes;
    Lines lines;
  } cases[] = {
      {"LF", "x\ny", {"x", "y"}},
      {"CR LF", "x\r\ny", {"x", "y"}},
      {"CR", "x\ry", {"x", "y"}},
      {"LF CR is two line ends", "x\n\ry", {"x", "", "y"}},
      {"CR CR LF is two line ends", "x\r\r\ny", {"x", "", "y"}},
      {"LF LF", "x\n\ny", {"x", "", "y"}},
      {"NUL", "x\0y"s, {"x", "y"}},
      {"CR NUL is two line ends", "x\r\0y"s, {"x", "", "y"}},
      {"final LF opens no line", "x\n", {"x"}},
      {"final CR LF opens no line", "x\r\n", {"x"}},
      {"final CR opens no line", "x\r", {"x"}},
      {"final line without line end", "x", {"x"}},
      {"LF alone is one empty line", "\n", {""}},
      {"empty file has no line", "", {}},
      {"NUL splits a line", "ab\0cd\n"s, {"ab", "cd"}},
      {"byte-order mark belongs to line 1", "\xEF\xBB\xBFx\ny", {"\xEF\xBB\xBFx", "y"}},
      {"UTF-16 splits at every zero byte", "\xFF\xFEH\0i\0"s, {"\xFF\xFEH", "i"}},
      {"control bytes and tabs stay in the line", "\t\x01\x7F\xFF\n", {"\t\x01\x7F\xFF"}},
      {"CR lines only", "a\rb\rc\r", {"a", "b", "c"}},
      {"mixed", "a\r\n\r\nb\n\rc\0\0d"s, {"a", "", "b", "", "c", "", "d"}},
  };
  FixtureTree tree;
  for (const Case& c : cases) {
    const std::string path = tree.File("case", c.bytes);
    for (std::size_t blockSize : kBlockSizes) {
      EXPECT_EQ(ReadAllLines(path, blockSize), c.lines) << c.meaning << ", blocks of " << blockSize;
    }
  }
}

TEST(LineReaderTest, CrLfStraddlingEveryBlockEdgeIsOneLineEnd) {
  FixtureTree tree;
  const std::string head(kLineBlockSize - 1, 'a');
  const std::string path = tree.File("straddle", head + "\r\nb\r\nc");
  for (std::size_t blockSize : {kLineBlockSize, kLineBlockSize - 1, kLineBlockSize + 1}) {
    EXPECT_EQ(ReadAllLines(path, blockSize), (Lines{head, "b", "c"})) << blockSize;
  }
}

TEST(LineReaderTest, LongLineIsOneLineWhole) {
  FixtureTree tree;
  const std::string longLine(3 * 1024 * 1024 + 17, 'q');
  const std::string path = tree.File("long", "a\n" + longLine + "\r\nz");
  EXPECT_EQ(ReadAllLines(path, kLineBlockSize), (Lines{"a", longLine, "z"}));
}

TEST(LineReaderTest, OpensReadOnlyFilesAndNothingElse) {
  FixtureTree tree;
  const std::string readOnly = tree.File("read-only.txt", "x\n", 0444);
  EXPECT_EQ(ReadAllLines(readOnly, kLineBlockSize), Lines{"x"});

  const std::string missing = tree.Path("missing.txt");
  EXPECT_FALSE(OpenLineFile(missing).has_value());
  EXPECT_NE(::access(missing.c_str(), F_OK), 0) << "no file is created";

  // A FIFO would block the open or the reads; a folder has no lines.
  EXPECT_FALSE(OpenLineFile(tree.Fifo("fifo")).has_value());
  EXPECT_FALSE(OpenLineFile(tree.Folder("folder")).has_value());
  EXPECT_FALSE(OpenLineFile("/dev/zero").has_value());
  EXPECT_FALSE(OpenLineFile(tree.Link("dangling", "nowhere")).has_value());
}

TEST(LineReaderTest, UnreadableFileFailsToOpen) {
  FixtureTree tree;
  const std::string secret = tree.File("secret.txt", "x\n", 0000);
  EXPECT_EQ(RunUnprivileged([&] { return OpenLineFile(secret).has_value() ? 1 : 0; }), 0);
}

}  // namespace
