#include "bench/bench_table.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

double benchSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

double median(std::vector<double> samples) {
    if (samples.empty()) {
        return 0.0;
    }
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

double medianMilliseconds(int repetitions, const std::function<void()>& once) {
    std::vector<double> samples;
    for (int i = 0; i < repetitions; ++i) {
        const double start = benchSeconds();
        once();
        samples.push_back((benchSeconds() - start) * 1000.0);
    }
    return median(samples);
}

void addRow(BenchTable& table, const std::string& what, double value, const std::string& unit,
            int repetitions) {
    table.rows.push_back({what, value, unit, repetitions});
}

void printTable(const BenchTable& table) {
    std::printf("| %-80s | %10s | %-11s | %5s |\n", "measured", "figure", "unit", "reps");
    std::printf("|%s|%s|%s|%s|\n", std::string(82, '-').c_str(), std::string(12, '-').c_str(),
                std::string(13, '-').c_str(), std::string(7, '-').c_str());
    for (const BenchRow& row : table.rows) {
        const std::string reps = row.repetitions > 0 ? std::to_string(row.repetitions) : "";
        std::printf("| %-80s | %10.3f | %-11s | %5s |\n", row.what.c_str(), row.value,
                    row.unit.c_str(), reps.c_str());
    }
}
