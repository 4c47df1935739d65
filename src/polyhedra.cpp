// cddlib (its GMP-rational build, loaded with dlopen) behind a child
// process: the child makes every call of cddlib and writes its result back
// as text.
#include "polyhedra.hpp"

#include <dlfcn.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <new>

#define GMPRATIONAL
extern "C" {
#include <setoper.h>
#include <cdd.h>
}

#include "errors.hpp"

namespace initform {

namespace {

constexpr const char* kLibrary = "libcddgmp.so.0";

// The loader's reason for the last failure.
std::string loaderReason() {
    const char* reason = ::dlerror();
    return reason != nullptr ? reason : std::string(kLibrary) + ": the loader gave no reason";
}

// cddlib said that a computation failed.
struct CddError {};

}  // namespace

// The functions of cddlib this unit calls, from the library loaded at run time.
struct Polyhedra::Library {
    Library() {
        handle = ::dlopen(kLibrary, RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr) throw SystemFailure("cannot load cddlib", loaderReason());
        find(setGlobalConstants, "dd_set_global_constants");
        find(createMatrix, "dd_CreateMatrix");
        find(freeMatrix, "dd_FreeMatrix");
        find(toPolyhedra, "dd_DDMatrix2Poly2");
        find(freePolyhedra, "dd_FreePolyhedra");
        find(copyGenerators, "dd_CopyGenerators");
        find(isMember, "set_member");
        find(addElement, "set_addelem");
    }

    template <class F>
    void find(F& f, const char* name) {
        f = reinterpret_cast<F>(::dlsym(handle, name));
        if (f == nullptr) throw SystemFailure("cannot load cddlib", loaderReason());
    }

    void* handle;
    decltype(&dd_set_global_constants) setGlobalConstants;
    decltype(&dd_CreateMatrix) createMatrix;
    decltype(&dd_FreeMatrix) freeMatrix;
    decltype(&dd_DDMatrix2Poly2) toPolyhedra;
    decltype(&dd_FreePolyhedra) freePolyhedra;
    decltype(&dd_CopyGenerators) copyGenerators;
    decltype(&set_member) isMember;
    decltype(&set_addelem) addElement;
};

namespace {

using Library = Polyhedra::Library;

// A matrix of cddlib, freed when it goes.
struct Matrix {
    const Library& cdd;
    dd_MatrixPtr m;
    ~Matrix() {
        if (m != nullptr) cdd.freeMatrix(m);
    }
};

// The constraints as cddlib's inequalities, the equations in its linearity set.
dd_MatrixPtr toMatrix(const Library& cdd, const Constraints& c) {
    dd_MatrixPtr m = cdd.createMatrix(static_cast<dd_rowrange>(c.rows.size()), static_cast<dd_colrange>(c.n + 1));
    m->representation = dd_Inequality;
    m->numbtype = dd_Rational;
    for (std::size_t r = 0; r < c.rows.size(); ++r) {
        for (std::size_t k = 0; k <= c.n; ++k) mpq_set(m->matrix[r][k], c.rows[r][k].get_mpq_t());
        if (c.equal[r]) cdd.addElement(m->linset, static_cast<long>(r + 1));
    }
    return m;
}

// The exit statuses of a child.
constexpr int kDone = 0;
constexpr int kOutOfMemory = 1;  // as GMP's own failure ends it
constexpr int kCddFailed = 2;
constexpr int kOrphaned = 3;  // its parent ended before it began

// Writes all of text to fd; false when that failed.
bool writeAll(int fd, const std::string& text) {
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t written = ::write(fd, text.data() + done, text.size() - done);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        done += static_cast<std::size_t>(written);
    }
    return true;
}

// The text of a descriptor up to its end.
std::string readAll(int fd) {
    std::string text;
    char block[65536];
    for (;;) {
        const ssize_t n = ::read(fd, block, sizeof block);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw SystemFailure("cannot read a result from cddlib", errno);
        if (n == 0) return text;
        text.append(block, static_cast<std::size_t>(n));
    }
}

// Waits for the child; its wait status.
int waitFor(pid_t child) {
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) return 0;
    }
    return status;
}

// Throws what the child's end says, if it failed.
void checkEnd(int status) {
    if (WIFSIGNALED(status)) {
        throw SystemFailure("cddlib failed", "terminated by signal " + std::to_string(WTERMSIG(status)));
    }
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : kOutOfMemory;
    if (code == kCddFailed) throw SystemFailure("cannot compute a polyhedron", "cddlib reported an error");
    if (code != kDone) throw std::bad_alloc();
}

// In the child, on SIGSEGV or SIGBUS. cddlib uses what its allocations
// return unchecked, so memory running out shows as a fault at an address
// near 0, where nothing is ever mapped: that ends the child as out of
// memory. Any other fault, or the signal sent by a process, ends it as the
// signal does.
void onFault(int signal, siginfo_t* info, void*) {
    constexpr std::uintptr_t kNearZero = std::uintptr_t{1} << 32;
    const bool fault = info->si_code > 0;  // raised by the processor, not sent
    if (fault && signal == SIGSEGV && reinterpret_cast<std::uintptr_t>(info->si_addr) < kNearZero) ::_exit(kOutOfMemory);
    ::signal(signal, SIG_DFL);
    if (!fault) ::raise(signal);
}

