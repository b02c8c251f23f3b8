// The save file's bytes: a 304-byte player header followed by every cell of the grid as a
// 44-byte record, column by column, little-endian, field by field. Encoding, checking and
// decoding work on byte buffers: the whole file, any piece of it in turn, or one header or
// record at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "world/block_types.h"
#include "world/player_record.h"
#include "world/world_grid.h"

/// Bytes of the player header at the start of the file.
constexpr size_t SAVE_HEADER_SIZE = 304;
/// Bytes of one cell record.
constexpr size_t SAVE_RECORD_SIZE = 44;
/// Bytes of the whole file: 15,206,704.
constexpr size_t SAVE_FILE_SIZE = SAVE_HEADER_SIZE + SAVE_RECORD_SIZE * WORLD_CELLS;

/// The bytes of a save file.
using SaveBytes = std::vector<uint8_t>;

/// What the save file holds of one cell beyond its type: which of its references are set and
/// where it is placed. Its name and passable flag are its type's. 3 bytes against the grid
/// cell's 64.
struct SavedCell {
    int8_t id;
    /// Bit 0: the image; bits 1 to 4: the top, bottom, right and left segments.
    uint8_t references;
    /// Bits 0 and 1: x, y at the cell's corner; bits 2 and 3: x, y neither there nor 0, a place
    /// the game never gives a cell, written so that the check refuses it. Otherwise 0.
    uint8_t place;
};

/// Every cell of the grid as the save file holds it, in grid order: what a Save click copies.
using SavedCells = std::vector<SavedCell>;

/// Copies what the save file holds of every cell of the grid into `cells`.
void snapshotCells(const World& world, SavedCells& cells);

/// What the save file holds of every cell, kept up to date chunk by chunk.
struct CellSnapshot {
    SavedCells cells;
    /// The grid's record version of each chunk when its cells were copied.
    uint32_t versions[CHUNK_COUNT];
};

/// Brings the snapshot up to date with the grid: copies the cells of every chunk whose record
/// version changed since (World::recordVersions), and of all of them the first time.
void refreshSnapshot(const World& world, CellSnapshot& snapshot);

/// refreshSnapshot, copying at most `chunks` chunks, so that a whole new grid can be copied over
/// a few ticks. True once the snapshot is up to date.
bool refreshSnapshotChunks(const World& world, CellSnapshot& snapshot, int chunks);

/// Writes bytes [offset, offset + size) of the file image of the cells and the player at
/// `piece`: the game's one encoder, so that a save can be encoded and written a piece at a time
/// without a buffer of the whole file. The names and passable flags come from the block-type
/// table. Padding and the bytes after a name's terminator are zero; a reference is 1 when set
/// and 0 when empty. The range must lie within the file.
void encodeSavePiece(const SavedCells& cells, const Player& player, const BlockTypes& blockTypes,
                     size_t offset, size_t size, uint8_t* piece);

/// Fills `bytes` with the whole file image of the cells and the player (encodeSavePiece).
void encodeSave(const SavedCells& cells, const Player& player, const BlockTypes& blockTypes,
                SaveBytes& bytes);

/// Fills `bytes` with the file image of the world and the player, through a snapshot of its
/// cells and encodeSave.
void encodeWorldSave(const World& world, const Player& player, const BlockTypes& blockTypes,
                     SaveBytes& bytes);

/// Writes the player's 304-byte header at `header`, as encodeSave does.
void encodeSaveHeader(const Player& player, uint8_t* header);

/// Writes the 44-byte record of the cell with grid index `index` at `record`, as encodeSave
/// does.
void encodeSaveRecord(const Block& cell, int index, const BlockTypes& blockTypes, uint8_t* record);

/// True when `bytes` is a save this game can load and that it could have written itself: the
/// exact length, a loadable header (validateSaveHeader) and cells that are copies of their type
/// at their place (or at 0, 0), checked as one piece (checkSavePiece). Otherwise says the first
/// thing wrong in `problem`.
bool validateSave(const SaveBytes& bytes, const BlockTypes& blockTypes, std::string& problem);

/// validateSave's check of a file image that comes piece by piece, in order: each header and
/// record is checked once its last byte has come. Start each image with a new one.
struct SavePieceCheck {
    /// Bytes of the image taken so far.
    size_t taken = 0;
    /// The start of the header or record that the last piece cut short, until its end comes.
    uint8_t cut[SAVE_HEADER_SIZE];
};

/// Takes the next `size` bytes of the image into the check and checks the header and every
/// record they complete. True while all of those pass and the image is no longer than a save;
/// otherwise says in `problem` what validateSave says of the same fault, and the check is over.
bool checkSavePiece(SavePieceCheck& check, const uint8_t* piece, size_t size,
                    const BlockTypes& blockTypes, std::string& problem);

/// After the last piece: true when the pieces made a whole save, otherwise says in `problem`
/// that the file is shorter, as validateSave does.
bool finishSavePieceCheck(const SavePieceCheck& check, std::string& problem);

/// True when a 304-byte header is one the game writes: counts not negative, a selection of 1 to
/// 4, an impulse base of exactly (0, 0) (nothing in the game changes it), and the player's box
/// in the world as actorBoxInWorld has it (its centre within the four walls), which the lift
/// after a load brings fully inside.
bool validateSaveHeader(const uint8_t* header, std::string& problem);

/// True when a 44-byte record is a copy of its type placed at the cell with grid index `index`
/// (column * WORLD_ROWS + row) or at (0, 0).
bool validateSaveRecord(const uint8_t* record, int index, const BlockTypes& blockTypes,
                        std::string& problem);

/// Takes the game state of a validated header into the player: position, counts, jump flag,
/// selection and impulse base. This run's display size, keys and load flags stay.
void decodeSavedPlayer(const uint8_t* header, Player& player);

/// The cell a validated record describes: a whole copy of its type's template (so its bitmap is
/// this run's) at the record's place, with no segment references.
Block decodeSavedRecord(const uint8_t* record, const BlockTypes& blockTypes);

/// Stores the cells of columns `firstColumn` to `endColumn - 1` of a validated save into the
/// grid, each cell whole (decodeSavedRecord), and notes them changed.
void decodeSavedColumns(const SaveBytes& bytes, const BlockTypes& blockTypes, int firstColumn,
                        int endColumn, World& world);

/// Stores every cell of a validated save into the grid (decodeSavedColumns).
void decodeSavedCells(const SaveBytes& bytes, const BlockTypes& blockTypes, World& world);
