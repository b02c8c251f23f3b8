// Where each field lies in the save file: the offsets of the player header's fields from the
// start of the file, and of a cell record's fields from the start of the record. Everything
// that reads or writes save bytes field by field takes its offsets from here.
#pragma once

#include <cstddef>

#include "world/block.h"
#include "world/player_record.h"
#include "world/save_codec.h"

// Player header: where each field of the Player record lies.
constexpr size_t HEADER_X = 0;
constexpr size_t HEADER_Y = 4;
constexpr size_t HEADER_DIRT = 8;
constexpr size_t HEADER_GRASS = 12;
constexpr size_t HEADER_STONE = 16;
constexpr size_t HEADER_GOLD = 20;
constexpr size_t HEADER_BITMAP = 24;
constexpr size_t HEADER_CAN_JUMP = 28;
constexpr size_t HEADER_SELECTED = 32;
constexpr size_t HEADER_KEYS = 36;
constexpr size_t HEADER_SCREEN_WIDTH = 264;
constexpr size_t HEADER_SCREEN_HEIGHT = 268;
constexpr size_t HEADER_LOAD_REQUESTED = 272;
constexpr size_t HEADER_LOAD_FAILED = 276;
constexpr size_t HEADER_BODY = 280;
constexpr size_t HEADER_SHAPE = 284;
constexpr size_t HEADER_IMPULSE_X = 288;
constexpr size_t HEADER_IMPULSE_Y = 296;
static_assert(HEADER_KEYS + KEY_COUNT == 263, "the key flags end before the padding byte 263");
static_assert(HEADER_IMPULSE_Y + 8 == SAVE_HEADER_SIZE, "the impulse base ends the header");

// Cell record: where each field of the Block record lies; the edge references follow in
// BlockEdge order (top, bottom, right, left), 4 bytes each.
constexpr size_t CELL_NAME = 0;
constexpr size_t CELL_ID = 8;
constexpr size_t CELL_BITMAP = 12;
constexpr size_t CELL_PASSABLE = 16;
constexpr size_t CELL_X = 20;
constexpr size_t CELL_Y = 24;
constexpr size_t CELL_EDGES = 28;
static_assert(CELL_EDGES + 4 * EDGE_COUNT == SAVE_RECORD_SIZE, "the edges end the record");
static_assert(SAVE_FILE_SIZE == 15206704, "a save is 15,206,704 bytes");
