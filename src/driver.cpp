// The command-line driver: arguments, reading and checking the document,
// the loop over its polynomials, and the output framing.
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <random>
#include <istream>
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

#ifndef INITFORM_VERSION
#define INITFORM_VERSION "unknown"
#endif

constexpr std::string_view kUsage[] = {
    "Usage: initform VECTOR [--reduce] [--ring] [--exact] < DOCUMENT",
    "Prints the initial form of each polynomial of DOCUMENT with respect to the",
    "integer weight vector VECTOR: its terms of largest weighted degree (0 or more).",
    "",
    "  VECTOR     one integer weight per ring variable, separated by commas; its",
    "             first and last characters are dropped, as in '(1,-2,0)'",
    "  --reduce   divide each initial form by the largest monomial dividing its terms",
    "  --ring     also write the ring header and '}': the output is again a document",
    "  --exact    compute over Q exactly: coefficients of any size and fractions",
    "             such as 1/2, 64-bit exponents and weights; without it, numbers",
    "             are 32-bit and wrap around. With --exact the switches count in",
    "             any position after VECTOR, otherwise only in the next two.",
    "",
    "Document: Q[x,y,...]{polynomial,polynomial,...}, line ends ignored",
    "Example:  echo 'Q[x,y]{3*x^2*y-x+2,x*y+2*y*x}' | initform '(1,1)'",
    "          prints 3*x^2*y, and 3*x*y on two lines",
    "",
    "Exit status: 0 on success, 1 on bad input or a failed write, 255 without VECTOR.",
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

// A seed for the hash tables that differs from run to run, so that no
// input can be crafted to make lookups slow. It changes no output.
std::uint64_t hashSeed() {
    try {
        std::random_device device;
        return (std::uint64_t{device()} << 32) ^ device();
    } catch (const std::exception&) {
        return static_cast<std::uint64_t>(
            std::chrono::steady_clock::now().time_since_epoch().count());
    }
}

std::uint64_t mixSeed(std::uint64_t seed) {
    seed ^= seed >> 31;
    seed *= 0xbf58476d1ce4e5b9ULL;
    return seed ^ (seed >> 29);
}

void writeLine(Writer& out, std::string_view text) {
    out.put(text);
    out.lineEnd();
}

}  // namespace

template <class A>
WeightVectorOf<A> readWeights(std::string_view arg) {
    StringList pieces;
    populate(pieces, arg.substr(1, arg.size() - 2), ',');
    WeightVectorOf<A> weights;
    weights.reserve(pieces.size());
    for (std::string_view piece : pieces) {
        const std::optional<typename A::Weight> w = A::readInteger(piece);
        if (!w) throw OutOfRange("Weight", piece);
        weights.push_back(*w);
    }
    return weights;
}
template WeightVectorOf<Wrapping> readWeights<Wrapping>(std::string_view);
template WeightVectorOf<Exact> readWeights<Exact>(std::string_view);

Switches readSwitches(std::span<const std::string_view> args) {
    Switches s;
    for (std::size_t k = 1; k < args.size(); ++k) s.exact = s.exact || args[k] == "--exact";
    const std::size_t last = s.exact ? args.size() : std::min<std::size_t>(args.size(), 3);
    for (std::size_t k = 1; k < last; ++k) {
        s.reduce = s.reduce || args[k] == "--reduce";
        s.ring = s.ring || args[k] == "--ring";
    }
    return s;
}

