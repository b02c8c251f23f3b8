#include "core/click_lines.h"

#include <cstdio>

#include "core/save_game.h"

void saySaveOutcome(const SaveOutcome& outcome, int clicks) {
    for (int click = 0; click < clicks; ++click) {
        if (!outcome.saved) {
            std::printf("Save failed: %s\n", outcome.problem.c_str());
            continue;
        }
        if (!outcome.problem.empty()) {
            std::printf("Saved, but %s\n", outcome.problem.c_str());
        }
        std::printf("Saved the world!\n");
    }
}

void sayLoadRead(const std::string& said) {
    std::printf("%s", said.c_str());
}

void sayLoaded() {
    std::printf("Loaded the world!\n");
}

void sayLoadNotDone() {
    std::printf("Load not done: the window was closed before it was in place\n");
}

void sayWriteCutShort(const SaveGate& gate, double seconds) {
    if (!gate.placed) {
        std::printf("Save not finished: the disk did not answer within %g seconds; %s\n", seconds,
                    gate.standing.c_str());
        return;
    }
    if (!gate.standing.empty()) {
        std::printf("Saved, but the disk did not answer within %g seconds: %s\n", seconds,
                    gate.standing.c_str());
    }
    std::printf("Saved the world!\n");
}

void saySaveNotFinished(double seconds) {
    std::printf("Save not finished: the disk did not answer within %g seconds; %s\n", seconds,
                PREVIOUS_SAVE_KEPT);
}

void sayLoadNotFinished(double seconds) {
    std::printf("Load not finished: the disk did not answer within %g seconds\n", seconds);
}
