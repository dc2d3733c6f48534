#include "FormatFloat.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <system_error>

namespace {

struct Picture {
    std::string prefix;
    std::string suffix;
    bool hasDigits = false;  // any '0' or '#'
    bool group = false;      // a ',' before the decimal point
    int minIntegerDigits = 0;
    int decimals = 0;        // all placeholders after the point
    int minDecimals = 0;     // up to the last '0' after the point
};

Picture parsePicture(const std::string& format)
{
    Picture p;
    bool inNumber = false;
    bool afterPoint = false;
    bool zeroSeen = false;
    int integerPlaces = 0;
    for (char c : format) {
        const bool placeholder = c == '0' || c == '#';
        if (placeholder || c == '.' || c == ',') {
            inNumber = true;
            if (placeholder)
                p.hasDigits = true;
            if (c == '.') {
                afterPoint = true;
            } else if (c == ',') {
                if (!afterPoint)
                    p.group = true;
            } else if (afterPoint) {
                ++p.decimals;
                if (c == '0')
                    p.minDecimals = p.decimals;
            } else {
                // Every place from the first '0' on is a digit always shown.
                if (c == '0')
                    zeroSeen = true;
                if (zeroSeen)
                    ++integerPlaces;
            }
        } else if (inNumber) {
            p.suffix += c;
        } else {
            p.prefix += c;
        }
    }
    p.minIntegerDigits = integerPlaces;
    return p;
}

// The shortest decimal text that reads back as the value: digits without
// the point and the exponent of the first digit. Rounding decided on this
// text gives 0.15 -> 0.2 where the binary value would give 0.1.
void shortestDigits(double magnitude, std::string& digits, int& exponent)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific);
    const std::string text(buffer, result.ptr);
    const auto e = text.find('e');
    digits.clear();
    for (std::size_t i = 0; i < e; ++i)
        if (text[i] != '.')
            digits += text[i];
    exponent = std::atoi(text.c_str() + e + 1);
}

std::string groupThousands(const std::string& digits)
{
    std::string out;
    const std::size_t n = digits.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out += ',';
        out += digits[i];
    }
    return out;
}

} // namespace

std::string formatFloat(const std::string& format_, double value_)
{
    if (std::isnan(value_))
        return "NAN";
    if (std::isinf(value_))
        return value_ < 0 ? "-INF" : "INF";

    const Picture picture = parsePicture(format_);
    if (!picture.hasDigits) {
        char buffer[64];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, value_ == 0.0 ? 0.0 : value_);
        return picture.prefix + std::string(buffer, result.ptr) + picture.suffix;
    }

    // Integer and fraction digits of the magnitude rounded to the picture's
    // decimals, halves away from zero.
    std::string integerDigits;
    std::string fractionDigits(static_cast<std::size_t>(picture.decimals), '0');
    if (value_ != 0.0) {
        std::string digits;
        int exponent = 0;
        shortestDigits(std::fabs(value_), digits, exponent);

        // Digits of the value at or above the last decimal place.
        const long keep = static_cast<long>(exponent) + 1 + picture.decimals;
        std::string kept;
        if (keep >= 0) {
            kept = digits.substr(0, static_cast<std::size_t>(keep));
            if (kept.size() < static_cast<std::size_t>(keep))
                kept.append(static_cast<std::size_t>(keep) - kept.size(), '0');
            const bool roundUp = static_cast<std::size_t>(keep) < digits.size() && digits[static_cast<std::size_t>(keep)] >= '5';
            if (roundUp) {
                std::size_t i = kept.size();
                while (i > 0 && kept[i - 1] == '9')
                    kept[--i] = '0';
                if (i == 0)
                    kept.insert(kept.begin(), '1');
                else
                    ++kept[i - 1];
            }
        }
        // kept now holds the scaled integer; split off the decimals.
        const std::size_t d = static_cast<std::size_t>(picture.decimals);
        if (kept.size() < d)
            kept.insert(0, d - kept.size(), '0');
        integerDigits = kept.substr(0, kept.size() - d);
        fractionDigits = kept.substr(kept.size() - d);
        const auto firstNonZero = integerDigits.find_first_not_of('0');
        integerDigits = firstNonZero == std::string::npos ? std::string() : integerDigits.substr(firstNonZero);
    }

    const bool isZero = integerDigits.empty() && fractionDigits.find_first_not_of('0') == std::string::npos;

    if (static_cast<int>(integerDigits.size()) < picture.minIntegerDigits)
        integerDigits.insert(0, static_cast<std::size_t>(picture.minIntegerDigits) - integerDigits.size(), '0');
    while (static_cast<int>(fractionDigits.size()) > picture.minDecimals && !fractionDigits.empty() && fractionDigits.back() == '0')
        fractionDigits.pop_back();

    // The sign leads the whole text, literals included; a value rounded to
    // zero has none.
    std::string out = value_ < 0 && !isZero ? "-" : "";
    out += picture.prefix;
    out += picture.group ? groupThousands(integerDigits) : integerDigits;
    if (!fractionDigits.empty()) {
        out += '.';
        out += fractionDigits;
    }
    out += picture.suffix;
    return out;
}
