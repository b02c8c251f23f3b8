// The folder's lock on Linux and other POSIX systems: flock on the folder and on a lock file.
#include "base/file_lock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The longest note read back.
constexpr size_t NOTE_BYTES = 200;

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

// Locks an open file or folder without waiting: 0, or the error.
int lockOpen(int opened) {
    while (flock(opened, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EINTR) {
            return errno;
        }
    }
    return 0;
}

// The folder itself: held, taken by another (`held`), or not lockable here (a network folder).
int lockDirectory(const std::string& directory, bool& held) {
    const int folder = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) {
        return -1;
    }
    const int error = lockOpen(folder);
    if (error != 0) {
        held = error == EWOULDBLOCK;
        close(folder);
        return -1;
    }
    return folder;
}

// The lock file: LOCK_TAKEN with its descriptor in `file`, LOCK_HELD, or why it cannot be used.
LockResult lockTheFile(const std::string& path, int& file) {
    file = openLockFile(path);
    if (file < 0) {
        return {LOCK_UNAVAILABLE, errno == ELOOP
                                      ? path + " is a symbolic link, not a lock file"
                                      : "cannot open " + path + " (" + std::strerror(errno) + ")"};
    }
    struct stat status {};
    if (fstat(file, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(file);
        file = -1;
        return {LOCK_UNAVAILABLE, path + " is not a regular file"};
    }
    const int error = lockOpen(file);
    if (error != 0) {
        close(file);
        file = -1;
        return error == EWOULDBLOCK ? LockResult{LOCK_HELD, ""}
                                    : LockResult{LOCK_UNAVAILABLE, "cannot lock " + path + " (" +
                                                                       std::strerror(error) + ")"};
    }
    return {LOCK_TAKEN, ""};
}

void closeHandle(intptr_t& handle) {
    if (handle != LOCK_HANDLE_NONE) {
        close(static_cast<int>(handle));
        handle = LOCK_HANDLE_NONE;
    }
}

} // namespace

LockResult lockFolder(const std::string& directory, const std::string& fileName, FolderLock& lock) {
    bool held = false;
    const int folder = lockDirectory(directory, held);
    if (held) {
        return {LOCK_HELD, ""};
    }
    int file = -1;
    LockResult result = lockTheFile(directory + "/" + fileName, file);
    if (result.outcome == LOCK_HELD) {
        if (folder >= 0) {
            close(folder);
        }
        return result;
    }
    // Held until closed, by unlockFolder or at exit.
    lock.folder = folder >= 0 ? folder : LOCK_HANDLE_NONE;
    lock.file = file >= 0 ? file : LOCK_HANDLE_NONE;
    if (result.outcome == LOCK_UNAVAILABLE && folder >= 0) {
        result.outcome = LOCK_TAKEN; // the folder's own lock stops a second copy all the same
    }
    return result;
}

void noteOnLock(FolderLock& lock, const std::string& note) {
    if (lock.file == LOCK_HANDLE_NONE) {
        return;
    }
    const int file = static_cast<int>(lock.file);
    // A note is a courtesy to another copy: one that cannot be written changes nothing.
    if (ftruncate(file, 0) == 0) {
        const ssize_t written = pwrite(file, note.data(), note.size(), 0);
        static_cast<void>(written);
    }
}

std::string readLockNote(const std::string& directory, const std::string& fileName) {
    const std::string path = directory + "/" + fileName;
    const int file = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (file < 0) {
        return "";
    }
    char note[NOTE_BYTES];
    const ssize_t got = read(file, note, sizeof note);
    close(file);
    return got > 0 ? std::string(note, static_cast<size_t>(got)) : "";
}

void unlockFolder(FolderLock& lock) {
    closeHandle(lock.file);
    closeHandle(lock.folder);
}
