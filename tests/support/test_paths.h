#pragma once
// Where the tests find their fixtures, the CLI and a scratch folder.

#include <string>

namespace zentrov::test {

inline std::string dataPath(const std::string& name) {
  return std::string(ZENTROV_TEST_DATA) + "/" + name;
}
inline std::string cliPath() {
  return ZENTROV_CLI_PATH;
}
// A fresh, empty folder, removed when the test program exits.
std::string scratchDir(const std::string& name);
// Runs a shell command; returns its exit status and fills `output` with stdout.
int runCommand(const std::string& command, std::string& output);
bool writeFile(const std::string& path, const std::string& bytes);
std::string readFile(const std::string& path);

}  // namespace zentrov::test
