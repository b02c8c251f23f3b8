// The decisions of a Save and a Load over what stands in the folder, without a disk: each row
// is one path through the steps of a Save, or one choice of a Load, with the line it ends in.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "world/save_decisions.h"

namespace {

const SavePaths PATHS = savePaths("d");
const std::string S = PATHS.save;
const std::string T = PATHS.temporary;
const std::string B = PATHS.backup;

const std::map<SaveStep, const char*> STEP_NAMES = {
    {SAVE_LOOK_AT_LEFTOVER, "look-leftover"},
    {SAVE_REMOVE_LEFTOVER, "remove-leftover"},
    {SAVE_KEEP_LEFTOVER, "keep-leftover"},
    {SAVE_WRITE_NEW, "write"},
    {SAVE_LOOK_AT_PREVIOUS, "look-previous"},
    {SAVE_SWAP, "swap"},
    {SAVE_SWAPPED_OUT_TO_BACKUP, "swapped-out-to-backup"},
    {SAVE_KEEP_SWAPPED_OUT, "keep-swapped-out"},
    {SAVE_PREVIOUS_TO_BACKUP, "previous-to-backup"},
    {SAVE_KEEP_PREVIOUS, "keep-previous"},
    {SAVE_SET_ASIDE_REFUSED, "set-aside"},
    {SAVE_PLACE_NEW, "place"},
    {SAVE_REMOVE_NEW, "remove-new"},
    {SAVE_FLUSH_FOLDER, "flush"},
    {SAVE_DONE, "done"},
    {SAVE_FAILED, "failed"},
};

struct SaveRow {
    const char* name;
    SavedFileState leftover;
    SavedFileState previous;
    /// The steps that do not succeed, and how.
    std::map<SaveStep, FileOutcome> failing;
    /// The new save's file cannot even be created.
    bool createFails;
    /// A backup stands after the moves.
    bool backupStands;
    const char* steps;
    std::string words;
};

// Takes a Save through its decisions, each step going as the row says; keeping aside takes
// "K" (or finds "no room"), setting aside takes "D". Returns the steps taken, by name.
std::string walkSave(const SaveRow& row, std::string& words) {
    SaveProgress progress = startSaveProgress(PATHS);
    progress.backupStands = row.backupStands;
    progress.leftover = {row.leftover, "bad leftover", {}}; // as the looks find them
    progress.previous = {row.previous, "bad previous", {}};
    std::string steps;
    for (SaveStep step = SAVE_LOOK_AT_LEFTOVER;; step = nextSaveStep(progress)) {
        steps += std::string(steps.empty() ? "" : " ") + STEP_NAMES.at(step);
        if (step == SAVE_DONE || step == SAVE_FAILED) {
            break;
        }
        const auto fails = row.failing.find(step);
        const bool done =
            fails == row.failing.end() && !(step == SAVE_WRITE_NEW && row.createFails);
        progress.result = done
                              ? FileResult{FILE_DONE, "", ""}
                              : FileResult{fails != row.failing.end() ? fails->second : FILE_FAILED,
                                           "cannot do it (Denied)", "Denied"};
        const bool keeping = step == SAVE_KEEP_LEFTOVER || step == SAVE_KEEP_SWAPPED_OUT ||
                             step == SAVE_KEEP_PREVIOUS;
        if (keeping || step == SAVE_SET_ASIDE_REFUSED) {
            progress.keptAs = !done ? "no room" : keeping ? "K" : "D";
        }
        progress.newCreated = progress.newCreated || (step == SAVE_WRITE_NEW && !row.createFails);
        progress.last = step;
    }
    words = saveWords(progress);
    return steps;
}

} // namespace

