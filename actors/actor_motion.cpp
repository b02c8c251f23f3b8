#include "actors/actor_motion.h"

#include <cmath>

#include "actors/physics.h"

void pushSideways(cpBody* body, double impulse, cpVect offset) {
    const double speed = cpBodyGetVelocity(body).x;
    if ((impulse < 0 && speed > REVERSE_THRESHOLD) || (impulse > 0 && speed < -REVERSE_THRESHOLD)) {
        cpBodySetVelocity(body, cpv(0, cpBodyGetVelocity(body).y));
    }
    applyImpulseAtOffset(body, cpv(impulse, 0), offset);
}

void limitSpeed(cpBody* body, SpeedLimit limit) {
    const cpVect velocity = cpBodyGetVelocity(body);
    const cpVect limited =
        cpv(std::fmax(-limit.horizontal, std::fmin(limit.horizontal, velocity.x)),
            std::fmax(-limit.vertical, std::fmin(limit.vertical, velocity.y)));
    if (limited.x != velocity.x || limited.y != velocity.y) {
        cpBodySetVelocity(body, limited);
    }
}

bool standsOnSolid(const World& world, float x, float y) {
    const int footColumn = static_cast<int>(x) / BLOCK_SIZE;
    const int footRow = static_cast<int>(y) / BLOCK_SIZE + ACTOR_HEIGHT / BLOCK_SIZE;
    return cellSolidOrOutside(world, footColumn, footRow);
}
