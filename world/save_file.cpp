#include "world/save_file.h"

#include <allegro5/allegro.h>
#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "actors/physics.h"
#include "world/editing.h"
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
    {HEADER_DIRT, &Player::dirtCount, true},
    {HEADER_GRASS, &Player::grassCount, true},
    {HEADER_STONE, &Player::stoneCount, true},
    {HEADER_GOLD, &Player::goldCount, true},
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
};

const Int32Rule HEADER_INT32_RULES[] = {
    {HEADER_DIRT, "the Dirt count", 0, INT32_MAX},
    {HEADER_GRASS, "the Grass count", 0, INT32_MAX},
    {HEADER_STONE, "the Stone count", 0, INT32_MAX},
    {HEADER_GOLD, "the Gold count", 0, INT32_MAX},
    {HEADER_SELECTED, "the selected block", 1, 4},
};
// The player may stand at most one block outside the world.
const RealRule HEADER_REAL_RULES[] = {
    {HEADER_X, "the player's x", false, -BLOCK_SIZE, WORLD_WIDTH + BLOCK_SIZE},
    {HEADER_Y, "the player's y", false, -BLOCK_SIZE, WORLD_HEIGHT + BLOCK_SIZE},
    {HEADER_IMPULSE_X, "the impulse base x", true, -DBL_MAX, DBL_MAX},
    {HEADER_IMPULSE_Y, "the impulse base y", true, -DBL_MAX, DBL_MAX},
};

// ---- Little-endian fields ----

