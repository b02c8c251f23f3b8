#include <gtest/gtest.h>

#include "actors/view.h"
#include "world/world_grid.h"

namespace {

struct DisplaySize {
    int width, height;
};

const DisplaySize SIZES[] = {{1280, 800}, {1440, 900}, {1680, 1050}, {1366, 767}};

} // namespace

TEST(View, LeftEdgeFollowingAndRightEdgeHorizontally) {
    for (const DisplaySize& size : SIZES) {
        const int hw = size.width / 2;
        const View left = computeView(30.0f, 2000.0f, size.width, size.height);
        EXPECT_EQ(0.0, left.offsetX); // the left edge
        EXPECT_EQ(30, viewScreenX(left, 30.0));

        const View following = computeView(hw + 100.5f, 2000.0f, size.width, size.height);
        EXPECT_EQ(-100.0, following.offsetX);              // following
        EXPECT_EQ(hw, viewScreenX(following, hw + 100.5)); // the player stays in the middle

        // The right-edge switch happens where the following view reaches the world's edge.
        const float atEdge = static_cast<float>(WORLD_WIDTH - hw);
        EXPECT_EQ(hw - atEdge, computeView(atEdge, 2000.0f, size.width, size.height).offsetX);
        const View right = computeView(atEdge + 0.5f, 2000.0f, size.width, size.height);
        EXPECT_EQ(size.width - WORLD_WIDTH, right.offsetX); // the right edge
        EXPECT_EQ(size.width - 10, viewScreenX(right, WORLD_WIDTH - 10));
        if (size.width % 2 == 0) { // no jump of the picture at the switch
            EXPECT_EQ(viewScreenX(computeView(atEdge, 2000.0f, size.width, size.height), 5760.0),
                      viewScreenX(right, 5760.0));
        }
    }
}

TEST(View, TopEdgeFollowingAndBottomEdgeVertically) {
    for (const DisplaySize& size : SIZES) {
        const int hh = size.height / 2;
        const View top = computeView(2000.0f, 100.0f, size.width, size.height);
        EXPECT_EQ(0.0, top.offsetY); // the top edge
        EXPECT_EQ(100, viewScreenY(top, 100.0));

        const View following = computeView(2000.0f, 1190.0f, size.width, size.height);
        EXPECT_EQ(hh - 1190.0, following.offsetY); // following
        EXPECT_EQ(hh, viewScreenY(following, 1190.0));

        const View bottom = computeView(2000.0f, WORLD_HEIGHT - hh + 1.0f, size.width, size.height);
        EXPECT_EQ(size.height - WORLD_HEIGHT, bottom.offsetY); // the bottom edge
        EXPECT_EQ(size.height - 10, viewScreenY(bottom, WORLD_HEIGHT - 10));
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
