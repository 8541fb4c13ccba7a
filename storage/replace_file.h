// Replacing a file whole: the new content goes into a temporary file in the
// same folder, which is renamed over the target only when it is complete.
// A rename within one folder is atomic, so the target is always either the
// old file or the new one.
#pragma once

#include <string>

namespace kelmar {

class TemporarySibling {
public:
    // Creates a new, empty file beside `target` (same folder, unique name,
    // the target's permissions if it exists, else 0666 less the umask).
    // Throws IoError with `action` ("Kann Spielstand ... nicht speichern")
    // and the reason when that fails.
    TemporarySibling(const std::string& target, const std::string& action);
    TemporarySibling(const TemporarySibling&) = delete;
    TemporarySibling& operator=(const TemporarySibling&) = delete;
    // Removes the temporary file unless it was committed.
    ~TemporarySibling();

    const std::string& path() const { return path_; }

    // Renames the temporary file over the target. Throws IoError (and the
    // destructor then removes the temporary file).
    void commit();

private:
    std::string target_;
    std::string action_;
    std::string path_;
    bool committed_ = false;
};

// Writes `bytes` to `path` (created or truncated), syncs and closes it.
// Throws IoError with `action` and the reason.
void WriteWholeFile(const std::string& path, const std::string& bytes, const std::string& action);

} // namespace kelmar
