#include "storage/settings_lock.h"

#include "storage/replace_file.h"

namespace kelmar {

std::string SettingsLockPath(const std::string& settingsPath) {
    return WriteTargetOf(settingsPath) + ".lock";
}

SettingsLock::SettingsLock(const std::string& settingsPath, const std::string& action)
    : lock_(SettingsLockPath(settingsPath), kSettingsLockTimeout, action) {}

} // namespace kelmar
