#include "world/save_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// How many refused saves Load keeps aside (".damaged", ".damaged.2", ...) before it stops
// keeping more; one is the usual case.
constexpr int MAX_DAMAGED_KEPT = 100;

// A failed system call as one line: what, where, and the system's reason.
std::string failure(const char* what, const std::string& path) {
    return std::string(what) + " " + path + " (" + std::strerror(errno) + ")";
}

// ---- Writing ----

bool writeAll(int file, const uint8_t* data, size_t size) {
    while (size > 0) {
        const ssize_t written = write(file, data, size);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

// Writes `bytes` into a new file at `path`, flushed to disk. The file is one this game creates
// itself: a leftover of an interrupted save is removed first, and the exclusive, no-follow open
// refuses anything that still stands at the name, so the bytes never go through a planted link.
bool writeNewFile(const std::string& path, const SaveBytes& bytes, std::string& problem) {
    unlink(path.c_str()); // usually nothing is there; whatever stays makes the open fail below
    const int file = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (file < 0) {
        problem = failure("cannot create", path);
        return false;
    }
    bool written = writeAll(file, bytes.data(), bytes.size());
    if (!written) {
        problem = failure("cannot write", path);
    } else if (fsync(file) != 0) {
        problem = failure("cannot flush", path);
        written = false;
    }
    if (close(file) != 0 && written) {
        problem = failure("cannot close", path);
        written = false;
    }
    return written;
}

// Copies the current save to the backup's temporary file when it is a good save. A missing or
// refused save never becomes the backup: the older backup stays. False only when a good save
// could not be copied.
bool stageBackup(const SavePaths& paths, const BlockTypes& blockTypes, bool& staged,
                 std::string& problem) {
    SaveBytes current;
    std::string refused; // why the current save is no backup does not concern the new save
    staged = readGoodSave(paths.save, blockTypes, current, refused);
    return !staged || writeNewFile(paths.backupTemporary, current, problem);
}

void removeTemporaries(const SavePaths& paths) {
    unlink(paths.saveTemporary.c_str());
    unlink(paths.backupTemporary.c_str());
}

// Flushes the directory, so that the renames outlast a power cut. Some file systems cannot
// flush a directory; the new save is in place all the same, so no failure here fails the save.
void flushDirectory(const std::string& directory) {
    const int folder = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        fsync(folder);
        close(folder);
    }
}

} // namespace

SavePaths savePaths(const std::string& directory) {
    const std::string save = directory + "/" + SAVE_FILE_NAME;
    const std::string backup = save + SAVE_BACKUP_SUFFIX;
    return {save, backup, save + SAVE_TEMPORARY_SUFFIX, backup + SAVE_TEMPORARY_SUFFIX};
}

bool readGoodSave(const std::string& path, const BlockTypes& blockTypes, SaveBytes& bytes,
                  std::string& problem) {
    return readSaveFile(path, bytes, problem) == SAVE_READ &&
           validateSave(bytes, blockTypes, problem);
}

std::string setAsideRefusedSave(const std::string& save) {
    for (int number = 1; number <= MAX_DAMAGED_KEPT; ++number) {
        std::string aside = save + SAVE_DAMAGED_SUFFIX;
        if (number > 1) {
            aside += "." + std::to_string(number);
        }
        struct stat status {};
        if (lstat(aside.c_str(), &status) == 0) {
            continue;
        }
        if (std::rename(save.c_str(), aside.c_str()) == 0) {
            return "kept the refused save as " + aside;
        }
        break;
    }
    return "the refused save stays as " + save + " (" + failure("cannot rename", save) + ")";
}

bool writeSaveFile(const std::string& directory, const SaveBytes& bytes,
                   const BlockTypes& blockTypes, std::string& problem) {
    const SavePaths paths = savePaths(directory);
    bool staged = false;
    if (!writeNewFile(paths.saveTemporary, bytes, problem) ||
        !stageBackup(paths, blockTypes, staged, problem)) {
        removeTemporaries(paths);
        return false;
    }
    // The one step that changes what Load finds: atomic, so the save is whole before and after.
    if (std::rename(paths.saveTemporary.c_str(), paths.save.c_str()) != 0) {
        problem = failure("cannot put the new save in place as", paths.save);
        removeTemporaries(paths);
        return false;
    }
    problem.clear();
    if (staged && std::rename(paths.backupTemporary.c_str(), paths.backup.c_str()) != 0) {
        problem =
            failure("cannot keep the previous save as", paths.backup) + "; the older backup stays";
        unlink(paths.backupTemporary.c_str());
    }
    flushDirectory(directory);
    return true;
}

SaveReadResult readSaveFile(const std::string& path, SaveBytes& bytes, std::string& problem) {
    // Not blocking: opening a FIFO for reading would wait for a writer that never comes.
    const int file = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (file < 0) {
        if (errno == ENOENT) {
            return SAVE_MISSING;
        }
        problem = failure("cannot open", path);
        return SAVE_UNREADABLE;
    }
    struct stat status {};
    if (fstat(file, &status) != 0 || !S_ISREG(status.st_mode)) {
        problem = path + " is not a regular file";
        close(file);
        return SAVE_UNREADABLE;
    }
    bytes.resize(SAVE_FILE_SIZE + 1);
    size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t count = read(file, &bytes[got], bytes.size() - got);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0) {
            problem = failure("cannot read", path);
            close(file);
            return SAVE_UNREADABLE;
        }
        if (count == 0) {
            break;
        }
        got += static_cast<size_t>(count);
    }
    close(file);
    bytes.resize(got);
    return SAVE_READ;
}
