// Saves under injected disk faults (fault_injection.c, preloaded by ctest). After each save,
// either the new save is in place with a whole backup beside it, or the save and the backup are
// byte for byte what they were, and no temporary file is left. A previous save that is no good
// backup (refused, or unreadable) is never made the backup, and one that may be good is kept.
// A save stopped at any step of its renames, then a new run, loses no whole save, and the new
// run's Load takes the newest.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "save_world.h"
#include "test_rows.h"

namespace {

struct ChildSave {
    bool saved;
    std::string said;
};

// Saves in a child process with TELLURN_FAULT set for it alone (test_rows.h), so that every row
// counts the faulty calls from its own first one. The child's console comes back with it.
ChildSave saveWithFault(SaveWorld& fixture, const char* row, const char* fault) {
    const ChildRun child =
        runRowInChild(row, fault, fixture.directory.path, [&] { return fixture.save(); });
    EXPECT_TRUE(child.exited) << "the saving child died";
    return {child.exited && child.status == 0, child.said};
}

} // namespace

TEST_F(SaveWorld, EverySaveUnderADiskFaultKeepsAWholeSaveAndBackup) {
    ASSERT_TRUE(faultsInjected()) << "run through ctest, which preloads faults";
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
        const char* said;              // the console's first line begins so
        bool previousKept = false;     // the previous save is kept aside as the first free ".kept"
        int keptBefore = 0;            // ".kept" to ".kept.N" taken before the save
        const char* notHere = nullptr; // why the row cannot apply on this platform (test_rows.h)
    } rows[] = {
        {"hard links refused", "link", previous, 0, true, BACKUP_IS_PREVIOUS, "Saved the world!",
         false, 0, NOT_ON_WINDOWS("the Windows file layer makes no hard links")},
        {"the save is held a moment by another program", "busy-rename:3", previous, 0, true,
         BACKUP_IS_PREVIOUS, "Saved the world!", false, 0,
         WINDOWS_ONLY("no Linux call fails as one on a file another program holds does")},
        {"disk full writing the new save", "write:1", previous, 0, false, BACKUP_AS_BEFORE,
         "Save failed: cannot write"},
        {"the new save cannot be flushed", "fsync:1", previous, 0, false, BACKUP_AS_BEFORE,
         "Save failed: cannot flush"},
        {"the directory cannot be flushed", "fsync:2", previous, 0, true, BACKUP_IS_PREVIOUS,
         "Saved the world!", false, 0,
         NOT_ON_WINDOWS("Windows flushes no folder: each move is written through by itself")},
        {"the new save cannot be renamed into place", "rename:1", previous, 0, false,
         BACKUP_AS_BEFORE, "Save failed: cannot put the new save in place", false, 0,
         NOT_ON_WINDOWS("Windows has no swap: the previous save is the backup by then, a row of "
                        "the next test")},
        // Windows, with no swap, moves the previous save to the backup first.
        {"the previous save cannot be renamed to the backup",
         POSIX_OR_WINDOWS("rename:2", "rename:1"), previous, 0, true, BACKUP_AS_BEFORE,
         "Saved, but cannot keep the previous save as", true},
        // "/" always exists: every read of a file fails, as on a disk that errs.
        {"the previous save cannot be read", "eio-read:/", previous, 0, true, BACKUP_AS_BEFORE,
         "Saved, but cannot keep the previous save as the backup: cannot read", true},
        {"... when a hundred files are kept aside already", "eio-read:/", previous, 0, true,
         BACKUP_AS_BEFORE, "Saved, but cannot keep the previous save as the backup: cannot read",
         true, 100},
        {"a damaged save never becomes the backup", nullptr, damaged, 0, true, BACKUP_AS_BEFORE,
         "Saved, but the previous save was refused"},
        {"a state the check refuses is never written", nullptr, previous, 1, false,
         BACKUP_AS_BEFORE, "Save failed: the impulse base x is 1, not 0"},
    };
    for (const auto& row : rows) {
        if (!rowRunsHere(row.name, row.notHere)) {
            continue;
        }
        SCOPED_TRACE(row.name);
        directory.write(SAVE_FILE_NAME, row.save);
        directory.write("TellurnSave.wld.bak", older);
        for (int number = 1; number <= row.keptBefore; ++number) {
            directory.write(numberedName(SAVE_FILE_NAME, SAVE_KEPT_SUFFIX, number), {1});
        }
        player.impulseBase = cpv(row.impulseX, 0);

        const ChildSave outcome = saveWithFault(*this, row.name, row.fault);
        EXPECT_EQ(row.saved, outcome.saved) << outcome.said;
        EXPECT_EQ(0u, outcome.said.find(row.said)) << outcome.said;
        EXPECT_TRUE(directory.read(SAVE_FILE_NAME) == (row.saved ? next : row.save));
        const SaveBytes& backup = row.backup == BACKUP_IS_PREVIOUS ? previous : older;
        EXPECT_TRUE(directory.read("TellurnSave.wld.bak") == backup);
        EXPECT_FALSE(std::filesystem::exists(directory.file("TellurnSave.wld.tmp")));
        const std::string kept = numberedName(SAVE_FILE_NAME, SAVE_KEPT_SUFFIX, row.keptBefore + 1);
        EXPECT_EQ(row.previousKept, directory.read(kept) == row.save);
        for (int number = 1; number <= row.keptBefore + 1; ++number) {
            std::filesystem::remove(
                directory.file(numberedName(SAVE_FILE_NAME, SAVE_KEPT_SUFFIX, number)));
        }
    }
}

