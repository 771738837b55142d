// The Windows player's entry: the command line, start-up, the message loop.

#include <windows.h>

#include <memory>
#include <new>

#include "win32/windows_player.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  // The player lives until the process ends; after a failed start-up nothing
  // is torn down explicitly.
  auto* player = new (std::nothrow) zentrov::win32::WindowsPlayer(instance);
  if (!player || !player->start(commandLine)) return 0;
  return player->run();
}
