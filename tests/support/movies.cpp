#include "support/movies.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace zentrov::test {

namespace fs = std::filesystem;

std::string scratchPath(const std::string& name) {
  static const struct Root {
    fs::path dir = fs::temp_directory_path() / ("zentrov-test-" + std::to_string(::getpid()));
    ~Root() {
      std::error_code ignored;
      fs::remove_all(dir, ignored);
    }
  } root;
  fs::create_directories(root.dir / fs::path(name).parent_path());
  return (root.dir / name).string();
}

std::string writeScratch(const std::string& name, const Bytes& bytes) {
  const std::string path = scratchPath(name);
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  return path;
}

std::string readFile(const std::string& path) {
  std::ostringstream s;
  s << std::ifstream(path, std::ios::binary).rdbuf();
  return s.str();
}

int runCommand(const std::string& command, std::string& out, std::string* err) {
  const std::string outPath = scratchPath("stdout.txt"), errPath = scratchPath("stderr.txt");
  const int status = std::system((command + " >" + outPath + " 2>" + errPath).c_str());
  out = readFile(outPath);
  if (err) *err = readFile(errPath);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int runCli(const std::string& arguments, std::string& out, std::string* err) {
  return runCommand(ZENTROV_CLI_PATH " " + arguments, out, err);
}

std::string run(const std::string& command) {
  std::string out, err;
  EXPECT_EQ(runCommand(command, out, &err), 0) << command << ": " << err;
  return out;
}

std::string cli(const std::string& arguments) {
  return run(ZENTROV_CLI_PATH " " + arguments);
}

}  // namespace zentrov::test
