// zentrov-cli: inspect, export and play FILM movies without a window.

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/cli_command.h"

namespace zentrov::cli {

namespace {
std::vector<Command>& registry() {
  static std::vector<Command> list;
  return list;
}
}  // namespace

bool registerCommand(const Command& command) {
  registry().push_back(command);
  return true;
}

const std::vector<Command>& commands() {
  return registry();
}

void printUsage(FILE* out) {
  std::fprintf(out, "Usage: zentrov-cli COMMAND ARGS...\n\nCommands:\n");
  std::vector<const Command*> sorted;
  for (const Command& c : registry()) sorted.push_back(&c);
  std::sort(sorted.begin(), sorted.end(),
            [](const Command* a, const Command* b) { return std::strcmp(a->name, b->name) < 0; });
  for (const Command* c : sorted)
    std::fprintf(out, "  zentrov-cli %s\n      %s\n", c->usage, c->summary);
  std::fprintf(out,
               "\n  --header N   open the movie at entry N of the header scan\n"
               "  --help       show this text\n\n"
               "Exit codes: 0 done, 1 bad usage, 2 file not found, 3 unknown header,\n"
               "4 the command could not finish.\n");
}

int usageError(const char* command, const std::string& message) {
  std::fprintf(stderr, "zentrov-cli %s: %s\n\n", command, message.c_str());
  printUsage(stderr);
  return kExitUsage;
}

bool ParsedArgs::has(const std::string& name) const {
  return value(name) != nullptr;
}

const std::string* ParsedArgs::value(const std::string& name) const {
  const std::string* found = nullptr;
  for (const auto& option : options)
    if (option.first == name) found = &option.second;  // the last one counts
  return found;
}

bool parseArgs(const std::vector<std::string>& args, const std::vector<std::string>& valued,
               const std::vector<std::string>& flags, ParsedArgs& out, std::string& error) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
      std::string name = a.substr(2);
      if (std::find(valued.begin(), valued.end(), name) != valued.end()) {
        if (i + 1 >= args.size()) {
          error = "option " + a + " needs a value";
          return false;
        }
        out.options.emplace_back(name, args[++i]);
      } else if (std::find(flags.begin(), flags.end(), name) != flags.end()) {
        out.options.emplace_back(name, "");
      } else {
        error = "unknown option " + a;
        return false;
      }
    } else {
      out.positional.push_back(a);
    }
  }
  return true;
}

bool parseInt(const std::string& text, long long minimum, long long maximum, long long& out) {
  if (text.empty() || text.size() > 18) return false;
  size_t i = 0;
  bool negative = false;
  if (text[0] == '-') {
    negative = true;
    i = 1;
  }
  if (i >= text.size()) return false;
  long long value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    value = value * 10 + (text[i] - '0');
  }
  if (negative) value = -value;
  if (value < minimum || value > maximum) return false;
  out = value;
  return true;
}

}  // namespace zentrov::cli

int main(int argc, char** argv) {
  using namespace zentrov::cli;
  if (argc < 2) {
    printUsage(stderr);
    return kExitUsage;
  }
  std::string name = argv[1];
  if (name == "--help" || name == "-h" || name == "help") {
    printUsage(stdout);
    return kExitOk;
  }
  std::vector<std::string> args(argv + 2, argv + argc);
  for (const std::string& a : args) {
    if (a == "--help" || a == "-h") {
      printUsage(stdout);
      return kExitOk;
    }
  }
  for (const Command& c : commands()) {
    if (name == c.name) return c.run(args);
  }
  std::fprintf(stderr, "zentrov-cli: unknown command '%s'\n\n", name.c_str());
  printUsage(stderr);
  return kExitUsage;
}
