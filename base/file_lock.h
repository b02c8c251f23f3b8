// A lock held on a file for as long as the game runs, so that a second copy of the game finds it
// taken. Each platform implements it in a file of its own (file_lock_posix.cpp).
#pragma once

#include <cstdint>
#include <string>

/// What taking a lock found.
enum LockOutcome {
    /// This process holds the lock.
    LOCK_TAKEN,
    /// Another process holds it.
    LOCK_HELD,
    /// The file cannot be locked at all (a read-only folder, a file system without locks, a
    /// link or a FIFO at the name): the sentence says why.
    LOCK_UNAVAILABLE,
};

/// How taking a lock went.
struct LockResult {
    LockOutcome outcome;
    /// Why it is unavailable; empty otherwise.
    std::string sentence;
};

/// FileLock::handle when no lock is held.
constexpr intptr_t FILE_LOCK_NONE = -1;

/// A held lock: the open lock file, or FILE_LOCK_NONE.
struct FileLock {
    intptr_t handle = FILE_LOCK_NONE;
};

/// Takes an exclusive lock on the file at `path`, creating it if need be, without waiting for
/// another holder. Anything but a regular file at the name is not used.
LockResult lockFile(const std::string& path, FileLock& lock);

/// Lets the lock go, if it is held; the process's end lets it go too.
void unlockFile(FileLock& lock);
