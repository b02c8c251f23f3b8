#include "world/save_file.h"

#include <algorithm>

namespace {

// A save is encoded, checked and written this much at a time, so that no buffer of the whole
// file is ever made.
constexpr size_t SAVE_PIECE = 256 * 1024;

// What stands where as the gate last heard; only the saving thread writes it.
std::string standingOf(const SaveGate* gate) {
    return gate == nullptr ? "" : gate->standing;
}

// One file call through the gate: `whileUnderWay` stands should it never end, `after` once it
// has done its work (what stood before stays when it fails). Once the gate is closed nothing is
// called, and `stopped` says so: the game then says nothing more.
template <typename Call>
FileResult throughGate(SaveGate* gate, bool& stopped, const std::string& whileUnderWay,
                       const std::string& after, bool placing, Call call) {
    const std::string before = standingOf(gate);
    if (!passGate(gate, whileUnderWay)) {
        stopped = true;
        return {FILE_FAILED, "", ""};
    }
    const FileResult result = call();
    const bool done = result.outcome == FILE_DONE;
    leaveGate(gate, done ? after : before, done && placing);
    return result;
}

// A file call through the gate that changes nothing of what stands where.
template <typename Call> FileResult quietly(SaveGate* gate, bool& stopped, Call call) {
    const std::string standing = standingOf(gate);
    return throughGate(gate, stopped, standing, standing, false, call);
}

// Sets a refused save aside as ".damaged": the refused saves kept there before move one number
// up, as far as the first free name, and when none is free the oldest, ".damaged.5", goes. No
// move ever replaces a file.
bool setAsideRefused(SaveGate* gate, bool& stopped, const std::string& save, std::string& aside,
                     std::string& why) {
    int free = 0;
    for (int number = MAX_DAMAGED_KEPT; number >= 1; --number) {
        const std::string name = numberedName(save, SAVE_DAMAGED_SUFFIX, number);
        free = lookAtFile(name).kind == KIND_NOTHING ? number : free;
    }
    if (free == 0) {
        free = MAX_DAMAGED_KEPT;
        const std::string oldest = numberedName(save, SAVE_DAMAGED_SUFFIX, free);
        const FileResult removed = quietly(gate, stopped, [&] { return removeFile(oldest); });
        if (removed.outcome != FILE_DONE) {
            why = "cannot remove the oldest refused save " + oldest + " (" + removed.reason + ")";
            return false;
        }
    }
    for (int number = free - 1; number >= 1; --number) {
        const std::string older = numberedName(save, SAVE_DAMAGED_SUFFIX, number + 1);
        const std::string newer = numberedName(save, SAVE_DAMAGED_SUFFIX, number);
        const FileResult moved =
            quietly(gate, stopped, [&] { return moveNoReplace(newer, older); });
        if (moved.outcome != FILE_DONE) {
            why = "cannot move an older refused save to " + older + " (" + moved.reason + ")";
            return false;
        }
    }
    aside = numberedName(save, SAVE_DAMAGED_SUFFIX, 1);
    const FileResult moved = quietly(gate, stopped, [&] { return moveNoReplace(save, aside); });
    why = moved.sentence;
    return moved.outcome == FILE_DONE;
}

// ---- A Save, step by step ----

struct SaveRun {
    SaveFolder& folder;
    const SavedCells& cells;
    const Player& player;
    const BlockTypes& blockTypes;
    SaveProgress progress;
    /// The gate closed: nothing more is done or said.
    bool stopped;
};

// A step's file call through the gate, with what stands where as the decisions word it.
template <typename Call> FileResult gatedStep(SaveRun& run, SaveStep step, Call call) {
    const StepStanding standing = stepStanding(step, run.progress, standingOf(run.folder.gate));
    return throughGate(run.folder.gate, run.stopped, standing.whileUnderWay, standing.after,
                       standing.placesNew, call);
}

// Moves what may hold a world out of the way, to the first free ".kept" name: never over
// anything, and nothing kept there is ever removed. `keptAs` ends as the name taken, or why none
// could be.
FileResult keepAside(SaveRun& run, SaveStep step, const std::string& path) {
    std::string& keptAs = run.progress.keptAs;
    for (int number = 1;; ++number) {
        keptAs = numberedName(run.progress.paths.save, SAVE_KEPT_SUFFIX, number);
        const FileResult moved = gatedStep(run, step, [&] { return moveNoReplace(path, keptAs); });
        if (moved.outcome != FILE_TAKEN) {
            keptAs = moved.outcome == FILE_DONE ? keptAs : moved.sentence;
            return moved;
        }
    }
}

// What an earlier save left at the temporary name: a whole save there may be the newest one,
// and a file that cannot be read may be one; a cut-off write, a link or a FIFO holds no world.
SavedFile lookAtLeftover(const SaveRun& run) {
    const std::string& temporary = run.progress.paths.temporary;
    switch (lookAtFile(temporary).kind) {
    case KIND_NOTHING:
        return {SAVED_NOTHING, "", {}};
    case KIND_DIRECTORY:
        return {SAVED_DIRECTORY, "", {}};
    case KIND_OTHER:
        return {SAVED_NO_WORLD, "", {}};
    case KIND_REGULAR:
        break;
    }
    SavedFile found = checkSavedFile(temporary, run.blockTypes);
    found.state = found.state == SAVED_NOTHING ? SAVED_NO_WORLD : found.state;
    return found;
}

// Encodes, checks and writes the save into `file` a piece at a time. The game never writes a
// file that its own Load would refuse: a piece the check refuses ends the write.
FileResult writePieces(const SaveRun& run, NewFile& file) {
    std::vector<uint8_t> piece(SAVE_PIECE);
    SavePieceCheck check;
    std::string refused;
    for (size_t offset = 0; offset < SAVE_FILE_SIZE; offset += SAVE_PIECE) {
        const size_t size = std::min(SAVE_PIECE, SAVE_FILE_SIZE - offset);
        encodeSavePiece(run.cells, run.player, run.blockTypes, offset, size, piece.data());
        if (!checkSavePiece(check, piece.data(), size, run.blockTypes, refused)) {
            return {FILE_FAILED, refused, refused};
        }
        const FileResult written = writeNewFile(file, piece.data(), size);
        if (written.outcome != FILE_DONE) {
            return written;
        }
    }
    return finishSavePieceCheck(check, refused) ? FileResult{FILE_DONE, "", ""}
                                                : FileResult{FILE_FAILED, refused, refused};
}

// The new save into a file the game creates itself at the temporary name, flushed.
FileResult writeNew(SaveRun& run) {
    NewFile file;
    const std::string& temporary = run.progress.paths.temporary;
    FileResult result =
        gatedStep(run, SAVE_WRITE_NEW, [&] { return createNewFile(temporary, file); });
    if (result.outcome != FILE_DONE) {
        return result;
    }
    run.progress.newCreated = true;
    result = writePieces(run, file);
    if (result.outcome != FILE_DONE) {
        abandonNewFile(file);
        return result;
    }
    return finishNewFile(file);
}

FileResult takeStep(SaveRun& run, SaveStep step) {
    SaveProgress& progress = run.progress;
    const SavePaths& paths = progress.paths;
    switch (step) {
    case SAVE_LOOK_AT_LEFTOVER:
        progress.leftover = lookAtLeftover(run);
        break;
    case SAVE_REMOVE_LEFTOVER:
    case SAVE_REMOVE_NEW:
        return gatedStep(run, step, [&] { return removeFile(paths.temporary); });
    case SAVE_KEEP_LEFTOVER:
    case SAVE_KEEP_SWAPPED_OUT:
        return keepAside(run, step, paths.temporary);
    case SAVE_WRITE_NEW:
        return writeNew(run);
    case SAVE_LOOK_AT_PREVIOUS:
        progress.previous = checkSavedFile(paths.save, run.blockTypes);
        break;
    case SAVE_SWAP:
        return gatedStep(run, step, [&] { return swapFiles(paths.temporary, paths.save); });
    case SAVE_SWAPPED_OUT_TO_BACKUP:
        return gatedStep(run, step, [&] { return moveReplacing(paths.temporary, paths.backup); });
    case SAVE_PREVIOUS_TO_BACKUP:
        return gatedStep(run, step, [&] { return moveReplacing(paths.save, paths.backup); });
    case SAVE_KEEP_PREVIOUS:
        return keepAside(run, step, paths.save);
    case SAVE_SET_ASIDE_REFUSED: {
        std::string aside;
        std::string why;
        const bool setAside = setAsideRefused(run.folder.gate, run.stopped, paths.save, aside, why);
        progress.keptAs = setAside ? aside : why;
        return {setAside ? FILE_DONE : FILE_FAILED, why, why};
    }
    case SAVE_PLACE_NEW:
        return gatedStep(run, step, [&] { return moveReplacing(paths.temporary, paths.save); });
    case SAVE_FLUSH_FOLDER:
        flushFolder(run.folder.directory);
        break;
    case SAVE_DONE:
    case SAVE_FAILED:
        break;
    }
    return {FILE_DONE, "", ""};
}

// The newest whole save an unfinished save left at a temporary name: ".tmp", or one of the
// numbered names a save goes by when something it may not move stands there.
void readNewestTemporary(LoadLook& look, const BlockTypes& blockTypes, SaveBytes& bytes) {
    look.temporary = {SAVED_NOTHING, "", {}};
    for (int number = 1;; ++number) {
        const std::string path = numberedName(look.paths.save, SAVE_TEMPORARY_SUFFIX, number);
        if (lookAtFile(path).kind == KIND_NOTHING) {
            return;
        }
        SaveBytes read;
        const SavedFile found = readSavedFile(path, blockTypes, read);
        const bool newer =
            found.state == SAVED_WHOLE && (look.temporary.state != SAVED_WHOLE ||
                                           modifiedLater(found.identity, look.temporary.identity));
        if (newer || number == 1) {
            look.temporary = found;
            look.paths.temporary = path;
            bytes.swap(read);
        }
    }
}

} // namespace

