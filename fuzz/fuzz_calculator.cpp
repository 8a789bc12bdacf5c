// Any text typed into Quick Search as a sum: the parser must neither crash nor recurse without
// bound, and a value it shows must read back as the number it prints, as pasting it elsewhere does.
#include "launcher/calculator.h"
#include "launcher/decimal_number.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    // The command field holds 259 characters.
    const std::string query(reinterpret_cast<const char *>(data), size < 259 ? size : 259);
    const Calculation result = calculate(query);
    if (result.kind == Calculation::Kind::NotArithmetic) {
        if (!result.text.empty())
            abort();
        return 0;
    }
    if (result.text.empty())
        abort();
    if (result.kind == Calculation::Kind::Error)
        return 0;
    const bool negative = result.text[0] == '-';
    DecimalNumber number;
    DecimalError error = DecimalError::None;
    if (!DecimalNumber::parse(result.text.substr(negative ? 1 : 0), number, error) || error != DecimalError::None)
        abort();
    if ((negative ? "-" : "") + number.toString(kCalculatorDigits) != result.text)
        abort();
    return 0;
}
