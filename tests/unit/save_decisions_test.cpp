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

// Short names of the steps, in the rows below.
const std::map<SaveStep, std::string> STEP_NAMES = {
    {SAVE_LOOK_AT_LEFTOVER, "leftover"},
    {SAVE_REMOVE_LEFTOVER, "remove-leftover"},
    {SAVE_KEEP_LEFTOVER, "keep-leftover"},
    {SAVE_WRITE_NEW, "write"},
    {SAVE_LOOK_AT_PREVIOUS, "previous"},
    {SAVE_SWAP, "swap"},
    {SAVE_SWAPPED_OUT_TO_BACKUP, "swapped-to-backup"},
    {SAVE_KEEP_SWAPPED_OUT, "keep-swapped"},
    {SAVE_PREVIOUS_TO_BACKUP, "to-backup"},
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
    SavedFileState leftover, previous;
    /// The steps that fail, by name: "swap" fails, "swap:unsupported" cannot be done on this file
    /// system, "create" is the new file not even created.
    std::string failing;
    /// A backup stands after the moves.
    bool backupStands;
    std::string steps, words;
};

// Takes a Save through its decisions, each step going as the row says; keeping aside takes
// "K" (or finds "no room"), setting aside takes "D". Returns the steps taken, by name.
std::string walkSave(const SaveRow& row, std::string& words) {
    SaveProgress progress = startSaveProgress(PATHS);
    progress.saveStands = row.previous != SAVED_NOTHING;
    progress.backupStands = row.backupStands;
    progress.leftover = {row.leftover, "bad leftover", {}}; // as the looks find them
    progress.previous = {row.previous, "bad previous", {}};
    const std::string failing = " " + row.failing + " ";
    std::string steps;
    for (SaveStep step = SAVE_LOOK_AT_LEFTOVER;; step = nextSaveStep(progress)) {
        const std::string name = STEP_NAMES.at(step);
        steps += (steps.empty() ? "" : " ") + name;
        if (step == SAVE_DONE || step == SAVE_FAILED) {
            break;
        }
        const bool created =
            step == SAVE_WRITE_NEW && failing.find(" create ") == std::string::npos;
        const bool unsupported = failing.find(" " + name + ":unsupported ") != std::string::npos;
        const bool done = failing.find(" " + name + " ") == std::string::npos && !unsupported &&
                          (step != SAVE_WRITE_NEW || created);
        progress.result = {done          ? FILE_DONE
                           : unsupported ? FILE_UNSUPPORTED
                                         : FILE_FAILED,
                           done ? "" : "cannot do it (Denied)", done ? "" : "Denied"};
        const bool keeping = name.rfind("keep", 0) == 0;
        if (keeping || step == SAVE_SET_ASIDE_REFUSED) {
            progress.keptAs = !done ? "no room" : keeping ? "K" : "D";
        }
        progress.newCreated = progress.newCreated || created;
        if (step == SAVE_LOOK_AT_LEFTOVER && steps != name) {
            progress.leftover.state = SAVED_NOTHING; // the next temporary name is free
        }
        progress.last = step;
    }
    words = saveWords(progress);
    return steps;
}

} // namespace