SaveOutcome writeSave(const SavedCells& cells, const Player& player, const BlockTypes& blockTypes,
                      SaveFolder& folder) {
    const SavePaths paths = savePaths(folder.directory);
    SaveRun run{folder, cells, player, blockTypes, startSaveProgress(paths), false};
    SaveStep step = SAVE_LOOK_AT_LEFTOVER;
    while (step != SAVE_DONE && step != SAVE_FAILED) {
        run.progress.result = takeStep(run, step);
        if (run.stopped) {
            return {false, ""}; // nobody waits for the line any more
        }
        run.progress.last = step;
        run.progress.saveStands = lookAtFile(run.progress.paths.save).kind == KIND_REGULAR;
        run.progress.backupStands = lookAtFile(run.progress.paths.backup).kind == KIND_REGULAR;
        step = nextSaveStep(run.progress);
    }
    return {step == SAVE_DONE, saveWords(run.progress)};
}

SavedFile readSavedFile(const std::string& path, const BlockTypes& blockTypes, SaveBytes& bytes) {
    SavedFile found{SAVED_WHOLE, "", {}};
    // One byte more than a save, so that an overlong file shows.
    const FileResult read = readWholeFile(path, SAVE_FILE_SIZE + 1, bytes, found.identity);
    if (read.outcome == FILE_MISSING) {
        return {SAVED_NOTHING, "", {}};
    }
    if (read.outcome != FILE_DONE) {
        return {SAVED_UNREADABLE, read.sentence, {}};
    }
    if (!validateSave(bytes, blockTypes, found.why)) {
        found.state = SAVED_REFUSED;
    }
    return found;
}