namespace {

void report(Writer& w, const BadInput& error) {
    w.put("Bad input: ");
    w.put(error.message);
    w.lineEnd();
}

// The two texts a well-framed document holds.
struct Frame {
    std::string_view varText;
    std::string_view polyText;
};

// Checks the document's framing; writes the message of the first fault.
std::optional<Frame> frameDocument(std::string_view text, Writer& w) {
    if (!text.starts_with("Q[")) {
        writeLine(w, "Bad input: Must start with 'Q['");
        return std::nullopt;
    }
    const std::size_t h = text.find("]{");
    if (h == npos) {
        writeLine(w, "Bad input: Couldn't find ']{'");
        return std::nullopt;
    }
    const std::size_t e = text.find('}');
    if (e == npos) {
        writeLine(w, "Bad input: Couldn't find '}'");
        return std::nullopt;
    }
    // A '}' inside the variable text leaves the polynomials running to the end.
    return Frame{text.substr(2, h - 2), text.substr(h + 2, e > h ? e - h - 2 : npos)};
}

// True when there is one weight per variable; otherwise writes the message.
bool dimensionsMatch(std::string_view varText, std::size_t weights, Writer& w) {
    const std::size_t names = static_cast<std::size_t>(std::count(varText.begin(), varText.end(), ',')) + 1;
    if (names == weights) return true;
    w.put("Dimension of standard input (");
    w.put(std::to_string(names));
    w.put(") and vector-argument (");
    w.put(std::to_string(weights));
    w.put(") doesn't match");
    w.lineEnd();
    return false;
}

// Prints the initial form of every polynomial of the list, separated by
// "," and a line end; polyText is terminated, as the document holds it.
// Returns the exit status so far.
template <class A>
int filterPolynomials(std::string_view polyText, const Variables& vars, const WeightVectorOf<A>& weights,
                      bool reduce, Writer& w) {
    PolynomialOf<A> p;
    p.index.seed = mixSeed(vars.seed);
    PolynomialOf<A> reduced;
    DegreeFilterOf<A> filter{weights};
    for (std::size_t pos = 0;;) {
        const std::size_t comma = polyText.find(',', pos);
        clearPoly(p);
        filter.floor = {};
        try {
            // A text ends at a ',', at the list's '}' or at the document's end.
            // Read through the filter, p is left with the initial form.
            findPolyRep(p, TerminatedText{polyText.substr(pos, comma == npos ? npos : comma - pos)}, vars, &filter);
            if (reduce) reducePoly(p, reduced);
        } catch (const BadInput& error) {
            report(w, error);
            return 1;
        }
        printPoly(reduce ? reduced : p, vars.names, w);
        if (comma == npos) return 0;
        w.put(',');
        w.lineEnd();
        if (!w.ok()) return 1;
        pos = comma + 1;
    }
}

// Filters the document on `in` with the weights of `arg`.
template <class A>
int filterDocument(std::string_view arg, const Switches& switches, std::istream& in, Writer& w) {
    WeightVectorOf<A> weights;
    try {
        weights = readWeights<A>(arg);  // before the input is read
    } catch (const BadInput& error) {
        report(w, error);
        return 1;
    }
    const Document doc = readDocument(in);
    const std::optional<Frame> frame = frameDocument(doc.text(), w);
    if (!frame) return 1;
    if (switches.ring) {
        w.put("Q[");
        w.put(frame->varText);
        w.put("]{");
        w.lineEnd();
    }
    if (!dimensionsMatch(frame->varText, weights.size(), w)) return 1;
    StringList names;
    populate(names, frame->varText, ',');
    const Variables vars = makeVariables(std::move(names), hashSeed());
    if (filterPolynomials<A>(frame->polyText, vars, weights, switches.reduce, w) != 0) return 1;
    if (switches.ring) w.put('}');
    w.lineEnd();
    return w.ok() ? 0 : 1;
}

}  // namespace

int run(std::span<const std::string_view> args, std::istream& in, std::ostream& out) {
    Writer w(out);
    return run(args, in, w);
}

int run(std::span<const std::string_view> args, std::istream& in, Writer& w) {
    // An empty first argument has no brackets to drop: it counts as missing.
    if (args.empty() || args[0].empty()) {
        writeLine(w, kNeedArgument);
        return 255;
    }
    // Only these exact first arguments differ from a weight vector.
    if (args[0] == "--help") {
        for (std::string_view line : kUsage) writeLine(w, line);
        return w.ok() ? 0 : 1;
    }
    if (args[0] == "--version") {
        writeLine(w, "initform " INITFORM_VERSION);
        return w.ok() ? 0 : 1;
    }
    const Switches switches = readSwitches(args);
    return switches.exact ? filterDocument<Exact>(args[0], switches, in, w)
                          : filterDocument<Wrapping>(args[0], switches, in, w);
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
        status = initform::run(args, std::cin, out);
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