TEST(SaveDecisions, EachStepOfASaveFollowsFromHowTheLastOneWent) {
    const std::string written = "leftover write previous ";
    const std::string notBackup = "cannot keep the previous save as " + B + " (Denied)";
    const std::string notPlaced = "cannot put the new save in place as " + S + " (Denied)";
    const std::string staysNew = "; the new save stays as " + T + ", which Load takes";
    const std::string asTheyWere =
        "; the previous save stays as " + S + " and the backup stays as " + B;
    const std::string noneBefore = "; there was no save before and there is no backup";
    const std::string byTheNext = "; the new save went by way of " + T + ".2";
    const SaveRow rows[] = {
        {"the first save", SAVED_NOTHING, SAVED_NOTHING, "", false, written + "place flush done",
         ""},
        {"a good previous save becomes the backup", SAVED_NOTHING, SAVED_WHOLE, "", true,
         written + "swap swapped-to-backup flush done", ""},
        {"no swap on this file system: two moves", SAVED_NOTHING, SAVED_WHOLE, "swap:unsupported",
         true, written + "swap to-backup place flush done", ""},
        {"the swap fails: the new save goes again", SAVED_NOTHING, SAVED_WHOLE, "swap", true,
         written + "swap remove-new failed", notPlaced + asTheyWere},
        {"the swapped-out save cannot become the backup", SAVED_NOTHING, SAVED_WHOLE,
         "swapped-to-backup", true, written + "swap swapped-to-backup keep-swapped flush done",
         notBackup + "; kept it as K and the older backup stays"},
        {"... nor be kept aside", SAVED_NOTHING, SAVED_WHOLE, "swapped-to-backup keep-swapped",
         true, written + "swap swapped-to-backup keep-swapped flush done",
         notBackup + "; the previous save stays as " + T + " (no room)"},
        {"two moves: no backup, kept aside", SAVED_NOTHING, SAVED_WHOLE,
         "swap:unsupported to-backup", false,
         written + "swap to-backup keep-previous place flush done",
         notBackup + "; kept it as K and there is no backup"},
        {"two moves: nor kept aside", SAVED_NOTHING, SAVED_WHOLE,
         "swap:unsupported to-backup keep-previous", true,
         written + "swap to-backup keep-previous remove-new failed",
         notBackup + ", nor keep it aside (no room)" + asTheyWere},
        {"two moves: the new save cannot take the name left free", SAVED_NOTHING, SAVED_WHOLE,
         "swap:unsupported place", true, written + "swap to-backup place failed",
         notPlaced + staysNew + "; the previous save is " + B},
        {"the first save cannot take its name", SAVED_NOTHING, SAVED_NOTHING, "place", false,
         written + "place failed", notPlaced + staysNew + noneBefore},
        {"a refused previous save is set aside", SAVED_NOTHING, SAVED_REFUSED, "", true,
         written + "set-aside place flush done",
         "the previous save was refused (bad previous); kept it as D"},
        {"... or else nothing replaces it", SAVED_NOTHING, SAVED_REFUSED, "set-aside", true,
         written + "set-aside remove-new failed",
         "the save " + S +
             " is refused (bad previous) and cannot be set aside: no room; move it "
             "away to save over it" +
             asTheyWere},
        {"an unreadable previous save is kept aside", SAVED_NOTHING, SAVED_UNREADABLE, "", true,
         written + "keep-previous place flush done",
         "cannot keep the previous save as the backup: bad previous; kept it as K and the older "
         "backup stays"},
        {"... or else nothing replaces it", SAVED_NOTHING, SAVED_UNREADABLE, "keep-previous", true,
         written + "keep-previous remove-new failed",
         "the previous save cannot be read (bad previous) nor kept aside (no room)" + asTheyWere},
        {"a whole leftover is kept aside first", SAVED_WHOLE, SAVED_REFUSED, "", true,
         "leftover keep-leftover write previous set-aside place flush done",
         "found a whole save that did not finish at " + T +
             "; kept it as K; the previous save was refused (bad previous); kept it as D"},
        {"a leftover that cannot be kept aside stays; the next temporary name serves",
         SAVED_UNREADABLE, SAVED_WHOLE, "keep-leftover", true,
         "leftover keep-leftover leftover write previous swap swapped-to-backup flush done",
         "found a file that cannot be read at " + T +
             " (bad leftover), which cannot be kept aside (no room); it stays there" + byTheNext},
        {"a leftover with no world is removed", SAVED_NO_WORLD, SAVED_NOTHING, "", false,
         "leftover remove-leftover write previous place flush done", ""},
        {"... one that cannot be removed stays too", SAVED_REFUSED, SAVED_NOTHING,
         "remove-leftover", false,
         "leftover remove-leftover leftover write previous place flush done",
         "cannot do it (Denied)" + byTheNext},
        {"a directory at the temporary name", SAVED_DIRECTORY, SAVED_WHOLE, "", true,
         "leftover leftover write previous swap swapped-to-backup flush done",
         "a directory stands at " + T + byTheNext},
        {"the new save cannot be written: it goes again", SAVED_NOTHING, SAVED_WHOLE, "write", true,
         "leftover write remove-new failed", "cannot do it (Denied)" + asTheyWere},
        {"the new save cannot be created", SAVED_NOTHING, SAVED_WHOLE, "create", true,
         "leftover write failed", "cannot do it (Denied)" + asTheyWere},
    };
    for (const SaveRow& row : rows) {
        SCOPED_TRACE(row.name);
        std::string words;
        EXPECT_EQ(row.steps, walkSave(row, words));
        EXPECT_EQ(row.words, words);
    }
}

