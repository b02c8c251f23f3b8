// The process on Windows: unbuffered output in UTF-8, the game's own folder, thread priorities.
#include "base/process.h"

#include <cstdio>
#include <cwchar>
#include <windows.h>

#include "base/wide_text_windows.h"

namespace {

// The installer leaves this file beside the game: an installed copy keeps its saves in the
// user's application data, never in the folder it was installed to.
const wchar_t* const INSTALLED_MARK = L"installed.txt";
// The installed game's save folder, in %APPDATA%.
const wchar_t* const INSTALLED_SAVE_FOLDER = L"Tellurn";

// The folder of the running program, without a final separator.
std::wstring programFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2); // a long path: ask again with room for it
    }
    return path.substr(0, path.find_last_of(L"\\/"));
}

bool exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace

void printLinesAsTheyCome() {
    // The Windows C runtime buffers a pipe fully, and its line buffering is full buffering too.
    // Unbuffered, each printf still writes its whole text at once, under the stream's lock.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    // Paths with any user's name in them are UTF-8 in the game.
    SetConsoleOutputCP(CP_UTF8);
}

bool settleInGameFolders(std::string& saveFolder, std::string& problem) {
    // Started from a shortcut or another folder's command line, the game finds its data beside
    // itself all the same.
    const std::wstring folder = programFolder();
    if (SetCurrentDirectoryW(folder.c_str()) == 0) {
        const DWORD error = GetLastError();
        problem = "cannot enter the game's folder " + narrowText(folder) + " (" +
                  systemReason(error) + ")";
        return false;
    }
    if (!exists(folder + L"\\" + INSTALLED_MARK)) {
        saveFolder = "."; // unzipped: the save lies beside the game, as on Linux
        return true;
    }
    const wchar_t* appData = _wgetenv(L"APPDATA");
    if (appData == nullptr || *appData == L'\0') {
        problem = "APPDATA is not set, so the installed game has no folder for its saves";
        return false;
    }
    const std::wstring saves = std::wstring(appData) + L"\\" + INSTALLED_SAVE_FOLDER;
    const DWORD made = CreateDirectoryW(saves.c_str(), nullptr) != 0 ? 0 : GetLastError();
    if (made != 0 && made != ERROR_ALREADY_EXISTS) {
        problem =
            "cannot make the save folder " + narrowText(saves) + " (" + systemReason(made) + ")";
        return false;
    }
    saveFolder = narrowText(saves);
    return true;
}

void lowerThisThreadPriority() {
    // Windows runs a thread of a lower level only when no higher one is ready, with no share of
    // its own as Linux's nice values give: the lowest level but idle, which a busy game would
    // starve.
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_LOWEST);
}

void returnLargeBlocksToSystem() {
    // Nothing to do: Windows' heap gives each large block its own pages, returned when it is
    // freed.
}
