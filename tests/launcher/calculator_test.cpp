#include "launcher/calculator.h"

#include "launcher/decimal_number.h"

#include <gtest/gtest.h>

namespace {

using Kind = Calculation::Kind;

struct Case {
    const char *query;
    Kind kind;
    const char *text;
};

void expectCases(const std::vector<Case> &cases) {
    for (const Case &c : cases) {
        const Calculation result = calculate(c.query);
        EXPECT_EQ(int(result.kind), int(c.kind)) << c.query << " gave " << result.text;
        if (c.kind != Kind::NotArithmetic) {
            EXPECT_EQ(result.text, c.text) << c.query;
        }
    }
}

TEST(CalculatorTest, SumsGiveExactDecimalResults) {
    expectCases({
        {"2+3*4", Kind::Value, "14"},
        {"(1.5+2)^2/3", Kind::Value, "4.0833333333333333333333333333333"},
        {"0.1+0.2", Kind::Value, "0.3"},
        {"1.1*1.1", Kind::Value, "1.21"},
        {"1-0.9", Kind::Value, "0.1"},
        {"0.3 - 0.1", Kind::Value, "0.2"},
        {"2e3", Kind::Value, "2000"},
        {"1.5E-3*2", Kind::Value, "0.003"},
        {"-2^2", Kind::Value, "-4"},
        {"2^-1", Kind::Value, "0.5"},
        {"2^3^2", Kind::Value, "512"},
        {"2**10", Kind::Value, "1024"},
        {"-(3-5)", Kind::Value, "2"},
        {"- -3 * 2", Kind::Value, "6"},
        {"7/2", Kind::Value, "3.5"},
        {"1/3", Kind::Value, "0.33333333333333333333333333333333"},
        {"2/3", Kind::Value, "0.66666666666666666666666666666667"},
        {"1/3*3", Kind::Value, "1"},
        {"10 - 5-2", Kind::Value, "3"},
        {"100 / 10 / 2", Kind::Value, "5"},
        {"15% of 80", Kind::Value, "12"},
        {"15 % OF 80", Kind::Value, "12"},
        {"80 + 15%", Kind::Value, "92"},
        {"80-15%", Kind::Value, "68"},
        {"80*15%", Kind::Value, "12"},
        {"50%", Kind::Value, "0.5"},
        {"=6*7", Kind::Value, "42"},
        {"6*7=", Kind::Value, "42"},
        {"1 - 2", Kind::Value, "-1"},
        {"1-2=", Kind::Value, "-1"},
        {"1/2", Kind::Value, "0.5"},
        {"(1.5+2", Kind::Value, "3.5"},
        {"((2+3)*(4", Kind::Value, "20"},
        {".5+.25", Kind::Value, "0.75"},
        {"5.*2", Kind::Value, "10"},
        {"99999999999999999999+1", Kind::Value, "100000000000000000000"},
        {"2^100", Kind::Value, "1267650600228229401496703205376"},
        {"2^0.5", Kind::Value, "1.4142135623731"},
        {"4^0.5", Kind::Value, "2"},
        {"10^40", Kind::Value, "1e40"},
        {"1.5e40*1", Kind::Value, "1.5e40"},
        {"1/8e7", Kind::Value, "1.25e-8"},
        {"1/8000000", Kind::Value, "0.000000125"},
        {"0*-1", Kind::Value, "0"},
        {"0^0", Kind::Value, "1"},
        {"(-1)^1000000000000000000001", Kind::Value, "-1"},
        {"10^-100000", Kind::Value, "1e-100000"},
    });
}

TEST(CalculatorTest, ErrorsGiveAClearRow) {
    expectCases({
        {"1/0", Kind::Error, "Cannot divide by zero"},
        {"1/(2-2)+5%", Kind::Error, "Cannot divide by zero"},
        {"0^-1", Kind::Error, "Cannot divide by zero"},
        {"10^100001", Kind::Error, "The result is too large"},
        {"9^99999999999", Kind::Error, "The result is too large"},
        {"2^99999999999999999999999", Kind::Error, "The result is too large"},
        {"1e999999*10", Kind::Error, "The result is too large"},
        {"10^-100001", Kind::Error, "The result is too small"},
        {"0.5^1e30", Kind::Error, "The result is too small"},
        {"(-8)^0.5", Kind::Error, "Not a real number"},
    });
}

TEST(CalculatorTest, TextThatIsNoSumGivesNothing) {
    expectCases({
        {"", Kind::NotArithmetic, ""},
        {"2", Kind::NotArithmetic, ""},
        {"-2", Kind::NotArithmetic, ""},
        {"(2)", Kind::NotArithmetic, ""},
        {"3.11", Kind::NotArithmetic, ""},
        {"=2", Kind::NotArithmetic, ""},
        {"notepad", Kind::NotArithmetic, ""},
        {"vs 2010", Kind::NotArithmetic, ""},
        {"windows 10", Kind::NotArithmetic, ""},
        {"c++", Kind::NotArithmetic, ""},
        {"2+", Kind::NotArithmetic, ""},
        {"2*(", Kind::NotArithmetic, ""},
        {"1-2", Kind::NotArithmetic, ""},
        {"2024-01-15", Kind::NotArithmetic, ""},
        {"555-1234", Kind::NotArithmetic, ""},
        {"12/25/2024", Kind::NotArithmetic, ""},
        {"1.2.3", Kind::NotArithmetic, ""},
        {"192.168.1.1", Kind::NotArithmetic, ""},
        {"10:30", Kind::NotArithmetic, ""},
        {"1,000+2", Kind::NotArithmetic, ""},
        {"2x3", Kind::NotArithmetic, ""},
        {"3rd", Kind::NotArithmetic, ""},
        {"2 of 3", Kind::NotArithmetic, ""},
        {"2e", Kind::NotArithmetic, ""},
        {"e3", Kind::NotArithmetic, ""},
        {"2)", Kind::NotArithmetic, ""},
        {"2 3", Kind::NotArithmetic, ""},
        {"==2+2", Kind::NotArithmetic, ""},
        {std::string(200, '(').c_str(), Kind::NotArithmetic, ""},
    });
}

TEST(CalculatorTest, DecimalNumbersReadBackWhatTheyWrite) {
    for (const char *text : {"14", "0.3", "0.000125", "1.5e40", "2e-9", "1267650600228229401496703205376"}) {
        DecimalNumber number;
        DecimalError error = DecimalError::None;
        ASSERT_TRUE(DecimalNumber::parse(text, number, error)) << text;
        EXPECT_EQ(number.toString(kCalculatorDigits), text);
    }
    DecimalNumber rounded;
    DecimalError error = DecimalError::None;
    ASSERT_TRUE(DecimalNumber::parse("9.999999", rounded, error));
    EXPECT_EQ(rounded.toString(3), "10");
}

} // namespace
