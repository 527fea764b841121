#include "command/Values.h"
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace khost {

namespace {

bool isDecimal(const std::string& text) {
    size_t i = 0, n = text.size();
    if (i < n && (text[i] == '+' || text[i] == '-'))
        ++i;
    size_t digits = 0;
    while (i < n && std::isdigit(static_cast<unsigned char>(text[i])))
        ++i, ++digits;
    if (i < n && text[i] == '.') {
        ++i;
        while (i < n && std::isdigit(static_cast<unsigned char>(text[i])))
            ++i, ++digits;
    }
    if (digits == 0)
        return false;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < n && (text[i] == '+' || text[i] == '-'))
            ++i;
        size_t exponent = 0;
        while (i < n && std::isdigit(static_cast<unsigned char>(text[i])))
            ++i, ++exponent;
        if (exponent == 0)
            return false;
    }
    return i == n;
}

bool parseHex(const std::string& text, long long& value) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    if (text.size() < i + 3 || text[i] != '0' || (text[i + 1] != 'x' && text[i + 1] != 'X'))
        return false;
    std::string digits = text.substr(i + 2);
    if (digits.size() > 15 || digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        return false;
    value = std::strtoll(digits.c_str(), nullptr, 16);
    if (negative)
        value = -value;
    return true;
}

} // namespace

bool parseBool(const std::string& text, bool& value) {
    if (text == "true" || text == "on" || text == "yes" || text == "1") {
        value = true;
        return true;
    }
    if (text == "false" || text == "off" || text == "no" || text == "0") {
        value = false;
        return true;
    }
    return false;
}

bool parseNumber(const std::string& text, double& value) {
    bool flag;
    if (parseBool(text, flag)) {
        value = flag ? 1.0 : 0.0;
        return true;
    }
    long long integer;
    if (parseHex(text, integer)) {
        value = static_cast<double>(integer);
        return true;
    }
    if (!isDecimal(text))
        return false;
    value = std::strtod(text.c_str(), nullptr);
    return std::isfinite(value);
}

bool parseInteger(const std::string& text, long long& value) {
    if (parseHex(text, value))
        return true;
    double number;
    if (!parseNumber(text, number) || number != std::trunc(number) || std::fabs(number) > 9.0e15)
        return false;
    value = static_cast<long long>(number);
    return true;
}

std::string formatNumber(double value) {
    if (value == 0.0)
        return "0"; // also for -0, which MEL prints as 0
    if (!std::isfinite(value))
        return std::isnan(value) ? "nan" : value > 0 ? "inf" : "-inf";
    char buffer[40];
    int precision = 1;
    for (; precision < 17; ++precision) {
        std::snprintf(buffer, sizeof buffer, "%.*g", precision, value);
        if (std::strtod(buffer, nullptr) == value)
            break;
    }
    // Whole numbers below 1e17 print in full ("10", not "1e+01"), as %g does with enough digits.
    int exponent = static_cast<int>(std::floor(std::log10(std::fabs(value))));
    if (exponent >= precision && exponent < 17)
        precision = exponent + 1;
    std::snprintf(buffer, sizeof buffer, "%.*g", precision, value);
    return buffer;
}

} // namespace khost
