#pragma once
// Command ids shared by menu items, accelerators and toolbar buttons.

namespace zentrov {

enum CommandId : int {
  kCmdOpen = 40001,
  kCmdExit = 40002,
  kCmdAbout = 40003,
  kCmdNoWait = 40005,
  kCmdNormal = 40006,
  kCmdZoom1 = 40010,
  kCmdZoom2 = 40011,
  kCmdReplay = 40013,
  kCmdPlayPause = 40014,
  kCmdNextFrame = 40015,
  kCmdLoop = 40016,
  kCmdProperty = 40017,
  kCmdPrevFrame = 40018,
  kCmdCopyFrame = 40019,
  kCmdSearchHeader = 40020,
  kCmdPcmOff = 40021,
  kCmdFullScreen = 40022,
  kCmdHomePage = 40023,
  kCmdClose = 40024,
  kCmdToolbarButton = 40035,
  kCmdToolbarFlat = 40036,
  kCmdToolbarAddString = 40037,
  kCmdToolbarHide = 40038,
  kCmdStatusBar = 40039,
  kCmdRecentFirst = 40100,
  kCmdRecentLast = 40109,
};

// Status bar parts written by the player.
enum StatusPart : int { kStatusState = 1, kStatusPosition = 2, kStatusSize = 3, kStatusSpare = 4 };

}  // namespace zentrov
