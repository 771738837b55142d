#pragma once
// Test files: scratch files, the test data folder, running zentrov-cli.

#include <string>

#include "support/film_writer.h"

namespace zentrov::test {

// A path in the test program's scratch folder (removed at exit); writeScratch
// fills it and returns it.
std::string scratchPath(const std::string& name);
std::string writeScratch(const std::string& name, const Bytes& bytes);
std::string readFile(const std::string& path);
inline std::string dataPath(const std::string& name) {
  return std::string(ZENTROV_TEST_DATA) + "/" + name;
}
// Runs a shell command, or zentrov-cli with `arguments`; returns the exit
// status with stdout in `out` (and stderr in `err`). run() and cli() return
// the stdout of a run that must succeed.
int runCommand(const std::string& command, std::string& out, std::string* err = nullptr);
int runCli(const std::string& arguments, std::string& out, std::string* err = nullptr);
std::string run(const std::string& command);
std::string cli(const std::string& arguments);

}  // namespace zentrov::test
