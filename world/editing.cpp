#include "world/editing.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <unordered_set>

#include "world/actor_box.h"
#include "world/block_kinds.h"
#include "world/player_record.h"
#include "world/segments.h"

namespace {

// Segments made on the faces a mined block opens: no friction, as the game has always had.
constexpr double MINED_FACE_FRICTION = 0.0;

// A step of a rebuild looks at no more cells than this many for each segment of its budget. A
// cell takes tens of nanoseconds to look at and a segment hundreds to put into the space, and
// without a bound solid rock with no open face in it, a world's deep ground, made one step of a
// load take milliseconds.
constexpr int CELLS_PER_SEGMENT = 32;

// A placed block's top segment is a little rounded, so the player slides onto it.
constexpr double PLACED_TOP_RADIUS = 1.0;

// The cell beyond each edge and the edge of that cell that faces back.
struct EdgeNeighbour {
    int dColumn, dRow;
    BlockEdge facing;
};

// Indexed by BlockEdge: top, bottom, right, left.
const EdgeNeighbour EDGE_NEIGHBOURS[EDGE_COUNT] = {
    {0, -1, EDGE_BOTTOM},
    {0, 1, EDGE_TOP},
    {1, 0, EDGE_LEFT},
    {-1, 0, EDGE_RIGHT},
};

// The order in which mining visits the neighbours (above, below, left, right) and placing
// visits its own edges (left, right, top, bottom).
const BlockEdge MINING_ORDER[EDGE_COUNT] = {EDGE_TOP, EDGE_BOTTOM, EDGE_LEFT, EDGE_RIGHT};
const BlockEdge PLACING_ORDER[EDGE_COUNT] = {EDGE_LEFT, EDGE_RIGHT, EDGE_TOP, EDGE_BOTTOM};

const char* const EDGE_NAMES[EDGE_COUNT] = {"top", "bottom", "right", "left"};

// True when the neighbour beyond `edge` lies in the grid and is passable; a neighbour outside
// the grid counts as solid, which keeps the border closed.
bool neighbourPassable(const World& world, int column, int row, BlockEdge edge) {
    const EdgeNeighbour& step = EDGE_NEIGHBOURS[edge];
    return !cellSolidOrOutside(world, column + step.dColumn, row + step.dRow);
}

bool neighbourSolidInGrid(const World& world, int column, int row, BlockEdge edge) {
    const EdgeNeighbour& step = EDGE_NEIGHBOURS[edge];
    const int c = column + step.dColumn;
    const int r = row + step.dRow;
    return cellInGrid(c, r) && blockIsSolid(cellAt(world, c, r));
}

const cpShape* edgeShapeOf(const Block& cell, BlockEdge edge) {
    return blockEdgeShape(const_cast<Block&>(cell), edge); // only read here
}

void dropEdgeSegment(World& world, cpSpace* space, int column, int row, BlockEdge edge) {
    cpShape*& segment = blockEdgeShape(cellAt(world, column, row), edge);
    if (segment != nullptr) {
        dropWorldSegment(space, segment);
        segment = nullptr;
        markCellRecordChanged(world, column, row);
    }
}

// Puts a new segment on one edge of the cell; the segment the edge held leaves the space, so no
// invisible wall is left behind. The ends come from the cell's place in the grid.
void putEdgeSegment(World& world, cpSpace* space, int column, int row, BlockEdge edge,
                    double radius, double friction) {
    dropEdgeSegment(world, space, column, row, edge);
    cpVect a, b;
    blockEdgeEnds(static_cast<float>(column * BLOCK_SIZE), static_cast<float>(row * BLOCK_SIZE),
                  edge, a, b);
    blockEdgeShape(cellAt(world, column, row), edge) =
        addWorldSegment(space, a, b, radius, friction);
    markCellRecordChanged(world, column, row);
}

void replaceCell(World& world, int column, int row, const Block& replacement) {
    cellAt(world, column, row) = replacement; // one whole copy: readers see old or new fields
    markCellChanged(world, column, row);
}

void dropOwnSegments(World& world, cpSpace* space, int column, int row) {
    for (BlockEdge edge : MINING_ORDER) {
        dropEdgeSegment(world, space, column, row, edge);
    }
}

void closeFacesAroundHole(World& world, cpSpace* space, int column, int row) {
    for (BlockEdge edge : MINING_ORDER) {
        if (neighbourSolidInGrid(world, column, row, edge)) {
            const EdgeNeighbour& step = EDGE_NEIGHBOURS[edge];
            putEdgeSegment(world, space, column + step.dColumn, row + step.dRow, step.facing, 0.0,
                           MINED_FACE_FRICTION);
        }
    }
}

// A placed block's faces: a segment toward each passable neighbour; toward a solid neighbour
// the face is now buried, so the neighbour's segment there leaves the space.
void closePlacedBlock(World& world, cpSpace* space, int column, int row) {
    for (BlockEdge edge : PLACING_ORDER) {
        if (neighbourPassable(world, column, row, edge)) {
            const double radius = edge == EDGE_TOP ? PLACED_TOP_RADIUS : 0.0;
            putEdgeSegment(world, space, column, row, edge, radius, GROUND_FRICTION);
        } else if (neighbourSolidInGrid(world, column, row, edge)) {
            const EdgeNeighbour& step = EDGE_NEIGHBOURS[edge];
            dropEdgeSegment(world, space, column + step.dColumn, row + step.dRow, step.facing);
        }
    }
}

bool edgeEndsMatch(const cpShape* segment, int column, int row, BlockEdge edge) {
    cpVect a, b;
    blockEdgeEnds(static_cast<float>(column * BLOCK_SIZE), static_cast<float>(row * BLOCK_SIZE),
                  edge, a, b);
    return cpveql(cpSegmentShapeGetA(segment), a) && cpveql(cpSegmentShapeGetB(segment), b);
}

std::string edgeProblem(int column, int row, BlockEdge edge, const char* what) {
    char text[160];
    std::snprintf(text, sizeof text, "cell (%d, %d), %s edge: %s", column, row, EDGE_NAMES[edge],
                  what);
    return text;
}

// Checks one edge of one cell; records its segment in `seen`.
bool edgeConsistent(const World& world, cpSpace* space, int column, int row, BlockEdge edge,
                    std::unordered_set<const cpShape*>& seen, std::string& problem) {
    const Block& cell = cellAt(world, column, row);
    const cpShape* segment = edgeShapeOf(cell, edge);
    const bool wanted = blockIsSolid(cell) && neighbourPassable(world, column, row, edge);
    if (wanted != (segment != nullptr)) {
        problem = edgeProblem(column, row, edge,
                              wanted ? "open face without a segment"
                                     : "holds a segment on a closed face");
        return false;
    }
    if (segment == nullptr) {
        return true;
    }
    if (!cpSpaceContainsShape(space, const_cast<cpShape*>(segment))) {
        problem = edgeProblem(column, row, edge, "its segment is not in the space");
    } else if (!edgeEndsMatch(segment, column, row, edge)) {
        problem = edgeProblem(column, row, edge, "its segment lies elsewhere");
    } else if (!seen.insert(segment).second) {
        problem = edgeProblem(column, row, edge, "its segment is held twice");
    } else {
        return true;
    }
    return false;
}

struct OrphanCount {
    const std::unordered_set<const cpShape*>* recorded;
    int orphans;
};

// Static shapes that no cell holds must be the world's walls, which are longer than any edge.
void countOrphan(cpShape* shape, void* data) {
    OrphanCount& count = *static_cast<OrphanCount*>(data);
    if (cpBodyGetType(cpShapeGetBody(shape)) != CP_BODY_TYPE_STATIC ||
        count.recorded->count(shape) != 0) {
        return;
    }
    if (cpvdist(cpSegmentShapeGetA(shape), cpSegmentShapeGetB(shape)) <= BLOCK_SIZE) {
        ++count.orphans;
    }
}

// The cell asked about by actorInCell, and the answer.
struct CellQuery {
    int column, row;
    bool found;
};

// True when the box of a body that moves (the player's or an enemy's) overlaps the cell. The
// space finds the boxes near the cell as of the last step; whether one overlaps the cell is the
// actor box's own rule.
bool actorInCell(cpSpace* space, int column, int row) {
    const double left = column * BLOCK_SIZE;
    const double top = row * BLOCK_SIZE;
    CellQuery query{column, row, false};
    cpSpaceBBQuery(
        space, cpBBNew(left, top, left + BLOCK_SIZE, top + BLOCK_SIZE), CP_SHAPE_FILTER_ALL,
        [](cpShape* shape, void* data) {
            CellQuery& query = *static_cast<CellQuery*>(data);
            const cpBB box = cpShapeGetBB(shape); // y grows downwards: b is the box's top
            query.found =
                query.found || (cpBodyGetType(cpShapeGetBody(shape)) != CP_BODY_TYPE_STATIC &&
                                actorBoxOverlapsCell(box.l, box.b, query.column, query.row));
        },
        &query);
    return query.found;
}

// Hands every segment that the cells from `firstCell` to `endCell - 1` hold to `leaving` and
// clears the references. Most cells hold none: those are passed over at a glance.
void takeSegments(World& world, int firstCell, int endCell, std::vector<cpShape*>& leaving) {
    for (int index = firstCell; index < endCell; ++index) {
        Block& cell = world.cells[index];
        if (cell.topShape == nullptr && cell.bottomShape == nullptr && cell.rightShape == nullptr &&
            cell.leftShape == nullptr) {
            continue;
        }
        for (int edge = 0; edge < EDGE_COUNT; ++edge) {
            cpShape*& segment = blockEdgeShape(cell, static_cast<BlockEdge>(edge));
            if (segment != nullptr) {
                leaving.push_back(segment);
                segment = nullptr;
            }
        }
        markCellRecordChanged(world, index / WORLD_ROWS, index % WORLD_ROWS);
    }
}

// Takes up to `budget` segments from the back of `leaving` out of the space and frees them;
// the space's index then forgets the area they covered. Returns how many went.
int dropLeavingSegments(cpSpace* space, std::vector<cpShape*>& leaving, int budget) {
    const int count = std::min(budget, static_cast<int>(leaving.size()));
    if (count == 0) {
        return 0;
    }
    cpBB area = cpShapeGetBB(leaving.back());
    for (int i = 0; i < count; ++i) {
        cpShape* segment = leaving.back();
        leaving.pop_back();
        area = cpBBMerge(area, cpShapeGetBB(segment));
        dropWorldSegment(space, segment);
    }
    sweepDroppedSegments(space, area);
    return count;
}

// Gives the open faces of the cells from `nextCell` on their segments until at least `budget`
// have been added, CELLS_PER_SEGMENT cells for each have been looked at, or the grid ends; a
// cell's faces go in together. Returns how many were added.
int addFaceSegments(World& world, cpSpace* space, int& nextCell, int budget) {
    int added = 0;
    const int endCell = std::min(WORLD_CELLS, nextCell + budget * CELLS_PER_SEGMENT);
    for (; nextCell < endCell && added < budget; ++nextCell) {
        const int column = nextCell / WORLD_ROWS;
        const int row = nextCell % WORLD_ROWS;
        if (!blockIsSolid(cellAt(world, column, row))) {
            continue;
        }
        for (BlockEdge edge : MINING_ORDER) {
            if (!neighbourPassable(world, column, row, edge)) {
                continue;
            }
            GAME_ASSERT(blockEdgeShape(cellAt(world, column, row), edge) == nullptr,
                        "building segments over old ones: clear the world's segments first");
            putEdgeSegment(world, space, column, row, edge, 0.0, GROUND_FRICTION);
            ++added;
        }
    }
    return added;
}

} // namespace

