// Answering a file of weight vectors over the document stored once.
//
// Each answer is what a separate run with that vector prints, its warning
// included. The stored terms give the same initial forms as the single
// pass, and the degrees that wrap around; what else a run notes depends on
// the order its single pass reads the terms in, so the rare polynomial in
// which the whole reading noted a wrap-around, and the one whose reading
// failed, are answered from their text by the single pass itself.
#include "weightsfile.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "answer.hpp"
#include "exact.hpp"
#include "valued.hpp"
#include "printer.hpp"
#include "reader.hpp"
#include "reduce.hpp"

namespace initform {

namespace {

// Every polynomial of a document, read once whole: their terms one after
// another in one polynomial's storage.
template <class A>
struct StoredDocumentOf {
    PolynomialOf<A> terms;
    std::vector<std::size_t> ends;  // polynomial k: terms [ends[k-1], ends[k])
    // The polynomials answered from their text instead (position, text), in order.
    std::vector<std::pair<std::size_t, std::string_view>> fromText;
    // The text of the polynomial whose reading failed, after the stored ones.
    std::optional<std::string_view> failed;
};

template <class A>
StoredDocumentOf<A> storeDocument(const Document& d) {
    StoredDocumentOf<A> s;
    PolynomialOf<A> p;
    p.index.seed = mixSeed(d.vars.seed);
    WrapNotes wrapped;
    WholeQueryOf<A> whole(d.vars.names.size(), &wrapped);
    // The store grows as terms come: it holds what the text holds after
    // like terms combine, and nothing is reserved for terms that never come.
    for (Pieces texts(d.framing.frame->polyText, ','); texts.next();) {
        clearPoly(p);
        wrapped.any = false;
        try {
            findPolyRep(p, TerminatedText{texts.piece()}, d.vars, whole.query);
        } catch (const BadInput&) {
            s.failed = texts.piece();
            break;
        }
        if (wrapped.any) s.fromText.emplace_back(s.ends.size(), texts.piece());
        for (const TermOf<A>& t : p.terms) appendTerm(p, t, s.terms);
        s.ends.push_back(s.terms.terms.size());
    }
    return s;
}

// Prints the initial forms of the stored polynomials, as the single pass
// prints them from the text. Returns the exit status so far.
template <class A>
int answerStored(const StoredDocumentOf<A>& s, const Variables& vars, QueryOf<A>& query, bool reduce,
                 Diagnostics& diag) {
    Writer& w = diag.out;
    TextAnswerOf<A> fromText(vars, query, reduce);
    PolynomialOf<A> q;
    PolynomialOf<A> reduced;
    std::vector<std::size_t> chosen;
    auto nextFromText = s.fromText.begin();
    try {
        for (std::size_t k = 0; k < s.ends.size(); ++k) {
            if (nextFromText != s.fromText.end() && nextFromText->first == k) {
                printPoly(fromText.answer(TerminatedText{(nextFromText++)->second}), vars.names, w);
            } else {
                selectInitial(s.terms, k == 0 ? 0 : s.ends[k - 1], s.ends[k], query, chosen);
                clearPoly(q);
                for (std::size_t c : chosen) appendTerm(s.terms, s.terms.terms[c], q);
                if constexpr (A::valued) A::toResidues(q, query.valuation);
                if (reduce) reducePoly(q, reduced);
                printPoly(reduce ? reduced : q, vars.names, w);
            }
            if (k + 1 == s.ends.size() && !s.failed) return 0;
            w.put(',');
            w.lineEnd();
        }
        // Read as the single pass reads it, the text fails the same way.
        if (s.failed) fromText.answer(TerminatedText{*s.failed});
    } catch (const BadInput& error) {
        diag.badInput(error);
    }
    return 1;
}

// The answer for one vector text over the stored document: byte for byte
// what a run with that vector prints. Returns its exit status.
template <class A>
int answerStoredVector(std::string_view vector, const WeightsCarry& dropped, const Document& d,
                       const StoredDocumentOf<A>* stored, const Options& o, const typename A::Field& field,
                       Diagnostics& diag) {
    const std::optional<WeightsOf<A>> weights =
        readQueryWeights<A>(vector, diag, d.vars.names.size(), dropped.count > 0 ? &dropped : nullptr);
    if (!weights) return 1;
    if (!writeAnswerHead(d, weights->count, o, diag)) return 1;
    QueryOf<A> query = queryOf<A>(*weights, o, field, diag);
    if (answerStored<A>(*stored, d.vars, query, o.reduce, diag) != 0) return 1;
    return writeAnswerTail(o, diag.out);
}

// The lines of a file, read one at a time: more of the file is read only
// when no whole line is left, so that the file may be a pipe whose writer
// waits for each answer. A line longer than a megabyte keeps its first
// `keep` weights (the ring's length) and whatever follows its last comma
// so far; each weight between, once a comma ends it, goes to `drop` and
// leaves the buffer, so that a line of any length for a short ring takes
// little memory.
class LineReader {
public:
    explicit LineReader(int fd) : fd_(fd) {}
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;
    ~LineReader() { ::close(fd_); }
    // The next line without its '\n' (a last line may lack it), valid until
    // the next call; nullopt at the end. Throws SystemFailure when a read fails.
    std::optional<std::string_view> next();
    // From now on, long lines keep their first `keep` weights (none: all).
    void keepWeights(std::size_t keep, std::function<void(std::string_view)> drop) {
        keep_ = keep;
        drop_ = std::move(drop);
    }

private:
    void dropBeyondKeep();

