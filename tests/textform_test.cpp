#include <gtest/gtest.h>

#include <optional>
#include <sstream>

#include "test_support.hpp"

namespace initform::test {
namespace {

TEST(ReadNumber, FollowsStrtolThenKeepsLow32Bits) {
    const struct {
        std::string_view text;
        std::int32_t value;
    } rows[] = {
        {"12", 12},           {"  -7", -7},          {"+5x", 5},
        {"", 0},              {"-", 0},              {"abc", 0},
        {"\t\v\f\r 3", 3},    {"2147483648", INT32_MIN},
        {"4294967295", -1},   {"4294967296", 0},     {"-4294967295", 1},
        {"99999999999999999999", -1},                // clamped to 2^63 - 1
        {"-99999999999999999999", 0},                // clamped to -2^63
        {"9223372036854775808", -1},                 // just past 2^63 - 1
        {"-9223372036854775808", 0},
        {std::string_view("4\0" "2", 3), 4},
    };
    for (const auto& row : rows) EXPECT_EQ(readNumber(row.text), row.value) << row.text;
}

TEST(ReadExact64, FollowsStrtolButRefusesWhatLeaves64Bits) {
    const struct {
        std::string_view text;
        std::optional<std::int64_t> value;
    } rows[] = {
        {"12", 12},
        {" -7x", -7},
        {"", 0},
        {"4294967296", std::int64_t{1} << 32},
        {"9223372036854775807", INT64_MAX},
        {"-9223372036854775808", INT64_MIN},
        {"9223372036854775808", std::nullopt},
        {"-9223372036854775809", std::nullopt},
        {"000000000000000000000000000042", 42},
        {"99999999999999999999", std::nullopt},
    };
    for (const auto& row : rows) EXPECT_EQ(readExact64(row.text), row.value) << row.text;
}

TEST(Populate, CutsAtEveryDelimiterKeepingEmptyPieces) {
    StringList list{"kept"};
    populate(list, ",a,,b,", ',');
    EXPECT_EQ(list, (StringList{"kept", "", "a", "", "b", ""}));
    StringList one;
    populate(one, "", ',');
    EXPECT_EQ(one, (StringList{""}));
}

TEST(NextDelimiter, NeverExaminesTheStartCharacter) {
    EXPECT_EQ(nextDelimiter(0, "-x-y"), 2u);
    EXPECT_EQ(nextDelimiter(0, "x+-y"), 1u);
    EXPECT_EQ(nextDelimiter(2, "x+-y"), npos);
    EXPECT_EQ(nextDelimiter(5, "x+y"), npos);
}

TEST(FindVariable, FindsTheFirstOfEqualNamesAndManyNames) {
    Variables v = ring("x,y,x,,var_1");
    EXPECT_EQ(findVariable(v, "x"), 0u);
    EXPECT_EQ(findVariable(v, "y"), 1u);
    EXPECT_EQ(findVariable(v, ""), 3u);
    EXPECT_EQ(findVariable(v, "var_1"), 4u);
    EXPECT_EQ(findVariable(v, "var_2"), npos);
    std::string many;
    for (int k = 0; k < 5000; ++k) many += (k ? ",var_" : "var_") + std::to_string(k);
    Variables big = ring(many);
    for (int k = 0; k < 5000; k += 37) EXPECT_EQ(findVariable(big, "var_" + std::to_string(k)), std::size_t(k));
    EXPECT_EQ(findVariable(big, "var_5000"), npos);
}

// Reading and printing with the variables x, y; no initial form taken.
TEST(Writer, PrintsNumbersOfEveryLength) {
    const struct {
        std::int64_t n;
        std::string_view printed;
    } rows[] = {
        {0, "0"}, {9, "9"}, {10, "10"}, {42, "42"}, {99, "99"}, {100, "100"}, {-1, "-1"}, {-10, "-10"},
        {INT64_MAX, "9223372036854775807"}, {INT64_MIN, "-9223372036854775808"},
    };
    for (const auto& row : rows) {
        std::ostringstream os;
        Writer w(os);
        w.putNumber(row.n);
        w.lineEnd();
        EXPECT_EQ(os.str(), std::string(row.printed) + "\n") << row.n;
    }
}

TEST(PolynomialText, ReadsAndPrints) {
    const struct {
        std::string_view text;
        DenseMap terms;
        std::string_view printed;
    } rows[] = {
        {"3*x^2*y-x+2", {{{0, 0}, 2}, {{1, 0}, -1}, {{2, 1}, 3}}, "2-x+3*x^2*y"},
        {"x*y+2*y*x", {{{1, 1}, 3}}, "3*x*y"},
        {"x*x", {{{2, 0}, 1}}, "x^2"},
        {"-1", {{{0, 0}, -1}}, "-1"},
        {"y-x^0", {{{0, 0}, -1}, {{0, 1}, 1}}, "-1+y"},
        {"x+-y", {{{0, 1}, -1}, {{1, 0}, 1}}, "-y+x"},
        {"", {{{0, 0}, 0}}, "0"},
        {"-", {{{0, 0}, 0}}, "0"},
        {"x-x", {{{1, 0}, 0}}, "0*x"},
        {"x-x+y", {{{0, 1}, 1}, {{1, 0}, 0}}, "y+0*x"},
        {"y-x+x", {{{0, 1}, 1}, {{1, 0}, 0}}, "y+0*x"},
        {"x^", {{{0, 0}, 1}}, "1"},
        {"x+", {{{0, 0}, 0}, {{1, 0}, 1}}, "0+x"},
        {"x-", {{{0, 0}, 0}, {{1, 0}, 1}}, "0+x"},
        {"x^-1", {{{0, 0}, 0}}, "0"},
        {"x^+2", {{{0, 0}, 3}}, "3"},
        {"x^4294967295", {{{-1, 0}, 1}}, "x"},
        {"x^4294967295*y^-", {{{-1, 0}, 1}, {{0, 0}, 0}}, "x+0"},
        {"x^2y*x^2^3", {{{4, 0}, 1}}, "x^4"},
        {"*x", {{{1, 0}, 0}}, "0*x"},
        {"2147483648*x", {{{1, 0}, INT32_MIN}}, "-2147483648*x"},
        {"-2*x^2147483647*x", {{{INT32_MIN, 0}, -2}}, "-2*x"},
        {"--1", {{{0, 0}, -1}}, "-1"},  // the terms - and -1
        {"2*y-3*y+y", {{{0, 1}, 0}}, "0*y"},
        {"x^ 2", {{{2, 0}, 1}}, "x^2"},
        {"-x*y^3", {{{1, 3}, -1}}, "-x*y^3"},
        {"7*x-1*x^0*y^0", {{{0, 0}, -1}, {{1, 0}, 7}}, "-1+7*x"},
        // More factors than the reader's fixed buffer holds, then fewer.
        {"x*y*x*y*x*y*x*y*x*y*x*y*x*y*x*y*x*y-x*y^2+x^9*y^9*x^0", {{{1, 2}, -1}, {{9, 9}, 2}}, "-x*y^2+2*x^9*y^9"},
    };
    const Variables xy = ring("x,y");
    for (const auto& row : rows) {
        Polynomial p = read(row.text, xy);
        EXPECT_EQ(dense(p, 2), row.terms) << row.text;
        EXPECT_EQ(print(p, xy), row.printed) << row.text;
    }
}

// Exact coefficients with the variables x, y: what is printed, or the
// message of the input error.
TEST(PolynomialText, ReadsAndPrintsExactCoefficients) {
    const struct {
        std::string_view text;
        std::string_view printed;
    } rows[] = {
        {"123456789012345678901234567890*x", "123456789012345678901234567890*x"},
        {"-123456789012345678901234567890", "-123456789012345678901234567890"},
        {"1/2*x", "1/2*x"},
        {"6/4", "3/2"},
        {"-6/4*y", "-3/2*y"},
        {"-0/5", "0"},
        {"1/1*x", "x"},
        {"-2/2*x", "-x"},
        {"007*x", "7*x"},
        {"1/2*x+1/2*x", "x"},
        {"1/3*y-1/3*y+x", "0*y+x"},
        {"1/2+x-3/2", "-1+x"},
        {"2147483648*x+4294967295", "4294967295+2147483648*x"},
        {"9223372036854775807*x+1*x", "9223372036854775808*x"},
        {"-9223372036854775808-1+2", "-9223372036854775807"},
        {"99999999999999999999*y-99999999999999999998*y", "y"},
        {"x^4294967296*y^0", "x^4294967296"},
        {"4/6*x^2*y+5/2*x*y", "5/2*x*y+2/3*x^2*y"},
        {"3/0", "Zero denominator '3/0'"},
        {"x-00/000*y", "Zero denominator '00/000'"},
        {"1/2/3", "Unknown variable '1/2/3'"},
        {"/2", "Unknown variable '/2'"},
        {"2/", "Unknown variable '2/'"},
        {"1/2x", "Unknown variable '1/2x'"},
        {"x^99999999999999999999", "Exponent out of range 'x^99999999999999999999'"},
        {"x^4611686018427387904*y*x^4611686018427387904", "Exponent out of range 'x^4611686018427387904*y*x^4611686018427387904'"},
    };
    const Variables xy = ring("x,y");
    for (const auto& row : rows) {
        std::string got;
        try {
            got = print(read<Exact>(row.text, xy), xy);
        } catch (const BadInput& error) {
            got = error.message;
        }
        EXPECT_EQ(got, row.printed) << row.text;
    }
}

TEST(PolynomialText, UnknownNamesAreReportedExactly) {
    const struct {
        std::string_view text;
        std::string_view name;
    } rows[] = {
        {"+x", "+x"}, {"2x", "2x"}, {"2*3", "3"}, {"x--y", "-y"}, {"x*", ""},
        {"x**y", ""}, {"x+z^2", "z"}, {" x", " x"}, {"x+y\r", "y\r"}, {"x++y", "+y"},
    };
    const Variables xy = ring("x,y");
    for (const auto& row : rows) {
        try {
            read(row.text, xy);
            ADD_FAILURE() << row.text << " was accepted";
        } catch (const UnknownVariable& u) {
            EXPECT_EQ(u.name, row.name) << row.text;
        }
    }
}

TEST(PolynomialText, EmptyNameAndOddNamesAreOrdinaryVariables) {
    const Variables odd = ring("x,,-y");
    // The terms x* (x times the empty name), x and --y (minus the name -y).
    EXPECT_EQ(print(read("x*+x--y", odd), odd), "--y+x+x*");
    const Variables dup = ring("x,x");
    EXPECT_EQ(dense(read("x^2*x", dup), 2), (DenseMap{{{3, 0}, 1}}));
}

// Names of every length the reader finds in a different way (one byte, two,
// up to seven, longer), with bytes that also end a text in memory.
TEST(PolynomialText, FindsNamesOfEveryLength) {
    using namespace std::string_view_literals;
    const Variables v = ring("x,xy,\xff,y\xff,xyz,abcdefgh,a\0,b,c"sv);
    const struct {
        std::string_view text;
        std::string_view printed;  // or the message
    } rows[] = {
        {"x*xy*xyz", "x*xy*xyz"},
        {"xy^2*x^3", "x^3*xy^2"},
        {"\xff*y\xff", "\xff*y\xff"},
        {"abcdefgh^2+abcdefgh", "abcdefgh+abcdefgh^2"},
        {"a\0*b"sv, "a\0*b"sv},
        {"b*a\0"sv, "a\0*b"sv},
        {"yx", "Unknown variable 'yx'"},
        {"x\xff", "Unknown variable 'x\xff'"},
        {"abcdefg", "Unknown variable 'abcdefg'"},
        {"a", "Unknown variable 'a'"},
    };
    for (const auto& row : rows) {
        std::string got;
        try {
            got = print(read(row.text, v), v);
        } catch (const BadInput& error) {
            got = error.message;
        }
        EXPECT_EQ(got, row.printed) << row.text;
    }
}

TEST(PolynomialText, PrintsAnEmptyPolynomialAsZero) {
    EXPECT_EQ(print(Polynomial{}, ring("x")), "0");
}

TEST(PolynomialText, LongPolynomialCombinesAndKeepsKeyOrder) {
    // 200000 terms, all subtracted, over 5 distinct monomials: exercises the
    // term index growing, and the delimiter scan over a text without '+'.
    std::string text = "x";
    for (int k = 0; k < 200000; ++k) text += "-x^" + std::to_string(k % 5);
    const Variables x = ring("x");
    EXPECT_EQ(print(read(text, x), x), "-40000-39999*x-40000*x^2-40000*x^3-40000*x^4");
}

}  // namespace
}  // namespace initform::test

