// Exact linear algebra over Q.
#include "linear.hpp"

#include <utility>

namespace initform {

QVector toRational(const IntVector& v) {
    QVector q;
    q.reserve(v.size());
    for (const mpz_class& x : v) q.emplace_back(x);
    return q;
}

IntVector primitive(const QVector& v) {
    mpz_class scale = 1;  // the least common multiple of the denominators
    for (const mpq_class& x : v) mpz_lcm(scale.get_mpz_t(), scale.get_mpz_t(), x.get_den_mpz_t());
    IntVector out;
    out.reserve(v.size());
    for (const mpq_class& x : v) out.push_back(x.get_num() * (scale / x.get_den()));
    return primitive(out);
}

IntVector primitive(const IntVector& v) {
    mpz_class g = 0;
    for (const mpz_class& x : v) mpz_gcd(g.get_mpz_t(), g.get_mpz_t(), x.get_mpz_t());
    IntVector out = v;
    if (g > 1) {
        for (mpz_class& x : out) mpz_divexact(x.get_mpz_t(), x.get_mpz_t(), g.get_mpz_t());
    }
    return out;
}

mpq_class dot(const QVector& a, const QVector& b) {
    mpq_class sum = 0;
    for (std::size_t i = 0; i < a.size(); ++i) sum += a[i] * b[i];
    return sum;
}

std::vector<QVector> rowEchelon(std::vector<QVector> rows) {
    const std::size_t n = rows.empty() ? 0 : rows[0].size();
    std::size_t rank = 0;
    for (std::size_t col = 0; col < n && rank < rows.size(); ++col) {
        std::size_t pivot = rank;
        while (pivot < rows.size() && sgn(rows[pivot][col]) == 0) ++pivot;
        if (pivot == rows.size()) continue;
        std::swap(rows[rank], rows[pivot]);
        const mpq_class lead = rows[rank][col];
        for (mpq_class& x : rows[rank]) x /= lead;
        for (std::size_t r = 0; r < rows.size(); ++r) {
            if (r == rank || sgn(rows[r][col]) == 0) continue;
            const mpq_class factor = rows[r][col];
            for (std::size_t c = col; c < n; ++c) rows[r][c] -= factor * rows[rank][c];
        }
        ++rank;
    }
    rows.resize(rank);
    return rows;
}

std::vector<QVector> nullSpace(const std::vector<QVector>& rows, std::size_t n) {
    const std::vector<QVector> echelon = rowEchelon(rows);
    // The pivot column of each row; the other columns are free.
    std::vector<std::size_t> pivots;
    std::vector<bool> isPivot(n, false);
    for (const QVector& row : echelon) {
        std::size_t c = 0;
        while (sgn(row[c]) == 0) ++c;
        pivots.push_back(c);
        isPivot[c] = true;
    }
    std::vector<QVector> basis;
    for (std::size_t free = 0; free < n; ++free) {
        if (isPivot[free]) continue;
        QVector v(n, 0);
        v[free] = 1;
        for (std::size_t r = 0; r < echelon.size(); ++r) v[pivots[r]] = -echelon[r][free];
        basis.push_back(std::move(v));
    }
    return rowEchelon(std::move(basis));
}

std::vector<QVector> orthogonalBasis(const std::vector<QVector>& rows) {
    std::vector<QVector> basis;
    basis.reserve(rows.size());
    for (const QVector& row : rows) basis.push_back(projectOff(row, basis));
    return basis;
}

QVector projectOff(const QVector& v, const std::vector<QVector>& orthogonal) {
    QVector out = v;
    for (const QVector& u : orthogonal) {
        const mpq_class factor = dot(v, u) / dot(u, u);
        for (std::size_t c = 0; c < out.size(); ++c) out[c] -= factor * u[c];
    }
    return out;
}

}  // namespace initform
