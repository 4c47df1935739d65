// Reading the command line.
#include "options.hpp"

#include <algorithm>

#include "pieces.hpp"

namespace initform {

bool isSwitch(std::string_view arg) {
    static constexpr std::string_view kSwitches[] = {"--reduce", "--ring",   "--exact",     "--max",     "--min",
                                                     "--lenient", "--toward", "--valuation", "--weights", "--cone",
                                                     "--help",    "--version", "--tropical", "--prevariety",
                                                     "--threads", "--part",   "--merge",      "--svg"};
    return std::find(std::begin(kSwitches), std::end(kSwitches), arg) != std::end(kSwitches);
}

Options parseOptions(std::span<const std::string_view> args) {
    Options o;
    if (args.empty() || args[0].empty()) {
        o.action = Options::Action::MissingVector;
        return o;
    }
    // Only these exact first arguments differ from a weight vector.
    if (args[0] == "--help") o.action = Options::Action::Help;
    if (args[0] == "--version") o.action = Options::Action::Version;
    if (args[0] == "--merge") {
        o.action = Options::Action::Merge;
        o.parts = args.subspan(1);
    }
    if (o.action != Options::Action::OneVector) return o;
    std::span<const std::string_view> switches = args.subspan(1);
    if (args[0] == "--cone") o.action = Options::Action::Cone;
    if (args[0] == "--tropical") o.action = Options::Action::Tropical;
    if (args[0] == "--prevariety") o.action = Options::Action::Prevariety;
    if (args[0] == "--weights") {
        o.action = Options::Action::WeightsFile;
        if (args.size() < 2 || isSwitch(args[1])) {
            o.action = Options::Action::MissingWeightsFile;
            return o;
        }
        o.weightsFile = args[1];
        switches = args.subspan(2);
    } else if (o.action == Options::Action::OneVector) {
        o.vector = args[0];
    }
    // Where the arguments of --toward and --valuation stand: no switches.
    std::size_t target = npos;
    std::size_t prime = npos;
    std::size_t count = npos;
    std::size_t share = npos;
    // Takes the argument after switch k for `sw`, unless it is empty (as an
    // empty vector is none) or one of the switches; a second `sw` is noted.
    const auto takeValue = [&](Options::ValueSwitch& sw, std::string_view name, std::size_t k, std::size_t& at) {
        if (sw.given) {
            if (o.repeated.empty()) o.repeated = name;
            return;
        }
        sw.given = true;
        if (k + 1 == switches.size() || switches[k + 1].empty() || isSwitch(switches[k + 1])) return;
        sw.value = switches[at = k + 1];
    };
    for (std::size_t k = 0; k < switches.size(); ++k) {
        const std::string_view a = switches[k];
        if (k == target || k == prime || k == count || k == share) continue;
        o.exact = o.exact || a == "--exact";
        o.largest = o.largest || a == "--max";
        o.smallest = o.smallest || a == "--min";
        o.lenient = o.lenient || a == "--lenient";
        o.svg = o.svg || a == "--svg";
        o.tropicalLater = o.tropicalLater || a == "--tropical";
        o.prevarietyLater = o.prevarietyLater || a == "--prevariety";
        o.coneLater = o.coneLater || a == "--cone";
        o.weightsLater = o.weightsLater || a == "--weights";
        o.mergeLater = o.mergeLater || a == "--merge";
        o.vectorLater = o.vectorLater || (o.action != Options::Action::OneVector && a.starts_with('('));
        if (a == "--toward") takeValue(o.toward, a, k, target);
        if (a == "--valuation") takeValue(o.valuation, a, k, prime);
        if (a == "--threads") takeValue(o.threads, a, k, count);
        if (a == "--part") takeValue(o.part, a, k, share);
    }
    const bool anywhere = o.exact || o.largest || o.smallest || o.lenient || o.toward || o.valuation || o.threads || o.part;
    const std::size_t last = anywhere ? switches.size() : std::min<std::size_t>(switches.size(), 2);
    for (std::size_t k = 0; k < last; ++k) {
        if (k == target || k == prime || k == count || k == share) continue;
        o.reduce = o.reduce || switches[k] == "--reduce";
        o.ring = o.ring || switches[k] == "--ring";
    }
    return o;
}

}  // namespace initform
