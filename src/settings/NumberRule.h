#pragma once
#include <cstdint>
#include <string>

namespace sweepora {

// The leading decimal number of a text (leading blanks skipped, optional sign,
// digits, optional fraction); 0 when the text does not start with one.
double LeadingNumber(const std::string& text);

// Rounds to the nearest integer, ties to the even neighbour (2.5 -> 2, 3.5 -> 4).
double RoundHalfEven(double value);

// Text to a 16-bit integer by the rules above; saturates instead of overflowing.
std::int16_t TextToInt16(const std::string& text);

} // namespace sweepora
