// The command-line driver: arguments, reading and checking the document,
// the loop over its polynomials, and the output framing.
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <istream>
#include <random>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "initform.hpp"

#if __has_include(<sys/mman.h>)
#include <sys/mman.h>
#endif

#ifdef INITFORM_MAIN
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <new>

#include <unistd.h>
#endif

namespace initform {

namespace {

// Removes every '\n' from data[0, size) in place; returns the new size.
std::size_t removeLineEnds(char* data, std::size_t size) {
    char* out = static_cast<char*>(std::memchr(data, '\n', size));
    if (out == nullptr) return size;
    const char* in = out + 1;
    const char* end = data + size;
    while (in < end) {
        const char* nl = static_cast<const char*>(std::memchr(in, '\n', static_cast<std::size_t>(end - in)));
        const char* stop = nl ? nl : end;
        std::memmove(out, in, static_cast<std::size_t>(stop - in));
        out += stop - in;
        in = stop + 1;
    }
    return static_cast<std::size_t>(out - data);
}

constexpr std::string_view kNeedArgument = "Need argument: exponentvector.";
constexpr std::string_view kNeedWeightsFile = "Need argument: weights file.";

#ifndef INITFORM_VERSION
#define INITFORM_VERSION "unknown"
#endif

constexpr std::string_view kUsage[] = {
    "Usage: initform VECTOR [--reduce] [--ring] [--exact] [--max | --min] [--lenient] < DOCUMENT",
    "       initform --weights FILE [switches] < DOCUMENT",
    "Prints the initial form of each polynomial of DOCUMENT with respect to the",
    "integer weight vector VECTOR: its terms of largest weighted degree (0 or more).",
    "",
    "  VECTOR     one integer weight per ring variable, separated by commas; its",
    "             first and last characters are dropped, as in '(1,-2,0)'",
    "  --reduce   divide each initial form by the largest monomial dividing its terms",
    "  --ring     also write the ring header and '}': the output is again a document",
    "  --exact    compute over Q exactly: coefficients of any size and fractions",
    "             such as 1/2, 64-bit exponents, weights of any size and fractions;",
    "             without it, numbers are 32-bit and wrap around",
    "  --max      the textbook initial form: the terms of largest degree, whatever",
    "             its sign; coefficients that cancel to 0 are no terms",
    "  --min      the same with the smallest degree (the tropical convention)",
    "  --lenient  read what computer algebra systems print: white space anywhere,",
    "             ** for ^, a leading +, (10/9)*x, 1//2*x, x/10 (fractions need",
    "             --exact); with Singular set short=0 first",
    "  --weights FILE  one weight vector per line of FILE, over one reading of",
    "             DOCUMENT: each answer as its own run prints it, the next line of",
    "             FILE read only once the answer is written (FILE may be a pipe);",
    "             the run stops after the first answer that fails",
    "With --exact, --max, --min or --lenient the switches count in any position after VECTOR",
    "(or FILE), otherwise only in the next two. --max and --min exclude each other.",
    "Example: for x^2+y^2+2*x+2*y and the weights (-1,-1) the classic rule prints 0,",
    "--max prints 2*y+2*x and --min prints y^2+x^2.",
    "",
    "Document: Q[x,y,...]{polynomial,polynomial,...}, line ends ignored",
    "Example:  echo 'Q[x,y]{3*x^2*y-x+2,x*y+2*y*x}' | initform '(1,1)'",
    "          prints 3*x^2*y, and 3*x*y on two lines",
    "",
    "Messages of bad input go to standard output. Without --exact, a run in which",
    "a number or a weighted degree left 32 bits ends with one warning line on",
    "standard error; a failed write is also reported there.",
    "Exit status: 0 on success, 1 on bad input or a failed write, 255 without VECTOR",
    "(or without FILE after --weights).",
};

#if defined(MAP_ANONYMOUS) && defined(MADV_HUGEPAGE)
#define INITFORM_HUGE_PAGES 1
#endif

// Frees a buffer of allocateText: one it mapped (`mapped` bytes), or one
// from malloc.
struct FreeText {
    std::size_t mapped = 0;
    void operator()(char* p) const {
#ifdef INITFORM_HUGE_PAGES
        if (mapped != 0) {
            ::munmap(p, mapped);
            return;
        }
#endif
        std::free(p);
    }
};
using TextBuffer = std::unique_ptr<char[], FreeText>;

// Room for `size` bytes of input. A large buffer is mapped on its own and
// advised to be backed by huge pages where the system offers them: the
// input is written into it once from end to end, and a fault for every
// 4 KB page of it costs more than copying the bytes.
TextBuffer allocateText(std::size_t size) {
#ifdef INITFORM_HUGE_PAGES
    constexpr std::size_t kHuge = std::size_t{1} << 21;
    if (size >= kHuge && size <= SIZE_MAX - kHuge) {
        const std::size_t rounded = (size + kHuge - 1) / kHuge * kHuge;
        void* p = ::mmap(nullptr, rounded, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p == MAP_FAILED) throw std::bad_alloc();
        ::madvise(p, rounded, MADV_HUGEPAGE);  // only advice: without it, small pages serve
        return TextBuffer(static_cast<char*>(p), FreeText{rounded});
    }
#endif
    void* p = std::malloc(size);
    if (p == nullptr) throw std::bad_alloc();
    return TextBuffer(static_cast<char*>(p));
}

// The input document with its line ends removed, followed by a NUL that is
// not part of it: every polynomial text in it is then terminated.
struct Document {
    TextBuffer data;
    std::size_t size = 0;
    std::string_view text() const { return {data.get(), size}; }
};

// Reads up to `count` bytes into `to`; returns how many arrived.
std::size_t readSome(std::streambuf* buf, char* to, std::size_t count) {
    std::size_t got = 0;
    while (got < count) {
        const std::streamsize n = buf->sgetn(to + got, static_cast<std::streamsize>(
                                                           std::min<std::size_t>(count - got, PTRDIFF_MAX)));
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    return got;
}

// Reads the whole input and joins its lines with nothing in between. The
// input is read in blocks (a file whose size is known: in one), and the
// blocks are joined at the end, so that the peak memory stays near the
// input size.
Document readDocument(std::istream& in) {
    std::streambuf* buf = in.rdbuf();
    // A block and its NUL fill one huge page (allocateText).
    constexpr std::size_t kBlock = (std::size_t{1} << 21) - 1;
    std::size_t block = kBlock;
    const std::streamoff here = buf->pubseekoff(0, std::ios_base::cur, std::ios_base::in);
    if (here >= 0) {
        const std::streamoff end = buf->pubseekoff(0, std::ios_base::end, std::ios_base::in);
        if (buf->pubseekoff(here, std::ios_base::beg, std::ios_base::in) == here && end > here) {
            block = std::max(block, static_cast<std::size_t>(end - here) + 1);
        }
    }
    std::vector<Document> blocks;
    std::size_t total = 0;
    for (bool more = true; more;) {
        Document b{allocateText(block + 1), 0};
        b.size = readSome(buf, b.data.get(), block);
        more = b.size == block;
        b.size = removeLineEnds(b.data.get(), b.size);
        b.data[b.size] = '\0';
        total += b.size;
        if (b.size > 0) blocks.push_back(std::move(b));
        block = kBlock;
    }
    if (blocks.size() == 1) return std::move(blocks[0]);
    Document doc{allocateText(total + 1), 0};
    for (Document& b : blocks) {
        std::memcpy(doc.data.get() + doc.size, b.data.get(), b.size);
        doc.size += b.size;
        b.data.reset();
    }
    doc.data[doc.size] = '\0';
    return doc;
}

}  // namespace

std::uint64_t hashSeed() {
    try {
        std::random_device device;
        return (std::uint64_t{device()} << 32) ^ device();
    } catch (const std::exception&) {
        return static_cast<std::uint64_t>(
            std::chrono::steady_clock::now().time_since_epoch().count());
    }
}

namespace {

std::uint64_t mixSeed(std::uint64_t seed) {
    seed ^= seed >> 31;
    seed *= 0xbf58476d1ce4e5b9ULL;
    return seed ^ (seed >> 29);
}

}  // namespace

// --- weights ---

namespace {

// The texts of the weights of a vector: the pieces between its brackets.
StringList weightTexts(std::string_view arg) {
    StringList pieces;
    populate(pieces, arg.substr(1, arg.size() - 2), ',');
    return pieces;
}

}  // namespace

template <>
WeightsOf<Wrapping> readWeights<Wrapping>(std::string_view arg) {
    const StringList pieces = weightTexts(arg);
    WeightsOf<Wrapping> w;
    w.values.reserve(pieces.size());
    for (std::string_view piece : pieces) {
        const std::int64_t v = readNumber64(piece);
        w.values.push_back(static_cast<std::int32_t>(v));
        w.wrapped |= v != w.values.back();
    }
    return w;
}

namespace {

// Weights that are fractions or leave 64 bits: scaled by the least common
// multiple of their denominators to integers, kept as GMP integers unless
// they all fit in 64 bits after all.
WeightsOf<Exact> readRationalWeights(const StringList& pieces) {
    std::vector<mpq_class> exact;
    exact.reserve(pieces.size());
    mpz_class scale = 1;  // the least common multiple of the denominators
    for (std::string_view piece : pieces) {
        exact.push_back(readRational(piece));
        mpz_lcm(scale.get_mpz_t(), scale.get_mpz_t(), exact.back().get_den_mpz_t());
    }
    WeightsOf<Exact> w;
    w.big.reserve(exact.size());
    bool fits = true;
    for (const mpq_class& q : exact) {
        w.big.push_back(q.get_num() * (scale / q.get_den()));
        fits = fits && w.big.back().fits_slong_p();
    }
    if (fits) {
        for (const mpz_class& v : w.big) w.values.push_back(v.get_si());
        w.big.clear();
    } else {
        w.values.assign(w.big.size(), 0);
    }
    return w;
}

}  // namespace

template <>
WeightsOf<Exact> readWeights<Exact>(std::string_view arg) {
    const StringList pieces = weightTexts(arg);
    WeightsOf<Exact> w;
    w.values.reserve(pieces.size());
    for (std::string_view piece : pieces) {
        // The usual weights, integers of 64 bits, need no rational arithmetic
        // (without a '/' a piece reads as the same integer either way).
        const std::optional<std::int64_t> v = piece.find('/') == npos ? readExact64(piece) : std::nullopt;
        if (!v) return readRationalWeights(pieces);
        w.values.push_back(*v);
    }
    return w;
}

// --- options and diagnostics ---

Options parseOptions(std::span<const std::string_view> args) {
    Options o;
    if (args.empty() || args[0].empty()) {
        o.action = Options::Action::Missing;
        return o;
    }
    // Only these exact first arguments differ from a weight vector.
    if (args[0] == "--help") o.action = Options::Action::Help;
    if (args[0] == "--version") o.action = Options::Action::Version;
    if (o.action != Options::Action::Filter) return o;
    std::span<const std::string_view> switches = args.subspan(1);
    if (args[0] == "--weights") {
        o.action = Options::Action::Many;
        if (args.size() < 2) {
            o.action = Options::Action::MissingFile;
            return o;
        }
        o.weightsFile = args[1];
        switches = args.subspan(2);
    } else {
        o.vector = args[0];
    }
    for (std::string_view a : switches) {
        o.exact = o.exact || a == "--exact";
        o.largest = o.largest || a == "--max";
        o.smallest = o.smallest || a == "--min";
        o.lenient = o.lenient || a == "--lenient";
    }
    const bool anywhere = o.exact || o.largest || o.smallest || o.lenient;
    const std::size_t last = anywhere ? switches.size() : std::min<std::size_t>(switches.size(), 2);
    for (std::size_t k = 0; k < last; ++k) {
        o.reduce = o.reduce || switches[k] == "--reduce";
        o.ring = o.ring || switches[k] == "--ring";
    }
    return o;
}

namespace {

// A message with its control bytes escaped, so that it prints as one clean
// line: \t \r \v \f, and \xHH for the other bytes below 0x20 and 0x7f.
std::string escapeControls(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    constexpr char kHex[] = "0123456789abcdef";
    for (char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x20 && b != 0x7f) {
            out += c;
        } else if (c == '\t' || c == '\r' || c == '\v' || c == '\f') {
            out += c == '\t' ? "\\t" : c == '\r' ? "\\r" : c == '\v' ? "\\v" : "\\f";
        } else {
            out += {'\\', 'x', kHex[b >> 4], kHex[b & 15]};
        }
    }
    return out;
}

}  // namespace

void Diagnostics::line(std::string_view text) {
    out.put(escapeControls(text));
    out.lineEnd();
}

void Diagnostics::badInput(const BadInput& error) {
    const auto* unknown = dynamic_cast<const UnknownVariable*>(&error);
    if (fractionsNeedExact && unknown != nullptr && isFractionText(unknown->name)) {
        line("Bad input: Fraction '" + unknown->name + "' needs --exact");
        return;
    }
    line("Bad input: " + error.message);
}

void Diagnostics::finish() {
    if (wrapped_ && err_ != nullptr) *err_ << kWrapWarning << '\n' << std::flush;
}

namespace {

// --- a loaded document ---

// The two texts a well-framed document holds.
struct Frame {
    std::string_view varText;
    std::string_view polyText;
};

// The document read once: its text, its frame (or the message of the
// first framing fault) and its ring variables.
struct Loaded {
    Document doc;
    std::optional<Frame> frame;
    std::string_view frameError;
    Variables vars;
};

// Checks the document's framing; notes the message of the first fault.
void frameDocument(Loaded& d) {
    const std::string_view text = d.doc.text();
    if (!text.starts_with("Q[")) {
        d.frameError = "Bad input: Must start with 'Q['";
        return;
    }
    const std::size_t h = text.find("]{");
    if (h == npos) {
        d.frameError = "Bad input: Couldn't find ']{'";
        return;
    }
    const std::size_t e = text.find('}');
    if (e == npos) {
        d.frameError = "Bad input: Couldn't find '}'";
        return;
    }
    // A '}' inside the variable text leaves the polynomials running to the end.
    d.frame = Frame{text.substr(2, h - 2), text.substr(h + 2, e > h ? e - h - 2 : npos)};
}

// The document in canonical form (--lenient): itself when it is canonical,
// else a buffer of its own.
Document canonical(Document doc) {
    const std::optional<std::string> text = normalizeLenient(doc.text());
    if (!text) return doc;
    Document out{allocateText(text->size() + 1), text->size()};
    std::memcpy(out.data.get(), text->data(), text->size());
    out.data[text->size()] = '\0';
    return out;
}

// Reads and frames the document on `in` (with --lenient, rewritten into the
// canonical form first), and makes its variables.
Loaded loadDocument(std::istream& in, bool lenient) {
    Document doc = readDocument(in);
    if (lenient) doc = canonical(std::move(doc));
    Loaded d{std::move(doc), std::nullopt, {}, {}};
    frameDocument(d);
    if (d.frame) {
        StringList names;
        populate(names, d.frame->varText, ',');
        d.vars = makeVariables(std::move(names), hashSeed());
    }
    return d;
}

// Writes what comes before the polynomials of an answer with `weights`
// weights: a framing message, the ring header, a dimension message. True
// when the polynomials follow.
bool answerFrame(const Loaded& d, std::size_t weights, const Options& o, Diagnostics& diag) {
    if (!d.frame) {
        diag.line(d.frameError);
        return false;
    }
    Writer& w = diag.out;
    if (o.ring) {
        w.put("Q[");
        w.put(d.frame->varText);
        w.put("]{");
        w.lineEnd();
    }
    const std::size_t names = d.vars.names.size();
    if (names == weights) return true;
    w.put("Dimension of standard input (");
    w.put(std::to_string(names));
    w.put(") and vector-argument (");
    w.put(std::to_string(weights));
    w.put(") doesn't match");
    w.lineEnd();
    return false;
}

// Writes what follows the polynomials; returns the exit status.
int answerEnd(const Options& o, Writer& w) {
    if (o.ring) w.put('}');
    w.lineEnd();
    return w.ok() ? 0 : 1;
}

// --- one vector: the filtered single pass ---

// Prints the initial form of every polynomial of the list, separated by
// "," and a line end; polyText is terminated, as the document holds it.
// Returns the exit status so far.
template <class A>
int filterPolynomials(std::string_view polyText, const Variables& vars, DegreeFilterOf<A>& query, bool reduce,
                      Diagnostics& diag) {
    Writer& w = diag.out;
    PolynomialOf<A> p;
    p.index.seed = mixSeed(vars.seed);
    PolynomialOf<A> reduced;
    WholeFilterOf<A> whole(query.weights.size());  // for a polynomial read again whole
    int status = 0;
    for (std::size_t pos = 0;;) {
        const std::size_t comma = polyText.find(',', pos);
        clearPoly(p);
        query.restart();
        try {
            // A text ends at a ',', at the list's '}' or at the document's end.
            // Read through the filter, p is left with the initial form.
            const TerminatedText text{polyText.substr(pos, comma == npos ? npos : comma - pos)};
            findPolyRep(p, text, vars, query);
            if (query.rule.dropZeros && dropZeroTerms(p)) [[unlikely]] {
                // Every term kept cancelled (or in exact mode every degree
                // lay below the filter's start): a dropped term may be the
                // answer, so read the text again, whole.
                clearPoly(p);
                findPolyRep(p, text, vars, whole.filter);
                transformToInitial(p, query);
            }
            if (reduce) reducePoly(p, reduced);
        } catch (const BadInput& error) {
            diag.badInput(error);
            status = 1;
            break;
        }
        printPoly(reduce ? reduced : p, vars.names, w);
        if (comma == npos) break;
        w.put(',');
        w.lineEnd();
        if (!w.ok()) {
            status = 1;
            break;
        }
        pos = comma + 1;
    }
    if constexpr (!A::exact) diag.noteWrap(p.pool.wrapped || query.wrapped);
    return status;
}

// The weights of a vector text, or nullopt after reporting why there are none.
template <class A>
std::optional<WeightsOf<A>> readQueryWeights(std::string_view vector, Diagnostics& diag) {
    try {
        WeightsOf<A> weights = readWeights<A>(vector);
        diag.noteWrap(weights.wrapped);
        return weights;
    } catch (const BadInput& error) {
        diag.badInput(error);
        return std::nullopt;
    }
}

template <class A>
int filterOne(const Options& o, std::istream& in, Diagnostics& diag) {
    const std::optional<WeightsOf<A>> weights = readQueryWeights<A>(o.vector, diag);  // before the input is read
    if (!weights) return 1;
    const Loaded d = loadDocument(in, o.lenient);
    if (!answerFrame(d, weights->values.size(), o, diag)) return 1;
    DegreeFilterOf<A> query{weights->values, o.rule(), weights->big};
    if (filterPolynomials<A>(d.frame->polyText, d.vars, query, o.reduce, diag) != 0) return 1;
    return answerEnd(o, diag.out);
}

// --- many vectors: the document stored once ---

// Every polynomial of a document, read once without a filter: their terms
// one after another in one polynomial's storage.
template <class A>
struct StoredOf {
    PolynomialOf<A> terms;
    std::vector<std::size_t> ends;     // polynomial k: terms [ends[k-1], ends[k])
    std::optional<std::string> error;  // the message reading stopped with
    bool wrapped = false;              // default mode: a number read wrapped
};

// Appends a copy of `from`'s term t to `to`, whose index it leaves alone:
// the terms copied have distinct keys already.
template <class A>
void appendTerm(const PolynomialOf<A>& from, const TermOf<A>& t, PolynomialOf<A>& to) {
    const std::span<const EntryOf<A>> key = keyOf(from, t);
    // Inserted at the end rather than pushed back: a push_back here would
    // share one out-of-line copy of vector::push_back with the reader's
    // insertTerm, which would then pay a call for every term it keeps.
    to.terms.insert(to.terms.end(), TermOf<A>{to.entries.size(), t.count, A::copyCoeff(from.pool, t.coeff, to.pool)});
    to.entries.insert(to.entries.end(), key.begin(), key.end());
}

template <class A>
StoredOf<A> storeDocument(const Loaded& d) {
    StoredOf<A> s;
    PolynomialOf<A> p;
    p.index.seed = mixSeed(d.vars.seed);
    WholeFilterOf<A> whole(d.vars.names.size());
    const std::string_view polyText = d.frame->polyText;
    // Room for every term and factor the text can hold, taken at once: the
    // store never grows by doubling, so its memory stays near the input's.
    auto count = [&](char c) { return static_cast<std::size_t>(std::count(polyText.begin(), polyText.end(), c)); };
    const std::size_t terms = count('+') + count('-') + count(',') + 1;
    s.terms.terms.reserve(terms);
    s.terms.entries.reserve(terms + count('*'));
    for (std::size_t pos = 0;;) {
        const std::size_t comma = polyText.find(',', pos);
        clearPoly(p);
        try {
            const TerminatedText text{polyText.substr(pos, comma == npos ? npos : comma - pos)};
            findPolyRep(p, text, d.vars, whole.filter);
        } catch (const BadInput& error) {
            s.error = error.message;
            break;
        }
        for (const TermOf<A>& t : p.terms) appendTerm(p, t, s.terms);
        s.ends.push_back(s.terms.terms.size());
        if (comma == npos) break;
        pos = comma + 1;
    }
    if constexpr (!A::exact) s.wrapped = p.pool.wrapped;
    return s;
}

// Prints the initial forms of the stored polynomials, as filterPolynomials
// prints them from the text.
template <class A>
int answerStored(const StoredOf<A>& s, const Variables& vars, const DegreeFilterOf<A>& query, bool reduce,
                 Diagnostics& diag) {
    Writer& w = diag.out;
    PolynomialOf<A> q;
    PolynomialOf<A> reduced;
    std::vector<std::size_t> chosen;
    for (std::size_t k = 0; k < s.ends.size(); ++k) {
        diag.noteWrap(selectInitial(s.terms, k == 0 ? 0 : s.ends[k - 1], s.ends[k], query, chosen));
        clearPoly(q);
        for (std::size_t c : chosen) appendTerm(s.terms, s.terms.terms[c], q);
        if (reduce) reducePoly(q, reduced);
        printPoly(reduce ? reduced : q, vars.names, w);
        if (k + 1 == s.ends.size() && !s.error) return 0;
        w.put(',');
        w.lineEnd();
    }
    diag.badInput(BadInput(*s.error));
    return 1;
}

// The answer for one vector text over the stored document: byte for byte
// what a run with that vector prints. Returns its exit status.
template <class A>
int answerVector(std::string_view vector, const Loaded& d, const StoredOf<A>* stored, const Options& o,
                 Diagnostics& diag) {
    const std::optional<WeightsOf<A>> weights = readQueryWeights<A>(vector, diag);
    if (!weights) return 1;
    if (!answerFrame(d, weights->values.size(), o, diag)) return 1;
    const DegreeFilterOf<A> query{weights->values, o.rule(), weights->big};
    if (answerStored<A>(*stored, d.vars, query, o.reduce, diag) != 0) return 1;
    return answerEnd(o, diag.out);
}

template <class A>
int filterMany(const Options& o, std::istream& in, Diagnostics& diag) {
    std::ifstream file{std::string(o.weightsFile)};
    if (!file) {
        diag.line("Bad input: Cannot open weights file '" + std::string(o.weightsFile) + "': " + std::strerror(errno));
        return 1;
    }
    // One flush per answer, not per line.
    diag.out.flushEachLine(false);
    const Loaded d = loadDocument(in, o.lenient);
    std::optional<StoredOf<A>> stored;
    if (d.frame) {
        stored.emplace(storeDocument<A>(d));
        diag.noteWrap(stored->wrapped);
    }
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        const int status = answerVector<A>(line, d, stored ? &*stored : nullptr, o, diag);
        diag.out.flush();
        if (status != 0) return status;
        if (!diag.out.ok()) return 1;
    }
    return 0;
}

template <class A>
int filter(const Options& o, std::istream& in, Diagnostics& diag) {
    return o.action == Options::Action::Many ? filterMany<A>(o, in, diag) : filterOne<A>(o, in, diag);
}

int dispatch(const Options& o, std::istream& in, Diagnostics& diag) {
    switch (o.action) {
        case Options::Action::Missing:
            diag.line(kNeedArgument);
            return 255;
        case Options::Action::MissingFile:
            diag.line(kNeedWeightsFile);
            return 255;
        case Options::Action::Help:
            for (std::string_view line : kUsage) diag.line(line);
            return diag.out.ok() ? 0 : 1;
        case Options::Action::Version:
            diag.line("initform " INITFORM_VERSION);
            return diag.out.ok() ? 0 : 1;
        default:
            break;
    }
    if (o.largest && o.smallest) {
        diag.line("Bad input: --max and --min exclude each other");
        return 1;
    }
    diag.fractionsNeedExact = o.lenient && !o.exact;
    return o.exact ? filter<Exact>(o, in, diag) : filter<Wrapping>(o, in, diag);
}

}  // namespace

