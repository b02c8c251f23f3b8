// The save files on disk: the one saved world and its backup, written so that no crash or
// failure leaves fewer whole saves than before, and read without ever blocking. No file that may
// hold a world is ever removed: what cannot stay at its name is kept aside under a name of its
// own. With the folder's lock (save_lock.h), the only code of the game that calls the operating
// system itself. The functions take the folder that holds the save, so that the game uses its
// working directory and tests a directory of their own.
#pragma once

#include <cstdint>
#include <string>

#include "world/save_codec.h"
#include "world/save_gate.h"

/// Name of the save file inside its directory.
constexpr const char* SAVE_FILE_NAME = "TellurnSave.wld";
/// Appended to the save's name for the previous good save, kept when a new one replaces it.
constexpr const char* SAVE_BACKUP_SUFFIX = ".bak";
/// Appended to the save's name for the new save while it is written, before it replaces the save.
constexpr const char* SAVE_TEMPORARY_SUFFIX = ".tmp";
/// Appended to the save's name for the newest save that Load or Save refused and set aside; the
/// older ones move on to ".2" to ".5" after it, and the oldest goes when all are taken.
constexpr const char* SAVE_DAMAGED_SUFFIX = ".damaged";
/// How many refused saves are kept aside at most.
constexpr int MAX_DAMAGED_KEPT = 5;
/// Appended to the save's name for a file that may hold a world but cannot stay where it is: a
/// previous save that cannot be read, a whole save an unfinished save left at the temporary
/// name. The next ones take ".2", ".3" and so on; none is ever removed.
constexpr const char* SAVE_KEPT_SUFFIX = ".kept";
/// How many files are kept aside at most; a save that would need one more fails instead.
constexpr int MAX_KEPT = 99;
/// The directory the game keeps its save in: the working directory.
constexpr const char* GAME_SAVE_DIRECTORY = ".";

/// The files of one save directory.
struct SavePaths {
    std::string save;
    std::string backup;
    /// Where a new save is written before it replaces the save.
    std::string temporary;
};

/// The paths of the save files in `directory`.
SavePaths savePaths(const std::string& directory);

/// Which file a name held when it was looked at: enough to tell whether the save on disk is
/// still the one this run wrote or loaded.
struct FileIdentity {
    bool known;
    uint64_t device;
    uint64_t inode;
    int64_t size;
    int64_t modifiedNanoseconds;
};

/// A save folder as this run knows it.
struct SaveFolder {
    std::string directory = GAME_SAVE_DIRECTORY;
    /// The save this run last wrote or loaded whole: a good save, which becomes the backup
    /// without being read and checked again.
    FileIdentity trusted;
    /// Passed before every move; null where nobody stops waiting for the work (save_gate.h).
    SaveGate* gate = nullptr;
};

/// What reading a save file found.
enum SaveReadResult {
    /// Read whole (up to one byte more than a save, so that an overlong file shows).
    SAVE_READ,
    /// Nothing at the name.
    SAVE_MISSING,
    /// Something at the name could not be read: not a regular file, no permission, a disk error.
    /// It says nothing about the file's bytes.
    SAVE_UNREADABLE,
    /// Read whole, and the check refuses it (readCheckedSave only).
    SAVE_REFUSED,
};

/// Writes `bytes` as the save in the folder. What stands at the temporary name is looked at
/// first (a whole save there is kept aside); the bytes go to a temporary file the game creates
/// itself, flushed; the previous save becomes the backup by a rename if it is a good save (this
/// run's own, or read and checked now). A previous save the check refuses is set aside as
/// damaged, one that cannot be read is kept aside: neither becomes the backup. False when the new
/// save is not at the save's name: `problem` says what failed and where the saves are. True
/// otherwise, with `problem` saying what became of the previous save when it could not be kept
/// as the backup (empty when all went well).
bool writeSaveFile(SaveFolder& folder, const SaveBytes& bytes, const BlockTypes& blockTypes,
                   std::string& problem);

/// Reads the file at `path` into `bytes` in one block. Never blocks: anything but a regular file
/// is refused at once. On SAVE_UNREADABLE, `problem` says why. On SAVE_READ, `identity` (when
/// given) names the file read.
SaveReadResult readSaveFile(const std::string& path, SaveBytes& bytes, std::string& problem,
                            FileIdentity* identity = nullptr);

/// Reads the file at `path` and checks it: SAVE_READ only for a save that loads, SAVE_REFUSED
/// for a file read whole that the check refuses. `problem` says why it is not SAVE_READ.
SaveReadResult readCheckedSave(const std::string& path, const BlockTypes& blockTypes,
                               SaveBytes& bytes, std::string& problem,
                               FileIdentity* identity = nullptr);

/// Moves a refused save to its name with SAVE_DAMAGED_SUFFIX, the refused saves kept there
/// before moving one number up (the oldest goes when all MAX_DAMAGED_KEPT are taken); no rename
/// ever replaces a file. Returns true and sets `aside` to the new name, or returns false with
/// `problem` saying why the save stays where it is.
bool setAsideRefusedSave(const std::string& save, SaveGate* gate, std::string& aside,
                         std::string& problem);

/// True when `a` is a file modified later than `b`; an unknown file is never the later one.
bool modifiedLater(const FileIdentity& a, const FileIdentity& b);
