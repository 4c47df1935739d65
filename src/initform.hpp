// Shared types of initform: polynomials with 32-bit integer coefficients in
// named variables, their exponent and weight vectors, and the lists of text
// pieces the document is cut into.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace initform {

// One exponent per ring variable, in the order the ring header names them.
using ExponentVector = std::vector<std::int32_t>;
// One weight per ring variable, read from the first argument.
using WeightVector = std::vector<std::int32_t>;
// Pieces of the input document (or of an argument); they point into a
// buffer that outlives the list.
using StringList = std::vector<std::string_view>;

inline constexpr std::size_t npos = std::string_view::npos;

// A nonzero exponent of one variable within a term's exponent vector.
struct Entry {
    std::uint32_t var;
    std::int32_t exp;
};

// A term: its coefficient and its exponent vector, stored sparsely as the
// entries [first, first + count) of the polynomial's entry pool, ordered by
// variable index and without zero exponents. Two terms have the same
// exponent vector exactly when their entry lists are equal.
struct Term {
    std::size_t first;
    std::uint32_t count;
    std::int32_t coeff;
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
struct Polynomial {
    std::vector<Term> terms;
    std::vector<Entry> entries;
    KeyIndex index;
};

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
};

// Restricts reading to the candidates for the initial form: a term whose
// weighted degree is below that of a term already read (or below 0) can
// never be part of it, because like terms share their degree.
struct DegreeFilter {
    std::span<const std::int32_t> weights;
    std::int32_t floor = 0;
};

// Thrown when a factor names no ring variable.
struct UnknownVariable : std::runtime_error {
    explicit UnknownVariable(std::string_view name)
        : std::runtime_error("unknown variable"), name(name) {}
    std::string name;
};

// Collects output and hands it to a stream. A line end is '\n' followed by
// a flush of the stream; between line ends, output is passed on in large
// blocks.
class Writer {
public:
    explicit Writer(std::ostream& out) : out_(out) {}
    void put(char c) { buf_.push_back(c); }
    void put(std::string_view s) { buf_.append(s); }
    void putNumber(std::int32_t n);
    void lineEnd();
    // Passes collected output on without a flush once there is a lot of it.
    void spillIfLarge() {
        if (buf_.size() >= kSpillSize) spill();
    }
    bool ok() const;

private:
    static constexpr std::size_t kSpillSize = std::size_t{1} << 16;
    void spill();
    std::ostream& out_;
    std::string buf_;
};

// --- numbers (text form) ---

// Reads a number the way base-10 strtol reads it into a 64-bit integer
// (leading white space, optional sign, the longest run of digits, clamped to
// the 64-bit range) and keeps its low 32 bits.
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
void findPolyRep(Polynomial& p, std::string_view text, const Variables& vars,
                 DegreeFilter* filter = nullptr);
void addTerm(Polynomial& p, std::string_view term, const Variables& vars,
             DegreeFilter* filter = nullptr);
void printPoly(const Polynomial& p, const StringList& names, Writer& out);
bool printKoeff(std::int32_t c, bool plus, Writer& out);
bool printVars(std::span<const Entry> key, bool star, const StringList& names,
               Writer& out);

// --- polynomial operations ---

inline std::span<const Entry> keyOf(const Polynomial& p, const Term& t) {
    return {p.entries.data() + t.first, t.count};
}
// Empties the index in constant time (slots of older stamps count as free).
void forgetTerms(KeyIndex& index);
void clearPoly(Polynomial& p);
// Inserts the exponent vector stored in the last `count` entries of the
// pool with coefficient c, or adds c to the term that already has it.
void insertTerm(Polynomial& p, std::uint32_t count, std::int32_t c);
// Lexicographic comparison of two exponent vectors: negative, 0, positive.
int compareKeys(std::span<const Entry> a, std::span<const Entry> b);
std::int32_t dot(std::span<const std::int32_t> a, std::span<const std::int32_t> b);
std::int32_t dot(std::span<const Entry> key, std::span<const std::int32_t> weights);
void transformToInitial(Polynomial& p, std::span<const std::int32_t> weights);
Polynomial reducePoly(const Polynomial& p);
// The same, written into `result` (whose storage is reused).
void reducePoly(const Polynomial& p, Polynomial& result);
// The dense exponent vector of a term, for tests and diagnostics.
ExponentVector denseKey(std::span<const Entry> key, std::size_t dimension);

// --- command-line driver ---

// The weights of a non-empty first argument: the text without its first and
// last character, cut at ','.
WeightVector readWeights(std::string_view arg);

// Runs the filter: args are the command-line arguments after the program
// name. Returns the process exit status.
int run(std::span<const std::string_view> args, std::istream& in, std::ostream& out);

}  // namespace initform
