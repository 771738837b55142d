#include "web_ports.h"

#include <emscripten.h>

#include <cstdlib>
#include <cstring>

#include "film/film_format.h"
#include "playback/command_ids.h"
#include "shell/about_info.h"

// The page's script: Module.host is the element's controller (player.js).
// clang-format off
EM_JS(uint32_t, zt_js_sound_cursor, (), { return Module.host.soundCursor(); });
EM_JS(void, zt_js_sound_write, (uint32_t offset, const uint8_t* data, uint32_t bytes), {
  Module.host.soundWrite(offset, HEAPU8.slice(data, data + bytes));
});
EM_JS(void, zt_js_sound, (const char* what, int32_t value), {
  Module.host.soundControl(UTF8ToString(what), value);
});
EM_JS(void, zt_js_present, (const uint32_t* pixels, int32_t width, int32_t height,
                            int32_t frameWidth, int32_t frameHeight), {
  Module.host.present(pixels, width, height, frameWidth, frameHeight);
});
EM_JS(void, zt_js_layout, (int32_t zoom, int32_t frameWidth, int32_t frameHeight,
                           int32_t displayWidth, int32_t displayHeight), {
  Module.host.layout(zoom, frameWidth, frameHeight, displayWidth, displayHeight);
});
EM_JS(void, zt_js_full_screen, (int on), { Module.host.fullScreen(!!on); });
EM_JS(void, zt_js_status, (int part, const char* text), {
  Module.host.statusText(part, UTF8ToString(text));
});
EM_JS(void, zt_js_menu_state, (int id, int state), { Module.host.menuState(id, state); });
EM_JS(void, zt_js_menu_check, (int id, int on), { Module.host.menuCheck(id, !!on); });
EM_JS(void, zt_js_button_enable, (int id, int on), { Module.host.buttonEnable(id, !!on); });
EM_JS(void, zt_js_button_check, (int id, int on), { Module.host.buttonCheck(id, !!on); });
EM_JS(void, zt_js_recent, (const char* lines), { Module.host.recentItems(UTF8ToString(lines)); });
EM_JS(void, zt_js_message, (const char* text, const char* caption), {
  Module.host.message(UTF8ToString(text), UTF8ToString(caption));
});
EM_JS(void, zt_js_title, (const char* title), { Module.host.title(UTF8ToString(title)); });
EM_JS(void, zt_js_close, (), { Module.host.closeWindow(); });
EM_JS(void, zt_js_bar, (const char* what, int on), { Module.host.bar(UTF8ToString(what), !!on); });
EM_JS(int32_t, zt_js_measure, (const char* which), {
  return Module.host.measure(UTF8ToString(which));
});
EM_JS(int, zt_js_setting_read, (const char* key, const char* name, int type, uint32_t* dword), {
  var v = Module.host.readSetting(UTF8ToString(key), UTF8ToString(name));
  if (type === 0) {
    if (typeof v !== 'number') return 0;
    HEAPU32[dword >> 2] = v >>> 0;
    return 1;
  }
  if (typeof v !== 'string') return 0;
  var bytes = lengthBytesUTF8(v) + 1;
  var p = _malloc(bytes);
  stringToUTF8(v, p, bytes);
  return p;
});
EM_JS(int, zt_js_setting_write, (const char* key, const char* name, int type, uint32_t dword,
                                 const char* text), {
  return Module.host.writeSetting(UTF8ToString(key), UTF8ToString(name),
                                  type === 0 ? dword >>> 0 : UTF8ToString(text)) ? 1 : 0;
});
EM_JS(void, zt_js_choose_file, (), { Module.host.chooseFile(); });
EM_JS(void, zt_js_about, (const char* version, int mmx, int threeDNow), {
  Module.host.about(UTF8ToString(version), !!mmx, !!threeDNow);
});
EM_JS(void, zt_js_property, (const char* values, int rows), {
  Module.host.property(UTF8ToString(values).split('\n'), rows);
});
EM_JS(void, zt_js_search, (), { Module.host.searchHeader(); });
EM_JS(void, zt_js_home_page, (const char* address), { Module.host.homePage(UTF8ToString(address)); });
EM_JS(void, zt_js_clipboard, (const uint8_t* dib, uint32_t bytes), {
  Module.host.clipboard(HEAPU8.slice(dib, dib + bytes));
});
// clang-format on

