#include "win32/win_text.h"

#include <cstdio>

namespace zentrov::win32 {

std::wstring widen(const std::string& text, UINT codePage) {
  if (text.empty()) return {};
  const int length = static_cast<int>(text.size());
  const int wide = MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
  if (wide <= 0) return {};
  std::wstring out(static_cast<size_t>(wide), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), length, out.data(), wide);
  return out;
}

std::string narrow(const std::wstring& text, UINT codePage) {
  if (text.empty()) return {};
  const int length = static_cast<int>(text.size());
  const int bytes =
      WideCharToMultiByte(codePage, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return {};
  std::string out(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(codePage, 0, text.data(), length, out.data(), bytes, nullptr, nullptr);
  return out;
}

std::string codeMessage(const std::string& text, uint32_t code) {
  char buffer[kMessageBytes];
  std::snprintf(buffer, sizeof buffer, "%s\n%08X", text.c_str(), static_cast<unsigned>(code));
  return buffer;
}

void showMessageBox(HWND owner, const std::string& text, const std::string& caption,
                    UINT codePage) {
  MessageBoxW(owner, widen(text, codePage).c_str(), widen(caption, codePage).c_str(), MB_OK);
}

}  // namespace zentrov::win32
