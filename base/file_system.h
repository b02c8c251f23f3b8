// What the game needs of the file system, and no more: look at a name, read a file whole, write
// a new file whole and flush it, move a file without replacing what stands at the new name or
// over it, swap two names, remove a file, flush a folder. Each platform implements it in a file
// of its own (file_system_posix.cpp, file_system_windows.cpp); the decisions of what to keep and
// where are the world's. Results come back as values: an outcome the caller decides on and a
// sentence it can show.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

/// How a file operation went.
enum FileOutcome {
    /// Done.
    FILE_DONE,
    /// Nothing stands at the name (or its folder is missing).
    FILE_MISSING,
    /// Something already stands at the name the operation would take.
    FILE_TAKEN,
    /// This file system cannot do it at all (no swap of two names on FAT or on Windows).
    FILE_UNSUPPORTED,
    /// Anything else: the sentence says what and why.
    FILE_FAILED,
};

/// An outcome and, unless it is FILE_DONE, what went wrong.
struct FileResult {
    FileOutcome outcome;
    /// What failed, where and why, as "cannot write ./TellurnSave.wld.tmp (No space left on
    /// device)".
    std::string sentence;
    /// Why alone, in the system's words: "No space left on device".
    std::string reason;
};

/// What stands at a name, the name itself looked at (a link is not followed).
enum FileKind { KIND_NOTHING, KIND_REGULAR, KIND_DIRECTORY, KIND_OTHER };

/// Which file a name held when it was looked at: enough to tell whether a file is still the one
/// the game wrote or read.
struct FileIdentity {
    bool known;
    uint64_t device;
    uint64_t inode;
    int64_t size;
    int64_t modifiedNanoseconds;
};

/// What stands at a name and, for a regular file, which file it is.
struct FileLook {
    FileKind kind;
    FileIdentity identity;
};

/// NewFile::handle of no open file.
constexpr intptr_t FILE_HANDLE_NONE = -1;

/// A new file being written.
struct NewFile {
    intptr_t handle = FILE_HANDLE_NONE;
    std::string path;
};

/// A file being read a piece at a time.
struct ReadingFile {
    intptr_t handle = FILE_HANDLE_NONE;
    std::string path;
    /// Which file it is.
    FileIdentity identity;
};

/// Looks at what stands at `path`, without following a link.
FileLook lookAtFile(const std::string& path);

/// True when `a` is a file modified later than `b`; an unknown file is never the later one.
inline bool modifiedLater(const FileIdentity& a, const FileIdentity& b) {
    return a.known && (!b.known || a.modifiedNanoseconds > b.modifiedNanoseconds);
}

/// Opens the file at `path` for reading. Never blocks: anything but a regular file is refused at
/// once (FILE_FAILED). FILE_MISSING when nothing is there.
FileResult openForReading(const std::string& path, ReadingFile& file);

/// Reads up to `size` bytes of the file into `data`, in pieces so that no single call holds a
/// core for long; `got` says how many, 0 at the end of the file.
FileResult readPiece(ReadingFile& file, uint8_t* data, size_t size, size_t& got);

/// Closes a file opened for reading.
void closeReading(ReadingFile& file);

/// Reads at most `most` bytes of the file at `path` into `bytes`, as openForReading and
/// readPiece do; on FILE_DONE, `identity` names the file.
FileResult readWholeFile(const std::string& path, size_t most, std::vector<uint8_t>& bytes,
                         FileIdentity& identity);

/// Creates a new file at `path` for writing. Refuses anything that stands at the name (a planted
/// link included) with FILE_TAKEN, so the bytes never go through somebody else's file.
FileResult createNewFile(const std::string& path, NewFile& file);

/// Appends `size` bytes to the new file, all of them or FILE_FAILED.
FileResult writeNewFile(NewFile& file, const uint8_t* data, size_t size);

/// Flushes the new file to the disk and closes it, whatever the outcome.
FileResult finishNewFile(NewFile& file);

/// Closes a new file that will not be finished; the caller removes it.
void abandonNewFile(NewFile& file);

/// Moves `from` to `to` where nothing stands at `to`: FILE_TAKEN otherwise, and nothing is
/// replaced, whatever the file system. Like every move here, one that the system refuses only
/// while another program holds the file for a moment (an antivirus, a search indexer) is tried
/// again for a bounded time where a platform has such programs.
FileResult moveNoReplace(const std::string& from, const std::string& to);

/// Moves `from` to `to`, replacing a file that stands there.
FileResult moveReplacing(const std::string& from, const std::string& to);

/// Swaps the files at two names in one step, so that a crash leaves one or the other at each.
/// FILE_UNSUPPORTED where the file system cannot; the caller then moves them one at a time.
FileResult swapFiles(const std::string& a, const std::string& b);

/// Removes the file at `path`; FILE_DONE when nothing was there either.
FileResult removeFile(const std::string& path);

/// Flushes a folder's names to the disk, so that moves outlast a power cut, where the platform
/// needs it; a failure is not reported: the moves are done all the same.
void flushFolder(const std::string& directory);
