// The lock a copy of the game holds on its save folder for as long as it runs, so that a second
// copy finds it taken: the folder itself where the file system can lock one, which no removed
// file can defeat, and a lock file in it, which serves where folders cannot be locked (a network
// folder). Each platform implements it in a file of its own (file_lock_posix.cpp,
// file_lock_windows.cpp, where the lock file alone serves: Windows locks no folders).
#pragma once

#include <cstdint>
#include <string>

/// What taking a lock found.
enum LockOutcome {
    /// This process holds the lock.
    LOCK_TAKEN,
    /// Another process holds it.
    LOCK_HELD,
    /// The folder cannot be locked at all (a read-only folder on a file system that locks no
    /// folders, a link or a FIFO at the lock file's name): the sentence says why.
    LOCK_UNAVAILABLE,
};

/// How taking a lock went.
struct LockResult {
    LockOutcome outcome;
    /// Why the lock file could not be used, when it could not (also with LOCK_TAKEN, when the
    /// folder itself is locked); empty otherwise.
    std::string sentence;
};

/// A handle of FolderLock when that part of the lock is not held.
constexpr intptr_t LOCK_HANDLE_NONE = -1;

/// A held lock: the locked folder and the open lock file, each LOCK_HANDLE_NONE when not held.
struct FolderLock {
    intptr_t folder = LOCK_HANDLE_NONE;
    intptr_t file = LOCK_HANDLE_NONE;
};

/// Takes an exclusive lock on `directory` and on its lock file `fileName`, creating the file if
/// need be, without waiting for another holder. Anything but a regular file at the name is not
/// used.
LockResult lockFolder(const std::string& directory, const std::string& fileName, FolderLock& lock);

/// Writes a short note into the held lock file, in place of any before, for a copy of the game
/// that finds the folder taken to read (readLockNote). Nothing happens without a lock file.
void noteOnLock(FolderLock& lock, const std::string& note);

/// The note in the lock file `fileName` of `directory`; empty when there is none.
std::string readLockNote(const std::string& directory, const std::string& fileName);

/// Lets the lock go, if it is held; the process's end lets it go too.
void unlockFolder(FolderLock& lock);
