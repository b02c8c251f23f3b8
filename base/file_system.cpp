// What the file system's seam builds from each platform's own calls.
#include "base/file_system.h"

FileResult readWholeFile(const std::string& path, size_t most, std::vector<uint8_t>& bytes,
                         FileIdentity& identity) {
    ReadingFile file;
    FileResult result = openForReading(path, file);
    if (result.outcome != FILE_DONE) {
        return result;
    }
    bytes.resize(most);
    size_t got = 0;
    result = readPiece(file, bytes.data(), bytes.size(), got);
    closeReading(file);
    bytes.resize(result.outcome == FILE_DONE ? got : 0);
    identity = file.identity;
    return result;
}
