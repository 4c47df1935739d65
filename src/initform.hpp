// Shared types of initform: polynomials with integer or rational
// coefficients in named variables, their exponent and weight vectors, and
// the lists of text pieces the document is cut into.
//
// The reader, the operations and the printer are written once, as templates
// over an arithmetic: `Wrapping` computes in 32 bits with wrap-around (the
// default), `Exact` computes over Q without loss (--exact). An arithmetic
// names its number types and the few operations that differ between the two.
#pragma once

#include <gmpxx.h>

#include <compare>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <iosfwd>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace initform {

// Pieces of the input document (or of an argument); they point into a
// buffer that outlives the list.
using StringList = std::vector<std::string_view>;

inline constexpr std::size_t npos = std::string_view::npos;

class Writer;

// --- input errors ---

// An error in the document or in the arguments; the driver writes
// "Bad input: " and the message. The message may hold any byte, NUL included.
struct BadInput : std::exception {
    explicit BadInput(std::string message) : message(std::move(message)) {}
    const char* what() const noexcept override { return "bad input"; }
    std::string message;
};

// A factor names no ring variable.
struct UnknownVariable : BadInput {
    explicit UnknownVariable(std::string_view name)
        : BadInput("Unknown variable '" + std::string(name) + "'"), name(name) {}
    std::string name;
};

// Exact mode: a number, or a sum of exponents, that leaves the 64-bit range.
struct OutOfRange : BadInput {
    OutOfRange(std::string_view what, std::string_view text)
        : BadInput(std::string(what) + " out of range '" + std::string(text) + "'") {}
};

// Exact mode: a coefficient such as 3/0.
struct ZeroDenominator : BadInput {
    explicit ZeroDenominator(std::string_view text)
        : BadInput("Zero denominator '" + std::string(text) + "'") {}
};

// --- the two arithmetics ---

// A term's coefficient as it stands in the text, and the term's sign. A
// term without a coefficient factor has the coefficient 1 or -1 (unit);
// otherwise `digits` holds the numerator's digits, for a fraction followed
// by '/' and the denominator's, and `value` the numerator as a number when
// it has at most kSafeDigits digits. The fields of a unit are left unset:
// every term has a CoeffText, most of them are dropped.
struct CoeffText {
    bool negative = false;
    bool unit = true;
    const char* digits;
    std::size_t numSize;
    std::size_t denSize;  // 0 for an integer
    std::uint64_t value;
    std::string_view num() const { return {digits, numSize}; }
    std::string_view den() const { return {digits + numSize + 1, denSize}; }
};

// Runs of at most this many digits are read in one 64-bit pass without loss.
inline constexpr std::size_t kSafeDigits = 18;

// Numbers of 32 bits that wrap around, as the document format defines them.
struct Wrapping {
    static constexpr bool exact = false;
    using Exponent = std::int32_t;
    using Weight = std::int32_t;
    using Degree = std::int32_t;
    // A degree as the reader sums it, factor by factor: the degree itself.
    using DegreeSum = Degree;
    using Coeff = std::int32_t;
    // Coefficients need no storage beside the terms. The pool notes whether
    // a number read or summed left 32 bits; clear() keeps that note.
    struct Pool {
        bool wrapped = false;
        void clear() {}
    };

