/* The tests' fault injection, loaded with LD_PRELOAD: makes chosen calls fail the way odd or
 * failing disks and displays make them fail, so that a test can show what the game does then.
 * TELLURN_FAULT names the call and, after a colon, which of its calls fails (counted from 1);
 * without a number every call fails:
 *   link      hard links refused (EPERM), as on FAT or for another user's file
 *   fsync:N   a flush fails (EIO)
 *   rename:N  a rename fails (EACCES), renameat2 counted with rename
 *   write:N   a write to a regular file fails with ENOSPC: the disk is full
 *   thread-bitmaps  al_create_bitmap fails and glGenTextures gives no texture off the main
 *             thread, as on a display with no room left for textures: the render thread's chunk
 *             pictures are the only textures the game makes on another thread
 * Two more make every flush slow instead of failing it:
 *   slow-fsync:MS     each fsync sleeps MS milliseconds first, as on a slow hard disk, an SD
 *             card or a network home directory
 *   held-fsync:PATH   each fsync waits while the file PATH exists: a test holds a save in the
 *             middle of its writing and lets it go by removing the file, or never does: a disk
 *             that hangs
 * One makes the disk err for a while:
 *   eio-read:PATH     each read of a save file (a name beginning "TellurnSave") fails with EIO
 *             while the file PATH exists
 * One makes the folder read-only, as a write-protected stick is:
 *   erofs     each open that would create a save file (a name beginning "TellurnSave") fails
 *             with EROFS
 * And one stops the process at a rename, as a crash or a power cut would:
 *   crash-rename:N    the Nth rename (renameat2 counted with rename) ends the process with
 *             status 75 before it is done
 * TELLURN_FILE_SYSTEM=fat makes renames behave as on FAT, beside any fault: a rename with a flag
 * (renameat2's swap or no-replace) fails with EINVAL; it still counts as a rename.
 * The variable is read at every call, and calls are counted only while it names them, so a
 * forked child can set it for itself. Unset, every call goes through. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

enum {
    FAULT_LINK,
    FAULT_FSYNC,
    FAULT_RENAME,
    FAULT_WRITE,
    FAULT_THREAD_BITMAPS,
    FAULT_CRASH_RENAME
};

struct Fault {
    const char* call;
    int error;
    long calls;
};

static struct Fault faults[] = {
    [FAULT_LINK] = {"link", EPERM, 0},
    [FAULT_FSYNC] = {"fsync", EIO, 0},
    [FAULT_RENAME] = {"rename", EACCES, 0},
    [FAULT_WRITE] = {"write", ENOSPC, 0},
    [FAULT_THREAD_BITMAPS] = {"thread-bitmaps", ENOMEM, 0},
    [FAULT_CRASH_RENAME] = {"crash-rename", 0, 0},
};

/* Status of a process that a crash-rename stopped. */
enum { CRASH_STATUS = 75 };

/* True, with errno set, when this call is one that TELLURN_FAULT makes fail. */
static int failing(int which) {
    struct Fault* fault = &faults[which];
    const char* setting = getenv("TELLURN_FAULT");
    const size_t length = strlen(fault->call);
    if (setting == NULL || strncmp(setting, fault->call, length) != 0 ||
        (setting[length] != '\0' && setting[length] != ':')) {
        return 0;
    }
    const long nth = setting[length] == ':' ? atol(setting + length + 1) : 0;
    fault->calls += 1;
    if (nth != 0 && fault->calls != nth) {
        return 0;
    }
    errno = fault->error;
    return 1;
}

static void* real(const char* name) {
    return dlsym(RTLD_NEXT, name);
}

int link(const char* from, const char* to) {
    if (failing(FAULT_LINK)) {
        return -1;
    }
    return ((int (*)(const char*, const char*))real("link"))(from, to);
}

/* The value after "name:" when TELLURN_FAULT is that setting, or NULL. */
static const char* settingValue(const char* name) {
    const char* setting = getenv("TELLURN_FAULT");
    const size_t length = strlen(name);
    if (setting == NULL || strncmp(setting, name, length) != 0 || setting[length] != ':') {
        return NULL;
    }
    return setting + length + 1;
}

