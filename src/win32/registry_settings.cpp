#include "win32/registry_settings.h"

#include <windows.h>

#include <cstring>

namespace zentrov::win32 {
namespace {

constexpr DWORD kStringBytes = 260;

HKEY openKey(const std::string& key) {
  HKEY handle = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_ALL_ACCESS, &handle) != ERROR_SUCCESS)
    return nullptr;
  return handle;
}

HKEY createKey(const std::string& key) {
  HKEY handle = nullptr;
  char noClass[] = "";
  if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, noClass, REG_OPTION_NON_VOLATILE,
                      KEY_ALL_ACCESS, nullptr, &handle, nullptr) != ERROR_SUCCESS)
    return nullptr;
  return handle;
}

bool setValue(const std::string& key, const std::string& name, DWORD type, const void* data,
              DWORD bytes) {
  HKEY handle = createKey(key);
  if (!handle) return false;
  const bool written = RegSetValueExA(handle, name.c_str(), 0, type, static_cast<const BYTE*>(data),
                                      bytes) == ERROR_SUCCESS;
  RegCloseKey(handle);
  return written;
}

}  // namespace

bool RegistrySettings::readDword(const std::string& key, const std::string& name, uint32_t& value) {
  HKEY handle = openKey(key);
  if (!handle) return false;
  DWORD type = 0;
  DWORD data = 0;
  DWORD bytes = sizeof data;
  const bool read = RegQueryValueExA(handle, name.c_str(), nullptr, &type,
                                     reinterpret_cast<BYTE*>(&data), &bytes) == ERROR_SUCCESS &&
                    type == REG_DWORD && bytes == sizeof data;
  RegCloseKey(handle);
  if (read) value = data;
  return read;
}

bool RegistrySettings::readString(const std::string& key, const std::string& name,
                                  std::string& value) {
  HKEY handle = openKey(key);
  if (!handle) return false;
  char data[kStringBytes + 1] = {};
  DWORD bytes = kStringBytes;
  DWORD type = 0;
  const bool read = RegQueryValueExA(handle, name.c_str(), nullptr, &type,
                                     reinterpret_cast<BYTE*>(data), &bytes) == ERROR_SUCCESS &&
                    (type == REG_SZ || type == REG_EXPAND_SZ);
  RegCloseKey(handle);
  if (read) value.assign(data, strnlen(data, kStringBytes));
  return read;
}

bool RegistrySettings::writeDword(const std::string& key, const std::string& name, uint32_t value) {
  const DWORD data = value;
  return setValue(key, name, REG_DWORD, &data, sizeof data);
}

bool RegistrySettings::writeString(const std::string& key, const std::string& name,
                                   const std::string& value) {
  char data[kStringBytes] = {};
  std::memcpy(data, value.data(), value.size() < kStringBytes ? value.size() : kStringBytes - 1);
  return setValue(key, name, REG_SZ, data, kStringBytes);
}

}  // namespace zentrov::win32
