#include "world/save_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A failed system call as one line: what, where, and the system's reason.
std::string failure(const char* what, const std::string& path, int error) {
    return std::string(what) + " " + path + " (" + std::strerror(error) + ")";
}

FileIdentity identityOf(const struct stat& status) {
    return {true, static_cast<uint64_t>(status.st_dev), static_cast<uint64_t>(status.st_ino),
            static_cast<int64_t>(status.st_size),
            static_cast<int64_t>(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec};
}

bool sameFile(const FileIdentity& a, const FileIdentity& b) {
    return a.known && b.known && a.device == b.device && a.inode == b.inode && a.size == b.size &&
           a.modifiedNanoseconds == b.modifiedNanoseconds;
}

bool isRegularFile(const std::string& path) {
    struct stat status {};
    return lstat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

// ---- Writing the new save ----

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

// Creates the temporary for this save alone. A leftover of an interrupted save is removed
// first, and the exclusive, no-follow open refuses anything that still stands at the name, so
// the bytes never go through a planted link.
int createTemporary(const std::string& path, std::string& problem) {
    if (unlink(path.c_str()) != 0 && errno == EISDIR) {
        problem = "cannot create " + path + ": a directory stands at that name; move it away";
        return -1;
    }
    const int file = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (file < 0) {
        problem = failure("cannot create", path, errno);
    }
    return file;
}

// Writes `bytes` into a new file at `path`, flushed to disk, and notes which file it is.
bool writeTemporary(const std::string& path, const SaveBytes& bytes, FileIdentity& identity,
                    std::string& problem) {
    const int file = createTemporary(path, problem);
    if (file < 0) {
        return false;
    }
    struct stat status {};
    bool written = writeAll(file, bytes.data(), bytes.size());
    if (!written) {
        problem = failure("cannot write", path, errno);
    } else if (fsync(file) != 0) {
        problem = failure("cannot flush", path, errno);
        written = false;
    } else if (fstat(file, &status) != 0) {
        problem = failure("cannot look at", path, errno);
        written = false;
    }
    if (close(file) != 0 && written) {
        problem = failure("cannot close", path, errno);
        written = false;
    }
    identity = identityOf(status);
    return written;
}

// ---- The previous save ----

// What the save on disk is to the new one that replaces it.
enum PreviousSave { PREVIOUS_NONE, PREVIOUS_GOOD, PREVIOUS_REFUSED, PREVIOUS_UNREADABLE };

// A save this run wrote or loaded is good as long as it is still the same file; any other is
// read and checked before it may become the backup.
PreviousSave examinePrevious(const SaveFolder& folder, const SavePaths& paths,
                             const BlockTypes& blockTypes, std::string& why) {
    struct stat status {};
    if (lstat(paths.save.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
        sameFile(identityOf(status), folder.trusted)) {
        return PREVIOUS_GOOD;
    }
    SaveBytes bytes;
    switch (readCheckedSave(paths.save, blockTypes, bytes, why)) {
    case SAVE_READ:
        return PREVIOUS_GOOD;
    case SAVE_MISSING:
        return PREVIOUS_NONE;
    case SAVE_REFUSED:
        return PREVIOUS_REFUSED;
    default:
        return PREVIOUS_UNREADABLE;
    }
}

// What a backup that could not be replaced leaves.
std::string backupLeft(const SavePaths& paths) {
    return isRegularFile(paths.backup) ? "the older backup stays" : "there is no backup";
}

// Why the previous save did not become the backup, for a rename that failed with `error`.
std::string backupNotKept(const SavePaths& paths, int error) {
    const std::string reason = failure("cannot keep the previous save as", paths.backup, error);
    return reason + "; " + backupLeft(paths);
}

// True when a rename failed only because the file system knows no such flag (FAT, some network
// file systems): the caller then does without it.
bool renameFlagUnsupported(int error) {
    return error == EINVAL || error == ENOSYS || error == EOPNOTSUPP;
}

bool replaceSave(const SavePaths& paths, std::string& problem) {
    if (std::rename(paths.temporary.c_str(), paths.save.c_str()) != 0) {
        problem = failure("cannot put the new save in place as", paths.save, errno);
        return false;
    }
    return true;
}

// Puts the new save in place and the previous one at the backup's name. Where the file system
// can swap two names in one step, the save's name always holds a whole save; elsewhere (FAT,
// some network file systems) the previous save moves to the backup's name first, so that for
// an instant the backup is the one whole save, never neither. A backup that cannot be kept
// never stops the save: `note` says so.
bool replaceKeepingBackup(const SavePaths& paths, std::string& problem, std::string& note) {
    if (renameat2(AT_FDCWD, paths.temporary.c_str(), AT_FDCWD, paths.save.c_str(),
                  RENAME_EXCHANGE) == 0) {
        if (std::rename(paths.temporary.c_str(), paths.backup.c_str()) != 0) {
            note = backupNotKept(paths, errno);
            unlink(paths.temporary.c_str());
        }
        return true;
    }
    if (!renameFlagUnsupported(errno)) {
        problem = failure("cannot put the new save in place as", paths.save, errno);
        return false;
    }
    const bool kept = std::rename(paths.save.c_str(), paths.backup.c_str()) == 0;
    if (!kept) {
        note = backupNotKept(paths, errno);
    }
    if (!replaceSave(paths, problem)) {
        if (kept) {
            std::rename(paths.backup.c_str(), paths.save.c_str()); // the previous save, back
        }
        return false;
    }
    return true;
}

// A refused previous save is kept aside before the new one takes its name; one that cannot be
// kept aside stops the save, so that nothing overwrites it.
bool replaceSettingAside(const SavePaths& paths, const std::string& refused, std::string& problem,
                         std::string& note) {
    std::string aside;
    std::string why;
    if (!setAsideRefusedSave(paths.save, aside, why)) {
        problem = "the save " + paths.save + " is refused (" + refused +
                  ") and cannot be set aside: " + why + "; move it away to save over it";
        return false;
    }
    note = "the previous save was refused (" + refused + "); kept it as " + aside;
    return replaceSave(paths, problem);
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

// ---- Setting refused saves aside ----

std::string damagedName(const std::string& save, int number) {
    return save + SAVE_DAMAGED_SUFFIX + (number > 1 ? "." + std::to_string(number) : "");
}

// Renames without ever replacing what is at `to`. Where the file system cannot promise that, a
// look first does: no other copy of the game works in the folder (save_lock.h).
bool renameNoReplace(const std::string& from, const std::string& to) {
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (!renameFlagUnsupported(errno)) {
        return false;
    }
    struct stat status {};
    if (lstat(to.c_str(), &status) == 0) {
        errno = EEXIST;
        return false;
    }
    return std::rename(from.c_str(), to.c_str()) == 0;
}

// The first of the names ".damaged" to ".damaged.5" that nothing stands at; 0 when all are
// taken.
int firstFreeDamaged(const std::string& save) {
    for (int number = 1; number <= MAX_DAMAGED_KEPT; ++number) {
        struct stat status {};
        if (lstat(damagedName(save, number).c_str(), &status) != 0 && errno == ENOENT) {
            return number;
        }
    }
    return 0;
}

} // namespace

SavePaths savePaths(const std::string& directory) {
    const std::string save = directory + "/" + SAVE_FILE_NAME;
    return {save, save + SAVE_BACKUP_SUFFIX, save + SAVE_TEMPORARY_SUFFIX};
}

bool writeSaveFile(SaveFolder& folder, const SaveBytes& bytes, const BlockTypes& blockTypes,
                   std::string& problem) {
    const SavePaths paths = savePaths(folder.directory);
    problem.clear();
    FileIdentity written{};
    if (!writeTemporary(paths.temporary, bytes, written, problem)) {
        unlink(paths.temporary.c_str());
        return false;
    }
    std::string why;
    std::string note;
    bool placed = false;
    switch (examinePrevious(folder, paths, blockTypes, why)) {
    case PREVIOUS_GOOD:
        placed = replaceKeepingBackup(paths, problem, note);
        break;
    case PREVIOUS_REFUSED:
        placed = replaceSettingAside(paths, why, problem, note);
        break;
    case PREVIOUS_UNREADABLE:
        note = "cannot keep the previous save as the backup: " + why + "; " + backupLeft(paths);
        placed = replaceSave(paths, problem);
        break;
    case PREVIOUS_NONE:
        placed = replaceSave(paths, problem);
        break;
    }
    if (!placed) {
        unlink(paths.temporary.c_str());
        return false;
    }
    flushDirectory(folder.directory);
    folder.trusted = written;
    problem = note;
    return true;
}

SaveReadResult readSaveFile(const std::string& path, SaveBytes& bytes, std::string& problem,
                            FileIdentity* identity) {
    // Not blocking: opening a FIFO for reading would wait for a writer that never comes.
    const int file = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (file < 0) {
        if (errno == ENOENT) {
            return SAVE_MISSING;
        }
        problem = failure("cannot open", path, errno);
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
            problem = failure("cannot read", path, errno);
            close(file);
            bytes.clear();
            return SAVE_UNREADABLE;
        }
        if (count == 0) {
            break;
        }
        got += static_cast<size_t>(count);
    }
    close(file);
    bytes.resize(got);
    if (identity != nullptr) {
        *identity = identityOf(status);
    }
    return SAVE_READ;
}

SaveReadResult readCheckedSave(const std::string& path, const BlockTypes& blockTypes,
                               SaveBytes& bytes, std::string& problem, FileIdentity* identity) {
    const SaveReadResult found = readSaveFile(path, bytes, problem, identity);
    if (found == SAVE_READ && !validateSave(bytes, blockTypes, problem)) {
        return SAVE_REFUSED;
    }
    return found;
}

bool setAsideRefusedSave(const std::string& save, std::string& aside, std::string& problem) {
    // The newest refused save is always ".damaged"; the older ones move one number up, as far as
    // the first free name, and when none is free the oldest, ".damaged.5", goes.
    int free = firstFreeDamaged(save);
    if (free == 0) {
        free = MAX_DAMAGED_KEPT;
        const std::string oldest = damagedName(save, free);
        if (unlink(oldest.c_str()) != 0 && errno != ENOENT) {
            problem = failure("cannot remove the oldest refused save", oldest, errno);
            return false;
        }
    }
    for (int number = free - 1; number >= 1; --number) {
        const std::string older = damagedName(save, number + 1);
        if (!renameNoReplace(damagedName(save, number), older)) {
            problem = failure("cannot move an older refused save to", older, errno);
            return false;
        }
    }
    aside = damagedName(save, 1);
    if (!renameNoReplace(save, aside)) {
        problem = failure("cannot rename it to", aside, errno);
        return false;
    }
    return true;
}
