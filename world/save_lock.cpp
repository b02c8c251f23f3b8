#include "world/save_lock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

SaveLockResult lockSaveFolder(const std::string& directory, SaveLock& lock, std::string& problem) {
    const std::string path = directory + "/" + SAVE_LOCK_NAME;
    // Opened for reading, which is all a lock needs, so that a lock file the player may not
    // write still locks.
    const int file = open(path.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (file < 0) {
        problem = "cannot open " + path + " (" + std::strerror(errno) + ")";
        return SAVE_LOCK_UNAVAILABLE;
    }
    while (flock(file, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        if (error == EINTR) {
            continue;
        }
        close(file);
        if (error == EWOULDBLOCK) {
            return SAVE_LOCK_HELD;
        }
        problem = "cannot lock " + path + " (" + std::strerror(error) + ")";
        return SAVE_LOCK_UNAVAILABLE;
    }
    lock.file = file; // held until the file is closed, by unlockSaveFolder or at exit
    return SAVE_LOCK_TAKEN;
}

void unlockSaveFolder(SaveLock& lock) {
    if (lock.file >= 0) {
        close(lock.file);
        lock.file = -1;
    }
}
