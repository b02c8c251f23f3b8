// The rows of the tests' tables on Windows, which has no fork: each row's child is a new run of the
// test program with the same test alone. The child finds its row, its parent's directory and the
// file for its console in its environment; it skips the test's other rows, re-enters its own,
// and ends once the row's action is done. Its own GoogleTest output goes nowhere.
#include "test_rows.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <windows.h>

#include "base/game_assert.h"

namespace {

// What a child run finds in its environment.
constexpr const char* CHILD_ROW = "TELLURN_CHILD_ROW";
constexpr const char* CHILD_CONSOLE = "TELLURN_CHILD_CONSOLE";
constexpr const char* TEST_DIRECTORY = "TELLURN_TEST_DIRECTORY"; // read by TempDirectory
constexpr const char* FAULT = "TELLURN_FAULT";

// Carries out the row's action in the child and ends it, its console written to the file its
// parent reads.
[[noreturn]] void actAsChild(const char* console, const std::function<bool()>& action) {
    GAME_ASSERT(std::freopen(console, "w", stdout) != nullptr,
                "a child run cannot write its console file: check the test's directory");
    std::setvbuf(stdout, nullptr, _IONBF, 0); // nothing lost when a crash fault ends it
    const bool done = action();
    std::_Exit(done ? 0 : 1);
}

// Sets the child's variables in the environment it inherits, or removes them (null values): the
// parent itself runs with none of them.
void setForChild(const char* const (&names)[4], const char* const (&values)[4]) {
    for (size_t i = 0; i < 4; ++i) {
        SetEnvironmentVariableA(names[i], values[i]);
    }
}

} // namespace

// The faults are linked into the Windows test programs: there is nothing to preload.
bool faultsInjected() {
    return true;
}

void setVariable(const char* name, const char* value) {
    _putenv_s(name, value);
}

void unsetVariable(const char* name) {
    _putenv_s(name, ""); // an empty value removes it on Windows
}

bool makeFifo(const std::string&) {
    return false;
}

bool rowRunsHere(const char* row, const char* notHere) {
    const char* childRow = std::getenv(CHILD_ROW);
    if (childRow != nullptr) {
        return std::strcmp(row, childRow) == 0;
    }
    if (notHere != nullptr) {
        std::printf("row left out here: %s: %s\n", row, notHere);
    }
    return notHere == nullptr;
}

ChildRun runRowInChild(const char* row, const char* fault, const std::string& directory,
                       const std::function<bool()>& action) {
    if (const char* childRow = std::getenv(CHILD_ROW)) {
        GAME_ASSERT(std::strcmp(row, childRow) == 0, "a child run reached another row than its "
                                                     "own: skip the others with rowRunsHere");
        actAsChild(std::getenv(CHILD_CONSOLE), action);
    }
    const testing::TestInfo& test = *testing::UnitTest::GetInstance()->current_test_info();
    const std::string console = directory + ".console";
    const char* const names[] = {CHILD_ROW, CHILD_CONSOLE, TEST_DIRECTORY, FAULT};
    setForChild(names, {row, console.c_str(), directory.c_str(), fault});
    wchar_t program[MAX_PATH];
    GAME_ASSERT(GetModuleFileNameW(nullptr, program, MAX_PATH) < MAX_PATH,
                "the test program's path is too long for a child run: build it in a shorter one");
    const std::string filter = std::string(test.test_suite_name()) + "." + test.name();
    std::wstring line = L"\"" + std::wstring(program) + L"\" --gtest_filter=" +
                        std::wstring(filter.begin(), filter.end());
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE nowhere =
        CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, 0, &inherited, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW start{};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdInput = nowhere;
    start.hStdOutput = nowhere;
    start.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION child{};
    std::fflush(stdout);
    const bool started = CreateProcessW(program, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &start, &child);
    setForChild(names, {nullptr, nullptr, nullptr, nullptr});
    CloseHandle(nowhere);
    EXPECT_TRUE(started) << "the child run did not start: error " << GetLastError();
    ChildRun run{false, -1, ""};
    if (!started) {
        return run;
    }
    WaitForSingleObject(child.hProcess, INFINITE);
    DWORD status = 0;
    run.exited = GetExitCodeProcess(child.hProcess, &status) != 0;
    run.status = static_cast<int>(status);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    std::ifstream said(console, std::ios::binary);
    run.said.assign(std::istreambuf_iterator<char>(said), {});
    said.close();
    std::filesystem::remove(console);
    return run;
}
