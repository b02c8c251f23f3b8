#include "world/save_decisions.h"

namespace {

bool done(const SaveProgress& progress) {
    return progress.result.outcome == FILE_DONE;
}

// "cannot <what> <path> (<reason>)": a failed move in the words of the line.
std::string failure(const std::string& what, const std::string& path, const FileResult& result) {
    return what + " " + path + " (" + result.reason + ")";
}

// What a backup that could not be replaced leaves.
std::string backupLeft(const SaveProgress& progress) {
    return progress.backupStands ? "the older backup stays" : "there is no backup";
}

// Where the previous save and the backup are once a Save has failed; the problem has said where
// the new one is.
std::string whereSavesAre(const SaveProgress& progress) {
    const SavePaths& paths = progress.paths;
    if (progress.previousAt == paths.backup) {
        return "the previous save is " + paths.backup;
    }
    const std::string previous = !progress.previousAt.empty()
                                     ? "the previous save is " + progress.previousAt
                                 : progress.saveStands ? "the previous save stays as " + paths.save
                                                       : "there was no save before";
    return previous + (progress.backupStands ? " and the backup stays as " + paths.backup
                                             : " and there is no backup");
}

std::string cannotKeepAsBackup(const SaveProgress& progress) {
    return failure("cannot keep the previous save as", progress.paths.backup, progress.result);
}

std::string cannotPlaceNew(const SaveProgress& progress) {
    return failure("cannot put the new save in place as", progress.paths.save, progress.result);
}

// The previous save may be whole and only unmovable, or unreadable.
bool previousUnreadable(const SaveProgress& progress) {
    return progress.previous.state != SAVED_WHOLE && progress.previous.state != SAVED_REFUSED &&
           progress.previous.state != SAVED_NOTHING;
}

SaveStep failed(SaveProgress& progress, const std::string& problem) {
    progress.problem = problem;
    return progress.newCreated ? SAVE_REMOVE_NEW : SAVE_FAILED;
}

// What stands at the temporary name can be neither removed nor kept aside: it stays, and the new
// save goes by way of the next temporary name, so that saving never stops for want of one.
SaveStep byAnotherTemporary(SaveProgress& progress, const std::string& why) {
    const std::string next =
        numberedName(progress.paths.save, SAVE_TEMPORARY_SUFFIX, ++progress.temporaryNumber);
    progress.found +=
        (progress.found.empty() ? "" : "; ") + why + "; the new save went by way of " + next;
    progress.paths.temporary = next;
    return SAVE_LOOK_AT_LEFTOVER;
}

SaveStep afterLeftoverLook(SaveProgress& progress) {
    switch (progress.leftover.state) {
    case SAVED_NOTHING:
        return SAVE_WRITE_NEW;
    case SAVED_DIRECTORY:
        return byAnotherTemporary(progress, "a directory stands at " + progress.paths.temporary);
    case SAVED_WHOLE:
    case SAVED_UNREADABLE:
        return SAVE_KEEP_LEFTOVER;
    case SAVED_REFUSED:
    case SAVED_NO_WORLD:
        return SAVE_REMOVE_LEFTOVER;
    }
    return SAVE_REMOVE_LEFTOVER;
}

SaveStep afterKeepingLeftover(SaveProgress& progress) {
    const std::string& temporary = progress.paths.temporary;
    const std::string what =
        progress.leftover.state == SAVED_WHOLE
            ? "a whole save that did not finish at " + temporary
            : "a file that cannot be read at " + temporary + " (" + progress.leftover.why + ")";
    if (!done(progress)) {
        return byAnotherTemporary(progress, "found " + what + ", which cannot be kept aside (" +
                                                progress.keptAs + "); it stays there");
    }
    progress.found += (progress.found.empty() ? "" : "; ") + ("found " + what) + "; kept it as " +
                      progress.keptAs;
    return SAVE_WRITE_NEW;
}

SaveStep afterPreviousLook(const SaveProgress& progress) {
    switch (progress.previous.state) {
    case SAVED_WHOLE:
        return SAVE_SWAP;
    case SAVED_NOTHING:
        return SAVE_PLACE_NEW;
    case SAVED_REFUSED:
        return SAVE_SET_ASIDE_REFUSED;
    default:
        return SAVE_KEEP_PREVIOUS;
    }
}

SaveStep afterSwap(SaveProgress& progress) {
    if (done(progress)) {
        progress.previousAt = progress.paths.temporary;
        return SAVE_SWAPPED_OUT_TO_BACKUP;
    }
    if (progress.result.outcome == FILE_UNSUPPORTED) {
        return SAVE_PREVIOUS_TO_BACKUP;
    }
    return failed(progress, cannotPlaceNew(progress));
}

// After the swap the previous save stands at the temporary name: it becomes the backup, or is
// kept aside; only if that fails too does it stay there, for the next save to keep aside.
SaveStep afterSwappedOutToBackup(SaveProgress& progress) {
    if (done(progress)) {
        progress.previousAt = progress.paths.backup;
        return SAVE_FLUSH_FOLDER;
    }
    progress.note = cannotKeepAsBackup(progress);
    return SAVE_KEEP_SWAPPED_OUT;
}

SaveStep afterKeepingSwappedOut(SaveProgress& progress) {
    progress.previousAt = done(progress) ? progress.keptAs : progress.previousAt;
    progress.note += done(progress)
                         ? "; kept it as " + progress.keptAs + " and " + backupLeft(progress)
                         : "; the previous save stays as " + progress.paths.temporary + " (" +
                               progress.keptAs + ")";
    return SAVE_FLUSH_FOLDER;
}

SaveStep afterPreviousToBackup(SaveProgress& progress) {
    if (done(progress)) {
        progress.previousAt = progress.paths.backup;
        return SAVE_PLACE_NEW;
    }
    progress.note = cannotKeepAsBackup(progress);
    return SAVE_KEEP_PREVIOUS;
}

// A previous save kept aside: a whole one that could not become the backup, or one that cannot
// be read, which is never made the backup without a look at its bytes. One that cannot be kept
// aside either stops the save, so that nothing replaces it.
SaveStep afterKeepingPrevious(SaveProgress& progress) {
    const bool unreadable = previousUnreadable(progress);
    if (!done(progress)) {
        return failed(progress,
                      unreadable ? "the previous save cannot be read (" + progress.previous.why +
                                       ") nor kept aside (" + progress.keptAs + ")"
                                 : progress.note + ", nor keep it aside (" + progress.keptAs + ")");
    }
    progress.previousAt = progress.keptAs;
    if (unreadable) {
        progress.note = "cannot keep the previous save as the backup: " + progress.previous.why;
    }
    progress.note += "; kept it as " + progress.keptAs + " and " + backupLeft(progress);
    return SAVE_PLACE_NEW;
}

SaveStep afterSettingAsideRefused(SaveProgress& progress) {
    if (!done(progress)) {
        return failed(progress, "the save " + progress.paths.save + " is refused (" +
                                    progress.previous.why + ") and cannot be set aside: " +
                                    progress.keptAs + "; move it away to save over it");
    }
    progress.previousAt = progress.keptAs;
    progress.note = "the previous save was refused (" + progress.previous.why + "); kept it as " +
                    progress.keptAs;
    return SAVE_PLACE_NEW;
}

// The new save goes again only where the previous one still stands at the save's name;
// otherwise it stays whole, the newest save, which Load takes.
SaveStep afterPlacingNew(SaveProgress& progress) {
    if (done(progress)) {
        return SAVE_FLUSH_FOLDER;
    }
    const bool previousStands =
        progress.previous.state != SAVED_NOTHING && progress.previousAt.empty();
    if (previousStands) {
        return failed(progress, cannotPlaceNew(progress));
    }
    progress.problem = cannotPlaceNew(progress) + "; the new save stays as " +
                       progress.paths.temporary + ", which Load takes";
    return SAVE_FAILED;
}

} // namespace

