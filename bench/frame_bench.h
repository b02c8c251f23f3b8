// Frame costs at one display size: an empty frame, the straightforward frame (every visible
// cell from six separate bitmaps) and the game's own frame, its pictures blitted and drawn (as on
// an OpenGL without framebuffer blits), measured side by side.
#pragma once

#include "bench/bench_table.h"

/// Opens a display of width x height, measures the frames `repetitions` times each,
/// interleaved, and adds their medians and ratios to the table. The HUD's font comes from
/// `fontPath`. Returns false when the display or its bitmaps cannot be made.
bool benchFrames(BenchTable& table, int width, int height, int repetitions, const char* fontPath);
