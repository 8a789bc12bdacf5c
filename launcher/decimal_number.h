#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// What went wrong in a decimal operation; the value is then not to be used.
enum class DecimalError { None, DivisionByZero, Overflow, Underflow, NotReal };

// A signed decimal number of at most kPrecision significant digits: digits x 10^exponent. Sums,
// differences and products of ordinary numbers are exact (0.1 + 0.2 is 0.3, not the binary
// 0.30000000000000004); what does not fit is rounded half away from zero. Magnitudes are kept
// within 10^-kMaxExponent and 10^kMaxExponent; beyond them an operation reports Overflow or
// Underflow instead of a value.
class DecimalNumber {
public:
    static constexpr size_t kPrecision = 40;
    static constexpr int64_t kMaxExponent = 100000;

    DecimalNumber() = default; // zero

    // Reads digits with an optional fraction ("12", "1.5", ".5", "5.") and an optional exponent
    // ("2e3", "1.5E-7"). Returns false when text is not such a number, with error None; a number
    // beyond the range gives true with error Overflow or Underflow.
    static bool parse(std::string_view text, DecimalNumber &out, DecimalError &error);
    static DecimalNumber fromInteger(int64_t value);

    bool isZero() const { return digits_.empty(); }
    bool isNegative() const { return negative_; }
    bool isInteger() const { return exponent_ >= 0; }
    // The value as a 64-bit integer, false when it is not an integer or does not fit.
    bool toInt64(int64_t &value) const;
    DecimalNumber negated() const;
    // Ten to the power of the place of the first digit: 0 for 1 to 9.99..., -1 for 0.1 to 0.99...
    int64_t magnitude() const { return exponent_ + int64_t(digits_.size()) - 1; }
    // Compares absolute values: negative, zero or positive as |this| is below, equal to or above |other|.
    int compareMagnitude(const DecimalNumber &other) const;

    DecimalError add(const DecimalNumber &other, DecimalNumber &out) const;
    DecimalError subtract(const DecimalNumber &other, DecimalNumber &out) const;
    DecimalError multiply(const DecimalNumber &other, DecimalNumber &out) const;
    DecimalError divide(const DecimalNumber &other, DecimalNumber &out) const;
    // An integer exponent is worked out by repeated squaring at full precision; any other through
    // binary floating point, which gives 15 significant digits.
    DecimalError power(const DecimalNumber &exponent, DecimalNumber &out) const;

    // The value rounded to `significant` digits (1 to kPrecision), without trailing zeros: plain
    // ("14", "-0.3", "0.000125") while its magnitude lies within -7 and significant - 1, otherwise
    // with an exponent ("1.5e40", "2e-9"), in the form parse reads back.
    std::string toString(size_t significant) const;

private:
    DecimalError normalise();
    DecimalError integerPower(uint64_t exponent, DecimalNumber &out) const;
    DecimalError floatingPower(const DecimalNumber &exponent, DecimalNumber &out) const;
    double log10Magnitude() const;

    std::vector<uint8_t> digits_; // most significant first, no leading or trailing zeros; empty: zero
    int64_t exponent_ = 0;
    bool negative_ = false;
};
