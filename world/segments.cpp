#include "world/segments.h"

cpShape* addWorldSegment(cpSpace* space, cpVect a, cpVect b, double radius, double friction) {
    cpShape* segment = cpSegmentShapeNew(cpSpaceGetStaticBody(space), a, b, radius);
    cpSpaceAddShape(space, segment);
    cpShapeSetFriction(segment, friction);
    return segment;
}

void dropWorldSegment(cpSpace* space, cpShape* segment) {
    if (cpSpaceContainsShape(space, segment)) {
        cpSpaceRemoveShape(space, segment);
    }
    cpShapeFree(segment);
}

void sweepDroppedSegments(cpSpace* space, cpBB area) {
    cpSpaceBBQuery(
        space, area, CP_SHAPE_FILTER_ALL, [](cpShape*, void*) {}, nullptr);
}

void blockEdgeEnds(float x, float y, BlockEdge edge, cpVect& a, cpVect& b) {
    const double left = x;
    const double top = y;
    const double right = left + BLOCK_SIZE;
    const double bottom = top + BLOCK_SIZE;
    switch (edge) {
    case EDGE_TOP:
        a = cpv(left, top);
        b = cpv(right, top);
        break;
    case EDGE_BOTTOM:
        a = cpv(left, bottom);
        b = cpv(right, bottom);
        break;
    case EDGE_RIGHT:
        a = cpv(right, top);
        b = cpv(right, bottom);
        break;
    default:
        a = cpv(left, top);
        b = cpv(left, bottom);
        break;
    }
}