    static void addProduct(Degree& d, Exponent e, Weight w) {
        d = static_cast<Degree>(static_cast<std::uint32_t>(d) +
                                static_cast<std::uint32_t>(e) * static_cast<std::uint32_t>(w));
    }
    // A term's exponents are bounded while it is read, as in exact mode:
    // those of several digits are OR-ed into its spread, and a term of more
    // than kFewFactors factors sets kManyFactors there. A term whose spread
    // stays below spreadLimit(weights) has its degree and the sums of its
    // exponents within 32 bits; only the others are checked one by one.
    static constexpr std::size_t kFewFactors = 16;
    static constexpr std::uint64_t kManyFactors = std::uint64_t{1} << 63;
    // The limit for weights up to m in magnitude: kFewFactors exponents
    // below it (or of one digit) times m stay below 2^31. Without weights,
    // exponent sums alone: 2^27.
    static std::uint64_t spreadLimit(std::span<const Weight> weights);
    static constexpr std::uint64_t kExponentLimit = std::uint64_t{1} << 27;
    // sum += e, wrapping around.
    static bool addExponent(Exponent& sum, Exponent e) {
        sum = static_cast<Exponent>(static_cast<std::uint32_t>(sum) + static_cast<std::uint32_t>(e));
        return true;
    }
    static bool subExponent(Exponent& v, Exponent g) {
        v = static_cast<Exponent>(static_cast<std::uint32_t>(v) - static_cast<std::uint32_t>(g));
        return true;
    }
    // An exponent of at most kSafeDigits digits.
    static Exponent exponentFromDigits(std::uint64_t value) {
        return static_cast<Exponent>(static_cast<std::uint32_t>(value));
    }
    // The coefficient; notes in the pool when it leaves 32 bits.
    static Coeff makeCoeff(Pool& pool, const CoeffText& c);
    // 1 or -1 for those coefficients, else 0.
    static int unitSign(Coeff c) { return c == 1 ? 1 : (c == -1 ? -1 : 0); }
    static void addCoeff(Pool& pool, Coeff& into, Coeff c) {
        pool.wrapped |= __builtin_add_overflow(into, c, &into);
    }
    static Coeff copyCoeff(const Pool&, Coeff c, Pool&) { return c; }
    static bool isNegative(const Pool&, Coeff c) { return c < 0; }
    static bool isZero(Coeff c) { return c == 0; }
    // The order key of a degree: the degree itself, or its complement
    // (-d - 1, a bijection that reverses the order) to find the smallest.
    static Degree rank(Degree d, bool smallest) { return smallest ? ~d : d; }
    // The lowest key, where a selection without a floor starts.
    static Degree lowest() { return INT32_MIN; }
    static void printCoeff(const Pool&, Coeff c, Writer& out);
};

__extension__ typedef __int128 Int128;

// An exact weighted degree: in 64 bits while it fits, in GMP beyond.
struct ExactDegree {
    std::int64_t small = 0;
    std::optional<mpz_class> big;  // the value, when set
};
// Compares degrees of which at least one is held in GMP.
std::strong_ordering compareBig(const ExactDegree& a, const ExactDegree& b);
inline std::strong_ordering operator<=>(const ExactDegree& a, const ExactDegree& b) {
    if (a.big || b.big) [[unlikely]] return compareBig(a, b);
    return a.small < b.small ? std::strong_ordering::less
                             : (b.small < a.small ? std::strong_ordering::greater : std::strong_ordering::equal);
}
inline bool operator==(const ExactDegree& a, const ExactDegree& b) { return (a <=> b) == 0; }
// The reader's test, written out so that it costs one comparison.
inline bool operator<(const ExactDegree& a, const ExactDegree& b) {
    if (a.big || b.big) [[unlikely]] return compareBig(a, b) < 0;
    return a.small < b.small;
}

// An exact coefficient: a 64-bit integer, or a rational kept in the
// polynomial's pool. A value that fits the integer is always kept there.
struct ExactCoeff {
    std::int64_t small = 0;
    std::uint32_t big = 0;  // 0: `small` is the value; k: pool slot k - 1
};

// Rationals of any size, exponents and weights of 64 bits (--exact).
struct Exact {
    static constexpr bool exact = true;
    using Exponent = std::int64_t;
    using Weight = std::int64_t;
    using Degree = ExactDegree;
    // A degree summed factor by factor in 64 bits with wrap-around, as in
    // the default mode: it is the exact degree for a term that fastFactors
    // admits, and summed again exactly for any other.
    using DegreeSum = std::uint64_t;
    using Coeff = ExactCoeff;
    // The rationals of one polynomial. Slots are reused from one polynomial
    // to the next, so that their memory is allocated once.
    struct Pool {
        std::deque<mpq_class> values;
        std::size_t used = 0;
        std::string scratch;  // digits being converted
        void clear() { used = 0; }
    };

