// Exact linear algebra over Q on the vectors of the Gröbner cone: row
// echelon forms, null spaces, projections, and integer vectors made
// primitive. Sizes are the number of variables and of bounding vectors:
// small, so the plain algorithms serve.
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
// A basis of the vectors orthogonal to all the rows, each of length n, in
// reduced row echelon form.
std::vector<QVector> nullSpace(const std::vector<QVector>& rows, std::size_t n);
// An orthogonal basis of the span of independent rows (Gram-Schmidt).
std::vector<QVector> orthogonalBasis(const std::vector<QVector>& rows);
// v less its orthogonal projection onto the span of an orthogonal basis:
// its projection onto that span's orthogonal complement.
QVector projectOff(const QVector& v, const std::vector<QVector>& orthogonal);

}  // namespace initform
