// The file layer's Windows calls, made as they are.
#include "base/file_calls_windows.h"

HANDLE callCreateFile(const wchar_t* path, DWORD access, DWORD share, DWORD disposition,
                      DWORD flags) {
    return CreateFileW(path, access, share, nullptr, disposition, flags, nullptr);
}

BOOL callReadFile(HANDLE file, void* data, DWORD size, DWORD* got) {
    return ReadFile(file, data, size, got, nullptr);
}

BOOL callWriteFile(HANDLE file, const void* data, DWORD size, DWORD* written) {
    return WriteFile(file, data, size, written, nullptr);
}

BOOL callFlushFileBuffers(HANDLE file) {
    return FlushFileBuffers(file);
}

BOOL callMoveFile(const wchar_t* from, const wchar_t* to, DWORD flags) {
    return MoveFileExW(from, to, flags);
}

BOOL callDeleteFile(const wchar_t* path) {
    return DeleteFileW(path);
}