    static void addProduct(Degree& d, Exponent e, Weight w) {
        const Int128 product = static_cast<Int128>(e) * w;  // |e|, |w| <= 2^63: fits
        const Int128 sum = d.small + product;                 // and so does this
        if (d.big || sum != static_cast<std::int64_t>(sum)) [[unlikely]] {
            addBig(d, product);
        } else {
            d.small = static_cast<std::int64_t>(sum);
        }
    }
    // d += product, in GMP.
    static void addBig(Degree& d, Int128 product);
    static void addProduct(DegreeSum& d, Exponent e, Weight w) {
        d += static_cast<std::uint64_t>(e) * static_cast<std::uint64_t>(w);
    }
    // A term's exponents are bounded while it is read: each plus
    // kSpreadOffset is OR-ed into a word, its spread, which stays below
    // 2^kSpreadBits while every exponent lies in [-2^32, 2^32).
    static constexpr std::uint64_t kSpreadOffset = std::uint64_t{1} << 32;
    static constexpr unsigned kSpreadBits = 33;
    static void addSpread(std::uint64_t& spread, Exponent e) {
        spread |= static_cast<std::uint64_t>(e) + kSpreadOffset;
    }
    // Fewer than this many such exponents sum to less than 2^62 in magnitude.
    static constexpr std::size_t kSpreadFactors = std::size_t{1} << 30;
    // The number of factors below which a term whose spread is in bounds has
    // its 64-bit DegreeSum exact, for these weights: it is 0 when the
    // weights leave [-2^31, 2^31), so that every degree is summed again.
    static std::size_t fastFactors(std::span<const Weight> weights);
    // True when the exponents of a term of `factors` factors with this
    // spread sum without leaving their range.
    static bool exponentsSafe(std::uint64_t spread, std::size_t factors) {
        return (spread >> kSpreadBits) == 0 && factors < kSpreadFactors;
    }
    static bool addExponent(Exponent& sum, Exponent e) { return !__builtin_add_overflow(sum, e, &sum); }
    static bool subExponent(Exponent& v, Exponent g) { return !__builtin_sub_overflow(v, g, &v); }
    static std::optional<Exponent> readInteger(std::string_view text);
    static Exponent exponentFromDigits(std::uint64_t value) {
        return static_cast<Exponent>(value);  // below 10^18: exact
    }
    static Coeff makeCoeff(Pool& pool, const CoeffText& c);
    static int unitSign(Coeff c) {
        return c.big != 0 || (c.small != 1 && c.small != -1) ? 0 : static_cast<int>(c.small);
    }
    // A rational in the pool is never an integer that fits `small`, so 0 is there.
    static bool isZero(Coeff c) { return c.big == 0 && c.small == 0; }
    static Degree rank(Degree d, bool smallest) {
        if (!smallest) return d;
        if (d.big) {
            mpz_com(d.big->get_mpz_t(), d.big->get_mpz_t());
        } else {
            d.small = ~d.small;
        }
        return d;
    }
    // Where a selection without a floor starts. Degrees below it (beyond
    // 64 bits) are dropped by the filter; a polynomial left without terms
    // is then read again and selected exactly.
    static Degree lowest() { return {INT64_MIN, std::nullopt}; }
    static void addCoeff(Pool& pool, Coeff& into, Coeff c);
    static Coeff copyCoeff(const Pool& from, Coeff c, Pool& to);
    static bool isNegative(const Pool& pool, Coeff c) {
        return c.big ? sgn(pool.values[c.big - 1]) < 0 : c.small < 0;
    }
    static void printCoeff(const Pool& pool, Coeff c, Writer& out);
};

// Reads a number the way base-10 strtol reads it (leading white space, an
// optional sign, the longest run of digits, no digits is 0); nullopt when
// its value leaves the signed 64-bit range.
std::optional<std::int64_t> readExact64(std::string_view text);

// Reads a number as readExact64 does, of any size, and when its digits are
// followed by '/' and more digits, the fraction they make. Throws
// ZeroDenominator (naming the whole text) for a denominator of 0.
mpq_class readRational(std::string_view text);

template <class A>
struct EntryOf;
// The exact degree of a term under weights of any size.
ExactDegree bigDot(std::span<const EntryOf<Exact>> key, std::span<const mpz_class> weights);

// --- polynomials ---

// One exponent per ring variable, in the order the ring header names them.
template <class A>
using ExponentVectorOf = std::vector<typename A::Exponent>;
// One weight per ring variable, read from the first argument.
template <class A>
using WeightVectorOf = std::vector<typename A::Weight>;

// A nonzero exponent of one variable within a term's exponent vector.
template <class A>
struct EntryOf {
    std::uint32_t var;
    typename A::Exponent exp;
};

