#include "support/fake_ports.h"

#include <algorithm>
#include <new>

#include "film/property_text.h"
#include "headless/null_ports.h"
#include "playback/header_search.h"
#include "playback/playback_tick.h"
#include "shell/startup.h"

namespace {
bool gCounting = false;
size_t gCount = 0;
int gFailNothrowIn = -1;

void* allocate(std::size_t size, bool nothrow) {
  gCount += gCounting;
  if (nothrow && gFailNothrowIn >= 0 && gFailNothrowIn-- == 0) return nullptr;
  if (void* p = std::malloc(size ? size : 1)) return p;
  if (nothrow) return nullptr;
  throw std::bad_alloc();
}
}  // namespace

void* operator new(std::size_t size) {
  return allocate(size, false);
}
void* operator new[](std::size_t size) {
  return allocate(size, false);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return allocate(size, true);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return allocate(size, true);
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete[](void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
  std::free(p);
}

namespace zentrov::test {

size_t countAllocations(bool on) {
  const size_t count = gCount;
  gCount = on ? 0 : gCount;
  gCounting = on;
  return count;
}

void failNothrowAllocationIn(int n) {
  gFailNothrowIn = n;
}

FakePorts::FakePorts() {
  allocateWorkBuffers(player.buffers);
  attachShell(player);
}

OpenResult FakePorts::open(const std::string& path) {
  player.shell.currentFileName = path;
  return openMovie(player, OpenRequest::fromStart());
}

OpenResult FakePorts::open(const std::string& name, const FilmSpec& spec) {
  return open(writeScratch(name, buildFilm(spec)));
}

bool FakePorts::shows() {
  const int before = presents;
  playbackTick(player);
  return presents != before;
}

bool FakePorts::write(uint32_t offset, const uint8_t* data, uint32_t bytes) {
  note("write", std::to_string(offset) + " " + std::to_string(bytes));
  if (!failWrites) copyIntoRing(ring.data(), offset, data, bytes);
  return !failWrites;
}

void FakePorts::resizeWindow(const WindowLayout& l) {
  layout = l;
  note("resize", std::to_string(l.frameWidth) + "x" + std::to_string(l.frameHeight) + " x" +
                     std::to_string(int(l.zoom)));
}

void FakePorts::setRecentFileItems(const std::vector<RecentFileItem>& items) {
  std::string text;
  for (const RecentFileItem& item : items) text += std::to_string(item.id) + " " + item.label + "|";
  note("recent", text);
}

void FakePorts::showMessage(const std::string& text, const std::string& caption) {
  std::string line = caption + ": " + text;
  std::replace(line.begin(), line.end(), '\n', '|');  // one log line per box
  note("message", line);
}

bool FakePorts::readDword(const std::string& key, const std::string& name, uint32_t& value) {
  std::string text;
  return readString(key, name, text) && (value = uint32_t(std::stoul(text)), true);
}

bool FakePorts::readString(const std::string& key, const std::string& name, std::string& value) {
  auto it = stored.find(key + "|" + name);
  return it != stored.end() && (value = it->second, true);
}

void FakePorts::showProperty(const PropertyView& view) {
  const PropertyValues& v = view.values();
  note("property", v.frameSize + " " + v.totalFrame + " " + v.pcmFormat);
}

int FakePorts::searchHeader(HeaderSearch& search) {
  note("search");
  return searchLine < 0 ? search.cancel() : search.choose(searchLine);
}

}  // namespace zentrov::test
