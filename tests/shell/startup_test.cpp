// Start-up and teardown: the named steps in order, and failing steps.

#include "shell/startup.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "support/fake_ports.h"

namespace zentrov::test {
namespace {

// Logs each platform step as "step NAME"; the step named `failAt` fails.
struct RecordingSteps : PlatformSteps {
  RecordingSteps(FakePorts& r, std::string f = "") : rig(r), failAt(std::move(f)) {}
  bool createMainWindow() override { return step("window"); }
  void initialNuvandGL() override { step("InitialNuvandGL"); }
  void createStatusBar() override { step("CreateStatusBar"); }
  void createToolBar() override { step("CreateToolBar"); }
  void getDC() override { step("GetDC"); }
  void getDeviceCaps() override { step("GetDeviceCaps"); }
  bool createDirectDraw() override { return step("CreateDirectDraw"); }
  bool createPalette() override { return step("CreatePalette"); }
  uint32_t createSurface(StepReporter& reporter) override {
    if (step("CreateSurface")) return 0;
    reporter.traceStep("SetupDirectDraw");
    reporter.setSetupFailed(1);
    return reporter.reportError("DD:SetCooperativeLevel");
  }
  uint32_t initialNGLDirectSound() override { return step("InitialNGLDirectSound") ? 0 : 1; }
  void prepareOpenFileDialog() override { step("prepareOpenFileDialog"); }
  void releasePalette() override { step("releasePalette"); }
  void releaseDirectDraw() override { step("releaseDirectDraw"); }
  void releaseSoundDevice() override { step("releaseSoundDevice"); }
  void releaseWindowDC() override { step("releaseWindowDC"); }
  void postQuit() override { step("postQuit"); }
  bool step(const std::string& name) { return rig.note("step", name), name != failAt; }
  FakePorts& rig;
  std::string failAt;
};

// The steps and boxes of a run: a step by its name, a trace box as [NAME],
// any other box as {caption: text}.
std::string stepsAndBoxes(const std::string& log) {
  const std::string trace = "message DRELLIX Debug: ";
  std::istringstream lines(log);
  std::string out;
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind(trace, 0) == 0)
      out += " [" + line.substr(trace.size()) + "]";
    else if (line.rfind("step ", 0) == 0)
      out += " " + line.substr(5);
    else if (line.rfind("message ", 0) == 0)
      out += " {" + line.substr(8) + "}";
  }
  return out;
}

TEST(StartUp, TracedStepsRunInOrderTheNamedFileOpensAndTeardownMirrorsThem) {
  FakePorts rig;
  Player& player = rig.player;
  player.updateRecentFiles = nullptr;  // start-up installs it
  player.shell.debugFlags = 0x11;      // bit 0: trace boxes
  FilmSpec spec;
  spec.samples = {videoSample(greyFrame(1), 0)};
  const std::string movie = player.shell.currentFileName =
      writeScratch("named.cpk", buildFilm(spec));
  RecordingSteps steps(rig);
  ASSERT_TRUE(initialApplication(player, steps));
  EXPECT_EQ(stepsAndBoxes(rig.log),
            " window [InitialNuvandGL] InitialNuvandGL [CreateStatusBar] CreateStatusBar"
            " [CreateToolBar] CreateToolBar [GetDC] GetDC [GetDeviceCaps] GetDeviceCaps"
            " [CreateDirectDraw] CreateDirectDraw [CreatePalette] CreatePalette [CreateSurface]"
            " CreateSurface [InitialNGLDirectSound] InitialNGLDirectSound [ResetTimer]"
            " [MallocMemory] [CheckRegistry] [UpdateMRUFile] prepareOpenFileDialog"
            " [WindowResize] [ResetToolStatusBar] [CommandLineCheck] [InitialComplete]");
  EXPECT_FALSE(player.playback.paused);  // the named movie plays
  EXPECT_EQ(player.shell.recentFiles[0], movie);
  // The movie is remembered first; the platform's objects go in order around
  // the buffers and the file.
  rig.log.clear();
  player.shell.recentFiles[0].clear();
  onDestroy(player, steps);
  EXPECT_EQ(rig.log.find("set " + std::string("Software\\NUVAND\\Zentrov|TlStBar 9\n")), 0u);
  EXPECT_EQ(stepsAndBoxes(rig.log),
            " releasePalette releaseDirectDraw releaseSoundDevice releaseWindowDC postQuit");
  EXPECT_EQ(player.shell.recentFiles[0], movie);
  EXPECT_FALSE(player.playback.fileHandle.isOpen());
  const WorkBuffers& b = player.buffers;
  EXPECT_FALSE(b.sampleTable || b.sampleBuffer || b.sectorBuffer || b.decodedFrame || b.pcmBuffer);
}

// A failing step shows its box (or none) and ends start-up: no step runs
// after it. `failAt` names a platform step, or "malloc N" for buffer N, of
// which those before it stay.
TEST(StartUp, FailingStepShowsItsBoxAndEndsStartUp) {
  const std::string platform =
      " window InitialNuvandGL CreateStatusBar CreateToolBar GetDC GetDeviceCaps"
      " CreateDirectDraw CreatePalette CreateSurface InitialNGLDirectSound";
  const std::string memory = " {DRELLIX Error: not enough memory(";
  std::vector<std::pair<std::string, std::string>> cases = {
      {"window", ""},
      {"CreateDirectDraw",
       " {DRELLIX Error: DirectDraw\xE3\x81\x8C\xE4\xBD\xBF\xE7\x94\xA8\xE3\x81\xA7\xE3\x81\x8D"
       "\xE3\x81\xBE\xE3\x81\x9B\xE3\x82\x93|00000001}"},
      {"CreatePalette", memory + "palette)|00000000}"},
      {"CreateSurface", " {DRELLIX Error: DD:SetCooperativeLevel|00000001}"},
      {"InitialNGLDirectSound", ""},
  };
  for (const char* buffer : {"stab", "buffer", "sector", "bitmap", "pcm"})
    cases.push_back(
        {"malloc " + std::to_string(cases.size() - 5), memory + buffer + ")|00000000}"});
  for (const auto& [failAt, box] : cases) {
    FakePorts rig;
    rig.player.buffers = WorkBuffers{};
    rig.log.clear();
    const bool malloc = failAt.rfind("malloc ", 0) == 0;
    const int buffer = malloc ? std::stoi(failAt.substr(7)) : 0;
    failNothrowAllocationIn(malloc ? buffer : -1);
    RecordingSteps steps(rig, failAt);
    EXPECT_FALSE(initialApplication(rig.player, steps)) << failAt;
    failNothrowAllocationIn(-1);
    EXPECT_EQ(
        stepsAndBoxes(rig.log),
        platform.substr(0, malloc ? std::string::npos : platform.find(failAt) + failAt.size()) +
            box);
    const WorkBuffers& b = rig.player.buffers;
    EXPECT_EQ(bool(b.sampleTable) + bool(b.sampleBuffer) + bool(b.sectorBuffer) +
                  bool(b.decodedFrame) + bool(b.pcmBuffer),
              buffer)
        << failAt;
  }
}

}  // namespace
}  // namespace zentrov::test
