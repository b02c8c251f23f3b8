// A fresh directory under /tmp for one test, removed with everything in it afterwards.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

/// Creates the directory on construction and removes it on destruction.
struct TempDirectory {
    std::string path;

    TempDirectory() {
        char name[] = "/tmp/tellurn-test-XXXXXX";
        path = mkdtemp(name);
    }
    ~TempDirectory() { std::filesystem::remove_all(path); }
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