SavedFile checkSavedFile(const std::string& path, const BlockTypes& blockTypes) {
    ReadingFile file;
    const FileResult opened = openForReading(path, file);
    if (opened.outcome != FILE_DONE) {
        return {
            opened.outcome == FILE_MISSING ? SAVED_NOTHING : SAVED_UNREADABLE, opened.sentence, {}};
    }
    std::vector<uint8_t> piece(SAVE_PIECE);
    SavePieceCheck check;
    SavedFile found{SAVED_WHOLE, "", file.identity};
    bool whole = true;
    size_t got = 0;
    do {
        const FileResult read = readPiece(file, piece.data(), piece.size(), got);
        if (read.outcome != FILE_DONE) {
            found = {SAVED_UNREADABLE, read.sentence, {}};
            break;
        }
        whole = checkSavePiece(check, piece.data(), got, blockTypes, found.why);
    } while (got > 0 && whole);
    closeReading(file);
    if (found.state == SAVED_WHOLE && (!whole || !finishSavePieceCheck(check, found.why))) {
        found.state = SAVED_REFUSED;
    }
    return found;
}

bool readUsableSave(SaveFolder& folder, const BlockTypes& blockTypes, SaveBytes& bytes,
                    std::string& said) {
    LoadLook look{};
    look.paths = savePaths(folder.directory);
    SaveBytes found[3]; // the save's, the temporary's and the backup's bytes
    look.save = readSavedFile(look.paths.save, blockTypes, found[LOAD_SAVE - 1]);
    readNewestTemporary(look, blockTypes, found[LOAD_TEMPORARY - 1]);
    if (loadNeedsBackup(look)) {
        look.backup = readSavedFile(look.paths.backup, blockTypes, found[LOAD_BACKUP - 1]);
    }
    const LoadChoice choice = chooseSaveToLoad(look);
    SetAside setAside{};
    bool stopped = false;
    if (choice.setSaveAside) {
        setAside.done =
            setAsideRefused(folder.gate, stopped, look.paths.save, setAside.aside, setAside.why);
    }
    said = loadLine(look, choice, setAside);
    if (choice.source == LOAD_NOTHING) {
        return false;
    }
    bytes.swap(found[choice.source - 1]);
    return true;
}
