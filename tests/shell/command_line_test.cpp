// The command line: debug flags and the verbatim file name.

#include <gtest/gtest.h>

#include "playback/player.h"
#include "shell/command_line.h"

namespace zentrov {
namespace {

struct Case {
  const char* line;
  uint32_t flags;
  std::string name;
};

TEST(ParseCommandLine, Cases) {
  const Case cases[] = {
      {"", 0, ""},
      {"   \t ", 0, ""},
      {"-1 D:\\movies\\a.cpk", 1, "D:\\movies\\a.cpk"},
      {"-1", 1, ""},
      {"-1fx.cpk", 0x1f, "x.cpk"},
      {"-", 0, ""},
      {"- a.cpk", 0, "a.cpk"},
      {"-1 -2 a.cpk", 2, "a.cpk"},
      {"-FfFfFfFf1 a", 0xFFFFFFF1u, "a"},
      {"-123456789 a", 0x23456789u, "a"},  // 32-bit accumulation drops the high digit
      {"\"C:\\my movies\\a.cpk\"  ", 0, "\"C:\\my movies\\a.cpk\"  "},
      {"  a b.cpk", 0, "a b.cpk"},
      {"a-1.cpk", 0, "a-1.cpk"},
  };
  for (const Case& c : cases) {
    ShellState shell;
    shell.debugFlags = 77;
    parseCommandLine(c.line, shell);
    EXPECT_EQ(shell.debugFlags, c.flags) << c.line;
    EXPECT_EQ(shell.currentFileName, c.name) << c.line;
  }
}

TEST(ParseCommandLine, LongNameIsCutTo259Characters) {
  ShellState shell;
  const std::string longName = "-1 " + std::string(400, 'n');
  parseCommandLine(longName.c_str(), shell);
  EXPECT_EQ(shell.currentFileName, std::string(259, 'n'));
  parseCommandLine(std::string(259, 'm').c_str(), shell);
  EXPECT_EQ(shell.currentFileName, std::string(259, 'm'));
}

}  // namespace
}  // namespace zentrov