int run(std::span<const std::string_view> args, std::istream& in, Writer& w, std::ostream* err) {
    Diagnostics diag(w, err);
    const int status = dispatch(parseOptions(args), in, diag);
    diag.finish();
    return status;
}

int run(std::span<const std::string_view> args, std::istream& in, Writer& w) { return run(args, in, w, nullptr); }

int run(std::span<const std::string_view> args, std::istream& in, std::ostream& out) {
    Writer w(out);
    return run(args, in, w);
}

}  // namespace initform

#ifdef INITFORM_MAIN
int main(int argc, char** argv) {
    // A reader that goes away ends the filter quietly, as for any filter.
    std::signal(SIGPIPE, SIG_DFL);
    std::ios::sync_with_stdio(false);
    std::vector<std::string_view> args(argv + std::min(argc, 1), argv + argc);
    // Standard output is written with write(2), a call per line end.
    initform::Writer out(STDOUT_FILENO);
    int status;
    try {
        status = initform::run(args, std::cin, out, &std::cerr);
    } catch (const std::bad_alloc&) {
        // Not an input error but the machine's limit: say so where a
        // system failure is said, and do not report success.
        std::fputs("initform: out of memory\n", stderr);
        return 1;
    }
    if (!out.ok()) {
        std::fprintf(stderr, "initform: cannot write standard output: %s\n", std::strerror(out.error()));
        return 1;
    }
    return status;
}
#endif
