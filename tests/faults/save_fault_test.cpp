// Saves under injected disk faults (fault_injection.c, preloaded by ctest). After each save,
// either the new save is in place with a whole backup beside it, or the save and the backup are
// byte for byte what they were, and no temporary file is left. A previous save that is no good
// backup (refused, or unreadable) is never made the backup.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "save_world.h"

namespace {

struct ChildSave {
    bool saved;
    std::string said;
};

// Saves in a child process with TELLURN_FAULT set for it alone, so that every row counts the
// faulty calls from its own first one. The child's console comes back through a pipe.
ChildSave saveWithFault(SaveWorld& fixture, const char* fault) {
    int console[2];
    EXPECT_EQ(0, pipe(console));
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        dup2(console[1], STDOUT_FILENO);
        if (fault != nullptr) {
            setenv("TELLURN_FAULT", fault, 1);
        }
        const bool saved = fixture.save();
        std::fflush(stdout);
        _exit(saved ? 0 : 1);
    }
    close(console[1]);
    ChildSave outcome{false, ""};
    char text[512];
    for (ssize_t got; (got = read(console[0], text, sizeof text)) > 0;) {
        outcome.said.append(text, static_cast<size_t>(got));
    }
    close(console[0]);
    int status = -1;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status)) << "the saving child died: status " << status;
    outcome.saved = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return outcome;
}

} // namespace

TEST_F(SaveWorld, EverySaveUnderADiskFaultKeepsAWholeSaveAndBackup) {
    ASSERT_NE(nullptr, std::getenv("LD_PRELOAD")) << "run through ctest, which preloads faults";
    const SaveBytes older = encoded(); // the backup on disk before each save
    ASSERT_TRUE(mine(10, 121));
    const SaveBytes previous = encoded(); // the save on disk before each save
    ASSERT_TRUE(mine(11, 121));
    const SaveBytes next = encoded(); // what each save writes
    SaveBytes damaged = previous;
    damaged[cellAtOffset(4, 4) + 8] = 9;

    enum Backup { BACKUP_AS_BEFORE, BACKUP_IS_PREVIOUS };
    const struct {
        const char* name;
        const char* fault;     // TELLURN_FAULT, see fault_injection.c
        const SaveBytes& save; // on disk before the save
        double impulseX;       // of the state saved
        bool saved;
        Backup backup;
        const char* said; // the console's first line begins so
    } rows[] = {
        {"hard links refused", "link", previous, 0, true, BACKUP_IS_PREVIOUS, "Saved the world!"},
        {"disk full writing the new save", "write:1", previous, 0, false, BACKUP_AS_BEFORE,
         "Save failed: cannot write"},
        {"the new save cannot be flushed", "fsync:1", previous, 0, false, BACKUP_AS_BEFORE,
         "Save failed: cannot flush"},
        {"the directory cannot be flushed", "fsync:2", previous, 0, true, BACKUP_IS_PREVIOUS,
         "Saved the world!"},
        {"the new save cannot be renamed into place", "rename:1", previous, 0, false,
         BACKUP_AS_BEFORE, "Save failed: cannot put the new save in place"},
        {"the previous save cannot be renamed to the backup", "rename:2", previous, 0, true,
         BACKUP_AS_BEFORE, "Saved, but cannot keep the previous save as"},
        // "/" always exists: every read of a file fails, as on a disk that errs.
        {"the previous save cannot be read", "eio-read:/", previous, 0, true, BACKUP_AS_BEFORE,
         "Saved, but cannot keep the previous save as the backup: cannot read"},
        {"a damaged save never becomes the backup", nullptr, damaged, 0, true, BACKUP_AS_BEFORE,
         "Saved, but the previous save was refused"},
        {"a state the check refuses is never written", nullptr, previous, 1, false,
         BACKUP_AS_BEFORE, "Save failed: the impulse base x is 1, not 0"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        directory.write(SAVE_FILE_NAME, row.save);
        directory.write("TellurnSave.wld.bak", older);
        player.impulseBase = cpv(row.impulseX, 0);

        const ChildSave outcome = saveWithFault(*this, row.fault);
        EXPECT_EQ(row.saved, outcome.saved) << outcome.said;
        EXPECT_EQ(0u, outcome.said.find(row.said)) << outcome.said;
        EXPECT_TRUE(directory.read(SAVE_FILE_NAME) == (row.saved ? next : row.save));
        const SaveBytes& backup = row.backup == BACKUP_IS_PREVIOUS ? previous : older;
        EXPECT_TRUE(directory.read("TellurnSave.wld.bak") == backup);
        EXPECT_FALSE(std::filesystem::exists(directory.file("TellurnSave.wld.tmp")));
    }
}
