#pragma once
// The command line: an optional "-" with hexadecimal debug flags, then the
// movie file name taken verbatim.

#include <cstdint>
#include <string>

namespace zentrov {

struct ShellState;

// Fills debugFlags and currentFileName (at most 259 characters; the rest of a
// longer name is dropped).
void parseCommandLine(const char* commandLine, ShellState& shell);

}  // namespace zentrov
