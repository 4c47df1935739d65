// A library preloaded into initform (LD_PRELOAD) by tests/fault_sweep.py:
// it makes the k-th call of one kind, counted from the start of main, fail
// in a chosen way, and counts the calls of each kind.
//
//   INITFORM_FAULT=KIND:K:HOW  KIND is read, write, malloc (malloc and
//                              calloc) or realloc; HOW is an errno name
//                              (EIO, EAGAIN, EINTR, ENOSPC, EPIPE), "short"
//                              (half the bytes), "zero" (write returns 0) or
//                              "null" (an allocation fails)
//   INITFORM_FAULT_LOG=PATH    at exit: the count of each kind, and the
//                              descriptor of the read or write that failed
//   INITFORM_NO_CDDLIB=1       dlopen of cddlib fails, as for a library
//                              that is not installed
//   INITFORM_FORK_FAILS=ERRNO  every fork fails with ERRNO (EAGAIN or
//                              ENOMEM)
//
// It calls the system and glibc's own allocator directly, so that it never
// calls itself, and allocates nothing.
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" {
void* __libc_malloc(std::size_t);
void* __libc_calloc(std::size_t, std::size_t);
void* __libc_realloc(void*, std::size_t);
}

namespace {

enum Kind { kRead, kWrite, kMalloc, kRealloc, kKinds };
const char* const kKindNames[kKinds] = {"read", "write", "malloc", "realloc"};

bool armed = false;           // main has started
int faultKind = -1;           // the kind to fail, -1 for none
unsigned long faultAt = 0;    // which call of it
char faultHow[16] = "";
unsigned long calls[kKinds] = {};
int hitFd = -1;               // the descriptor of the read or write failed

// True when this call, the next of its kind, is the one to fail.
bool strikes(Kind kind) {
    if (!armed) return false;
    return ++calls[kind] == faultAt && faultKind == kind;
}

int errnoOf(const char* how) {
    if (std::strcmp(how, "EIO") == 0) return EIO;
    if (std::strcmp(how, "EAGAIN") == 0) return EAGAIN;
    if (std::strcmp(how, "EINTR") == 0) return EINTR;
    if (std::strcmp(how, "ENOSPC") == 0) return ENOSPC;
    if (std::strcmp(how, "EPIPE") == 0) return EPIPE;
    if (std::strcmp(how, "ENOMEM") == 0) return ENOMEM;
    return 0;
}

__attribute__((constructor)) void readSettings() {
    const char* fault = std::getenv("INITFORM_FAULT");
    if (fault == nullptr) return;
    for (int k = 0; k < kKinds; ++k) {
        const std::size_t n = std::strlen(kKindNames[k]);
        if (std::strncmp(fault, kKindNames[k], n) == 0 && fault[n] == ':') {
            faultKind = k;
            char* end = nullptr;
            faultAt = std::strtoul(fault + n + 1, &end, 10);
            if (end != nullptr && *end == ':') std::strncpy(faultHow, end + 1, sizeof faultHow - 1);
        }
    }
}

__attribute__((destructor)) void writeLog() {
    const char* path = std::getenv("INITFORM_FAULT_LOG");
    if (path == nullptr) return;
    char text[256];
    const int n = std::snprintf(text, sizeof text, "read %lu\nwrite %lu\nmalloc %lu\nrealloc %lu\nhit %d\n",
                                calls[kRead], calls[kWrite], calls[kMalloc], calls[kRealloc], hitFd);
    const long fd = syscall(SYS_open, path, O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0) return;
    syscall(SYS_write, fd, text, n);
    syscall(SYS_close, fd);
}

using Main = int (*)(int, char**, char**);
Main realMain = nullptr;

int armedMain(int argc, char** argv, char** env) {
    armed = true;
    return realMain(argc, argv, env);
}

}  // namespace

extern "C" {

// Starts main armed: what runs before it (the loader, static constructors)
// is not counted.
int __libc_start_main(Main main, int argc, char** argv, void (*init)(), void (*fini)(), void (*rtldFini)(),
                      void* stackEnd) {
    using Start = int (*)(Main, int, char**, void (*)(), void (*)(), void (*)(), void*);
    const auto real = reinterpret_cast<Start>(dlsym(RTLD_NEXT, "__libc_start_main"));
    realMain = main;
    return real(armedMain, argc, argv, init, fini, rtldFini, stackEnd);
}

ssize_t read(int fd, void* buf, std::size_t count) {
    if (strikes(kRead)) {
        hitFd = fd;
        if (std::strcmp(faultHow, "short") != 0) {
            errno = errnoOf(faultHow);
            return -1;
        }
        count = count > 1 ? count / 2 : count;
    }
    return syscall(SYS_read, fd, buf, count);
}

ssize_t write(int fd, const void* buf, std::size_t count) {
    if (strikes(kWrite)) {
        hitFd = fd;
        if (std::strcmp(faultHow, "zero") == 0) return 0;
        if (std::strcmp(faultHow, "short") != 0) {
            errno = errnoOf(faultHow);
            return -1;
        }
        count = count > 1 ? count / 2 : count;
    }
    return syscall(SYS_write, fd, buf, count);
}

void* malloc(std::size_t size) {
    if (strikes(kMalloc)) {
        errno = ENOMEM;
        return nullptr;
    }
    return __libc_malloc(size);
}

void* calloc(std::size_t count, std::size_t size) {
    if (strikes(kMalloc)) {
        errno = ENOMEM;
        return nullptr;
    }
    return __libc_calloc(count, size);
}

void* realloc(void* p, std::size_t size) {
    if (strikes(kRealloc)) {
        errno = ENOMEM;
        return nullptr;
    }
    return __libc_realloc(p, size);
}

// A process that cannot be made, as at the system's limit of processes
// (EAGAIN) or of memory (ENOMEM).
pid_t fork() {
    using Fork = pid_t (*)();
    static const auto real = reinterpret_cast<Fork>(dlsym(RTLD_NEXT, "fork"));
    if (const char* how = std::getenv("INITFORM_FORK_FAILS")) {
        errno = errnoOf(how);
        return -1;
    }
    return real();
}

// cddlib made unloadable: the loader is asked for a name that does not
// exist, so that it gives its own reason.
void* dlopen(const char* name, int flags) {
    using Open = void* (*)(const char*, int);
    static const auto real = reinterpret_cast<Open>(dlsym(RTLD_NEXT, "dlopen"));
    if (name != nullptr && std::getenv("INITFORM_NO_CDDLIB") != nullptr && std::strstr(name, "libcddgmp") != nullptr) {
        return real("libcddgmp-missing.so.0", flags);
    }
    return real(name, flags);
}

}  // extern "C"
