#include <gtest/gtest.h>

#include "test_support.hpp"

namespace initform::test {
namespace {

TEST(Dot, WrapsAroundIn32Bits) {
    const std::vector<Entry> key{{0, INT32_MAX}, {1, 2}};
    const WeightVector w{2, 3};
    EXPECT_EQ(dot<Wrapping>(key, w), -2 + 6);
    EXPECT_EQ(dot<Wrapping>({}, w), 0);
}

TEST(CompareKeys, OrdersLikeDenseVectors) {
    // Each row: two dense vectors; the sparse comparison must agree with the
    // ordinary lexicographic order of the dense ones.
    const std::vector<std::vector<std::int32_t>> keys{
        {0, 0, 0}, {0, 0, 1}, {0, 1, 0}, {1, 0, 0}, {-1, 0, 0}, {0, -1, 5},
        {0, 0, -1}, {2, 1, 0}, {2, 0, 7}, {INT32_MIN, 0, 0}, {INT32_MAX, 1, 1},
    };
    auto sparse = [](const std::vector<std::int32_t>& d) {
        std::vector<Entry> e;
        for (std::uint32_t k = 0; k < d.size(); ++k)
            if (d[k] != 0) e.push_back({k, d[k]});
        return e;
    };
    for (const auto& a : keys) {
        for (const auto& b : keys) {
            int want = a < b ? -1 : (b < a ? 1 : 0);
            EXPECT_EQ(compareKeys<Wrapping>(sparse(a), sparse(b)), want);
        }
    }
}

TEST(TransformToInitial, KeepsTheTermsOfLargestDegreeNeverBelowZero) {
    const struct {
        std::string_view text;
        std::vector<std::int32_t> weights;
        std::string_view printed;
    } rows[] = {
        {"3*x^2*y-x+2", {0, 0}, "2-x+3*x^2*y"},
        {"x^2+x*y+y", {1, 1}, "x*y+x^2"},
        {"x^2+x*y+y", {1, 0}, "x^2"},
        {"x+y", {-1, 0}, "y"},
        {"x+x*y", {-1, 0}, "0"},           // every degree negative: no term left
        {"x-x+y", {1, 1}, "y+0*x"},        // a cancelled term still counts
        {"x-x+y+x*y-x*y", {1, 1}, "0*x*y"},
        {"2-x", {-1, 0}, "2"},
        {"x^2147483647*y+y", {2, 1}, "y"},   // 2^32 - 2 + 1 wraps to -1
    };
    const Variables xy = ring("x,y");
    for (const auto& row : rows) {
        Polynomial plain = read(row.text, xy);
        transformToInitial(plain, row.weights);
        EXPECT_EQ(print(plain, xy), row.printed) << row.text;
        // Dropping terms while reading leaves the same initial form.
        Polynomial filtered;
        QueryOf<Wrapping> query{row.weights};
        findPolyRep(filtered, row.text, xy, query);
        EXPECT_EQ(print(filtered, xy), row.printed) << row.text;
    }
}

TEST(TransformToInitial, ExactDegreesDoNotWrap) {
    const struct {
        std::string_view text;
        std::vector<std::int64_t> weights;
        std::string_view printed;
    } rows[] = {
        {"x^2147483647*y+y", {2, 1}, "x^2147483647*y"},  // wraps to -1 in 32 bits
        {"x^4294967296+y", {1, 1}, "x^4294967296"},
        // Four products of just over 2^61 sum beyond 64 bits: they must not wrap.
        {"x+x^4294967295*y^4294967295*x^4294967295*y^4294967295", {536870913, 536870913},
         "x^8589934590*y^8589934590"},
        // One exponent of 18 digits: a product beyond 64 bits in a short term.
        {"y+x^999999999999999999", {10, 1}, "x^999999999999999999"},
        {"y+x", {INT64_MAX, INT64_MIN}, "x"},
        {"x+x*y", {-1, 0}, "0"},
        {"1/2*x-1/2*x+y+2", {1, 1}, "y+0*x"},
        {"x^9223372036854775807*y^9223372036854775807+x^9223372036854775807*y^9223372036854775806",
         {INT64_MAX, INT64_MAX}, "x^9223372036854775807*y^9223372036854775807"},
    };
    const Variables xy = ring("x,y");
    for (const auto& row : rows) {
        ExactPolynomial plain = read<Exact>(row.text, xy);
        transformToInitial(plain, std::span<const std::int64_t>(row.weights));
        EXPECT_EQ(print(plain, xy), row.printed) << row.text;
        ExactPolynomial filtered;
        QueryOf<Exact> query{row.weights};
        findPolyRep(filtered, row.text, xy, query);
        EXPECT_EQ(print(filtered, xy), row.printed) << row.text;
    }
}

TEST(ExactDegree, OrdersLikeTheIntegersItHolds) {
    // Sums of products e * w, some beyond 128 bits; the order of the
    // degrees must be the order of the same sums computed in GMP.
    const std::int64_t big = INT64_MAX, low = INT64_MIN;
    const std::vector<std::vector<std::pair<std::int64_t, std::int64_t>>> sums{
        {}, {{1, -1}}, {{big, big}}, {{big, big}, {big, big}}, {{big, big}, {big, big}, {big, big}},
        {{low, big}, {low, big}, {low, big}}, {{low, low}, {low, low}, {low, big}}, {{big, big}, {1, 1}},
        {{low, low}, {low, low}, {low, low}, {low, -big}},
    };
    std::vector<ExactDegree> degrees;
    std::vector<mpz_class> values;
    for (const auto& sum : sums) {
        ExactDegree d;
        mpz_class v;
        for (auto [e, w] : sum) {
            Exact::addProduct(d, e, w);
            v += mpz_class(static_cast<long>(e)) * mpz_class(static_cast<long>(w));
        }
        degrees.push_back(d);
        values.push_back(v);
    }
    for (std::size_t i = 0; i < sums.size(); ++i) {
        for (std::size_t j = 0; j < sums.size(); ++j) {
            const int want = cmp(values[i], values[j]);
            const auto got = degrees[i] <=> degrees[j];
            EXPECT_EQ(got < 0, want < 0) << i << " " << j;
            EXPECT_EQ(got > 0, want > 0) << i << " " << j;
        }
    }
}

TEST(TransformToInitial, TermsAddedAfterwardsStillCombine) {
    const Variables xy = ring("x,y");
    Polynomial p = read("x+y+2*x^2", xy);
    const std::vector<std::int32_t> w{1, 1};
    transformToInitial(p, w);
    findPolyRep(p, "-2*x^2+y", xy);
    EXPECT_EQ(print(p, xy), "y+0*x^2");
}

TEST(ReducePoly, DividesByTheLargestCommonMonomial) {
    const struct {
        std::string_view text;
        std::string_view printed;
    } rows[] = {
        {"3*x^2*y", "3"},
        {"x*y", "1"},
        {"x^2*y+x*y^3", "y^2+x"},
        {"x+y", "y+x"},
        {"x^2*y+2", "2+x^2*y"},
        {"0*x^2*y-x^3*y^2", "0-x*y"},
        {"x^4294967295+y", "1+x*y"},  // x^-1: the minimum is negative
        {"x^2147483647*y+x^4294967295", "x*y+1"},  // x^-2147483648*y, printed bare
        {"x^2147483647*y+x^2147483648", "x*y+1"},  // wraps: the order changes
    };
    const Variables xy = ring("x,y");
    for (const auto& row : rows) {
        const Polynomial p = read(row.text, xy);
        const std::string before = print(p, xy);
        EXPECT_EQ(print(reduced(p), xy), row.printed) << row.text;
        EXPECT_EQ(print(p, xy), before) << "argument changed: " << row.text;
    }
    EXPECT_TRUE(reduced(Polynomial{}).terms.empty());
}

TEST(ReducePoly, CarriesExactCoefficientsOver) {
    const struct {
        std::string_view text;
        std::string_view printed;
    } rows[] = {
        {"1/2*x^2*y+123456789012345678901*x*y^3", "123456789012345678901*y^2+1/2*x"},
        {"-5/3*x^4294967296*y", "-5/3"},
        {"x^9223372036854775807+x^9223372036854775806*y", "y+x"},
    };
    const Variables xy = ring("x,y");
    for (const auto& row : rows) {
        const ExactPolynomial p = read<Exact>(row.text, xy);
        const std::string before = print(p, xy);
        EXPECT_EQ(print(reduced(p), xy), row.printed) << row.text;
        EXPECT_EQ(print(p, xy), before) << "argument changed: " << row.text;
    }
}

}  // namespace
}  // namespace initform::test
