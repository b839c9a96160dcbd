// varimo-cli: the search engine without a window. The three arguments are the
// texts of the three input fields; rows go to stdout, status texts to stderr.

#include <signal.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cli/arguments.h"
#include "cli/terminal_output.h"
#include "platform/headless_window.h"
#include "search/query.h"
#include "search/run.h"
#include "search/stop_request.h"
#include "window/controls.h"

namespace {

constexpr int kExitMatches = 0;
constexpr int kExitNoMatch = 1;
constexpr int kExitRefused = 2;
constexpr int kExitInterrupted = 130;

void RequestStop(int) {
  StopRequested.store(1);
}

// Ctrl+C stops the run as the stop button would: it winds down and the rows
// found so far are still printed.
void StopOnInterrupt() {
  struct sigaction action {};
  action.sa_handler = RequestStop;
  sigemptyset(&action.sa_mask);
  // A second Ctrl+C ends the process at once, should the wind-down take long.
  action.sa_flags = SA_RESTART | SA_RESETHAND;
  sigaction(SIGINT, &action, nullptr);
}

int Refuse(const std::string& reason) {
  std::fprintf(stderr, "varimo-cli: %s\n", reason.c_str());
  return kExitRefused;
}

}  // namespace

int main(int argc, char** argv) {
  const CliArguments arguments = ParseArguments(std::vector<std::string>(argv + 1, argv + argc));
  switch (arguments.action) {
    case CliArguments::Action::Help:
      std::fputs(kUsageText, stdout);
      return 0;
    case CliArguments::Action::Version:
      std::printf("varimo-cli %s\n", VARIMO_VERSION);
      return 0;
    case CliArguments::Action::UsageError:
      std::fprintf(stderr, "varimo-cli: %s\n\n%s", arguments.error.c_str(), kUsageText);
      return kExitRefused;
    case CliArguments::Action::Search:
      break;
  }

  Query = MakeQuery(arguments.terms, arguments.types, arguments.path);
  const RootTest root = TestRoot(Query.RootPath);
  if (Query.TermList.front().empty()) {
    return Refuse("the first search term is empty");
  }
  if (!root.opens) {
    return Refuse("cannot list the folder '" + Query.RootPath + "': " + root.failureReason);
  }

  StopOnInterrupt();
  ProgressLine progress;
  const bool nullSeparated = arguments.nullSeparated;
  headless::OnRowAdded(
      [nullSeparated](const RowTexts& row) { WriteResultRow(row, nullSeparated); });
  headless::OnStatusText(
      [&progress](int field, const std::string& text) { progress.Show(field, text); });
  RunSearch();
  std::fflush(stdout);
  progress.Finish(headless::StatusFieldText(kMessageField));

  if (IsStopRequested()) {
    return kExitInterrupted;
  }
  return Counters.FilesWithMatches > 0 ? kExitMatches : kExitNoMatch;
}
