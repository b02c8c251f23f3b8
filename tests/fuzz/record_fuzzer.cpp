// libFuzzer target over the player header and a few cell records alone, without the 15 MB file
// around them, so that the checker of the fields gets thousands of runs a second. An input is
// the 304-byte header (cut short or padded with zeros) followed by up to RECORDS_MOST entries of
// a 3-byte cell index (little-endian, taken modulo the grid's cells) and a 44-byte record.
// Every header and record the checker accepts must decode to a sane player or cell, and encode
// back to bytes the checker accepts again; every refusal must say why.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz_checks.h"
#include "world/save_codec.h"

namespace {

constexpr size_t INDEX_SIZE = 3;
constexpr size_t ENTRY_SIZE = INDEX_SIZE + SAVE_RECORD_SIZE;
constexpr size_t RECORDS_MOST = 8;

void checkHeader(const uint8_t* header) {
    std::string problem;
    if (!validateSaveHeader(header, problem)) {
        fuzzExpect(!problem.empty(), "a header was refused without a message");
        return;
    }
    Player player = fuzzRunPlayer();
    decodeSavedPlayer(header, player);
    fuzzCheckPlayer(player);
    uint8_t again[SAVE_HEADER_SIZE];
    encodeSaveHeader(player, again);
    if (!validateSaveHeader(again, problem)) {
        fuzzFail("a saved header of a loaded player is refused", problem);
    }
}

void checkRecord(const uint8_t* entry, const BlockTypes& blockTypes) {
    const int index =
        static_cast<int>((entry[0] | (entry[1] << 8) | (entry[2] << 16)) % WORLD_CELLS);
    const uint8_t* record = entry + INDEX_SIZE;
    std::string problem;
    if (!validateSaveRecord(record, index, blockTypes, problem)) {
        fuzzExpect(!problem.empty(), "a record was refused without a message");
        return;
    }
    const Block cell = decodeSavedRecord(record, blockTypes);
    fuzzCheckCell(cell, index / WORLD_ROWS, index % WORLD_ROWS, blockTypes);
    uint8_t again[SAVE_RECORD_SIZE];
    encodeSaveRecord(cell, index, blockTypes, again);
    if (!validateSaveRecord(again, index, blockTypes, problem)) {
        fuzzFail("a saved record of a loaded cell is refused", problem);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const BlockTypes blockTypes = [] { // made once for the whole run
        BlockTypes made{};
        initBlockTypes(made);
        return made;
    }();
    uint8_t header[SAVE_HEADER_SIZE] = {};
    std::memcpy(header, data, std::min(size, SAVE_HEADER_SIZE));
    checkHeader(header);
    for (size_t at = SAVE_HEADER_SIZE, count = 0; at + ENTRY_SIZE <= size && count < RECORDS_MOST;
         at += ENTRY_SIZE, ++count) {
        checkRecord(data + at, blockTypes);
    }
    return 0;
}
