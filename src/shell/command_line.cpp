#include "shell/command_line.h"

#include "playback/player.h"

namespace zentrov {

namespace {
int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}
}  // namespace

void parseCommandLine(const char* commandLine, ShellState& shell) {
  shell.debugFlags = 0;
  if (!commandLine) return;
  const char* p = commandLine;
  for (;;) {
    while (*p == ' ' || *p == '\t') ++p;
    if (*p == '\0') return;
    if (*p != '-') break;
    ++p;
    uint32_t value = 0;
    for (int d; (d = hexDigit(*p)) >= 0; ++p) value = value * 16u + static_cast<uint32_t>(d);
    shell.debugFlags = value;
    if (*p == '\0') return;
  }
  // The name is taken verbatim, quotes and trailing blanks included; a longer
  // name than the 260-byte buffer holds is cut to its first 259 characters.
  std::string name(p);
  if (name.size() > kMaxFileName) name.resize(kMaxFileName);
  shell.currentFileName = name;
}

}  // namespace zentrov
