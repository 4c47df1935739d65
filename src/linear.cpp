// Exact linear algebra over Q.
#include "linear.hpp"

#include <utility>

namespace initform {

namespace {

// Gauss-Jordan elimination over the columns in the order given: the rows
// left are independent, each with a 1 in its pivot column where the others
// have 0. Rows without an entry in a column are passed over, so sparse rows
// cost little. Returns the pivots, in the order the rows are left.
template <class Columns>
std::vector<std::size_t> eliminate(std::vector<QVector>& rows, const Columns& columns) {
    std::vector<std::size_t> pivots;
    std::size_t rank = 0;
    for (const std::size_t col : columns) {
        if (rank == rows.size()) break;
        std::size_t pivot = rank;
        while (pivot < rows.size() && sgn(rows[pivot][col]) == 0) ++pivot;
        if (pivot == rows.size()) continue;
        std::swap(rows[rank], rows[pivot]);
        QVector& lead = rows[rank];
        const mpq_class scale = lead[col];
        for (mpq_class& x : lead) {
            if (sgn(x) != 0) x /= scale;
        }
        for (std::size_t r = 0; r < rows.size(); ++r) {
            if (r == rank || sgn(rows[r][col]) == 0) continue;
            const mpq_class factor = rows[r][col];
            for (std::size_t c = 0; c < lead.size(); ++c) {
                if (sgn(lead[c]) != 0) rows[r][c] -= factor * lead[c];
            }
        }
        pivots.push_back(col);
        ++rank;
    }
    rows.resize(rank);
    return pivots;
}

// The columns 0 .. n-1, forwards or backwards.
struct ColumnRange {
    std::size_t n;
    bool backwards;
    struct Iterator {
        std::size_t k;
        const ColumnRange* range;
        std::size_t operator*() const { return range->backwards ? range->n - 1 - k : k; }
        Iterator& operator++() { return ++k, *this; }
        bool operator!=(const Iterator& o) const { return k != o.k; }
    };
    Iterator begin() const { return {0, this}; }
    Iterator end() const { return {n, this}; }
};

}  // namespace

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
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (sgn(a[i]) != 0 && sgn(b[i]) != 0) sum += a[i] * b[i];
    }
    return sum;
}

std::vector<QVector> rowEchelon(std::vector<QVector> rows) {
    eliminate(rows, ColumnRange{rows.empty() ? 0 : rows[0].size(), false});
    return rows;
}

Span spanOf(std::vector<QVector> rows, std::size_t n) {
    Span s{std::move(rows), {}, n};
    s.pivots = eliminate(s.basis, ColumnRange{n, true});
    return s;
}

namespace {

// Whether each column is a pivot of the span.
std::vector<bool> pivotColumns(const Span& span) {
    std::vector<bool> isPivot(span.n, false);
    for (const std::size_t p : span.pivots) isPivot[p] = true;
    return isPivot;
}

// The complement's row of a free column: e_f less the column's entries at
// the pivots. With the pivots taken backwards, a basis row has entries only
// up to its pivot, so the row starts with its 1 at f and is 0 at every other
// free column: the rows come out in reduced row echelon form.
QVector complementRow(const Span& span, std::size_t free) {
    QVector v(span.n);
    v[free] = 1;
    for (std::size_t r = 0; r < span.basis.size(); ++r) {
        if (sgn(span.basis[r][free]) != 0) v[span.pivots[r]] = -span.basis[r][free];
    }
    return v;
}

}  // namespace

std::vector<QVector> complementOf(const Span& span) {
    const std::vector<bool> isPivot = pivotColumns(span);
    std::vector<QVector> basis;
    for (std::size_t free = 0; free < span.n; ++free) {
        if (!isPivot[free]) basis.push_back(complementRow(span, free));
    }
    return basis;
}

std::vector<IntVector> primitiveComplementOf(const Span& span) {
    // A row at a time: the rational rows are never all held.
    const std::vector<bool> isPivot = pivotColumns(span);
    std::vector<IntVector> basis;
    for (std::size_t free = 0; free < span.n; ++free) {
        if (!isPivot[free]) basis.push_back(primitive(complementRow(span, free)));
    }
    return basis;
}

std::vector<QVector> nullSpace(const std::vector<QVector>& rows, std::size_t n) {
    return complementOf(spanOf(rows, n));
}

OrthogonalBasis orthogonalBasis(const std::vector<QVector>& rows) {
    OrthogonalBasis basis;
    basis.vectors.reserve(rows.size());
    for (const QVector& row : rows) {
        basis.vectors.push_back(projectOff(row, basis));
        basis.norms.push_back(dot(basis.vectors.back(), basis.vectors.back()));
    }
    return basis;
}

QVector projectOff(const QVector& v, const OrthogonalBasis& orthogonal) {
    QVector out = v;
    for (std::size_t k = 0; k < orthogonal.vectors.size(); ++k) {
        const QVector& u = orthogonal.vectors[k];
        const mpq_class along = dot(v, u);
        if (sgn(along) == 0) continue;
        const mpq_class factor = along / orthogonal.norms[k];
        for (std::size_t c = 0; c < out.size(); ++c) {
            if (sgn(u[c]) != 0) out[c] -= factor * u[c];
        }
    }
    return out;
}

Projection::Projection(const Span& span) : ofSpan_(2 * span.basis.size() <= span.n) {
    basis_ = orthogonalBasis(ofSpan_ ? span.basis : complementOf(span));
}

QVector Projection::operator()(const QVector& v) const {
    if (!ofSpan_) return projectOff(v, basis_);
    QVector out(v.size());
    const QVector off = projectOff(v, basis_);
    for (std::size_t c = 0; c < v.size(); ++c) out[c] = v[c] - off[c];
    return out;
}

}  // namespace initform
