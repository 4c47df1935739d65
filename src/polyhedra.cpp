// The conversions to and from cddlib (its GMP-rational build, loaded with
// dlopen): matrices of integer rows in, generators or inequalities out.
#include "polyhedra.hpp"

#include <dlfcn.h>

#include <algorithm>

#define GMPRATIONAL
extern "C" {
#include <setoper.h>
#include <cdd.h>
}

#include "errors.hpp"

namespace initform {

namespace {

// The functions of cddlib this unit calls, from the library loaded at run time.
class Cddlib {
public:
    Cddlib() {
        handle_ = ::dlopen("libcddgmp.so.0", RTLD_NOW | RTLD_LOCAL);
        if (handle_ == nullptr) throw SystemFailure("cannot load cddlib (libcddgmp.so.0)", 0);
        find(setGlobalConstants, "dd_set_global_constants");
        find(freeGlobalConstants, "dd_free_global_constants");
        find(createMatrix, "dd_CreateMatrix");
        find(freeMatrix, "dd_FreeMatrix");
        find(toPolyhedra, "dd_DDMatrix2Poly2");
        find(freePolyhedra, "dd_FreePolyhedra");
        find(copyGenerators, "dd_CopyGenerators");
        find(copyInequalities, "dd_CopyInequalities");
        find(isMember, "set_member");
        find(addElement, "set_addelem");
        setGlobalConstants();
    }
    Cddlib(const Cddlib&) = delete;
    Cddlib& operator=(const Cddlib&) = delete;
    // cddlib stays loaded: it keeps a little memory of its own to the end.
    ~Cddlib() { freeGlobalConstants(); }

    decltype(&dd_set_global_constants) setGlobalConstants;
    decltype(&dd_free_global_constants) freeGlobalConstants;
    decltype(&dd_CreateMatrix) createMatrix;
    decltype(&dd_FreeMatrix) freeMatrix;
    decltype(&dd_DDMatrix2Poly2) toPolyhedra;
    decltype(&dd_FreePolyhedra) freePolyhedra;
    decltype(&dd_CopyGenerators) copyGenerators;
    decltype(&dd_CopyInequalities) copyInequalities;
    decltype(&set_member) isMember;
    decltype(&set_addelem) addElement;

private:
    template <class F>
    void find(F& f, const char* name) {
        f = reinterpret_cast<F>(::dlsym(handle_, name));
        if (f == nullptr) throw SystemFailure("cannot load cddlib (libcddgmp.so.0)", 0);
    }
    void* handle_;
};

// A matrix of cddlib, freed when it goes.
struct Matrix {
    const Cddlib& cdd;
    dd_MatrixPtr m;
    ~Matrix() {
        if (m != nullptr) cdd.freeMatrix(m);
    }
};

// The rows {t, v} for t = `first` and v each of `rows` (then `more`).
dd_MatrixPtr toMatrix(const Cddlib& cdd, long first, const std::vector<IntVector>& rows, std::size_t n,
                      dd_RepresentationType kind) {
    dd_MatrixPtr m = cdd.createMatrix(static_cast<dd_rowrange>(rows.size()), static_cast<dd_colrange>(n + 1));
    m->representation = kind;
    m->numbtype = dd_Rational;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        mpq_set_si(m->matrix[r][0], first, 1);
        for (std::size_t c = 0; c < n; ++c) mpq_set_z(m->matrix[r][c + 1], rows[r][c].get_mpz_t());
    }
    return m;
}

// Row r of a matrix without its first entry, as a primitive integer vector.
IntVector rowOf(dd_MatrixPtr m, dd_rowrange r) {
    QVector v;
    for (dd_colrange c = 1; c < m->colsize; ++c) v.emplace_back(mpq_class(m->matrix[r][c]));
    return primitive(v);
}

// Runs the double description method on `input` and copies out the other
// representation.
dd_MatrixPtr convert(const Cddlib& cdd, dd_MatrixPtr input, bool toGenerators) {
    dd_ErrorType error = dd_NoError;
    // Rows are added in the order given (coneGenerators puts the short ones
    // first): on real bases far fewer rays come and go than in cddlib's
    // lexicographic order (docs/performance.md).
    dd_PolyhedraPtr poly = cdd.toPolyhedra(input, dd_MinIndex, &error);
    if (poly == nullptr || error != dd_NoError) {
        if (poly != nullptr) cdd.freePolyhedra(poly);
        throw SystemFailure("cddlib failed to convert a cone", 0);
    }
    dd_MatrixPtr out = toGenerators ? cdd.copyGenerators(poly) : cdd.copyInequalities(poly);
    cdd.freePolyhedra(poly);
    return out;
}

}  // namespace

ConeGenerators coneGenerators(const std::vector<IntVector>& inequalities, std::size_t n) {
    const Cddlib cdd;
    // The short inequalities first: they are the likely facets.
    std::vector<IntVector> rows = inequalities;
    const auto length = [](const IntVector& v) {
        mpz_class sum = 0;
        for (const mpz_class& x : v) sum += abs(x);
        return sum;
    };
    std::stable_sort(rows.begin(), rows.end(), [&](const IntVector& a, const IntVector& b) { return length(a) < length(b); });
    const Matrix h{cdd, toMatrix(cdd, 0, rows, n, dd_Inequality)};
    const Matrix v{cdd, convert(cdd, h.m, true)};
    ConeGenerators g;
    for (dd_rowrange r = 0; r < v.m->rowsize; ++r) {
        if (sgn(mpq_class(v.m->matrix[r][0])) != 0) continue;  // the origin, the cone's vertex
        IntVector row = rowOf(v.m, r);
        (cdd.isMember(r + 1, v.m->linset) ? g.lines : g.rays).push_back(std::move(row));
    }
    return g;
}

std::vector<IntVector> coneFacets(const ConeGenerators& cone, std::size_t n) {
    const Cddlib cdd;
    // The generators: the origin as the one point, then the rays and lines.
    std::vector<IntVector> rows{IntVector(n, 0)};
    rows.insert(rows.end(), cone.rays.begin(), cone.rays.end());
    rows.insert(rows.end(), cone.lines.begin(), cone.lines.end());
    const Matrix v{cdd, toMatrix(cdd, 0, rows, n, dd_Generator)};
    mpq_set_si(v.m->matrix[0][0], 1, 1);
    for (std::size_t k = 0; k < cone.lines.size(); ++k) {
        cdd.addElement(v.m->linset, static_cast<long>(1 + cone.rays.size() + k + 1));
    }
    const Matrix h{cdd, convert(cdd, v.m, false)};
    std::vector<IntVector> facets;
    for (dd_rowrange r = 0; r < h.m->rowsize; ++r) {
        // Equations are left out, and so is the inequality 1 >= 0, which
        // cddlib may give for the face at infinity.
        if (cdd.isMember(r + 1, h.m->linset) || sgn(mpq_class(h.m->matrix[r][0])) != 0) continue;
        facets.push_back(rowOf(h.m, r));
    }
    return facets;
}

}  // namespace initform
