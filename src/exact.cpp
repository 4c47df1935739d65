// The exact arithmetic's numbers: coefficients that move between 64-bit
// integers and GMP rationals, and degrees that move to GMP when they must.
#include "exact.hpp"

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <new>

#include "diagnostics.hpp"
#include "errors.hpp"
#include "writer.hpp"

namespace initform {

namespace {

static_assert(sizeof(long) == 8, "GMP's long must hold a 64-bit integer");

// A free slot of the store, or a new one.
std::uint32_t takeSlot(Exact::CoeffStore& store) {
    // Slots are numbered in 32 bits: more rationals in one polynomial than
    // that is more than this process can hold.
    if (store.used == UINT32_MAX - 1) throw std::bad_alloc();
    if (store.used == store.values.size()) store.values.emplace_back();
    return static_cast<std::uint32_t>(store.used++);
}

// The coefficient held in `slot`, moved back to a 64-bit integer when it is
// one (the slot is given back when it was the last taken).
ExactCoeff settle(Exact::CoeffStore& store, std::uint32_t slot) {
    const mpq_class& q = store.values[slot];
    if (q.get_den() == 1 && q.get_num().fits_slong_p()) {
        if (slot + 1 == store.used) --store.used;
        return {q.get_num().get_si(), 0};
    }
    return {0, slot + 1};
}

void setDigits(mpz_class& z, std::string_view digits, std::string& scratch) {
    scratch.assign(digits);
    mpz_set_str(z.get_mpz_t(), scratch.empty() ? "0" : scratch.c_str(), 10);
}

[[noreturn]] void outOfMemory() {
    ErrorStream(STDERR_FILENO).line({kOutOfMemory});
    ::_exit(1);
}

void* allocate(std::size_t size) {
    void* p = std::malloc(size);
    if (p == nullptr) outOfMemory();
    return p;
}

void* reallocate(void* p, std::size_t, std::size_t size) {
    void* q = std::realloc(p, size);
    if (q == nullptr) outOfMemory();
    return q;
}

void release(void* p, std::size_t) { std::free(p); }

}  // namespace

mpz_class toMpz(Int128 v) {
    const UInt128 mag = magnitude(v);
    const std::uint64_t words[2] = {static_cast<std::uint64_t>(mag), static_cast<std::uint64_t>(mag >> 64)};
    mpz_class z;
    mpz_import(z.get_mpz_t(), 2, -1, sizeof(std::uint64_t), 0, 0, words);
    if (v < 0) z = -z;
    return z;
}

void exitWhenGmpRunsOutOfMemory() { mp_set_memory_functions(allocate, reallocate, release); }

mpq_class readRational(std::string_view text) {
    const Magnitude m = skipToDigits(text);
    std::size_t i = m.digits;
    while (i < text.size() && isDigit(text[i])) ++i;
    mpq_class q;
    if (i == m.digits) return q;  // no digits: 0, whatever follows
    q.get_num().set_str(std::string(text.substr(m.digits, i - m.digits)), 10);
    if (i + 1 < text.size() && text[i] == '/' && isDigit(text[i + 1])) {
        std::size_t end = i + 1;
        while (end < text.size() && isDigit(text[end])) ++end;
        q.get_den().set_str(std::string(text.substr(i + 1, end - i - 1)), 10);
        if (q.get_den() == 0) throw ZeroDenominator(text);
        q.canonicalize();
    }
    if (m.negative) q = -q;
    return q;
}

std::size_t Exact::fastFactors(std::span<const Weight> weights) {
    // With |e| <= 2^32 and |w| <= m, fewer than (2^31 - 1) / m products
    // sum to less than 2^63 in magnitude.
    const std::uint64_t m = largestMagnitude(weights);
    constexpr std::uint64_t kLimit = (std::uint64_t{1} << 31) - 1;
    return m == 0 ? kBoundFactors : std::min<std::size_t>(kBoundFactors, kLimit / m);
}

void Exact::addBig(Degree& d, Int128 product) {
    if (!d.big) d.big = toMpz(d.small);
    *d.big += toMpz(product);
}

void Exact::addDegree(Degree& d, const Degree& e) {
    if (!e.big) return addProduct(d, e.small, 1);
    if (!d.big) d.big = toMpz(d.small);
    *d.big += *e.big;
}

std::strong_ordering compareBig(const ExactDegree& a, const ExactDegree& b) {
    const int c = cmp(a.big ? *a.big : toMpz(a.small), b.big ? *b.big : toMpz(b.small));
    return c < 0 ? std::strong_ordering::less : (c > 0 ? std::strong_ordering::greater : std::strong_ordering::equal);
}

ExactCoeff Exact::makeBigCoeff(CoeffStore& store, CoeffText c) {
    const std::uint32_t slot = takeSlot(store);
    mpq_class& q = store.values[slot];
    setDigits(q.get_num(), c.num(), store.scratch);
    if (c.denSize == 0) {
        q.get_den() = 1;
    } else {
        setDigits(q.get_den(), c.den(), store.scratch);
        // The reader reports this where it reads the term; the check here
        // keeps canonicalize from dividing by zero whatever the caller.
        if (q.get_den() == 0) throw ZeroDenominator({c.digits, c.numSize + 1 + c.denSize});
        q.canonicalize();
    }
    if (c.negative) q = -q;
    return settle(store, slot);
}

void Exact::addCoeff(CoeffStore& store, Coeff& into, Coeff c) {
    if (!into.big && !c.big) {
        std::int64_t sum;
        if (!__builtin_add_overflow(into.small, c.small, &sum)) {
            into.small = sum;
            return;
        }
    }
    if (!into.big) {
        into.big = takeSlot(store) + 1;
        store.values[into.big - 1] = into.small;
    }
    mpq_class& q = store.values[into.big - 1];
    if (c.big) {
        q += store.values[c.big - 1];
    } else {
        // num/den + k = (num + k*den)/den, still in lowest terms.
        const unsigned long mag = c.small < 0 ? 0 - static_cast<unsigned long>(c.small)
                                              : static_cast<unsigned long>(c.small);
        if (c.small < 0) {
            mpz_submul_ui(q.get_num_mpz_t(), q.get_den_mpz_t(), mag);
        } else {
            mpz_addmul_ui(q.get_num_mpz_t(), q.get_den_mpz_t(), mag);
        }
    }
    into = settle(store, into.big - 1);
}

ExactCoeff Exact::copyCoeff(const CoeffStore& from, Coeff c, CoeffStore& to) {
    if (!c.big) return c;
    const std::uint32_t slot = takeSlot(to);
    to.values[slot] = from.values[c.big - 1];
    return {0, slot + 1};
}

mpq_class Exact::valueOf(const CoeffStore& store, Coeff c) {
    return c.big ? store.values[c.big - 1] : mpq_class(mpz_class(static_cast<long>(c.small)));
}

ExactCoeff Exact::coeffOf(CoeffStore& store, const mpq_class& q) {
    const std::uint32_t slot = takeSlot(store);
    store.values[slot] = q;
    return settle(store, slot);
}

void Exact::printCoeff(const CoeffStore& store, Coeff c, Writer& out) {
    if (!c.big) {
        out.putNumber(c.small);
        return;
    }
    const mpq_class& q = store.values[c.big - 1];
    // Digits of both parts, a sign, a '/' and the terminating NUL.
    const std::size_t room = mpz_sizeinbase(q.get_num_mpz_t(), 10) + mpz_sizeinbase(q.get_den_mpz_t(), 10) + 3;
    char* at = out.reserve(room);
    mpq_get_str(at, 10, q.get_mpq_t());
    out.commit(at + std::strlen(at));
}

}  // namespace initform
