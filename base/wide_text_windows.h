// The game's text is UTF-8; Windows' own calls take UTF-16. Paths cross over here, so that a save
// folder under any user name works.
#pragma once

#include <string>
#include <windows.h>

/// `text` (UTF-8) as UTF-16, for Windows' wide calls.
std::wstring wideText(const std::string& text);

/// `text` (UTF-16) as UTF-8.
std::string narrowText(const std::wstring& text);

/// Windows' own sentence for an error code, in UTF-8, without its final full stop: "Access is
/// denied".
std::string systemReason(DWORD error);
