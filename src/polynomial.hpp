// Polynomials: terms with unique exponent vectors, stored sparsely, over
// either arithmetic. Like terms combine as they are inserted, through an
// index that finds a term by its exponent vector in constant time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace initform {

// One weight per ring variable.
template <class A>
using WeightVectorOf = std::vector<typename A::Weight>;

// A nonzero exponent of one variable within a term's exponent vector.
template <class A>
struct EntryOf {
    std::uint32_t var;
    typename A::Exponent exp;
};

// A term: its coefficient and its exponent vector, stored sparsely as the
// entries [first, first + count) of the polynomial's entry list, ordered by
// variable index and without zero exponents. Two terms have the same
// exponent vector exactly when their entry lists are equal.
template <class A>
struct TermOf {
    std::size_t first;
    std::uint32_t count;
    typename A::Coeff coeff;
};

// Finds a term by its exponent vector while a polynomial is read, so that
// like terms combine in constant time.
struct KeyIndex {
    struct Slot {
        std::size_t term;
        std::uint32_t hash;
        std::uint32_t stamp;  // slot is in use when it equals KeyIndex::stamp
    };
    std::vector<Slot> slots;
    std::uint32_t stamp = 1;
    std::size_t count = 0;   // terms indexed under the current stamp
    std::uint64_t seed = 0;  // varies the hash, so that crafted keys cannot collide
};

// A polynomial: terms with unique exponent vectors, kept in the order they
// were first read; the printer writes them in ascending key order (exponent
// vectors compared entry by entry, as signed numbers).
template <class A>
struct PolynomialOf {
    std::vector<TermOf<A>> terms;
    std::vector<EntryOf<A>> entries;
    KeyIndex index;
    typename A::CoeffStore coeffs;
};

// The exponent vector of a term.
template <class A>
std::span<const EntryOf<A>> keyOf(const PolynomialOf<A>& p, const TermOf<A>& t) {
    return {p.entries.data() + t.first, t.count};
}

// Empties the index in constant time (slots of older stamps count as free).
inline void forgetTerms(KeyIndex& index) {
    index.count = 0;
    if (++index.stamp == 0) [[unlikely]] {  // once in 2^32 calls: really empty the slots
        for (KeyIndex::Slot& s : index.slots) s.stamp = 0;
        index.stamp = 1;
    }
}
// Makes p empty; its memory stays for the next polynomial. (Inline: the
// loops call it for every polynomial.)
template <class A>
void clearPoly(PolynomialOf<A>& p) {
    p.terms.clear();
    p.entries.clear();
    p.coeffs.clear();
    forgetTerms(p.index);
}
// Inserts the exponent vector stored in the last `count` entries with
// coefficient c, or adds c to the term that already has it.
template <class A>
void insertTerm(PolynomialOf<A>& p, std::uint32_t count, typename A::Coeff c);
// Appends a copy of `from`'s term t to `to`, whose index it leaves alone:
// the caller appends terms whose keys are distinct already.
template <class A>
void appendTerm(const PolynomialOf<A>& from, const TermOf<A>& t, PolynomialOf<A>& to) {
    const std::span<const EntryOf<A>> key = keyOf(from, t);
    // Inserted at the end rather than pushed back: a push_back here would
    // share one out-of-line copy of vector::push_back with insertTerm,
    // which would then pay a call for every term the reader keeps.
    to.terms.insert(to.terms.end(), TermOf<A>{to.entries.size(), t.count, A::copyCoeff(from.coeffs, t.coeff, to.coeffs)});
    to.entries.insert(to.entries.end(), key.begin(), key.end());
}
// Lexicographic comparison of two exponent vectors: negative, 0, positive.
template <class A>
int compareKeys(std::span<const EntryOf<A>> a, std::span<const EntryOf<A>> b);

}  // namespace initform
