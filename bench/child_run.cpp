#include "bench/child_run.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr const char* ROW_PREFIX = "bench-row";

// The child's rows, one a line: prefix, value, unit, repetitions, what (tab-separated); the
// game's own lines around them are skipped.
void takeRows(FILE* from, BenchTable& table) {
    const size_t prefix = std::strlen(ROW_PREFIX);
    char line[512];
    while (std::fgets(line, sizeof line, from) != nullptr) {
        double value = 0;
        char unit[32];
        int repetitions = 0;
        int whatAt = 0;
        if (std::strncmp(line, ROW_PREFIX, prefix) == 0 &&
            std::sscanf(line + prefix, "\t%lf\t%31[^\t]\t%d\t%n", &value, unit, &repetitions,
                        &whatAt) == 3 &&
            whatAt > 0) {
            std::string what = line + prefix + whatAt;
            what.erase(what.find_last_not_of('\n') + 1);
            addRow(table, what, value, unit, repetitions);
        }
    }
}

} // namespace

bool runBenchChild(BenchTable& table, const std::vector<std::string>& arguments,
                   const char* faultLibrary, const char* fault) {
    int rows[2];
    if (pipe(rows) != 0) {
        return false;
    }
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>("tellurn-bench"));
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        dup2(rows[1], STDOUT_FILENO);
        close(rows[0]);
        close(rows[1]);
        if (faultLibrary != nullptr) {
            setenv("LD_PRELOAD", faultLibrary, 1);
            setenv("TELLURN_FAULT", fault, 1);
        }
        execv("/proc/self/exe", argv.data());
        _exit(127);
    }
    close(rows[1]);
    FILE* from = fdopen(rows[0], "r");
    if (from != nullptr) {
        takeRows(from, table);
        std::fclose(from);
    }
    int status = -1;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void printRowsForParent(const BenchTable& table) {
    for (const BenchRow& row : table.rows) {
        std::printf("%s\t%f\t%s\t%d\t%s\n", ROW_PREFIX, row.value, row.unit.c_str(),
                    row.repetitions, row.what.c_str());
    }
}