TEST(SaveDecisions, EachStepOfASaveFollowsFromHowTheLastOneWent) {
    const std::string keptAside =
        "cannot keep the previous save as " + B + " (Denied); kept it as K";
    const SaveRow rows[] = {
        {"the first save",
         SAVED_NOTHING,
         SAVED_NOTHING,
         {},
         false,
         false,
         "look-leftover write look-previous place flush done",
         ""},
        {"a good previous save becomes the backup",
         SAVED_NOTHING,
         SAVED_WHOLE,
         {},
         false,
         true,
         "look-leftover write look-previous swap swapped-out-to-backup flush done",
         ""},
        {"no swap on this file system: two moves",
         SAVED_NOTHING,
         SAVED_WHOLE,
         {{SAVE_SWAP, FILE_UNSUPPORTED}},
         false,
         true,
         "look-leftover write look-previous swap previous-to-backup place flush done",
         ""},
        {"the swap fails: the new save goes again",
         SAVED_NOTHING,
         SAVED_WHOLE,
         {{SAVE_SWAP, FILE_FAILED}},
         false,
         true,
         "look-leftover write look-previous swap remove-new failed",
         "cannot put the new save in place as " + S + " (Denied)"},
        {"the swapped-out save cannot become the backup: kept aside",
         SAVED_NOTHING,
         SAVED_WHOLE,
         {{SAVE_SWAPPED_OUT_TO_BACKUP, FILE_FAILED}},
         false,
         true,
         "look-leftover write look-previous swap swapped-out-to-backup keep-swapped-out flush done",
         keptAside + " and the older backup stays"},
        {"... nor kept aside: it stays at the temporary name",
         SAVED_NOTHING,
         SAVED_WHOLE,
         {{SAVE_SWAPPED_OUT_TO_BACKUP, FILE_FAILED}, {SAVE_KEEP_SWAPPED_OUT, FILE_FAILED}},
         false,
         true,
         "look-leftover write look-previous swap swapped-out-to-backup keep-swapped-out flush done",
         "cannot keep the previous save as " + B + " (Denied); the previous save stays as " + T +
             " (no room)"},
        {"two moves: the previous save cannot become the backup, kept aside",
         SAVED_NOTHING,
         SAVED_WHOLE,
         {{SAVE_SWAP, FILE_UNSUPPORTED}, {SAVE_PREVIOUS_TO_BACKUP, FILE_FAILED}},
         false,
         false,
         "look-leftover write look-previous swap previous-to-backup keep-previous place flush done",
         keptAside + " and there is no backup"},
        {"two moves: ... nor kept aside: the save is as it was",
         SAVED_NOTHING,
         SAVED_WHOLE,
         {{SAVE_SWAP, FILE_UNSUPPORTED},
          {SAVE_PREVIOUS_TO_BACKUP, FILE_FAILED},
          {SAVE_KEEP_PREVIOUS, FILE_FAILED}},
         false,
         true,
         "look-leftover write look-previous swap previous-to-backup keep-previous remove-new "
         "failed",
         "cannot keep the previous save as " + B +
             " (Denied), nor keep it aside (no room); the save is as it was"},
        {"two moves: the new save cannot take its name after the previous one left it",
         SAVED_NOTHING,
         SAVED_WHOLE,
         {{SAVE_SWAP, FILE_UNSUPPORTED}, {SAVE_PLACE_NEW, FILE_FAILED}},
         false,
         true,
         "look-leftover write look-previous swap previous-to-backup place failed",
         "cannot put the new save in place as " + S + " (Denied); the new save stays as " + T +
             ", which Load takes"},
        {"the first save cannot take its name",
         SAVED_NOTHING,
         SAVED_NOTHING,
         {{SAVE_PLACE_NEW, FILE_FAILED}},
         false,
         false,
         "look-leftover write look-previous place failed",
         "cannot put the new save in place as " + S + " (Denied); the new save stays as " + T +
             ", which Load takes"},
        {"a refused previous save is set aside, never the backup",
         SAVED_NOTHING,
         SAVED_REFUSED,
         {},
         false,
         true,
         "look-leftover write look-previous set-aside place flush done",
         "the previous save was refused (bad previous); kept it as D"},
        {"... and when it cannot be, nothing replaces it",
         SAVED_NOTHING,
         SAVED_REFUSED,
         {{SAVE_SET_ASIDE_REFUSED, FILE_FAILED}},
         false,
         true,
         "look-leftover write look-previous set-aside remove-new failed",
         "the save " + S +
             " is refused (bad previous) and cannot be set aside: no room; move it away to save "
             "over it"},
        {"an unreadable previous save is kept aside, never the backup",
         SAVED_NOTHING,
         SAVED_UNREADABLE,
         {},
         false,
         true,
         "look-leftover write look-previous keep-previous place flush done",
         "cannot keep the previous save as the backup: bad previous; kept it as K and the older "
         "backup stays"},
        {"... and when it cannot be, nothing replaces it",
         SAVED_NOTHING,
         SAVED_UNREADABLE,
         {{SAVE_KEEP_PREVIOUS, FILE_FAILED}},
         false,
         true,
         "look-leftover write look-previous keep-previous remove-new failed",
         "the previous save cannot be read (bad previous) nor kept aside (no room); the save is as "
         "it was"},
        {"a whole save left at the temporary name is kept aside first",
         SAVED_WHOLE,
         SAVED_REFUSED,
         {},
         false,
         true,
         "look-leftover keep-leftover write look-previous set-aside place flush done",
         "found a whole save that did not finish at " + T +
             "; kept it as K; the previous save was refused (bad previous); kept it as D"},
        {"an unreadable leftover that cannot be kept aside stops the save",
         SAVED_UNREADABLE,
         SAVED_WHOLE,
         {{SAVE_KEEP_LEFTOVER, FILE_FAILED}},
         false,
         true,
         "look-leftover keep-leftover failed",
         "found a file that cannot be read at " + T +
             " (bad leftover), which cannot be kept aside: no room; move it away"},
        {"a leftover with no world is removed",
         SAVED_NO_WORLD,
         SAVED_NOTHING,
         {},
         false,
         false,
         "look-leftover remove-leftover write look-previous place flush done",
         ""},
        {"... and when it cannot be, the save fails",
         SAVED_REFUSED,
         SAVED_NOTHING,
         {{SAVE_REMOVE_LEFTOVER, FILE_FAILED}},
         false,
         false,
         "look-leftover remove-leftover failed",
         "cannot do it (Denied)"},
        {"a directory at the temporary name",
         SAVED_DIRECTORY,
         SAVED_WHOLE,
         {},
         false,
         true,
         "look-leftover failed",
         "cannot create " + T + ": a directory stands at that name; move it away"},
        {"the new save cannot be written: it goes again",
         SAVED_NOTHING,
         SAVED_WHOLE,
         {{SAVE_WRITE_NEW, FILE_FAILED}},
         false,
         true,
         "look-leftover write remove-new failed",
         "cannot do it (Denied)"},
        {"the new save cannot be created: nothing to remove",
         SAVED_NOTHING,
         SAVED_WHOLE,
         {},
         true,
         true,
         "look-leftover write failed",
         "cannot do it (Denied)"},
    };
    for (const SaveRow& row : rows) {
        SCOPED_TRACE(row.name);
        std::string words;
        EXPECT_EQ(row.steps, walkSave(row, words));
        EXPECT_EQ(row.words, words);
    }
}

