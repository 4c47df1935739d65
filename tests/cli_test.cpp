// End-to-end rows: arguments and standard input of the initform binary, and
// the exact standard output and exit status expected (standard error must
// stay empty).
#include <gtest/gtest.h>

#include "initform.hpp"
#include "run_binary.hpp"

namespace initform::test {
namespace {

struct Row {
    const char* name;
    std::vector<std::string> args;
    std::string in;
    std::string out;
    int status;
    bool warns = false;  // the default mode's wrap-around warning on standard error
    Source source = Source::File;
};

// A document of `terms` terms x, longer than standard input's first read.
std::string manyX(std::size_t terms) {
    std::string text = "Q[x]{";
    for (std::size_t k = 1; k < terms; ++k) text += "x+";
    return text + "x}";
}

const std::string kTwo = "Q[x,y]{3*x^2*y-x+2,x*y+2*y*x}\n";
// Numbers the default mode wraps around.
const std::string kBig = "Q[x,y]{2147483648*x+y,4294967295}";

const Row kRows[] = {
    // The worked example and its switches.
    {"worked_example", {"(1,1)", "--ring"}, kTwo, "Q[x,y]{\n3*x^2*y,\n3*x*y}\n", 0},
    {"plain", {"(1,1)"}, kTwo, "3*x^2*y,\n3*x*y\n", 0},
    {"all_zero_weights", {"(0,0)"}, kTwo, "2-x+3*x^2*y,\n3*x*y\n", 0},
    {"ring_then_reduce", {"(1,1)", "--ring", "--reduce"}, kTwo, "Q[x,y]{\n3,\n3}\n", 0},
    {"reduce_then_ring", {"(1,1)", "--reduce", "--ring"}, kTwo, "Q[x,y]{\n3,\n3}\n", 0},
    {"reduce_alone", {"(1,1)", "--reduce"}, kTwo, "3,\n3\n", 0},
    {"switch_repeated", {"(1,1)", "--ring", "--ring"}, kTwo, "Q[x,y]{\n3*x^2*y,\n3*x*y}\n", 0},
    {"switch_unknown", {"(1,1)", "--rings", "-r"}, kTwo, "3*x^2*y,\n3*x*y\n", 0},
    {"fourth_argument_ignored", {"(1,1)", "x", "y", "--ring"}, kTwo, "3*x^2*y,\n3*x*y\n", 0},
    // --reduce.
    {"reduce_two_terms", {"(2,1)", "--reduce"}, "Q[x,y]{x^2*y+x*y^3}", "y^2+x\n", 0},
    {"reduce_constant_term_unchanged", {"(0,0)", "--reduce"}, "Q[x,y]{x^2*y+2}", "2+x^2*y\n", 0},
    {"reduce_keeps_zero_coefficient", {"(1,1)", "--reduce"}, "Q[x,y]{x*y-y*x+x^2}", "0*y+x\n", 0},
    {"reduce_empty_initial_form", {"(-1)", "--ring", "--reduce"}, "Q[x]{x,x^2}", "Q[x]{\n0,\n0}\n", 0},
    // --help and --version, only as the exact first argument.
    {"help", {"--help", "--ring"}, "", std::string(), 0},
    {"version", {"--version"}, "Q[x]{x}", "initform " INITFORM_VERSION "\n", 0},
    {"help_as_weights", {"--help!"}, "Q[x]{x}", "x\n", 0},  // "-help" reads as 0
    {"version_second", {"(1)", "--version"}, "Q[x]{x}", "x\n", 0},
    // The weight vector.
    {"missing_argument", {}, kTwo, "Need argument: exponentvector.\n", 255},
    {"empty_argument", {""}, kTwo, "Need argument: exponentvector.\n", 255},
    {"one_char_argument", {"x"}, "Q[x]{x+1}", "1+x\n", 0},
    {"two_char_argument", {"()"}, "Q[x]{x+1}", "1+x\n", 0},
    {"empty_pieces", {"(1,,2)"}, "Q[x,y,z]{x+y+z}", "z\n", 0},
    {"digits_then_junk", {"(3a,1)"}, "Q[x,y]{x+y^2}", "x\n", 0},
    {"no_brackets", {"1,2"}, "Q[x,y]{x+y}", "y+x\n", 0},
    {"blank_after_comma", {"(1, 2)"}, "Q[x,y]{x+y}", "y\n", 0},
    {"weight_wraps", {"(4294967295)"}, "Q[x]{x+1}", "1\n", 0, true},
    // A document longer than the first read, through a pipe: no size to go by.
    {"long_document_through_a_pipe", {"(1)"}, manyX(1500001), "1500001*x\n", 0, false, Source::Pipe},
    // Framing and its messages.
    {"empty_input", {"(1)"}, "", "Bad input: Must start with 'Q['\n", 1},
    {"leading_blank", {"(1)"}, " Q[x]{x}", "Bad input: Must start with 'Q['\n", 1},
    {"only_opening", {"(1)"}, "Q[", "Bad input: Couldn't find ']{'\n", 1},
    {"no_open_brace", {"(1)"}, "Q[x]x}", "Bad input: Couldn't find ']{'\n", 1},
    {"no_close_brace", {"(1)", "--ring"}, "Q[x]{x", "Bad input: Couldn't find '}'\n", 1},
    {"dimension", {"(1,1)"}, "Q[x]{x}", "Dimension of standard input (1) and vector-argument (2) doesn't match\n", 1},
    {"dimension_after_header", {"(1)", "--ring"}, "Q[x,y,z]{x}",
     "Q[x,y,z]{\nDimension of standard input (3) and vector-argument (1) doesn't match\n", 1},
    {"text_after_brace_ignored", {"(1)"}, "Q[x]{x}{garbage,z}\nmore", "x\n", 0},
    {"brace_in_variable_text", {"(1,1)", "--ring"}, "Q[x,}]{x+3,2*}", "Q[x,}]{\nx,\n2*}}\n", 0},
    {"empty_variable_text", {"(1)", "--ring"}, "Q[]{3*,2}", "Q[]{\n3*,\n2}\n", 0},
    {"empty_list", {"(1)"}, "Q[x]{}", "0\n", 0},
    {"trailing_comma", {"(1)"}, "Q[x]{x,}", "x,\n0\n", 0},
    {"lines_joined_anywhere", {"(1,1)"}, "Q[x,\ny]{3\n*x^1\n2+y\n}\n", "3*x^12\n", 0},
    {"crlf_kept", {"(1)"}, "Q[x]{x}\r\n", "x\n", 0},
    {"crlf_inside", {"(1)"}, "Q[x]{x\r\n}", "Bad input: Unknown variable 'x\\r'\n", 1},
    // Printing.
    {"zero_coefficient_later", {"(0,0)"}, "Q[x,y]{x-x+y}", "y+0*x\n", 0},
    {"ones_and_signs", {"(0,0)"}, "Q[x,y]{y-x^0,-x*y-1,x+-y}", "-1+y,\n-1-x*y,\n-y+x\n", 0},
    {"empty_initial_form", {"(-1)"}, "Q[x]{x}", "0\n", 0},
    {"empty_initial_form_ring", {"(-1)", "--ring"}, "Q[x]{x}", "Q[x]{\n0}\n", 0},
    {"two_empty_initial_forms", {"(-1)", "--ring"}, "Q[x]{x,x}", "Q[x]{\n0,\n0}\n", 0},
    {"negative_weight_keeps_degree_zero", {"(-1,0)"}, "Q[x,y]{x+y,x+x*y}", "y,\n0\n", 0},
    {"truncated_exponent_bare_name", {"(0)"}, "Q[x]{x^4294967295}", "x\n", 0, true},
    {"coefficient_wraps", {"(0)"}, "Q[x]{2147483648*x}", "-2147483648*x\n", 0, true},
    // Numbers of 20 digits and more clamp to 64 bits before their low 32 bits are kept.
    {"coefficient_21_digits_clamps", {"(1)"}, "Q[t]{240694062815701128416*t}", "-t\n", 0, true},
    {"exponent_21_digits_clamps", {"(0)"}, "Q[t]{t^240694062815701128416}", "t\n", 0, true},
    // The clamp at the 64-bit boundary: both numbers below it read as
    // themselves, only larger ones become 9223372036854775807 (then wrap).
    {"weight_below_clamp", {"(9223372036854775806,-1)", "--max"}, "Q[x,y]{x+y}", "y\n", 0, true},
    {"weight_at_clamp", {"(9223372036854775807,-1)", "--max"}, "Q[x,y]{x+y}", "y+x\n", 0, true},
    {"weight_above_clamp", {"(9223372036854775808,-1)", "--max"}, "Q[x,y]{x+y}", "y+x\n", 0, true},
    {"weight_near_clamp_wraps", {"(9223372036854775800,-1)", "--max"}, "Q[x,y]{x+y^5}", "y^5\n", 0, true},
    {"coefficient_below_clamp", {"(1)"}, "Q[x]{9223372036854775806*x}", "-2*x\n", 0, true},
    {"coefficient_at_clamp", {"(1)"}, "Q[x]{9223372036854775807*x}", "-x\n", 0, true},
    {"coefficient_above_clamp", {"(1)"}, "Q[x]{9223372036854775808*x}", "-x\n", 0, true},
    {"exponent_below_clamp", {"(1)", "--max"}, "Q[x]{x^9223372036854775806*x^2+x}", "x\n", 0, true},
    {"exponent_at_clamp", {"(1)", "--max"}, "Q[x]{x^9223372036854775807*x^2+x}", "2*x\n", 0, true},
    {"exponent_above_clamp", {"(1)", "--max"}, "Q[x]{x^9223372036854775808*x^2+x}", "2*x\n", 0, true},
    {"weight_24_digits_clamps", {"(-922337203685477580812345)"}, "Q[x]{x+1}", "1+x\n", 0, true},
    {"weight_wraps_degree", {"(2147483647)"}, "Q[x]{x^2+1}", "1\n", 0, true},
    {"sum_of_like_terms_wraps", {"(1)"}, "Q[x]{2147483647*x+x}", "-2147483648*x\n", 0, true},
    {"exponent_sum_wraps", {"(0)"}, "Q[x]{x^2147483647*x}", "x\n", 0, true},
    {"exponent_sum_wraps_apart", {"(0,0)"}, "Q[x,y]{x^2147483647*y*x}", "x*y\n", 0, true},
    {"within_32_bits_no_warning", {"(2147483647)"}, "Q[x]{2147483647*x-2147483648*x}", "-x\n", 0},
    // A coefficient of a term that is never kept cannot change the output.
    {"wrapped_coefficient_in_dropped_term", {"(1)"}, "Q[x]{x+4294967296}", "x\n", 0},
    {"wrapped_exponent_in_dropped_term", {"(1)"}, "Q[x]{x^3+x^4294967297}", "x^3\n", 0, true},
    {"degree_wraps_in_many_factors", {"(1000)"}, "Q[x]{1+x^9*x^9*x^9*x^9*x^9*x^9*x^9*x^9*x^9*x^9*x^9*x^9*x^9*x^9*x^9*x^9*x^9*x^9*"
     "x^9*x^9*x^9*x^9*x^9*x^9*x^9*x^9*x^9*x^9*x^9*x^9*x^9*x^9*x^9*x^9*x^9*x^9*x^9*x^9*x^9*x^9*x^9*x^9*x^9}", "x^387\n",
     0},
    // Terms that might wrap are checked after their polynomial is read:
    // those before an error count, and exponents whose bits together reach
    // the bound but not one by one are no wrap.
    {"wrap_before_error", {"(3)"}, "Q[x]{x^4294967297+y}", "Bad input: Unknown variable 'y'\n", 1, true},
    {"wrap_after_error_unread", {"(3)"}, "Q[x]{y+x^4294967297}", "Bad input: Unknown variable 'y'\n", 1},
    {"wrap_then_error_in_next", {"(3)"}, "Q[x]{x^4294967297*x+1,y}", "x^2,\nBad input: Unknown variable 'y'\n", 1, true},
    {"exponent_bits_reach_bound_no_wrap", {"(3)"}, "Q[x]{x^16777216+x^33554432}", "x^33554432\n", 0},
    // The reader's fixed buffers and fast paths at their edges.
    {"sixteen_factors", {"(1)"}, "Q[x]{x*x*x*x*x*x*x*x*x*x*x*x*x*x*x*x+1}", "x^16\n", 0},
    {"seventeen_factors", {"(1)"}, "Q[x]{x*x*x*x*x*x*x*x*x*x*x*x*x*x*x*x*x+1}", "x^17\n", 0},
    {"exponent_colon_not_digit", {"(1,1)"}, "Q[x,y]{x^:*y}", "y\n", 0},
    {"name_of_16_bytes", {"(1)", "--ring"}, "Q[abcdefghijklmnop]{abcdefghijklmnop}",
     "Q[abcdefghijklmnop]{\nabcdefghijklmnop}\n", 0},
    {"name_of_15_bytes", {"(1)"}, "Q[abcdefghijklmno]{2*abcdefghijklmno}", "2*abcdefghijklmno\n", 0},
    {"brace_in_names_then_line_end", {"(1)"}, "Q[x}]{x\n", "Bad input: Unknown variable 'x'\n", 1},
    // Unknown variables: earlier polynomials stay printed.
    {"unknown_variable", {"(1,1)"}, "Q[x,y]{x,y,z,x}", "x,\ny,\nBad input: Unknown variable 'z'\n", 1},
    {"unknown_plus_first", {"(1)"}, "Q[x]{+x}", "Bad input: Unknown variable '+x'\n", 1},
    {"unknown_missing_star", {"(1)"}, "Q[x]{2x}", "Bad input: Unknown variable '2x'\n", 1},
    {"unknown_number_factor", {"(1)"}, "Q[x]{2*3}", "Bad input: Unknown variable '3'\n", 1},
    {"unknown_double_sign", {"(1,1)"}, "Q[x,y]{x--y}", "Bad input: Unknown variable '-y'\n", 1},
    {"unknown_empty_factor", {"(1)", "--ring"}, "Q[x]{x*}", "Q[x]{\nBad input: Unknown variable ''\n", 1},
    {"unknown_in_low_degree_term", {"(1)"}, "Q[x]{x^5+q}", "Bad input: Unknown variable 'q'\n", 1},
    {"bytes_kept_in_message", {"(1)"}, std::string("Q[x]{x+\xc3\xa9\0!}", 12),
     "Bad input: Unknown variable '\xc3\xa9\\x00!'\n", 1},
    // Messages show control bytes escaped, so that they print as one clean line.
    {"control_bytes_escaped", {"(1)"}, std::string("Q[x]{x+a\tb\x01\x7f\\\v\f}"),
     "Bad input: Unknown variable 'a\\tb\\x01\\x7f\\\\v\\f'\n", 1},
    {"nul_and_high_bytes_in_names", {"(1,1)"}, std::string("Q[\xc3\xa9,a\0b]{a\0b^2+\xc3\xa9}", 20),
     std::string("a\0b^2\n", 6), 0},
    // --exact: where it stands, and what it changes in the switch rules.
    {"exact_absent_wraps", {"(1,1)", "--ring"}, kBig, "Q[x,y]{\ny-2147483648*x,\n-1}\n", 0, true},
    {"exact_second", {"(1,1)", "--exact"}, kBig, "y+2147483648*x,\n4294967295\n", 0},
    {"exact_third", {"(1,1)", "--ring", "--exact"}, kBig, "Q[x,y]{\ny+2147483648*x,\n4294967295}\n", 0},
    {"exact_fourth", {"(1,1)", "x", "y", "--exact"}, kBig, "y+2147483648*x,\n4294967295\n", 0},
    {"exact_fourth_switches_anywhere", {"(1,1)", "x", "--ring", "--exact", "--reduce"}, kTwo,
     "Q[x,y]{\n3,\n3}\n", 0},
    {"exact_first_reduce_ring", {"(1,1)", "--exact", "--reduce", "--ring"}, kTwo, "Q[x,y]{\n3,\n3}\n", 0},
    {"exact_ring_reduce_first", {"(1,1)", "--ring", "--reduce", "--exact"}, kTwo, "Q[x,y]{\n3,\n3}\n", 0},
    {"exact_reduce_exact_ring", {"(1,1)", "--reduce", "--exact", "--ring"}, kTwo, "Q[x,y]{\n3,\n3}\n", 0},
    {"exact_not_first_argument", {"--exact", "--ring"}, "Q[x]{x}", "Q[x]{\nx}\n", 0},  // "-exac" reads as 0
    {"fourth_switch_ignored_without_exact", {"(1,1)", "x", "y", "--ring"}, kTwo, "3*x^2*y,\n3*x*y\n", 0},
    // --exact: numbers beyond 32 and 64 bits.
    {"exact_exponent_beyond_32_bits", {"(1)", "--exact"}, "Q[x]{x^4294967296+x^4294967295}",
     "x^4294967296\n", 0},
    {"exact_weight_beyond_32_bits", {"(4294967296,1)", "--exact"}, "Q[x,y]{x+y}", "x\n", 0},
    {"exact_degree_beyond_64_bits", {"(4294967296,1)", "--exact"}, "Q[x,y]{y^9223372036854775807+x^4294967296}",
     "x^4294967296\n", 0},
    {"exact_degree_beyond_128_bits", {"(9223372036854775807,9223372036854775807,9223372036854775807)", "--exact"},
     "Q[x,y,z]{x^9223372036854775807*y^9223372036854775807*z^9223372036854775806+"
     "x^9223372036854775807*y^9223372036854775807*z^9223372036854775807}",
     "x^9223372036854775807*y^9223372036854775807*z^9223372036854775807\n", 0},
    // A term of small weights beyond 64 bits, then terms whose degrees fit.
    {"exact_floor_beyond_64_bits", {"(2,1)", "--exact"}, "Q[x,y]{x^9000000000000000000+y^2+x*y}",
     "x^9000000000000000000\n", 0},
    {"max_degree_below_64_bits", {"(-2,1)", "--exact", "--max"}, "Q[x,y]{x^9000000000000000000+y}", "y\n", 0},
    {"min_floor_beyond_64_bits", {"(-2,1)", "--exact", "--min"}, "Q[x,y]{x^9000000000000000000+y+x}",
     "x^9000000000000000000\n", 0},
    {"exact_big_coefficients_cancel", {"(1)", "--exact"},
     "Q[x]{123456789012345678901234567890*x+1-123456789012345678901234567890*x}", "0*x\n", 0},
    {"exact_overflowing_sum_exact", {"(1)", "--exact"},
     "Q[x]{9223372036854775807*x+9223372036854775807*x,-9223372036854775808*x-x}",
     "18446744073709551614*x,\n-9223372036854775809*x\n", 0},
    {"exact_fractions", {"(0,0)", "--exact"}, "Q[x,y]{1/2*x-3/4+6/4*x*y,1/3*y+1/6*y,-0/5*x}",
     "-3/4+1/2*x+3/2*x*y,\n1/2*y,\n0*x\n", 0},
    {"exact_fraction_reduce", {"(1)", "--exact", "--reduce"}, "Q[x]{1/2*x^2-3/4*x^2+x}", "-1/4\n", 0},
    {"exact_fraction_read_back", {"(1)", "--exact", "--ring"}, "Q[x]{\n-3/4\n}\n", "Q[x]{\n-3/4}\n", 0},
    {"fraction_without_exact", {"(1)"}, "Q[x]{1/2*x}", "Bad input: Unknown variable '1/2'\n", 1},
    // --exact: the new messages.
    {"exact_weight_beyond_64_bits", {"(1,9223372036854775808)", "--exact"}, "Q[x,y]{x+y}", "y\n", 0},
    {"exact_negative_weight_beyond_64_bits", {"( -9223372036854775809x)", "--exact", "--ring"}, "Q[x]{x+1}",
     "Q[x]{\n1}\n", 0},
    {"exact_exponent_out_of_range", {"(1)", "--exact"}, "Q[x]{x,x^9223372036854775808}",
     "x,\nBad input: Exponent out of range 'x^9223372036854775808'\n", 1},
    {"exact_exponent_sum_out_of_range", {"(1)", "--exact"}, "Q[x]{x^9223372036854775807*x}",
     "Bad input: Exponent out of range 'x^9223372036854775807*x'\n", 1},
    {"exact_exponent_sum_in_dropped_term", {"(-1)", "--exact"}, "Q[x]{1+x^9223372036854775807*x}",
     "Bad input: Exponent out of range 'x^9223372036854775807*x'\n", 1},
    {"exact_spread_needs_offset", {"(715827882,715827882)", "--exact"}, "Q[x,y]{1+x^8589934591*y^8589934591}",
     "x^8589934591*y^8589934591\n", 0},
    {"exact_wide_exponents_in_dropped_term", {"(-1)", "--exact"}, "Q[x]{1+x^4611686018427387903*x^4611686018427387904}",
     "1\n", 0},
    {"exact_zero_denominator", {"(1)", "--exact", "--ring"}, "Q[x]{x,x^2-3/0*x}",
     "Q[x]{\nx,\nBad input: Zero denominator '3/0'\n", 1},
    {"exact_zero_denominator_in_dropped_term", {"(1)", "--exact"}, "Q[x]{x^2+1/00}",
     "Bad input: Zero denominator '1/00'\n", 1},
    // --max and --min: the textbook initial forms.
    {"max_negative_weights", {"(-1,-1)", "--max"}, "Q[x,y]{x^2+y^2+2*x+2*y}", "2*y+2*x\n", 0},
    {"min_negative_weights", {"(-1,-1)", "--min"}, "Q[x,y]{x^2+y^2+2*x+2*y}", "y^2+x^2\n", 0},
    {"classic_negative_weights", {"(-1,-1)"}, "Q[x,y]{x^2+y^2+2*x+2*y}", "0\n", 0},
    {"min_without_constant", {"(1,1)", "--min"}, "Q[x,y]{x^2+x*y+y}", "y\n", 0},
    {"max_cancelled_top", {"(1,1)", "--max"}, "Q[x,y]{x^2+y-x^2}", "y\n", 0},
    {"max_cancelled_then_needed", {"(1,1)", "--max"}, "Q[x,y]{x^3+y+x-x^3+3*x^2-x^2-2*x^2}", "y+x\n", 0},
    {"min_cancelled_bottom", {"(1,1)", "--min"}, "Q[x,y]{1+x^2+y^3-1}", "x^2\n", 0},
    {"max_all_cancel", {"(1,1)", "--max", "--ring"}, "Q[x,y]{x-x+y-y,0*x}", "Q[x,y]{\n0,\n0}\n", 0},
    {"classic_keeps_cancelled", {"(1,1)"}, "Q[x,y]{x^2+y-x^2}", "0*x^2\n", 0},
    {"max_reduce_ring_anywhere", {"(1,1)", "--max", "--reduce", "--ring"}, kTwo, "Q[x,y]{\n3,\n3}\n", 0},
    {"max_fourth_position", {"(1,1)", "x", "y", "--ring", "--max"}, kTwo, "Q[x,y]{\n3*x^2*y,\n3*x*y}\n", 0},
    {"min_first_then_reduce", {"(1,1)", "--min", "x", "--reduce"}, "Q[x,y]{x*y^2+x^2*y+x^3*y^3}", "y+x\n", 0},
    {"min_exact_fractions", {"(1/2,-1/3)", "--exact", "--min"}, "Q[x,y]{x^2+y^3+x*y}", "y^3\n", 0},
    {"max_exact_wraps_nothing", {"(2147483647)", "--max", "--exact"}, "Q[x]{x^2+1}", "x^2\n", 0},
    {"max_default_wrapped_degree", {"(2147483647)", "--max"}, "Q[x]{x^2+1}", "1\n", 0, true},
    {"min_weight_32_bit_floor", {"(-2147483648)", "--min"}, "Q[x]{x+1}", "x\n", 0},
    {"max_and_min", {"(1)", "--max", "--min"}, "not read", "Bad input: --max and --min exclude each other\n", 1},
    {"max_and_min_apart", {"(1)", "--ring", "x", "--min", "--max"}, "Q[x]{x}",
     "Bad input: --max and --min exclude each other\n", 1},
    // --exact weights: fractions and any size.
    {"exact_fraction_weights", {"(1/2,1/3)", "--exact"}, "Q[x,y]{x^2+y^3+x*y}", "y^3+x^2\n", 0},
    {"exact_fraction_weights_scaled", {"(3/6,1/3)", "--exact", "--ring"}, "Q[x,y]{x^2+y^3-x*y}",
     "Q[x,y]{\ny^3+x^2}\n", 0},
    {"exact_fraction_weight_junk", {"( -1/2z,1/)", "--exact"}, "Q[x,y]{x+y^2}", "y^2\n", 0},
    {"exact_weight_zero_denominator", {"(1,2/0)", "--exact"}, "not read", "Bad input: Zero denominator '2/0'\n", 1},
    {"exact_weight_40_digits", {"(1000000000000000000000000000000000000000,-1)", "--exact"},
     "Q[x,y]{x*y^99999+y}", "x*y^99999\n", 0},
    {"exact_weight_40_digits_min", {"(1000000000000000000000000000000000000000,-1)", "--exact", "--min"},
     "Q[x,y]{x*y^99999+x^2+x*y}", "x*y^99999\n", 0},
    {"exact_huge_and_fraction", {"(1/3,99999999999999999999/7)", "--exact"}, "Q[x,y]{x^1000000000000000000+y^3}",
     "y^3\n", 0},
    // --lenient: the forms other systems print, read as the canonical ones.
    {"lenient_blanks_everywhere", {"(1,1)", "--lenient", "--ring"}, "Q[ x , y ]{ x + y ,\tx*y\r\n}", "Q[x,y]{\ny+x,\nx*y}\n", 0},
    {"lenient_double_star_power", {"(1,1)", "--lenient"}, "Q[x,y]{x**2+y**3*x}", "x*y^3\n", 0},
    {"lenient_leading_plus", {"(1)", "--lenient"}, "Q[x]{+x,+-x,+ 2}", "x,\n-x,\n2\n", 0},
    {"lenient_parenthesised", {"(0,0)", "--lenient", "--exact"}, "Q[d,x]{(10/9)*d^2-(1/2)*x+(3)*x+(4)}",
     "4+5/2*x+10/9*d^2\n", 0},
    {"lenient_double_slash", {"(0)", "--lenient", "--exact"}, "Q[x]{1//2*x-3//4}", "-3/4+1/2*x\n", 0},
    {"lenient_trailing_division", {"(0,0,0)", "--lenient", "--exact"}, "Q[x1,x2,b]{x1/10,6*x2**2/5,-x1*b/4,3/2*b/3}",
     "1/10*x1,\n6/5*x2^2,\n-1/4*x1*b,\n1/2*b\n", 0},
    {"lenient_big_division", {"(1,1)", "--lenient", "--exact"}, "Q[b,d]{358511*b*d/292324032}",
     "358511/292324032*b*d\n", 0},
    {"lenient_fraction_needs_exact", {"(1)", "--lenient"}, "Q[x]{x+1,x/10}",
     "x,\nBad input: Fraction '1/10' needs --exact\n", 1},
    {"lenient_zero_division", {"(1)", "--lenient", "--exact"}, "Q[x]{x/0}", "Bad input: Zero denominator '1/0'\n", 1},
    {"lenient_message_without_blanks", {"(1)", "--lenient"}, "Q[x]{x + 2 q}", "Bad input: Unknown variable '2q'\n", 1},
    {"lenient_fourth_position", {"(1,1)", "a", "b", "--ring", "--lenient"}, "Q[x, y]{x+y}", "Q[x,y]{\ny+x}\n", 0},
    {"without_lenient_blank_is_a_name", {"(1,1)"}, "Q[x, y]{x+y}", "Bad input: Unknown variable 'y'\n", 1},
    // --cone: the Gröbner cone of a marked basis (the peers' own cases).
    {"cone_grevlex_basis", {"--cone"}, "Q[x,y,z]{y^2-x*z,x*y-z,x^2-y}",
     "dimension 3\nlineality (1,2,3)\nfacet (-1,2,-1)\nfacet (2,-1,0)\ninterior (1,1,0)\n", 0},
    {"cone_grevlex_basis_min", {"--cone", "--min"}, "Q[x,y,z]{y^2-x*z,x*y-z,x^2-y}",
     "dimension 3\nlineality (1,2,3)\nfacet (-2,1,0)\nfacet (1,-2,1)\ninterior (-1,-1,0)\n", 0},
    {"cone_lex_basis", {"--cone"}, "Q[x1,x2,x3]{x2+x3,x1}",
     "dimension 3\nlineality (1,0,0)\nlineality (0,1,1)\nfacet (0,1,-1)\ninterior (0,1,0)\n", 0},
    {"cone_homogeneity_space", {"--cone"}, "Q[x1,x2,x3]{x1^2+x2,x2^2+x3,x3}",
     "dimension 3\nlineality (1,2,4)\nfacet (0,2,-1)\nfacet (2,-1,0)\ninterior (1,1,0)\n", 0},
    {"cone_homogeneity_space_linear", {"--cone"}, "Q[x1,x2,x3]{x1+x2,x2+x3,x3}",
     "dimension 3\nlineality (1,1,1)\nfacet (0,1,-1)\nfacet (1,-1,0)\ninterior (2,1,0)\n", 0},
    {"cone_no_homogeneity", {"--cone"}, "Q[x1,x2,x3]{x1^2+x2,x2^2+x3,x3+1}",
     "dimension 3\nfacet (0,0,1)\nfacet (0,2,-1)\nfacet (2,-1,0)\ninterior (3,4,4)\n", 0},
    {"cone_with_equation", {"--cone"}, "Q[x,y]{x-y,y-x}", "dimension 1\nequation (1,-1)\nlineality (1,1)\ninterior (1,1)\n",
     0},
    // The facet x^2 > z, (2,0,-1), lies in the plane of the equation only once projected onto it.
    {"cone_facet_projected_onto_equations", {"--cone"}, "Q[x,y,z]{x-y,y*z-x*z,x^2-z}",
     "dimension 2\nequation (1,-1,0)\nlineality (1,1,2)\nfacet (1,1,-1)\ninterior (1,1,0)\n", 0},
    {"cone_of_monomials", {"--cone", "--ring", "--exact"}, "Q[x,y]{x,y^2}",
     "dimension 2\nlineality (1,0)\nlineality (0,1)\ninterior (1,1)\n", 0},
    {"cone_only_zero", {"--cone"}, "Q[x]{x+1,1+x}", "dimension 0\nequation (1)\ninterior (0)\n", 0},
    {"cone_cancelled_term_is_no_term", {"--cone"}, "Q[x,y]{x+y-y}", "dimension 2\nlineality (1,0)\nlineality (0,1)\ninterior (1,1)\n",
     0},
    {"cone_lenient_fractions", {"--cone", "--lenient"}, "Q[x,y,z]{ y^2 - x*z, (1/2)*x*y-z, x**2 - 3/4*y}",
     "dimension 3\nlineality (1,2,3)\nfacet (-1,2,-1)\nfacet (2,-1,0)\ninterior (1,1,0)\n", 0},
    {"cone_polynomial_zero", {"--cone"}, "Q[x,y]{x-y,0}", "Bad input: Polynomial 2 is 0: it has no term to mark\n", 1},
    {"cone_marked_term_cancels", {"--cone"}, "Q[x,y]{x-y,x-x+y}",
     "Bad input: The marked term of polynomial 2 cancels to 0\n", 1},
    {"cone_framing", {"--cone"}, "x", "Bad input: Must start with 'Q['\n", 1},
    {"cone_and_toward", {"--cone", "--toward", "(1)"}, "not read", "Bad input: --cone and --toward exclude each other\n",
     1},
    // --toward: the walk's step (Macaulay2's GroebnerWalk tests, two steps).
    {"walk_first_step", {"(1,1,10)", "--toward", "(10,1,1)"}, "Q[x,y,z]{y^2-x,z^3-x}", "(2,1,9)\n", 0},
    {"walk_second_step", {"(2,1,9)", "--toward", "(10,1,1)"}, "Q[x,y,z]{x-y^2,z^3-y^2}", "(10,1,1)\n", 0},
    {"walk_fractions", {"(1/2,1/2,5)", "--toward", "(10,1,1)"}, "Q[x,y,z]{y^2-x,z^3-x}", "(2,1,9)\n", 0},
    {"walk_switches_anywhere", {"(1,1,10)", "--ring", "--toward", "(10,1,1)", "--exact"}, "Q[x,y,z]{y^2-x,z^3-x}",
     "(2,1,9)\n", 0},
    {"walk_outside_the_cone", {"(10,1,1)", "--toward", "(1,1,10)"}, "Q[x,y,z]{y^2-x,z^3-x}",
     "Bad input: (10,1,1) is outside the cone of the marked basis\n", 1},
    {"walk_target_dimension", {"(1,1,10)", "--toward", "(10,1)"}, "Q[x,y,z]{y^2-x,z^3-x}",
     "Dimension of standard input (3) and vector-argument (2) doesn't match\n", 1},
    {"walk_target_zero_denominator", {"(1)", "--toward", "(1/0)"}, "not read", "Bad input: Zero denominator '1/0'\n", 1},
    {"walk_missing_target", {"(1)", "--toward"}, "not read", "Need argument: target vector.\n", 255},
    {"walk_switch_is_no_target", {"(1)", "--toward", "--min"}, "not read", "Need argument: target vector.\n", 255},
    {"walk_target_given_twice", {"(1)", "--toward", "(2)", "--toward", "(3)"}, "not read",
     "Bad input: --toward is given twice\n", 1},
    // A step that reaches the target prints it as written, not rescaled, so
    // that a walk knows it has arrived.
    {"walk_reaches_target_as_written", {"(2,1,9)", "--toward", "(20,2,2)"}, "Q[x,y,z]{x-y^2,z^3-y^2}", "(20,2,2)\n", 0},
    {"walk_reaches_fraction_target", {"(2,1,9)", "--toward", "(040/2,1/2,2)"}, "Q[x,y,z]{x-y^2,z^3-y^2}",
     "(20,1/2,2)\n", 0},
    {"walk_segment_in_a_hyperplane", {"(1,1)", "--toward", "(2,2)"}, "Q[x,y]{x-y}", "(2,2)\n", 0},
    {"walk_start_dimension", {"(1,1,10,5)", "--toward", "(10,1,1)"}, "Q[x,y,z]{y^2-x,z^3-x}",
     "Dimension of standard input (3) and vector-argument (4) doesn't match\n", 1},
    {"walk_weights_beyond_64_bits", {"(1,1,100000000000000000000)", "--toward", "(10,1,1)"}, "Q[x,y,z]{y^2-x,z^3-x}",
     "(2,1,88888888888888888889)\n", 0},
    {"walk_back_beyond_64_bits", {"(2,1,88888888888888888889)", "--toward", "(1,1,100000000000000000000)"},
     "Q[x,y,z]{y^2-x,z^3-x}", "(1,1,100000000000000000000)\n", 0},
    {"walk_empty_target", {"(1)", "--toward", ""}, "not read", "Need argument: target vector.\n", 255},
    {"weights_and_toward", {"--weights", "/dev/null", "--toward", "(1)"}, "not read",
     "Bad input: --weights and --toward exclude each other\n", 1},
    // --valuation: initial forms over the P-adic numbers (OSCAR's own cases).
    {"valuation_min", {"(-1,-1)", "--valuation", "2"}, "Q[x,y]{x^2+y^2+2*x+2*y}", "y^2+x^2\n", 0},
    {"valuation_max", {"(-1,-1)", "--valuation", "2", "--max"}, "Q[x,y]{x^2+y^2+2*x+2*y}", "y+y^2+x+x^2\n", 0},
    {"valuation_zero_weights", {"(0,0)", "--valuation", "2"}, "Q[x,y]{x+y+2}", "y+x\n", 0},
    {"valuation_linear_forms", {"(0,0,0,0)", "--valuation", "2"}, "Q[x1,x2,x3,x4]{x1+2*x2-3*x3,3*x2-4*x3+5*x4}",
     "x3+x1,\nx4+x2\n", 0},
    {"valuation_linear_forms_weighted", {"(1,0,0,1)", "--valuation", "2"},
     "Q[x1,x2,x3,x4]{x1+2*x2-3*x3,3*x2-4*x3+5*x4}", "x3,\nx2\n", 0},
    // Like terms combine before the valuation counts; residues mod P.
    // 4 = 2^2 ranks 2, above x; read first, it must not hide x from the reader.
    {"valuation_divisible_coefficient_first", {"(1)", "--valuation", "2"}, "Q[x]{4+x}", "x\n", 0},
    {"valuation_of_a_sum", {"(0,0)", "--valuation", "2"}, "Q[x,y]{x+x+2*y+y}", "y\n", 0},
    {"valuation_sum_cancels_level", {"(0,0)", "--valuation", "3"}, "Q[x,y]{x+2*x+9*y+3*x*y}", "x+x*y\n", 0},
    {"valuation_fractions", {"(0,0)", "--valuation", "2", "--lenient"}, "Q[x,y]{3*x+5*x+4*y, 1/2*x+y/4}", "y,\ny\n", 0},
    {"valuation_residues", {"(0)", "--valuation", "7", "--ring"}, "Q[x]{-1+14*x^2,10/3}", "Q[x]{\n6,\n1}\n", 0},
    {"valuation_all_cancel", {"(1)", "--valuation", "5"}, "Q[x]{x-x,0}", "0,\n0\n", 0},
    {"valuation_reduce", {"(1,1)", "--valuation", "3", "--reduce"}, "Q[x,y]{3*x^2*y+x*y^2+6*y^3}", "1\n", 0},
    {"valuation_fraction_weights", {"(1/2,1/3)", "--valuation", "2"}, "Q[x,y]{4*x^2+y^3}", "y^3\n", 0},
    {"valuation_prime_beyond_64_bits", {"(0)", "--valuation", "18446744073709551629"},
     "Q[x]{18446744073709551629*x+18446744073709551630}", "1\n", 0},
    {"valuation_leading_zeros", {"(0)", "--valuation", "007"}, "Q[x]{7*x+1}", "1\n", 0},
    {"valuation_not_a_prime", {"(1)", "--valuation", "4"}, "not read", "Bad input: Valuation '4' is not a prime\n", 1},
    {"valuation_not_a_number", {"(1)", "--valuation", "-7"}, "not read", "Bad input: Valuation '-7' is not a prime\n", 1},
    {"valuation_missing", {"(1)", "--valuation"}, "not read", "Need argument: valuation prime.\n", 255},
    {"valuation_switch_is_no_prime", {"(1)", "--valuation", "--exact"}, "not read", "Need argument: valuation prime.\n",
     255},
    {"valuation_given_twice", {"(1)", "--valuation", "3", "--valuation", "4"}, "not read",
     "Bad input: --valuation is given twice\n", 1},
    {"valuation_composite_beyond_64_bits", {"(1)", "--valuation", "18446744073709551630"}, "not read",
     "Bad input: Valuation '18446744073709551630' is not a prime\n", 1},
    {"valuation_prime_leading_zero_beyond_64_bits", {"(0)", "--valuation", "018446744073709551629"},
     "Q[x]{x+1/18446744073709551629}", "1\n", 0},
    {"valuation_and_cone", {"--cone", "--valuation", "2"}, "not read", "Bad input: --cone and --valuation exclude each other\n",
     1},
    {"valuation_and_toward", {"(1)", "--valuation", "2", "--toward", "(2)"}, "not read",
     "Bad input: --toward and --valuation exclude each other\n", 1},
    // --tropical and --prevariety: where the initial forms keep two terms.
    {"tropical_line", {"--tropical"}, "Q[x,y]{x+y+1}",
     "polynomial 1\ndimension 1\nvertex (0,0)\nray (-1,0)\nray (0,-1)\nray (1,1)\n"
     "cell 1 2 multiplicity 1\ncell 1 3 multiplicity 1\ncell 1 4 multiplicity 1\n", 0},
    {"tropical_conic_2_adic", {"--tropical", "--valuation", "2"}, "Q[x,y]{x^2+y^2+2*x+2*y+4}",
     "polynomial 1\ndimension 1\nvertex (1,1)\nray (-1,-1)\nray (0,1)\nray (1,0)\n"
     "cell 1 2 multiplicity 2\ncell 1 3 multiplicity 2\ncell 1 4 multiplicity 2\n", 0},
    {"tropical_conic_2_adic_max", {"--tropical", "--max", "--valuation", "2"}, "Q[x,y]{x^2+y^2+2*x+2*y+4}",
     "polynomial 1\ndimension 1\nvertex (-1,-1)\nray (-1,0)\nray (0,-1)\nray (1,1)\n"
     "cell 1 2 multiplicity 2\ncell 1 3 multiplicity 2\ncell 1 4 multiplicity 2\n", 0},
    {"tropical_cubic_min_and_monomial", {"--tropical", "--min"}, "Q[x,y]{x^3+x*y+y^3+1,5*x}",
     "polynomial 1\ndimension 1\nvertex (0,0)\nray (-1,-1)\nray (0,1)\nray (1,0)\n"
     "cell 1 2 multiplicity 3\ncell 1 3 multiplicity 3\ncell 1 4 multiplicity 3\npolynomial 2\nempty\n", 0},
    {"tropical_zero_and_constant", {"--tropical"}, "Q[x,y]{x-x,3}",
     "polynomial 1\ndimension 2\nlineality (1,0)\nlineality (0,1)\nvertex (0,0)\ncell 1\npolynomial 2\nempty\n", 0},
    {"tropical_switches_that_change_nothing", {"--tropical", "--reduce", "--ring", "--exact", "--lenient"},
     "Q[x,y]{ x + 1/2*y }", "polynomial 1\ndimension 1\nlineality (1,1)\nvertex (0,0)\ncell 1 multiplicity 1\n", 0},
    {"tropical_reading_error_after_a_block", {"--tropical"}, "Q[x]{x+1,x+q}",
     "polynomial 1\ndimension 0\nvertex (0)\ncell 1 multiplicity 1\nBad input: Unknown variable 'q'\n", 1},
    {"prevariety_binomials", {"--prevariety"}, "Q[x,y,z]{x*y-z^2,x*z-y^2}",
     "dimension 1\nlineality (1,1,1)\nvertex (0,0,0)\ncell 1\n", 0},
    {"prevariety_cyclic_4", {"--prevariety"},
     "Q[x1,x2,x3,x4]{x1+x2+x3+x4,x1*x2+x2*x3+x3*x4+x4*x1,x1*x2*x3+x2*x3*x4+x3*x4*x1+x4*x1*x2,x1*x2*x3*x4-1}",
     "dimension 1\nvertex (0,0,0,0)\nray (-1,1,-1,1)\nray (1,-1,1,-1)\ncell 1 2\ncell 1 3\n", 0},
    {"prevariety_meets_nowhere", {"--prevariety"}, "Q[x]{x+1,x}", "empty\n", 0},
    // The first two meet in a line that is no lineality of the whole: the
    // branch goes on, and the third leaves a ray of it.
    {"prevariety_through_a_line", {"--prevariety"}, "Q[x,y,z]{x+1,y*z+y,x+y+1}",
     "dimension 1\nvertex (0,0,0)\nray (0,-1,0)\ncell 1 2\n", 0},
    // Six variables: cells of two dimensions, each cut from lines and rays.
    {"prevariety_cyclic_6", {"--prevariety"},
     "Q[x1,x2,x3,x4,x5,x6]{x1+x2+x3+x4+x5+x6,x1*x2+x2*x3+x3*x4+x4*x5+x5*x6+x6*x1,x1*x2*x3+x2*x3*x4+x3*x4*x5+x4*x5*x6+x5*x6*x1+x6*x1*x2,x1*x2*x3*x4+x2*x3*x4*x5+x3*x4*x5*x6+x4*x5*x6*x1+x5*x6*x1*x2+x6*x1*x2*x3,x1*x2*x3*x4*x5+x2*x3*x4*x5*x6+x3*x4*x5*x6*x1+x4*x5*x6*x1*x2+x5*x6*x1*x2*x3+x6*x1*x2*x3*x4,x1*x2*x3*x4*x5*x6-1}",
     "dimension 2\nvertex (0,0,0,0,0,0)\nray (-2,1,1,-2,1,1)\nray (-1,-1,2,-1,-1,2)\n"
     "ray (-1,1,-1,1,-1,1)\nray (-1,2,-1,-1,2,-1)\nray (1,-2,1,1,-2,1)\nray (1,-1,1,-1,1,-1)\n"
     "ray (1,1,-2,1,1,-2)\nray (2,-1,-1,2,-1,-1)\ncell 1 2 3\ncell 1 2 5\ncell 1 3 6\ncell 1 4\n"
     "cell 1 5 8\ncell 1 6 9\ncell 1 7\ncell 1 8 9\n", 0},
    // Exponents near 10^12: the rays' entries outgrow machine words.
    {"prevariety_beyond_machine_words", {"--prevariety"},
     "Q[x,y,z]{x^1000000000000*y+y^999999999999*z+z^1000000000001*x+1,x^3*y^1000000000007+z^2+x*y*z}",
     "dimension 1\nvertex (0,0,0)\nray (-500000000002500000000001,1500000000001,2000000000002)\n"
     "ray (-3000000000005,3,-2999999999997)\nray (1,-1000000000000,-1000000000005999999999998)\n"
     "ray (1,-1000000000000,-999999999999)\nray (500000000000,-1,499999999999)\n"
     "ray (1000000000007000000000005,-1000000000003,1000000000004999999999992)\ncell 1 2\ncell 1 3\n"
     "cell 1 4\ncell 1 5\ncell 1 6\ncell 1 7\n", 0},
    {"prevariety_beyond_machine_words_2_adic", {"--prevariety", "--valuation", "2"},
     "Q[x,y,z]{2*x^1000000000000*y+4*y^999999999999*z+z^1000000000001*x+8,x^3*y^1000000000007+2*z^2+x*y*z}",
     "dimension 1\n"
     "vertex (499999999999/499999999999999999999999,500000000000999999999998/499999999999999999999999,1499999999998/499999999999999999999999)\n"
     "vertex (1000000000009000000000009/1000000000007000000000001000000000002,-5/1000000000007000000000001000000000002,1000000000006499999999994/500000000003500000000000500000000001)\n"
     "vertex (4000000000009/2000000000004999999999998,499999999998/1000000000002499999999999,500000000004999999999997/1000000000002499999999999)\n"
     "vertex (1000000000001999999999998/1000000000000999999999999,1000000000000/1000000000000999999999999,1999999999999/1000000000000999999999999)\n"
     "vertex (1000000000007000000000011/1000000000006000000000004,-2000000000003/1000000000006000000000004,-249999999999/250000000001500000000001)\n"
     "vertex (600000000002,-3/5,3000000000002/5)\n"
     "ray (-1000000000007000000000005,1000000000003,-1000000000004999999999992)\n"
     "ray (-500000000000,1,-499999999999)\nray (-1,1000000000000,999999999999)\n"
     "ray (-1,1000000000000,1000000000005999999999998)\nray (3000000000005,-3,2999999999997)\n"
     "ray (500000000002500000000001,-1500000000001,-2000000000002)\ncell 1 4\ncell 1 8\ncell 1 9\n"
     "cell 2 3\ncell 2 5\ncell 2 7\ncell 3 6\ncell 3 10\ncell 4 5\ncell 4 6\ncell 5 12\ncell 6 11\n", 0},
    {"prevariety_a_point", {"--prevariety"}, "Q[x,y]{x+1,x+y}", "dimension 0\nvertex (0,0)\ncell 1\n", 0},
    {"prevariety_of_zero", {"--prevariety"}, "Q[x]{0}", "dimension 1\nlineality (1)\nvertex (0)\ncell 1\n", 0},
    {"tropical_and_prevariety", {"--tropical", "--prevariety"}, "not read",
     "Bad input: --tropical and --prevariety exclude each other\n", 1},
    {"cone_and_tropical", {"--cone", "--tropical"}, "not read", "Bad input: --cone and --tropical exclude each other\n", 1},
    {"weights_and_prevariety", {"--weights", "/dev/null", "--prevariety"}, "not read",
     "Bad input: --weights and --prevariety exclude each other\n", 1},
    // Two actions are refused in either order, with one message.
    {"tropical_then_weights", {"--tropical", "--weights", "/dev/null"}, "not read",
     "Bad input: --weights and --tropical exclude each other\n", 1},
    {"prevariety_then_weights", {"--prevariety", "--exact", "--weights", "/dev/null"}, "not read",
     "Bad input: --weights and --prevariety exclude each other\n", 1},
    {"cone_then_weights", {"--cone", "--weights", "/dev/null"}, "not read",
     "Bad input: --weights and --cone exclude each other\n", 1},
    {"weights_then_cone", {"--weights", "/dev/null", "--cone"}, "not read",
     "Bad input: --weights and --cone exclude each other\n", 1},
    {"vector_then_tropical", {"(1,1)", "--tropical"}, "not read",
     "Bad input: a weight vector and --tropical exclude each other\n", 1},
    {"vector_then_prevariety_late", {"(1,1)", "--reduce", "--ring", "--prevariety"}, "not read",
     "Bad input: a weight vector and --prevariety exclude each other\n", 1},
    {"vector_then_cone", {"(1,1)", "--exact", "--cone"}, "not read",
     "Bad input: a weight vector and --cone exclude each other\n", 1},
    {"vector_then_weights", {"(1,1)", "--weights", "/dev/null"}, "not read",
     "Bad input: a weight vector and --weights exclude each other\n", 1},
    // The same pairs the other way round: the vector after the action.
    {"tropical_then_vector", {"--tropical", "(1,1)"}, "not read",
     "Bad input: a weight vector and --tropical exclude each other\n", 1},
    {"prevariety_then_vector_late", {"--prevariety", "--lenient", "(1,1)"}, "not read",
     "Bad input: a weight vector and --prevariety exclude each other\n", 1},
    {"cone_then_vector", {"--cone", "--exact", "(1,1)"}, "not read",
     "Bad input: a weight vector and --cone exclude each other\n", 1},
    {"weights_then_vector", {"--weights", "/dev/null", "(1,1)"}, "not read",
     "Bad input: a weight vector and --weights exclude each other\n", 1},
    // Pictures: of the plane alone, and of the tropical sets alone.
    {"svg_four_variables", {"--tropical", "--svg"}, "Q[x,y,z,w]{x+y}",
     "Bad input: --svg draws curves in 2 variables, or in 3 when every polynomial is homogeneous; the ring has 4\n", 1},
    {"svg_three_not_homogeneous", {"--prevariety", "--svg"}, "Q[x,y,z]{x+y,x*y+z}",
     "Bad input: --svg draws curves in 2 variables, or in 3 when every polynomial is homogeneous; polynomial 2 is not\n",
     1},
    {"svg_one_variable", {"--tropical", "--min", "--svg"}, "Q[x]{x+1}",
     "Bad input: --svg draws curves in 2 variables, or in 3 when every polynomial is homogeneous; the ring has 1\n", 1},
    {"svg_with_cone", {"--cone", "--svg"}, "not read", "Bad input: --cone and --svg exclude each other\n", 1},
    {"svg_with_weights", {"--weights", "/dev/null", "--svg"}, "not read",
     "Bad input: --weights and --svg exclude each other\n", 1},
    {"vector_then_svg", {"(1,1)", "--exact", "--svg"}, "not read",
     "Bad input: a weight vector and --svg exclude each other\n", 1},
    {"vector_then_merge", {"(1,1)", "--merge"}, "not read",
     "Bad input: a weight vector and --merge exclude each other\n", 1},
    {"prevariety_then_merge", {"--prevariety", "--merge", "/dev/null"}, "not read",
     "Bad input: --prevariety and --merge exclude each other\n", 1},
    {"tropical_named_twice", {"--tropical", "--tropical"}, "Q[x]{x}", "polynomial 1\nempty\n", 0},
    // The prevariety's walk: threads and parts, and the parts merged.
    {"prevariety_threads", {"--prevariety", "--threads", "3"}, "Q[x,y]{x+y+1,x-y}",
     "dimension 1\nvertex (0,0)\nray (1,1)\ncell 1 2\n", 0},
    {"prevariety_threads_zero", {"--prevariety", "--threads", "0"}, "not read",
     "Bad input: Threads '0' is not a number from 1 to 1024\n", 1},
    {"prevariety_threads_missing", {"--prevariety", "--threads"}, "not read", "Need argument: number of threads.\n", 255},
    {"prevariety_part_beyond", {"--prevariety", "--part", "3/2"}, "not read",
     "Bad input: Part '3/2' is not K/N with 1 <= K <= N <= 1000000\n", 1},
    {"prevariety_part_missing", {"--prevariety", "--part"}, "not read", "Need argument: part K/N.\n", 255},
    {"prevariety_part_without_a_share", {"--prevariety", "--part", "2/2"}, "Q[x,y]{x+y+1,x-y}",
     "dimension 0\nvertex (0,0)\ncell 1\n", 0},
    {"tropical_and_threads", {"--tropical", "--threads", "2"}, "not read",
     "Bad input: --tropical and --threads exclude each other\n", 1},
    {"vector_and_part", {"(1,1)", "--part", "1/2"}, "not read", "Bad input: a weight vector and --part exclude each other\n",
     1},
    {"merge_two_blocks", {"--merge"},
     "dimension 1\nvertex (0,0)\nray (1,1)\ncell 1 2\ndimension 0\nvertex (0,0)\ncell 1\n",
     "dimension 1\nvertex (0,0)\nray (1,1)\ncell 1 2\n", 0},
    {"merge_empty_parts", {"--merge"}, "empty\nempty\n", "empty\n", 0},
    {"merge_nothing", {"--merge"}, "", "Bad input: No block to merge\n", 1},
    {"merge_a_stray_line", {"--merge"}, "dimension 1\nfoo\n",
     "Bad input: Line 2 of the parts is no line of a block: 'foo'\n", 1},
    {"merge_a_cell_beyond_its_block", {"--merge"}, "dimension 1\nvertex (0,0)\ncell 1 2\n",
     "Bad input: A cell of the block at line 1 names no vertex or ray 2\n", 1},
    {"merge_different_linealities", {"--merge"},
     "dimension 1\nlineality (1,1)\nvertex (0,0)\ncell 1\ndimension 1\nlineality (1,0)\nvertex (0,0)\ncell 1\n",
     "Bad input: The parts' lineality spaces differ (the block at line 5)\n", 1},
    {"merge_a_missing_file", {"--merge", "/nonexistent/part"}, "",
     "Bad input: Cannot open part file '/nonexistent/part': No such file or directory\n", 1},
    {"tropical_and_toward", {"--tropical", "--toward", "(1)"}, "not read",
     "Bad input: --tropical and --toward exclude each other\n", 1},
    {"tropical_not_a_prime", {"--prevariety", "--valuation", "4"}, "not read",
     "Bad input: Valuation '4' is not a prime\n", 1},
    {"tropical_framing", {"--tropical"}, "x", "Bad input: Must start with 'Q['\n", 1},
    // --weights: many vectors over one document (files are written by the test).
    {"weights_missing_file", {"--weights"}, "Q[x]{x}", "Need argument: weights file.\n", 255},
    {"weights_switch_is_no_file", {"--weights", "--exact"}, "Q[x]{x}", "Need argument: weights file.\n", 255},
    {"weights_unopenable_file", {"--weights", "/nonexistent/vectors"}, "Q[x]{x}",
     "Bad input: Cannot open weights file '/nonexistent/vectors': No such file or directory\n", 1},
};

void PrintTo(const Row& row, std::ostream* os) { *os << row.name; }

class Cli : public ::testing::TestWithParam<Row> {};

TEST_P(Cli, MatchesExactly) {
    const Row& row = GetParam();
    Outcome o = runBinary(row.args, row.in, Sink::File, row.source);
    if (row.args.size() > 0 && row.args[0] == "--help") {
        // The usage text: a synopsis first, the exit statuses last.
        EXPECT_EQ(o.out.rfind("Usage: initform VECTOR [--reduce] [--ring] [--exact] [--max | --min] [--lenient]\n"
                              "                [--valuation P] < DOCUMENT\n", 0), 0u)
            << o.out;
        EXPECT_NE(o.out.find("255"), std::string::npos) << o.out;
    } else {
        EXPECT_EQ(o.out, row.out);
    }
    EXPECT_EQ(o.status, row.status);
    EXPECT_EQ(o.err, row.warns ? std::string(kWrapWarning) + "\n" : "");
}

INSTANTIATE_TEST_SUITE_P(Rows, Cli, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

// --weights: each row is a list of vector lines over one document and
// switches; the answer must be the single runs one after another, up to
// and including the first that fails, with its status.
struct ManyRow {
    const char* name;
    std::string lines;
    std::vector<std::string> vectors;  // the lines that count, in order
    std::vector<std::string> switches;
    std::string in;
};

const ManyRow kManyRows[] = {
    {"two_vectors", "(1,1)\n(0,0)\n", {"(1,1)", "(0,0)"}, {}, kTwo},
    {"ring_reduce_exact", "(1,1)\n(2,1)\n", {"(1,1)", "(2,1)"}, {"--ring", "--reduce", "--exact"}, kTwo},
    {"crlf_and_blank_lines", "(1,0)\r\n\r\n\n(0,1)", {"(1,0)", "(0,1)"}, {"--ring"}, kTwo},
    {"stops_at_wrong_length", "(1,1)\n(1)\n(0,0)\n", {"(1,1)", "(1)"}, {"--ring"}, kTwo},
    {"stops_at_zero_denominator", "(1,1)\n(1/0,1)\n(0,0)\n", {"(1,1)", "(1/0,1)"}, {"--exact"}, kTwo},
    {"unknown_variable_every_time", "(1,1)\n(0,0)\n", {"(1,1)"}, {}, "Q[x,y]{x,y,q}"},
    {"framing_fault", "(1)\n(2)\n", {"(1)"}, {}, "Q[x"},
    {"max_and_min_lists", "(-1,-1)\n(1,1)\n", {"(-1,-1)", "(1,1)"}, {"x", "y", "--min", "--ring"},
     "Q[x,y]{x^2+y^2+2*x+2*y,x-x+y}"},
    {"fraction_weights", "(1/2,1/3)\n(-1/2,1/3)\n", {"(1/2,1/3)", "(-1/2,1/3)"}, {"--exact", "--max"},
     "Q[x,y]{x^2+y^3+x*y}"},
    {"no_vectors", "\n\n", {}, {"--ring"}, kTwo},
    {"valuation_lists", "(-1,-1)\n(0,0)\n(1/2,-1/2)\n", {"(-1,-1)", "(0,0)", "(1/2,-1/2)"}, {"--valuation", "2", "--reduce"},
     "Q[x,y]{x^2+y^2+2*x+2*y,x+x+4*y-1/2*x*y}"},
    // Standard error too is what the single runs give: the warning exactly
    // when one of them warns, whatever order its reading takes.
    {"lenient_fraction_needs_exact", "(1)\n", {"(1)"}, {"--lenient"}, "Q[x]{x+1,x/10}"},
    {"wrapped_degree_cancelled", "(100)\n", {"(100)"}, {"--max"}, "Q[x]{x^100000000-x^100000000+1}"},
    {"wrapped_coefficient_dropped_unread", "(1)\n", {"(1)"}, {}, "Q[x]{x+4294967296}"},
    {"wrapped_coefficient_read_then_dropped", "(1)\n", {"(1)"}, {}, "Q[x]{4294967296+x}"},
    {"wrapped_sum_of_like_terms", "(1)\n(0)\n", {"(1)", "(0)"}, {}, "Q[x]{2147483647*x+x+1,x}"},
    {"wrapped_degree_before_error", "(100)\n", {"(100)"}, {}, "Q[x]{x,x^100000000+y}"},
    {"wrapped_coefficient_before_error", "(0)\n", {"(0)"}, {}, "Q[x]{x,4294967296*x+y}"},
    {"no_vectors_no_warning", "\n", {}, {}, "Q[x]{x^4294967297}"},
    {"dimension_first_no_warning", "(1,1)\n(1)\n", {"(1,1)"}, {}, "Q[x]{x^4294967297}"},
};

void PrintTo(const ManyRow& row, std::ostream* os) { *os << row.name; }

class Many : public ::testing::TestWithParam<ManyRow> {};

TEST_P(Many, MatchesTheSingleRuns) {
    const ManyRow& row = GetParam();
    const std::string file = tempPath("vectors");
    std::ofstream(file, std::ios::binary) << row.lines;
    std::string want;
    std::string wantErr;
    int status = 0;
    for (const std::string& v : row.vectors) {
        std::vector<std::string> args{v};
        args.insert(args.end(), row.switches.begin(), row.switches.end());
        const Outcome single = runBinary(args, row.in);
        want += single.out;
        status = single.status;
        if (!single.err.empty()) wantErr = single.err;
    }
    std::vector<std::string> args{"--weights", file};
    args.insert(args.end(), row.switches.begin(), row.switches.end());
    const Outcome o = runBinary(args, row.in);
    std::remove(file.c_str());
    EXPECT_EQ(o.out, want);
    EXPECT_EQ(o.status, status);
    EXPECT_EQ(o.err, wantErr);
}

INSTANTIATE_TEST_SUITE_P(Rows, Many, ::testing::ValuesIn(kManyRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Lenient, ThreeSystemsPrintOneBasis) {
    // One basis as Singular, Macaulay2 and SymPy print it: --lenient --exact
    // must give the same bytes for each vector and switch.
    const char* files[] = {"katsura3-monic-singular.txt", "katsura3-monic-macaulay2.txt", "katsura3-monic-sympy.txt"};
    for (const char* vector : {"(1,1,1,1)", "(0,1,2,3)", "(-1,2,-3,4)", "(1/2,0,-1/3,5)"}) {
        for (const char* rule : {"--ring", "--max", "--min"}) {
            std::string first;
            for (const char* f : files) {
                const Outcome o = runBinary({vector, "--lenient", "--exact", rule}, slurp(std::string(INITFORM_EXAMPLES) + "/" + f));
                EXPECT_EQ(o.status, 0) << f;
                if (first.empty()) first = o.out;
                EXPECT_EQ(o.out, first) << f << " " << vector << " " << rule;
            }
        }
    }
}

}  // namespace
}  // namespace initform::test
