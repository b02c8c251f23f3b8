// The file system on Windows. Names are UTF-8 in the game and UTF-16 here. Windows has no swap of
// two names and no flush of a folder: a move is flushed by itself (MOVEFILE_WRITE_THROUGH), and
// the save decisions move one file at a time where there is no swap.
#include "base/file_system.h"

#include <algorithm>

#include "base/file_calls_windows.h"
#include "base/wide_text_windows.h"

namespace {

// The most of a file that one call writes or reads, so that no single call holds a core for long
// (as on Linux).
constexpr DWORD FILE_PIECE = 256 * 1024;

// How long a move or a removal is tried again while another program holds the file for a moment:
// an antivirus or the search indexer opens a new file as soon as it is written, for a fraction of
// a second, and Windows refuses to move or remove a file open without sharing that.
constexpr DWORD BUSY_RETRY_MILLISECONDS = 2000;
constexpr DWORD BUSY_RETRY_STEP_MILLISECONDS = 50;

// Everything but writing may share a file the game reads or looks at.
constexpr DWORD SHARE_ALL = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

FileResult done() {
    return {FILE_DONE, "", ""};
}

// A failed call as a result: what, where, and Windows' reason.
FileResult failed(const char* what, const std::string& path, DWORD error) {
    const FileOutcome outcome =
        error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? FILE_MISSING
        : error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS  ? FILE_TAKEN
                                                                       : FILE_FAILED;
    const std::string reason = systemReason(error);
    return {outcome, std::string(what) + " " + path + " (" + reason + ")", reason};
}

// A result that can only be a failure, whatever the error.
FileResult failedOnly(const char* what, const std::string& path, DWORD error) {
    FileResult result = failed(what, path, error);
    result.outcome = FILE_FAILED;
    return result;
}

// True when the refusal lasts only while another program holds the file.
bool busy(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

// Makes `call` until it succeeds, fails for good, or the file has been busy for too long: 0, or
// the last error.
template <typename Call> DWORD untilNotBusy(Call call) {
    for (DWORD waited = 0;; waited += BUSY_RETRY_STEP_MILLISECONDS) {
        if (call()) {
            return 0;
        }
        const DWORD error = GetLastError();
        if (!busy(error) || waited >= BUSY_RETRY_MILLISECONDS) {
            return error;
        }
        Sleep(BUSY_RETRY_STEP_MILLISECONDS);
    }
}

HANDLE handleOf(intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

int64_t nanosecondsOf(const FILETIME& time) {
    // FILETIME counts 100-nanosecond intervals.
    return static_cast<int64_t>((static_cast<uint64_t>(time.dwHighDateTime) << 32) |
                                time.dwLowDateTime) *
           100;
}

FileIdentity identityOf(const BY_HANDLE_FILE_INFORMATION& info) {
    return {
        true, info.dwVolumeSerialNumber,
        (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow,
        static_cast<int64_t>((static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow),
        nanosecondsOf(info.ftLastWriteTime)};
}

FileKind kindOf(HANDLE file, const BY_HANDLE_FILE_INFORMATION& info) {
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        return KIND_OTHER; // a link or a junction, not followed
    }
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return KIND_DIRECTORY;
    }
    return GetFileType(file) == FILE_TYPE_DISK ? KIND_REGULAR : KIND_OTHER;
}

} // namespace

FileLook lookAtFile(const std::string& path) {
    // Opened to read its attributes alone: a link itself, a folder too.
    const HANDLE file = callCreateFile(wideText(path).c_str(), 0, SHARE_ALL, OPEN_EXISTING,
                                       FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        const bool nothing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        return {nothing ? KIND_NOTHING : KIND_OTHER, {}};
    }
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = GetFileInformationByHandle(file, &info) != 0;
    const FileLook look{known ? kindOf(file, info) : KIND_OTHER,
                        known ? identityOf(info) : FileIdentity{}};
    CloseHandle(file);
    return look;
}

FileResult openForReading(const std::string& path, ReadingFile& file) {
    file.path = path;
    const FileLook look = lookAtFile(path);
    if (look.kind == KIND_NOTHING) {
        return failed("cannot open", path, ERROR_FILE_NOT_FOUND);
    }
    if (look.kind != KIND_REGULAR) {
        return {FILE_FAILED, path + " is not a regular file", "not a regular file"};
    }
    const HANDLE opened =
        callCreateFile(wideText(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                       OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN | FILE_FLAG_OPEN_REPARSE_POINT);
    if (opened == INVALID_HANDLE_VALUE) {
        return failed("cannot open", path, GetLastError());
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileInformationByHandle(opened, &info) == 0 || kindOf(opened, info) != KIND_REGULAR) {
        CloseHandle(opened);
        return {FILE_FAILED, path + " is not a regular file", "not a regular file"};
    }
    file.handle = reinterpret_cast<intptr_t>(opened);
    file.identity = identityOf(info);
    return done();
}

FileResult readPiece(ReadingFile& file, uint8_t* data, size_t size, size_t& got) {
    got = 0;
    while (got < size) {
        DWORD count = 0;
        const DWORD want = static_cast<DWORD>(std::min<size_t>(size - got, FILE_PIECE));
        if (callReadFile(handleOf(file.handle), data + got, want, &count) == 0) {
            return failedOnly("cannot read", file.path, GetLastError());
        }
        if (count == 0) {
            break;
        }
        got += count;
    }
    return done();
}

void closeReading(ReadingFile& file) {
    if (file.handle != FILE_HANDLE_NONE) {
        CloseHandle(handleOf(file.handle));
        file.handle = FILE_HANDLE_NONE;
    }
}

FileResult createNewFile(const std::string& path, NewFile& file) {
    // CREATE_NEW refuses whatever stands at the name, a link included. Nobody else may write the
    // file while the game does.
    const HANDLE opened = callCreateFile(wideText(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                         CREATE_NEW, FILE_ATTRIBUTE_NORMAL);
    file.path = path;
    if (opened == INVALID_HANDLE_VALUE) {
        file.handle = FILE_HANDLE_NONE;
        return failed("cannot create", path, GetLastError());
    }
    file.handle = reinterpret_cast<intptr_t>(opened);
    return done();
}

FileResult writeNewFile(NewFile& file, const uint8_t* data, size_t size) {
    while (size > 0) {
        DWORD written = 0;
        const DWORD piece = static_cast<DWORD>(std::min<size_t>(size, FILE_PIECE));
        if (callWriteFile(handleOf(file.handle), data, piece, &written) == 0) {
            return failedOnly("cannot write", file.path, GetLastError());
        }
        if (written == 0) {
            return failedOnly("cannot write", file.path, ERROR_WRITE_FAULT);
        }
        data += written;
        size -= written;
    }
    return done();
}

FileResult finishNewFile(NewFile& file) {
    const HANDLE opened = handleOf(file.handle);
    file.handle = FILE_HANDLE_NONE;
    FileResult result = done();
    if (callFlushFileBuffers(opened) == 0) {
        result = failedOnly("cannot flush", file.path, GetLastError());
    }
    if (CloseHandle(opened) == 0 && result.outcome == FILE_DONE) {
        result = failedOnly("cannot close", file.path, GetLastError());
    }
    return result;
}

void abandonNewFile(NewFile& file) {
    if (file.handle != FILE_HANDLE_NONE) {
        CloseHandle(handleOf(file.handle));
        file.handle = FILE_HANDLE_NONE;
    }
}

FileResult moveNoReplace(const std::string& from, const std::string& to) {
    const std::wstring source = wideText(from);
    const std::wstring target = wideText(to);
    // Without MOVEFILE_REPLACE_EXISTING Windows refuses a name that is taken, on every file
    // system.
    const DWORD error = untilNotBusy(
        [&] { return callMoveFile(source.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH) != 0; });
    return error == 0 ? done() : failed("cannot rename it to", to, error);
}

FileResult moveReplacing(const std::string& from, const std::string& to) {
    const std::wstring source = wideText(from);
    const std::wstring target = wideText(to);
    const DWORD error = untilNotBusy([&] {
        return callMoveFile(source.c_str(), target.c_str(),
                            MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    });
    return error == 0 ? done() : failed("cannot rename it to", to, error);
}

FileResult swapFiles(const std::string& a, const std::string& b) {
    return {FILE_UNSUPPORTED, "cannot swap " + a + " and " + b + " on Windows",
            "Windows has no swap of two names"};
}

FileResult removeFile(const std::string& path) {
    const std::wstring name = wideText(path);
    const DWORD error = untilNotBusy([&] { return callDeleteFile(name.c_str()) != 0; });
    if (error != 0 && error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) {
        return failed("cannot remove", path, error);
    }
    return done();
}

void flushFolder(const std::string&) {
    // Nothing to do: each move was flushed as it was made (MOVEFILE_WRITE_THROUGH).
}
