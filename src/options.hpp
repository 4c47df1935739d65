// The command line: what the run is asked to do, and with which switches.
#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "query.hpp"

namespace initform {

// Everything the command line says, read once.
struct Options {
    enum class Action { MissingVector, MissingWeightsFile, Help, Version, OneVector, WeightsFile, Cone, Tropical, Prevariety,
                        Merge };
    Action action = Action::OneVector;
    std::string_view vector;       // the weight vector text (OneVector)
    std::string_view weightsFile;  // the file of weight vectors (WeightsFile)
    std::span<const std::string_view> parts;  // the files of the parts to merge (Merge; none: standard input)
    // A switch that takes the argument after it: whether it was given, and
    // that argument (absent when the command line ends or a switch follows).
    struct ValueSwitch {
        bool given = false;
        std::optional<std::string_view> value;
        explicit operator bool() const { return given; }
    };
    ValueSwitch toward;     // --toward TARGET: the walk's step toward the target
    ValueSwitch valuation;  // --valuation P: initial forms over the P-adic numbers
    ValueSwitch threads;    // --threads N: the prevariety's tree walked by N threads
    ValueSwitch part;       // --part K/N: the prevariety's cells below the K-th of N shares of its tree
    // The first switch that takes a value and was given twice, if any.
    std::string_view repeated;
    bool reduce = false;
    bool ring = false;
    bool exact = false;
    bool largest = false;   // --max
    bool smallest = false;  // --min
    bool lenient = false;   // --lenient
    bool svg = false;       // --svg: a picture of the plane curves
    // The first-argument actions named again after the first argument, where
    // they clash with it.
    bool tropicalLater = false;
    bool prevarietyLater = false;
    bool coneLater = false;
    bool weightsLater = false;
    bool mergeLater = false;
    // A weight vector ("(...)") after an action given first, where it
    // clashes with the action as a vector given first does.
    bool vectorLater = false;
    // The selection rule the switches ask for: with --valuation the
    // smallest degree unless --max asks for the largest.
    Selection rule() const { return largest ? kLargest : (smallest || valuation ? kSmallest : kClassic); }
};

// Whether an argument is one of initform's switches, which is never taken
// as the value of another.
bool isSwitch(std::string_view arg);

// Reads the arguments after the program name. The switches follow the
// vector (or the file of --weights, or --cone). Any of the filter's own
// switches other than --reduce and --ring makes every switch count wherever
// it stands; otherwise only the first two positions count. --toward,
// --valuation, --threads and --part take the argument after them as theirs,
// unless it is empty or is itself one of the switches. Other arguments are
// ignored. After --merge every argument is the file of a part.
Options parseOptions(std::span<const std::string_view> args);

}  // namespace initform