TEST_F(SaveWorld, ASaveStoppedAtAnyRenameLosesNoWholeSaveAndLoadTakesTheNewest) {
    ASSERT_TRUE(faultsInjected()) << "run through ctest, which preloads faults";
    const SaveBytes older = encoded();
    ASSERT_TRUE(mine(10, 121));
    const SaveBytes previous = encoded();
    ASSERT_TRUE(mine(11, 121));
    const SaveBytes next = encoded(); // what each stopped save writes
    const std::vector<const SaveBytes*> saves = {&older, &previous, &next};
    // Whole saves anywhere in the folder, whatever their names.
    const auto wholeSaves = [&] {
        int count = 0;
        for (const auto& entry : std::filesystem::directory_iterator(directory.path)) {
            const SaveBytes bytes = directory.read(entry.path().filename().string());
            count += std::count_if(saves.begin(), saves.end(),
                                   [&](const SaveBytes* save) { return *save == bytes; });
        }
        return count;
    };
    // A rename is a swap of the save and the temporary, then the previous save to the backup;
    // on FAT, a failed swap, the previous save to the backup, then the new save into place. On
    // Windows, which has no swap, the previous save to the backup, then the new save into place:
    // its first two renames stop the save before either.
    const char* const notOnFat =
        NOT_ON_WINDOWS("FAT is stood for by renameat2's flags failing, and Windows has none");
    const struct {
        const char* name;
        const char* fileSystem; // TELLURN_FILE_SYSTEM
        const char* fault;
        const char* notHere = nullptr; // why the row cannot apply on this platform (test_rows.h)
    } rows[] = {
        {"a crash before the swap", "", "crash-rename:1"},
        {"a crash after the swap", "", "crash-rename:2"},
        {"FAT: a crash before the previous save becomes the backup", "fat", "crash-rename:2",
         notOnFat},
        {"FAT: a crash before the new save takes its name", "fat", "crash-rename:3", notOnFat},
        {"FAT: the new save cannot take its name", "fat", "rename:3", notOnFat},
        {"the new save cannot take its name", "", "rename:2",
         WINDOWS_ONLY("a failed swap leaves all as it was: a row of the test before")},
    };
    for (const auto& row : rows) {
        if (!rowRunsHere(row.name, row.notHere)) {
            continue;
        }
        SCOPED_TRACE(row.name);
        for (const auto& entry : std::filesystem::directory_iterator(directory.path)) {
            std::filesystem::remove(entry.path());
        }
        directory.write(SAVE_FILE_NAME, previous);
        directory.write("TellurnSave.wld.bak", older);
        const auto now = std::filesystem::file_time_type::clock::now();
        std::filesystem::last_write_time(directory.file(SAVE_FILE_NAME),
                                         now - std::chrono::hours(1));
        std::filesystem::last_write_time(directory.file("TellurnSave.wld.bak"),
                                         now - std::chrono::hours(2));
        setVariable("TELLURN_FILE_SYSTEM", row.fileSystem);
        const ChildSave stopped = saveWithFault(*this, row.name, row.fault);
        EXPECT_FALSE(stopped.saved) << stopped.said;
        const int before = 2;
        EXPECT_LE(before, wholeSaves());

        // A new run: its Load takes the newest whole save, and its Save keeps every other.
        player.impulseBase = cpv(0, 0);
        const int stoppedWith = wholeSaves();
        bool loaded = false;
        const std::string said = loadOutput(loaded);
        EXPECT_TRUE(loaded) << said;
        EXPECT_TRUE(encoded() == next) << said;
        EXPECT_TRUE(save());
        EXPECT_LE(stoppedWith, wholeSaves());
        unsetVariable("TELLURN_FILE_SYSTEM");
    }
}
