// Exact linear algebra over Q on the vectors of the cones and the tropical
// sets: echelon forms, null spaces, projections, and integer vectors made
// primitive. A space is kept by whichever basis is smaller, its own or its
// complement's, so that a few rows in many variables cost what they hold.
#pragma once

#include <gmpxx.h>

#include <cstddef>
#include <vector>

namespace initform {

// An integer vector, and a rational one.
using IntVector = std::vector<mpz_class>;
using QVector = std::vector<mpq_class>;

QVector toRational(const IntVector& v);
// The positive multiple of v whose entries are coprime integers (v itself
// when it is 0).
IntVector primitive(const QVector& v);
IntVector primitive(const IntVector& v);
mpq_class dot(const QVector& a, const QVector& b);

// The reduced row echelon form of the rows (leading entries 1, zero rows
// dropped): a basis of their span that depends only on the span.
std::vector<QVector> rowEchelon(std::vector<QVector> rows);

// The span of some rows of Q^n, reduced with its pivots taken from the last
// column backwards: each basis row has a 1 in its pivot column, where the
// others have 0, and nothing after it. A vector v of the span is then the
// sum of v[pivots[k]] times basis[k].
struct Span {
    std::vector<QVector> basis;
    std::vector<std::size_t> pivots;
    std::size_t n = 0;
};
Span spanOf(std::vector<QVector> rows, std::size_t n);
// A basis of the vectors orthogonal to the span, in reduced row echelon form.
std::vector<QVector> complementOf(const Span& span);
// The same basis, each row made primitive, built a row at a time.
std::vector<IntVector> primitiveComplementOf(const Span& span);
// A basis of the vectors orthogonal to all the rows, each of length n, in
// reduced row echelon form.
std::vector<QVector> nullSpace(const std::vector<QVector>& rows, std::size_t n);

// An orthogonal basis of a space, with each vector's squared length.
struct OrthogonalBasis {
    std::vector<QVector> vectors;
    std::vector<mpq_class> norms;
};
// An orthogonal basis of the span of independent rows (Gram-Schmidt).
OrthogonalBasis orthogonalBasis(const std::vector<QVector>& rows);
// v less its orthogonal projection onto the span of an orthogonal basis:
// its projection onto that span's orthogonal complement.
QVector projectOff(const QVector& v, const OrthogonalBasis& orthogonal);

// The orthogonal projection onto a span, through an orthogonal basis of the
// span or of its complement, whichever is smaller.
class Projection {
public:
    explicit Projection(const Span& span);
    QVector operator()(const QVector& v) const;

private:
    OrthogonalBasis basis_;
    bool ofSpan_;  // whether basis_ spans the span (or its complement)
};

}  // namespace initform
