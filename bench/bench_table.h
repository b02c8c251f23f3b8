// The benchmark's figures: medians of repeated timings, collected into one printed table.
#pragma once

#include <functional>
#include <string>
#include <vector>

/// One line of the table.
struct BenchRow {
    /// What was measured.
    std::string what;
    /// The figure.
    double value;
    /// Its unit ("ms", "x empty", "frames/tick", ...).
    std::string unit;
    /// Repetitions behind a median, or 0 for a count.
    int repetitions;
};

/// The table, in the order the figures were measured.
struct BenchTable {
    /// The rows so far.
    std::vector<BenchRow> rows;
};

/// Seconds on a steady clock.
double benchSeconds();

/// Median of the samples (the upper one of the middle two for an even count).
double median(std::vector<double> samples);

/// Runs `once` `repetitions` times and returns the median in milliseconds.
double medianMilliseconds(int repetitions, const std::function<void()>& once);

/// Appends a row.
void addRow(BenchTable& table, const std::string& what, double value, const std::string& unit,
            int repetitions);

/// Prints the table on standard output.
void printTable(const BenchTable& table);
