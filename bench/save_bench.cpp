#include "bench/save_bench.h"

#include <allegro5/allegro.h>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "bench/render_run.h"
#include "core/game.h"
#include "core/save_game.h"
#include "core/saver.h"
#include "world/save_file.h"

namespace {

// The save functions say on the console what they did; the table stays the only output.
struct QuietStdout {
    int saved;
    QuietStdout() {
        std::fflush(stdout);
        saved = dup(STDOUT_FILENO);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        close(null);
    }
    ~QuietStdout() {
        std::fflush(stdout);
        dup2(saved, STDOUT_FILENO);
        close(saved);
    }
};

bool plainWrite(const std::string& path, const std::vector<char>& bytes, bool toDisk) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    written = std::fflush(file) == 0 && written;
    if (toDisk) {
        written = fsync(fileno(file)) == 0 && written;
    }
    return std::fclose(file) == 0 && written;
}

bool plainRead(const std::string& path, std::vector<char>& bytes) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    const bool read = std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
    std::fclose(file);
    return read;
}

// What a Save click and a Load click cost the main thread while the saver thread runs: the
// snapshot into the saver's slot (the clicks come faster than the saves, which coalesce as in
// play), and applying a checked save.
void benchClicks(BenchTable& table, Game& game, const std::string& directory, int repetitions,
                 bool& ok) {
    game.saver.own.folder.directory = directory;
    ok = createSaver(game.saver) && ok;
    startSaver(game);
    const int n = repetitions;
    std::vector<double> clicks;
    for (int i = 0; i < n; ++i) {
        const double start = benchSeconds();
        requestSaveAction(game, SAVE_ACTION);
        clicks.push_back((benchSeconds() - start) * 1000.0);
        al_rest(0.02); // a click now and then, not a stream of them
    }
    addRow(table, "Save click on the main thread (copy of cells and player, state lock)",
           median(clicks), "ms", n);
    finishRunSaver(game);
    std::vector<double> applies;
    for (int i = 0; i < n; ++i) {
        ReadSave save;
        std::string said;
        const bool usable =
            readUsableSave(game.saver.own.folder, game.blockTypes, save.bytes, said);
        ok = usable && ok;
        const double start = benchSeconds();
        finishLoad(game, usable, save);
        applies.push_back((benchSeconds() - start) * 1000.0);
    }
    addRow(table, "Load click's apply on the main thread, all at once (cells, segments, player)",
           median(applies), "ms", n);
}

} // namespace

bool benchSaving(BenchTable& table, int repetitions) {
    char directory[] = "/tmp/tellurn-bench-XXXXXX";
    if (mkdtemp(directory) == nullptr) {
        return false;
    }
    const std::string plainPath = std::string(directory) + "/plain.bin";
    std::vector<char> bytes(SAVE_FILE_SIZE, 7);
    std::unique_ptr<Game> game = std::make_unique<Game>();
    bool ok = buildHeadlessGame(*game);
    generateSeededWorld(*game, START_SEED);
    spawnEnemiesHere(*game, nullptr);
    const int n = repetitions;
    const std::string size = std::to_string(SAVE_FILE_SIZE) + " bytes";
    addRow(table, "plain write of " + size + " (fwrite)",
           medianMilliseconds(n, [&] { ok = plainWrite(plainPath, bytes, false) && ok; }), "ms", n);
    addRow(table, "plain write of " + size + " (fwrite, fsync)",
           medianMilliseconds(n, [&] { ok = plainWrite(plainPath, bytes, true) && ok; }), "ms", n);
    addRow(table, "plain read of " + size + " (fread)",
           medianMilliseconds(n, [&] { ok = plainRead(plainPath, bytes) && ok; }), "ms", n);
    {
        QuietStdout quiet;
        game->saver.own.folder.directory = directory;
        const double save = medianMilliseconds(n, [&] { ok = saveWorld(*game) && ok; });
        const double load = medianMilliseconds(n, [&] { ok = loadWorld(*game) && ok; });
        addRow(table, "saving the world (encode, check, write, back up, fsync, rename)", save, "ms",
               n);
        addRow(table, "loading the world (read, check, decode, segments)", load, "ms", n);
        benchClicks(table, *game, directory, n, ok);
    }
    if (!ok) {
        std::printf("a save, load, plain write or plain read failed in %s\n", directory);
    }
    const std::string files[] = {plainPath, std::string(directory) + "/" + SAVE_FILE_NAME,
                                 std::string(directory) + "/" + SAVE_FILE_NAME +
                                     SAVE_BACKUP_SUFFIX};
    for (const std::string& file : files) {
        std::remove(file.c_str());
    }
    rmdir(directory);
    destroyGame(*game);
    return ok;
}