    static constexpr std::size_t kLongLine = std::size_t{1} << 20;
    int fd_;
    // The unread text is buffer_[start_, end): a line is taken by moving
    // start_, and the searched part by moving scanned_, so that each byte is
    // searched once and moved at most once.
    std::string buffer_;
    std::size_t start_ = 0;
    std::size_t scanned_ = 0;
    bool ended_ = false;
    std::size_t keep_ = 0;
    std::function<void(std::string_view)> drop_;
    // Of the line being read: the commas after its first character found so
    // far (up to keep_), and where the search for the next stands (from start_).
    std::size_t commas_ = 0;
    std::size_t commaScan_ = 1;
};

std::optional<std::string_view> LineReader::next() {
    for (;;) {
        const std::size_t nl = buffer_.find('\n', scanned_);
        if (nl != npos || (ended_ && start_ < buffer_.size())) {
            const std::size_t end = nl == npos ? buffer_.size() : nl;
            const std::string_view line(buffer_.data() + start_, end - start_);
            start_ = scanned_ = std::min(end + 1, buffer_.size());
            commas_ = 0;
            commaScan_ = 1;
            return line;
        }
        if (ended_) return std::nullopt;
        if (keep_ > 0 && buffer_.size() - start_ > kLongLine) dropBeyondKeep();
        // The lines taken go before the buffer grows: the line being read
        // moves to the front once, not once per block.
        buffer_.erase(0, start_);
        start_ = 0;
        scanned_ = buffer_.size();
        char block[65536];
        const ssize_t n = ::read(fd_, block, sizeof block);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw SystemFailure("cannot read", errno);
        if (n == 0) ended_ = true;
        buffer_.append(block, static_cast<std::size_t>(n > 0 ? n : 0));
    }
}

void LineReader::dropBeyondKeep() {
    // The line's first character is no separator, as it is no weight.
    while (commas_ < keep_) {
        const std::size_t comma = buffer_.find(',', start_ + commaScan_);
        if (comma == npos) {
            commaScan_ = buffer_.size() - start_;
            return;
        }
        commaScan_ = comma + 1 - start_;
        ++commas_;
    }
    const std::size_t from = start_ + commaScan_;  // just after the keep-th comma
    const std::size_t last = buffer_.rfind(',');
    if (last == npos || last < from) return;
    // Weights are short here: a byte loop, not a search per weight.
    const std::string_view text(buffer_);
    for (std::size_t at = from, piece = from; at <= last; ++at) {
        if (text[at] != ',') continue;
        drop_(text.substr(piece, at - piece));
        piece = at + 1;
    }
    buffer_.erase(from, last + 1 - from);
    scanned_ = buffer_.size();
}

// Opens the weights file; -1 after reporting why it cannot be opened.
int openWeightsFile(const std::string& path, Diagnostics& diag) {
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        diag.line("Bad input: Cannot open weights file '" + path + "': " + std::strerror(errno));
        return -1;
    }
    if (fd <= STDERR_FILENO) {
        // Standard input, output or error was closed, and the file took its
        // number: move it, so that the document is not read from it.
        const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
        ::close(fd);
        if (moved < 0) throw SystemFailure("cannot open the weights file", errno);
        fd = moved;
    }
    return fd;
}

}  // namespace

template <class A>
int answerWeightsFile(const Options& o, const typename A::Field& field, const InputSource& in, Diagnostics& diag) {
    const std::string path(o.weightsFile);
    const int fd = openWeightsFile(path, diag);
    if (fd < 0) return 1;
    LineReader lines(fd);
    // One flush per answer, not per line, and none within one.
    diag.out.holdUntilFlush(true);
    const Document d = loadDocument(in, o.lenient);
    WeightsCarry dropped;
    lines.keepWeights(d.vars.names.size(), [&](std::string_view piece) { dropWeight<A>(piece, &diag.wraps, dropped); });
    std::optional<StoredDocumentOf<A>> stored;
    if (d.framing.frame) stored.emplace(storeDocument<A>(d));
    try {
        while (std::optional<std::string_view> line = lines.next()) {
            if (!line->empty() && line->back() == '\r') line->remove_suffix(1);
            if (line->empty()) continue;
            const int status = answerStoredVector<A>(*line, dropped, d, stored ? &*stored : nullptr, o, field, diag);
            dropped = WeightsCarry{};
            diag.out.flush();
            if (status != 0) return status;
            if (!diag.out.ok()) return 1;
        }
    } catch (const SystemFailure& failure) {
        // Said where a file that cannot be opened is said; the answers
        // written before it stay.
        diag.line("Bad input: Cannot read weights file '" + path + "': " + std::strerror(failure.error));
        return 1;
    }
    return 0;
}

template int answerWeightsFile<Wrapping>(const Options&, const Wrapping::Field&, const InputSource&, Diagnostics&);
template int answerWeightsFile<Exact>(const Options&, const Exact::Field&, const InputSource&, Diagnostics&);
template int answerWeightsFile<Valued>(const Options&, const Valued::Field&, const InputSource&, Diagnostics&);

}  // namespace initform
