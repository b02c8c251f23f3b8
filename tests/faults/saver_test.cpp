// The saver thread under a flush held by the tests' fault library (held-fsync): whatever the
// timing, it can finish no write until the test lets the flush go.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "actors/view.h"
#include "core/mouse_press.h"
#include "core/saver.h"
#include "input_events.h"
#include "save_world.h"
#include "test_rows.h"

namespace {

// Time enough for the saves and the Load below on any machine, an emulated one under load too:
// the first case checks what is carried out and in which order, not the close's deadline.
constexpr double AMPLE_SECONDS = 120.0;

// Starts the game's saver with every flush held until the file it returns is removed.
std::string startHeldSaver(SaveWorld& world) {
    const std::string gate = world.directory.file("flushes-held");
    world.directory.write("flushes-held", {});
    GAME_ASSERT(createSaver(world.test.game.saver),
                "no saver thread: Allegro's threads are missing");
    setVariable("TELLURN_FAULT", ("held-fsync:" + gate).c_str());
    startSaver(world.test.game);
    return gate;
}

} // namespace

// Three Save clicks while the saver is held in its first flush: the saver took at most the
// first click's state before the others came, so the second click's state is never written,
// the third's is written next, and each click gets its line once the file is in place. A Load
// then waits behind them: a dig meanwhile does nothing, as the load would undo it, and a Save
// clicked after the Load is carried out after it, at the close; a Load clicked last is not, and
// says so after every line before it.
TEST_F(SaveWorld, SaveClicksDuringAWriteAreAnsweredByOneWriteOfTheNewestState) {
    ASSERT_TRUE(faultsInjected()) << "run through ctest, which preloads faults";
    ASSERT_TRUE(al_init()); // the close's deadline is kept by Allegro's system
    ASSERT_TRUE(save());
    const std::string gate = startHeldSaver(*this);

    testing::internal::CaptureStdout();
    std::vector<SaveBytes> clicked;
    for (int column : {9, 10, 11}) {
        EXPECT_TRUE(mine(column, 121));
        requestSaveAction(test.game, SAVE_ACTION);
        clicked.push_back(encoded());
    }
    requestSaveAction(test.game, LOAD_ACTION);
    const View view = playerView(player);
    handleMouseDown(mouseDownEvent(viewScreenX(view, 125), viewScreenY(view, 1215), MINING_BUTTON),
                    test.game);
    EXPECT_EQ(BLOCK_GRASS, cell(12, 121).id) << "a dig while a Load is on its way does nothing";
    requestSaveAction(test.game, SAVE_ACTION);
    requestSaveAction(test.game, LOAD_ACTION);
    std::filesystem::remove(gate);
    EXPECT_TRUE(finishSaver(test.game, AMPLE_SECONDS)); // everything clicked, in order
    const std::string said = testing::internal::GetCapturedStdout();
    unsetVariable("TELLURN_FAULT");

    EXPECT_EQ("Saved the world!\nSaved the world!\nSaved the world!\nLoaded the world!\n"
              "Saved the world!\nLoad not done: the window was closed before it was in place\n",
              said);
    EXPECT_TRUE(directory.read(SAVE_FILE_NAME) == clicked[2]) << "the newest state is the save";
    EXPECT_TRUE(encoded() == clicked[2]) << "the load brought back the third click's state";
    const SaveBytes backup = directory.read("TellurnSave.wld.bak");
    EXPECT_TRUE(backup == clicked[2]) << "the save after the Load kept the loaded one as backup";
}

// A close whose deadline passes while the disk hangs: every click gets its one line, and once
// the flush is let go, the saver says nothing more and moves nothing, though the save it was
// writing would have set a refused save aside and a Load after it would have been read.
TEST_F(SaveWorld, AfterTheCloseDeadlineTheSaverSaysAndMovesNothing) {
    ASSERT_TRUE(faultsInjected()) << "run through ctest, which preloads faults";
    ASSERT_TRUE(al_init());
    SaveBytes refused = encoded();
    refused[cellAtOffset(4, 4) + 8] = 9; // an id the check refuses
    directory.write(SAVE_FILE_NAME, refused);
    const std::string gate = startHeldSaver(*this);
    Saver& saver = test.game.saver;

    testing::internal::CaptureStdout();
    requestSaveAction(test.game, SAVE_ACTION);
    requestSaveAction(test.game, LOAD_ACTION);
    requestSaveAction(test.game, SAVE_ACTION); // a Save behind the Load keeps it wanted
    EXPECT_FALSE(finishSaver(test.game, 0.25));
    std::filesystem::remove(gate);
    destroySaver(saver); // joins the saver, which ends once its write has come back
    const std::string said = testing::internal::GetCapturedStdout();
    unsetVariable("TELLURN_FAULT");

    EXPECT_EQ("Save not finished: the disk did not answer within 0.25 seconds; the previous save "
              "is kept\n"
              "Load not finished: the disk did not answer within 0.25 seconds\n"
              "Save not finished: the disk did not answer within 0.25 seconds; the previous save "
              "is kept\n",
              said);
    EXPECT_TRUE(directory.read(SAVE_FILE_NAME) == refused);
    EXPECT_FALSE(std::filesystem::exists(directory.file("TellurnSave.wld.damaged")));
}

// A close in the ticks after a Load went in place, while the snapshots catch up: the Load was
// answered once, and the close owes it nothing.
TEST_F(SaveWorld, ALoadInPlaceBeforeTheCloseIsNotCalledNotDone) {
    ASSERT_TRUE(al_init());
    ASSERT_TRUE(save());
    const std::string gate = startHeldSaver(*this);
    std::filesystem::remove(gate); // no flush is held here
    testing::internal::CaptureStdout();
    requestSaveAction(test.game, LOAD_ACTION);
    while (loadOnItsWay(test.game)) {
        advanceClicks(test.game);
    }
    EXPECT_TRUE(finishSaver(test.game, AMPLE_SECONDS));
    unsetVariable("TELLURN_FAULT");
    EXPECT_EQ("Loaded the world!\n", testing::internal::GetCapturedStdout());
}