namespace initform::test {
namespace {

TEST(Lenient, SeesEveryFormAtEveryOffset) {
    // A canonical text is left alone; a lenient form anywhere in it, at
    // every offset across the 16-byte blocks of the scan, is rewritten.
    const std::string canonical = "Q[x,y]{x*y+x^2-3*y*x+x*x*y+y^2*x^3-x,x^12*y}";
    EXPECT_EQ(normalizeLenient(canonical), std::nullopt);
    for (const char blank : {' ', '\t', '\r', '\f', '\v'}) {
        for (std::size_t at = 0; at <= canonical.size(); ++at) {
            std::string lenient = canonical;
            lenient.insert(at, 1, blank);
            const std::optional<std::string> got = normalizeLenient(lenient);
            ASSERT_TRUE(got.has_value()) << "offset " << at;
            EXPECT_EQ(*got, canonical) << "offset " << at;
        }
    }
    // "**" and a leading '+' after ',' are seen wherever they stand.
    for (std::size_t at = 8; at + 1 < canonical.size(); ++at) {
        if (canonical[at] != '^') continue;
        std::string lenient = canonical;
        lenient.replace(at, 1, "**");
        EXPECT_EQ(normalizeLenient(lenient).value_or(""), canonical) << "offset " << at;
    }
    EXPECT_EQ(normalizeLenient("Q[x]{x,+x}").value_or(""), "Q[x]{x,x}");
    EXPECT_EQ(normalizeLenient("Q[x]{+x}").value_or(""), "Q[x]{x}");
}

TEST(Lenient, RewritesTerms) {
    const struct {
        const char* in;
        const char* out;
    } rows[] = {
        {"Q[d,x]{(10/9)*d^2-(1/10)*x+(3)*x+(4)}", "Q[d,x]{10/9*d^2-1/10*x+3*x+4}"},
        {"Q[x]{1//2*x}", "Q[x]{1/2*x}"},
        {"Q[x]{x/10,-x/10,6*x^2/5,1/2*x/3}", "Q[x]{1/10*x,-1/10*x,6/5*x^2,1/6*x}"},
        {"Q[x]{(3)x}", "Q[x]{(3)x}"},                 // not a coefficient: left for the reader to report
        {"Q[x]{x/y}", "Q[x]{x/y}"},                   // no digits after '/'
        {"Q[x]{x*2/3*x}", "Q[x]{x*2/3*x}"},           // the '/' is not at the term's end
        {"Q[x]{x+-(1/2)*x}", "Q[x]{x+-1/2*x}"},
        {"Q[x]{(2)*x+3*,(4)*}", "Q[x]{2*x+3*,4*}"},     // an empty last factor stays for the reader to report
        {"Q[x}]{(2)*x}", "Q[x}]{(2)*x}"},             // a '}' before the list: nothing to rewrite
    };
    for (const auto& row : rows) EXPECT_EQ(normalizeLenient(row.in).value_or(row.in), row.out) << row.in;
}

}  // namespace
}  // namespace initform::test
