// The save files on disk: the one saved world and its backup, written so that no crash or
// failure loses both, and read without ever blocking. The only code of the game that calls
// the operating system itself. The functions take the directory that holds the save, so that
// the game uses its working directory and tests a directory of their own.
#pragma once

#include <string>

#include "world/save_codec.h"

/// Name of the save file inside its directory.
constexpr const char* SAVE_FILE_NAME = "TellurnSave.wld";
/// Appended to the save's name for the previous good save, kept when a new one replaces it.
constexpr const char* SAVE_BACKUP_SUFFIX = ".bak";
/// Appended to a file's name for the temporary copy written before it replaces that file.
constexpr const char* SAVE_TEMPORARY_SUFFIX = ".tmp";
/// Appended to the save's name for a save that Load refused and set aside to load the backup;
/// later ones get ".2", ".3", ... after it, so none is overwritten.
constexpr const char* SAVE_DAMAGED_SUFFIX = ".damaged";
/// The directory the game keeps its save in: the working directory.
constexpr const char* GAME_SAVE_DIRECTORY = ".";

/// The files of one save directory.
struct SavePaths {
    std::string save;
    std::string backup;
    /// Where a new save is written before it replaces the save.
    std::string saveTemporary;
    /// Where the previous save is copied before it replaces the backup.
    std::string backupTemporary;
};

/// The paths of the save files in `directory`.
SavePaths savePaths(const std::string& directory);

/// What reading a save file found.
enum SaveReadResult { SAVE_READ, SAVE_MISSING, SAVE_UNREADABLE };

/// Writes `bytes` as the save in `directory`, so that at every moment the directory holds a
/// whole save or a whole backup, even if the process is killed: the bytes go to a temporary
/// file the game creates itself, flushed; the current save, if it passes the check, is copied
/// the same way to a temporary backup; then each temporary is renamed over its file. No hard
/// links. False when the new save is not in place: then the save and the backup are as they
/// were and `problem` says what failed. True otherwise; if the backup could not be replaced,
/// the older backup stays and `problem` says so.
bool writeSaveFile(const std::string& directory, const SaveBytes& bytes,
                   const BlockTypes& blockTypes, std::string& problem);

/// Reads the file at `path` into `bytes` in one block (at most one byte more than a save, so an
/// overlong file shows). Never blocks: anything but a regular file is refused at once. On
/// SAVE_UNREADABLE, `problem` says why.
SaveReadResult readSaveFile(const std::string& path, SaveBytes& bytes, std::string& problem);

/// Reads the file at `path` and checks it; false, with `problem` saying why, unless it is a
/// save that loads.
bool readGoodSave(const std::string& path, const BlockTypes& blockTypes, SaveBytes& bytes,
                  std::string& problem);

/// Renames a refused save to the first free name after it (SAVE_DAMAGED_SUFFIX), so that no
/// earlier one is overwritten and the next save cannot replace it. Says where it went.
std::string setAsideRefusedSave(const std::string& save);