// A term: its coefficient and its exponent vector, stored sparsely as the
// entries [first, first + count) of the polynomial's entry pool, ordered by
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
    std::size_t count = 0;  // terms indexed under the current stamp
    std::uint64_t seed = 0; // varies the hash, so that crafted keys cannot collide
};

// A polynomial: terms with unique exponent vectors. The terms are kept in
// the order they were first read; printPoly writes them in ascending key
// order (exponent vectors compared entry by entry, as signed numbers).
template <class A>
struct PolynomialOf {
    std::vector<TermOf<A>> terms;
    std::vector<EntryOf<A>> entries;
    KeyIndex index;
    typename A::Pool pool;
};

using ExponentVector = ExponentVectorOf<Wrapping>;
using WeightVector = WeightVectorOf<Wrapping>;
using Entry = EntryOf<Wrapping>;
using Term = TermOf<Wrapping>;
using Polynomial = PolynomialOf<Wrapping>;
using ExactPolynomial = PolynomialOf<Exact>;

// The ring's variable names with a hash table for finding a factor's name.
// A name that occurs twice is found at its first position.
struct Variables {
    struct Slot {
        std::uint64_t hash;
        std::uint32_t var;  // name position + 1; 0 marks a free slot
        std::uint32_t size; // the name's length, capped at 2^32 - 1
    };
    StringList names;
    std::vector<Slot> slots;  // a power of two of them
    unsigned shift = 0;       // a hash's slot is hash >> shift
    std::uint64_t seed = 0;   // varies the hash, so that crafted names cannot collide
    // Names of one or two bytes, found without hashing: name position
    // (kNoShortName for none) at shortNameIndex of the name's bytes.
    std::vector<std::uint32_t> shortNames;
    static constexpr std::uint32_t kNoShortName = UINT32_MAX;
};

// Which terms make up an initial form: the rule of one query.
struct Selection {
    // Degrees below 0 never count: a polynomial whose terms all have
    // negative degrees has no initial form (the document format's rule).
    bool floorAtZero = true;
    // The terms of smallest degree rather than largest.
    bool smallest = false;
    // A term whose coefficient is 0 once like terms are combined is no term.
    bool dropZeros = false;
};
// The document format's rule: largest degree, never below 0, zeros count.
inline constexpr Selection kClassic{};
// The textbook rules of --max and --min.
inline constexpr Selection kLargest{false, false, true};
inline constexpr Selection kSmallest{false, true, true};

// A query: the weights and the selection rule. While a polynomial is read it
// restricts reading to the candidates for the initial form: a term whose
// rank (its degree, or for the smallest its complement) is below that of a
// term already read (or below the floor) can never be part of it, because
// like terms share their degree. A term of a higher rank clears those read
// before, so a polynomial read from empty holds its initial form at the end.
template <class A>
struct DegreeFilterOf {
    explicit DegreeFilterOf(std::span<const typename A::Weight> w, Selection r = kClassic,
                            std::span<const mpz_class> big = {})
        : weights(w), rule(r), bigWeights(big) {
        if constexpr (A::exact) {
            fastFactors = big.empty() ? A::fastFactors(w) : 0;
        } else {
            spreadLimit = A::spreadLimit(w);
        }
        rankMask = r.smallest ? -1 : 0;
        restart();
    }
    // Where each polynomial starts: at 0, or below every degree.
    void restart() {
        if constexpr (A::exact) {
            floor.small = rule.floorAtZero ? 0 : A::lowest().small;
            if (floor.big) floor.big.reset();
        } else {
            floor = rule.floorAtZero ? 0 : A::lowest();
        }
    }
    // Raises the floor to the rank of a term kept. In exact mode a floor
    // beyond 64 bits keeps in `small` the 64-bit value nearest to it, so
    // that the reader compares a 64-bit rank with `small` alone.
    void raise(typename A::Degree&& rank) {
        floor = std::move(rank);
        if constexpr (A::exact) {
            if (floor.big) [[unlikely]] floor.small = sgn(*floor.big) < 0 ? INT64_MIN : INT64_MAX;
        }
    }
    std::span<const typename A::Weight> weights;
    Selection rule;
    // Exact mode: the weights themselves when some leave 64 bits (`weights`
    // then holds nothing useful, and every degree is summed from these).
    std::span<const mpz_class> bigWeights;
    typename A::Degree floor{};
    // All ones for the smallest degree, else 0: a degree of 64 bits or less
    // XOR-ed with it is its rank (the complement is -d - 1).
    std::int64_t rankMask = 0;
    // Exact mode: terms of fewer factors, with exponents in bounds, have
    // their degree summed in 64 bits (Exact::fastFactors).
    std::size_t fastFactors = 0;
    // Default mode: a term whose spread is below this cannot wrap
    // (Wrapping::spreadLimit); a degree read through the filter wrapped.
    std::uint64_t spreadLimit = Wrapping::kExponentLimit;
    bool wrapped = false;
};
using DegreeFilter = DegreeFilterOf<Wrapping>;

