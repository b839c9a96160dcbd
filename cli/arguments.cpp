#include "cli/arguments.h"

const char kUsageText[] =
    "Usage: varimo-cli [-0|--null] [--] TERMS TYPES PATH\n"
    "\n"
    "Searches every file below PATH for any of TERMS and prints each file that\n"
    "holds one, with the number of its first matching line, in walk order.\n"
    "\n"
    "  TERMS  search terms separated by \";\", compared without regard to case;\n"
    "         blanks belong to the terms; the first term must not be empty\n"
    "  TYPES  file types: a file passes when its extension occurs in this text\n"
    "         (\"txt;log\"); empty or blanks only lets every file pass\n"
    "  PATH   the folder to search; empty means the current folder\n"
    "\n"
    "  -0, --null   end the path and the line number each with a NUL byte\n"
    "               instead of a tab and a line feed\n"
    "  -h, --help   show this help\n"
    "  --version    show the version\n"
    "\n"
    "Exit status: 0 when a file matched, 1 when none did, 2 on a usage error,\n"
    "an empty first term or a folder that cannot be listed, 130 when stopped\n"
    "by Ctrl+C (the rows found so far are printed).\n";

CliArguments ParseArguments(const std::vector<std::string>& arguments) {
  CliArguments parsed;
  std::vector<std::string> fields;
  bool optionsEnded = false;
  for (const std::string& argument : arguments) {
    if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
      fields.push_back(argument);
    } else if (argument == "--") {
      optionsEnded = true;
    } else if (argument == "-0" || argument == "--null") {
      parsed.nullSeparated = true;
    } else if (argument == "-h" || argument == "--help") {
      parsed.action = CliArguments::Action::Help;
      return parsed;
    } else if (argument == "--version") {
      parsed.action = CliArguments::Action::Version;
      return parsed;
    } else {
      parsed.error = "unknown option '" + argument + "' (put -- before texts that begin with -)";
      return parsed;
    }
  }
  if (fields.size() != 3) {
    parsed.error = "expected TERMS TYPES PATH, got " + std::to_string(fields.size()) + " texts";
    return parsed;
  }
  parsed.action = CliArguments::Action::Search;
  parsed.terms = fields[0];
  parsed.types = fields[1];
  parsed.path = fields[2];
  return parsed;
}
