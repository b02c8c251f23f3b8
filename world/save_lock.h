// One game per save folder: a second copy of the game working in the same folder would write
// over the first one's saves, so each copy takes the folder's lock before it reads or writes a
// save, and keeps it for the whole run.
#pragma once

#include <string>

/// Name of the lock file inside the save folder.
constexpr const char* SAVE_LOCK_NAME = "TellurnSave.lock";

/// What taking the folder's lock found.
enum SaveLockResult {
    /// This copy of the game holds the lock.
    SAVE_LOCK_TAKEN,
    /// Another process holds it.
    SAVE_LOCK_HELD,
    /// The folder cannot be locked at all (a read-only folder, a file system without locks).
    SAVE_LOCK_UNAVAILABLE,
};

/// The lock on one save folder: an open lock file while it is held.
struct SaveLock {
    int file = -1;
};

/// Takes an exclusive lock on the lock file in `directory`, creating the file if need be,
/// without waiting for another holder. Anything but a regular file at the name (a link, a FIFO)
/// is not used. On SAVE_LOCK_UNAVAILABLE, `problem` says why.
SaveLockResult lockSaveFolder(const std::string& directory, SaveLock& lock, std::string& problem);

/// Lets the lock go, if it is held.
void unlockSaveFolder(SaveLock& lock);
