#include "launcher/decimal_number.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace {

using Digits = std::vector<uint8_t>;

// Binary floating point is exact to about this many digits; a power worked out through it is
// given to no more.
const int kFloatingDigits = 15;
// Magnitudes within which std::pow is used directly rather than through logarithms.
const double kDirectPowerLimit = 300;

void stripLeadingZeros(Digits &digits) {
    const auto first = std::find_if(digits.begin(), digits.end(), [](uint8_t d) { return d != 0; });
    digits.erase(digits.begin(), first);
}

// Compares two unsigned integers given as digits without leading zeros.
int compareIntegers(const Digits &a, const Digits &b) {
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i])
            return a[i] < b[i] ? -1 : 1;
    return 0;
}

// a += b, both unsigned integers.
void addIntegers(Digits &a, const Digits &b) {
    if (a.size() < b.size())
        a.insert(a.begin(), b.size() - a.size(), 0);
    int carry = 0;
    size_t ai = a.size(), bi = b.size();
    while (ai > 0) {
        --ai;
        int sum = a[ai] + carry + (bi > 0 ? b[--bi] : 0);
        a[ai] = uint8_t(sum % 10);
        carry = sum / 10;
    }
    if (carry)
        a.insert(a.begin(), uint8_t(carry));
}

// a -= b, both unsigned integers without leading zeros, a not below b.
void subtractIntegers(Digits &a, const Digits &b) {
    int borrow = 0;
    size_t ai = a.size(), bi = b.size();
    while (ai > 0) {
        --ai;
        int difference = a[ai] - borrow - (bi > 0 ? b[--bi] : 0);
        borrow = difference < 0;
        a[ai] = uint8_t(difference + (borrow ? 10 : 0));
    }
    stripLeadingZeros(a);
}

std::string digitText(const Digits &digits) {
    std::string text;
    for (uint8_t d : digits)
        text += char('0' + d);
    return text;
}

bool isDigit(char ch) { return ch >= '0' && ch <= '9'; }

} // namespace

bool DecimalNumber::parse(std::string_view text, DecimalNumber &out, DecimalError &error) {
    error = DecimalError::None;
    DecimalNumber number;
    size_t at = 0;
    int64_t fractionDigits = 0;
    bool anyDigit = false;
    for (; at < text.size() && isDigit(text[at]); ++at, anyDigit = true)
        number.digits_.push_back(uint8_t(text[at] - '0'));
    if (at < text.size() && text[at] == '.') {
        for (++at; at < text.size() && isDigit(text[at]); ++at, anyDigit = true, ++fractionDigits)
            number.digits_.push_back(uint8_t(text[at] - '0'));
    }
    if (!anyDigit)
        return false;
    int64_t exponent = 0;
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        ++at;
        bool negativeExponent = false;
        if (at < text.size() && (text[at] == '+' || text[at] == '-'))
            negativeExponent = text[at++] == '-';
        if (at == text.size() || !isDigit(text[at]))
            return false;
        // Held far beyond the range but short of overflowing: what lies past it is out of range anyway.
        for (; at < text.size() && isDigit(text[at]); ++at)
            exponent = std::min<int64_t>(exponent * 10 + (text[at] - '0'), 100 * kMaxExponent);
        if (negativeExponent)
            exponent = -exponent;
    }
    if (at != text.size())
        return false;
    // A long run of typed digits is rounded like any other result.
    number.exponent_ = exponent - std::min<int64_t>(fractionDigits, 100 * kMaxExponent);
    error = number.normalise();
    out = number;
    return true;
}

DecimalNumber DecimalNumber::fromInteger(int64_t value) {
    DecimalNumber number;
    number.negative_ = value < 0;
    uint64_t magnitude = value < 0 ? uint64_t(0) - uint64_t(value) : uint64_t(value);
    for (; magnitude > 0; magnitude /= 10)
        number.digits_.insert(number.digits_.begin(), uint8_t(magnitude % 10));
    number.normalise();
    return number;
}

