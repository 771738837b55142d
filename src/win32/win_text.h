#pragma once
// Texts on the way to the screen. The player keeps three kinds of text: its
// own fixed texts from the core (UTF-8), its own Japanese texts in code page
// 932, and file names in the system's ANSI code page. Boxes and titles go
// through the wide APIs so that each reads right whatever the system locale.

#include <windows.h>

#include <cstdint>
#include <string>

namespace zentrov::win32 {

constexpr UINT kJapaneseCodePage = 932;
constexpr size_t kMessageBytes = 256;  // a formatted message, with its terminator

// `text` in code page `codePage` as UTF-16.
std::wstring widen(const std::string& text, UINT codePage);
// UTF-16 back to code page `codePage`.
std::string narrow(const std::wstring& text, UINT codePage);

// "%s\n%08X" with `text` and `code`, cut to fit a 256-byte buffer.
std::string codeMessage(const std::string& text, uint32_t code);

// A modal box with an OK button, owned by `owner`, texts in `codePage`.
void showMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT codePage);

}  // namespace zentrov::win32
