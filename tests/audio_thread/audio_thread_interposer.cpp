// Preloaded into the render program (LD_PRELOAD): counts what the audio thread must never do
// while it renders: allocate or free memory, take a mutex, wait on a condition, a semaphore
// or a futex, sleep, or do I/O. A futex wake is allowed (that is how an event is set).
//
// The audio thread is the one inside a render: the program's own marker,
// quillmix::onRealtimeThread(), which the program exports. At exit the counts are printed
// as one line,
//   audio_thread_audit: allocations=N frees=N locks=N blocking=N
// and the first few offending calls with a backtrace. A program that does not export the
// marker is reported as "audio_thread_audit: no marker" (nothing can be checked).
//
// Only calls that cross into the C library through its exported functions are seen; a call
// the library makes to itself (printf to write) shows as the outer one.
#include <dlfcn.h>
#include <execinfo.h>
#include <linux/futex.h>
#include <poll.h>
#include <pthread.h>
#include <semaphore.h>
#include <sys/select.h>
#include <sys/syscall.h>
#include <sys/uio.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void __libc_free(void*);
void* __libc_memalign(size_t, size_t);
}

namespace {

enum Kind { kAllocation, kFree, kLock, kBlocking, kKinds };
const char* const kKindNames[kKinds] = {"allocations", "frees", "locks", "blocking"};

std::atomic<long> counts[kKinds];
std::atomic<int> reported{0};
constexpr int kReportedCalls = 5;

using Marker = bool (*)();
Marker marker = nullptr;

// Set while the interposer itself runs (its backtraces allocate).
__attribute__((tls_model("initial-exec"))) thread_local bool inside = false;

void note(Kind kind, const char* function) {
    if (!marker || inside || !marker()) return;
    inside = true;
    counts[kind].fetch_add(1);
    if (reported.fetch_add(1) < kReportedCalls) {
        std::fprintf(stderr, "audio_thread_audit: %s on the audio thread\n", function);
        void* frames[32];
        backtrace_symbols_fd(frames, backtrace(frames, 32), 2);
    }
    inside = false;
}

__attribute__((constructor)) void start() {
    marker = reinterpret_cast<Marker>(dlsym(RTLD_DEFAULT, "_ZN8quillmix16onRealtimeThreadEv"));
    void* frames[1];
    inside = true;
    backtrace(frames, 1);  // loads the unwinder now, not on the audio thread
    inside = false;
}

__attribute__((destructor)) void finish() {
    if (!marker) {
        std::fprintf(stderr, "audio_thread_audit: no marker\n");
        return;
    }
    std::fprintf(stderr, "audio_thread_audit: %s=%ld %s=%ld %s=%ld %s=%ld\n", kKindNames[0], counts[0].load(),
                 kKindNames[1], counts[1].load(), kKindNames[2], counts[2].load(), kKindNames[3], counts[3].load());
}

template <typename Function>
Function next(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

bool futexWaits(long operation) {
    switch (operation & FUTEX_CMD_MASK) {
        case FUTEX_WAKE:
        case FUTEX_WAKE_BITSET:
        case FUTEX_WAKE_OP:
        case FUTEX_REQUEUE:
        case FUTEX_CMP_REQUEUE: return false;
        default: return true;
    }
}

}  // namespace

// Each forwarder: note the call, then hand it to the next definition.
#define QM_FORWARD(kind, result, name, parameters, arguments)       \
    extern "C" result name parameters {                             \
        note(kind, #name);                                          \
        static const auto real = next<result(*) parameters>(#name); \
        return real arguments;                                      \
    }

// The allocators hand over to the C library's own entry points: looking the next definition
// up would itself allocate.
#define QM_ALLOCATOR(name, parameters, call) \
    extern "C" void* name parameters {       \
        note(kAllocation, #name);            \
        return call;                         \
    }

QM_ALLOCATOR(malloc, (size_t size), __libc_malloc(size))
QM_ALLOCATOR(calloc, (size_t count, size_t size), __libc_calloc(count, size))
QM_ALLOCATOR(realloc, (void* pointer, size_t size), __libc_realloc(pointer, size))
QM_ALLOCATOR(aligned_alloc, (size_t alignment, size_t size), __libc_memalign(alignment, size))
QM_ALLOCATOR(memalign, (size_t alignment, size_t size), __libc_memalign(alignment, size))

extern "C" {

void free(void* pointer) {
    if (pointer) note(kFree, "free");
    __libc_free(pointer);
}
int posix_memalign(void** out, size_t alignment, size_t size) {
    note(kAllocation, "posix_memalign");
    *out = __libc_memalign(alignment, size);
    return *out ? 0 : ENOMEM;
}

long syscall(long number, ...) {
    va_list list;
    va_start(list, number);
    long a[6];
    for (long& value : a) value = va_arg(list, long);
    va_end(list);
    if (number == SYS_futex ? futexWaits(a[1]) : number != SYS_gettid) note(kBlocking, "syscall");
    static const auto real = next<long (*)(long, ...)>("syscall");
    return real(number, a[0], a[1], a[2], a[3], a[4], a[5]);
}

int open(const char* path, int flags, ...) {
    va_list list;
    va_start(list, flags);
    const int mode = va_arg(list, int);
    va_end(list);
    note(kBlocking, "open");
    static const auto real = next<int (*)(const char*, int, ...)>("open");
    return real(path, flags, mode);
}

int openat(int folder, const char* path, int flags, ...) {
    va_list list;
    va_start(list, flags);
    const int mode = va_arg(list, int);
    va_end(list);
    note(kBlocking, "openat");
    static const auto real = next<int (*)(int, const char*, int, ...)>("openat");
    return real(folder, path, flags, mode);
}

int fprintf(FILE* stream, const char* format, ...) {
    note(kBlocking, "fprintf");
    va_list list;
    va_start(list, format);
    const int written = vfprintf(stream, format, list);
    va_end(list);
    return written;
}

}  // extern "C"

QM_FORWARD(kLock, int, pthread_mutex_lock, (pthread_mutex_t * m), (m))
QM_FORWARD(kLock, int, pthread_mutex_timedlock, (pthread_mutex_t * m, const struct timespec* t), (m, t))
QM_FORWARD(kLock, int, pthread_rwlock_rdlock, (pthread_rwlock_t * l), (l))
QM_FORWARD(kLock, int, pthread_rwlock_wrlock, (pthread_rwlock_t * l), (l))
QM_FORWARD(kLock, int, pthread_spin_lock, (pthread_spinlock_t * l), (l))
QM_FORWARD(kBlocking, int, pthread_cond_wait, (pthread_cond_t * c, pthread_mutex_t* m), (c, m))
QM_FORWARD(kBlocking, int, pthread_cond_timedwait, (pthread_cond_t * c, pthread_mutex_t* m, const struct timespec* t),
           (c, m, t))
QM_FORWARD(kBlocking, int, pthread_cond_clockwait,
           (pthread_cond_t * c, pthread_mutex_t* m, clockid_t k, const struct timespec* t), (c, m, k, t))
QM_FORWARD(kBlocking, int, pthread_join, (pthread_t t, void** r), (t, r))
QM_FORWARD(kBlocking, int, sem_wait, (sem_t * s), (s))
QM_FORWARD(kBlocking, int, sem_timedwait, (sem_t * s, const struct timespec* t), (s, t))
QM_FORWARD(kBlocking, int, nanosleep, (const struct timespec* t, struct timespec* r), (t, r))
QM_FORWARD(kBlocking, int, clock_nanosleep, (clockid_t c, int f, const struct timespec* t, struct timespec* r),
           (c, f, t, r))
QM_FORWARD(kBlocking, int, usleep, (useconds_t t), (t))
QM_FORWARD(kBlocking, unsigned, sleep, (unsigned t), (t))
QM_FORWARD(kBlocking, ssize_t, read, (int f, void* b, size_t n), (f, b, n))
QM_FORWARD(kBlocking, ssize_t, write, (int f, const void* b, size_t n), (f, b, n))
QM_FORWARD(kBlocking, ssize_t, pread64, (int f, void* b, size_t n, off64_t o), (f, b, n, o))
QM_FORWARD(kBlocking, ssize_t, pwrite64, (int f, const void* b, size_t n, off64_t o), (f, b, n, o))
QM_FORWARD(kBlocking, ssize_t, readv, (int f, const struct iovec* v, int n), (f, v, n))
QM_FORWARD(kBlocking, ssize_t, writev, (int f, const struct iovec* v, int n), (f, v, n))
QM_FORWARD(kBlocking, int, poll, (struct pollfd * p, nfds_t n, int t), (p, n, t))
QM_FORWARD(kBlocking, int, ppoll, (struct pollfd * p, nfds_t n, const struct timespec* t, const sigset_t* s),
           (p, n, t, s))
QM_FORWARD(kBlocking, int, select, (int n, fd_set* r, fd_set* w, fd_set* e, struct timeval* t), (n, r, w, e, t))
QM_FORWARD(kBlocking, int, fsync, (int f), (f))
QM_FORWARD(kBlocking, FILE*, fopen, (const char* p, const char* m), (p, m))
QM_FORWARD(kBlocking, size_t, fwrite, (const void* b, size_t s, size_t n, FILE* f), (b, s, n, f))
QM_FORWARD(kBlocking, size_t, fread, (void* b, size_t s, size_t n, FILE* f), (b, s, n, f))
QM_FORWARD(kBlocking, int, fflush, (FILE * f), (f))
QM_FORWARD(kBlocking, int, vfprintf, (FILE * f, const char* m, va_list a), (f, m, a))
QM_FORWARD(kBlocking, int, fputs, (const char* s, FILE* f), (s, f))
QM_FORWARD(kBlocking, int, puts, (const char* s), (s))
