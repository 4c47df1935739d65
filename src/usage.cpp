// The usage text of --help.
#include "usage.hpp"

namespace initform {

namespace {

constexpr std::string_view kLines[] = {
    "Usage: initform VECTOR [--reduce] [--ring] [--exact] [--max | --min] [--lenient]",
    "                [--valuation P] < DOCUMENT",
    "       initform --weights FILE [switches] < DOCUMENT",
    "       initform --cone [--min] [--lenient] < MARKED",
    "       initform VECTOR --toward TARGET [--min] [--lenient] < MARKED",
    "       initform --tropical | --prevariety [--min | --max] [--valuation P] [--lenient] < DOCUMENT",
    "Prints the initial form of each polynomial of DOCUMENT with respect to the",
    "integer weight vector VECTOR: its terms of largest weighted degree (0 or more).",
    "",
    "  VECTOR     one integer weight per ring variable, separated by commas; its",
    "             first and last characters are dropped, as in '(1,-2,0)'",
    "  --reduce   divide each initial form by the largest monomial dividing its terms",
    "  --ring     also write the ring header and '}': the output is again a document",
    "  --exact    compute over Q exactly: coefficients of any size and fractions",
    "             such as 1/2, 64-bit exponents, weights of any size and fractions;",
    "             without it, numbers are 32-bit and wrap around",
    "  --max      the textbook initial form: the terms of largest degree, whatever",
    "             its sign; coefficients that cancel to 0 are no terms",
    "  --min      the same with the smallest degree (the tropical convention)",
    "  --valuation P  over the P-adic numbers (P a prime of any size): the terms of",
    "             smallest val_P(c) + w.a (--max: largest -val_P(c) + w.a), each",
    "             coefficient written as its unit part's residue mod P (1 to P-1);",
    "             numbers are read as with --exact",
    "  --lenient  read what computer algebra systems print: white space anywhere,",
    "             ** for ^, a leading +, (10/9)*x, 1//2*x, x/10 (fractions need",
    "             --exact); with Singular set short=0 first",
    "  --weights FILE  one weight vector per line of FILE, over one reading of",
    "             DOCUMENT: each answer as its own run prints it, the next line of",
    "             FILE read only once the answer is written (FILE may be a pipe);",
    "             the run stops after the first answer that fails",
    "  --cone     the Groebner cone of the marked basis MARKED (each polynomial's",
    "             first term marked): the weights under which every marked term has",
    "             the largest degree (with --min the smallest); prints its dimension,",
    "             equations, lineality space, facets (w.v >= 0) and a relative",
    "             interior point, each vector primitive, one labelled line each",
    "  --toward TARGET  the walk's step: the last point of the segment from VECTOR",
    "             (in the cone) to TARGET that stays in the cone, as a vector",
    "  --tropical  each polynomial's tropical hypersurface: the weights where its",
    "             textbook initial form (--min: the smallest degree; with --valuation",
    "             that one's) keeps two or more terms, as \"polynomial K\" and a block:",
    "             dimension, lineality, vertex, ray and cell lines (or \"empty\")",
    "  --prevariety  one block: the intersection of the hypersurfaces, with the",
    "             cells of their common refinement",
    "With --exact, --max, --min, --lenient, --toward or --valuation the switches count in any",
    "position after VECTOR (or FILE), otherwise only in the next two. --max and --min exclude",
    "each other; --cone, --toward and --valuation exclude each other, and --tropical and",
    "--prevariety exclude each other, --cone, --weights and --toward.",
    "Example: for x^2+y^2+2*x+2*y and the weights (-1,-1) the classic rule prints 0,",
    "--max prints 2*y+2*x and --min prints y^2+x^2.",
    "",
    "Document: Q[x,y,...]{polynomial,polynomial,...}, line ends ignored",
    "Example:  echo 'Q[x,y]{3*x^2*y-x+2,x*y+2*y*x}' | initform '(1,1)'",
    "          prints 3*x^2*y, and 3*x*y on two lines",
    "",
    "Messages of bad input go to standard output. Standard error gets at most one",
    "line: a failure of the system (a read or a write that failed, memory",
    "exhausted), or else, without --exact, the warning that a number or a weighted",
    "degree left 32 bits and wrapped around.",
    "Exit status: 0 on success, 1 on bad input or a failure of the system, 255",
    "without VECTOR (or without FILE after --weights, TARGET after --toward, or P after",
    "--valuation; a switch there is no value).",
};

}  // namespace

std::span<const std::string_view> usageLines() { return kLines; }

}  // namespace initform