void putU32(SaveBytes& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

void putU64(SaveBytes& bytes, size_t at, uint64_t value) {
    for (int i = 0; i < 8; ++i) {
        bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

void putI32(SaveBytes& bytes, size_t at, int32_t value) {
    putU32(bytes, at, static_cast<uint32_t>(value));
}

void putF32(SaveBytes& bytes, size_t at, float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    putU32(bytes, at, bits);
}

void putF64(SaveBytes& bytes, size_t at, double value) {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    putU64(bytes, at, bits);
}

// A reference means nothing to another run: the file only says whether it was set.
void putReference(SaveBytes& bytes, size_t at, const void* reference) {
    putU32(bytes, at, reference != nullptr ? 1u : 0u);
}

uint32_t getU32(const SaveBytes& bytes, size_t at) {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        value |= static_cast<uint32_t>(bytes[at + i]) << (8 * i);
    }
    return value;
}

uint64_t getU64(const SaveBytes& bytes, size_t at) {
    uint64_t value = 0;
    for (int i = 0; i < 8; ++i) {
        value |= static_cast<uint64_t>(bytes[at + i]) << (8 * i);
    }
    return value;
}

int32_t getI32(const SaveBytes& bytes, size_t at) {
    return static_cast<int32_t>(getU32(bytes, at));
}

float getF32(const SaveBytes& bytes, size_t at) {
    const uint32_t bits = getU32(bytes, at);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

double getF64(const SaveBytes& bytes, size_t at) {
    const uint64_t bits = getU64(bytes, at);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

size_t cellOffset(int index) {
    return SAVE_HEADER_SIZE + SAVE_RECORD_SIZE * index;
}

// ---- Encoding ----

void encodePlayer(const Player& player, SaveBytes& bytes) {
    for (const FloatField& field : HEADER_FLOATS) {
        putF32(bytes, field.offset, player.*field.member);
    }
    for (const Int32Field& field : HEADER_INT32S) {
        putI32(bytes, field.offset, player.*field.member);
    }
    for (const FlagField& field : HEADER_FLAGS) {
        bytes[field.offset] = player.*field.member;
    }
    std::memcpy(&bytes[HEADER_KEYS], player.keys, KEY_COUNT);
    putReference(bytes, HEADER_BITMAP, player.bitmap);
    putReference(bytes, HEADER_BODY, player.body);
    putReference(bytes, HEADER_SHAPE, player.shape);
    putF64(bytes, HEADER_IMPULSE_X, player.impulseBase.x);
    putF64(bytes, HEADER_IMPULSE_Y, player.impulseBase.y);
}

void encodeName(const char* name, SaveBytes& bytes, size_t at) {
    bool ended = false; // the bytes after the terminator are written as zero
    for (int i = 0; i < BLOCK_NAME_SIZE; ++i) {
        ended = ended || name[i] == '\0';
        bytes[at + i] = ended ? 0 : static_cast<uint8_t>(name[i]);
    }
}

void encodeCell(const Block& cell, SaveBytes& bytes, size_t at) {
    encodeName(cell.name, bytes, at + CELL_NAME);
    putI32(bytes, at + CELL_ID, cell.id);
    putReference(bytes, at + CELL_BITMAP, cell.bitmap);
    bytes[at + CELL_PASSABLE] = cell.passable;
    putF32(bytes, at + CELL_X, cell.x);
    putF32(bytes, at + CELL_Y, cell.y);
    for (int edge = 0; edge < EDGE_COUNT; ++edge) {
        putReference(bytes, at + CELL_EDGES + 4 * edge,
                     blockEdgeShape(const_cast<Block&>(cell), static_cast<BlockEdge>(edge)));
    }
}

// ---- Checking ----

std::string describe(const char* format, ...) __attribute__((format(printf, 1, 2)));

std::string describe(const char* format, ...) {
    char text[200];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    return text;
}

bool validateLength(const SaveBytes& bytes, std::string& problem) {
    if (bytes.size() < SAVE_FILE_SIZE) {
        problem = describe("the file is %zu bytes, shorter than a save's %zu", bytes.size(),
                           SAVE_FILE_SIZE);
    } else if (bytes.size() > SAVE_FILE_SIZE) {
        problem = describe("the file is longer than a save's %zu bytes", SAVE_FILE_SIZE);
    }
    return bytes.size() == SAVE_FILE_SIZE;
}

bool validateHeader(const SaveBytes& bytes, std::string& problem) {
    for (const Int32Rule& rule : HEADER_INT32_RULES) {
        const int32_t value = getI32(bytes, rule.offset);
        if (value < rule.least || value > rule.most) {
            problem = describe("%s is %d, not %d to %d", rule.name, value, rule.least, rule.most);
            return false;
        }
    }
    for (const RealRule& rule : HEADER_REAL_RULES) {
        const double value =
            rule.isDouble ? getF64(bytes, rule.offset) : getF32(bytes, rule.offset);
        if (!std::isfinite(value)) {
            problem = describe("%s is %f, not a finite number", rule.name, value);
            return false;
        }
        if (value < rule.least || value > rule.most) {
            problem = describe("%s is %g, more than a block outside the world", rule.name, value);
            return false;
        }
    }
    return true;
}

// The name up to its terminator must be the type's; bytes after the terminator mean nothing.
bool nameMatches(const SaveBytes& bytes, size_t at, const char* name) {
    for (int i = 0; i < BLOCK_NAME_SIZE; ++i) {
        if (bytes[at + i] != static_cast<uint8_t>(name[i])) {
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

bool validateCell(const SaveBytes& bytes, const BlockTypes& blockTypes, int index,
                  std::string& problem) {
    const size_t at = cellOffset(index);
    const int column = index / WORLD_ROWS;
    const int row = index % WORLD_ROWS;
    const int32_t id = getI32(bytes, at + CELL_ID);
    if (id < 0 || id >= BLOCK_TYPE_COUNT) {
        problem = describe("cell (%d, %d) has block id %d, not 0 to 6", column, row, id);
        return false;
    }
    const Block& type = blockTemplate(blockTypes, id);
    const float x = getF32(bytes, at + CELL_X);
    const float y = getF32(bytes, at + CELL_Y);
    if (!nameMatches(bytes, at + CELL_NAME, type.name)) {
        problem = describe("cell (%d, %d) has a name that is not its type's", column, row);
    } else if (bytes[at + CELL_PASSABLE] != type.passable) {
        problem = describe("cell (%d, %d) has passable %d, not its type's %d", column, row,
                           bytes[at + CELL_PASSABLE], type.passable);
    } else if (!placeMatches(x, column) || !placeMatches(y, row)) {
        problem = describe("cell (%d, %d) is placed at (%g, %g)", column, row, x, y);
    } else {
        return true;
    }
    return false;
}

// ---- Files ----

std::string savePath(const std::string& directory) {
    return directory + "/" + SAVE_FILE_NAME;
}

// A failed system call as one line: what, where, and the system's reason.
std::string failure(const char* what, const std::string& path) {
    return std::string(what) + " " + path + " (" + std::strerror(errno) + ")";
}

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

bool writeFlushed(const std::string& path, const SaveBytes& bytes, std::string& problem) {
    const int file = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
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

// The previous save stays as the backup: a second name for the same file, so that the save
// itself never goes missing.
bool keepBackup(const std::string& save, std::string& problem) {
    const std::string backup = save + SAVE_BACKUP_SUFFIX;
    if (unlink(backup.c_str()) != 0 && errno != ENOENT) {
        problem = failure("cannot remove the old backup", backup);
        return false;
    }
    if (link(save.c_str(), backup.c_str()) != 0 && errno != ENOENT) {
        problem = failure("cannot keep the previous save as", backup);
        return false;
    }
    return true;
}

bool flushDirectory(const std::string& directory, std::string& problem) {
    const int folder = open(directory.c_str(), O_RDONLY | O_DIRECTORY);
    const bool flushed = folder >= 0 && fsync(folder) == 0;
    if (!flushed) {
        problem = failure("cannot flush the directory", directory);
    }
    if (folder >= 0) {
        close(folder);
    }
    return flushed;
}

// ---- Loading ----

void placeBodyAtRest(Player& player) {
    cpBodySetPosition(player.body,
                      cpv(player.x + ACTOR_WIDTH / 2.0, player.y + ACTOR_HEIGHT / 2.0));
    cpBodySetVelocity(player.body, cpvzero);
}

// Replaces the game by a validated save. The caller holds the state lock.
void applySave(const SaveBytes& bytes, World& world, Player& player, const BlockTypes& blockTypes,
               cpSpace* space) {
    clearWorldSegments(world, space);
    decodeSavedCells(bytes, blockTypes, world);
    buildWorldSegments(world, space);
    markAllCellsChanged(world);
    decodeSavedPlayer(bytes, player);
    placeBodyAtRest(player);
}

// Reads and checks the file, saying on the console why it cannot be used.
bool readUsableSave(const std::string& directory, const BlockTypes& blockTypes, SaveBytes& bytes) {
    std::string problem;
    switch (readSaveFile(directory, bytes, problem)) {
    case SAVE_MISSING:
        std::printf("No save found\n");
        return false;
    case SAVE_UNREADABLE:
        std::printf("Cannot load the save: %s\n", problem.c_str());
        return false;
    case SAVE_READ:
        break;
    }
    if (!validateSave(bytes, blockTypes, problem)) {
        std::printf("Cannot load the save: %s\n", problem.c_str());
        return false;
    }
    return true;
}

} // namespace

void encodeSave(const World& world, const Player& player, SaveBytes& bytes) {
    bytes.assign(SAVE_FILE_SIZE, 0);
    encodePlayer(player, bytes);
    for (int index = 0; index < WORLD_CELLS; ++index) {
        encodeCell(world.cells[index], bytes, cellOffset(index));
    }
}

bool validateSave(const SaveBytes& bytes, const BlockTypes& blockTypes, std::string& problem) {
    if (!validateLength(bytes, problem) || !validateHeader(bytes, problem)) {
        return false;
    }
    for (int index = 0; index < WORLD_CELLS; ++index) {
        if (!validateCell(bytes, blockTypes, index, problem)) {
            return false;
        }
    }
    return true;
}

void decodeSavedPlayer(const SaveBytes& bytes, Player& player) {
    for (const FloatField& field : HEADER_FLOATS) {
        if (field.restored) {
            player.*field.member = getF32(bytes, field.offset);
        }
    }
    for (const Int32Field& field : HEADER_INT32S) {
        if (field.restored) {
            player.*field.member = getI32(bytes, field.offset);
        }
    }
    for (const FlagField& field : HEADER_FLAGS) {
        if (field.restored) {
            player.*field.member = bytes[field.offset];
        }
    }
    player.impulseBase = cpv(getF64(bytes, HEADER_IMPULSE_X), getF64(bytes, HEADER_IMPULSE_Y));
}

void decodeSavedCells(const SaveBytes& bytes, const BlockTypes& blockTypes, World& world) {
    for (int index = 0; index < WORLD_CELLS; ++index) {
        const size_t at = cellOffset(index);
        // A scratch copy of the type, stored whole: a reader never sees a half-made cell.
        Block cell = blockTemplate(blockTypes, getI32(bytes, at + CELL_ID));
        cell.x = getF32(bytes, at + CELL_X);
        cell.y = getF32(bytes, at + CELL_Y);
        world.cells[index] = cell;
    }
}

bool writeSaveFile(const std::string& directory, const SaveBytes& bytes, std::string& problem) {
    const std::string save = savePath(directory);
    const std::string temporary = save + SAVE_TEMPORARY_SUFFIX;
    bool saved = writeFlushed(temporary, bytes, problem) && keepBackup(save, problem);
    if (saved && std::rename(temporary.c_str(), save.c_str()) != 0) {
        problem = failure("cannot rename the new save to", save);
        saved = false;
    }
    if (!saved) {
        unlink(temporary.c_str());
        return false;
    }
    return flushDirectory(directory, problem);
}

SaveReadResult readSaveFile(const std::string& directory, SaveBytes& bytes, std::string& problem) {
    const std::string path = savePath(directory);
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        if (errno == ENOENT) {
            return SAVE_MISSING;
        }
        problem = failure("cannot open", path);
        return SAVE_UNREADABLE;
    }
    bytes.resize(SAVE_FILE_SIZE + 1);
    const size_t got = std::fread(bytes.data(), 1, bytes.size(), file);
    if (std::ferror(file)) {
        problem = failure("cannot read", path);
    }
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    bytes.resize(got);
    return failed ? SAVE_UNREADABLE : SAVE_READ;
}

bool saveWorld(const World& world, const Player& player, const std::string& directory) {
    SaveBytes bytes;
    encodeSave(world, player, bytes);
    std::string problem;
    if (!writeSaveFile(directory, bytes, problem)) {
        std::printf("Save failed: %s\n", problem.c_str());
        return false;
    }
    std::printf("Saved the world!\n");
    return true;
}

bool loadWorld(World& world, Player& player, const BlockTypes& blockTypes, cpSpace* space,
               const std::string& directory, ALLEGRO_MUTEX* stateLock) {
    SaveBytes bytes;
    const bool usable = readUsableSave(directory, blockTypes, bytes);
    al_lock_mutex(stateLock);
    if (usable) {
        applySave(bytes, world, player, blockTypes, space);
    } else {
        player.loadFailed = 1;
    }
    al_unlock_mutex(stateLock);
    if (usable) {
        std::printf("Loaded the world!\n");
    }
    return usable;
}
