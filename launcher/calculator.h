#pragma once

#include <string>
#include <string_view>

// What Quick Search makes of a query as a sum: a value, an error, or nothing at all.
struct Calculation {
    enum class Kind { NotArithmetic, Value, Error };
    Kind kind = Kind::NotArithmetic;
    std::string text; // the value as it is copied ("14", "0.3", "1.5e40") or what went wrong
};

// The significant digits a result is shown and copied with.
constexpr size_t kCalculatorDigits = 32;

// Reads query as arithmetic: decimal numbers ("1.5", ".5", "2e3"), + - * / ^ (or **), unary
// minus, parentheses (those still open at the end are closed there), "%" (a hundredth; "15% of
// 80" is 12, and "80 + 15%" adds 15% of 80), an optional "=" before or after, spaces anywhere
// between. The value is worked out in decimal (calculator numbers, decimal_number.h).
//
// Only what is plainly a sum is taken, so that ordinary searches keep their rows: a bare number
// ("2", "-2", "(2)", "3.11"), a word ("vs 2010"), a half-typed sum ("2+") and numbers joined by
// hyphens alone without spaces ("1-2", "2024-01-15", "555-1234": dates, ranges, telephone
// numbers), or by three or more slashes ("12/25/2024") give NotArithmetic. A number written with
// an exponent ("2e3") counts as a sum. Errors (division by zero, a result beyond 10^100000, a
// fractional power of a negative number) give Error with a short message.
Calculation calculate(std::string_view query);