bool DecimalNumber::toInt64(int64_t &value) const {
    if (!isInteger() || digits_.size() + size_t(exponent_) > 18)
        return false; // beyond 18 digits it may not fit; such exponents are out of range anyway
    int64_t result = 0;
    for (uint8_t d : digits_)
        result = result * 10 + d;
    for (int64_t i = 0; i < exponent_; ++i)
        result *= 10;
    value = negative_ ? -result : result;
    return true;
}

DecimalNumber DecimalNumber::negated() const {
    DecimalNumber result = *this;
    result.negative_ = !isZero() && !negative_;
    return result;
}

int DecimalNumber::compareMagnitude(const DecimalNumber &other) const {
    if (isZero() || other.isZero())
        return isZero() == other.isZero() ? 0 : (isZero() ? -1 : 1);
    if (magnitude() != other.magnitude())
        return magnitude() < other.magnitude() ? -1 : 1;
    for (size_t i = 0; i < std::max(digits_.size(), other.digits_.size()); ++i) {
        const uint8_t a = i < digits_.size() ? digits_[i] : 0;
        const uint8_t b = i < other.digits_.size() ? other.digits_[i] : 0;
        if (a != b)
            return a < b ? -1 : 1;
    }
    return 0;
}

DecimalError DecimalNumber::normalise() {
    stripLeadingZeros(digits_);
    if (digits_.empty()) {
        exponent_ = 0;
        negative_ = false;
        return DecimalError::None;
    }
    if (digits_.size() > kPrecision) {
        const bool up = digits_[kPrecision] >= 5;
        exponent_ += int64_t(digits_.size() - kPrecision);
        digits_.resize(kPrecision);
        if (up) {
            size_t at = digits_.size();
            while (at > 0 && digits_[at - 1] == 9)
                digits_[--at] = 0;
            if (at == 0)
                digits_.insert(digits_.begin(), 1); // all nines: one digit more, its last a zero
            else
                ++digits_[at - 1];
        }
    }
    while (digits_.back() == 0) {
        digits_.pop_back();
        ++exponent_;
    }
    if (magnitude() > kMaxExponent)
        return DecimalError::Overflow;
    if (magnitude() < -kMaxExponent)
        return DecimalError::Underflow;
    return DecimalError::None;
}

DecimalError DecimalNumber::add(const DecimalNumber &other, DecimalNumber &out) const {
    if (isZero() || other.isZero()) {
        out = isZero() ? other : *this;
        return DecimalError::None;
    }
    // A number more than the precision below the other cannot change its digits: both are rounded
    // already, and it is less than half a unit of the last place.
    const int64_t gap = magnitude() - other.magnitude();
    if (gap > int64_t(kPrecision) + 1 || gap < -int64_t(kPrecision) - 1) {
        out = gap > 0 ? *this : other;
        return DecimalError::None;
    }
    const int64_t exponent = std::min(exponent_, other.exponent_);
    Digits a = digits_, b = other.digits_;
    a.insert(a.end(), size_t(exponent_ - exponent), 0);
    b.insert(b.end(), size_t(other.exponent_ - exponent), 0);
    DecimalNumber result;
    result.exponent_ = exponent;
    if (negative_ == other.negative_) {
        addIntegers(a, b);
        result.digits_ = std::move(a);
        result.negative_ = negative_;
    } else if (compareIntegers(a, b) >= 0) {
        subtractIntegers(a, b);
        result.digits_ = std::move(a);
        result.negative_ = negative_;
    } else {
        subtractIntegers(b, a);
        result.digits_ = std::move(b);
        result.negative_ = other.negative_;
    }
    const DecimalError error = result.normalise();
    out = result;
    return error;
}

DecimalError DecimalNumber::subtract(const DecimalNumber &other, DecimalNumber &out) const {
    return add(other.negated(), out);
}

