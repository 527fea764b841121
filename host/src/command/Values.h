#pragma once
// Reading and writing the scalar values of the command language.
#include <string>

namespace khost {

// MEL numbers: decimal or hexadecimal integers, decimals with an optional exponent, and the
// boolean words (true/on/yes = 1, false/off/no = 0). No inf or nan.
bool parseNumber(const std::string& text, double& value);
// Integers only (no fraction); hexadecimal accepted.
bool parseInteger(const std::string& text, long long& value);
bool parseBool(const std::string& text, bool& value);
// The shortest text that reads back to the same double ("0.5", "0.1", "1e-05").
std::string formatNumber(double value);

} // namespace khost
