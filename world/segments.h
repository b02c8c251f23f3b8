// Static collision segments on block edges.
#pragma once

#include <chipmunk/chipmunk.h>

#include "world/world_grid.h"

/// Friction of ground segments made by generation and on placed blocks.
constexpr double GROUND_FRICTION = 1.0;

/// Adds a segment from a to b on the space's static body and returns it.
cpShape* addWorldSegment(cpSpace* space, cpVect a, cpVect b, double radius, double friction);

/// Takes a segment out of the space (if it is there) and frees it.
void dropWorldSegment(cpSpace* space, cpShape* segment);

/// Lets the space forget the segments taken out within `area` at once. Its spatial hash keeps a
/// removed shape's entries until a query passes over them; after a whole world's segments have
/// gone, they would slow the next world's inserts and pile up with every load.
void sweepDroppedSegments(cpSpace* space, cpBB area);

/// End points of the edge of the cell whose top-left corner is (x, y).
void blockEdgeEnds(float x, float y, BlockEdge edge, cpVect& a, cpVect& b);