static void sleepMilliseconds(long milliseconds) {
    struct timespec pause = {milliseconds / 1000, (milliseconds % 1000) * 1000000L};
    while (nanosleep(&pause, &pause) != 0 && errno == EINTR) {
    }
}

static void delayFlush(void) {
    const char* slow = settingValue("slow-fsync");
    if (slow != NULL) {
        sleepMilliseconds(atol(slow));
    }
    const char* gate = settingValue("held-fsync");
    while (gate != NULL && access(gate, F_OK) == 0) {
        sleepMilliseconds(1);
    }
}

int fsync(int file) {
    delayFlush();
    if (failing(FAULT_FSYNC)) {
        return -1;
    }
    return ((int (*)(int))real("fsync"))(file);
}

/* True when this rename fails; one that crash-rename names ends the process first. */
static int renameFails(void) {
    if (failing(FAULT_CRASH_RENAME)) {
        _exit(CRASH_STATUS);
    }
    return failing(FAULT_RENAME);
}

static int onFat(void) {
    const char* system = getenv("TELLURN_FILE_SYSTEM");
    return system != NULL && strcmp(system, "fat") == 0;
}

int rename(const char* from, const char* to) {
    if (renameFails()) {
        return -1;
    }
    return ((int (*)(const char*, const char*))real("rename"))(from, to);
}

int renameat2(int fromDirectory, const char* from, int toDirectory, const char* to,
              unsigned flags) {
    if (renameFails()) {
        return -1;
    }
    if (flags != 0 && onFat()) {
        errno = EINVAL;
        return -1;
    }
    return ((int (*)(int, const char*, int, const char*, unsigned))real("renameat2"))(
        fromDirectory, from, toDirectory, to, flags);
}

/* True when the open file is one of the game's save files. */
static int isSaveFile(int file) {
    char link[64];
    char path[4096];
    snprintf(link, sizeof link, "/proc/self/fd/%d", file);
    const ssize_t length = readlink(link, path, sizeof path - 1);
    if (length <= 0) {
        return 0;
    }
    path[length] = '\0';
    const char* name = strrchr(path, '/');
    return name != NULL && strncmp(name + 1, "TellurnSave", strlen("TellurnSave")) == 0;
}

static int namesSaveFile(const char* path) {
    const char* slash = strrchr(path, '/');
    const char* name = slash != NULL ? slash + 1 : path;
    return strncmp(name, "TellurnSave", strlen("TellurnSave")) == 0;
}

int open(const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const int creates = (flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE;
    const mode_t mode = creates ? va_arg(arguments, mode_t) : 0;
    va_end(arguments);
    const char* setting = getenv("TELLURN_FAULT");
    if (setting != NULL && strcmp(setting, "erofs") == 0 && creates && namesSaveFile(path)) {
        errno = EROFS;
        return -1;
    }
    return ((int (*)(const char*, int, ...))real("open"))(path, flags, mode);
}

ssize_t read(int file, void* data, size_t size) {
    const char* gate = settingValue("eio-read");
    if (gate != NULL && access(gate, F_OK) == 0 && isSaveFile(file)) {
        errno = EIO;
        return -1;
    }
    return ((ssize_t(*)(int, void*, size_t))real("read"))(file, data, size);
}

ssize_t write(int file, const void* data, size_t size) {
    struct stat status;
    if (fstat(file, &status) == 0 && S_ISREG(status.st_mode) && failing(FAULT_WRITE)) {
        return -1;
    }
    return ((ssize_t(*)(int, const void*, size_t))real("write"))(file, data, size);
}

typedef struct ALLEGRO_BITMAP ALLEGRO_BITMAP;

ALLEGRO_BITMAP* al_create_bitmap(int width, int height) {
    if (gettid() != getpid() && failing(FAULT_THREAD_BITMAPS)) {
        return NULL;
    }
    return ((ALLEGRO_BITMAP * (*)(int, int)) real("al_create_bitmap"))(width, height);
}

typedef unsigned int GLuint;
typedef int GLsizei;

void glGenTextures(GLsizei count, GLuint* textures) {
    if (gettid() != getpid() && failing(FAULT_THREAD_BITMAPS)) {
        memset(textures, 0, sizeof *textures * (size_t)count);
        return;
    }
    ((void (*)(GLsizei, GLuint*))real("glGenTextures"))(count, textures);
}
