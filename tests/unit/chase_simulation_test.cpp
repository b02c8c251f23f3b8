// Headless chases: the player and 25 enemies on generated ground, ticked as the game ticks them.
#include <gtest/gtest.h>

#include <cmath>

#include "actors/enemy.h"
#include "actors/player.h"
#include "test_game.h"

namespace {

struct Chase {
    TestGame test;
    Player& player = test.player;
    Enemy (&enemies)[ENEMY_COUNT] = test.enemies;

    explicit Chase(uint32_t seed) {
        test.generate(seed);
        spawnEnemiesHere(test.game, nullptr); // start places as the game draws them
    }

    void tick() { tickGame(test.game); }
};

constexpr int TICKS_PER_MINUTE = 60 * 60;

} // namespace

TEST(ChaseSimulation, EnemiesReachAStandingPlayerAndNoneFallsThroughTheGround) {
    Chase chase(31337);
    float nearest[ENEMY_COUNT];
    for (float& distance : nearest) {
        distance = 1e9f;
    }
    for (int tick = 0; tick < 3 * TICKS_PER_MINUTE; ++tick) {
        chase.tick();
        for (int i = 0; i < ENEMY_COUNT; ++i) {
            const Enemy& enemy = chase.enemies[i];
            // The ground is at y = 1210: an enemy's top edge stays above 1190 plus a little
            // contact slop, however the crowd pushes.
            ASSERT_LT(enemy.y, 1191.0f)
                << "enemy " << i << " sank into the ground at tick " << tick;
            nearest[i] = std::fmin(nearest[i], std::fabs(enemy.x - chase.player.x));
        }
    }
    EXPECT_NEAR(1190.0f, chase.player.y, 1.0f);
    for (int i = 0; i < ENEMY_COUNT; ++i) {
        // Reaching the player means touching the crowd that has piled up against it.
        EXPECT_LT(nearest[i], 10.0f * ENEMY_COUNT) << "enemy " << i << " never came near";
    }
    int touching = 0;
    for (const Enemy& enemy : chase.enemies) {
        touching += std::fabs(enemy.x - chase.player.x) < 11.0f;
    }
    EXPECT_GE(touching, 1) << "no enemy stands against the player";
}

TEST(ChaseSimulation, TenMinutesOfChasingLeaveEveryEnemyUpright) {
    Chase chase(2718);
    double worstAngle = 0;
    for (int tick = 0; tick < 10 * TICKS_PER_MINUTE; ++tick) {
        chase.tick();
    }
    for (const Enemy& enemy : chase.enemies) {
        worstAngle = std::fmax(worstAngle, std::fabs(cpBodyGetAngle(enemy.body)));
        // Inside the walls, up to the contact slop of a crowd pressing against the left one.
        EXPECT_GE(enemy.x, -1.0f);
        EXPECT_LE(enemy.x, WORLD_WIDTH - 10.0f);
    }
    // Pushes never spin a box; only the crowd piling up against the player tilts some of
    // them a little, and that does not build up.
    EXPECT_LT(worstAngle, 0.5);
}
