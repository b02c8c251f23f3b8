// The save file on disk: the one saved world, its backup, and the game's Save and Load. The
// functions take the directory that holds the save, so that the game uses its working
// directory and tests a directory of their own.
#pragma once

#include <chipmunk/chipmunk.h>
#include <string>

#include "world/save_codec.h"

struct ALLEGRO_MUTEX;

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

/// Saves the world and the player into `directory` and says on the console whether it worked.
/// The bytes about to be written must pass the game's own check (validateSave): a state that
/// fails it is a failed save that touches no file. It only reads state that only the calling
/// (main) thread writes, so it takes no lock.
bool saveWorld(const World& world, const Player& player, const BlockTypes& blockTypes,
               const std::string& directory);

/// Loads the save in `directory`, or, when the save is missing or refused, its backup if that is
/// a good save; a refused save is then renamed aside (SAVE_DAMAGED_SUFFIX) and one line says
/// what was wrong, that the backup was loaded and where the refused file went. The whole file
/// is read and checked first; then, holding `stateLock`, the grid and its segments are
/// replaced, the player takes the game state and its body moves there at rest. When neither
/// loads, `loadFailed` is set and nothing else changes. Says on the console what happened;
/// returns true when a world was loaded.
bool loadWorld(World& world, Player& player, const BlockTypes& blockTypes, cpSpace* space,
               const std::string& directory, ALLEGRO_MUTEX* stateLock);
