#include "db/sqlite/OfdLockingVfs.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

namespace db::sqlite {

#if defined(__linux__) && defined(F_OFD_SETLK)

namespace {

// The lock bytes of SQLite's stock layer: in the database file (os.h), and in the -shm file
// (os_unix.c: eight WAL locks after the index header, then the "dead man switch").
constexpr off_t kPendingByte = 0x40000000;
constexpr off_t kReservedByte = kPendingByte + 1;
constexpr off_t kSharedFirst = kPendingByte + 2;
constexpr off_t kSharedSize = 510;
constexpr off_t kShmBase = (22 + SQLITE_SHM_NLOCK) * 4;
constexpr off_t kShmDms = kShmBase + SQLITE_SHM_NLOCK;
constexpr off_t kShmPageSize = 4096;  // the stock layer grows the -shm file a page at a time

// A non-blocking lock (F_RDLCK, F_WRLCK or F_UNLCK) on [start, start + len) owned by the open file
// description of fd. False with errno set when it is refused.
bool SetLock(int fd, short type, off_t start, off_t len) {
    struct flock fl {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = start;
    fl.l_len = len;
    int rc;
    do rc = fcntl(fd, F_OFD_SETLK, &fl);
    while (rc < 0 && errno == EINTR);
    return rc == 0;
}

// The kind of lock that another descriptor or process holds against a write lock on the range:
// F_UNLCK when none, -1 when the question failed.
int HeldByOthers(int fd, off_t start, off_t len) {
    struct flock fl {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = start;
    fl.l_len = len;
    if (fcntl(fd, F_OFD_GETLK, &fl) < 0) return -1;
    return fl.l_type;
}

// As the stock layer maps a refused lock: busy for a conflict, an I/O error otherwise.
int LockError(int err, int ioError) {
    switch (err) {
        case EACCES: case EAGAIN: case ETIMEDOUT: case EBUSY: case EINTR: case ENOLCK: return SQLITE_BUSY;
        case EPERM: return SQLITE_PERM;
        default: return ioError;
    }
}

int OpenRetrying(const char* path, int flags, mode_t mode = 0) {
    int fd;
    do fd = open(path, flags | O_CLOEXEC, mode);
    while (fd < 0 && errno == EINTR);
    return fd;
}

// The WAL index of one connection: its own descriptor of the -shm file, its read lock on the
// dead man switch and its mappings.
struct SharedMemory {
    std::string path;
    int fd = -1;
    bool readOnly = false;
    bool attached = false;  // holds its read lock on the dead man switch
    std::vector<std::pair<void*, size_t>> maps;
    std::vector<char*> regions;

    SharedMemory() = default;
    SharedMemory(const SharedMemory&) = delete;
    SharedMemory& operator=(const SharedMemory&) = delete;
    ~SharedMemory() {
        for (auto& [address, length] : maps) munmap(address, length);
        if (fd >= 0) close(fd);
    }

    // The first connection anywhere truncates the file; later ones share it. Mirrors the stock
    // layer, so that processes using either agree on who initialises the index.
    int Attach() {
        const int held = HeldByOthers(fd, kShmDms, 1);
        if (held < 0) return SQLITE_IOERR_LOCK;
        if (held == F_UNLCK) {
            if (readOnly) return SQLITE_READONLY_CANTINIT;
            if (!SetLock(fd, F_WRLCK, kShmDms, 1)) return SQLITE_BUSY;
            if (ftruncate(fd, 3) != 0) return SQLITE_IOERR_SHMOPEN;
        } else if (held == F_WRLCK) {
            return SQLITE_BUSY;
        }
        if (!SetLock(fd, F_RDLCK, kShmDms, 1)) return SQLITE_BUSY;
        attached = true;
        return SQLITE_OK;
    }
};

// What this layer keeps per open file, in front of the stock layer's own file object.
struct OfdFile {
    sqlite3_file base;  // first: SQLite sees this
    sqlite3_file* real = nullptr;
    bool mainDb = false;
    bool ofd = false;  // locks are this layer's; false: the stock layer's (no OFD locks on this file system)
    int lockFd = -1;
    int level = SQLITE_LOCK_NONE;
    std::string path;
    std::unique_ptr<SharedMemory> shm;
};

constexpr size_t kRealOffset = (sizeof(OfdFile) + alignof(std::max_align_t) - 1) / alignof(std::max_align_t) * alignof(std::max_align_t);

OfdFile* Self(sqlite3_file* f) { return reinterpret_cast<OfdFile*>(f); }
sqlite3_file* Real(sqlite3_file* f) { return Self(f)->real; }
sqlite3_vfs* Base(sqlite3_vfs* vfs) { return static_cast<sqlite3_vfs*>(vfs->pAppData); }

// --- database file locks: SQLite's protocol of os_unix.c, on this layer's descriptor ---

int Lock(sqlite3_file* file, int want) {
    OfdFile* f = Self(file);
    if (!f->ofd) return f->real->pMethods->xLock(f->real, want);
    if (f->level >= want) return SQLITE_OK;
    const int fd = f->lockFd;
    if (want == SQLITE_LOCK_SHARED) {
        // A reader passes the pending byte, so that a writer waiting for EXCLUSIVE is not starved.
        if (!SetLock(fd, F_RDLCK, kPendingByte, 1)) return LockError(errno, SQLITE_IOERR_LOCK);
        const bool shared = SetLock(fd, F_RDLCK, kSharedFirst, kSharedSize);
        const int err = errno;
        if (!SetLock(fd, F_UNLCK, kPendingByte, 1) && shared) return SQLITE_IOERR_UNLOCK;
        if (!shared) return LockError(err, SQLITE_IOERR_LOCK);
        f->level = SQLITE_LOCK_SHARED;
        return SQLITE_OK;
    }
    if (want == SQLITE_LOCK_RESERVED) {
        if (!SetLock(fd, F_WRLCK, kReservedByte, 1)) return LockError(errno, SQLITE_IOERR_LOCK);
        f->level = SQLITE_LOCK_RESERVED;
        return SQLITE_OK;
    }
    // EXCLUSIVE: from RESERVED through PENDING, which keeps new readers out meanwhile.
    if (f->level == SQLITE_LOCK_RESERVED) {
        if (!SetLock(fd, F_WRLCK, kPendingByte, 1)) return LockError(errno, SQLITE_IOERR_LOCK);
        f->level = SQLITE_LOCK_PENDING;
    }
    if (!SetLock(fd, F_WRLCK, kSharedFirst, kSharedSize)) {
        const int rc = LockError(errno, SQLITE_IOERR_LOCK);
        f->level = SQLITE_LOCK_PENDING;
        return rc;
    }
    f->level = SQLITE_LOCK_EXCLUSIVE;
    return SQLITE_OK;
}

int Unlock(sqlite3_file* file, int want) {
    OfdFile* f = Self(file);
    if (!f->ofd) return f->real->pMethods->xUnlock(f->real, want);
    if (f->level <= want) return SQLITE_OK;
    const int fd = f->lockFd;
    if (f->level > SQLITE_LOCK_SHARED) {
        if (want == SQLITE_LOCK_SHARED && !SetLock(fd, F_RDLCK, kSharedFirst, kSharedSize)) return SQLITE_IOERR_RDLOCK;
        if (!SetLock(fd, F_UNLCK, kPendingByte, 2)) return SQLITE_IOERR_UNLOCK;  // pending and reserved
    }
    if (want == SQLITE_LOCK_NONE && !SetLock(fd, F_UNLCK, 0, 0)) return SQLITE_IOERR_UNLOCK;
    f->level = want;
    return SQLITE_OK;
}

int CheckReservedLock(sqlite3_file* file, int* out) {
    OfdFile* f = Self(file);
    if (!f->ofd) return f->real->pMethods->xCheckReservedLock(f->real, out);
    if (f->level > SQLITE_LOCK_SHARED) {
        *out = 1;
        return SQLITE_OK;
    }
    const int held = HeldByOthers(f->lockFd, kReservedByte, 1);
    if (held < 0) return SQLITE_IOERR_CHECKRESERVEDLOCK;
    *out = held != F_UNLCK;
    return SQLITE_OK;
}

// --- WAL index ---

int ShmOpen(OfdFile* f) {
    auto shm = std::make_unique<SharedMemory>();
    shm->path = f->path + "-shm";
    struct stat db {};
    if (fstat(f->lockFd, &db) != 0) return SQLITE_IOERR_FSTAT;
    const mode_t mode = db.st_mode & 0777;
    shm->fd = OpenRetrying(shm->path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW, mode);
    if (shm->fd >= 0) {
        struct stat st {};
        if (fstat(shm->fd, &st) == 0 && st.st_size == 0 && (st.st_mode & 0777) != mode) fchmod(shm->fd, mode);
    } else {
        shm->fd = OpenRetrying(shm->path.c_str(), O_RDONLY | O_NOFOLLOW);
        if (shm->fd < 0) return SQLITE_CANTOPEN;
        shm->readOnly = true;
    }
    if (geteuid() == 0 && fchown(shm->fd, db.st_uid, db.st_gid) != 0) {
        // a root process leaves the file as it is; the owner of the database may then lack access
    }
    f->shm = std::move(shm);
    return SQLITE_OK;
}

int ShmMap(sqlite3_file* file, int region, int regionSize, int extend, void volatile** out) {
    OfdFile* f = Self(file);
    if (!f->ofd) return f->real->pMethods->xShmMap(f->real, region, regionSize, extend, out);
    *out = nullptr;
    if (!f->shm) {
        if (int rc = ShmOpen(f); rc != SQLITE_OK) return rc;
    }
    SharedMemory& s = *f->shm;
    if (!s.attached) {
        if (int rc = s.Attach(); rc != SQLITE_OK) return rc;
    }
    const long page = sysconf(_SC_PAGESIZE);
    const int perMap = page < regionSize ? 1 : static_cast<int>(page / regionSize);
    const size_t needed = static_cast<size_t>((region + perMap) / perMap * perMap);
    int rc = SQLITE_OK;
    if (s.regions.size() < needed) {
        struct stat st {};
        const off_t bytes = static_cast<off_t>(needed) * regionSize;
        if (fstat(s.fd, &st) != 0) {
            rc = SQLITE_IOERR_SHMSIZE;
        } else if (st.st_size < bytes && !extend) {
            // not there yet, and not to be made: no region, no error
        } else {
            // Write the last byte of every new page, so that the space exists before it is
            // mapped (a full disk shows here, not as a signal on first touch).
            for (off_t pg = st.st_size / kShmPageSize; rc == SQLITE_OK && pg < bytes / kShmPageSize; ++pg)
                if (pwrite(s.fd, "", 1, pg * kShmPageSize + kShmPageSize - 1) != 1) rc = SQLITE_IOERR_SHMSIZE;
            while (rc == SQLITE_OK && s.regions.size() < needed) {
                const size_t length = static_cast<size_t>(regionSize) * perMap;
                void* m = mmap(nullptr, length, s.readOnly ? PROT_READ : PROT_READ | PROT_WRITE, MAP_SHARED, s.fd,
                               static_cast<off_t>(regionSize) * static_cast<off_t>(s.regions.size()));
                if (m == MAP_FAILED) {
                    rc = SQLITE_IOERR_SHMMAP;
                    break;
                }
                s.maps.emplace_back(m, length);
                for (int i = 0; i < perMap; ++i) s.regions.push_back(static_cast<char*>(m) + static_cast<size_t>(regionSize) * i);
            }
        }
    }
    if (static_cast<size_t>(region) < s.regions.size()) *out = s.regions[region];
    if (rc == SQLITE_OK && s.readOnly) rc = SQLITE_READONLY;
    return rc;
}

int ShmLock(sqlite3_file* file, int offset, int n, int flags) {
    OfdFile* f = Self(file);
    if (!f->ofd) return f->real->pMethods->xShmLock(f->real, offset, n, flags);
    if (!f->shm) return SQLITE_IOERR_SHMLOCK;
    const short type = (flags & SQLITE_SHM_UNLOCK) ? F_UNLCK : (flags & SQLITE_SHM_SHARED) ? F_RDLCK : F_WRLCK;
    if (SetLock(f->shm->fd, type, kShmBase + offset, n)) return SQLITE_OK;
    return type == F_UNLCK ? SQLITE_IOERR_SHMLOCK : SQLITE_BUSY;
}

void ShmBarrier(sqlite3_file* file) {
    OfdFile* f = Self(file);
    if (!f->ofd) return f->real->pMethods->xShmBarrier(f->real);
    std::atomic_thread_fence(std::memory_order_seq_cst);
}

int ShmUnmap(sqlite3_file* file, int deleteFile) {
    OfdFile* f = Self(file);
    if (!f->ofd) return f->real->pMethods->xShmUnmap(f->real, deleteFile);
    if (!f->shm) return SQLITE_OK;
    // SQLite asks for deletion only while it holds the database's EXCLUSIVE lock: nobody else
    // has the index open.
    if (deleteFile && !f->shm->readOnly) unlink(f->shm->path.c_str());
    f->shm.reset();
    return SQLITE_OK;
}

// --- the rest goes to the stock layer ---

int Close(sqlite3_file* file) {
    OfdFile* f = Self(file);
    if (f->ofd) {
        f->shm.reset();
        Unlock(file, SQLITE_LOCK_NONE);
    }
    if (f->lockFd >= 0) close(f->lockFd);
    const int rc = f->real->pMethods ? f->real->pMethods->xClose(f->real) : SQLITE_OK;
    std::destroy_at(f);
    return rc;
}

int Read(sqlite3_file* f, void* b, int n, sqlite3_int64 o) { return Real(f)->pMethods->xRead(Real(f), b, n, o); }
int Write(sqlite3_file* f, const void* b, int n, sqlite3_int64 o) { return Real(f)->pMethods->xWrite(Real(f), b, n, o); }
int Truncate(sqlite3_file* f, sqlite3_int64 size) { return Real(f)->pMethods->xTruncate(Real(f), size); }
int Sync(sqlite3_file* f, int flags) { return Real(f)->pMethods->xSync(Real(f), flags); }
int FileSize(sqlite3_file* f, sqlite3_int64* size) { return Real(f)->pMethods->xFileSize(Real(f), size); }
int SectorSize(sqlite3_file* f) { return Real(f)->pMethods->xSectorSize(Real(f)); }
int DeviceCharacteristics(sqlite3_file* f) { return Real(f)->pMethods->xDeviceCharacteristics(Real(f)); }
int Fetch(sqlite3_file* f, sqlite3_int64 o, int n, void** p) { return Real(f)->pMethods->xFetch(Real(f), o, n, p); }
int Unfetch(sqlite3_file* f, sqlite3_int64 o, void* p) { return Real(f)->pMethods->xUnfetch(Real(f), o, p); }

int FileControl(sqlite3_file* file, int op, void* arg) {
    OfdFile* f = Self(file);
    if (f->ofd) {
        if (op == SQLITE_FCNTL_LOCKSTATE) {
            *static_cast<int*>(arg) = f->level;
            return SQLITE_OK;
        }
        if (op == SQLITE_FCNTL_EXTERNAL_READER) {  // a reader of the WAL in another connection
            int* out = static_cast<int*>(arg);
            *out = 0;
            if (!f->shm) return SQLITE_OK;
            const int held = HeldByOthers(f->shm->fd, kShmBase + 3, SQLITE_SHM_NLOCK - 3);
            if (held < 0) return SQLITE_IOERR_LOCK;
            *out = held != F_UNLCK;
            return SQLITE_OK;
        }
    }
    const int rc = f->real->pMethods->xFileControl(f->real, op, arg);
    if (op == SQLITE_FCNTL_VFSNAME && rc == SQLITE_OK && f->ofd) {
        char** name = static_cast<char**>(arg);
        char* joined = sqlite3_mprintf("spb-ofd/%z", *name);
        *name = joined;
    }
    return rc;
}

const sqlite3_io_methods kMethods = {
    3,          Close,      Read,    Write,      Truncate,  Sync,       FileSize,   Lock,          Unlock,
    CheckReservedLock,      FileControl,         SectorSize, DeviceCharacteristics, ShmMap, ShmLock, ShmBarrier,
    ShmUnmap,   Fetch,      Unfetch,
};

int Open(sqlite3_vfs* vfs, sqlite3_filename name, sqlite3_file* file, int flags, int* outFlags) {
    sqlite3_vfs* base = Base(vfs);
    OfdFile* f = new (file) OfdFile{};
    f->real = reinterpret_cast<sqlite3_file*>(reinterpret_cast<char*>(file) + kRealOffset);
    int out = 0;
    int rc = base->xOpen(base, name, f->real, flags, &out);
    if (outFlags) *outFlags = out;
    if (rc == SQLITE_OK && (flags & SQLITE_OPEN_MAIN_DB) && name) {
        f->mainDb = true;
        f->path = name;
        const bool writable = (out & SQLITE_OPEN_READWRITE) != 0;
        f->lockFd = OpenRetrying(name, writable ? O_RDWR : O_RDONLY);
        if (f->lockFd < 0 && writable) f->lockFd = OpenRetrying(name, O_RDONLY);
        if (f->lockFd < 0) {
            rc = SQLITE_CANTOPEN;
        } else {
            // File systems without open-file-description locks keep the stock locking; the extra
            // descriptor goes at once, before the stock layer takes any lock a close() would drop.
            f->ofd = HeldByOthers(f->lockFd, kPendingByte, 1) >= 0 || errno != EINVAL;
            if (!f->ofd) {
                close(f->lockFd);
                f->lockFd = -1;
            }
        }
    }
    if (rc != SQLITE_OK) {
        if (f->real->pMethods) f->real->pMethods->xClose(f->real);
        if (f->lockFd >= 0) close(f->lockFd);
        std::destroy_at(f);
        return rc;
    }
    f->base.pMethods = &kMethods;
    return SQLITE_OK;
}

int Delete(sqlite3_vfs* v, const char* n, int sync) { return Base(v)->xDelete(Base(v), n, sync); }
int Access(sqlite3_vfs* v, const char* n, int flags, int* out) { return Base(v)->xAccess(Base(v), n, flags, out); }
int FullPathname(sqlite3_vfs* v, const char* n, int size, char* out) { return Base(v)->xFullPathname(Base(v), n, size, out); }
void* DlOpen(sqlite3_vfs* v, const char* n) { return Base(v)->xDlOpen(Base(v), n); }
void DlError(sqlite3_vfs* v, int n, char* out) { Base(v)->xDlError(Base(v), n, out); }
void (*DlSym(sqlite3_vfs* v, void* h, const char* s))(void) { return Base(v)->xDlSym(Base(v), h, s); }
void DlClose(sqlite3_vfs* v, void* h) { Base(v)->xDlClose(Base(v), h); }
int Randomness(sqlite3_vfs* v, int n, char* out) { return Base(v)->xRandomness(Base(v), n, out); }
int Sleep(sqlite3_vfs* v, int us) { return Base(v)->xSleep(Base(v), us); }
int CurrentTime(sqlite3_vfs* v, double* t) { return Base(v)->xCurrentTime(Base(v), t); }
int GetLastError(sqlite3_vfs* v, int n, char* out) { return Base(v)->xGetLastError(Base(v), n, out); }
int CurrentTimeInt64(sqlite3_vfs* v, sqlite3_int64* t) { return Base(v)->xCurrentTimeInt64(Base(v), t); }
int SetSystemCall(sqlite3_vfs* v, const char* n, sqlite3_syscall_ptr p) { return Base(v)->xSetSystemCall(Base(v), n, p); }
sqlite3_syscall_ptr GetSystemCall(sqlite3_vfs* v, const char* n) { return Base(v)->xGetSystemCall(Base(v), n); }
const char* NextSystemCall(sqlite3_vfs* v, const char* n) { return Base(v)->xNextSystemCall(Base(v), n); }

const char* Register() {
    if (sqlite3_initialize() != SQLITE_OK) return nullptr;
    sqlite3_vfs* base = sqlite3_vfs_find("unix");
    if (!base || base->iVersion < 3) return nullptr;
    static sqlite3_vfs vfs{};
    vfs.iVersion = 3;
    vfs.szOsFile = static_cast<int>(kRealOffset) + base->szOsFile;
    vfs.mxPathname = base->mxPathname;
    vfs.zName = "spb-ofd";
    vfs.pAppData = base;
    vfs.xOpen = Open;
    vfs.xDelete = Delete;
    vfs.xAccess = Access;
    vfs.xFullPathname = FullPathname;
    vfs.xDlOpen = DlOpen;
    vfs.xDlError = DlError;
    vfs.xDlSym = DlSym;
    vfs.xDlClose = DlClose;
    vfs.xRandomness = Randomness;
    vfs.xSleep = Sleep;
    vfs.xCurrentTime = CurrentTime;
    vfs.xGetLastError = GetLastError;
    vfs.xCurrentTimeInt64 = CurrentTimeInt64;
    vfs.xSetSystemCall = SetSystemCall;
    vfs.xGetSystemCall = GetSystemCall;
    vfs.xNextSystemCall = NextSystemCall;
    // The default, so that every SQLite connection of the process (the SQLite ODBC driver's too)
    // locks the same way and none of them holds per-process locks that a close() could drop.
    if (sqlite3_vfs_register(&vfs, 1) != SQLITE_OK) return nullptr;
    return vfs.zName;
}

}  // namespace

const char* OfdLockingVfs() {
    static const char* name = Register();
    return name;
}

#else

const char* OfdLockingVfs() { return nullptr; }

#endif

}  // namespace db::sqlite