// In the child: a fault from an allocation that failed is said as such.
void catchFaults() {
    struct sigaction action {};
    action.sa_sigaction = onFault;
    action.sa_flags = SA_SIGINFO | SA_RESETHAND;
    ::sigemptyset(&action.sa_mask);
    ::sigaction(SIGSEGV, &action, nullptr);
    ::sigaction(SIGBUS, &action, nullptr);
}

// In the child: ends it when the parent ends (the parent may have ended
// already, between the fork and this call), then runs the work. Returns the
// child's exit status.
int workApart(const Library& cdd, pid_t parent, const std::function<std::string()>& work, int fd) {
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) return kOrphaned;
    catchFaults();
    try {
        cdd.setGlobalConstants();
        return writeAll(fd, work()) ? kDone : kCddFailed;
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    } catch (const CddError&) {
        return kCddFailed;
    }
}

// Rows as text, a row a line: its entries after a tag.
void writeRows(std::string& text, char tag, const std::vector<IntVector>& rows) {
    for (const IntVector& row : rows) {
        text += tag;
        for (const mpz_class& x : row) (text += ' ') += x.get_str();
        text += '\n';
    }
}

}  // namespace

Polyhedra::Polyhedra() : cdd_(std::make_unique<Library>()) {}

Polyhedra::~Polyhedra() = default;

std::string Polyhedra::apart(const std::function<std::string()>& work) const {
    int fds[2];
    if (::pipe(fds) != 0) throw SystemFailure("cannot start cddlib", errno);
    const pid_t parent = ::getpid();
    const pid_t child = ::fork();
    if (child < 0) {
        const int error = errno;
        ::close(fds[0]);
        ::close(fds[1]);
        if (error == ENOMEM) throw std::bad_alloc();
        throw SystemFailure("cannot start cddlib", error);
    }
    if (child == 0) {
        // The child writes nothing but its answer: not the run's output,
        // not GMP's message.
        ::close(fds[0]);
        ::close(STDOUT_FILENO);
        ::close(STDERR_FILENO);
        ::_exit(workApart(*cdd_, parent, work, fds[1]));
    }
    ::close(fds[1]);
    std::string text;
    try {
        text = readAll(fds[0]);
    } catch (...) {
        // The child's text is no longer wanted: it ends now, not later.
        ::close(fds[0]);
        ::kill(child, SIGKILL);
        waitFor(child);
        throw;
    }
    ::close(fds[0]);
    checkEnd(waitFor(child));
    return text;
}

Generators Polyhedra::generators(const Constraints& c) const {
    const Library& cdd = *cdd_;
    const Matrix h{cdd, toMatrix(cdd, c)};
    dd_ErrorType error = dd_NoError;
    // Rows are added in the order given (the callers put the likely facets
    // first): on real bases far fewer rays come and go than in cddlib's
    // lexicographic order (docs/performance.md).
    dd_PolyhedraPtr poly = cdd.toPolyhedra(h.m, dd_MinIndex, &error);
    if (poly == nullptr || error != dd_NoError) throw CddError{};
    const Matrix v{cdd, cdd.copyGenerators(poly)};
    cdd.freePolyhedra(poly);
    Generators g;
    for (dd_rowrange r = 0; r < v.m->rowsize; ++r) {
        QVector x;
        for (dd_colrange k = 1; k < v.m->colsize; ++k) x.emplace_back(mpq_class(v.m->matrix[r][k]));
        if (cdd.isMember(r + 1, v.m->linset)) {
            g.lines.push_back(std::move(x));
        } else if (sgn(mpq_class(v.m->matrix[r][0])) != 0) {
            g.points.push_back(std::move(x));
        } else {
            g.rays.push_back(std::move(x));
        }
    }
    // cddlib leaves out the origin of a cone: the constraints homogeneous,
    // it is the one point.
    const bool homogeneous = std::all_of(c.rows.begin(), c.rows.end(), [](const QVector& r) { return sgn(r[0]) == 0; });
    if (g.points.empty() && homogeneous) g.points.emplace_back(c.n, 0);
    return g;
}

ConeGenerators coneGenerators(const Polyhedra& polyhedra, const std::vector<IntVector>& inequalities, std::size_t n) {
    // The short inequalities first: they are the likely facets.
    std::vector<IntVector> rows = inequalities;
    const auto length = [](const IntVector& v) {
        mpz_class sum = 0;
        for (const mpz_class& x : v) sum += abs(x);
        return sum;
    };
    std::stable_sort(rows.begin(), rows.end(), [&](const IntVector& a, const IntVector& b) { return length(a) < length(b); });
    Constraints c;
    c.n = n;
    for (const IntVector& row : rows) {
        QVector q{0};
        for (const mpz_class& x : row) q.emplace_back(x);
        c.add(std::move(q), false);
    }
    const std::string text = polyhedra.apart([&] {
        const Generators g = polyhedra.generators(c);
        std::string out;
        std::vector<IntVector> rays;
        std::vector<IntVector> lines;
        for (const QVector& r : g.rays) rays.push_back(primitive(r));
        for (const QVector& l : g.lines) lines.push_back(primitive(l));
        writeRows(out, 'R', rays);
        writeRows(out, 'L', lines);
        return out;
    });
    ConeGenerators g;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = text.find('\n', at);
        IntVector& row = (text[at] == 'L' ? g.lines : g.rays).emplace_back();
        for (std::size_t from = at + 2; from < end;) {
            const std::size_t space = std::min(text.find(' ', from), end);
            row.emplace_back(text.substr(from, space - from), 10);
            from = space + 1;
        }
        at = end + 1;
    }
    return g;
}

}  // namespace initform
