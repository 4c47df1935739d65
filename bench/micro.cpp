// Micro-benchmarks of the hot functions: reading a long polynomial with the
// degree filter, reading it without (every term kept and combined), taking
// the initial form, and printing.
#include <benchmark/benchmark.h>

#include <sstream>
#include <string>

#include "initform.hpp"

namespace {

using namespace initform;
using Polynomial = PolynomialOf<Wrapping>;

Variables ringOf(std::string_view text) {
    StringList names;
    populate(names, text, ',');
    return makeVariables(std::move(names));
}

// About 100 000 terms over six variables, signs mixed.
std::string longPolynomial() {
    std::string s;
    std::uint64_t x = 12345;
    for (int t = 0; t < 100000; ++t) {
        x = x * 6364136223846793005ULL + 1442695040888963407ULL;
        if (t) s += (x >> 60) & 1 ? '-' : '+';
        s += std::to_string((x >> 40) % 999 + 1);
        for (int f = 0; f < 3; ++f) {
            s += "*x";
            s += std::to_string((x >> (10 + 3 * f)) % 6 + 1);
            s += '^';
            s += std::to_string((x >> (20 + 4 * f)) % 9);
        }
    }
    return s;
}

const std::string kText = longPolynomial();
const Variables kRing = ringOf("x1,x2,x3,x4,x5,x6");
const WeightVectorOf<Wrapping> kWeights{3, 1, 0, 2, 1, 4};

void readFiltered(benchmark::State& state) {
    Polynomial p;
    for (auto _ : state) {
        clearPoly(p);
        QueryOf<Wrapping> query{kWeights};
        findPolyRep(p, kText, kRing, query);
        benchmark::DoNotOptimize(p.terms.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kText.size()));
}
BENCHMARK(readFiltered);

void readAll(benchmark::State& state) {
    Polynomial p;
    for (auto _ : state) {
        clearPoly(p);
        findPolyRep(p, kText, kRing);
        benchmark::DoNotOptimize(p.terms.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kText.size()));
}
BENCHMARK(readAll);

void initialForm(benchmark::State& state) {
    Polynomial all;
    findPolyRep(all, kText, kRing);
    for (auto _ : state) {
        Polynomial p = all;
        transformToInitial(p, QueryOf<Wrapping>{kWeights});
        benchmark::DoNotOptimize(p.terms.data());
    }
}
BENCHMARK(initialForm);

void print(benchmark::State& state) {
    Polynomial all;
    findPolyRep(all, kText, kRing);
    for (auto _ : state) {
        std::ostringstream os;
        Writer w(os);
        printPoly(all, kRing.names, w);
        w.lineEnd();
        benchmark::DoNotOptimize(os.str().size());
    }
}
BENCHMARK(print);

}  // namespace

BENCHMARK_MAIN();
