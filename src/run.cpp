// A run: the command line decides what is done, and with which arithmetic.
#include "run.hpp"

#include <sched.h>

#include <algorithm>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "answer.hpp"
#include "diagnostics.hpp"
#include "marked.hpp"
#include "merge.hpp"
#include "options.hpp"
#include "tropical.hpp"
#include "usage.hpp"
#include "valued.hpp"
#include "weightsfile.hpp"

#ifndef INITFORM_VERSION
#define INITFORM_VERSION "unknown"
#endif

namespace initform {

namespace {

constexpr std::string_view kNeedExponentVector = "Need argument: exponentvector.";
constexpr std::string_view kNeedWeightsFile = "Need argument: weights file.";
constexpr std::string_view kNeedTarget = "Need argument: target vector.";
constexpr std::string_view kNeedPrime = "Need argument: valuation prime.";
constexpr std::string_view kNeedThreads = "Need argument: number of threads.";
constexpr std::string_view kNeedPart = "Need argument: part K/N.";
constexpr std::size_t kMostThreads = 1024;
constexpr std::size_t kMostParts = 1000000;

// The actions that take the place of the weight vector, in the order a
// clash of two names them.
struct Named {
    Options::Action action;
    bool Options::*later;
    const char* name;
};
constexpr Named kActions[] = {{Options::Action::WeightsFile, &Options::weightsLater, "--weights"},
                              {Options::Action::Cone, &Options::coneLater, "--cone"},
                              {Options::Action::Tropical, &Options::tropicalLater, "--tropical"},
                              {Options::Action::Prevariety, &Options::prevarietyLater, "--prevariety"},
                              {Options::Action::Merge, &Options::mergeLater, "--merge"}};

// Two actions asked for at once, whatever their order: "--X and --Y", or
// "a weight vector and --X"; empty when there are not two.
std::string actionClash(const Options& o) {
    std::vector<const char*> named;
    for (const Named& a : kActions) {
        if (o.action == a.action || o.*a.later) named.push_back(a.name);
    }
    if ((o.action == Options::Action::OneVector || o.vectorLater) && !named.empty()) {
        return std::string("a weight vector and ") + named[0];
    }
    return named.size() >= 2 ? std::string(named[0]) + " and " + named[1] : std::string();
}

// The action asked for, as a clash names it.
std::string actionName(const Options& o) {
    for (const Named& a : kActions) {
        if (o.action == a.action) return a.name;
    }
    return "a weight vector";
}

// The switches that cannot go together, if any are given together.
std::string clashOf(const Options& o) {
    using Action = Options::Action;
    if (o.largest && o.smallest) return "--max and --min";
    if (std::string actions = actionClash(o); !actions.empty()) return actions;
    // The switches of the prevariety's walk go with nothing else, and a
    // picture is of the tropical sets alone.
    const bool tropical = o.action == Action::Tropical || o.action == Action::Prevariety;
    for (const auto& [given, name] : {std::pair{o.threads.given && o.action != Action::Prevariety, "--threads"},
                                      std::pair{o.part.given && o.action != Action::Prevariety, "--part"},
                                      std::pair{o.svg && !tropical, "--svg"}}) {
        if (given) return actionName(o) + " and " + name;
    }
    if (tropical && o.toward) return o.action == Action::Tropical ? "--tropical and --toward" : "--prevariety and --toward";
    if (o.action == Action::Cone && o.toward) return "--cone and --toward";
    if (o.action == Action::WeightsFile && o.toward) return "--weights and --toward";
    if (o.action == Action::Cone && o.valuation) return "--cone and --valuation";
    if (o.toward && o.valuation) return "--toward and --valuation";
    return {};
}

// The processors this process may run on.
std::size_t availableThreads() {
    cpu_set_t set;
    return ::sched_getaffinity(0, sizeof set, &set) == 0 ? static_cast<std::size_t>(std::max(1, CPU_COUNT(&set))) : 1;
}

// A positive decimal number of at most `most`, the whole text; nullopt otherwise.
std::optional<std::size_t> countOf(std::string_view text, std::size_t most) {
    std::size_t n = 0;
    for (const char c : text) {
        if (c < '0' || c > '9' || n > most) return std::nullopt;
        n = n * 10 + static_cast<std::size_t>(c - '0');
    }
    if (n < 1 || n > most) return std::nullopt;
    return n;
}

// The walk that --threads and --part ask for; nullopt after saying why a
// value is none.
std::optional<Walk> walkOf(const Options& o, Diagnostics& diag) {
    Walk walk;
    walk.threads = availableThreads();
    if (o.threads) {
        const std::optional<std::size_t> n = countOf(*o.threads.value, kMostThreads);
        if (!n) {
            diag.line("Bad input: Threads '" + std::string(*o.threads.value) + "' is not a number from 1 to " +
                      std::to_string(kMostThreads));
            return std::nullopt;
        }
        walk.threads = *n;
    }
    if (o.part) {
        const std::string_view text = *o.part.value;
        const std::size_t slash = text.find('/');
        const std::optional<std::size_t> k = countOf(text.substr(0, slash), kMostParts);
        const std::optional<std::size_t> n = slash == npos ? std::nullopt : countOf(text.substr(slash + 1), kMostParts);
        if (!k || !n || *k > *n) {
            diag.line("Bad input: Part '" + std::string(text) + "' is not K/N with 1 <= K <= N <= " +
                      std::to_string(kMostParts));
            return std::nullopt;
        }
        walk.part = *k;
        walk.parts = *n;
    }
    return walk;
}

// Answers the vector or the weights file in one arithmetic, over its field.
template <class A>
int answer(const Options& o, const typename A::Field& field, const InputSource& in, Diagnostics& diag) {
    return o.action == Options::Action::WeightsFile ? answerWeightsFile<A>(o, field, in, diag)
                                                    : answerOneVector<A>(o, field, in, diag);
}

int dispatch(const Options& o, const InputSource& in, Diagnostics& diag) {
    switch (o.action) {
        case Options::Action::MissingVector:
            diag.line(kNeedExponentVector);
            return 255;
        case Options::Action::MissingWeightsFile:
            diag.line(kNeedWeightsFile);
            return 255;
        case Options::Action::Help:
            for (std::string_view line : usageLines()) diag.line(line);
            return diag.out.ok() ? 0 : 1;
        case Options::Action::Version:
            diag.line("initform " INITFORM_VERSION);
            return diag.out.ok() ? 0 : 1;
        case Options::Action::Merge:
            return answerMerge(o, in, diag);
        default:
            break;
    }
    if (const std::string clash = clashOf(o); !clash.empty()) {
        diag.line("Bad input: " + clash + " exclude each other");
        return 1;
    }
    if (!o.repeated.empty()) {
        diag.line("Bad input: " + std::string(o.repeated) + " is given twice");
        return 1;
    }
    // A switch given without its value.
    for (const auto& [sw, need] : {std::pair{&o.toward, kNeedTarget}, std::pair{&o.valuation, kNeedPrime},
                                   std::pair{&o.threads, kNeedThreads}, std::pair{&o.part, kNeedPart}}) {
        if (*sw && !sw->value) {
            diag.line(need);
            return 255;
        }
    }
    const std::optional<Walk> walk = walkOf(o, diag);
    if (!walk) return 1;
    // The prime of --valuation P, read and tested once, before the input is read.
    std::optional<Prime> prime;
    if (o.valuation && !(prime = readPrime(*o.valuation.value))) {
        diag.line("Bad input: Valuation '" + std::string(*o.valuation.value) + "' is not a prime");
        return 1;
    }
    if (o.action == Options::Action::Cone) return answerCone(o, in, diag);
    if (o.action == Options::Action::Tropical) return answerTropical(o, prime, in, diag);
    if (o.action == Options::Action::Prevariety) return answerPrevariety(o, prime, *walk, in, diag);
    if (o.toward) return answerWalk(o, in, diag);
    if (prime) return answer<Valued>(o, Valued::Field{std::move(*prime), o.largest}, in, diag);
    diag.fractionsNeedExact = o.lenient && !o.exact;
    return o.exact ? answer<Exact>(o, {}, in, diag) : answer<Wrapping>(o, {}, in, diag);
}

}  // namespace

int run(std::span<const std::string_view> args, const InputSource& in, Writer& out, ErrorStream& err) {
    Diagnostics diag(out, err);
    int status = 1;
    try {
        status = dispatch(parseOptions(args), in, diag);
    } catch (const std::bad_alloc&) {
        // Not an input error but the machine's limit: said where a failure
        // of the system is said, and never reported as success.
        diag.outOfMemory();
    } catch (const SystemFailure& failure) {
        diag.systemFailure(failure);
    }
    return diag.finish(status);
}

int run(std::span<const std::string_view> args, std::istream& in, std::ostream& out, std::ostream& err) {
    Writer w(out);
    ErrorStream e(err);
    return run(args, InputSource{-1, &in}, w, e);
}

}  // namespace initform
