#include "formats/ScrubbingVfs.h"

#include "platform/WritePoints.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <utility>

namespace sweepora {

namespace {

constexpr const char* kVfsName = "sweepora-scrubbing";

sqlite3_vfs* g_real = nullptr; // Windows' own VFS, which does the work
sqlite3_vfs g_vfs{};
const char* g_name = nullptr;
std::once_flag g_registered;

std::mutex g_hooksLock;
ScrubbingVfsHooks g_hooks;

// One file of ours: SQLite's handle, with the real VFS's file after it in the same block.
struct ScrubFile {
    sqlite3_file base;
    sqlite3_file* real;
    const char* name; // SQLite's, valid until the file is closed; null for a temporary file
    int flags;
    int chunk; // the chunk size the real file rounds its cuts up to
};

constexpr std::size_t kRealOffset = (sizeof(ScrubFile) + 7) & ~std::size_t(7);

ScrubFile* Ours(sqlite3_file* file) { return reinterpret_cast<ScrubFile*>(file); }
sqlite3_file* Real(sqlite3_file* file) { return Ours(file)->real; }

bool AllowOverwrite(const char* name, sqlite3_int64 kept)
{
    if (!name) return true;
    std::function<bool(const std::string&, std::int64_t)> hook;
    {
        std::lock_guard<std::mutex> lock(g_hooksLock);
        hook = g_hooks.beforeOverwrite;
    }
    return !hook || hook(name, kept);
}

void TellOverwritten(const char* name, sqlite3_int64 kept)
{
    if (!name) return;
    std::function<void(const std::string&, std::int64_t)> hook;
    {
        std::lock_guard<std::mutex> lock(g_hooksLock);
        hook = g_hooks.beforeCut;
    }
    if (hook) hook(name, kept);
}

// Zeros over [from, to) of the file, then a flush, so that the clusters about to be freed
// hold nothing of the pages. One pass of zeros is enough: what is read back from a freed
// cluster, through the file system or the raw volume, is what was last written to it, and
// SQLite's own secure deletion trusts the same. Only this file's bytes, only before the cut.
// Forward from the cut: for a journal cut to nothing its header goes first, which is
// SQLite's own way of marking a transaction done (journal_mode=PERSIST), so a write that
// fails part-way never leaves a half-erased journal that would be played back.
int Overwrite(sqlite3_file* real, sqlite3_int64 from, sqlite3_int64 to)
{
    static const char kZeros[64 * 1024] = {};
    for (sqlite3_int64 at = from; at < to;) {
        const int n = static_cast<int>(std::min<sqlite3_int64>(to - at, sizeof kZeros));
        if (const int rc = real->pMethods->xWrite(real, kZeros, n, at); rc != SQLITE_OK) return rc;
        at += n;
    }
    return real->pMethods->xSync(real, SQLITE_SYNC_NORMAL);
}

// ---- the file's methods: the cut overwrites first, the rest goes through ----

int Close(sqlite3_file* file)
{
    sqlite3_file* real = Real(file);
    // Temporary files vanish as their handle closes (Windows deletes them): this is the
    // last moment to overwrite them. The connections keep temporary data in memory, so
    // this is only for one SQLite opens all the same. A failure here cannot stop the delete.
    if (Ours(file)->flags & SQLITE_OPEN_DELETEONCLOSE) {
        sqlite3_int64 size = 0;
        if (real->pMethods->xFileSize(real, &size) == SQLITE_OK && size > 0) Overwrite(real, 0, size);
    }
    return real->pMethods->xClose(real);
}

int Read(sqlite3_file* f, void* buffer, int n, sqlite3_int64 at) { return Real(f)->pMethods->xRead(Real(f), buffer, n, at); }

int Write(sqlite3_file* f, const void* buffer, int n, sqlite3_int64 at)
{
    PassWritePoint("sqlite: write");
    return Real(f)->pMethods->xWrite(Real(f), buffer, n, at);
}

int Truncate(sqlite3_file* file, sqlite3_int64 size)
{
    ScrubFile* ours = Ours(file);
    sqlite3_file* real = ours->real;
    // What the real cut keeps: Windows' VFS rounds up to the chunk size. (With pages of the
    // file mapped it skips the cut; the wrapper's connections map nothing.)
    const sqlite3_int64 kept = ours->chunk > 0 ? (size + ours->chunk - 1) / ours->chunk * ours->chunk : size;
    sqlite3_int64 now = 0;
    if (real->pMethods->xFileSize(real, &now) != SQLITE_OK) return SQLITE_IOERR_TRUNCATE;
    PassWritePoint("sqlite: cut");
    if (now > kept) {
        if (!AllowOverwrite(ours->name, kept) || Overwrite(real, kept, now) != SQLITE_OK) return SQLITE_IOERR_TRUNCATE;
        TellOverwritten(ours->name, kept);
    }
    return real->pMethods->xTruncate(real, size);
}

int Sync(sqlite3_file* f, int flags)
{
    PassWritePoint("sqlite: flush");
    return Real(f)->pMethods->xSync(Real(f), flags);
}
int FileSize(sqlite3_file* f, sqlite3_int64* size) { return Real(f)->pMethods->xFileSize(Real(f), size); }
int Lock(sqlite3_file* f, int level) { return Real(f)->pMethods->xLock(Real(f), level); }
int Unlock(sqlite3_file* f, int level) { return Real(f)->pMethods->xUnlock(Real(f), level); }
int CheckReservedLock(sqlite3_file* f, int* out) { return Real(f)->pMethods->xCheckReservedLock(Real(f), out); }

int FileControl(sqlite3_file* file, int op, void* arg)
{
    sqlite3_file* real = Real(file);
    const int rc = real->pMethods->xFileControl(real, op, arg);
    if (op == SQLITE_FCNTL_CHUNK_SIZE && rc == SQLITE_OK) Ours(file)->chunk = *static_cast<int*>(arg);
    return rc;
}

int SectorSize(sqlite3_file* f) { return Real(f)->pMethods->xSectorSize(Real(f)); }
int DeviceCharacteristics(sqlite3_file* f) { return Real(f)->pMethods->xDeviceCharacteristics(Real(f)); }

// The log's shared index holds page numbers and frame positions, never a page.
int ShmMap(sqlite3_file* f, int region, int size, int extend, void volatile** out)
{
    return Real(f)->pMethods->xShmMap(Real(f), region, size, extend, out);
}
int ShmLock(sqlite3_file* f, int offset, int n, int flags) { return Real(f)->pMethods->xShmLock(Real(f), offset, n, flags); }
void ShmBarrier(sqlite3_file* f) { Real(f)->pMethods->xShmBarrier(Real(f)); }
int ShmUnmap(sqlite3_file* f, int deleteFlag) { return Real(f)->pMethods->xShmUnmap(Real(f), deleteFlag); }
int Fetch(sqlite3_file* f, sqlite3_int64 at, int n, void** out) { return Real(f)->pMethods->xFetch(Real(f), at, n, out); }
int Unfetch(sqlite3_file* f, sqlite3_int64 at, void* page) { return Real(f)->pMethods->xUnfetch(Real(f), at, page); }

const sqlite3_io_methods kMethods = {
    3,                                                                        // iVersion
    Close, Read, Write, Truncate, Sync, FileSize, Lock, Unlock, CheckReservedLock, FileControl, SectorSize,
    DeviceCharacteristics,                                                    // version 1
    ShmMap, ShmLock, ShmBarrier, ShmUnmap,                                    // version 2
    Fetch, Unfetch};                                                          // version 3

// ---- the VFS's own methods ----

int Open(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* outFlags)
{
    ScrubFile* ours = Ours(file);
    ours->base.pMethods = nullptr;
    ours->real = reinterpret_cast<sqlite3_file*>(reinterpret_cast<char*>(file) + kRealOffset);
    ours->real->pMethods = nullptr;
    ours->name = name;
    ours->flags = flags;
    ours->chunk = 0;
    const int rc = g_real->xOpen(g_real, name, ours->real, flags, outFlags);
    if (rc != SQLITE_OK) {
        if (ours->real->pMethods) ours->real->pMethods->xClose(ours->real);
        return rc;
    }
    // Windows' VFS gives every file methods of version 3, as ours are.
    if (ours->real->pMethods->iVersion < kMethods.iVersion) {
        ours->real->pMethods->xClose(ours->real);
        return SQLITE_CANTOPEN;
    }
    ours->base.pMethods = &kMethods;
    return SQLITE_OK;
}

// A journal or log about to be deleted is overwritten whole first, through Windows' VFS
// opening the very name SQLite deletes. One that cannot be overwritten is not deleted.
int Delete(sqlite3_vfs*, const char* name, int syncDir)
{
    int exists = 0;
    if (g_real->xAccess(g_real, name, SQLITE_ACCESS_EXISTS, &exists) != SQLITE_OK) return SQLITE_IOERR_DELETE;
    if (exists) {
        PassWritePoint("sqlite: delete");
        if (!AllowOverwrite(name, 0)) return SQLITE_IOERR_DELETE;
        auto* real = static_cast<sqlite3_file*>(sqlite3_malloc(g_real->szOsFile));
        if (!real) return SQLITE_IOERR_NOMEM;
        std::memset(real, 0, static_cast<std::size_t>(g_real->szOsFile));
        int outFlags = 0;
        int rc = g_real->xOpen(g_real, name, real, SQLITE_OPEN_READWRITE | SQLITE_OPEN_MAIN_JOURNAL, &outFlags);
        sqlite3_int64 size = 0;
        if (rc == SQLITE_OK) rc = real->pMethods->xFileSize(real, &size);
        if (rc == SQLITE_OK && size > 0) rc = Overwrite(real, 0, size);
        if (real->pMethods) real->pMethods->xClose(real);
        sqlite3_free(real);
        if (rc != SQLITE_OK) return SQLITE_IOERR_DELETE;
        TellOverwritten(name, 0);
    }
    return g_real->xDelete(g_real, name, syncDir);
}

int Access(sqlite3_vfs*, const char* name, int flags, int* out) { return g_real->xAccess(g_real, name, flags, out); }

int FullPathname(sqlite3_vfs*, const char* name, int size, char* out)
{
    return g_real->xFullPathname(g_real, name, size, out);
}

void Register()
{
    g_real = sqlite3_vfs_find(nullptr);
    if (!g_real) return;
    // The rest (randomness, time, sleep, libraries, system calls) is Windows' VFS's own,
    // none of which looks at the VFS it is called through beyond its path length.
    g_vfs = *g_real;
    g_vfs.szOsFile = static_cast<int>(kRealOffset) + g_real->szOsFile;
    g_vfs.pNext = nullptr;
    g_vfs.zName = kVfsName;
    g_vfs.xOpen = Open;
    g_vfs.xDelete = Delete;
    g_vfs.xAccess = Access;
    g_vfs.xFullPathname = FullPathname;
    if (sqlite3_vfs_register(&g_vfs, 0) == SQLITE_OK) g_name = kVfsName;
}

} // namespace

const char* ScrubbingVfsName()
{
    std::call_once(g_registered, Register);
    return g_name;
}

void SetScrubbingVfsHooks(ScrubbingVfsHooks hooks)
{
    std::lock_guard<std::mutex> lock(g_hooksLock);
    g_hooks = std::move(hooks);
}

} // namespace sweepora
