// Heavy digging for the benchmark: a world riddled with tunnels, as after hours of play.
#pragma once

#include "core/game.h"

/// Digs tunnels and builds in them with the game's mining and placing rules until the space
/// holds `extra` more static segments than before. The player ends where its body is, with
/// the digging's Dirt in its stock. Returns the number of segments added.
int addPlayerSegments(Game& game, int extra);
