// The rows of the tests' tables on Linux and on Windows: a row's reason not to run on one of
// them, and the rows of a fault table run each in a child process of its own. A child gets
// TELLURN_FAULT for itself alone, so that it counts the faulty calls from its own first one, and
// may end as a crash does without ending the test. On Linux the faults come from a library that
// ctest preloads and the child is a fork of the test; on Windows they come from
// tests/faults/fault_calls_windows.cpp, linked in, and the child is a new run of the test program
// with the same test alone, which goes through the test again, skipping every row but its own
// (rowRunsHere), in its parent's directory (TempDirectory), and carries out the row's action
// there.
#pragma once

#include <functional>
#include <string>

// A row's reason not to run on one platform: null on the others. Windows has no hard links,
// no renameat2 and no way to preload a library; Linux no file held by another program. And a
// value that differs between them, such as which of a save's renames a step is.
#ifdef _WIN32
#define NOT_ON_WINDOWS(why) (why)
#define WINDOWS_ONLY(why) nullptr
#define POSIX_OR_WINDOWS(posix, windows) (windows)
#else
#define NOT_ON_WINDOWS(why) nullptr
#define WINDOWS_ONLY(why) (why)
#define POSIX_OR_WINDOWS(posix, windows) (posix)
#endif

/// How a child run ended and what it printed.
struct ChildRun {
    bool exited;      ///< it ended by itself, not killed by a signal
    int status;       ///< its exit status, when it did
    std::string said; ///< what the row's action printed on standard output
};

/// True when this run can inject the tests' faults: on Linux when the fault library is preloaded,
/// as ctest does; on Windows always, as they are linked in.
bool faultsInjected();

/// Sets an environment variable of this process, for getenv and for the children it starts.
void setVariable(const char* name, const char* value);

/// Removes an environment variable of this process.
void unsetVariable(const char* name);

/// Makes a FIFO at the path; false where it cannot (Windows has none: such rows are left out
/// there).
bool makeFifo(const std::string& path);

/// True when this run goes through the row: not where the row's reason not to run (`notHere`,
/// from NOT_ON_WINDOWS or WINDOWS_ONLY) is given, which is printed; in a child run on Windows,
/// for the child's own row alone.
bool rowRunsHere(const char* row, const char* notHere);

/// Runs `action` for the row in a child process with TELLURN_FAULT set to `fault` (unset when
/// null); the child ends with status 0 when it returns true, else 1. Call it from the row's body,
/// with the test's TempDirectory: on Windows the child re-enters the test in that directory and
/// runs the action when it reaches the same call.
ChildRun runRowInChild(const char* row, const char* fault, const std::string& directory,
                       const std::function<bool()>& action);
