// Locale-independent number text: the lenient converter every typed number goes through and the
// w:d fixed-point formatter every shown number uses.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace mv {

// The number formed by the leading well-formed part of the text (leading blanks, optional
// sign, digits, optional fraction and exponent); 0 when there is none. Values beyond the float
// range saturate to the largest finite float of that sign.
float ParseLenient(std::string_view text);

// Strict parse for command lines: the whole text must be a finite number.
bool ParseStrict(std::string_view text, double& out);

// A comma-separated list of numbers as the command line and the windows take them: blanks and
// tabs round each item, every item a strict number that `check` accepts (it returns the reason
// it refuses one, or ""), none twice (-0 is 0), at most `most` items, which `noun` names in the
// refusal. On a bad list returns false with the reason in `error`.
bool ParseNumberList(std::string_view text, std::vector<float>& out, std::string& error,
                     std::size_t most, std::string_view noun, std::string (*check)(double));

// Fixed point with d decimals, right-aligned in a field of at least w characters, point as the
// decimal separator ("w:d").
std::string FormatFixed(double value, int width, int decimals);

// As FormatFixed, then cut to at most maxLen characters (the dialogs show at most 10).
std::string FormatField(double value, int width, int decimals, std::size_t maxLen = 10);

// As FormatFixed, but a value whose text needs more than `width` characters shows as a row of
// `width` "*": a number written into a fixed place never runs over its neighbours.
std::string FormatFixedOrStars(double value, int width, int decimals);

// For a field the user edits: FormatFixed cut to maxLen characters while only decimals are cut
// off; a whole part too long to show becomes exponent form with the digits that fit (it still
// reads back as nearly the same number), never the leading digits alone.
std::string FormatFieldFit(double value, int width, int decimals, std::size_t maxLen = 10);

// Shortest text that reads back as the same double, limited to the given significant digits.
std::string FormatSignificant(double value, int digits);

// The shortest text that reads back as exactly this float ("11.1", not "11.1000004"), for
// machine-readable output (JSON, CSV). NaN gives "null" and the infinities "1e999" and
// "-1e999", which JSON readers take as a number out of range.
std::string FormatShortest(float value);

// A number for JSON and CSV output: the value as a float, in the shortest text that reads back
// as that float. What a float cannot hold (NaN, the infinities, magnitudes beyond its range) is
// "null", so the output is always valid JSON.
std::string FormatJsonNumber(double value);

}  // namespace mv
