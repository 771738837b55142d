#pragma once
// Opening the movie a zentrov-cli command works on.

#include <string>

#include "headless/headless_host.h"

namespace zentrov::cli {

// Opens `file` in the host's player, at header `headerArg` of the header scan
// when given. Prints the error and returns the exit code on failure (2 file
// not found, 3 unknown header or no such header), kExitOk on success.
int openForCli(HeadlessHost& host, const std::string& file, const std::string* headerArg);

}  // namespace zentrov::cli
