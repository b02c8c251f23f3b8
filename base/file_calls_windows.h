// The Windows calls through which the file layer and the folder lock reach the disk, each as
// Windows makes it, failing with its error in GetLastError. The game links
// file_calls_windows.cpp, which makes them; the save-fault tests link their own, which fail on
// demand as a full, failing or busy disk does, since no preloaded library reaches a Windows
// program's calls.
#pragma once

#include <windows.h>

/// CreateFileW with no security attributes or template.
HANDLE callCreateFile(const wchar_t* path, DWORD access, DWORD share, DWORD disposition,
                      DWORD flags);

/// ReadFile, synchronous.
BOOL callReadFile(HANDLE file, void* data, DWORD size, DWORD* got);

/// WriteFile, synchronous.
BOOL callWriteFile(HANDLE file, const void* data, DWORD size, DWORD* written);

/// FlushFileBuffers: the file's bytes on the disk.
BOOL callFlushFileBuffers(HANDLE file);

/// MoveFileExW.
BOOL callMoveFile(const wchar_t* from, const wchar_t* to, DWORD flags);

/// DeleteFileW.
BOOL callDeleteFile(const wchar_t* path);