TEST(SaveDecisions, LoadTakesTheNewestWholeSaveAndSaysWhatBecameOfTheSave) {
    const auto whole = [](int64_t time) {
        return SavedFile{SAVED_WHOLE, "", {true, 1, 2, 3, time}};
    };
    const SavedFile refused{SAVED_REFUSED, "it is bad", {true, 1, 2, 3, 1}};
    const SavedFile unreadable{SAVED_UNREADABLE, "it is bad", {}};
    const SavedFile none{SAVED_NOTHING, "", {}};
    const SetAside notAsked{false, "", ""};
    const SetAside setAside{true, S + ".damaged", ""};
    const SetAside cannot{false, "", "no room"};
    const std::string unfinished = "the whole save an unfinished save left at " + T;
    const std::string cannotLoad = "Cannot load the save: it is bad; ";
    const std::string backupInstead = "loaded the backup " + B + " instead";
    const struct {
        const char* name;
        SavedFile save, temporary, backup;
        LoadSource source;
        const SetAside& setAside; // what setting the save aside did, when the choice asks for it
        std::string line;
    } rows[] = {
        {"the save", whole(5), none, none, LOAD_SAVE, notAsked, ""},
        {"a newer whole save at the temporary name", whole(5), whole(6), none, LOAD_TEMPORARY,
         notAsked, unfinished + " is newer than the save; loaded it instead\n"},
        {"an older one there, or as old, is passed over, saying so", whole(5), whole(5), none,
         LOAD_SAVE, notAsked,
         "loaded the save; " + unfinished +
             " is not newer by its time, though it may hold a newer world; it stays there\n"},
        {"no save at all", none, none, none, LOAD_NOTHING, notAsked, "No save found\n"},
        {"no save but a backup", none, refused, whole(1), LOAD_BACKUP, notAsked,
         "No save found; " + backupInstead + "\n"},
        {"no save, the temporary newer than the backup", none, whole(2), whole(1), LOAD_TEMPORARY,
         notAsked, "No save found; loaded " + unfinished + " instead\n"},
        {"a tie goes to the backup", none, whole(1), whole(1), LOAD_BACKUP, notAsked,
         "No save found; " + backupInstead + "\n"},
        {"a refused save with no backup is set aside", refused, none, none, LOAD_NOTHING, setAside,
         cannotLoad + "kept the refused save as " + S + ".damaged\n"},
        {"... or stays, saying so", refused, none, none, LOAD_NOTHING, cannot,
         cannotLoad + "the refused save stays as " + S +
             ": no room; no save replaces it until you move it away\n"},
        {"a refused save and a good backup", refused, none, whole(1), LOAD_BACKUP, setAside,
         cannotLoad + backupInstead + " and kept the refused save as " + S + ".damaged\n"},
        {"an unreadable save stays where it is", unreadable, none, whole(1), LOAD_BACKUP, notAsked,
         cannotLoad + backupInstead + " and left the save as it is\n"},
        {"an unreadable save and a refused backup", unreadable, none, refused, LOAD_NOTHING,
         notAsked, cannotLoad + "left the save as it is\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const LoadLook look{PATHS, row.save, row.temporary, row.backup};
        EXPECT_EQ(row.save.state != SAVED_WHOLE, loadNeedsBackup(look));
        const LoadChoice choice = chooseSaveToLoad(look);
        EXPECT_EQ(row.source, choice.source);
        EXPECT_EQ(&row.setAside != &notAsked, choice.setSaveAside);
        EXPECT_EQ(row.line, loadLine(look, choice, row.setAside));
    }
}
