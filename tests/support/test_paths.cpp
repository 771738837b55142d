#include "support/test_paths.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace zentrov::test {

namespace {
// Scratch folders live until the test program exits.
std::vector<std::filesystem::path>& scratchFolders() {
  static std::vector<std::filesystem::path> folders;
  static const bool cleanup = [] {
    std::atexit([] {
      std::error_code ignored;
      for (const auto& folder : scratchFolders()) std::filesystem::remove_all(folder, ignored);
    });
    return true;
  }();
  (void)cleanup;
  return folders;
}
}  // namespace

std::string scratchDir(const std::string& name) {
  namespace fs = std::filesystem;
  fs::path dir =
      fs::temp_directory_path() / ("zentrov-test-" + std::to_string(::getpid()) + "-" + name);
  fs::remove_all(dir);
  fs::create_directories(dir);
  scratchFolders().push_back(dir);
  return dir.string();
}

int runCommand(const std::string& command, std::string& output) {
  output.clear();
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return -1;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
  int status = ::pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace zentrov::test
