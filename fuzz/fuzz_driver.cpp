// Fuzz target for the whole filter, driven in-process.
//
// Input format: the first line holds the command-line arguments separated by
// tabs; everything after it is standard input.
//
// Properties checked beyond the absence of crashes and sanitizer reports:
// - standard error holds at most one line: the default mode's warning;
// - the exit status is 0, 1 or 255, and the output ends with a line end;
// - a successful run with --ring on a document whose variable names are
//   plain identifiers and whose exponents are never negative reproduces its
//   own output when that output is fed back in with the same arguments (the
//   initial form of an initial form is itself); with --reduce this is checked
//   when no weight is negative and no reduced term has a negative degree;
//   with --exact the same holds in exact arithmetic; with --lenient the
//   document is checked in its canonical form;
// - a step of the walk (--toward) ends where the cone of the marked basis
//   ends: a second step from there toward the same target stays there;
// - with --valuation P, scaling every coefficient of a polynomial by a
//   power of P changes no output;
// - with --exact, a run whose numbers cannot leave 31 bits prints what the
//   same run without --exact prints.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "initform.hpp"

namespace {

using namespace initform;

int runOnce(const std::vector<std::string_view>& args, const std::string& input, std::string& output,
            std::string* error = nullptr) {
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    const int status = run(args, in, out, err);
    output = out.str();
    if (error != nullptr) *error = err.str();
    return status;
}

bool isIdentifier(std::string_view s) {
    if (s.empty() || (s[0] >= '0' && s[0] <= '9')) return false;
    for (char c : s) {
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_')) return false;
    }
    return true;
}

std::string joinLines(const std::string& doc) {
    std::string joined;
    for (char c : doc)
        if (c != '\n') joined += c;
    return joined;
}

// The ring and the polynomial texts of a joined document that the filter
// accepted; the views point into `text`.
struct Parsed {
    Variables vars;
    StringList polys;
};

Parsed parseDocument(std::string_view text) {
    const std::size_t h = text.find("]{");
    const std::size_t e = text.find('}');
    StringList names;
    populate(names, text.substr(2, h - 2), ',');
    Parsed parsed{makeVariables(std::move(names)), {}};
    populate(parsed.polys, text.substr(h + 2, e > h ? e - h - 2 : npos), ',');
    return parsed;
}

// True when every polynomial reads without a negative exponent.
template <class A>
bool exponentsNonNegative(const Parsed& d) {
    for (std::string_view text : d.polys) {
        PolynomialOf<A> p;
        findPolyRep(p, text, d.vars);
        for (const EntryOf<A>& e : p.entries)
            if (e.exp < 0) return false;
    }
    return true;
}

template <class A>
bool degreesNonNegative(const Parsed& d, const WeightVectorOf<A>& w) {
    for (std::string_view text : d.polys) {
        PolynomialOf<A> p;
        findPolyRep(p, text, d.vars);
        for (const TermOf<A>& t : p.terms)
            if (dot<A>(keyOf(p, t), w) < typename A::Degree{}) return false;
    }
    return true;
}

[[noreturn]] void failWith(const char* what, const std::string& first, const std::string& second) {
    std::cerr << what << "\n--- first\n" << first << "--- second\n" << second;
    std::abort();
}

template <class A>
void checkRoundTrip(const std::vector<std::string_view>& args, const std::string& input,
                    const std::string& output, bool reduce, bool lenient) {
    // Read leniently, the document is its canonical form; the output, read
    // again with --lenient, must come back unchanged.
    std::string joinedInput = joinLines(input);
    if (lenient) joinedInput = normalizeLenient(joinedInput).value_or(joinedInput);
    const Parsed original = parseDocument(joinedInput);
    for (std::string_view name : original.vars.names)
        if (!isIdentifier(name)) return;
    if (!exponentsNonNegative<A>(original)) return;
    if (reduce) {
        const WeightsOf<A> weights = readWeights<A>(args[0]);
        const WeightVectorOf<A>& w = weights.values;
        if (!weights.big.empty()) return;
        for (const auto& weight : w)
            if (weight < 0) return;
        const std::string joinedOutput = joinLines(output);
        if (!degreesNonNegative<A>(parseDocument(joinedOutput), w)) return;
    }
    std::string again;
    const int status = runOnce(args, output, again);
    if (status != 0 || again != output) failWith("round trip changed the output", output, again);
}

// True when no value the run computes can leave 31 bits, so that both
// modes must print the same: every number, times the input's length for
// sums of like terms and exponents, times the largest weight for degrees,
// and no fraction anywhere.
bool staysWithin31Bits(std::string_view argLine, std::string_view input) {
    if (input.find('/') != npos || argLine.find('/') != npos) return false;
    std::uint64_t largest = 1;
    for (std::string_view text : {argLine, input}) {
        std::uint64_t value = 0;
        std::size_t digits = 0;
        for (char c : text) {
            if (c >= '0' && c <= '9') {
                if (++digits > 9) return false;
                value = value * 10 + static_cast<std::uint64_t>(c - '0');
                largest = std::max(largest, value);
            } else if (c != '\n') {  // line ends vanish, even inside a number
                value = 0;
                digits = 0;
            }
        }
    }
    const std::uint64_t length = argLine.size() + input.size() + 1;
    return largest <= (std::uint64_t{1} << 30) / length / largest;
}

void checkModesAgree(const Options& s, std::string_view weights, const std::string& input,
                     const std::string& exactOutput, int exactStatus) {
    std::vector<std::string_view> plain{weights};
    if (s.reduce) plain.push_back("--reduce");
    if (s.ring) plain.push_back("--ring");
    if (s.largest) plain.push_back("--max");
    if (s.smallest) plain.push_back("--min");
    if (s.lenient) plain.push_back("--lenient");
    std::string wrapped;
    const int status = runOnce(plain, input, wrapped);
    if (status != exactStatus || wrapped != exactOutput) failWith("the modes differ within 31 bits", exactOutput, wrapped);
}

// True when the run's weights are all 0 or more and no polynomial of the
// document has a coefficient that is 0 once like terms are combined: then
// the classic rule and --max choose the same terms.
template <class A>
bool classicIsLargest(std::string_view vector, const std::string& input) {
    const WeightsOf<A> weights = readWeights<A>(vector);
    for (const auto& w : weights.values)
        if (w < 0 || !weights.big.empty()) return false;
    const std::string joined = joinLines(input);
    const Parsed d = parseDocument(joined);
    for (std::string_view text : d.polys) {
        PolynomialOf<A> p;
        findPolyRep(p, text, d.vars);
        for (const TermOf<A>& t : p.terms)
            if (A::isZero(t.coeff)) return false;
    }
    return true;
}

// With weights of 0 or more and nothing that cancels, --max prints what the
// classic rule prints.
void checkLargestAgrees(const std::vector<std::string_view>& args, std::string_view argLine, const Options& s,
                        const std::string& input, const std::string& output) {
    if (!s.exact && !staysWithin31Bits(argLine, input)) return;  // a wrapped degree may fall below 0
    if (!(s.exact ? classicIsLargest<Exact>(args[0], input) : classicIsLargest<Wrapping>(args[0], input))) return;
    std::vector<std::string_view> largest{args[0], "--max"};
    if (s.reduce) largest.push_back("--reduce");
    if (s.ring) largest.push_back("--ring");
    if (s.exact) largest.push_back("--exact");
    std::string got;
    runOnce(largest, input, got);
    if (got != output) failWith("--max differs from the classic rule without cancellation", output, got);
}

// With --valuation P, the document with the coefficients of its k-th
// polynomial multiplied by P^(k mod 3) prints the same.
void checkValuationScaling(const std::vector<std::string_view>& args, std::string_view prime,
                           const std::string& input, const std::string& output) {
    const std::optional<Prime> p = readPrime(prime);
    const std::string joined = joinLines(input);
    const Parsed d = parseDocument(joined);
    if (!p || joined.find("]{") == npos) return;
    // A '}' before the "]{" makes the polynomial list run to the end of the
    // document, a framing the rewritten document would not keep.
    if (joined.find('}') < joined.find("]{")) return;
    std::ostringstream scaled;
    Writer w(scaled);
    w.put(joined.substr(0, joined.find("]{") + 2));
    for (std::size_t k = 0; k < d.polys.size(); ++k) {
        PolynomialOf<Exact> poly;
        try {
            findPolyRep(poly, d.polys[k], d.vars);
        } catch (const BadInput&) {
            return;
        }
        mpz_class power;
        mpz_pow_ui(power.get_mpz_t(), p->value.get_mpz_t(), k % 3);
        for (TermOf<Exact>& t : poly.terms) t.coeff = Exact::coeffOf(poly.coeffs, Exact::valueOf(poly.coeffs, t.coeff) * power);
        if (k > 0) w.put(',');
        printPoly(poly, d.vars.names, w);
    }
    w.put('}');
    w.flush();
    std::string again;
    if (runOnce(args, scaled.str(), again) != 0 || again != output) failWith("scaling by powers of P changed the output", output, again);
}

// The walk's step ends where the cone ends: a step from there toward the
// same target goes nowhere.
void checkWalkSettles(const std::vector<std::string_view>& args, const std::string& input, const std::string& output) {
    const std::string reached = output.substr(0, output.size() - 1);  // without its line end
    std::vector<std::string_view> again(args.begin(), args.end());
    again[0] = reached;
    std::string second;
    if (runOnce(again, input, second) != 0 || second != output) failWith("a second step of the walk moved", output, second);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::size_t nl = bytes.find('\n');
    const std::string argLine = bytes.substr(0, nl);
    const std::string input = nl == std::string::npos ? std::string() : bytes.substr(nl + 1);
    std::vector<std::string_view> args;
    if (!argLine.empty()) populate(args, argLine, '\t');
    for (std::string_view a : args)
        if (a.find('\0') != std::string_view::npos) return 0;  // not possible on a command line

    // --merge reads files named on the command line: only standard input
    // here (a name could be a device that never ends); and a walk of many
    // threads costs their starts, not coverage.
    if (!args.empty() && args[0] == "--merge" && args.size() > 1) return 0;
    for (std::size_t k = 0; k + 1 < args.size(); ++k) {
        if (args[k] == "--threads" && (args[k + 1].size() > 1 || args[k + 1] > "4")) return 0;
    }
    // A hypersurface's block holds a basis of its lineality space, up to
    // variables² entries a polynomial: documents of a few hundred commas
    // print megabytes, which is the answer, not a fault.
    if (!args.empty() && args[0] == "--tropical" && std::count(input.begin(), input.end(), ',') > 160) return 0;
    // A hypersurface grows with its terms and variables, a prevariety
    // exponentially with its polynomials: only prevarieties of a few
    // polynomials are run, within the fuzzer's time.
    if (!args.empty() && args[0] == "--prevariety") {
        const std::size_t brace = std::min(input.find('{'), input.size());
        const auto polynomials = 1 + std::count(input.begin() + static_cast<std::ptrdiff_t>(brace), input.end(), ',');
        if (input.size() > 600u || polynomials > 4) return 0;
    }
    std::string output;
    std::string err;
    const int status = runOnce(args, input, output, &err);
    // Standard error holds at most one line: here, where reading and writing
    // cannot fail, only the default mode's warning (or running out of memory).
    const bool exactRun = parseOptions(args).exact;
    const bool errAllowed = err.empty() || (!exactRun && err == std::string(kWrapWarning) + "\n") ||
                            err == std::string(kOutOfMemory) + "\n";
    if (!errAllowed || (status != 0 && status != 1 && status != 255) || output.empty() || output.back() != '\n') {
        std::cerr << "bad outcome: status " << status << ", standard error '" << err << "'\n";
        std::abort();
    }
    const Options s = parseOptions(args);
    if (s.toward.value && status == 0 && s.action == Options::Action::OneVector) checkWalkSettles(args, input, output);
    if (s.valuation.value && status == 0 && s.action == Options::Action::OneVector && !s.lenient) {
        checkValuationScaling(args, *s.valuation.value, input, output);
    }
    // The properties are those of one vector over a document.
    // A vector with an action, or with a switch only the tropical sets take.
    const bool refused = s.tropicalLater || s.prevarietyLater || s.coneLater || s.weightsLater || s.mergeLater ||
                         s.threads || s.part || s.svg;
    if (s.action != Options::Action::OneVector || refused || s.toward || s.valuation || (s.largest && s.smallest)) return 0;
    if (s.exact && staysWithin31Bits(argLine, input)) checkModesAgree(s, args[0], input, output, status);
    if (status == 0 && !s.largest && !s.smallest && !s.lenient) checkLargestAgrees(args, argLine, s, input, output);
    if (status == 0 && s.ring) {
        if (s.exact) {
            checkRoundTrip<Exact>(args, input, output, s.reduce, s.lenient);
        } else {
            checkRoundTrip<Wrapping>(args, input, output, s.reduce, s.lenient);
        }
    }
    return 0;
}
