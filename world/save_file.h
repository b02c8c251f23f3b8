// The save file: the one saved world, a 304-byte player header followed by every cell of the
// grid as a 44-byte record, column by column, little-endian, field by field. Encoding, checking
// and decoding work on byte buffers; the file functions around them take the directory that
// holds the save, so that the game uses its working directory and tests a directory of their own.
#pragma once

#include <chipmunk/chipmunk.h>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "world/player_record.h"
#include "world/block_types.h"
#include "world/world_grid.h"

struct ALLEGRO_MUTEX;

/// Name of the save file inside its directory.
constexpr const char* SAVE_FILE_NAME = "TellurnSave.wld";
/// Appended to the save's name for the previous save, kept when a new one replaces it.
constexpr const char* SAVE_BACKUP_SUFFIX = ".bak";
/// Appended to the save's name for the file a save is written to before it replaces the old one.
constexpr const char* SAVE_TEMPORARY_SUFFIX = ".tmp";
/// The directory the game keeps its save in: the working directory.
constexpr const char* GAME_SAVE_DIRECTORY = ".";

/// Bytes of the player header at the start of the file.
constexpr size_t SAVE_HEADER_SIZE = 304;
/// Bytes of one cell record.
constexpr size_t SAVE_RECORD_SIZE = 44;
/// Bytes of the whole file: 15,206,704.
constexpr size_t SAVE_FILE_SIZE = SAVE_HEADER_SIZE + SAVE_RECORD_SIZE * WORLD_CELLS;

/// The bytes of a save file.
using SaveBytes = std::vector<uint8_t>;

/// What reading the save file found.
enum SaveReadResult { SAVE_READ, SAVE_MISSING, SAVE_UNREADABLE };

/// Fills `bytes` with the file image of the world and the player. Padding and the bytes after a
/// name's terminator are zero; a reference is 1 when set and 0 when empty.
void encodeSave(const World& world, const Player& player, SaveBytes& bytes);

/// True when `bytes` is a save this game can load: the exact length, cells that are copies of
/// their type at their place (or at 0, 0), finite floats, sane counts and selection, and a player
/// no more than one block outside the world. Otherwise says the first thing wrong in `problem`.
bool validateSave(const SaveBytes& bytes, const BlockTypes& blockTypes, std::string& problem);

/// Takes the game state of a validated save into the player: position, counts, jump flag,
/// selection and impulse base. This run's display size, keys and load flags stay.
void decodeSavedPlayer(const SaveBytes& bytes, Player& player);

/// Stores every cell of a validated save into the grid, each a whole copy of its type's
/// template (so its bitmap is this run's) at the file's place, with no segment references.
void decodeSavedCells(const SaveBytes& bytes, const BlockTypes& blockTypes, World& world);

/// Writes `bytes` as the save in `directory`: to a temporary file, flushed to disk, then renamed
/// over the save, the previous save kept as its backup. On failure the old save is untouched,
/// `problem` says what failed, and the result is false.
bool writeSaveFile(const std::string& directory, const SaveBytes& bytes, std::string& problem);

/// Reads the save in `directory` into `bytes` in one block (at most one byte more than a save,
/// so an overlong file shows). On SAVE_UNREADABLE, `problem` says why.
SaveReadResult readSaveFile(const std::string& directory, SaveBytes& bytes, std::string& problem);

/// Saves the world and the player into `directory` and says on the console whether it worked.
/// It only reads state that only the calling (main) thread writes, so it takes no lock.
bool saveWorld(const World& world, const Player& player, const std::string& directory);

/// Loads the save in `directory`: reads and checks the whole file first, then, holding
/// `stateLock`, replaces the grid and its segments, takes the player's game state and moves its
/// body there at rest. A missing or rejected file sets `loadFailed` and changes nothing else.
/// Says on the console what happened; returns true when the world was loaded.
bool loadWorld(World& world, Player& player, const BlockTypes& blockTypes, cpSpace* space,
               const std::string& directory, ALLEGRO_MUTEX* stateLock);
