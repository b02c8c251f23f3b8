// The rows of the tests' tables on Linux: a fault row's child is a fork of the test, under the
// preloaded fault library.
#include "test_rows.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

bool faultsInjected() {
    return std::getenv("LD_PRELOAD") != nullptr;
}

void setVariable(const char* name, const char* value) {
    setenv(name, value, 1);
}

void unsetVariable(const char* name) {
    unsetenv(name);
}

bool makeFifo(const std::string& path) {
    return mkfifo(path.c_str(), 0644) == 0;
}

bool rowRunsHere(const char* row, const char* notHere) {
    if (notHere != nullptr) {
        std::printf("row left out here: %s: %s\n", row, notHere);
    }
    return notHere == nullptr;
}

ChildRun runRowInChild(const char*, const char* fault, const std::string&,
                       const std::function<bool()>& action) {
    int console[2];
    EXPECT_EQ(0, pipe(console));
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        dup2(console[1], STDOUT_FILENO);
        if (fault != nullptr) {
            setenv("TELLURN_FAULT", fault, 1);
        }
        const bool done = action();
        std::fflush(stdout);
        _exit(done ? 0 : 1);
    }
    close(console[1]);
    ChildRun run{false, -1, ""};
    char text[512];
    for (ssize_t got; (got = read(console[0], text, sizeof text)) > 0;) {
        run.said.append(text, static_cast<size_t>(got));
    }
    close(console[0]);
    int status = -1;
    waitpid(child, &status, 0);
    run.exited = WIFEXITED(status);
    run.status = run.exited ? WEXITSTATUS(status) : -1;
    return run;
}
