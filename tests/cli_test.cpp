// varimo-cli as a user runs it: a separate process, its bytes on stdout and
// stderr, and its exit code.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "tests/fixture_tree.h"

namespace {

using namespace std::string_literals;

struct CliRun {
  int exitCode = -1;
  std::string out;
  std::string err;

  std::string LastErrorLine() const {
    std::string text = err;
    if (!text.empty() && text.back() == '\n') {
      text.pop_back();
    }
    return text.substr(text.rfind('\n') + 1);
  }
};

std::string ReadWhole(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream content;
  content << file.rdbuf();
  return content.str();
}

// The exit code, or minus the signal that killed the process.
int WaitForExit(pid_t child) {
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

class CliTest : public ::testing::Test {
 protected:
  // Starts varimo-cli with its output in files; `whileRunning` gets its pid.
  CliRun Run(const std::vector<std::string>& arguments, const std::string& folder = "",
             const std::function<void(pid_t)>& whileRunning = {}) {
    const std::string outPath = output.Path("stdout");
    const std::string errPath = output.Path("stderr");
    const pid_t child = ::fork();
    if (child == 0) {
      ::dup2(::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), STDOUT_FILENO);
      ::dup2(::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), STDERR_FILENO);
      if (!folder.empty() && ::chdir(folder.c_str()) != 0) {
        ::_exit(126);
      }
      std::vector<char*> argv{const_cast<char*>(VARIMO_CLI)};
      for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
      }
      argv.push_back(nullptr);
      ::execv(VARIMO_CLI, argv.data());
      ::_exit(127);
    }
    if (whileRunning) {
      whileRunning(child);
    }
    CliRun run;
    run.exitCode = WaitForExit(child);
    run.out = ReadWhole(outPath);
    run.err = ReadWhole(errPath);
    return run;
  }

  FixtureTree tree;
  FixtureTree output;  // apart from the searched tree, which must stay untouched
};

TEST_F(CliTest, RowsAndExitCodes) {
  const std::string a = tree.File("a.txt", "x\nSome FOO\n");
  const struct Case {
    const char* meaning;
    std::vector<std::string> arguments;
    int exitCode;
    std::string out;
    std::string lastErrorLine;
  } cases[] = {
      {"a match", {"foo", "", tree.root()}, 0, a + "\t2\n", "1 Dateien mit Übereinstimmungen!"},
      {"NUL separated",
       {"-0", "foo", "", tree.root()},
       0,
       a + "\0"
           "2\0"s,
       "1 Dateien mit Übereinstimmungen!"},
      {"no match", {"bar", "", tree.root()}, 1, "", "0 Dateien mit Übereinstimmungen!"},
      {"types exclude it", {"foo", "log", tree.root()}, 1, "", "0 Dateien mit Übereinstimmungen!"},
      {"a term after --",
       {"--", "-x;foo", "", tree.root()},
       0,
       a + "\t2\n",
       "1 Dateien mit Übereinstimmungen!"},
      {"empty first term",
       {";foo", "", tree.root()},
       2,
       "",
       "varimo-cli: the first search term is empty"},
      {"missing folder",
       {"foo", "", tree.Path("none")},
       2,
       "",
       "varimo-cli: cannot list the folder '" + tree.Path("none") + "': No such file or directory"},
      {"a file as folder",
       {"foo", "", a},
       2,
       "",
       "varimo-cli: cannot list the folder '" + a + "': Not a directory"},
  };
  for (const Case& c : cases) {
    const CliRun run = Run(c.arguments);
    EXPECT_EQ(run.exitCode, c.exitCode) << c.meaning;
    EXPECT_EQ(run.out, c.out) << c.meaning;
    EXPECT_EQ(run.LastErrorLine(), c.lastErrorLine) << c.meaning;
  }
}

