// Writes a deterministic benchmark document of a given shape and size, and
// the weight vector to use with it.
//
// usage: initform_gen SHAPE MEGABYTES SEED DOCUMENT WEIGHTS
//   SHAPE: many | huge | wide | minus | combine | long
// "long" has coefficients of 40 to 100 digits, a third of them fractions:
// a document for --exact only.
// A shape with the suffix "-i" (many-i, huge-i, ...) takes the numbers of
// independently generated documents instead: weights 1 to 9 (so the running
// maximum degree rises many times along a long polynomial), coefficients 1
// to 30, exponents 1 to 9, 1 to 3 factors a term; many-i has 3 to 10 terms
// over 3 to 6 of its 6 variables, wide-i 5 to 30 terms.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <utility>
#include <iostream>
#include <string>
#include <vector>

namespace {

struct Rng {
    std::uint64_t s;
    std::uint64_t next() {
        std::uint64_t z = (s += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint64_t>(n)); }
    int between(int lo, int hi) { return lo + below(hi - lo + 1); }
};

struct Shape {
    int vars;
    bool wideNames;
    int minTerms, maxTerms;    // terms per polynomial
    int minFactors, maxFactors;
    int maxExp;
    int monomials;             // > 0: terms are drawn from this many monomials
    bool onlyMinus;
    bool longCoefficients = false;
    // The numbers of the "-i" variants; the defaults are the original shapes'.
    int minExp = 0;
    int maxCoeff = 999;
    int minWeight = -1, maxWeight = 4;
    int minVarsUsed = 0, maxVarsUsed = 0;  // per polynomial; 0: all
};

// The "-i" variant of a shape.
Shape independent(Shape s, const std::string& name) {
    s.minFactors = 1;
    s.maxFactors = 3;
    s.minExp = 1;
    s.maxExp = 9;
    s.maxCoeff = 30;
    s.minWeight = 1;
    s.maxWeight = 9;
    if (name == "many") s.minVarsUsed = 3, s.maxVarsUsed = 6;
    if (name == "wide") s.minTerms = 5, s.maxTerms = 30;
    return s;
}

Shape shapeFor(const std::string& name, std::size_t bytes) {
    // Long polynomials: about a fifth of the document each (a handful).
    const int longTerms = static_cast<int>(bytes / 5 / 16) + 10;
    if (name == "many") return {6, false, 3, 10, 0, 4, 5, 0, false};
    if (name == "huge") return {8, false, longTerms, longTerms, 1, 5, 9, 0, false};
    if (name == "wide") return {500, true, 200, 2000, 1, 3, 4, 0, false};
    if (name == "minus") return {6, false, longTerms, longTerms, 1, 4, 7, 0, true};
    if (name == "combine") return {6, false, longTerms, longTerms, 1, 4, 3, 12, false};
    if (name == "long") return {4, false, 20, 200, 1, 3, 6, 0, false, true};
    std::cerr << "unknown shape: " << name << "\n";
    std::exit(2);
}

std::string varName(const Shape& s, int k) {
    std::string name = s.wideNames ? "var_" : "x";
    name += std::to_string(s.wideNames ? k : k + 1);
    return name;
}

// A monomial over the given variables, in random order.
std::string monomial(const Shape& s, Rng& r, const std::vector<int>& vars) {
    std::string m;
    int factors = r.between(s.minFactors, s.maxFactors);
    for (int f = 0; f < factors; ++f) {
        if (!m.empty()) m += '*';
        m += varName(s, vars[static_cast<std::size_t>(r.below(static_cast<int>(vars.size())))]);
        int e = r.between(s.minExp, s.maxExp);
        if (e != 1) {
            m += '^';
            m += std::to_string(e);
        }
    }
    return m;
}

std::string digits(Rng& r, int count) {
    std::string d(1, static_cast<char>('1' + r.below(9)));
    while (static_cast<int>(d.size()) < count) d += static_cast<char>('0' + r.below(10));
    return d;
}

// A coefficient of 40 to 100 digits; every third one a fraction.
std::string longCoefficient(Rng& r) {
    if (r.below(3) != 0) return digits(r, r.between(40, 100));
    return digits(r, r.between(20, 60)) + "/" + digits(r, r.between(20, 40));
}

// Writes text, breaking lines every 80 to 200 characters, anywhere.
struct LineBreaker {
    std::ofstream& out;
    Rng& r;
    int left;
    std::size_t written = 0;
    void put(const std::string& s) {
        for (char c : s) {
            out.put(c);
            ++written;
            if (--left == 0) {
                out.put('\n');
                ++written;
                left = r.between(80, 200);
            }
        }
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 6) {
        std::cerr << "usage: initform_gen SHAPE MEGABYTES SEED DOCUMENT WEIGHTS\n";
        return 2;
    }
    std::string shapeName = argv[1];
    const bool variant = shapeName.ends_with("-i");
    if (variant) shapeName.resize(shapeName.size() - 2);
    const std::size_t bytes = static_cast<std::size_t>(std::atof(argv[2]) * 1024 * 1024);
    Rng r{std::strtoull(argv[3], nullptr, 10) * 7919 + 1 + (variant ? 104729 : 0)};
    const Shape s = variant ? independent(shapeFor(shapeName, bytes), shapeName) : shapeFor(shapeName, bytes);

    std::ofstream weights(argv[5]);
    weights << '(';
    for (int k = 0; k < s.vars; ++k) weights << (k ? "," : "") << r.between(s.minWeight, s.maxWeight);
    weights << ")\n";

    std::vector<int> all;
    for (int k = 0; k < s.vars; ++k) all.push_back(k);
    std::vector<std::string> pool;
    for (int k = 0; k < s.monomials; ++k) pool.push_back(monomial(s, r, all));

    std::ofstream doc(argv[4], std::ios::binary);
    LineBreaker out{doc, r, r.between(80, 200)};
    std::string header = "Q[";
    for (int k = 0; k < s.vars; ++k) {
        if (k) header += ',';
        header += varName(s, k);
    }
    out.put(header + "]{");
    bool firstPoly = true;
    while (out.written < bytes) {
        if (!firstPoly) out.put(",");
        firstPoly = false;
        int terms = r.between(s.minTerms, s.maxTerms);
        std::vector<int> vars = all;
        if (s.maxVarsUsed > 0) {  // a random subset of the variables
            for (std::size_t k = vars.size(); k > 1; --k)
                std::swap(vars[k - 1], vars[static_cast<std::size_t>(r.below(static_cast<int>(k)))]);
            vars.resize(static_cast<std::size_t>(r.between(s.minVarsUsed, s.maxVarsUsed)));
        }
        std::string term;
        for (int t = 0; t < terms && out.written < bytes; ++t) {
            term.clear();
            if (t > 0) term += (s.onlyMinus || r.below(2)) ? '-' : '+';
            else if (r.below(4) == 0) term += '-';
            std::string m = s.monomials ? pool[static_cast<std::size_t>(r.below(s.monomials))] : monomial(s, r, vars);
            if (s.longCoefficients) {
                term += longCoefficient(r);
                if (!m.empty()) term += '*';
            } else {
                int c = r.below(3) == 0 ? 1 : r.between(1, s.maxCoeff);
                if (c != 1 || m.empty()) term += std::to_string(c);
                if (c != 1 && !m.empty()) term += '*';
            }
            term += m;
            out.put(term);
        }
    }
    out.put("}");
    doc.put('\n');
    return 0;
}
