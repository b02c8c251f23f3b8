#include "world/save_lock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Opened for writing where it can be (on NFS a lock needs it), read-only where the player may not
// write the file, which still locks elsewhere. Never blocks (a FIFO) nor follows a link.
int openLockFile(const std::string& path) {
    constexpr int FLAGS = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    const int file = open(path.c_str(), O_RDWR | O_CREAT | FLAGS, 0644);
    if (file >= 0 || (errno != EACCES && errno != EROFS && errno != EPERM)) {
        return file;
    }
    return open(path.c_str(), O_RDONLY | FLAGS);
}

} // namespace

SaveLockResult lockSaveFolder(const std::string& directory, SaveLock& lock, std::string& problem) {
    const std::string path = directory + "/" + SAVE_LOCK_NAME;
    const int file = openLockFile(path);
    if (file < 0) {
        problem = errno == ELOOP ? path + " is a symbolic link, not a lock file"
                                 : "cannot open " + path + " (" + std::strerror(errno) + ")";
        return SAVE_LOCK_UNAVAILABLE;
    }
    struct stat status {};
    if (fstat(file, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(file);
        problem = path + " is not a regular file";
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
