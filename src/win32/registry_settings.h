#pragma once
// The settings store over the current user's registry: every key opened or
// created with full access, strings written with their whole 260-byte
// buffer, as the player's settings have always been stored.

#include "playback/ports.h"

namespace zentrov::win32 {

class RegistrySettings : public SettingsStore {
 public:
  bool readDword(const std::string& key, const std::string& name, uint32_t& value) override;
  // False as well for a value too long for a 260-byte name.
  bool readString(const std::string& key, const std::string& name, std::string& value) override;
  bool writeDword(const std::string& key, const std::string& name, uint32_t value) override;
  bool writeString(const std::string& key, const std::string& name,
                   const std::string& value) override;
};

}  // namespace zentrov::win32
