// Start-up and teardown: the named steps in their order with their trace
// boxes, what each failing step shows and that nothing runs after it, the
// file named on the command line, and the teardown's order.

#include "shell/startup.h"

#include <gtest/gtest.h>

#include <new>
#include <string>
#include <vector>

#include "playback/player.h"
#include "support/playback_movies.h"
#include "support/recording_ports.h"

namespace {
// Makes the nothrow allocation this many nothrow allocations from now fail;
// -1: none fails. Memory still comes from the ordinary operator new, so the
// ordinary delete frees it.
int gFailNothrowIn = -1;

bool nothrowFails() {
  if (gFailNothrowIn < 0) return false;
  return gFailNothrowIn-- == 0;
}
}  // namespace

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  if (nothrowFails()) return nullptr;
  try {
    return ::operator new(size);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  if (nothrowFails()) return nullptr;
  try {
    return ::operator new[](size);
  } catch (...) {
    return nullptr;
  }
}

namespace zentrov::test {
namespace {

using Lines = std::vector<std::string>;

// Logs each platform step as "steps.NAME" into the rig's log; the step named
// by failAt fails as a host's would.
class RecordingSteps : public PlatformSteps {
 public:
  explicit RecordingSteps(CallLog& log) : log_(log) {}
  std::string failAt;

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

