// The file system on Linux and other POSIX systems.
#include "base/file_system.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The most of a file that one system call writes or reads. A kernel that preempts no thread
// inside a call (one built for preempt=none) lets a single 15 MB write hold its core for 20 ms,
// and a frame's thread woken on that core waits all that time; a piece takes a fraction of a
// millisecond.
constexpr size_t FILE_PIECE = 256 * 1024;

FileResult done() {
    return {FILE_DONE, "", ""};
}

// A failed call as a result: what, where, and the system's reason.
FileResult failed(const char* what, const std::string& path, int error) {
    const FileOutcome outcome = error == ENOENT   ? FILE_MISSING
                                : error == EEXIST ? FILE_TAKEN
                                                  : FILE_FAILED;
    const std::string reason = std::strerror(error);
    return {outcome, std::string(what) + " " + path + " (" + reason + ")", reason};
}

FileIdentity identityOf(const struct stat& status) {
    return {true, static_cast<uint64_t>(status.st_dev), static_cast<uint64_t>(status.st_ino),
            static_cast<int64_t>(status.st_size),
            static_cast<int64_t>(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec};
}

// True when a rename failed only because the file system knows no such flag (FAT, some network
// file systems).
bool flagUnsupported(int error) {
    return error == EINVAL || error == ENOSYS || error == EOPNOTSUPP;
}

int descriptor(intptr_t handle) {
    return static_cast<int>(handle);
}

} // namespace

FileLook lookAtFile(const std::string& path) {
    struct stat status {};
    if (lstat(path.c_str(), &status) != 0) {
        return {KIND_NOTHING, {}};
    }
    const FileKind kind = S_ISREG(status.st_mode)   ? KIND_REGULAR
                          : S_ISDIR(status.st_mode) ? KIND_DIRECTORY
                                                    : KIND_OTHER;
    return {kind, identityOf(status)};
}

FileResult openForReading(const std::string& path, ReadingFile& file) {
    file.path = path;
    // Not blocking: opening a FIFO for reading would wait for a writer that never comes.
    const int opened = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (opened < 0) {
        return failed("cannot open", path, errno);
    }
    struct stat status {};
    if (fstat(opened, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(opened);
        return {FILE_FAILED, path + " is not a regular file", "not a regular file"};
    }
    file.handle = opened;
    file.identity = identityOf(status);
    return done();
}

FileResult readPiece(ReadingFile& file, uint8_t* data, size_t size, size_t& got) {
    got = 0;
    while (got < size) {
        const ssize_t count =
            read(descriptor(file.handle), data + got, std::min(size - got, FILE_PIECE));
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0) {
            FileResult result = failed("cannot read", file.path, errno);
            result.outcome = FILE_FAILED;
            return result;
        }
        if (count == 0) {
            break;
        }
        got += static_cast<size_t>(count);
    }
    return done();
}

void closeReading(ReadingFile& file) {
    if (file.handle != FILE_HANDLE_NONE) {
        close(descriptor(file.handle));
        file.handle = FILE_HANDLE_NONE;
    }
}

FileResult createNewFile(const std::string& path, NewFile& file) {
    // Exclusive and not following a link: whatever stands at the name is refused.
    const int opened =
        open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    file.path = path;
    file.handle = opened;
    if (opened < 0) {
        file.handle = FILE_HANDLE_NONE;
        return failed("cannot create", path, errno);
    }
    return done();
}

FileResult writeNewFile(NewFile& file, const uint8_t* data, size_t size) {
    while (size > 0) {
        const ssize_t written = write(descriptor(file.handle), data, std::min(size, FILE_PIECE));
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            FileResult result = failed("cannot write", file.path, written < 0 ? errno : EIO);
            result.outcome = FILE_FAILED;
            return result;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    return done();
}

FileResult finishNewFile(NewFile& file) {
    const int opened = descriptor(file.handle);
    file.handle = FILE_HANDLE_NONE;
    FileResult result = done();
    if (fsync(opened) != 0) {
        result = failed("cannot flush", file.path, errno);
    }
    if (close(opened) != 0 && result.outcome == FILE_DONE) {
        result = failed("cannot close", file.path, errno);
    }
    result.outcome = result.outcome == FILE_DONE ? FILE_DONE : FILE_FAILED;
    return result;
}

void abandonNewFile(NewFile& file) {
    if (file.handle != FILE_HANDLE_NONE) {
        close(descriptor(file.handle));
        file.handle = FILE_HANDLE_NONE;
    }
}

FileResult moveNoReplace(const std::string& from, const std::string& to) {
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return done();
    }
    if (!flagUnsupported(errno)) {
        return failed("cannot rename it to", to, errno);
    }
    // Where the file system cannot promise it, a look first does. Between the look and the move
    // only another program could put a file there: no other copy of the game saves in a folder
    // whose lock it holds (where the folder cannot be locked, the game says so at start).
    struct stat status {};
    if (lstat(to.c_str(), &status) == 0) {
        return failed("cannot rename it to", to, EEXIST);
    }
    return moveReplacing(from, to);
}

FileResult moveReplacing(const std::string& from, const std::string& to) {
    if (std::rename(from.c_str(), to.c_str()) != 0) {
        return failed("cannot rename it to", to, errno);
    }
    return done();
}

FileResult swapFiles(const std::string& a, const std::string& b) {
    if (renameat2(AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_EXCHANGE) == 0) {
        return done();
    }
    const int error = errno;
    if (flagUnsupported(error)) {
        return {FILE_UNSUPPORTED, "cannot swap " + a + " and " + b + " on this file system",
                std::strerror(error)};
    }
    return failed("cannot swap it with", b, error);
}

FileResult removeFile(const std::string& path) {
    if (unlink(path.c_str()) != 0 && errno != ENOENT) {
        return failed("cannot remove", path, errno);
    }
    return done();
}

void flushFolder(const std::string& directory) {
    const int folder = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        fsync(folder);
        close(folder);
    }
}
