// Editing the world: mining and placing blocks within the player's reach, and keeping the
// collision segments in step with the grid. Every edge between a solid and a passable cell
// carries exactly one segment, held by the solid cell; no other world segment is in the space.
#pragma once

#include <chipmunk/chipmunk.h>
#include <string>
#include <vector>

#include "world/block_types.h"
#include "world/player_record.h"
#include "world/world_grid.h"

/// How far the player reaches, in world pixels, from its top-left corner to a cell's.
constexpr float PLAYER_REACH = 50.0f;

/// True when the cell lies in the player's reach and at least one of its neighbours is
/// passable (a neighbour outside the grid counts as solid). The cell must lie in the grid.
bool canEditCell(const World& world, const Player& player, int column, int row);

/// Mines the solid, non-NULL cell into the player's stock when it can be edited: it becomes Air
/// (row 120 and above) or Underground, and its solid neighbours get segments on the faces it
/// opened. A stock already at its 32-bit limit takes no more. Returns true when a block was mined.
bool mineCell(World& world, const BlockTypes& blockTypes, Player& player, cpSpace* space,
              int column, int row);

/// Places the selected kind from the player's stock into the passable cell when it can be
/// edited and no actor's box (the player's or an enemy's, as the space holds them) overlaps it,
/// with segments on its faces toward passable neighbours. Such a cell gets its place (x, y)
/// even when the stock is empty; a refused cell is left as it was. Returns true when a block
/// was placed.
bool placeBlock(World& world, const BlockTypes& blockTypes, Player& player, cpSpace* space,
                int column, int row);

/// Takes every segment the cells hold out of the space, frees it and clears the references.
void clearWorldSegments(World& world, cpSpace* space);

/// Gives every face between a solid and a passable cell a ground segment; the grid must hold
/// no segment references yet (as after clearWorldSegments or a load).
void buildWorldSegments(World& world, cpSpace* space);

/// The grid's segments replaced a batch at a time, so that no tick's share grows with the
/// world: the segments the old cells held leave the space first, then every open face of the
/// grid gets its segment, column by column, as buildWorldSegments gives them.
struct SegmentRebuild {
    /// Segments of the replaced cells, still in the space; they leave from the back.
    std::vector<cpShape*> leaving;
    /// The next cell whose open faces get segments; WORLD_CELLS when none is left.
    int nextCell = WORLD_CELLS;
};

/// Hands the segments that the cells of columns `firstColumn` to `endColumn - 1` hold to
/// `rebuild.leaving` and clears their references, so that those cells may be replaced; the
/// rebuild then gives every cell of the grid segments on its open faces.
void takeColumnSegments(World& world, int firstColumn, int endColumn, SegmentRebuild& rebuild);

/// True while a rebuild has segments to take out or faces to give segments.
bool segmentRebuildPending(const SegmentRebuild& rebuild);

/// Goes on with a rebuild by at most `budget` segments: first the old ones leave the space
/// (and its index forgets them, sweepDroppedSegments), then cells get new ones on their open
/// faces, a cell's faces together (so up to three more), looking at no more than a bounded
/// number of cells for each segment of the budget, so that solid rock costs a step no more than
/// open ground. Returns true when it is finished.
bool continueSegmentRebuild(World& world, cpSpace* space, SegmentRebuild& rebuild, int budget);

/// Checks the segment rule over the whole grid and space. On a break, returns false and says
/// in `problem` which cell or segment breaks it.
bool worldSegmentsConsistent(const World& world, cpSpace* space, std::string& problem);
