// Runs of this benchmark in a child process of their own, so that each starts with a fresh
// process (its memory, its display) and its figures come back into the parent's table.
#pragma once

#include <string>
#include <vector>

#include "bench/bench_table.h"

/// Runs this benchmark again with `arguments`; with `faultLibrary` set, the tests' fault library
/// is preloaded into it with the fault setting `fault`. The rows the child prints
/// (printRowsForParent) go into `table`. Returns true when the child ends with status 0.
bool runBenchChild(BenchTable& table, const std::vector<std::string>& arguments,
                   const char* faultLibrary = nullptr, const char* fault = nullptr);

/// A child's part: prints the rows of its table for the parent, one a line, among the game's
/// own lines.
void printRowsForParent(const BenchTable& table);
