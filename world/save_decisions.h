// What a Save and a Load do with the files of a save folder, decided from what stands there and
// how each step went: which file Load takes, what is kept aside, the order of the moves that put
// a new save in place, and the words of every line about them. Plain functions over a
// description of the folder; save_file.h looks at the folder, carries the steps out and asks
// again after each one.
#pragma once

#include <string>

#include "base/file_system.h"

/// Name of the save file inside its directory.
constexpr const char* SAVE_FILE_NAME = "TellurnSave.wld";
/// Appended to the save's name for the previous good save, kept when a new one replaces it.
constexpr const char* SAVE_BACKUP_SUFFIX = ".bak";
/// Appended to the save's name for the new save while it is written, before it replaces the save;
/// where something the game may not move stands there, ".2", ".3" and so on follow it.
constexpr const char* SAVE_TEMPORARY_SUFFIX = ".tmp";
/// Appended to the save's name for the newest save that Load or Save refused and set aside; the
/// older ones move on to ".2" to ".5" after it, and the oldest is removed when all are taken.
constexpr const char* SAVE_DAMAGED_SUFFIX = ".damaged";
/// How many refused saves are kept aside at most.
constexpr int MAX_DAMAGED_KEPT = 5;
/// Appended to the save's name for a file that may hold a world but cannot stay where it is: a
/// previous save that cannot be read, a whole save an unfinished save left at the temporary
/// name. The next ones take ".2", ".3" and so on, as many as there are: none is ever removed,
/// and saving never stops for want of a name.
constexpr const char* SAVE_KEPT_SUFFIX = ".kept";
/// Name of the lock file inside the save folder, held by the one copy of the game playing there.
constexpr const char* SAVE_LOCK_NAME = "TellurnSave.lock";
/// What a copy of the game notes in its lock file once its window has gone and it only finishes
/// the saves clicked before: a copy started meanwhile waits for it instead of giving up.
constexpr const char* SAVE_LOCK_FINISHING = "finishing its saves";
/// The directory the game keeps its save in: the working directory.
constexpr const char* GAME_SAVE_DIRECTORY = ".";

/// The files of one save directory.
struct SavePaths {
    std::string save;
    std::string backup;
    /// Where a new save is written before it replaces the save.
    std::string temporary;
};

/// The paths of the save files in `directory`.
SavePaths savePaths(const std::string& directory);

/// The name with `suffix` and, from 2 on, `number`: ".kept", ".kept.2", ...
std::string numberedName(const std::string& save, const char* suffix, int number);

/// What stands at one of the save's names, as far as a Save or a Load must know.
enum SavedFileState {
    /// Nothing.
    SAVED_NOTHING,
    /// A save that loads: read and checked, or this run's own save, unchanged since.
    SAVED_WHOLE,
    /// Read whole, and the check refuses it.
    SAVED_REFUSED,
    /// Something that cannot be read: it may hold a world or not.
    SAVED_UNREADABLE,
    /// Holds no world: a write cut off before it was whole, a link, a FIFO.
    SAVED_NO_WORLD,
    /// A directory.
    SAVED_DIRECTORY,
};

/// One of the save's files as it was found.
struct SavedFile {
    SavedFileState state;
    /// Why it is refused or unreadable.
    std::string why;
    /// Which file it is, when it was read.
    FileIdentity identity;
};

// ---- Save ----

/// The steps of a Save, in the order they may come.
enum SaveStep {
    /// Looks at what an earlier save left at the temporary name.
    SAVE_LOOK_AT_LEFTOVER,
    /// Removes it: it holds no world.
    SAVE_REMOVE_LEFTOVER,
    /// Keeps it aside: it may be the newest save.
    SAVE_KEEP_LEFTOVER,
    /// Writes the new save at the temporary name, flushed.
    SAVE_WRITE_NEW,
    /// Reads and checks the previous save at the save's name, unless it is this run's own.
    SAVE_LOOK_AT_PREVIOUS,
    /// Swaps the new save and the previous one in one step.
    SAVE_SWAP,
    /// Moves the previous save, now at the temporary name, to the backup's.
    SAVE_SWAPPED_OUT_TO_BACKUP,
    /// Keeps it aside instead.
    SAVE_KEEP_SWAPPED_OUT,
    /// Where no swap can be made: moves the previous save to the backup's name.
    SAVE_PREVIOUS_TO_BACKUP,
    /// Keeps the previous save aside.
    SAVE_KEEP_PREVIOUS,
    /// Sets the previous save aside as damaged (SAVE_DAMAGED_SUFFIX).
    SAVE_SET_ASIDE_REFUSED,
    /// Moves the new save to the save's name.
    SAVE_PLACE_NEW,
    /// Removes the new save: it could not be put in place, and the previous one still is.
    SAVE_REMOVE_NEW,
    /// Flushes the folder, so that the moves outlast a power cut.
    SAVE_FLUSH_FOLDER,
    /// The new save is in place.
    SAVE_DONE,
    /// The new save is not at the save's name.
    SAVE_FAILED,
};

