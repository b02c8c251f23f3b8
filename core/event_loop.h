// The main thread's event loop: input handlers and the 60 Hz tick.
#pragma once

#include "core/game.h"

/// Serves the event queue until the display is closed or the render thread fails. Returns the
/// render thread's failure line, or null after a close.
const char* runEventLoop(Game& game);
