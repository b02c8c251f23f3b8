#include "world/save_codec.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "world/actor_box.h"
#include "world/block_kinds.h"
#include "world/editing.h"
#include "world/player_record.h"
#include "world/save_layout.h"

namespace {

// Player fields by type; `restored` says whether a load takes the field from the file. Only
// the game state is restored: this run's display size, keys and load flags stay.
struct FloatField {
    size_t offset;
    float Player::*member;
    bool restored;
};
struct Int32Field {
    size_t offset;
    int32_t Player::*member;
    bool restored;
};
struct FlagField {
    size_t offset;
    uint8_t Player::*member;
    bool restored;
};

const FloatField HEADER_FLOATS[] = {
    {HEADER_X, &Player::x, true},
    {HEADER_Y, &Player::y, true},
};
const Int32Field HEADER_INT32S[] = {
    {HEADER_SELECTED, &Player::selectedBlock, true},
    {HEADER_SCREEN_WIDTH, &Player::screenWidth, false},
    {HEADER_SCREEN_HEIGHT, &Player::screenHeight, false},
    {HEADER_LOAD_FAILED, &Player::loadFailed, false},
};
const FlagField HEADER_FLAGS[] = {
    {HEADER_CAN_JUMP, &Player::canJump, true},
    {HEADER_LOAD_REQUESTED, &Player::loadRequested, false},
};

// What a loadable header holds.
struct Int32Rule {
    size_t offset;
    const char* name;
    int32_t least, most;
};
struct RealRule {
    size_t offset;
    const char* name;
    bool isDouble;
    double least, most;
    const char* why;
};

const Int32Rule HEADER_INT32_RULES[] = {
    {HEADER_SELECTED, "the selected block", 1, BLOCK_KIND_COUNT},
};

// A box pressed into a wall sinks into it for a while: Chipmunk lets contacts overlap and
// pushes them apart over the next steps. With the game's own ticks the player sinks up to
// 1.6 px into a side wall and 9 px into the top wall when enemies hop up under it (the save
// tests press it into each wall). The bounds are those of a box in the world (actor_box.h):
// the lift brings every such box fully inside after the load.
const RealRule HEADER_REAL_RULES[] = {
    {HEADER_X, "the player's x", false, ACTOR_LEAST_LEFT, ACTOR_MOST_LEFT,
     ": the player would stand past a wall"},
    {HEADER_Y, "the player's y", false, ACTOR_LEAST_TOP, ACTOR_MOST_TOP,
     ": the player would stand past a wall"},
    {HEADER_IMPULSE_X, "the impulse base x", true, 0, 0, ": nothing in the game changes it"},
    {HEADER_IMPULSE_Y, "the impulse base y", true, 0, 0, ": nothing in the game changes it"},
};

// ---- Little-endian fields ----

void putU32(uint8_t* bytes, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

void putU64(uint8_t* bytes, uint64_t value) {
    for (int i = 0; i < 8; ++i) {
        bytes[i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

void putI32(uint8_t* bytes, int32_t value) {
    putU32(bytes, static_cast<uint32_t>(value));
}

void putF32(uint8_t* bytes, float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    putU32(bytes, bits);
}

void putF64(uint8_t* bytes, double value) {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    putU64(bytes, bits);
}

// A reference means nothing to another run: the file only says whether it was set.
void putReference(uint8_t* bytes, const void* reference) {
    putU32(bytes, reference != nullptr ? 1u : 0u);
}

uint32_t getU32(const uint8_t* bytes) {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        value |= static_cast<uint32_t>(bytes[i]) << (8 * i);
    }
    return value;
}

uint64_t getU64(const uint8_t* bytes) {
    uint64_t value = 0;
    for (int i = 0; i < 8; ++i) {
        value |= static_cast<uint64_t>(bytes[i]) << (8 * i);
    }
    return value;
}

int32_t getI32(const uint8_t* bytes) {
    return static_cast<int32_t>(getU32(bytes));
}

float getF32(const uint8_t* bytes) {
    const uint32_t bits = getU32(bytes);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

double getF64(const uint8_t* bytes) {
    const uint64_t bits = getU64(bytes);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

size_t cellOffset(int index) {
    return SAVE_HEADER_SIZE + SAVE_RECORD_SIZE * index;
}

// The header or record that a byte of the file belongs to, and the part of it that a range of
// the file from that byte on covers.
struct SavePart {
    // Where the header or record starts in the file.
    size_t start;
    // Its length.
    size_t size;
    // The covered bytes: from `skip` bytes into it, `take` bytes.
    size_t skip, take;
};

// The part of the file at `at`, covered up to `end`.
SavePart savePartAt(size_t at, size_t end) {
    SavePart part{0, SAVE_HEADER_SIZE, 0, 0};
    if (at >= SAVE_HEADER_SIZE) {
        part.start = cellOffset(static_cast<int>((at - SAVE_HEADER_SIZE) / SAVE_RECORD_SIZE));
        part.size = SAVE_RECORD_SIZE;
    }
    part.skip = at - part.start;
    part.take = std::min(part.size - part.skip, end - at);
    return part;
}

// The grid index of the record that starts at `start`.
int recordIndex(size_t start) {
    return static_cast<int>((start - SAVE_HEADER_SIZE) / SAVE_RECORD_SIZE);
}

void encodeName(const char* name, uint8_t* bytes) {
    bool ended = false; // the bytes after the terminator are written as zero
    for (int i = 0; i < BLOCK_NAME_SIZE; ++i) {
        ended = ended || name[i] == '\0';
        bytes[i] = ended ? 0 : static_cast<uint8_t>(name[i]);
    }
}

// ---- Checking ----

// MinGW's C++ library formats as GNU's does (%zu included), which its own printf attribute does
// not know.
#ifdef __MINGW_PRINTF_FORMAT
#define DESCRIBE_FORMAT __MINGW_PRINTF_FORMAT
#else
#define DESCRIBE_FORMAT printf
#endif
std::string describe(const char* format, ...) __attribute__((format(DESCRIBE_FORMAT, 1, 2)));

std::string describe(const char* format, ...) {
    char text[200];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    return text;
}

bool validateLength(size_t length, std::string& problem) {
    if (length < SAVE_FILE_SIZE) {
        problem =
            describe("the file is %zu bytes, shorter than a save's %zu", length, SAVE_FILE_SIZE);
    } else if (length > SAVE_FILE_SIZE) {
        problem = describe("the file is longer than a save's %zu bytes", SAVE_FILE_SIZE);
    }
    return length == SAVE_FILE_SIZE;
}

bool validateRealRule(const uint8_t* header, const RealRule& rule, std::string& problem) {
    const double value =
        rule.isDouble ? getF64(header + rule.offset) : getF32(header + rule.offset);
    if (!std::isfinite(value)) {
        problem = describe("%s is %f, not a finite number", rule.name, value);
    } else if (value < rule.least || value > rule.most) {
        problem = rule.least == rule.most
                      ? describe("%s is %g, not %g%s", rule.name, value, rule.least, rule.why)
                      : describe("%s is %g, not %g to %g%s", rule.name, value, rule.least,
                                 rule.most, rule.why);
    } else {
        return true;
    }
    return false;
}

// The name up to its terminator must be the type's; bytes after the terminator mean nothing.
bool nameMatches(const uint8_t* bytes, const char* name) {
    for (int i = 0; i < BLOCK_NAME_SIZE; ++i) {
        if (bytes[i] != static_cast<uint8_t>(name[i])) {
            return false;
        }
        if (name[i] == '\0') {
            return true;
        }
    }
    return true;
}

// A place is 0 (a mined cell) or the cell's own corner.
bool placeMatches(float value, int cellIndex) {
    return value == 0.0f || value == static_cast<float>(cellIndex * BLOCK_SIZE);
}

// ---- Cells ----

constexpr uint8_t BITMAP_REFERENCE = 1;

constexpr uint8_t edgeReferenceBit(int edge) {
    return static_cast<uint8_t>(2 << edge);
}

constexpr uint8_t X_AT_CORNER = 1;
constexpr uint8_t Y_AT_CORNER = 2;
constexpr uint8_t X_ELSEWHERE = 4;
constexpr uint8_t Y_ELSEWHERE = 8;

uint8_t referencesOf(const Block& cell) {
    return static_cast<uint8_t>((cell.bitmap != nullptr ? BITMAP_REFERENCE : 0) |
                                (cell.topShape != nullptr ? edgeReferenceBit(EDGE_TOP) : 0) |
                                (cell.bottomShape != nullptr ? edgeReferenceBit(EDGE_BOTTOM) : 0) |
                                (cell.rightShape != nullptr ? edgeReferenceBit(EDGE_RIGHT) : 0) |
                                (cell.leftShape != nullptr ? edgeReferenceBit(EDGE_LEFT) : 0));
}

uint8_t placeBits(float value, float corner, uint8_t atCorner, uint8_t elsewhere) {
    return value == corner ? atCorner : value == 0.0f ? 0 : elsewhere;
}

// Reads each field of the cell once, without branches that depend on the world: a Save click
// runs this over every chunk that changed, a load over the whole grid.
SavedCell savedCellOf(const Block& cell, int column, int row) {
    // An id that names no type is kept out of range, for the check to refuse.
    const bool typed = cell.id >= 0 && cell.id < BLOCK_TYPE_COUNT;
    const float cornerX = static_cast<float>(column * BLOCK_SIZE);
    const float cornerY = static_cast<float>(row * BLOCK_SIZE);
    const uint8_t place = placeBits(cell.x, cornerX, X_AT_CORNER, X_ELSEWHERE) |
                          placeBits(cell.y, cornerY, Y_AT_CORNER, Y_ELSEWHERE);
    return {static_cast<int8_t>(typed ? cell.id : -1), referencesOf(cell), place};
}

// Copies the cells of columns [firstColumn, endColumn) and rows [firstRow, endRow).
void copySavedCells(const World& world, int firstColumn, int endColumn, int firstRow, int endRow,
                    SavedCells& cells) {
    for (int column = firstColumn; column < endColumn; ++column) {
        for (int row = firstRow; row < endRow; ++row) {
            const int index = column * WORLD_ROWS + row;
            cells[index] = savedCellOf(world.cells[index], column, row);
        }
    }
}

float placeOf(uint8_t place, uint8_t atCorner, uint8_t elsewhere, int corner) {
    if ((place & atCorner) != 0) {
        return static_cast<float>(corner);
    }
    return (place & elsewhere) != 0 ? std::nanf("") : 0.0f;
}

void putReferenceBit(uint8_t* bytes, uint8_t references, uint8_t bit) {
    putU32(bytes, (references & bit) != 0 ? 1u : 0u);
}

// The one layout of a cell record, whatever the cell comes from.
void putRecord(const char* name, uint8_t passable, int32_t id, uint8_t references, float x, float y,
               uint8_t* record) {
    std::memset(record, 0, SAVE_RECORD_SIZE);
    encodeName(name, record + CELL_NAME);
    putI32(record + CELL_ID, id);
    putReferenceBit(record + CELL_BITMAP, references, BITMAP_REFERENCE);
    record[CELL_PASSABLE] = passable;
    putF32(record + CELL_X, x);
    putF32(record + CELL_Y, y);
    for (int edge = 0; edge < EDGE_COUNT; ++edge) {
        putReferenceBit(record + CELL_EDGES + 4 * edge, references, edgeReferenceBit(edge));
    }
}

// The record of a cell as the save file holds it: a whole copy of its type, and an id that names
// no type written as it is, for the check to refuse.
void putSavedCell(const SavedCell& cell, int index, const BlockTypes& blockTypes, uint8_t* record) {
    static const char NO_NAME[BLOCK_NAME_SIZE] = {};
    const bool typed = cell.id >= 0 && cell.id < BLOCK_TYPE_COUNT;
    const Block* type = typed ? &blockTemplate(blockTypes, cell.id) : nullptr;
    const float x = placeOf(cell.place, X_AT_CORNER, X_ELSEWHERE, index / WORLD_ROWS * BLOCK_SIZE);
    const float y = placeOf(cell.place, Y_AT_CORNER, Y_ELSEWHERE, index % WORLD_ROWS * BLOCK_SIZE);
    putRecord(typed ? type->name : NO_NAME, typed ? type->passable : 0, cell.id, cell.references, x,
              y, record);
}

} // namespace

void encodeSaveHeader(const Player& player, uint8_t* header) {
    std::memset(header, 0, SAVE_HEADER_SIZE);
    for (const FloatField& field : HEADER_FLOATS) {
        putF32(header + field.offset, player.*field.member);
    }
    for (const Int32Field& field : HEADER_INT32S) {
        putI32(header + field.offset, player.*field.member);
    }
    for (const BlockKind& kind : BLOCK_KINDS) {
        putI32(header + kind.saveOffset, player.*kind.count);
    }
    for (const FlagField& field : HEADER_FLAGS) {
        header[field.offset] = player.*field.member;
    }
    std::memcpy(header + HEADER_KEYS, player.keys, KEY_COUNT);
    putReference(header + HEADER_BITMAP, player.bitmap);
    putReference(header + HEADER_BODY, player.body);
    putReference(header + HEADER_SHAPE, player.shape);
    putF64(header + HEADER_IMPULSE_X, player.impulseBase.x);
    putF64(header + HEADER_IMPULSE_Y, player.impulseBase.y);
}

void encodeSaveRecord(const Block& cell, int index, const BlockTypes& blockTypes, uint8_t* record) {
    putSavedCell(savedCellOf(cell, index / WORLD_ROWS, index % WORLD_ROWS), index, blockTypes,
                 record);
}

void snapshotCells(const World& world, SavedCells& cells) {
    cells.resize(WORLD_CELLS);
    copySavedCells(world, 0, WORLD_COLUMNS, 0, WORLD_ROWS, cells);
}

bool refreshSnapshotChunks(const World& world, CellSnapshot& snapshot, int chunks) {
    if (snapshot.cells.size() != static_cast<size_t>(WORLD_CELLS)) {
        snapshot.cells.resize(WORLD_CELLS);
        for (int chunk = 0; chunk < CHUNK_COUNT; ++chunk) {
            snapshot.versions[chunk] = world.recordVersions[chunk] - 1; // none copied yet
        }
    }
    for (int chunkColumn = 0; chunkColumn < CHUNK_COLUMNS; ++chunkColumn) {
        for (int chunkRow = 0; chunkRow < CHUNK_ROWS; ++chunkRow) {
            const int chunk = chunkIndex(chunkColumn, chunkRow);
            if (snapshot.versions[chunk] == world.recordVersions[chunk]) {
                continue;
            }
            if (chunks == 0) {
                return false;
            }
            --chunks;
            snapshot.versions[chunk] = world.recordVersions[chunk];
            const int firstColumn = chunkColumn * CHUNK_CELLS;
            const int firstRow = chunkRow * CHUNK_CELLS;
            copySavedCells(world, firstColumn, std::min(firstColumn + CHUNK_CELLS, WORLD_COLUMNS),
                           firstRow, std::min(firstRow + CHUNK_CELLS, WORLD_ROWS), snapshot.cells);
        }
    }
    return true;
}

void refreshSnapshot(const World& world, CellSnapshot& snapshot) {
    refreshSnapshotChunks(world, snapshot, CHUNK_COUNT);
}

void encodeSavePiece(const SavedCells& cells, const Player& player, const BlockTypes& blockTypes,
                     size_t offset, size_t size, uint8_t* piece) {
    GAME_ASSERT(cells.size() == static_cast<size_t>(WORLD_CELLS),
                "encoding a snapshot that is not the whole grid: fill it with snapshotCells");
    GAME_ASSERT(offset <= SAVE_FILE_SIZE && size <= SAVE_FILE_SIZE - offset,
                "a piece of a save past the end of the file: ask for bytes below SAVE_FILE_SIZE");
    const size_t end = offset + size;
    for (size_t at = offset; at < end;) {
        const SavePart part = savePartAt(at, end);
        uint8_t* const to = piece + (at - offset);
        // A header or record that the piece cuts is encoded whole beside it and copied in part.
        uint8_t whole[SAVE_HEADER_SIZE];
        uint8_t* const into = part.take == part.size ? to : whole;
        if (part.start == 0) {
            encodeSaveHeader(player, into);
        } else {
            const int index = recordIndex(part.start);
            putSavedCell(cells[index], index, blockTypes, into);
        }
        if (into == whole) {
            std::memcpy(to, whole + part.skip, part.take);
        }
        at += part.take;
    }
}

void encodeSave(const SavedCells& cells, const Player& player, const BlockTypes& blockTypes,
                SaveBytes& bytes) {
    bytes.resize(SAVE_FILE_SIZE);
    encodeSavePiece(cells, player, blockTypes, 0, SAVE_FILE_SIZE, bytes.data());
}

void encodeWorldSave(const World& world, const Player& player, const BlockTypes& blockTypes,
                     SaveBytes& bytes) {
    SavedCells cells;
    snapshotCells(world, cells);
    encodeSave(cells, player, blockTypes, bytes);
}

bool validateSaveHeader(const uint8_t* header, std::string& problem) {
    for (const BlockKind& kind : BLOCK_KINDS) {
        const int32_t count = getI32(header + kind.saveOffset);
        if (count < 0) {
            problem = describe("the %s count is %d, not 0 to %d", kind.name, count, INT32_MAX);
            return false;
        }
    }
    for (const Int32Rule& rule : HEADER_INT32_RULES) {
        const int32_t value = getI32(header + rule.offset);
        if (value < rule.least || value > rule.most) {
            problem = describe("%s is %d, not %d to %d", rule.name, value, rule.least, rule.most);
            return false;
        }
    }
    for (const RealRule& rule : HEADER_REAL_RULES) {
        if (!validateRealRule(header, rule, problem)) {
            return false;
        }
    }
    return true;
}

bool validateSaveRecord(const uint8_t* record, int index, const BlockTypes& blockTypes,
                        std::string& problem) {
    const int column = index / WORLD_ROWS;
    const int row = index % WORLD_ROWS;
    const int32_t id = getI32(record + CELL_ID);
    if (id < 0 || id >= BLOCK_TYPE_COUNT) {
        problem = describe("cell (%d, %d) has block id %d, not 0 to %d", column, row, id,
                           BLOCK_TYPE_COUNT - 1);
        return false;
    }
    const Block& type = blockTemplate(blockTypes, id);
    const float x = getF32(record + CELL_X);
    const float y = getF32(record + CELL_Y);
    if (!nameMatches(record + CELL_NAME, type.name)) {
        problem = describe("cell (%d, %d) has a name that is not its type's", column, row);
    } else if (record[CELL_PASSABLE] != type.passable) {
        problem = describe("cell (%d, %d) has passable %d, not its type's %d", column, row,
                           record[CELL_PASSABLE], type.passable);
    } else if (!placeMatches(x, column) || !placeMatches(y, row)) {
        problem = describe("cell (%d, %d) is placed at (%g, %g)", column, row, x, y);
    } else {
        return true;
    }
    return false;
}

bool checkSavePiece(SavePieceCheck& check, const uint8_t* piece, size_t size,
                    const BlockTypes& blockTypes, std::string& problem) {
    if (size > SAVE_FILE_SIZE - check.taken) {
        return validateLength(check.taken + size, problem); // says it is too long
    }
    const size_t offset = check.taken;
    const size_t end = offset + size;
    while (check.taken < end) {
        const SavePart part = savePartAt(check.taken, end);
        const uint8_t* const from = piece + (check.taken - offset);
        check.taken += part.take;
        // A header or record that the pieces cut is gathered in `cut` and checked once whole.
        const uint8_t* whole = from;
        if (part.take < part.size) {
            std::memcpy(check.cut + part.skip, from, part.take);
            if (part.skip + part.take < part.size) {
                continue;
            }
            whole = check.cut;
        }
        const bool passes = part.start == 0 ? validateSaveHeader(whole, problem)
                                            : validateSaveRecord(whole, recordIndex(part.start),
                                                                 blockTypes, problem);
        if (!passes) {
            return false;
        }
    }
    return true;
}

bool finishSavePieceCheck(const SavePieceCheck& check, std::string& problem) {
    return validateLength(check.taken, problem);
}

// The length first: a file cut short is said to be short, whatever its bytes hold.
bool validateSave(const SaveBytes& bytes, const BlockTypes& blockTypes, std::string& problem) {
    SavePieceCheck check;
    return validateLength(bytes.size(), problem) &&
           checkSavePiece(check, bytes.data(), bytes.size(), blockTypes, problem);
}

void decodeSavedPlayer(const uint8_t* header, Player& player) {
    for (const FloatField& field : HEADER_FLOATS) {
        if (field.restored) {
            player.*field.member = getF32(header + field.offset);
        }
    }
    for (const Int32Field& field : HEADER_INT32S) {
        if (field.restored) {
            player.*field.member = getI32(header + field.offset);
        }
    }
    for (const BlockKind& kind : BLOCK_KINDS) {
        player.*kind.count = getI32(header + kind.saveOffset);
    }
    for (const FlagField& field : HEADER_FLAGS) {
        if (field.restored) {
            player.*field.member = header[field.offset];
        }
    }
    player.impulseBase = cpv(getF64(header + HEADER_IMPULSE_X), getF64(header + HEADER_IMPULSE_Y));
}

Block decodeSavedRecord(const uint8_t* record, const BlockTypes& blockTypes) {
    Block cell = blockTemplate(blockTypes, getI32(record + CELL_ID));
    cell.x = getF32(record + CELL_X);
    cell.y = getF32(record + CELL_Y);
    return cell;
}

void decodeSavedColumns(const SaveBytes& bytes, const BlockTypes& blockTypes, int firstColumn,
                        int endColumn, World& world) {
    for (int column = firstColumn; column < endColumn; ++column) {
        for (int row = 0; row < WORLD_ROWS; ++row) {
            const int index = column * WORLD_ROWS + row;
            // A scratch copy of the type, stored whole: a reader never sees a half-made cell.
            world.cells[index] = decodeSavedRecord(&bytes[cellOffset(index)], blockTypes);
            markCellChanged(world, column, row);
        }
    }
}

void decodeSavedCells(const SaveBytes& bytes, const BlockTypes& blockTypes, World& world) {
    decodeSavedColumns(bytes, blockTypes, 0, WORLD_COLUMNS, world);
}
