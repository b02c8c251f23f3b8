// The tests' disk faults on Windows, where no preloaded library reaches a program's calls: the
// Windows test programs link this file in place of base/file_calls_windows.cpp, so that the file
// layer's calls fail on demand as odd or failing disks make them fail. TELLURN_FAULT means what
// it means for fault_injection.c, the Linux tests' library, with Windows' errors:
//   fsync:N        the Nth flush (FlushFileBuffers) fails with ERROR_IO_DEVICE; every one
//                  without a number
//   rename:N       the Nth move (MoveFileExW) fails with ERROR_ACCESS_DENIED
//   write:N        the Nth write fails with ERROR_DISK_FULL: the disk is full
//   crash-rename:N the Nth move ends the process with status 75 before it is done, as a crash
//                  or a power cut would
//   held-fsync:PATH  each flush waits while the file PATH exists
//   eio-read:PATH  each read of a save file (a name beginning "TellurnSave") fails with
//                  ERROR_IO_DEVICE while the file PATH exists
// and one of Windows' own:
//   busy-rename:N  the first N moves fail with ERROR_SHARING_VIOLATION, as when an antivirus or
//                  the search indexer holds the file for a moment
// Hard links and FAT's renames have no counterpart here: the Windows file layer uses neither. The
// faults only the end-to-end tests of the Linux game use (slow-fsync, erofs) are not here.
// The variable is read at every call, and calls are counted only while it names them.
#include "base/file_calls_windows.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <cwchar>

namespace {

enum FaultKind { FAULT_FSYNC, FAULT_RENAME, FAULT_WRITE, FAULT_CRASH_RENAME, FAULT_BUSY_RENAME };

struct Fault {
    const char* name;
    DWORD error;
    bool firstCalls; // the first N calls fail, rather than the Nth alone
    std::atomic<long> calls;
};

Fault faults[] = {
    {"fsync", ERROR_IO_DEVICE, false, {0}},
    {"rename", ERROR_ACCESS_DENIED, false, {0}},
    {"write", ERROR_DISK_FULL, false, {0}},
    {"crash-rename", ERROR_SUCCESS, false, {0}},
    {"busy-rename", ERROR_SHARING_VIOLATION, true, {0}},
};

// Status of a process that a crash-rename stopped, as on Linux.
constexpr UINT CRASH_STATUS = 75;

// The value after "name:" when TELLURN_FAULT is that setting, "" when it is the name alone, or
// null when it names something else.
const char* settingValue(const char* name) {
    const char* setting = std::getenv("TELLURN_FAULT");
    const size_t length = std::strlen(name);
    if (setting == nullptr || std::strncmp(setting, name, length) != 0 ||
        (setting[length] != '\0' && setting[length] != ':')) {
        return nullptr;
    }
    return setting[length] == ':' ? setting + length + 1 : setting + length;
}

// True, with the fault's error set, when this call is one that TELLURN_FAULT makes fail.
bool failing(FaultKind which) {
    Fault& fault = faults[which];
    const char* value = settingValue(fault.name);
    if (value == nullptr) {
        return false;
    }
    const long nth = std::atol(value);
    const long call = ++fault.calls;
    if (nth != 0 && (fault.firstCalls ? call > nth : call != nth)) {
        return false;
    }
    SetLastError(fault.error);
    return true;
}

bool fileExists(const char* path) {
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

bool namesSaveFile(const wchar_t* path) {
    const wchar_t* name = path;
    for (const wchar_t* at = path; *at != L'\0'; ++at) {
        if (*at == L'\\' || *at == L'/') {
            name = at + 1;
        }
    }
    return std::wcsncmp(name, L"TellurnSave", std::wcslen(L"TellurnSave")) == 0;
}

bool isSaveFile(HANDLE file) {
    wchar_t path[MAX_PATH * 2];
    const DWORD length = GetFinalPathNameByHandleW(file, path, MAX_PATH * 2, FILE_NAME_NORMALIZED);
    return length > 0 && length < MAX_PATH * 2 && namesSaveFile(path);
}

void delayFlush() {
    const char* gate = settingValue("held-fsync");
    while (gate != nullptr && fileExists(gate)) {
        Sleep(1);
    }
}

// True when this move fails; one that crash-rename names ends the process first.
bool moveFails() {
    if (failing(FAULT_CRASH_RENAME)) {
        TerminateProcess(GetCurrentProcess(), CRASH_STATUS);
    }
    return failing(FAULT_BUSY_RENAME) || failing(FAULT_RENAME);
}

} // namespace

HANDLE callCreateFile(const wchar_t* path, DWORD access, DWORD share, DWORD disposition,
                      DWORD flags) {
    return CreateFileW(path, access, share, nullptr, disposition, flags, nullptr);
}

BOOL callReadFile(HANDLE file, void* data, DWORD size, DWORD* got) {
    const char* gate = settingValue("eio-read");
    if (gate != nullptr && fileExists(gate) && isSaveFile(file)) {
        SetLastError(ERROR_IO_DEVICE);
        return FALSE;
    }
    return ReadFile(file, data, size, got, nullptr);
}

BOOL callWriteFile(HANDLE file, const void* data, DWORD size, DWORD* written) {
    if (failing(FAULT_WRITE)) {
        return FALSE;
    }
    return WriteFile(file, data, size, written, nullptr);
}

BOOL callFlushFileBuffers(HANDLE file) {
    delayFlush();
    if (failing(FAULT_FSYNC)) {
        return FALSE;
    }
    return FlushFileBuffers(file);
}

BOOL callMoveFile(const wchar_t* from, const wchar_t* to, DWORD flags) {
    if (moveFails()) {
        return FALSE;
    }
    return MoveFileExW(from, to, flags);
}

BOOL callDeleteFile(const wchar_t* path) {
    return DeleteFileW(path);
}
