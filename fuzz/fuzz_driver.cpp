// Fuzz target for the whole filter, driven in-process.
//
// Input format: the first line holds the command-line arguments separated by
// tabs; everything after it is standard input.
//
// Properties checked beyond the absence of crashes and sanitizer reports:
// - nothing is written to standard error;
// - the exit status is 0, 1 or 255, and the output ends with a line end;
// - a successful run with --ring on a document whose variable names are
//   plain identifiers and whose exponents are never negative reproduces its
//   own output when that output is fed back in with the same arguments (the
//   initial form of an initial form is itself); with --reduce this is checked
//   when no weight is negative and no reduced term has a negative degree.
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

int runOnce(const std::vector<std::string_view>& args, const std::string& input, std::string& output) {
    std::istringstream in(input);
    std::ostringstream out;
    const int status = run(args, in, out);
    output = out.str();
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
bool exponentsNonNegative(const Parsed& d) {
    for (std::string_view text : d.polys) {
        Polynomial p;
        findPolyRep(p, text, d.vars);
        for (const Entry& e : p.entries)
            if (e.exp < 0) return false;
    }
    return true;
}

bool degreesNonNegative(const Parsed& d, const WeightVector& w) {
    for (std::string_view text : d.polys) {
        Polynomial p;
        findPolyRep(p, text, d.vars);
        for (const Term& t : p.terms)
            if (dot(keyOf(p, t), w) < 0) return false;
    }
    return true;
}

void checkRoundTrip(const std::vector<std::string_view>& args, const std::string& input,
                    const std::string& output, bool reduce) {
    const std::string joinedInput = joinLines(input);
    const Parsed original = parseDocument(joinedInput);
    for (std::string_view name : original.vars.names)
        if (!isIdentifier(name)) return;
    if (!exponentsNonNegative(original)) return;
    if (reduce) {
        const WeightVector w = readWeights(args[0]);
        for (std::int32_t weight : w)
            if (weight < 0) return;
        const std::string joinedOutput = joinLines(output);
        if (!degreesNonNegative(parseDocument(joinedOutput), w)) return;
    }
    std::string again;
    const int status = runOnce(args, output, again);
    if (status != 0 || again != output) {
        std::cerr << "round trip changed the output\n--- first\n" << output << "--- second\n" << again;
        std::abort();
    }
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

    std::ostringstream err;
    std::streambuf* saved = std::cerr.rdbuf(err.rdbuf());
    std::string output;
    const int status = runOnce(args, input, output);
    std::cerr.rdbuf(saved);

    if (!err.str().empty() || (status != 0 && status != 1 && status != 255) || output.empty() ||
        output.back() != '\n') {
        std::cerr << "bad outcome: status " << status << ", standard error '" << err.str() << "'\n";
        std::abort();
    }
    bool ring = false;
    bool reduce = false;
    for (std::size_t k = 1; k < std::min<std::size_t>(args.size(), 3); ++k) {
        ring = ring || args[k] == "--ring";
        reduce = reduce || args[k] == "--reduce";
    }
    // --help and --version read no document; ring implies a first argument.
    if (status == 0 && ring && args[0] != "--help" && args[0] != "--version") {
        checkRoundTrip(args, input, output, reduce);
    }
    return 0;
}
