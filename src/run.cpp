// A run: the command line decides what is done, and with which arithmetic.
#include "run.hpp"

#include "answer.hpp"
#include "diagnostics.hpp"
#include "exact.hpp"
#include "options.hpp"
#include "usage.hpp"
#include "weightsfile.hpp"

#ifndef INITFORM_VERSION
#define INITFORM_VERSION "unknown"
#endif

namespace initform {

namespace {

constexpr std::string_view kNeedVector = "Need argument: exponentvector.";
constexpr std::string_view kNeedWeightsFile = "Need argument: weights file.";

// Answers the vector or the weights file in one arithmetic.
template <class A>
int answer(const Options& o, std::istream& in, Diagnostics& diag) {
    return o.action == Options::Action::WeightsFile ? answerWeightsFile<A>(o, in, diag)
                                                    : answerOneVector<A>(o, in, diag);
}

int dispatch(const Options& o, std::istream& in, Diagnostics& diag) {
    switch (o.action) {
        case Options::Action::MissingVector:
            diag.line(kNeedVector);
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
        default:
            break;
    }
    if (o.largest && o.smallest) {
        diag.line("Bad input: --max and --min exclude each other");
        return 1;
    }
    diag.fractionsNeedExact = o.lenient && !o.exact;
    return o.exact ? answer<Exact>(o, in, diag) : answer<Wrapping>(o, in, diag);
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
