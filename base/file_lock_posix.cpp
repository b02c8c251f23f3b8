// The lock file on Linux and other POSIX systems: flock on an open file.
#include "base/file_lock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Opened for writing where it can be (on NFS a lock needs it), read-only where the player may not
// write the file, which still locks elsewhere. Never blocks (a FIFO) nor follows a link. When
// neither works, errno is the real cause: a read-only folder with no lock file in it says so,
// not that the file is missing.
int openLockFile(const std::string& path) {
    constexpr int FLAGS = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    const int file = open(path.c_str(), O_RDWR | O_CREAT | FLAGS, 0644);
    const int writeError = errno;
    if (file >= 0 || (writeError != EACCES && writeError != EROFS && writeError != EPERM)) {
        return file;
    }
    const int readOnly = open(path.c_str(), O_RDONLY | FLAGS);
    if (readOnly < 0 && errno == ENOENT) {
        errno = writeError;
    }
    return readOnly;
}

LockResult unavailable(const std::string& sentence) {
    return {LOCK_UNAVAILABLE, sentence};
}

} // namespace

LockResult lockFile(const std::string& path, FileLock& lock) {
    const int file = openLockFile(path);
    if (file < 0) {
        return unavailable(errno == ELOOP
                               ? path + " is a symbolic link, not a lock file"
                               : "cannot open " + path + " (" + std::strerror(errno) + ")");
    }
    struct stat status {};
    if (fstat(file, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(file);
        return unavailable(path + " is not a regular file");
    }
    while (flock(file, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        if (error == EINTR) {
            continue;
        }
        close(file);
        if (error == EWOULDBLOCK) {
            return {LOCK_HELD, ""};
        }
        return unavailable("cannot lock " + path + " (" + std::strerror(error) + ")");
    }
    lock.handle = file; // held until the file is closed, by unlockFile or at exit
    return {LOCK_TAKEN, ""};
}

void unlockFile(FileLock& lock) {
    if (lock.handle != FILE_LOCK_NONE) {
        close(static_cast<int>(lock.handle));
        lock.handle = FILE_LOCK_NONE;
    }
}
