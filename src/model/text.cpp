#include "model/text.hpp"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>

namespace mv {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Length of the longest prefix of s (after the start index) that is a number.
std::size_t NumberPrefix(std::string_view s, std::size_t i) {
    std::size_t j = i;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
    const std::size_t intStart = j;
    while (j < s.size() && IsDigit(s[j])) ++j;
    std::size_t digits = j - intStart;
    if (j < s.size() && s[j] == '.') {
        std::size_t k = j + 1;
        const std::size_t fracStart = k;
        while (k < s.size() && IsDigit(s[k])) ++k;
        digits += k - fracStart;
        if (digits > 0) j = k;
    }
    if (digits == 0) return 0;
    if (j < s.size() && (s[j] == 'e' || s[j] == 'E')) {
        std::size_t k = j + 1;
        if (k < s.size() && (s[k] == '+' || s[k] == '-')) ++k;
        const std::size_t expStart = k;
        while (k < s.size() && IsDigit(s[k])) ++k;
        if (k > expStart) j = k;
    }
    return j - i;
}

}  // namespace

float ParseLenient(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    const std::size_t n = NumberPrefix(text, i);
    if (n == 0) return 0.0f;
    std::string_view num = text.substr(i, n);
    bool negative = false;
    if (num.front() == '+' || num.front() == '-') {
        negative = num.front() == '-';
        num.remove_prefix(1);
    }
    double v = 0;
    const auto res = std::from_chars(num.data(), num.data() + num.size(), v);
    if (res.ec == std::errc::result_out_of_range) {
        // Either far too large or far too small: decide by the exponent's sign.
        const auto e = num.find_first_of("eE");
        const bool tiny = e != std::string_view::npos && e + 1 < num.size() && num[e + 1] == '-';
        v = tiny ? 0.0 : std::numeric_limits<double>::infinity();
    } else if (res.ec != std::errc{}) {
        return 0.0f;
    }
    if (negative) v = -v;
    constexpr double kMax = std::numeric_limits<float>::max();
    if (v > kMax) return std::numeric_limits<float>::max();
    if (v < -kMax) return -std::numeric_limits<float>::max();
    return static_cast<float>(v);
}

bool ParseStrict(std::string_view text, double& out) {
    if (text.empty()) return false;
    const std::size_t n = NumberPrefix(text, 0);
    if (n != text.size()) return false;
    std::string_view num = text;
    bool negative = false;
    if (num.front() == '+' || num.front() == '-') {
        negative = num.front() == '-';
        num.remove_prefix(1);
    }
    double v = 0;
    const auto res = std::from_chars(num.data(), num.data() + num.size(), v);
    if (res.ec != std::errc{} || res.ptr != num.data() + num.size() || !std::isfinite(v))
        return false;
    out = negative ? -v : v;
    return true;
}

bool ParseNumberList(std::string_view text, std::vector<float>& out, std::string& error,
                     std::size_t most, std::string_view noun, std::string (*check)(double)) {
    out.clear();
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        std::string_view item = text.substr(
            start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
        while (!item.empty() && (item.front() == ' ' || item.front() == '\t'))
            item.remove_prefix(1);
        while (!item.empty() && (item.back() == ' ' || item.back() == '\t')) item.remove_suffix(1);
        const std::string shown(item);
        double v = 0;
        if (item.empty()) {
            error = "empty value in '" + std::string(text) + "'";
            return false;
        }
        if (!ParseStrict(item, v)) {
            error = "'" + shown + "' is not a number";
            return false;
        }
        if (std::string why = check(v); !why.empty()) {
            error = "'" + shown + "' ";
            error += why;
            return false;
        }
        // Distinct floats print as distinct shortest texts, so a list keyed by its printed
        // values has no value twice once the floats differ.
        const float f = v == 0.0 ? 0.0f : static_cast<float>(v);
        for (float seen : out) {
            if (seen == f) {
                error = "'" + shown + "' is given twice";
                return false;
            }
        }
        out.push_back(f);
        if (out.size() > most) {
            error = "more than " + std::to_string(most) + " ";
            error += noun;
            return false;
        }
        if (comma == std::string_view::npos) return true;
        start = comma + 1;
    }
}

std::string FormatFixed(double value, int width, int decimals) {
    if (decimals < 0) decimals = 0;
    if (decimals > 30) decimals = 30;
    std::array<char, 400> buf{};
    std::string s;
    if (std::isnan(value)) {
        s = "NAN";
    } else if (std::isinf(value)) {
        s = value > 0 ? "INF" : "-INF";
    } else {
        const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), value,
                                       std::chars_format::fixed, decimals);
        s.assign(buf.data(), res.ec == std::errc{} ? res.ptr : buf.data());
    }
    if (static_cast<int>(s.size()) < width)
        s.insert(0, static_cast<std::size_t>(width) - s.size(), ' ');
    return s;
}

std::string FormatField(double value, int width, int decimals, std::size_t maxLen) {
    std::string s = FormatFixed(value, width, decimals);
    if (s.size() > maxLen) s.resize(maxLen);
    return s;
}

std::string FormatFixedOrStars(double value, int width, int decimals) {
    std::string s = FormatFixed(value, width, decimals);
    if (width > 0 && s.size() > static_cast<std::size_t>(width))
        s.assign(static_cast<std::size_t>(width), '*');
    return s;
}

std::string FormatFieldFit(double value, int width, int decimals, std::size_t maxLen) {
    std::string s = FormatFixed(value, width, decimals);
    if (s.size() <= maxLen) return s;
    // Cutting off decimals keeps the value; cutting into the whole part would not.
    const auto point = s.find('.');
    if (point != std::string::npos && point <= maxLen) {
        s.resize(maxLen);
        return s;
    }
    std::array<char, 64> buf{};
    for (int digits = decimals; digits >= 0; --digits) {
        const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), value,
                                       std::chars_format::scientific, digits);
        if (res.ec != std::errc{}) break;
        const auto len = static_cast<std::size_t>(res.ptr - buf.data());
        if (len <= maxLen) return std::string(buf.data(), len);
    }
    return std::string(maxLen, '*');
}

std::string FormatSignificant(double value, int digits) {
    if (!std::isfinite(value)) return std::isnan(value) ? "null" : (value > 0 ? "1e999" : "-1e999");
    std::array<char, 64> buf{};
    const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), value,
                                   std::chars_format::general, digits);
    std::string s(buf.data(), res.ptr);
    return s;
}

std::string FormatShortest(float value) {
    if (!std::isfinite(value)) return std::isnan(value) ? "null" : (value > 0 ? "1e999" : "-1e999");
    std::array<char, 32> buf{};
    const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), value);
    return std::string(buf.data(), res.ptr);
}

std::string FormatJsonNumber(double value) {
    constexpr double kMax = std::numeric_limits<float>::max();
    if (!(std::fabs(value) <= kMax)) return "null";
    return FormatShortest(static_cast<float>(value));
}

}  // namespace mv
