// The saver thread under a flush held by the tests' fault library (held-fsync): whatever the
// timing, it can finish no write until the test lets the flush go.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/saver.h"
#include "save_world.h"

// Three Save clicks while the saver is held in its first flush: the saver took at most the
// first click's state before the others came, so the second click's state is never written,
// the third's is written next, and each click gets its line once the file is in place.
TEST_F(SaveWorld, SaveClicksDuringAWriteAreAnsweredByOneWriteOfTheNewestState) {
    ASSERT_NE(nullptr, std::getenv("LD_PRELOAD")) << "run through ctest, which preloads faults";
    ASSERT_TRUE(save());
    const SaveBytes before = encoded();
    const std::string gate = directory.file("flushes-held");
    directory.write("flushes-held", {});
    Saver& saver = test.game.saver;
    saver.directory = directory.path;
    ASSERT_TRUE(createSaver(saver));
    setenv("TELLURN_FAULT", ("held-fsync:" + gate).c_str(), 1);
    startSaver(test.game);

    testing::internal::CaptureStdout();
    std::vector<SaveBytes> clicked;
    for (int column : {9, 10, 11}) {
        EXPECT_TRUE(mine(column, 121));
        requestSaveAction(test.game, SAVE_ACTION);
        clicked.push_back(encoded());
    }
    std::filesystem::remove(gate);
    stopSaver(saver); // writes what is still pending first
    const std::string said = testing::internal::GetCapturedStdout();
    unsetenv("TELLURN_FAULT");

    EXPECT_EQ("Saved the world!\nSaved the world!\nSaved the world!\n", said);
    EXPECT_TRUE(directory.read(SAVE_FILE_NAME) == clicked[2]) << "the newest state is the save";
    const SaveBytes backup = directory.read("TellurnSave.wld.bak");
    EXPECT_TRUE(backup == before || backup == clicked[0])
        << "the backup holds the second click's state: it was written, not replaced";
}