SavePaths savePaths(const std::string& directory) {
    const std::string save = directory + "/" + SAVE_FILE_NAME;
    return {save, save + SAVE_BACKUP_SUFFIX, save + SAVE_TEMPORARY_SUFFIX};
}

std::string numberedName(const std::string& save, const char* suffix, int number) {
    return save + suffix + (number > 1 ? "." + std::to_string(number) : "");
}

SaveProgress startSaveProgress(const SavePaths& paths) {
    SaveProgress progress{};
    progress.paths = paths;
    progress.temporaryNumber = 1;
    progress.last = SAVE_LOOK_AT_LEFTOVER;
    return progress;
}

SaveStep nextSaveStep(SaveProgress& progress) {
    switch (progress.last) {
    case SAVE_LOOK_AT_LEFTOVER:
        return afterLeftoverLook(progress);
    case SAVE_REMOVE_LEFTOVER:
        return done(progress) ? SAVE_WRITE_NEW
                              : byAnotherTemporary(progress, progress.result.sentence);
    case SAVE_KEEP_LEFTOVER:
        return afterKeepingLeftover(progress);
    case SAVE_WRITE_NEW:
        return done(progress) ? SAVE_LOOK_AT_PREVIOUS : failed(progress, progress.result.sentence);
    case SAVE_LOOK_AT_PREVIOUS:
        return afterPreviousLook(progress);
    case SAVE_SWAP:
        return afterSwap(progress);
    case SAVE_SWAPPED_OUT_TO_BACKUP:
        return afterSwappedOutToBackup(progress);
    case SAVE_KEEP_SWAPPED_OUT:
        return afterKeepingSwappedOut(progress);
    case SAVE_PREVIOUS_TO_BACKUP:
        return afterPreviousToBackup(progress);
    case SAVE_KEEP_PREVIOUS:
        return afterKeepingPrevious(progress);
    case SAVE_SET_ASIDE_REFUSED:
        return afterSettingAsideRefused(progress);
    case SAVE_PLACE_NEW:
        return afterPlacingNew(progress);
    case SAVE_REMOVE_NEW:
        return SAVE_FAILED; // the failure that matters was said before
    case SAVE_FLUSH_FOLDER:
        return SAVE_DONE;
    case SAVE_DONE:
    case SAVE_FAILED:
        break;
    }
    return progress.last;
}

