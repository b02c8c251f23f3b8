// The main thread's event loop: input handlers and the 60 Hz tick.
#pragma once

#include "core/game.h"

/// Serves the event queue until the display is closed.
void runEventLoop(Game& game);
