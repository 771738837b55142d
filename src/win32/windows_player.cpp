#include "win32/windows_player.h"

#include <commctrl.h>
#include <mmsystem.h>
#include <shellapi.h>

#include "playback/playback_tick.h"
#include "playback/window_layout.h"
#include "resource_ids.h"
#include "shell/command_line.h"
#include "shell/commands.h"
#include "win32/processor_features.h"

namespace zentrov::win32 {

const wchar_t kWindowClass[] = L"ZentrovClass";

namespace {

constexpr DWORD kWindowStyle = WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
constexpr int kInitialWidth = 320;
constexpr int kInitialHeight = 240;

}  // namespace

WindowsPlayer::WindowsPlayer(HINSTANCE instance)
    : instance_(instance),
      player_(Ports{sound_, frames_, controls_, settings_, dialogs_, &bars_}) {}

WindowsPlayer::~WindowsPlayer() {
  setFineTimer(false);
  // A player that never reached its teardown (a failed start-up, a test)
  // still lets go of the sound device and the window.
  if (soundDevice_) releaseSoundDevice();
  if (window_ && IsWindow(window_)) {
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
  }
}

bool WindowsPlayer::start(const char* commandLine) {
  parseCommandLine(commandLine ? commandLine : "", player_.shell);
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  player_.shell.programPath = path;
  return initialApplication(player_, *this);
}

bool WindowsPlayer::turn(int& exitCode) {
  MSG message;
  if (!PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE)) {
    playbackTick(player_);
    rest(nextTickDelayMs(player_));
    return true;
  }
  if (!GetMessageW(&message, nullptr, 0, 0)) {
    exitCode = static_cast<int>(message.wParam);
    return false;
  }
  if (!TranslateAcceleratorW(message.hwnd, accelerators_, &message)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return true;
}

int WindowsPlayer::run() {
  int exitCode = 0;
  while (turn(exitCode)) {
  }
  setFineTimer(false);
  return exitCode;
}

// Waits for a message, or until the tick has work again after `delayMs`.
// While the sound clock runs the system timer ticks every millisecond, so
// that a wait ends on time rather than up to a default tick (15.6 ms) late.
void WindowsPlayer::rest(int32_t delayMs) {
  setFineTimer(delayMs != kWaitForInput);
  if (delayMs == 0) return;
  MsgWaitForMultipleObjectsEx(0, nullptr, delayMs == kWaitForInput ? INFINITE : DWORD(delayMs),
                              QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

void WindowsPlayer::setFineTimer(bool on) {
  if (on == fineTimer_) return;
  fineTimer_ = on;
  if (on)
    timeBeginPeriod(1);
  else
    timeEndPeriod(1);
}

bool WindowsPlayer::createMainWindow() {
  WNDCLASSW windowClass{};
  windowClass.style = CS_OWNDC;
  windowClass.lpfnWndProc = &WindowsPlayer::mainWindowProc;
  windowClass.hInstance = instance_;
  windowClass.hIcon = LoadIconW(instance_, MAKEINTRESOURCEW(IDI_ZENTROV));
  windowClass.lpszClassName = kWindowClass;
  RegisterClassW(&windowClass);

  accelerators_ = LoadAcceleratorsW(instance_, MAKEINTRESOURCEW(IDR_ACCELERATORS));
  HMENU menu = LoadMenuW(instance_, MAKEINTRESOURCEW(IDR_MAINMENU));
  window_ =
      CreateWindowExW(WS_EX_ACCEPTFILES, kWindowClass, L"Zentrov", kWindowStyle, CW_USEDEFAULT,
                      CW_USEDEFAULT, kInitialWidth, kInitialHeight, nullptr, menu, instance_, this);
  if (!window_) {
    if (menu) DestroyMenu(menu);
    return false;
  }
  arrowCursor_ = LoadCursorW(nullptr, IDC_ARROW);
  waitCursor_ = LoadCursorW(nullptr, IDC_WAIT);
  menu_ = GetMenu(window_);
  controls_.attach(window_, menu_);
  frames_.attach(player_, window_, menu_);
  return true;
}

// The dialogs take the program and window handles and the processor's
// features from here.
void WindowsPlayer::initialNuvandGL() {
  dialogs_.attach(DialogHost{instance_, window_, waitCursor_, detectProcessorFeatures()});
  InitCommonControls();
}

void WindowsPlayer::createStatusBar() {
  bars_.createStatusBar(window_);
}

void WindowsPlayer::createToolBar() {
  bars_.createToolbar(window_, instance_);
}

void WindowsPlayer::getDC() {
  video_.windowDC = ::GetDC(window_);
}

void WindowsPlayer::getDeviceCaps() {
  video_.pixelFormat.formatCode = ::GetDeviceCaps(video_.windowDC, BITSPIXEL);
}

bool WindowsPlayer::createDirectDraw() {
  if (SUCCEEDED(DirectDrawCreate(nullptr, &video_.directDraw, nullptr))) return true;
  video_.directDraw = nullptr;
  return false;
}

bool WindowsPlayer::createPalette() {
  return video_.createDisplayPalette();
}

uint32_t WindowsPlayer::createSurface(StepReporter& reporter) {
  return video_.setupDirectDraw(window_, kWindowedLevel, reporter);
}

uint32_t WindowsPlayer::initialNGLDirectSound() {
  return static_cast<uint32_t>(createSoundDevice(&soundDevice_, kRingBytes, window_));
}

void WindowsPlayer::prepareOpenFileDialog() {
  dialogs_.prepareOpenFile(window_);
}

void WindowsPlayer::releasePalette() {
  video_.deletePalette();
}

void WindowsPlayer::releaseDirectDraw() {
  video_.release();
}

void WindowsPlayer::releaseSoundDevice() {
  if (soundDevice_) {
    soundDevice_->Release();
    soundDevice_ = nullptr;
  }
}

void WindowsPlayer::releaseWindowDC() {
  if (video_.windowDC) {
    ReleaseDC(window_, video_.windowDC);
    video_.windowDC = nullptr;
  }
}

void WindowsPlayer::postQuit() {
  PostQuitMessage(0);
}

LRESULT CALLBACK WindowsPlayer::mainWindowProc(HWND window, UINT message, WPARAM wParam,
                                               LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<WindowsPlayer*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self || self->window_ != window) return DefWindowProcW(window, message, wParam, lParam);
  return self->handle(message, wParam, lParam);
}

LRESULT WindowsPlayer::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DESTROY:
      onDestroy(player_, *this);
      return 0;
    case WM_SIZE:
      frames_.clientResized(LOWORD(lParam), HIWORD(lParam));
      bars_.parentResized(wParam, LOWORD(lParam), HIWORD(lParam));
      if (bars_.statusBar()) {
        bars_.layoutStatusParts(LOWORD(lParam));
        setStatusParts(player_);
      }
      break;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      BeginPaint(window_, &paint);
      frames_.present();
      EndPaint(window_, &paint);
      return 0;
    }
    case WM_COMMAND:
      onCommand(player_, LOWORD(wParam));
      // A zoom or full-screen switch ends with its first picture shown: under
      // Wine's OpenGL renderer that first blit to new surfaces is slow, and
      // done here it does not hold up the messages that follow the switch.
      UpdateWindow(window_);
      return 0;
    case WM_NOTIFY:
      // The labels are the tooltips while they are not shown.
      if (bars_.answerTooltip(reinterpret_cast<NMHDR*>(lParam))) return 0;
      break;
    case WM_INITMENU:
      onInitMenu(player_);
      return 0;
    case WM_MOUSEMOVE:
      SetCursor(arrowCursor_);
      return 0;
    case WM_LBUTTONDOWN:
      leaveFullScreen(player_);
      UpdateWindow(window_);
      return 0;
    case WM_DROPFILES:
      onDropFiles(reinterpret_cast<HDROP>(wParam));
      return 0;
    case WM_PALETTECHANGED:
      if (reinterpret_cast<HWND>(wParam) == window_) return 1;
      return LOWORD(video_.realizeDisplayPalette(window_));
    case WM_QUERYNEWPALETTE:
      return LOWORD(video_.realizeDisplayPalette(window_));
    default:
      break;
  }
  return DefWindowProcW(window_, message, wParam, lParam);
}

// Only the first file of a drop is opened; a longer name is cut to fit.
void WindowsPlayer::onDropFiles(HDROP drop) {
  std::vector<std::string> first;
  if (DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0) > 0) {
    char name[kMaxFileName + 1] = {};
    DragQueryFileA(drop, 0, name, sizeof name);
    first.emplace_back(name);
  }
  zentrov::onDropFiles(player_, first);
  DragFinish(drop);
}

}  // namespace zentrov::win32