namespace zentrov::web {

namespace {

// The version block the About dialog reads its number from: the fixed file
// information with file version 2.4.0.0, as the Windows player's resource.
std::vector<uint8_t> versionResource() {
  const uint32_t words[] = {0x00000000u, 0xFEEF04BDu, 0x00010000u, 0x00020004u, 0x00000000u};
  std::vector<uint8_t> bytes;
  for (uint32_t w : words)
    for (int i = 0; i < 4; ++i) bytes.push_back(uint8_t(w >> (8 * i)));
  return bytes;
}

}  // namespace

uint32_t WebSoundRing::playCursor() {
  return zt_js_sound_cursor() & kRingMask;
}

bool WebSoundRing::write(uint32_t offset, const uint8_t* data, uint32_t bytes) {
  if (bytes > kRingBytes) {
    // Only the last turn of the ring would stay.
    data += bytes - kRingBytes;
    offset = (offset + (bytes - kRingBytes)) & kRingMask;
    bytes = kRingBytes;
  }
  if (bytes) zt_js_sound_write(offset & kRingMask, data, bytes);
  return true;
}

void WebSoundRing::clear() {
  zt_js_sound("clear", 0);
}
void WebSoundRing::setPosition(uint32_t offset) {
  zt_js_sound("position", int32_t(offset & kRingMask));
}
void WebSoundRing::setPan(int32_t pan) {
  zt_js_sound("pan", pan);
}
void WebSoundRing::setVolume(int32_t volume) {
  zt_js_sound("volume", volume);
}
void WebSoundRing::setFrequency(uint32_t hz) {
  zt_js_sound("frequency", int32_t(hz));
}
void WebSoundRing::playLooping() {
  zt_js_sound("play", 0);
}
void WebSoundRing::stop() {
  zt_js_sound("stop", 0);
}

WebFrameOutput::WebFrameOutput() {
  for (Surface& s : surfaces_) s.pixels.reset(new uint32_t[kDecodedFramePixels]());
}

void WebFrameOutput::clearBackSurfaces() {
  for (Surface& s : surfaces_) s.width = s.height = 0;
}

// DecodedFrame pixels are blue, green, red, unused; the canvas takes red,
// green, blue, alpha, and every pixel is opaque.
bool WebFrameOutput::convertToNextBackSurface(const uint32_t* frame, int32_t width,
                                              int32_t height) {
  backIndex_ ^= 1;
  Surface& s = surfaces_[backIndex_];
  if (width <= 0 || height <= 0 || int64_t(width) * height > kDecodedFramePixels) {
    s.width = s.height = 0;
    return true;
  }
  const int32_t count = width * height;
  uint32_t* out = s.pixels.get();
  for (int32_t i = 0; i < count; ++i) {
    const uint32_t p = frame[i];
    out[i] = 0xFF000000u | ((p & 0xFFu) << 16) | (p & 0xFF00u) | ((p >> 16) & 0xFFu);
  }
  s.width = width;
  s.height = height;
  return true;
}

void WebFrameOutput::present() {
  const Surface& s = surfaces_[backIndex_];
  zt_js_present(s.pixels.get(), s.width, s.height, layout_.frameWidth, layout_.frameHeight);
}

void WebFrameOutput::resizeWindow(const WindowLayout& layout) {
  layout_ = layout;
  zt_js_layout(int32_t(layout.zoom), layout.frameWidth, layout.frameHeight, layout.displayWidth,
               layout.displayHeight);
}

void WebFrameOutput::enterFullScreen(const WindowLayout& layout) {
  layout_ = layout;
  zt_js_full_screen(1);
}

void WebFrameOutput::leaveFullScreen() {
  zt_js_full_screen(0);
}

void WebControls::setStatusText(int part, const char* text) {
  zt_js_status(part, text ? text : "");
}
void WebControls::setMenuItemState(int id, MenuState state) {
  zt_js_menu_state(id, int(state));
}
void WebControls::checkMenuItem(int id, bool checked) {
  zt_js_menu_check(id, checked);
}
void WebControls::enableButton(int id, bool enabled) {
  zt_js_button_enable(id, enabled);
}
void WebControls::checkButton(int id, bool checked) {
  zt_js_button_check(id, checked);
}

void WebControls::setRecentFileItems(const std::vector<RecentFileItem>& items) {
  std::string lines;
  for (const RecentFileItem& item : items)
    lines += std::to_string(item.id) + "\t" + item.label + "\n";
  zt_js_recent(lines.c_str());
}

void WebControls::showMessage(const std::string& text, const std::string& caption) {
  zt_js_message(text.c_str(), caption.c_str());
}

void WebControls::setWindowTitle(const std::string& title) {
  zt_js_title(title.c_str());
}
void WebControls::closeWindow() {
  zt_js_close();
}

void WebBars::setToolbarFlat(bool flat) {
  zt_js_bar("flat", flat);
}
void WebBars::setToolbarLabels(bool on) {
  zt_js_bar("labels", on);
}
void WebBars::showToolbar(bool shown) {
  zt_js_bar("toolbar", shown);
}
void WebBars::showStatusBar(bool shown) {
  zt_js_bar("status", shown);
}
int32_t WebBars::measureToolbar() {
  return zt_js_measure("toolbar");
}
int32_t WebBars::measureStatusBar() {
  return zt_js_measure("status");
}

bool WebSettings::readDword(const std::string& key, const std::string& name, uint32_t& value) {
  return zt_js_setting_read(key.c_str(), name.c_str(), 0, &value) != 0;
}

bool WebSettings::readString(const std::string& key, const std::string& name, std::string& value) {
  char* text = reinterpret_cast<char*>(zt_js_setting_read(key.c_str(), name.c_str(), 1, nullptr));
  if (!text) return false;
  value = text;
  std::free(text);
  return true;
}

bool WebSettings::writeDword(const std::string& key, const std::string& name, uint32_t value) {
  return zt_js_setting_write(key.c_str(), name.c_str(), 0, value, "") != 0;
}

bool WebSettings::writeString(const std::string& key, const std::string& name,
                              const std::string& value) {
  return zt_js_setting_write(key.c_str(), name.c_str(), 1, 0, value.c_str()) != 0;
}

bool WebDialogs::chooseMovieFile(std::string&) {
  zt_js_choose_file();
  return false;
}

void WebDialogs::showAbout() {
  const std::vector<uint8_t> resource = versionResource();
  // A page cannot ask the processor for CPUID: neither box is checked.
  const ProcessorFeatures features = processorFeatures(false, nullptr);
  zt_js_about(versionText(resource.data(), resource.size()).c_str(), features.mmxSupported,
              features.threeDNowSupported);
}

void WebDialogs::showProperty(const PropertyView& view) {
  property_.emplace(view);
  const PropertyValues& v = view.values();
  const std::string values = v.frameSize + "\n" + v.totalFrame + "\n" + v.frameRateBase + "\n" +
                             v.audioChannels + "\n" + v.pcmBits + "\n" + v.pcmFrequency + "\n" +
                             v.pcmFormat;
  zt_js_property(values.c_str(), view.rowCount());
}

int WebDialogs::searchHeader(HeaderSearch&) {
  search_ = std::make_unique<HeaderSearch>(player_);
  zt_js_search();
  return kHeaderSearchCancelled;
}

void WebDialogs::openHomePage(const std::string& address) {
  zt_js_home_page(address.c_str());
}

void WebDialogs::copyToClipboard(const std::vector<uint8_t>& dib) {
  zt_js_clipboard(dib.data(), uint32_t(dib.size()));
}

WebPlayer::WebPlayer() : player_(Ports{sound_, frames_, controls_, settings_, dialogs_, &bars_}) {}

bool WebPlayer::start() {
  player_.shell.programPath = "zentrov.html";
  return initialApplication(player_, *this);
}

void WebPlayer::releaseSoundDevice() {
  zt_js_sound("release", 0);
}

}  // namespace zentrov::web
