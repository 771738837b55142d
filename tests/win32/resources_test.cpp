// The resource script is written in code page 932; its Japanese texts must
// reach the program as the same characters the core and the dialogs use.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "playback/movie_open.h"
#include "resource_ids.h"
#include "win32_test_support.h"

namespace zentrov::win32 {
namespace {

// Whether resource `id` of `type` holds `text` as UTF-16.
bool resourceHolds(int id, const wchar_t* type, const std::wstring& text) {
  HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(id), type);
  if (!found) return false;
  const auto* data = static_cast<const char*>(LockResource(LoadResource(nullptr, found)));
  const std::string bytes(data, SizeofResource(nullptr, found));
  const std::string wanted(reinterpret_cast<const char*>(text.data()), text.size() * 2);
  return bytes.find(wanted) != std::string::npos;
}

TEST(Resources, JapaneseTextsArriveAsWritten) {
  wchar_t unknownHeader[256] = {};
  LoadStringW(GetModuleHandleW(nullptr), IDS_UNKNOWN_HEADER, unknownHeader, 256);
  EXPECT_EQ(unknownHeader, test::utf16(kUnknownHeaderText));

  const std::wstring font = test::utf16("ＭＳ Ｐゴシック");
  for (int dialog : {IDD_ABOUT, IDD_PROPERTY, IDD_SEARCH_HEADER}) {
    EXPECT_TRUE(resourceHolds(dialog, RT_DIALOG, font)) << dialog;
  }
  EXPECT_TRUE(resourceHolds(IDD_SEARCH_HEADER, RT_DIALOG, test::utf16("ｷｬﾝｾﾙ")));
}

}  // namespace
}  // namespace zentrov::win32
