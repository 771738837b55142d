#include "support/recording_ports.h"

#include <algorithm>
#include <cstring>

#include "film/property_text.h"
#include "playback/header_search.h"
#include "shell/startup.h"

namespace zentrov::test {

namespace {
const char* menuStateName(MenuState s) {
  switch (s) {
    case MenuState::Enabled: return "enabled";
    case MenuState::Disabled: return "disabled";
    case MenuState::Grayed: return "grayed";
  }
  return "?";
}
}  // namespace

bool FakeSoundRing::write(uint32_t offset, const uint8_t* data, uint32_t bytes) {
  log_.push_back("sound.write " + std::to_string(offset) + " " + std::to_string(bytes));
  if (failWrites) return false;
  for (uint32_t i = 0; i < bytes; ++i) ring[(offset + i) & kRingMask] = data[i];
  return true;
}
void FakeSoundRing::clear() {
  log_.push_back("sound.clear");
  std::fill(ring.begin(), ring.end(), 0);
}
void FakeSoundRing::setPosition(uint32_t offset) {
  log_.push_back("sound.position " + std::to_string(offset));
  cursor = offset;
}
void FakeSoundRing::setPan(int32_t p) {
  log_.push_back("sound.pan " + std::to_string(p));
  pan = p;
}
void FakeSoundRing::setVolume(int32_t v) {
  log_.push_back("sound.volume " + std::to_string(v));
  volume = v;
}
void FakeSoundRing::setFrequency(uint32_t hz) {
  log_.push_back("sound.frequency " + std::to_string(hz));
  frequency = hz;
}
void FakeSoundRing::playLooping() {
  log_.push_back("sound.play");
  playing = true;
}
void FakeSoundRing::stop() {
  log_.push_back("sound.stop");
  playing = false;
}

void FakeFrameOutput::clearBackSurfaces() {
  log_.push_back("frames.clear");
  surfaces[0].assign(surfaces[0].size(), 0);
  surfaces[1].assign(surfaces[1].size(), 0);
}
bool FakeFrameOutput::convertToNextBackSurface(const uint32_t* frame, int32_t width,
                                               int32_t height) {
  backIndex ^= 1;
  log_.push_back("frames.convert " + std::to_string(backIndex));
  if (failLock) return false;
  surfaces[backIndex].assign(frame, frame + size_t(width) * size_t(height));
  return true;
}
void FakeFrameOutput::present() {
  log_.push_back("frames.present " + std::to_string(backIndex));
  ++presents;
}
void FakeFrameOutput::resizeWindow(const WindowLayout& l) {
  log_.push_back("frames.resize " + std::to_string(l.frameWidth) + "x" +
                 std::to_string(l.frameHeight) + " x" + std::to_string(int(l.zoom)));
  layout = l;
}

void FakeFrameOutput::enterFullScreen(const WindowLayout& l) {
  log_.push_back("frames.fullscreen 1");
  layout = l;
  fullScreen = true;
}
void FakeFrameOutput::leaveFullScreen() {
  log_.push_back("frames.fullscreen 0");
  fullScreen = false;
}

void FakeControls::setStatusText(int part, const char* text) {
  log_.push_back("controls.status " + std::to_string(part) + " " + text);
  status[part] = text;
}
void FakeControls::setMenuItemState(int id, MenuState state) {
  log_.push_back("controls.menu " + std::to_string(id) + " " + menuStateName(state));
  menuState[id] = state;
}
void FakeControls::checkMenuItem(int id, bool checked) {
  log_.push_back("controls.menucheck " + std::to_string(id) + " " + (checked ? "1" : "0"));
  menuChecked[id] = checked;
}
void FakeControls::enableButton(int id, bool enabled) {
  log_.push_back("controls.button " + std::to_string(id) + " " + (enabled ? "1" : "0"));
  buttonEnabled[id] = enabled;
}
void FakeControls::checkButton(int id, bool checked) {
  log_.push_back("controls.buttoncheck " + std::to_string(id) + " " + (checked ? "1" : "0"));
  buttonChecked[id] = checked;
}
void FakeControls::setRecentFileItems(const std::vector<RecentFileItem>& items) {
  log_.push_back("controls.recent " + std::to_string(items.size()));
  recentItems = items;
}
void FakeControls::showMessage(const std::string& text, const std::string& caption) {
  log_.push_back("controls.message " + caption + ": " + text);
  messages.emplace_back(text, caption);
}
void FakeControls::setWindowTitle(const std::string& t) {
  log_.push_back("controls.title " + t);
  title = t;
}

void FakeControls::closeWindow() {
  log_.push_back("controls.closewindow");
  windowClosed = true;
}

void FakeToolStatusBars::setToolbarFlat(bool f) {
  log_.push_back(std::string("bars.flat ") + (f ? "1" : "0"));
  flat = f;
}
void FakeToolStatusBars::setToolbarLabels(bool on) {
  log_.push_back(std::string("bars.labels ") + (on ? "1" : "0"));
  labels = on;
}
void FakeToolStatusBars::showToolbar(bool shown) {
  log_.push_back(std::string("bars.toolbar ") + (shown ? "1" : "0"));
  toolbarShown = shown;
}
void FakeToolStatusBars::showStatusBar(bool shown) {
  log_.push_back(std::string("bars.statusbar ") + (shown ? "1" : "0"));
  statusBarShown = shown;
}
int32_t FakeToolStatusBars::measureToolbar() {
  if (!toolbarShown) return 0;
  return labels ? labelledToolbarHeight : toolbarHeight;
}
int32_t FakeToolStatusBars::measureStatusBar() { return statusBarShown ? statusBarHeight : 0; }

bool FakeSettings::readDword(const std::string& key, const std::string& name, uint32_t& value) {
  auto it = dwords.find(key + "|" + name);
  if (it == dwords.end()) return false;
  value = it->second;
  return true;
}
bool FakeSettings::readString(const std::string& key, const std::string& name,
                              std::string& value) {
  auto it = strings.find(key + "|" + name);
  if (it == strings.end()) return false;
  value = it->second;
  return true;
}
bool FakeSettings::writeDword(const std::string& key, const std::string& name, uint32_t value) {
  log_.push_back("settings.dword " + key + "|" + name + " " + std::to_string(value));
  if (failWrites) return false;
  dwords[key + "|" + name] = value;
  return true;
}
bool FakeSettings::writeString(const std::string& key, const std::string& name,
                               const std::string& value) {
  log_.push_back("settings.string " + key + "|" + name + " " + value);
  if (failWrites) return false;
  strings[key + "|" + name] = value;
  return true;
}

bool FakeDialogs::chooseMovieFile(std::string& path) {
  log_.push_back("dialogs.open");
  if (nextChoice.empty()) return false;
  path = nextChoice;
  return true;
}
void FakeDialogs::showAbout() { log_.push_back("dialogs.about"); }
void FakeDialogs::showProperty(const PropertyView& view) {
  log_.push_back("dialogs.property");
  const PropertyValues& v = view.values();
  propertyValues = {v.frameSize,     v.totalFrame,   v.frameRateBase, v.audioChannels,
                    v.pcmBits,       v.pcmFrequency, v.pcmFormat};
}
int FakeDialogs::searchHeader(HeaderSearch& search) {
  log_.push_back("dialogs.search");
  return searchLine < 0 ? search.cancel() : search.choose(searchLine);
}
void FakeDialogs::openHomePage(const std::string& address) {
  log_.push_back("dialogs.homepage " + address);
}
void FakeDialogs::copyToClipboard(const std::vector<uint8_t>& dib) {
  log_.push_back("dialogs.clipboard " + std::to_string(dib.size()));
  clipboard = dib;
}

FakeRig::FakeRig() : player(Ports{sound, frames, controls, settings, dialogs, &bars}) {
  allocateWorkBuffers(player.buffers);
  attachShell(player);
}

}  // namespace zentrov::test
