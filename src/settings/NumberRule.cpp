#include "settings/NumberRule.h"

#include <cfenv>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace sweepora {

double LeadingNumber(const std::string& text)
{
    std::size_t i = text.find_first_not_of(' ');
    if (i == std::string::npos) return 0.0;
    std::string number;
    if (text[i] == '+' || text[i] == '-') number += text[i++];
    bool digits = false;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        number += text[i++];
        digits = true;
    }
    if (i < text.size() && text[i] == '.') {
        number += text[i++];
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            number += text[i++];
            digits = true;
        }
    }
    if (!digits) return 0.0;
    return std::strtod(number.c_str(), nullptr);
}

double RoundHalfEven(double value)
{
    // nearbyint honours the current rounding mode; make sure it is the default one.
    const int saved = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double r = std::nearbyint(value);
    std::fesetround(saved);
    return r;
}

std::int16_t TextToInt16(const std::string& text)
{
    const double r = RoundHalfEven(LeadingNumber(text));
    if (r > std::numeric_limits<std::int16_t>::max()) return std::numeric_limits<std::int16_t>::max();
    if (r < std::numeric_limits<std::int16_t>::min()) return std::numeric_limits<std::int16_t>::min();
    return static_cast<std::int16_t>(r);
}

} // namespace sweepora
