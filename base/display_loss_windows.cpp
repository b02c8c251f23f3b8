// The window system on Windows is part of the system itself: no connection to it can be lost
// while the game runs, so there is nothing to watch.
#include "base/display_loss.h"

void watchDisplayLoss(DisplayLossHandler, void*) {}
