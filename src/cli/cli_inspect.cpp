// zentrov-cli info, table and headers: what the Property and Search header
// dialogs show, as text for scripts.

#include <cstdio>

#include "cli/cli_command.h"
#include "cli/cli_open.h"
#include "film/header_scan.h"
#include "film/property_text.h"
#include "playback/movie_open.h"

namespace zentrov::cli {

namespace {

// Parses FILE [--header N] and opens the movie; returns an exit code.
int openFromArgs(const char* command, const std::vector<std::string>& args, HeadlessHost& host) {
  ParsedArgs parsed;
  std::string error;
  if (!parseArgs(args, {"header"}, {}, parsed, error)) return usageError(command, error);
  if (parsed.positional.size() != 1) return usageError(command, "expected one FILE");
  return openForCli(host, parsed.positional[0], parsed.value("header"));
}

int runInfo(const std::vector<std::string>& args) {
  HeadlessHost host;
  if (int rc = openFromArgs("info", args, host)) return rc;
  const PropertyView view(host.player.stream, host.player.table());
  const PropertyValues& v = view.values();
  std::printf("Frame size: %s\n", v.frameSize.c_str());
  std::printf("Total frame: %s\n", v.totalFrame.c_str());
  std::printf("Frame rate base: %s\n", v.frameRateBase.c_str());
  std::printf("Audio ch.: %s\n", v.audioChannels.c_str());
  std::printf("PCM bit: %s\n", v.pcmBits.c_str());
  std::printf("PCM frequency: %s\n", v.pcmFrequency.c_str());
  std::printf("PCM format: %s\n", v.pcmFormat.c_str());
  return kExitOk;
}

int runTable(const std::vector<std::string>& args) {
  HeadlessHost host;
  if (int rc = openFromArgs("table", args, host)) return rc;
  const PropertyView view(host.player.stream, host.player.table());
  std::printf("Block\tAbsTime\tDspTime\tKey\n");
  for (int i = 0; i < view.rowCount(); ++i) {
    const auto row = view.row(i);
    std::printf("%s\t%s\t%s\t%s\n", row[0].c_str(), row[1].c_str(), row[2].c_str(), row[3].c_str());
  }
  return kExitOk;
}

int runHeaders(const std::vector<std::string>& args) {
  ParsedArgs parsed;
  std::string error;
  if (!parseArgs(args, {}, {}, parsed, error)) return usageError("headers", error);
  if (parsed.positional.size() != 1) return usageError("headers", "expected one FILE");
  MovieFile file;
  if (!file.open(parsed.positional[0])) {
    std::fprintf(stderr, "%s\n", kFileNotFoundText);
    return kExitFileNotFound;
  }
  static uint8_t sector[kSectorBufferBytes];
  static HeaderOffsetTable table;
  const int found = scanHeaders(file, sector, table);
  for (int i = 0; i < found; ++i) std::printf("%s\n", headerLine(i, table.offsets[i]).c_str());
  return kExitOk;
}

}  // namespace

ZENTROV_CLI_COMMAND("info", "info FILE [--header N]",
                    "the stream description, as the Property dialog shows it", runInfo);
ZENTROV_CLI_COMMAND("table", "table FILE [--header N]",
                    "the sample table, one tab-separated row per entry", runTable);
ZENTROV_CLI_COMMAND("headers", "headers FILE",
                    "the FILM headers found by the header scan, \"N = offset\"", runHeaders);

}  // namespace zentrov::cli