TEST_F(CliTest, UsageHelpAndVersion) {
  for (const std::vector<std::string>& wrong : {std::vector<std::string>{"foo", "txt"},
                                                {"foo", "", ".", "extra"},
                                                {"-x", "foo", "", "."}}) {
    const CliRun run = Run(wrong);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("Usage: varimo-cli"), std::string::npos);
  }
  const CliRun help = Run({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_EQ(help.out.rfind("Usage: varimo-cli [-0|--null] [--] TERMS TYPES PATH\n", 0), 0u);
  const CliRun version = Run({"--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out.rfind("varimo-cli ", 0), 0u);
}

TEST_F(CliTest, EmptyPathSearchesTheCurrentFolderByBareNames) {
  tree.File("sub/found.txt", "foo");
  const CliRun run = Run({"foo", "", ""}, tree.root());
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, "sub/found.txt\t1\n");
}

TEST_F(CliTest, OddNamesComeOutAsRawBytes) {
  const std::vector<std::string> names = {
      "semi;colon.txt", "-leading-dash.txt",     "blank name.txt",  "back\\slash.txt",
      "line\nfeed.txt", "not-utf8-\xE4\xFF.txt", "quote'\"$(x).txt"};
  std::string expected;
  for (const std::string& name : names) {
    tree.File(name, "foo\n");
  }
  for (const std::string& name : ListingOrder(tree.root())) {
    expected += tree.Path(name) +
                "\0"
                "1\0"s;
  }
  const CliRun run = Run({"-0", "foo", "txt", tree.root()});
  EXPECT_EQ(run.out, expected);
  EXPECT_EQ(run.LastErrorLine(), "7 Dateien mit Übereinstimmungen!");
}

TEST_F(CliTest, NothingUnderTheRootIsWritten) {
  tree.File("a.txt", "foo\n");
  tree.File("read-only.txt", "foo\r\n", 0444);
  tree.File("sub/deep.log", "x\0foo"s);
  tree.File("empty", "");
  tree.Fifo("fifo");
  tree.Link("loop", ".");
  tree.Link("dangling", "nowhere");
  tree.Link("device", "/dev/zero");
  tree.EndlessDevice("endless");
  const std::string before = SnapshotOf(tree.root());
  const CliRun run = Run({"foo", "", tree.root()});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(SnapshotOf(tree.root()), before);
}

TEST_F(CliTest, ProgressOnlyOnATerminal) {
  for (int i = 0; i < 300; ++i) {
    tree.File("many/f" + std::to_string(i), "");
  }
  // Not a terminal: the count text is all of stderr.
  EXPECT_EQ(Run({"foo", "", tree.root()}).err, "0 Dateien mit Übereinstimmungen!\n");

  // A terminal: progress lines are rewritten in place and cleared at the end.
  int terminal = -1;
  const pid_t child = ::forkpty(&terminal, nullptr, nullptr, nullptr);
  if (child == 0) {
    ::dup2(::open("/dev/null", O_WRONLY), STDOUT_FILENO);
    ::execl(VARIMO_CLI, VARIMO_CLI, "foo", "", tree.root().c_str(), nullptr);
    ::_exit(127);
  }
  std::string shown;
  char buffer[4096];
  for (ssize_t got; (got = ::read(terminal, buffer, sizeof buffer)) > 0;) {
    shown.append(buffer, got);
  }
  ::close(terminal);
  EXPECT_EQ(WaitForExit(child), 1);
  EXPECT_NE(shown.find("\r\033[KBereite Suche vor"), std::string::npos) << shown;
  EXPECT_NE(shown.find("100%  " + tree.Path("many")), std::string::npos) << shown;
  EXPECT_TRUE(shown.ends_with("\r\033[K0 Dateien mit Übereinstimmungen!\r\n")) << shown;
}

TEST_F(CliTest, InterruptStopsTheRunAndKeepsTheRowsFound) {
  // A sparse file of NUL bytes, each ending a line, keeps the run busy for
  // minutes unless the stop works; a matching file is met before it.
  const std::string huge = tree.File("huge", "");
  std::filesystem::resize_file(huge, 64LL << 30);
  std::string match;
  for (int i = 0; match.empty(); ++i) {
    const std::string name = "m" + std::to_string(i);
    const std::string candidate = tree.File(name, "foo\n");
    if (ListingOrder(tree.root()).front() == name) {
      match = candidate;
    } else {
      ::unlink(candidate.c_str());
    }
  }
  const CliRun run = Run({"foo", "", tree.root()}, "", [&](pid_t cli) {
    // Interrupt once the huge file is being read.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    for (bool reading = false; !reading && std::chrono::steady_clock::now() < deadline;) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      for (const auto& fd :
           std::filesystem::directory_iterator("/proc/" + std::to_string(cli) + "/fd")) {
        std::error_code error;
        reading = reading || std::filesystem::read_symlink(fd.path(), error) == huge;
      }
    }
    ::kill(cli, SIGINT);
  });
  EXPECT_EQ(run.exitCode, 130);
  EXPECT_EQ(run.out, match + "\t1\n");
  EXPECT_EQ(run.LastErrorLine(), "1 Dateien mit Übereinstimmungen!");
}

}  // namespace
