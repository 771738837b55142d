#include "player_run.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "support/cinepak_encoder.h"

namespace zentrov::win32::test {
namespace {

using zentrov::test::audioSample;
using zentrov::test::buildFilm;
using zentrov::test::patternCinepakFrame;
using zentrov::test::videoSample;

constexpr uint32_t kRate = 44100;

double now() {
  LARGE_INTEGER frequency, counter;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Stereo stored as two halves, each big-endian 16-bit.
std::vector<uint8_t> tone(uint32_t firstFrame, uint32_t frames) {
  std::vector<uint8_t> half;
  for (uint32_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(firstFrame + i) / kRate;
    const auto value = static_cast<int16_t>(6000.0 * std::sin(2.0 * 3.14159265358979 * 440.0 * t));
    half.push_back(static_cast<uint8_t>(static_cast<uint16_t>(value) >> 8));
    half.push_back(static_cast<uint8_t>(value));
  }
  std::vector<uint8_t> both = half;
  both.insert(both.end(), half.begin(), half.end());
  return both;
}

}  // namespace

FilmSpec tonedMovie(int frames, double secondsApart, uint16_t width, uint16_t height) {
  FilmSpec spec;
  spec.width = width;
  spec.height = height;
  spec.audioChannels = 2;
  spec.audioBits = 16;
  spec.sampleRate = kRate << 16;
  spec.timeBase = static_cast<int32_t>(kRate);
  const auto apart = static_cast<uint32_t>(secondsApart * kRate);
  const uint32_t lead = kRate / 4;
  uint32_t written = 0;
  for (int k = 0; k < frames; ++k) {
    const uint32_t stamp = static_cast<uint32_t>(k) * apart;
    const uint32_t until = stamp + lead;
    while (written < until) {
      const uint32_t count = std::min(until - written, kRate / 8);
      spec.samples.push_back(audioSample(tone(written, count)));
      written += count;
    }
    spec.samples.push_back(videoSample(
        patternCinepakFrame(width, height, static_cast<uint32_t>(k) + 1).encode(), stamp));
  }
  return spec;
}

std::string writeMovie(const std::string& name, const FilmSpec& spec) {
  char folder[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, folder);
  const std::string path = std::string(folder) + name;
  const std::vector<uint8_t> bytes = buildFilm(spec);
  if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
  }
  return path;
}

void deleteSettings() {
  RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey);
}

PlayerRun::PlayerRun(const std::string& commandLine) {
  deleteSettings();
  started = host.start(commandLine.c_str());
}

PlayerRun::~PlayerRun() {
  if (started && !quit) close();
}

bool PlayerRun::runUntil(const std::function<bool()>& done, int timeoutMs) {
  const double end = now() + timeoutMs / 1000.0;
  while (!quit && now() < end) {
    if (done()) return true;
    quit = !host.turn(exitCode);
  }
  return done();
}

void PlayerRun::runFor(int ms) {
  runUntil([] { return false; }, ms);
}

int PlayerRun::close() {
  if (IsWindow(host.window())) DestroyWindow(host.window());
  runUntil([this] { return quit; });
  return exitCode;
}

std::wstring PlayerRun::statusText(int part) const {
  wchar_t text[256] = {};
  HWND bar = host.bars().statusBar();
  if (bar)
    SendMessageW(bar, SB_GETTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text));
  return text;
}

std::wstring PlayerRun::title() const {
  wchar_t text[300] = {};
  GetWindowTextW(host.window(), text, 300);
  return text;
}

SIZE PlayerRun::clientSize() const {
  RECT client{};
  GetClientRect(host.window(), &client);
  return SIZE{client.right, client.bottom};
}

}  // namespace zentrov::win32::test