 private:
  bool step(const std::string& name) {
    log_.push_back("steps." + name);
    return name != failAt;
  }
  CallLog& log_;
};

// The steps and the boxes of a run: "steps.X" as logged, a trace box as its
// step name, any other box as "caption: text".
Lines stepsAndBoxes(const CallLog& log) {
  const std::string trace = "controls.message DRELLIX Debug: ";
  Lines out;
  for (const std::string& line : log) {
    if (line.rfind(trace, 0) == 0)
      out.push_back(line.substr(trace.size()));
    else if (line.rfind("steps.", 0) == 0)
      out.push_back(line);
    else if (line.rfind("controls.message ", 0) == 0)
      out.push_back(line.substr(17));
  }
  return out;
}

TEST(StartUp, TracedStepsRunInOrderAndTheNamedFileOpens) {
  FakeRig rig;
  RecordingSteps steps(rig.log);
  Player& player = rig.player;
  player.updateRecentFiles = nullptr;  // start-up installs it
  player.shell.debugFlags = 0x11;      // bit 0: trace boxes
  const std::string movie = writeMovie("StartUp.NamedFile", pacedSoundMovie());
  player.shell.currentFileName = movie;

  ASSERT_TRUE(initialApplication(player, steps));
  const Lines expected = {
      "steps.window",
      "InitialNuvandGL",
      "steps.InitialNuvandGL",
      "CreateStatusBar",
      "steps.CreateStatusBar",
      "CreateToolBar",
      "steps.CreateToolBar",
      "GetDC",
      "steps.GetDC",
      "GetDeviceCaps",
      "steps.GetDeviceCaps",
      "CreateDirectDraw",
      "steps.CreateDirectDraw",
      "CreatePalette",
      "steps.CreatePalette",
      "CreateSurface",
      "steps.CreateSurface",
      "InitialNGLDirectSound",
      "steps.InitialNGLDirectSound",
      "ResetTimer",
      "MallocMemory",
      "CheckRegistry",
      "UpdateMRUFile",
      "steps.prepareOpenFileDialog",
      "WindowResize",
      "ResetToolStatusBar",
      "CommandLineCheck",
      "InitialComplete",
  };
  EXPECT_EQ(stepsAndBoxes(rig.log), expected);
  EXPECT_FALSE(player.playback.paused);  // the named movie plays
  EXPECT_EQ(player.shell.recentFiles[0], movie);
  EXPECT_TRUE(rig.controls.menuChecked[40006]);                   // frame rate Normal
  EXPECT_TRUE(rig.controls.menuChecked[40010]);                   // x1
  EXPECT_TRUE(rig.bars.toolbarShown && rig.bars.statusBarShown);  // nothing stored: 9

  // Teardown: the movie is remembered first, the platform's objects go in
  // order around the buffers and the file.
  rig.log.clear();
  player.shell.recentFiles[0].clear();
  onDestroy(player, steps);
  const Lines released = {"steps.releasePalette", "steps.releaseDirectDraw",
                          "steps.releaseSoundDevice", "steps.releaseWindowDC", "steps.postQuit"};
  EXPECT_EQ(stepsAndBoxes(rig.log), released);
  EXPECT_EQ(rig.log.front(), "settings.dword Software\\NUVAND\\Zentrov|TlStBar 9");
  EXPECT_EQ(player.shell.recentFiles[0], movie);
  EXPECT_FALSE(player.playback.fileHandle.isOpen());
  EXPECT_FALSE(player.buffers.sampleTable || player.buffers.sampleBuffer ||
               player.buffers.sectorBuffer || player.buffers.decodedFrame ||
               player.buffers.pcmBuffer);
}

// A failing step shows its box (or none), ends start-up, and no step after
// it runs. `failAt` names a platform step, or "malloc N" for buffer N.
TEST(StartUp, FailingStepShowsItsBoxAndEndsStartUp) {
  const std::string noDirectDraw =
      "DirectDraw\xE3\x81\x8C\xE4\xBD\xBF\xE7\x94\xA8\xE3\x81\xA7\xE3\x81\x8D\xE3\x81\xBE\xE3\x81"
      "\x9B\xE3\x82\x93";
  const std::string kLastPlatformStep = "steps.InitialNGLDirectSound";
  const struct {
    std::string failAt;
    std::string box;  // "" when start-up ends silently
    std::string lastStep;
  } cases[] = {
      {"window", "", "steps.window"},
      {"CreateDirectDraw", "DRELLIX Error: " + noDirectDraw + "\n00000001",
       "steps.CreateDirectDraw"},
      {"CreatePalette", "DRELLIX Error: not enough memory(palette)\n00000000",
       "steps.CreatePalette"},
      {"CreateSurface", "DRELLIX Error: DD:SetCooperativeLevel\n00000001", "steps.CreateSurface"},
      {"InitialNGLDirectSound", "", "steps.InitialNGLDirectSound"},
      {"malloc 0", "DRELLIX Error: not enough memory(stab)\n00000000", kLastPlatformStep},
      {"malloc 1", "DRELLIX Error: not enough memory(buffer)\n00000000", kLastPlatformStep},
      {"malloc 2", "DRELLIX Error: not enough memory(sector)\n00000000", kLastPlatformStep},
      {"malloc 3", "DRELLIX Error: not enough memory(bitmap)\n00000000", kLastPlatformStep},
      {"malloc 4", "DRELLIX Error: not enough memory(pcm)\n00000000", kLastPlatformStep},
  };
  for (const auto& c : cases) {
    FakeRig rig;
    rig.player.buffers = WorkBuffers{};
    RecordingSteps steps(rig.log);
    const bool malloc = c.failAt.rfind("malloc ", 0) == 0;
    if (malloc) gFailNothrowIn = std::stoi(c.failAt.substr(7));
    steps.failAt = c.failAt;
    EXPECT_FALSE(initialApplication(rig.player, steps)) << c.failAt;
    gFailNothrowIn = -1;

    Lines seen = stepsAndBoxes(rig.log);
    if (!c.box.empty()) {
      ASSERT_FALSE(seen.empty()) << c.failAt;
      EXPECT_EQ(seen.back(), c.box) << c.failAt;
      seen.pop_back();
    }
    ASSERT_FALSE(seen.empty()) << c.failAt;
    EXPECT_EQ(seen.back(), c.lastStep) << c.failAt;
    if (malloc) {
      const int failed = std::stoi(c.failAt.substr(7));
      const WorkBuffers& b = rig.player.buffers;
      const bool present[] = {bool(b.sampleTable), bool(b.sampleBuffer), bool(b.sectorBuffer),
                              bool(b.decodedFrame), bool(b.pcmBuffer)};
      for (int i = 0; i < 5; ++i) EXPECT_EQ(present[i], i < failed) << c.failAt << " buffer " << i;
    }
  }
}

}  // namespace
}  // namespace zentrov::test