bool canEditCell(const World& world, const Player& player, int column, int row) {
    const float x = static_cast<float>(column * BLOCK_SIZE);
    const float y = static_cast<float>(row * BLOCK_SIZE);
    const bool inReach = player.x - PLAYER_REACH < x && x < player.x + PLAYER_REACH &&
                         player.y - PLAYER_REACH < y && y < player.y + PLAYER_REACH;
    if (!inReach) {
        return false;
    }
    for (int edge = 0; edge < EDGE_COUNT; ++edge) {
        if (neighbourPassable(world, column, row, static_cast<BlockEdge>(edge))) {
            return true;
        }
    }
    return false;
}

bool mineCell(World& world, const BlockTypes& blockTypes, Player& player, cpSpace* space,
              int column, int row) {
    const Block& cell = cellAt(world, column, row);
    if (!blockIsSolid(cell) || cell.id == BLOCK_NULL || !canEditCell(world, player, column, row)) {
        return false;
    }
    const BlockKind* kind = blockKindForId(cell.id);
    GAME_ASSERT(kind != nullptr, "a solid block other than NULL must be a placeable kind");
    int32_t& stock = player.*(kind->count);
    if (stock == INT32_MAX) {
        return false; // a full stock takes no more, and the block stays where it is
    }
    dropOwnSegments(world, space, column, row);
    ++stock;
    const int hole = row <= LAST_SKY_ROW ? BLOCK_AIR : BLOCK_UNDERGROUND;
    replaceCell(world, column, row, blockTemplate(blockTypes, hole));
    closeFacesAroundHole(world, space, column, row);
    return true;
}

