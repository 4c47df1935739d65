// The command line: what the run is asked to do, and with which switches.
#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "query.hpp"

namespace initform {

// Everything the command line says, read once.
struct Options {
    enum class Action { MissingVector, MissingWeightsFile, Help, Version, OneVector, WeightsFile, Cone };
    Action action = Action::OneVector;
    std::string_view vector;       // the weight vector text (OneVector)
    std::string_view weightsFile;  // the file of weight vectors (WeightsFile)
    // --toward TARGET: the walk's step toward the target (its text, absent
    // when --toward ends the command line).
    bool walk = false;
    std::optional<std::string_view> toward;
    // --valuation P: initial forms over the P-adic numbers (the text of P,
    // absent when --valuation ends the command line).
    bool valued = false;
    std::optional<std::string_view> valuation;
    bool reduce = false;
    bool ring = false;
    bool exact = false;
    bool largest = false;   // --max
    bool smallest = false;  // --min
    bool lenient = false;   // --lenient
    // The selection rule the switches ask for: with --valuation the
    // smallest degree unless --max asks for the largest.
    Selection rule() const { return largest ? kLargest : (smallest || valued ? kSmallest : kClassic); }
};

// Reads the arguments after the program name. The switches follow the
// vector (or the file of --weights, or --cone). Any of the filter's own
// switches other than --reduce and --ring makes every switch count wherever
// it stands; otherwise only the first two positions count. --toward and
// --valuation take the argument after them as theirs. Other arguments are
// ignored.
Options parseOptions(std::span<const std::string_view> args);

}  // namespace initform
