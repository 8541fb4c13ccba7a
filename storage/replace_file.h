// Replacing a file whole: the new content goes into a temporary file in the
// same folder, which is renamed over the target only when it is complete.
// A rename within one folder is atomic, so the target is always either the
// old file or the new one.
#pragma once

#include <ctime>
#include <string>
#include <string_view>

namespace kelmar {

// Temporary files are named kTemporaryPrefix plus six characters of
// mkstemp's alphabet: short, so that a target name of up to 255 bytes still
// leaves room for the temporary one beside it.
constexpr std::string_view kTemporaryPrefix = ".kelmar-";
// A temporary file this much older than the start of the game is left over
// from a write that was killed; writes take milliseconds.
constexpr std::time_t kStaleTemporarySeconds = 60;

class TemporarySibling {
public:
    // Creates a new, empty file beside `target` (same folder, unique name).
    // Its permission bits are 0666 less the umask, narrowed to those of the
    // regular file it replaces; never setuid, setgid or sticky, never those
    // of a file a link points to. Refuses a target that is a pipe, device or
    // socket. Throws IoError with `action` ("Kann Spielstand ... nicht
    // speichern") and the reason when that fails.
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

// True for the names of our temporary files: kTemporaryPrefix or the older
// ".QuickSave.klmr." and ".Kelmar.ini." followed by six characters of
// mkstemp's alphabet.
bool IsStaleTemporaryName(std::string_view name);

// Removes from `folder` our temporary files that a killed write left
// behind: regular files of this user with such a name, last modified more
// than kStaleTemporarySeconds before `now`. Returns how many were removed;
// a folder that cannot be read removes nothing.
int RemoveStaleTemporaries(const std::string& folder, std::time_t now);

// Writes `bytes` to `path` (created or truncated), syncs and closes it.
// Throws IoError with `action` and the reason.
void WriteWholeFile(const std::string& path, const std::string& bytes, const std::string& action);

} // namespace kelmar
