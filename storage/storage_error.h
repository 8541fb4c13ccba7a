// Errors of the file layer. The message is the German text the player sees
// (UTF-8) and is what() of the exception; the main window's error guard shows
// it. Nothing in the storage library catches these on behalf of the caller.
#pragma once

#include <stdexcept>
#include <string>

namespace kelmar {

class StorageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The file system failed (open, read, write, rename, close).
class IoError : public StorageError {
public:
    using StorageError::StorageError;
};

// A saved game that carries values the board or the history cannot hold, or
// that ends before its last field. Nothing of the game has been changed.
class DamagedSaveError : public StorageError {
public:
    using StorageError::StorageError;
};

// The "errno" of a name that is neither a regular file nor a folder (a
// named pipe, a device, a socket); outside the range of real errno values.
constexpr int kNotRegularFile = 0x10000;

// The file is no saved game of ours: it does not start with the magic.
// Nothing of the game has been changed.
class NotASavedGameError : public StorageError {
public:
    using StorageError::StorageError;
};

// A short German description of an errno value (or kNotRegularFile), e.g. "Datei nicht gefunden".
std::string GermanErrorText(int errorNumber);

// Quotes a file name for a German message: „name“ (the name's bytes as given).
std::string QuotedFileName(const std::string& fileName);

} // namespace kelmar
