// The conversions to and from cddlib (its GMP-rational build, loaded with
// dlopen): matrices of integer rows in, generators or inequalities out. Each
// conversion runs in a forked child that writes the result back as text.
#include "polyhedra.hpp"

#include <dlfcn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <new>
#include <string>

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

// The functions of cddlib this unit calls, from the library loaded at run time.
struct Library {
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
};

// A matrix of cddlib, freed when it goes.
struct Matrix {
    const Library& cdd;
    dd_MatrixPtr m;
    ~Matrix() {
        if (m != nullptr) cdd.freeMatrix(m);
    }
};

// The inequalities 0 + v·w >= 0 for v each of `rows`.
dd_MatrixPtr toMatrix(const Library& cdd, const std::vector<IntVector>& rows, std::size_t n) {
    dd_MatrixPtr m = cdd.createMatrix(static_cast<dd_rowrange>(rows.size()), static_cast<dd_colrange>(n + 1));
    m->representation = dd_Inequality;
    m->numbtype = dd_Rational;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        mpq_set_si(m->matrix[r][0], 0, 1);
        for (std::size_t c = 0; c < n; ++c) mpq_set_z(m->matrix[r][c + 1], rows[r][c].get_mpz_t());
    }
    return m;
}

// The generators cddlib found: each row with its first entry (1 for a
// point, 0 for a direction), and whether it is a line.
struct Converted {
    std::vector<QVector> rows;
    std::vector<bool> linear;
};

// The exit statuses of a conversion's child.
constexpr int kConverted = 0;
constexpr int kConversionFailed = 2;

// In the child: runs the double description method on the inequalities
// and writes the generators as text, a row a line: 'L' or 'R' (a line or
// not), then its entries. Every call of cddlib is made here, none in the
// run's own process. Returns the child's exit status.
int convertTo(const Library& cdd, const std::vector<IntVector>& rows, std::size_t n, int fd) {
    try {
        cdd.setGlobalConstants();
        const Matrix input{cdd, toMatrix(cdd, rows, n)};
        dd_ErrorType error = dd_NoError;
        // Rows are added in the order given (coneGenerators puts the short
        // ones first): on real bases far fewer rays come and go than in
        // cddlib's lexicographic order (docs/performance.md).
        dd_PolyhedraPtr poly = cdd.toPolyhedra(input.m, dd_MinIndex, &error);
        if (poly == nullptr || error != dd_NoError) return kConversionFailed;
        const Matrix out{cdd, cdd.copyGenerators(poly)};
        std::string text;
        for (dd_rowrange r = 0; r < out.m->rowsize; ++r) {
            text += cdd.isMember(r + 1, out.m->linset) ? 'L' : 'R';
            for (dd_colrange c = 0; c < out.m->colsize; ++c) (text += ' ') += mpq_class(out.m->matrix[r][c]).get_str();
            text += '\n';
        }
        for (std::size_t done = 0; done < text.size();) {
            const ssize_t written = ::write(fd, text.data() + done, text.size() - done);
            if (written < 0 && errno == EINTR) continue;
            if (written <= 0) return kConversionFailed;
            done += static_cast<std::size_t>(written);
        }
        return kConverted;
    } catch (const std::bad_alloc&) {
        return 1;  // as GMP's own failure ends it
    }
}

// The text of a descriptor up to its end.
std::string readAll(int fd) {
    std::string text;
    char block[65536];
    for (;;) {
        const ssize_t n = ::read(fd, block, sizeof block);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw SystemFailure("cannot read a cone from cddlib", errno);
        if (n == 0) return text;
        text.append(block, static_cast<std::size_t>(n));
    }
}

Converted parse(const std::string& text) {
    Converted c;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = text.find('\n', at);
        c.linear.push_back(text[at] == 'L');
        QVector& row = c.rows.emplace_back();
        for (std::size_t from = at + 2; from < end;) {
            const std::size_t space = std::min(text.find(' ', from), end);
            row.emplace_back(text.substr(from, space - from), 10);
            from = space + 1;
        }
        at = end + 1;
    }
    return c;
}

// Waits for the child; its exit status, or -1 when a signal ended it.
int statusOf(pid_t child) {
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The generators of the cone of the inequalities `rows` in Q^n, found in a child process so that cddlib running
// out of memory ends the child, not this process: that ending, whether by a
// signal or by GMP's own exit, is reported as memory exhausted.
Converted convert(const Library& cdd, const std::vector<IntVector>& rows, std::size_t n) {
    int fds[2];
    if (::pipe(fds) != 0) throw SystemFailure("cannot start cddlib", errno);
    const pid_t child = ::fork();
    if (child < 0) {
        const int error = errno;
        ::close(fds[0]);
        ::close(fds[1]);
        if (error == ENOMEM || error == EAGAIN) throw std::bad_alloc();
        throw SystemFailure("cannot start cddlib", error);
    }
    if (child == 0) {
        // The child writes nothing but its answer: not the run's output,
        // not GMP's message.
        ::close(fds[0]);
        ::close(STDOUT_FILENO);
        ::close(STDERR_FILENO);
        ::_exit(convertTo(cdd, rows, n, fds[1]));
    }
    ::close(fds[1]);
    std::string text;
    try {
        text = readAll(fds[0]);
    } catch (...) {
        ::close(fds[0]);
        statusOf(child);
        throw;
    }
    ::close(fds[0]);
    const int status = statusOf(child);
    if (status == kConversionFailed) throw SystemFailure("cannot convert a cone", "cddlib reported an error");
    if (status != kConverted) throw std::bad_alloc();
    return parse(text);
}

// A row without its first entry, as a primitive integer vector.
IntVector withoutFirst(const QVector& row) { return primitive(QVector(row.begin() + 1, row.end())); }

}  // namespace

ConeGenerators coneGenerators(const std::vector<IntVector>& inequalities, std::size_t n) {
    const Library cdd;
    // The short inequalities first: they are the likely facets.
    std::vector<IntVector> rows = inequalities;
    const auto length = [](const IntVector& v) {
        mpz_class sum = 0;
        for (const mpz_class& x : v) sum += abs(x);
        return sum;
    };
    std::stable_sort(rows.begin(), rows.end(), [&](const IntVector& a, const IntVector& b) { return length(a) < length(b); });
    const Converted v = convert(cdd, rows, n);
    ConeGenerators g;
    for (std::size_t r = 0; r < v.rows.size(); ++r) {
        if (sgn(v.rows[r][0]) != 0) continue;  // the origin, the cone's vertex
        (v.linear[r] ? g.lines : g.rays).push_back(withoutFirst(v.rows[r]));
    }
    return g;
}

}  // namespace initform