DecimalError DecimalNumber::multiply(const DecimalNumber &other, DecimalNumber &out) const {
    if (isZero() || other.isZero()) {
        out = DecimalNumber();
        return DecimalError::None;
    }
    std::vector<uint32_t> sums(digits_.size() + other.digits_.size(), 0);
    for (size_t i = 0; i < digits_.size(); ++i)
        for (size_t j = 0; j < other.digits_.size(); ++j)
            sums[i + j + 1] += uint32_t(digits_[i]) * other.digits_[j];
    DecimalNumber result;
    result.digits_.assign(sums.size(), 0);
    uint32_t carry = 0;
    for (size_t i = sums.size(); i > 0; --i) {
        const uint32_t value = sums[i - 1] + carry;
        result.digits_[i - 1] = uint8_t(value % 10);
        carry = value / 10;
    }
    result.exponent_ = exponent_ + other.exponent_;
    result.negative_ = negative_ != other.negative_;
    const DecimalError error = result.normalise();
    out = result;
    return error;
}

DecimalError DecimalNumber::divide(const DecimalNumber &other, DecimalNumber &out) const {
    if (other.isZero())
        return DecimalError::DivisionByZero;
    if (isZero()) {
        out = DecimalNumber();
        return DecimalError::None;
    }
    // Long division of the digits, carried on past the dividend's own digits until the quotient
    // has a digit more than the precision keeps, so the rounding sees the next one.
    const size_t steps = digits_.size() + other.digits_.size() + kPrecision + 2;
    Digits remainder;
    DecimalNumber result;
    for (size_t i = 0; i < steps; ++i) {
        remainder.push_back(i < digits_.size() ? digits_[i] : 0);
        stripLeadingZeros(remainder);
        uint8_t quotientDigit = 0;
        while (compareIntegers(remainder, other.digits_) >= 0) {
            subtractIntegers(remainder, other.digits_);
            ++quotientDigit;
        }
        result.digits_.push_back(quotientDigit);
    }
    result.exponent_ = exponent_ - other.exponent_ - int64_t(steps - digits_.size());
    result.negative_ = negative_ != other.negative_;
    const DecimalError error = result.normalise();
    out = result;
    return error;
}

DecimalError DecimalNumber::integerPower(uint64_t exponent, DecimalNumber &out) const {
    DecimalNumber result = fromInteger(1);
    DecimalNumber base = *this;
    while (exponent > 0) {
        if (exponent & 1) {
            const DecimalError error = result.multiply(base, result);
            if (error != DecimalError::None)
                return error;
        }
        exponent >>= 1;
        // Squared only while it is still needed: a square beyond the range means the result is too.
        if (exponent > 0) {
            const DecimalError error = base.multiply(base, base);
            if (error != DecimalError::None)
                return error;
        }
    }
    out = result;
    return DecimalError::None;
}

double DecimalNumber::log10Magnitude() const {
    std::string leading = "0.";
    for (size_t i = 0; i < digits_.size() && i < 17; ++i)
        leading += char('0' + digits_[i]);
    double fraction = 0; // of 0.1 to 1
    std::from_chars(leading.data(), leading.data() + leading.size(), fraction);
    return std::log10(fraction) + double(magnitude() + 1);
}

DecimalError DecimalNumber::floatingPower(const DecimalNumber &exponent, DecimalNumber &out) const {
    std::string exponentText = digitText(exponent.digits_) + 'e' + std::to_string(exponent.exponent_);
    double y = 0;
    std::from_chars(exponentText.data(), exponentText.data() + exponentText.size(), y);
    if (exponent.negative_)
        y = -y;
    const double logarithm = y * log10Magnitude();
    if (!(logarithm < double(kMaxExponent) + 1))
        return DecimalError::Overflow;
    if (!(logarithm > -double(kMaxExponent) - 1))
        return DecimalError::Underflow;
    double value = 0;
    int64_t shift = 0;
    if (std::fabs(logarithm) < kDirectPowerLimit && std::fabs(double(magnitude())) < kDirectPowerLimit) {
        std::string baseText = digitText(digits_) + 'e' + std::to_string(exponent_);
        double x = 0;
        std::from_chars(baseText.data(), baseText.data() + baseText.size(), x);
        value = std::pow(x, y);
    } else {
        const double whole = std::floor(logarithm);
        value = std::pow(10.0, logarithm - whole);
        shift = int64_t(whole);
    }
    char text[64];
    const auto written = std::to_chars(text, text + sizeof(text), value, std::chars_format::scientific,
                                       kFloatingDigits - 1);
    DecimalError error = DecimalError::None;
    DecimalNumber result;
    if (written.ec != std::errc() || !parse(std::string_view(text, size_t(written.ptr - text)), result, error))
        return DecimalError::Overflow;
    if (error != DecimalError::None)
        return error;
    result.exponent_ += shift;
    error = result.normalise();
    out = result;
    return error;
}

