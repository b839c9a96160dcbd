#pragma once
// The command line of varimo-cli.

#include <string>
#include <vector>

struct CliArguments {
  enum class Action { Search, Help, Version, UsageError };
  Action action = Action::UsageError;
  bool nullSeparated = false;
  // The texts of the three input fields, verbatim.
  std::string terms;
  std::string types;
  std::string path;
  std::string error;  // what is wrong with a usage error
};

CliArguments ParseArguments(const std::vector<std::string>& arguments);

extern const char kUsageText[];