/// A Save as far as it has come: what was found, the last step and how it went, and the words
/// said so far.
struct SaveProgress {
    /// The save's names; the temporary one moves on to the next number when what stands there
    /// can be neither removed nor kept aside.
    SavePaths paths;
    int temporaryNumber;
    /// What stood at the temporary name before this save (after SAVE_LOOK_AT_LEFTOVER).
    SavedFile leftover;
    /// The previous save (after SAVE_LOOK_AT_PREVIOUS).
    SavedFile previous;
    /// A regular file stands at the save's name, and at the backup's, now.
    bool saveStands;
    bool backupStands;
    /// The step just taken, and how it went.
    SaveStep last;
    FileResult result;
    /// The name the last keeping-aside step took, or why none could be taken.
    std::string keptAs;
    /// The new save's file was created (and is removed again if it cannot be put in place).
    bool newCreated;
    /// Where the previous save went from the save's name; empty while it has not moved.
    std::string previousAt;
    /// What was found at the temporary name and done with it, for the line of a Save.
    std::string found;
    /// What became of the previous save when it could not be kept as the backup.
    std::string note;
    /// Why the new save is not in place (SAVE_FAILED).
    std::string problem;
};

/// A Save about to begin in the folder whose files are `paths`.
SaveProgress startSaveProgress(const SavePaths& paths);

/// The step after `progress.last`, given how it went; adds to the found, note and problem words.
SaveStep nextSaveStep(SaveProgress& progress);

/// What stands where while a step is under way and once it is done, for the line that the close
/// says when it stops waiting for the disk.
struct StepStanding {
    /// Should the step never end.
    std::string whileUnderWay;
    /// Once it has done its work.
    std::string after;
    /// The step puts the new save at the save's name.
    bool placesNew;
};

/// What stands where during and after `step`; `standing` is what stood before it.
StepStanding stepStanding(SaveStep step, const SaveProgress& progress, const std::string& standing);

/// The line's words once a Save has ended: for SAVE_DONE, what was found and what became of
/// the previous save (empty when all went well); for SAVE_FAILED, what failed, why, and where
/// the new save, the previous one and the backup are now.
std::string saveWords(const SaveProgress& progress);

// ---- Load ----

/// Which save a Load takes.
enum LoadSource { LOAD_NOTHING, LOAD_SAVE, LOAD_TEMPORARY, LOAD_BACKUP };

/// The save, the temporary and the backup as a Load found them.
struct LoadLook {
    SavePaths paths;
    SavedFile save;
    SavedFile temporary;
    /// Looked at only when the save is not whole (loadNeedsBackup).
    SavedFile backup;
};

/// True when the backup must be read: the save cannot be loaded.
bool loadNeedsBackup(const LoadLook& look);

/// What a Load does: the save it takes, and whether it sets the save aside first.
struct LoadChoice {
    LoadSource source;
    /// The save was read whole and refused: it is set aside as damaged before any Save can
    /// replace it.
    bool setSaveAside;
};

/// The newest whole save: the save, or the whole save an unfinished save left at the temporary
/// name when that is newer; when the save is not whole, the newer whole one of the temporary and
/// the backup. Ties go to the save, then to the backup.
LoadChoice chooseSaveToLoad(const LoadLook& look);

/// How setting the refused save aside went: `aside` the name it took, or `why` it stays.
struct SetAside {
    bool done;
    std::string aside;
    std::string why;
};

/// The line a Load says before it loads (or does not): what was wrong with the save, which save
/// it took instead, what became of the save, or which whole save it passed over. Empty when it
/// simply takes the save.
std::string loadLine(const LoadLook& look, const LoadChoice& choice, const SetAside& setAside);