bool placeBlock(World& world, const BlockTypes& blockTypes, Player& player, cpSpace* space,
                int column, int row) {
    // A block put into an actor would leave it inside rock, free to fall through the world.
    if (blockIsSolid(cellAt(world, column, row)) || !canEditCell(world, player, column, row) ||
        actorInCell(space, column, row)) {
        return false;
    }
    const BlockKind* kind = blockKindForSelection(player.selectedBlock);
    const float x = static_cast<float>(column * BLOCK_SIZE);
    const float y = static_cast<float>(row * BLOCK_SIZE);
    if (kind == nullptr || player.*(kind->count) == 0) {
        Block& cell = cellAt(world, column, row);
        cell.x = x; // an empty-handed click still notes the cell's place
        cell.y = y;
        markCellRecordChanged(world, column, row);
        return false;
    }
    --(player.*(kind->count));
    Block placed = blockTemplate(blockTypes, kind->id);
    placed.x = x;
    placed.y = y;
    replaceCell(world, column, row, placed);
    closePlacedBlock(world, space, column, row);
    return true;
}

void clearWorldSegments(World& world, cpSpace* space) {
    std::vector<cpShape*> leaving;
    takeSegments(world, 0, WORLD_CELLS, leaving);
    dropLeavingSegments(space, leaving, static_cast<int>(leaving.size()));
}

