// Options of the study commands (sensitivity, tolerance): notch lists, directions, id lists,
// output formats.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis/study.hpp"
#include "cli/cli.hpp"
#include "model/model.hpp"

namespace mv::cli {

// Comma-separated fractions of "Rev Arm to Cent Max", each 0..1, none twice.
std::vector<float> NotchesValue(const std::string& option, const std::string& text);
// Comma-separated mean cut-offs in per cent, each above 0 and below 100, none twice.
std::vector<float> CutoffsValue(const std::string& option, const std::string& text);
// fwd, rev or both.
Directions DirectionsValue(const std::string& option, const std::string& text);
// The rows a command takes: reverse-arm settings at notches or at mean cut-offs (not both), in
// one direction or both. What was not given stays empty: each command has its own default.
struct RowOptions {
    std::optional<std::vector<float>> notches;
    std::optional<std::vector<float>> cutoffs;
    Directions directions = Directions::Both;
};
// Takes --notches, --cutoffs or --direction at args[i] with its value (i moves past it); false
// for any other word.
bool TakeRowOption(const Args& args, std::size_t& i, RowOptions& o);

// A search that writes a gear (optimize, new): its budget, seed, file and output form. What was
// not given stays empty: the search keeps its own default.
struct SearchOptions {
    std::optional<int> maxEvaluations;
    std::optional<std::uint64_t> seed;
    std::optional<std::string> out;
    std::string format = "json";  // json or table
};
// Takes --max-evals, --seed, --out or --format at args[i] with its value; false for any other
// word.
bool TakeSearchOption(const Args& args, std::size_t& i, SearchOptions& o);

// Comma-separated dimension ids, none twice.
std::vector<DimensionId> IdsValue(const std::string& option, const std::string& text);
// One dimension id (1..27, 101..122).
DimensionId IdValue(const std::string& option, const std::string& text);
// json, csv or table.
std::string FormatValue(const std::string& option, const std::string& text);
// A seed: a whole number 0..2^32-1 (kMaxStudySeed), the same range in every command and window.
std::uint64_t SeedValue(const std::string& option, const std::string& text);
// The evaluations a search may use (optimize, new): 1 .. kMaxEvaluationsLimit.
int MaxEvaluationsValue(const std::string& option, const std::string& text);
// A tolerance or a clearance: 0 or more, and "too large" beyond a float.
float SizeValue(const std::string& option, const std::string& text);

}  // namespace mv::cli
