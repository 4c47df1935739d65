// Selecting the terms of an initial form.
#include "query.hpp"

#include <algorithm>
#include <optional>

#include "exact.hpp"
#include "valued.hpp"

namespace initform {

template <class A>
bool dropCancelled(PolynomialOf<A>& p, const QueryOf<A>& query) {
    const auto cancelled = [&](const TermOf<A>& t) {
        if (A::isZero(t.coeff)) return true;
        if constexpr (A::valued) return rankOf(p, t, query) < query.floor;
        return false;
    };
    p.terms.erase(std::remove_if(p.terms.begin(), p.terms.end(), cancelled), p.terms.end());
    forgetTerms(p.index);  // positions changed
    return p.terms.empty();
}

template <class A>
void selectInitial(const PolynomialOf<A>& p, std::size_t first, std::size_t last, const QueryOf<A>& query,
                   std::vector<std::size_t>& chosen) {
    chosen.clear();
    // The classic rule never takes a rank below 0; the others start at
    // the first counted term's rank.
    std::optional<typename A::Degree> max;
    if (query.rule.floorAtZero) max.emplace();
    for (std::size_t k = first; k < last; ++k) {
        const TermOf<A>& t = p.terms[k];
        // Every term's degree is checked, as the reader checks every term it
        // reads, also one whose coefficient cancelled.
        A::checkDegree(keyOf(p, t), query.weights, query.notes);
        if (query.rule.dropZeros && A::isZero(t.coeff)) continue;
        typename A::Degree r = rankOf<A>(p, t, query);
        if (max && r < *max) continue;
        if (!max || *max < r) {
            max = std::move(r);
            chosen.clear();
        }
        chosen.push_back(k);
    }
}

template <class A>
void transformToInitial(PolynomialOf<A>& p, const QueryOf<A>& query) {
    std::vector<std::size_t> chosen;
    selectInitial(p, 0, p.terms.size(), query, chosen);
    std::size_t out = 0;
    for (std::size_t k : chosen) p.terms[out++] = p.terms[k];  // k >= out: in place
    p.terms.resize(out);
    // Positions changed; the index is rebuilt if more terms are added.
    forgetTerms(p.index);
}

#define INITFORM_QUERY(A)                                                                                      \
    template bool dropCancelled<A>(PolynomialOf<A>&, const QueryOf<A>&);                                       \
    template void selectInitial<A>(const PolynomialOf<A>&, std::size_t, std::size_t, const QueryOf<A>&,        \
                                   std::vector<std::size_t>&);                                                 \
    template void transformToInitial<A>(PolynomialOf<A>&, const QueryOf<A>&);
INITFORM_QUERY(Wrapping)
INITFORM_QUERY(Exact)
INITFORM_QUERY(Valued)
#undef INITFORM_QUERY

}  // namespace initform
