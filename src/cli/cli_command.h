#pragma once
// zentrov-cli's commands. Each command lives in its own file and registers
// itself with ZENTROV_CLI_COMMAND, so the dispatcher needs no list.

#include <cstdio>
#include <string>
#include <vector>

namespace zentrov::cli {

// Exit codes scripts can rely on.
constexpr int kExitOk = 0;
constexpr int kExitUsage = 1;
constexpr int kExitFileNotFound = 2;
constexpr int kExitUnknownHeader = 3;
constexpr int kExitFailure = 4;  // the command could not finish (for example a write error)

struct Command {
  const char* name;
  const char* usage;                                 // "info FILE [--header N]"
  const char* summary;                               // one line
  int (*run)(const std::vector<std::string>& args);  // args after the command name
};

bool registerCommand(const Command& command);
const std::vector<Command>& commands();
void printUsage(FILE* out);
// "zentrov-cli COMMAND: MESSAGE", then the usage text, on stderr; returns kExitUsage.
int usageError(const char* command, const std::string& message);

// Options shared by several commands. parseArgs accepts `--name VALUE` for the
// names in `valued`, `--name` for those in `flags`, and positional arguments.
struct ParsedArgs {
  std::vector<std::string> positional;
  std::vector<std::pair<std::string, std::string>> options;
  bool has(const std::string& name) const;
  const std::string* value(const std::string& name) const;
};
bool parseArgs(const std::vector<std::string>& args, const std::vector<std::string>& valued,
               const std::vector<std::string>& flags, ParsedArgs& out, std::string& error);
// Parses a whole decimal number; false when `text` is not one.
bool parseInt(const std::string& text, long long minimum, long long maximum, long long& out);

}  // namespace zentrov::cli

#define ZENTROV_CLI_CONCAT2(a, b) a##b
#define ZENTROV_CLI_CONCAT(a, b) ZENTROV_CLI_CONCAT2(a, b)
#define ZENTROV_CLI_COMMAND(...)                                        \
  static const bool ZENTROV_CLI_CONCAT(registered_command_, __LINE__) = \
      ::zentrov::cli::registerCommand(::zentrov::cli::Command{__VA_ARGS__})
