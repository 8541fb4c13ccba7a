#include "storage/settings_lock.h"

#include "storage/replace_file.h"
#include "storage/storage_error.h"

namespace kelmar {

std::string SettingsLockPath(const std::string& settingsPath) {
    return WriteTargetOf(settingsPath) + ".lock";
}

SettingsLock::SettingsLock(const std::string& settingsPath, const std::string& action) {
    const std::string lockPath = SettingsLockPath(settingsPath);
    const int error = lock_.acquire(lockPath, kSettingsLockTimeout);
    if (error != 0) {
        throw IoError(action + ": " + LockFailureText(lockPath, error) + ".");
    }
}

} // namespace kelmar
