// A fresh directory in the system's temporary folder for one test, removed with everything in
// it afterwards.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "base/game_assert.h"

/// Creates the directory on construction and removes it on destruction. In a child run of a
/// test (test_rows.h), which re-enters a row of its parent, it is the parent's directory, named
/// by TELLURN_TEST_DIRECTORY, and left to the parent.
struct TempDirectory {
    std::string path;
    bool owned = true;

    TempDirectory() {
        if (const char* parents = std::getenv("TELLURN_TEST_DIRECTORY")) {
            path = parents;
            owned = false;
            return;
        }
        std::random_device random;
        const std::filesystem::path folder = std::filesystem::temp_directory_path();
        for (int attempt = 0; path.empty() && attempt < 100; ++attempt) {
            const std::filesystem::path named =
                folder / ("tellurn-test-" + std::to_string(random()));
            std::error_code error;
            if (std::filesystem::create_directory(named, error)) {
                path = named.string();
            }
        }
        GAME_ASSERT(!path.empty(), "no new directory could be made in the temporary folder: "
                                   "check that it exists and is writable");
    }
    ~TempDirectory() {
        if (owned) {
            std::filesystem::remove_all(path);
        }
    }
    TempDirectory(const TempDirectory&) = delete;
    TempDirectory& operator=(const TempDirectory&) = delete;

    /// Full path of a file in the directory.
    std::string file(const std::string& name) const { return path + "/" + name; }

    /// The whole content of a file in the directory (empty if it does not exist).
    std::vector<uint8_t> read(const std::string& name) const {
        std::ifstream in(file(name), std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
    }

    /// Writes a file in the directory.
    void write(const std::string& name, const std::vector<uint8_t>& bytes) const {
        std::ofstream out(file(name), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }
};