TEST(SaveDecisions, LoadTakesTheNewestWholeSaveAndSaysWhatBecameOfTheSave) {
    const auto file = [](SavedFileState state, int64_t time) {
        return SavedFile{state, state == SAVED_WHOLE ? "" : "it is bad", {true, 1, 2, 3, time}};
    };
    const SavedFile none = file(SAVED_NOTHING, 0);
    const SetAside setAsideDone{true, S + ".damaged", ""};
    const SetAside setAsideFails{false, "", "no room"};
    const std::string unfinished = "the whole save an unfinished save left at " + T;
    const struct {
        const char* name;
        SavedFile save, temporary, backup;
        SetAside setAside;
        LoadSource source;
        bool setSaveAside;
        std::string line;
    } rows[] = {
        {"the save", file(SAVED_WHOLE, 5), none, none, {}, LOAD_SAVE, false, ""},
        {"a newer whole save at the temporary name",
         file(SAVED_WHOLE, 5),
         file(SAVED_WHOLE, 6),
         none,
         {},
         LOAD_TEMPORARY,
         false,
         unfinished + " is newer than the save; loaded it instead\n"},
        {"an older one there, or as old",
         file(SAVED_WHOLE, 5),
         file(SAVED_WHOLE, 5),
         none,
         {},
         LOAD_SAVE,
         false,
         ""},
        {"no save at all", none, none, none, {}, LOAD_NOTHING, false, "No save found\n"},
        {"no save but a backup",
         none,
         file(SAVED_REFUSED, 9),
         file(SAVED_WHOLE, 1),
         {},
         LOAD_BACKUP,
         false,
         "No save found; loaded the backup " + B + " instead\n"},
        {"no save, and the temporary newer than the backup",
         none,
         file(SAVED_WHOLE, 2),
         file(SAVED_WHOLE, 1),
         {},
         LOAD_TEMPORARY,
         false,
         "No save found; loaded " + unfinished + " instead\n"},
        {"a tie goes to the backup",
         none,
         file(SAVED_WHOLE, 1),
         file(SAVED_WHOLE, 1),
         {},
         LOAD_BACKUP,
         false,
         "No save found; loaded the backup " + B + " instead\n"},
        {"a refused save with no backup is set aside", file(SAVED_REFUSED, 5), none, none,
         setAsideDone, LOAD_NOTHING, true,
         "Cannot load the save: it is bad; kept the refused save as " + S + ".damaged\n"},
        {"... or stays, saying so, when it cannot be", file(SAVED_REFUSED, 5), none, none,
         setAsideFails, LOAD_NOTHING, true,
         "Cannot load the save: it is bad; the refused save stays as " + S +
             ": no room; no save replaces it until you move it away\n"},
        {"a refused save and a good backup", file(SAVED_REFUSED, 5), none, file(SAVED_WHOLE, 1),
         setAsideDone, LOAD_BACKUP, true,
         "Cannot load the save: it is bad; loaded the backup " + B +
             " instead and kept the refused save as " + S + ".damaged\n"},
        {"an unreadable save stays where it is",
         file(SAVED_UNREADABLE, 5),
         none,
         file(SAVED_WHOLE, 1),
         {},
         LOAD_BACKUP,
         false,
         "Cannot load the save: it is bad; loaded the backup " + B +
             " instead and left the save as it is\n"},
        {"an unreadable save and a refused backup",
         file(SAVED_UNREADABLE, 5),
         none,
         file(SAVED_REFUSED, 1),
         {},
         LOAD_NOTHING,
         false,
         "Cannot load the save: it is bad; left the save as it is\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const LoadLook look{PATHS, row.save, row.temporary, row.backup};
        EXPECT_EQ(row.save.state != SAVED_WHOLE, loadNeedsBackup(look));
        const LoadChoice choice = chooseSaveToLoad(look);
        EXPECT_EQ(row.source, choice.source);
        EXPECT_EQ(row.setSaveAside, choice.setSaveAside);
        EXPECT_EQ(row.line, loadLine(look, choice, row.setAside));
    }
}
