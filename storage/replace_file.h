// Replacing a file whole: the new content goes into a temporary file in the
// target's folder, which is renamed over the target only when it is
// complete. A rename within one folder is atomic, so the target is always
// either the old file or the new one.
//
// Where the file system allows it the temporary file has no name while it
// is written (O_TMPFILE); it gets one only for the moment between linkat()
// and rename(), so a write that is killed leaves nothing behind. Elsewhere
// it is created under a name no person would choose (kTemporaryPrefix, 16
// random hexadecimal digits, kTemporarySuffix).
//
// A target that is a symbolic link is written through: the file the link
// points to (or would point to, for a dangling link) is replaced in its own
// folder, and the link stays a link.
#pragma once

#include <ctime>
#include <string>
#include <string_view>

namespace kelmar {

constexpr std::string_view kTemporaryPrefix = ".kelmar-part-";
constexpr std::string_view kTemporarySuffix = ".tmp";
// A temporary file this much older than the start of the game is left over
// from a write that was killed; writes take milliseconds.
constexpr std::time_t kStaleTemporarySeconds = 60;

// The file a write to `path` lands in: `path` with every symbolic link
// followed (at most 40 of them, relative links taken from the link's own
// folder). A dangling link gives the name it points to; a name that is no
// link is returned as it is. More links than that give `path` itself, which
// TemporarySibling refuses (ELOOP).
std::string WriteTargetOf(const std::string& path);

class TemporarySibling {
public:
    // Creates a new, empty temporary file in the folder of
    // WriteTargetOf(target). Its permission bits are 0666 less the umask,
    // narrowed to those of the regular file it replaces; never setuid,
    // setgid or sticky. Refuses a target that is a pipe, device or socket.
    // Throws IoError with `action` ("Kann Spielstand ... nicht speichern")
    // and the reason when that fails.
    TemporarySibling(const std::string& target, const std::string& action);
    TemporarySibling(const TemporarySibling&) = delete;
    TemporarySibling& operator=(const TemporarySibling&) = delete;
    // Removes the temporary file unless it was committed.
    ~TemporarySibling();

    // A name under which the temporary file can be opened for writing (for
    // a nameless file, its /proc/self/fd entry).
    const std::string& path() const { return path_; }

    // Puts the temporary file in the target's place. Throws IoError (and
    // the destructor then removes the temporary file).
    void commit();

private:
    void createNamed(const std::string& folder);

    std::string target_; // with links followed
    std::string action_;
    std::string path_;
    int nameless_ = -1; // descriptor of an O_TMPFILE file, else -1
    bool committed_ = false;
};

// True for the names TemporarySibling gives: kTemporaryPrefix, exactly 16
// lower-case hexadecimal digits, kTemporarySuffix.
bool IsTemporaryName(std::string_view name);

// Removes from `folder` our temporary files that a killed write left
// behind: regular files of this user with a temporary name, last modified
// more than kStaleTemporarySeconds before `now`, whose content starts as a
// settings file, a saved game or the records file does. Every other file
// stays, whatever its name. Returns how many were removed; a folder that cannot be read removes
// nothing.
int RemoveStaleTemporaries(const std::string& folder, std::time_t now);

// Writes `bytes` to `path` (created or truncated), syncs and closes it.
// Throws IoError with `action` and the reason.
void WriteWholeFile(const std::string& path, const std::string& bytes, const std::string& action);

} // namespace kelmar
