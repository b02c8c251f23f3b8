#include <gtest/gtest.h>

#include "actors/view.h"
#include "world/world_grid.h"

namespace {

struct DisplaySize {
    int width, height;
};

const DisplaySize SIZES[] = {{1280, 800}, {1440, 900}, {1680, 1050}, {1366, 767}};

// The view with the player at `place` along one axis (and at 2000 along the other): its
// offset on that axis and the screen pixel there of the world point `world`.
struct AlongAxis {
    double offset;
    int screen;
};

AlongAxis viewAlong(bool horizontal, const DisplaySize& size, float place, double world) {
    if (horizontal) {
        const View view = computeView(place, 2000.0f, size.width, size.height);
        return {view.offsetX, viewScreenX(view, world)};
    }
    const View view = computeView(2000.0f, place, size.width, size.height);
    return {view.offsetY, viewScreenY(view, world)};
}

// The near edge shows the world's start (offset 0); a followed player stays in the middle; the
// far edge puts the world's end at the display's end.
void expectEdgesAndFollowing(bool horizontal, const DisplaySize& size, float nearEdge,
                             float following, double followingOffset, float farEdge) {
    const int extent = horizontal ? size.width : size.height;
    const int worldExtent = horizontal ? WORLD_WIDTH : WORLD_HEIGHT;
    const AlongAxis near = viewAlong(horizontal, size, nearEdge, nearEdge);
    EXPECT_EQ(0.0, near.offset);
    EXPECT_EQ(static_cast<int>(nearEdge), near.screen);
    const AlongAxis followed = viewAlong(horizontal, size, following, following);
    EXPECT_EQ(followingOffset, followed.offset);
    EXPECT_EQ(extent / 2, followed.screen); // the player stays in the middle
    const AlongAxis far = viewAlong(horizontal, size, farEdge, worldExtent - 10);
    EXPECT_EQ(extent - worldExtent, far.offset);
    EXPECT_EQ(extent - 10, far.screen);
}

} // namespace

TEST(View, LeftEdgeFollowingAndRightEdgeHorizontally) {
    for (const DisplaySize& size : SIZES) {
        const int hw = size.width / 2;
        // The right-edge switch happens where the following view reaches the world's edge.
        const float atEdge = static_cast<float>(WORLD_WIDTH - hw);
        expectEdgesAndFollowing(true, size, 30.0f, hw + 100.5f, -100.0, atEdge + 0.5f);
        EXPECT_EQ(hw - atEdge, computeView(atEdge, 2000.0f, size.width, size.height).offsetX);
        if (size.width % 2 == 0) { // no jump of the picture at the switch
            const View right = computeView(atEdge + 0.5f, 2000.0f, size.width, size.height);
            EXPECT_EQ(viewScreenX(computeView(atEdge, 2000.0f, size.width, size.height), 5760.0),
                      viewScreenX(right, 5760.0));
        }
    }
}

TEST(View, TopEdgeFollowingAndBottomEdgeVertically) {
    for (const DisplaySize& size : SIZES) {
        const int hh = size.height / 2;
        expectEdgesAndFollowing(false, size, 100.0f, 1190.0f, hh - 1190.0,
                                WORLD_HEIGHT - hh + 1.0f);
    }
}

TEST(View, VisibleCellsCoverTheDisplayAndStayInTheGrid) {
    for (const DisplaySize& size : SIZES) {
        const float positions[][2] = {{30, 1150},
                                      {3000.5f, 2400.7f},
                                      {7190, 4780},
                                      {-40, -30},
                                      {WORLD_WIDTH - 700.3f, 4270.2f},
                                      {4350, 4350},
                                      {4400, 4400}};
        for (const auto& p : positions) {
            const View view = computeView(p[0], p[1], size.width, size.height);
            const CellRange cells = visibleCells(view, size.width, size.height);
            ASSERT_GE(cells.firstColumn, 0);
            ASSERT_LE(cells.lastColumn, WORLD_COLUMNS - 1);
            ASSERT_GE(cells.firstRow, 0);
            ASSERT_LE(cells.lastRow, WORLD_ROWS - 1);
            // The first cell touches pixel 0 (or starts at it), the last reaches the far edge.
            EXPECT_LE(viewScreenX(view, cells.firstColumn * 10), 0);
            EXPECT_GT(viewScreenX(view, cells.firstColumn * 10) + 10, 0);
            const int lastRight = viewScreenX(view, cells.lastColumn * 10) + 10;
            EXPECT_TRUE(lastRight >= size.width || cells.lastColumn == WORLD_COLUMNS - 1);
            const int lastBottom = viewScreenY(view, cells.lastRow * 10) + 10;
            EXPECT_TRUE(lastBottom >= size.height || cells.lastRow == WORLD_ROWS - 1);
        }
    }
}

TEST(View, ThePointerSelectsTheCellDrawnUnderIt) {
    for (const DisplaySize& size : SIZES) {
        const float positions[][2] = {{30, 1150}, {3000.5f, 2400.7f}, {7190, 4780}, {999.9f, 77}};
        for (const auto& p : positions) {
            const View view = computeView(p[0], p[1], size.width, size.height);
            const CellRange cells = visibleCells(view, size.width, size.height);
            for (int column = cells.firstColumn; column <= cells.lastColumn; column += 7) {
                for (int row = cells.firstRow; row <= cells.lastRow; row += 5) {
                    const int left = viewScreenX(view, column * 10);
                    const int top = viewScreenY(view, row * 10);
                    for (int dx : {0, 9}) {
                        for (int dy : {0, 9}) {
                            int hitColumn = -1, hitRow = -1;
                            if (left + dx < 0 || top + dy < 0) {
                                continue;
                            }
                            ASSERT_TRUE(
                                cellUnderPixel(view, left + dx, top + dy, hitColumn, hitRow));
                            ASSERT_EQ(column, hitColumn);
                            ASSERT_EQ(row, hitRow);
                        }
                    }
                }
            }
        }
    }
}

TEST(View, APixelPastTheWorldSelectsNoCell) {
    // 1366 x 767 at the right and bottom edges: the mapping is exact, so no pixel is outside.
    // Past the left wall (the player pushed off the world) there are pixels with no cell.
    const View view = computeView(-200.0f, 1000.0f, 1366, 767);
    int column = 123, row = 45;
    EXPECT_TRUE(cellUnderPixel(view, 0, 0, column, row));
    EXPECT_EQ(0, column);
    const View farRight = computeView(7199.0f, 4799.0f, 1366, 767);
    EXPECT_TRUE(cellUnderPixel(farRight, 1365, 766, column, row));
    EXPECT_EQ(WORLD_COLUMNS - 1, column);
    EXPECT_EQ(WORLD_ROWS - 1, row);
    View shifted = view;
    shifted.offsetX = 15.0; // a view whose left world edge lies 15 pixels into the screen
    column = 123;
    EXPECT_FALSE(cellUnderPixel(shifted, 3, 10, column, row));
    EXPECT_EQ(123, column);
}
