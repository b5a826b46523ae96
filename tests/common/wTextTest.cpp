#include <climits>
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "wText.h"

using namespace wexlan;

TEST(Text, TrimsTheNamedBlanksAndComparesIgnoringCase) {
    // text, blanks, Trim, TrimStart, TrimEnd
    const std::string_view cases[][5] = {
        {" \t a b\r\n", kLineBlanks, "a b", "a b\r\n", " \t a b"},
        {"\v\fa\f\v", kLineBlanks, "\v\fa\f\v", "\v\fa\f\v", "\v\fa\f\v"},
        {"\v\f a\n\f\v", kWhiteSpace, "a", "a\n\f\v", "\v\f a"},
        {" \r\n\t", kLineBlanks, "", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Trim(c[0], c[1]), c[2]) << c[0];
        EXPECT_EQ(TrimStart(c[0], c[1]), c[3]) << c[0];
        EXPECT_EQ(TrimEnd(c[0], c[1]), c[4]) << c[0];
    }
    EXPECT_TRUE(EqualsIgnoringCase("Surface Viewer", "sURFACE vIEWER"));
    EXPECT_FALSE(EqualsIgnoringCase("View", "Views"));
    EXPECT_FALSE(EqualsIgnoringCase("a[", "A{"));  // '[' + 32 is '{', not a letter
}

TEST(Text, NumbersWithoutTheLocale) {
    EXPECT_EQ(ShortestNumber(0.1), "0.1");
    EXPECT_EQ(ShortestNumber(-0.0), "-0");
    EXPECT_EQ(FixedNumber(-1e-9, 6), "-0.000000");
    EXPECT_EQ(FixedNumber(std::nan(""), 2), "nan");
    EXPECT_EQ(FixedNumber(1e300, 400), "1e+300");  // too long for fixed notation

    // Whole texts: one '+' at most, nothing around the number, finite values only.
    double d = 0;
    int i = 0;
    EXPECT_TRUE(ParseDouble("+1e3", d) && d == 1000 && ParseInt("-7", i) && i == -7);
    for (const char* bad : {"", "+", "+-1", " 1", "1 ", "1,5", "nan", "1e999"}) {
        EXPECT_FALSE(ParseDouble(bad, d) || ParseInt(bad, i)) << bad;
    }
    EXPECT_FALSE(ParseInt("1.5", i) || ParseInt("99999999999", i));
    EXPECT_TRUE(d == 1000 && i == -7);  // failures leave the values alone
    // Leading numbers as C's atof reads them.
    EXPECT_EQ(LeadingDouble("\v -1.5e2x"), -150.0);
    EXPECT_EQ(LeadingDouble("1e"), 1.0);
    EXPECT_EQ(LeadingDouble("1e-999"), 0.0);
    EXPECT_EQ(LeadingDouble("-"), 0.0);

    // Lists, for typed values: every field must be a finite number.
    std::vector<double> n;
    EXPECT_TRUE(ParseNumberList(" [1, -2.5;\t3e1 ]\n", n));
    EXPECT_EQ(n, (std::vector<double>{1, -2.5, 30}));
    for (const char* bad : {"", "1,", "1, x", "12abc", "1e999", "[1, 2"}) {
        EXPECT_FALSE(ParseNumberList(bad, n)) << bad;
        EXPECT_TRUE(n.empty());
    }
}