DecimalError DecimalNumber::power(const DecimalNumber &exponent, DecimalNumber &out) const {
    if (exponent.isZero()) {
        out = fromInteger(1); // 0^0 as well, as calculators give it
        return DecimalError::None;
    }
    if (isZero()) {
        if (exponent.negative_)
            return DecimalError::DivisionByZero;
        out = DecimalNumber();
        return DecimalError::None;
    }
    if (!exponent.isInteger()) {
        if (negative_)
            return DecimalError::NotReal;
        return floatingPower(exponent, out);
    }
    const DecimalNumber one = fromInteger(1);
    int64_t n = 0;
    if (!exponent.toInt64(n)) {
        // An exponent of 19 digits or more: only 1 and -1 stay in range.
        if (compareMagnitude(one) == 0) {
            const bool even = exponent.exponent_ > 0 || exponent.digits_.back() % 2 == 0;
            out = negative_ && !even ? one.negated() : one;
            return DecimalError::None;
        }
        const bool grows = (compareMagnitude(one) > 0) != exponent.negative_;
        return grows ? DecimalError::Overflow : DecimalError::Underflow;
    }
    const uint64_t count = n < 0 ? uint64_t(0) - uint64_t(n) : uint64_t(n);
    DecimalNumber raised;
    DecimalError error = integerPower(count, raised);
    if (n > 0) {
        if (error == DecimalError::None)
            out = raised;
        return error;
    }
    // A negative power is one over the positive one: beyond the range on one side is beyond it on the other.
    if (error == DecimalError::Overflow)
        return DecimalError::Underflow;
    if (error == DecimalError::Underflow)
        return DecimalError::Overflow;
    if (error != DecimalError::None)
        return error;
    return one.divide(raised, out);
}

std::string DecimalNumber::toString(size_t significant) const {
    if (isZero())
        return "0";
    significant = std::max<size_t>(1, std::min(significant, kPrecision));
    Digits digits = digits_;
    int64_t exponent = exponent_;
    if (digits.size() > significant) {
        const bool up = digits[significant] >= 5;
        exponent += int64_t(digits.size() - significant);
        digits.resize(significant);
        if (up) {
            size_t at = digits.size();
            while (at > 0 && digits[at - 1] == 9)
                digits[--at] = 0;
            if (at == 0)
                digits.insert(digits.begin(), 1);
            else
                ++digits[at - 1];
        }
        while (digits.back() == 0) {
            digits.pop_back();
            ++exponent;
        }
    }
    const int64_t count = int64_t(digits.size());
    const int64_t place = exponent + count - 1;
    const std::string all = digitText(digits);
    std::string text = negative_ ? "-" : "";
    if (place >= -7 && place < int64_t(significant)) {
        if (place < 0) {
            text += "0." + std::string(size_t(-place - 1), '0') + all;
        } else if (exponent >= 0) {
            text += all + std::string(size_t(exponent), '0');
        } else {
            text += all.substr(0, size_t(place + 1)) + '.' + all.substr(size_t(place + 1));
        }
        return text;
    }
    text += all.substr(0, 1);
    if (count > 1)
        text += '.' + all.substr(1);
    return text + 'e' + std::to_string(place);
}