void buildWorldSegments(World& world, cpSpace* space) {
    int nextCell = 0;
    addFaceSegments(world, space, nextCell, WORLD_CELLS * EDGE_COUNT);
}

void takeColumnSegments(World& world, int firstColumn, int endColumn, SegmentRebuild& rebuild) {
    GAME_ASSERT(0 <= firstColumn && firstColumn <= endColumn && endColumn <= WORLD_COLUMNS,
                "columns outside the grid handed to a segment rebuild");
    takeSegments(world, firstColumn * WORLD_ROWS, endColumn * WORLD_ROWS, rebuild.leaving);
    rebuild.nextCell = 0;
}

bool segmentRebuildPending(const SegmentRebuild& rebuild) {
    return !rebuild.leaving.empty() || rebuild.nextCell < WORLD_CELLS;
}

bool continueSegmentRebuild(World& world, cpSpace* space, SegmentRebuild& rebuild, int budget) {
    budget -= dropLeavingSegments(space, rebuild.leaving, budget);
    if (rebuild.leaving.empty()) {
        std::vector<cpShape*>().swap(rebuild.leaving); // its memory goes back before the build
        if (budget > 0) {
            addFaceSegments(world, space, rebuild.nextCell, budget);
        }
    }
    return !segmentRebuildPending(rebuild);
}

bool worldSegmentsConsistent(const World& world, cpSpace* space, std::string& problem) {
    std::unordered_set<const cpShape*> recorded;
    for (int column = 0; column < WORLD_COLUMNS; ++column) {
        for (int row = 0; row < WORLD_ROWS; ++row) {
            for (int edge = 0; edge < EDGE_COUNT; ++edge) {
                if (!edgeConsistent(world, space, column, row, static_cast<BlockEdge>(edge),
                                    recorded, problem)) {
                    return false;
                }
            }
        }
    }
    OrphanCount count{&recorded, 0};
    cpSpaceEachShape(space, countOrphan, &count);
    if (count.orphans != 0) {
        problem = std::to_string(count.orphans) + " world segments in the space belong to no cell";
        return false;
    }
    return true;
}
