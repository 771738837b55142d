#include "shell/startup.h"

#include <cstdio>
#include <new>

#include "playback/movie_open.h"
#include "playback/player.h"
#include "playback/transport.h"
#include "playback/window_layout.h"
#include "shell/recent_files.h"
#include "shell/tool_status_bar.h"

namespace zentrov {

const char* const kDebugCaption = "DRELLIX Debug";
const char* const kSetupErrorCaption = "DRELLIX Error";

namespace {

constexpr uint32_t kTraceFlag = 0x1;
constexpr size_t kMessageBytes = 256;

// "DirectDraw cannot be used."
const char* const kNoDirectDrawText =
    "DirectDraw\xE3\x81\x8C\xE4\xBD\xBF\xE7\x94\xA8\xE3\x81\xA7\xE3\x81\x8D\xE3\x81\xBE\xE3\x81"
    "\x9B\xE3\x82\x93";
const char* const kNoPaletteText = "not enough memory(palette)";

template <typename T>
bool allocate(std::unique_ptr<T[]>& buffer, size_t count) {
  if (!buffer) buffer.reset(new (std::nothrow) T[count]());
  return buffer != nullptr;
}

}  // namespace

void StepReporter::traceStep(const char* name) {
  if (player_.shell.debugFlags & kTraceFlag)
    player_.ports.controls.showMessage(name, kDebugCaption);
}

void StepReporter::setSetupFailed(uint32_t code) {
  player_.shell.setupFailed = code;
}

uint32_t StepReporter::reportError(const char* text) {
  char message[kMessageBytes];
  std::snprintf(message, sizeof message, "%s\n%08X", text, unsigned(player_.shell.setupFailed));
  player_.ports.controls.showMessage(message, kSetupErrorCaption);
  return player_.shell.setupFailed;
}

void attachShell(Player& player) {
  player.updateRecentFiles = &UpdateMRUFile;
}

const char* allocateWorkBuffers(WorkBuffers& buffers) {
  if (!buffers.sampleTable) buffers.sampleTable.reset(new (std::nothrow) SampleTable());
  if (!buffers.sampleTable) return "not enough memory(stab)";
  if (!allocate(buffers.sampleBuffer, kSampleBufferBytes)) return "not enough memory(buffer)";
  if (!allocate(buffers.sectorBuffer, kSectorBufferBytes)) return "not enough memory(sector)";
  if (!allocate(buffers.decodedFrame, kDecodedFramePixels)) return "not enough memory(bitmap)";
  if (!allocate(buffers.pcmBuffer, kPcmBufferBytes)) return "not enough memory(pcm)";
  return nullptr;
}

bool initialApplication(Player& player, PlatformSteps& steps) {
  StepReporter reporter(player);
  attachShell(player);
  if (!steps.createMainWindow()) return false;
  reporter.traceStep("InitialNuvandGL");
  steps.initialNuvandGL();
  reporter.traceStep("CreateStatusBar");
  steps.createStatusBar();
  reporter.traceStep("CreateToolBar");
  steps.createToolBar();
  reporter.traceStep("GetDC");
  steps.getDC();
  reporter.traceStep("GetDeviceCaps");
  steps.getDeviceCaps();

  reporter.traceStep("CreateDirectDraw");
  const bool directDraw = steps.createDirectDraw();
  reporter.setSetupFailed(directDraw ? 0 : 1);
  if (!directDraw) {
    reporter.reportError(kNoDirectDrawText);
    return false;
  }
  reporter.traceStep("CreatePalette");
  if (!steps.createPalette()) {
    reporter.reportError(kNoPaletteText);
    return false;
  }
  reporter.traceStep("CreateSurface");
  if (steps.createSurface(reporter) != 0) return false;
  reporter.traceStep("InitialNGLDirectSound");
  const uint32_t sound = steps.initialNGLDirectSound();
  reporter.setSetupFailed(sound);
  if (sound != 0) return false;

  reporter.traceStep("ResetTimer");
  selectFrameRate(player, FrameRateMode::Normal);
  reporter.traceStep("MallocMemory");
  if (const char* failed = allocateWorkBuffers(player.buffers)) {
    reporter.reportError(failed);
    return false;
  }
  reporter.traceStep("CheckRegistry");
  CheckRegistry(player);
  reporter.traceStep("UpdateMRUFile");
  UpdateMRUFile(player);
  steps.prepareOpenFileDialog();
  reporter.traceStep("WindowResize");
  windowResize(player);
  reporter.traceStep("ResetToolStatusBar");
  ResetToolStatusBar(player);
  reporter.traceStep("CommandLineCheck");
  if (!player.shell.currentFileName.empty()) openMovie(player, OpenRequest::fromStart());
  reporter.traceStep("InitialComplete");
  return true;
}

void onDestroy(Player& player, PlatformSteps& steps) {
  rememberCurrentFile(player);
  steps.releasePalette();
  steps.releaseDirectDraw();
  steps.releaseSoundDevice();
  WorkBuffers& buffers = player.buffers;
  buffers.sampleTable.reset();
  buffers.sampleBuffer.reset();
  buffers.sectorBuffer.reset();
  buffers.decodedFrame.reset();
  buffers.pcmBuffer.reset();
  player.playback.fileHandle.close();
  steps.releaseWindowDC();
  steps.postQuit();
}

}  // namespace zentrov