// A filter of zero weights: every term has the degree 0, so it keeps every
// term, for reading a polynomial whole.
template <class A>
struct WholeFilterOf {
    explicit WholeFilterOf(std::size_t variables) : zeros(variables), filter(zeros) {}
    WholeFilterOf(const WholeFilterOf&) = delete;  // `filter` points into `zeros`
    WholeFilterOf& operator=(const WholeFilterOf&) = delete;
    WeightVectorOf<A> zeros;
    DegreeFilterOf<A> filter;
};

// Collects output and hands it on, to a stream or to a file descriptor. A
// line end is '\n' followed by a flush: to a descriptor, one write(2) per
// line; between line ends, output is passed on in large blocks.
class Writer {
public:
    explicit Writer(std::ostream& out) : out_(&out) {}
    explicit Writer(int fd) : fd_(fd) {}
    void put(char c) {
        *reserve(1) = c;
        ++size_;
    }
    void put(std::string_view s);
    void putNumber(std::int64_t n) {
        // Most exponents and coefficients have one or two digits.
        if (static_cast<std::uint64_t>(n) < 10) return put(static_cast<char>('0' + n));
        if (static_cast<std::uint64_t>(n) < 100) {
            char* to = reserve(2);
            to[0] = static_cast<char>('0' + n / 10);
            to[1] = static_cast<char>('0' + n % 10);
            size_ += 2;
            return;
        }
        putLongNumber(n);
    }
    // Room for n more characters; `commit` keeps those written before `end`.
    char* reserve(std::size_t n) {
        if (capacity_ - size_ < n) grow(n);
        return buf_.get() + size_;
    }
    void commit(const char* end) { size_ = static_cast<std::size_t>(end - buf_.get()); }
    void lineEnd();
    // Whether every line end flushes (the default); without it only
    // flush() and a full buffer pass output on.
    void flushEachLine(bool on) { flushLines_ = on; }
    void flush();
    // Passes collected output on without a flush once there is a lot of it.
    void spillIfLarge() {
        if (size_ >= kSpillSize) spill();
    }
    bool ok() const;
    // The errno of a failed write to a descriptor (0 for none).
    int error() const { return error_; }

private:
    static constexpr std::size_t kSpillSize = std::size_t{1} << 16;
    void spill();
    void grow(std::size_t n);
    void putLongNumber(std::int64_t n);  // the numbers putNumber does not write inline
    std::ostream* out_ = nullptr;
    int fd_ = -1;
    int error_ = 0;
    bool flushLines_ = true;
    // The collected output: a plain buffer, so that a short piece is copied
    // inline rather than by a call.
    std::unique_ptr<char[]> buf_;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

// --- numbers (text form) ---

// Reads a number the way base-10 strtol reads it into a 64-bit integer:
// leading white space, optional sign, the longest run of digits, clamped to
// the 64-bit range.
std::int64_t readNumber64(std::string_view text);
// The same, keeping only the low 32 bits.
std::int32_t readNumber(std::string_view text);

// --- polynomial text form ---

void populate(StringList& list, std::string_view text, char delimiter);
std::size_t nextDelimiter(std::size_t start, std::string_view text);
// The seed only changes where names are stored, never what is found: with a
// seed nobody knows, no set of names can be made to collide in the table.
Variables makeVariables(StringList names, std::uint64_t seed = 0);
std::size_t findVariable(const Variables& vars, std::string_view name);
// The same for a name whose hash (by hashName with the table's seed) is known.
std::size_t findVariable(const Variables& vars, std::string_view name, std::uint64_t hash);
std::uint64_t hashName(std::string_view name, std::uint64_t seed);
// The bytes that may follow a polynomial text in memory: the ',' after it
// in the list, the '}' that closes the list, the NUL after a std::string or
// after the document.
inline constexpr char kTerminators[] = {',', '}', '\0'};
// A text whose next byte in memory is readable and one of kTerminators, so
// that it can be read without bounds checks.
struct TerminatedText {
    std::string_view view;
};
// Reads a polynomial text into p, adding to its terms. With a filter, only
// the terms that can still be part of the initial form are kept.
template <class A>
void findPolyRep(PolynomialOf<A>& p, TerminatedText text, const Variables& vars,
                 DegreeFilterOf<A>* filter = nullptr);
// The same through a filter that must be there.
template <class A>
void findPolyRep(PolynomialOf<A>& p, TerminatedText text, const Variables& vars, DegreeFilterOf<A>& filter);
// The same for any text (read from a terminated copy).
template <class A>
void findPolyRep(PolynomialOf<A>& p, std::string_view text, const Variables& vars,
                 DegreeFilterOf<A>* filter = nullptr);
// Reads one term (the whole text) into p.
template <class A>
void addTerm(PolynomialOf<A>& p, std::string_view term, const Variables& vars,
             DegreeFilterOf<A>* filter = nullptr);
template <class A>
void printPoly(const PolynomialOf<A>& p, const StringList& names, Writer& out);
// Writes a term's sign and coefficient; true when a '*' must come before a
// variable that follows.
template <class A>
bool printKoeff(const typename A::Pool& pool, typename A::Coeff c, bool plus, Writer& out);
template <class A>
bool printVars(std::span<const EntryOf<A>> key, bool star, const StringList& names, Writer& out);

// --- polynomial operations ---

template <class A>
std::span<const EntryOf<A>> keyOf(const PolynomialOf<A>& p, const TermOf<A>& t) {
    return {p.entries.data() + t.first, t.count};
}
// Empties the index in constant time (slots of older stamps count as free).
void forgetTerms(KeyIndex& index);
template <class A>
void clearPoly(PolynomialOf<A>& p);
// Inserts the exponent vector stored in the last `count` entries of the
// pool with coefficient c, or adds c to the term that already has it.
template <class A>
void insertTerm(PolynomialOf<A>& p, std::uint32_t count, typename A::Coeff c);
// Lexicographic comparison of two exponent vectors: negative, 0, positive.
template <class A>
int compareKeys(std::span<const EntryOf<A>> a, std::span<const EntryOf<A>> b);
std::int32_t dot(std::span<const std::int32_t> a, std::span<const std::int32_t> b);
// The weighted degree of a term.
template <class A>
typename A::Degree dot(std::span<const EntryOf<A>> key, std::span<const typename A::Weight> weights);
// Cuts p down to its initial form under the query's rule (the classic rule
// for plain weights).
template <class A>
void transformToInitial(PolynomialOf<A>& p, const DegreeFilterOf<A>& query);
template <class A>
void transformToInitial(PolynomialOf<A>& p, std::span<const typename A::Weight> weights);
// The weighted degree of a term under a query's weights, of any size
// (inline: the reader calls it for every term it sums again).
template <class A>
typename A::Degree degreeOf(std::span<const EntryOf<A>> key, const DegreeFilterOf<A>& query) {
    if constexpr (A::exact) {
        if (!query.bigWeights.empty()) return bigDot(key, query.bigWeights);
    }
    return dot<A>(key, query.weights);
}
// The rank of a term under a query: its degree, or the complement for the smallest.
template <class A>
typename A::Degree rankOf(std::span<const EntryOf<A>> key, const DegreeFilterOf<A>& query);
// Collects in `chosen` the positions of the terms [first, last) of p that
// make up their initial form under the query's rule. Returns whether, in the
// default mode, a degree left 32 bits.
template <class A>
bool selectInitial(const PolynomialOf<A>& p, std::size_t first, std::size_t last, const DegreeFilterOf<A>& query,
                   std::vector<std::size_t>& chosen);
// Removes the terms whose coefficient is 0; true when none is left.
template <class A>
bool dropZeroTerms(PolynomialOf<A>& p);
template <class A>
PolynomialOf<A> reducePoly(const PolynomialOf<A>& p);
// The same, written into `result` (whose storage is reused).
template <class A>
void reducePoly(const PolynomialOf<A>& p, PolynomialOf<A>& result);
// The dense exponent vector of a term, for tests and diagnostics.
template <class A>
ExponentVectorOf<A> denseKey(std::span<const EntryOf<A>> key, std::size_t dimension);

// --- lenient reading (--lenient) ---

// The document as computer algebra systems print it, rewritten into the
// canonical text form: white space removed, "**" as '^', and in the
// polynomial list no leading '+', coefficients out of parentheses, p//q as
// p/q, and a term's trailing "/digits" moved into its coefficient.
// nullopt when the text is canonical already.
std::optional<std::string> normalizeLenient(std::string_view text);
// True for digits '/' digits, the text of a fraction.
bool isFractionText(std::string_view text);

// --- command-line driver ---

// The weights of one query as an arithmetic holds them.
template <class A>
struct WeightsOf {
    WeightVectorOf<A> values;
    // Exact mode: the weights, scaled to integers, when one of them leaves
    // 64 bits (`values` then holds zeros).
    std::vector<mpz_class> big;
    // Default mode: a weight left 32 bits and wrapped around.
    bool wrapped = false;
};

// The weights of a vector text: the text without its first and last
// character, cut at ','. Each piece is read like a C integer; with --exact
// it may be a fraction p/q and of any size, and the weights are scaled by
// the least common multiple of their denominators (which changes no initial
// form). Throws ZeroDenominator for a piece such as 1/0.
template <class A = Wrapping>
WeightsOf<A> readWeights(std::string_view arg);

// Everything the command line says, read once.
struct Options {
    enum class Action { Missing, MissingFile, Help, Version, Filter, Many };
    Action action = Action::Filter;
    std::string_view vector;       // the weight vector text (Filter)
    std::string_view weightsFile;  // the file of weight vectors (Many)
    bool reduce = false;
    bool ring = false;
    bool exact = false;
    bool largest = false;  // --max
    bool smallest = false; // --min
    bool lenient = false;  // --lenient
    // The selection rule the switches ask for.
    Selection rule() const { return largest ? kLargest : (smallest ? kSmallest : kClassic); }
};
// Reads the arguments after the program name. The switches follow the
// vector (or the file of --weights). Any of the filter's own switches
// other than --reduce and --ring makes every switch count wherever it
// stands; otherwise only the first two positions count. Other arguments
// are ignored.
Options parseOptions(std::span<const std::string_view> args);

// Where everything the program reports goes: the messages of bad input on
// standard output, through the Writer, with the output they follow; the
// one warning of the default mode on standard error, at the end of a run.
class Diagnostics {
public:
    Diagnostics(Writer& out, std::ostream* err) : out(out), err_(err) {}
    // A message line on standard output.
    void line(std::string_view text);
    void badInput(const BadInput& error);
    // Notes that a number or a sum left 32 bits and wrapped around.
    void noteWrap(bool wrapped) { wrapped_ |= wrapped; }
    // With --lenient but without --exact, a fraction read as a variable is
    // reported as a fraction that needs --exact.
    bool fractionsNeedExact = false;
    bool wrapped() const { return wrapped_; }
    // Writes the warning, if any, to standard error.
    void finish();
    Writer& out;

private:
    std::ostream* err_;
    bool wrapped_ = false;
};
// The warning line of the default mode.
inline constexpr std::string_view kWrapWarning =
    "initform: warning: numbers left the 32-bit range and wrapped around; --exact computes them exactly";

// A seed for the hash tables that differs from run to run, so that no
// input can be crafted to make lookups slow. It changes no output.
std::uint64_t hashSeed();

// Runs the filter: args are the command-line arguments after the program
// name. Returns the process exit status. The warning goes to `err` (none
// with the overloads without it).
int run(std::span<const std::string_view> args, std::istream& in, Writer& out, std::ostream* err);
int run(std::span<const std::string_view> args, std::istream& in, Writer& out);
int run(std::span<const std::string_view> args, std::istream& in, std::ostream& out);

}  // namespace initform
