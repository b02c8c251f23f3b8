#include "world/save_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The most of a save that one system call writes or reads. A kernel that preempts no thread
// inside a call (one built for preempt=none) lets a single 15 MB write hold its core for 20 ms,
// and a frame's thread woken on that core waits all that time; a piece takes a fraction of a
// millisecond.
constexpr size_t FILE_PIECE = 256 * 1024;

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

bool isPresent(const std::string& path) {
    struct stat status {};
    return lstat(path.c_str(), &status) == 0;
}

bool isRegularFile(const std::string& path) {
    struct stat status {};
    return lstat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

// ---- Moves, each passing the folder's gate first ----

// What stands where as the gate last heard; a step that moves nothing of the save keeps it.
std::string standingOf(const SaveGate* gate) {
    return gate == nullptr ? "" : gate->standing;
}

// Runs one file step through the gate: `whileUnderWay` is true should it never end, `after` once
// it has done its work (what was true before stays when it fails). `step` returns whether it did,
// with errno set when not. False, with errno ECANCELED and nothing done, once the gate is closed;
// the game then says nothing more, so that reason is never shown.
template <typename Step>
bool throughGate(SaveGate* gate, const std::string& whileUnderWay, const std::string& after,
                 bool placing, Step step) {
    const std::string before = standingOf(gate);
    if (!passGate(gate, whileUnderWay)) {
        errno = ECANCELED;
        return false;
    }
    const bool done = step();
    const int error = errno;
    leaveGate(gate, done ? after : before, done && placing);
    errno = error;
    return done;
}

// A step through the gate that changes nothing of what stands where.
template <typename Step> bool quietlyThroughGate(SaveGate* gate, Step step) {
    const std::string standing = standingOf(gate);
    return throughGate(gate, standing, standing, false, step);
}

// One rename through the gate (throughGate); `error` is errno when it fails.
bool gatedRename(SaveGate* gate, const std::string& from, const std::string& to,
                 const std::string& whileUnderWay, const std::string& after, bool placing,
                 int& error) {
    const bool moved = throughGate(gate, whileUnderWay, after, placing,
                                   [&] { return std::rename(from.c_str(), to.c_str()) == 0; });
    error = errno;
    return moved;
}

// True when a rename failed only because the file system knows no such flag (FAT, some network
// file systems): the caller then does without it.
bool renameFlagUnsupported(int error) {
    return error == EINVAL || error == ENOSYS || error == EOPNOTSUPP;
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

// renameNoReplace through the gate, `after` true once it is done (by default what was true
// before); errno is ECANCELED when the gate is closed.
bool gatedNoReplace(SaveGate* gate, const std::string& from, const std::string& to,
                    const std::string* after = nullptr) {
    const std::string standing = standingOf(gate);
    return throughGate(gate, standing, after != nullptr ? *after : standing, false,
                       [&] { return renameNoReplace(from, to); });
}

std::string numberedName(const std::string& save, const char* suffix, int number) {
    return save + suffix + (number > 1 ? "." + std::to_string(number) : "");
}

// Moves what may hold a world out of the way, to the first free ".kept" name: never over
// anything, and nothing kept there is ever removed.
// `keptAs` says, of the name it took, what stands where once it is done.
bool keepAside(const SavePaths& paths, const std::string& path, SaveGate* gate, std::string& aside,
               std::string& problem, const std::string& keptAs = std::string()) {
    bool kept = false;
    int error = EEXIST;
    for (int number = 1; number <= MAX_KEPT && !kept && error == EEXIST; ++number) {
        aside = numberedName(paths.save, SAVE_KEPT_SUFFIX, number);
        const std::string after = keptAs.empty() ? standingOf(gate) : keptAs + aside;
        kept = gatedNoReplace(gate, path, aside, &after);
        error = errno;
    }
    if (!kept) {
        problem = error == EEXIST ? "all the names up to " + aside + " are taken"
                                  : failure("cannot rename it to", aside, error);
    }
    return kept;
}

// Removes what holds no world: a write cut off before it was whole, a link, a FIFO.
bool removeNoWorld(const std::string& path, SaveGate* gate, std::string& problem) {
    const bool removed =
        quietlyThroughGate(gate, [&] { return unlink(path.c_str()) == 0 || errno == ENOENT; });
    if (!removed) {
        problem = failure("cannot remove", path, errno);
    }
    return removed;
}

// ---- Writing the new save ----

bool writeAll(int file, const uint8_t* data, size_t size) {
    while (size > 0) {
        const ssize_t written = write(file, data, std::min(size, FILE_PIECE));
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

// Whatever an earlier save left at the temporary name is looked at before this save takes the
// name: a whole save there may be the newest one, and a file that cannot be read may be one, so
// both are kept aside (`note` says where); a cut-off write, a link or a FIFO holds no world.
bool clearTemporary(const SavePaths& paths, const BlockTypes& blockTypes, SaveGate* gate,
                    std::string& problem, std::string& note) {
    const std::string& temporary = paths.temporary;
    struct stat status {};
    if (lstat(temporary.c_str(), &status) != 0) {
        return true; // nothing there, or no folder: creating the file says which
    }
    if (S_ISDIR(status.st_mode)) {
        problem = "cannot create " + temporary + ": a directory stands at that name; move it away";
        return false;
    }
    SaveBytes bytes;
    std::string why;
    const SaveReadResult found =
        S_ISREG(status.st_mode) ? readCheckedSave(temporary, blockTypes, bytes, why) : SAVE_REFUSED;
    if (found == SAVE_REFUSED || found == SAVE_MISSING) {
        return removeNoWorld(temporary, gate, problem);
    }
    const std::string what = found == SAVE_READ
                                 ? "a whole save that did not finish at " + temporary
                                 : "a file that cannot be read at " + temporary + " (" + why + ")";
    std::string aside;
    if (!keepAside(paths, temporary, gate, aside, why)) {
        problem = "found " + what + ", which cannot be kept aside: " + why + "; move it away";
        return false;
    }
    note = "found " + what + "; kept it as " + aside;
    return true;
}

// Creates the temporary for this save alone: the exclusive, no-follow open refuses anything that
// stands at the name, so the bytes never go through a planted link.
int createTemporary(const std::string& path, SaveGate* gate, std::string& problem) {
    int file = -1;
    if (!quietlyThroughGate(gate, [&] {
            file = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
            return file >= 0;
        })) {
        problem = failure("cannot create", path, errno);
    }
    return file;
}

// Writes `bytes` into a new file at `path`, flushed to disk, and notes which file it is. A file
// that was not written whole holds no world and goes again.
bool writeTemporary(const std::string& path, const SaveBytes& bytes, SaveGate* gate,
                    FileIdentity& identity, std::string& problem) {
    const int file = createTemporary(path, gate, problem);
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
    std::string ignored; // the failure that matters is the one above
    if (!written) {
        removeNoWorld(path, gate, ignored);
    }
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

// The new save from the temporary name to the save's, where nothing good is lost by it.
bool placeNewSave(const SavePaths& paths, SaveGate* gate, std::string& problem) {
    const std::string before = standingOf(gate);
    int error = 0;
    if (!gatedRename(gate, paths.temporary, paths.save,
                     "the new save is " + paths.temporary + " or already " + paths.save +
                         (before.empty() ? "" : "; " + before),
                     "", true, error)) {
        problem = failure("cannot put the new save in place as", paths.save, error);
        return false;
    }
    return true;
}

// After the swap the previous save stands at the temporary name: it becomes the backup, or,
// where that cannot be, is kept aside; only if that fails too does it stay where it is, for the
// next save to keep aside.
std::string keepSwappedOut(const SavePaths& paths, SaveGate* gate) {
    int error = 0;
    const std::string staying = "the previous save stays as " + paths.temporary;
    if (gatedRename(gate, paths.temporary, paths.backup,
                    "the previous save is " + paths.temporary + " or " + paths.backup, "", false,
                    error)) {
        return "";
    }
    const std::string reason = failure("cannot keep the previous save as", paths.backup, error);
    std::string aside;
    std::string why;
    if (keepAside(paths, paths.temporary, gate, aside, why)) {
        return reason + "; kept it as " + aside + " and " + backupLeft(paths);
    }
    return reason + "; " + staying + " (" + why + ")";
}

// Where the file system cannot swap two names in one step (FAT, some network file systems):
// the previous save moves to the backup's name (or is kept aside), then the new one takes the
// save's. A cut between the two leaves both whole, and Load takes the newer.
bool replaceInTwoSteps(const SavePaths& paths, SaveGate* gate, std::string& problem,
                       std::string& note) {
    const std::string both = "the previous save is " + paths.backup;
    int error = 0;
    if (!gatedRename(gate, paths.save, paths.backup,
                     "the previous save is " + paths.save + " or " + paths.backup +
                         ", the new one " + paths.temporary,
                     both, false, error)) {
        std::string aside;
        std::string why;
        const std::string reason = failure("cannot keep the previous save as", paths.backup, error);
        if (!keepAside(paths, paths.save, gate, aside, why, "the previous save is ")) {
            problem = reason + ", nor keep it aside (" + why + "); the save is as it was";
            return false;
        }
        note = reason + "; kept it as " + aside + " and " + backupLeft(paths);
    }
    return placeNewSave(paths, gate, problem);
}

// Puts the new save in place and the previous one at the backup's name. Where the file system
// can swap two names in one step, the save's name always holds a whole save. A backup that
// cannot be kept never stops the save: `note` says what became of the previous save.
bool replaceKeepingBackup(const SavePaths& paths, SaveGate* gate, std::string& problem,
                          std::string& note) {
    const bool swapped =
        throughGate(gate, "the save is the previous one or the new one, whole",
                    "the previous save stays as " + paths.temporary, true, [&] {
                        return renameat2(AT_FDCWD, paths.temporary.c_str(), AT_FDCWD,
                                         paths.save.c_str(), RENAME_EXCHANGE) == 0;
                    });
    const int error = errno;
    if (swapped) {
        note = keepSwappedOut(paths, gate);
        return true;
    }
    if (renameFlagUnsupported(error)) {
        return replaceInTwoSteps(paths, gate, problem, note);
    }
    problem = failure("cannot put the new save in place as", paths.save, error);
    return false;
}

// A refused previous save is kept aside before the new one takes its name; one that cannot be
// kept aside stops the save, so that nothing overwrites it.
bool replaceSettingAside(const SavePaths& paths, SaveGate* gate, const std::string& refused,
                         std::string& problem, std::string& note) {
    std::string aside;
    std::string why;
    if (!setAsideRefusedSave(paths.save, gate, aside, why)) {
        problem = "the save " + paths.save + " is refused (" + refused +
                  ") and cannot be set aside: " + why + "; move it away to save over it";
        return false;
    }
    note = "the previous save was refused (" + refused + "); kept it as " + aside;
    return placeNewSave(paths, gate, problem);
}

// A previous save that cannot be read may be a good one: it is kept aside, never replaced, and
// never made the backup without a look at its bytes.
bool replaceKeepingUnreadable(const SavePaths& paths, SaveGate* gate, const std::string& why,
                              std::string& problem, std::string& note) {
    std::string aside;
    std::string keptWhy;
    if (!keepAside(paths, paths.save, gate, aside, keptWhy, "the previous save is ")) {
        problem = "the previous save cannot be read (" + why + ") nor kept aside (" + keptWhy +
                  "); the save is as it was";
        return false;
    }
    note = "cannot keep the previous save as the backup: " + why + "; kept it as " + aside +
           " and " + backupLeft(paths);
    return placeNewSave(paths, gate, problem);
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

// Puts the written temporary in place as the previous save allows. False, with the temporary
// gone or kept whole as `problem` says, when the new save is not at the save's name.
bool replacePrevious(const SaveFolder& folder, const SavePaths& paths, const BlockTypes& blockTypes,
                     std::string& problem, std::string& note) {
    std::string why;
    switch (examinePrevious(folder, paths, blockTypes, why)) {
    case PREVIOUS_GOOD:
        return replaceKeepingBackup(paths, folder.gate, problem, note);
    case PREVIOUS_REFUSED:
        return replaceSettingAside(paths, folder.gate, why, problem, note);
    case PREVIOUS_UNREADABLE:
        return replaceKeepingUnreadable(paths, folder.gate, why, problem, note);
    case PREVIOUS_NONE:
        return placeNewSave(paths, folder.gate, problem);
    }
    return false;
}

// ---- Setting refused saves aside ----

// The first of the names ".damaged" to ".damaged.5" that nothing stands at; 0 when all are
// taken.
int firstFreeDamaged(const std::string& save) {
    for (int number = 1; number <= MAX_DAMAGED_KEPT; ++number) {
        struct stat status {};
        if (lstat(numberedName(save, SAVE_DAMAGED_SUFFIX, number).c_str(), &status) != 0 &&
            errno == ENOENT) {
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
    std::string found;
    std::string note;
    FileIdentity written{};
    if (!clearTemporary(paths, blockTypes, folder.gate, problem, found) ||
        !writeTemporary(paths.temporary, bytes, folder.gate, written, problem)) {
        return false;
    }
    if (!replacePrevious(folder, paths, blockTypes, problem, note)) {
        // The new save goes again only where the previous one still stands at the save's name;
        // otherwise it stays whole, the newest save that Load takes.
        std::string ignored;
        if (isPresent(paths.save)) {
            removeNoWorld(paths.temporary, folder.gate, ignored);
        } else if (problem.find(paths.temporary) == std::string::npos) {
            problem += "; the new save stays as " + paths.temporary + ", which Load takes";
        }
        return false;
    }
    flushDirectory(folder.directory);
    folder.trusted = written;
    problem = found.empty() || note.empty() ? found + note : found + "; " + note;
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
        const ssize_t count = read(file, &bytes[got], std::min(bytes.size() - got, FILE_PIECE));
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

bool setAsideRefusedSave(const std::string& save, SaveGate* gate, std::string& aside,
                         std::string& problem) {
    // The newest refused save is always ".damaged"; the older ones move one number up, as far as
    // the first free name, and when none is free the oldest, ".damaged.5", goes.
    int free = firstFreeDamaged(save);
    if (free == 0) {
        free = MAX_DAMAGED_KEPT;
        const std::string oldest = numberedName(save, SAVE_DAMAGED_SUFFIX, free);
        if (!quietlyThroughGate(gate,
                                [&] { return unlink(oldest.c_str()) == 0 || errno == ENOENT; })) {
            problem = failure("cannot remove the oldest refused save", oldest, errno);
            return false;
        }
    }
    for (int number = free - 1; number >= 1; --number) {
        const std::string older = numberedName(save, SAVE_DAMAGED_SUFFIX, number + 1);
        if (!gatedNoReplace(gate, numberedName(save, SAVE_DAMAGED_SUFFIX, number), older)) {
            problem = failure("cannot move an older refused save to", older, errno);
            return false;
        }
    }
    aside = numberedName(save, SAVE_DAMAGED_SUFFIX, 1);
    if (!gatedNoReplace(gate, save, aside)) {
        problem = failure("cannot rename it to", aside, errno);
        return false;
    }
    return true;
}

bool modifiedLater(const FileIdentity& a, const FileIdentity& b) {
    return a.known && (!b.known || a.modifiedNanoseconds > b.modifiedNanoseconds);
}