StepStanding stepStanding(SaveStep step, const SaveProgress& progress,
                          const std::string& standing) {
    const SavePaths& paths = progress.paths;
    switch (step) {
    case SAVE_SWAP:
        return {"the save is the previous one or the new one, whole",
                "the previous save stays as " + paths.temporary, true};
    case SAVE_SWAPPED_OUT_TO_BACKUP:
        return {"the previous save is " + paths.temporary + " or " + paths.backup, "", false};
    case SAVE_KEEP_SWAPPED_OUT:
    case SAVE_KEEP_PREVIOUS:
        return {standing, "the previous save is " + progress.keptAs, false};
    case SAVE_PREVIOUS_TO_BACKUP:
        return {"the previous save is " + paths.save + " or " + paths.backup + ", the new one " +
                    paths.temporary,
                "the previous save is " + paths.backup, false};
    case SAVE_PLACE_NEW:
        return {"the new save is " + paths.temporary + " or already " + paths.save +
                    (standing.empty() ? "" : "; " + standing),
                "", true};
    default:
        return {standing, standing, false}; // moves nothing of the saves
    }
}

std::string saveWords(const SaveProgress& progress) {
    if (!progress.problem.empty()) {
        return progress.problem + "; " + whereSavesAre(progress);
    }
    if (progress.found.empty() || progress.note.empty()) {
        return progress.found + progress.note;
    }
    return progress.found + "; " + progress.note;
}

bool loadNeedsBackup(const LoadLook& look) {
    return look.save.state != SAVED_WHOLE;
}

LoadChoice chooseSaveToLoad(const LoadLook& look) {
    const bool temporaryWhole = look.temporary.state == SAVED_WHOLE;
    if (look.save.state == SAVED_WHOLE) {
        const bool temporaryNewer =
            temporaryWhole && modifiedLater(look.temporary.identity, look.save.identity);
        return {temporaryNewer ? LOAD_TEMPORARY : LOAD_SAVE, false};
    }
    const bool setAside = look.save.state == SAVED_REFUSED;
    if (look.backup.state == SAVED_WHOLE &&
        !(temporaryWhole && modifiedLater(look.temporary.identity, look.backup.identity))) {
        return {LOAD_BACKUP, setAside};
    }
    return {temporaryWhole ? LOAD_TEMPORARY : LOAD_NOTHING, setAside};
}

std::string loadLine(const LoadLook& look, const LoadChoice& choice, const SetAside& setAside) {
    const SavePaths& paths = look.paths;
    const std::string taken = choice.source == LOAD_TEMPORARY
                                  ? "the whole save an unfinished save left at " + paths.temporary
                                  : "the backup " + paths.backup;
    const std::string instead = "loaded " + taken + " instead";
    const bool took = choice.source != LOAD_NOTHING;
    switch (look.save.state) {
    case SAVED_WHOLE:
        // A whole save at the temporary name that is older by its time is passed over, but a
        // clock set back may have made it so: the player hears of it now, not at the next Save.
        if (choice.source == LOAD_TEMPORARY) {
            return taken + " is newer than the save; loaded it instead\n";
        }
        return look.temporary.state == SAVED_WHOLE
                   ? "loaded the save; the whole save an unfinished save left at " +
                         paths.temporary +
                         " is not newer by its time, though it may hold a newer world; it stays "
                         "there\n"
                   : "";
    case SAVED_NOTHING:
        return took ? "No save found; " + instead + "\n" : "No save found\n";
    default:
        break;
    }
    // A save read whole that the check refused is set aside, so that no later Save replaces it;
    // one that could not be read says nothing of its bytes and stays.
    const std::string kept = !choice.setSaveAside ? "left the save as it is"
                             : setAside.done
                                 ? "kept the refused save as " + setAside.aside
                                 : "the refused save stays as " + paths.save + ": " + setAside.why +
                                       "; no save replaces it until you move it away";
    return "Cannot load the save: " + look.save.why + "; " + (took ? instead + " and " : "") +
           kept + "\n";
}
