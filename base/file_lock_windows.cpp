// The folder's lock on Windows: LockFileEx on the lock file. Windows locks no folders, but the
// lock file, held open without FILE_SHARE_DELETE, cannot be removed or renamed while the game
// runs, so no removed file defeats the lock here either. The lock covers one byte far past the
// note, since Windows' locks are mandatory: another copy still reads the note.
#include "base/file_lock.h"

#include "base/file_calls_windows.h"
#include "base/wide_text_windows.h"

namespace {

// The longest note read back.
constexpr DWORD NOTE_BYTES = 200;

// Where the locked byte lies: past any note, and past the end of the file, which Windows allows.
constexpr DWORD LOCKED_BYTE_HIGH = 0x40000000;

// Others may read the note and write their own once the lock is theirs, but not remove the file.
constexpr DWORD SHARE_LOCK_FILE = FILE_SHARE_READ | FILE_SHARE_WRITE;

HANDLE handleOf(intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

// Opened for writing where it can be, read-only where the player may not write the file, which
// still locks. A link at the name is opened as itself, and refused below. When neither works,
// the error is the real cause: a read-only folder with no lock file in it says so, not that the
// file is missing.
HANDLE openLockFile(const std::wstring& path, DWORD& error) {
    constexpr DWORD FLAGS = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT;
    HANDLE file = callCreateFile(path.c_str(), GENERIC_READ | GENERIC_WRITE, SHARE_LOCK_FILE,
                                 OPEN_ALWAYS, FLAGS);
    error = GetLastError();
    if (file != INVALID_HANDLE_VALUE ||
        (error != ERROR_ACCESS_DENIED && error != ERROR_WRITE_PROTECT)) {
        return file;
    }
    file = callCreateFile(path.c_str(), GENERIC_READ, SHARE_LOCK_FILE, OPEN_EXISTING, FLAGS);
    if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_NOT_FOUND) {
        error = GetLastError();
    }
    return file;
}

// Why an open lock file is no lock file: a link or anything but a plain file; empty when it is
// one.
std::string notALockFile(HANDLE file, const std::string& path) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileInformationByHandle(file, &info) == 0 ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ||
        GetFileType(file) != FILE_TYPE_DISK) {
        return path + " is not a regular file";
    }
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        return path + " is a symbolic link, not a lock file";
    }
    return "";
}

} // namespace

LockResult lockFolder(const std::string& directory, const std::string& fileName, FolderLock& lock) {
    const std::string path = directory + "/" + fileName;
    DWORD error = 0;
    const HANDLE file = openLockFile(wideText(path), error);
    if (file == INVALID_HANDLE_VALUE) {
        return {LOCK_UNAVAILABLE, "cannot open " + path + " (" + systemReason(error) + ")"};
    }
    const std::string refused = notALockFile(file, path);
    if (!refused.empty()) {
        CloseHandle(file);
        return {LOCK_UNAVAILABLE, refused};
    }
    OVERLAPPED where{};
    where.OffsetHigh = LOCKED_BYTE_HIGH;
    if (LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &where) ==
        0) {
        error = GetLastError();
        CloseHandle(file);
        if (error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING) {
            return {LOCK_HELD, ""};
        }
        return {LOCK_UNAVAILABLE, "cannot lock " + path + " (" + systemReason(error) + ")"};
    }
    // Held until closed, by unlockFolder or at exit.
    lock.file = reinterpret_cast<intptr_t>(file);
    return {LOCK_TAKEN, ""};
}

void noteOnLock(FolderLock& lock, const std::string& note) {
    if (lock.file == LOCK_HANDLE_NONE) {
        return;
    }
    const HANDLE file = handleOf(lock.file);
    // A note is a courtesy to another copy: one that cannot be written changes nothing.
    DWORD written = 0;
    if (SetFilePointer(file, 0, nullptr, FILE_BEGIN) == 0 && SetEndOfFile(file) != 0) {
        WriteFile(file, note.data(), static_cast<DWORD>(note.size()), &written, nullptr);
    }
}

std::string readLockNote(const std::string& directory, const std::string& fileName) {
    const std::wstring path = wideText(directory + "/" + fileName);
    const HANDLE file =
        callCreateFile(path.c_str(), GENERIC_READ, SHARE_LOCK_FILE | FILE_SHARE_DELETE,
                       OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT);
    if (file == INVALID_HANDLE_VALUE) {
        return "";
    }
    char note[NOTE_BYTES];
    DWORD got = 0;
    const bool read = ReadFile(file, note, sizeof note, &got, nullptr) != 0;
    CloseHandle(file);
    return read && got > 0 ? std::string(note, got) : "";
}

void unlockFolder(FolderLock& lock) {
    if (lock.file != LOCK_HANDLE_NONE) {
        CloseHandle(handleOf(lock.file)); // the lock goes with the handle
        lock.file = LOCK_HANDLE_NONE;
    }
}
