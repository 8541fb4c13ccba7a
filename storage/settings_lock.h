// The lock that every writer of the settings file, and of the files that
// live beside it under the same rule, holds while it reads, merges and
// rewrites: an exclusive FileLock on the settings file's name plus ".lock"
// (beside the file a link points to), waited for at most kSettingsLockTimeout.
// Copies of the game that end games or close at the same moment take turns
// through it.
#pragma once

#include "storage/file_lock.h"

#include <chrono>
#include <string>

namespace kelmar {

constexpr std::chrono::milliseconds kSettingsLockTimeout{3000};

// The lock file of the settings file at `settingsPath`.
std::string SettingsLockPath(const std::string& settingsPath);

class SettingsLock {
public:
    // Waits for the lock; throws IoError with `action` and the reason when
    // it is not had in time or the lock file cannot be opened.
    SettingsLock(const std::string& settingsPath, const std::string& action);

private:
    FileLock lock_;
};

} // namespace kelmar
