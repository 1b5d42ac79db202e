#include "cli/cli_study.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "analysis/cutoff_rows.hpp"
#include "analysis/design_objective.hpp"
#include "cli/cli.hpp"
#include "model/dimensions.hpp"
#include "model/text.hpp"

namespace mv::cli {
namespace {

std::vector<std::string> Items(const std::string& option, const std::string& text) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        std::string item =
            text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (item.empty()) {
            std::string message = option;
            message.append(": empty value in '").append(text).append("'");
            throw UsageError{message};
        }
        out.push_back(std::move(item));
        if (comma == std::string::npos) return out;
        start = comma + 1;
    }
}

}  // namespace

std::vector<float> NotchesValue(const std::string& option, const std::string& text) {
    std::vector<float> out;
    std::string error;
    if (!ParseNotchList(text, out, error)) throw UsageError{option + ": " + error};
    return out;
}

std::vector<float> CutoffsValue(const std::string& option, const std::string& text) {
    std::vector<float> out;
    std::string error;
    if (!ParseCutoffList(text, out, error)) throw UsageError{option + ": " + error};
    return out;
}

Directions DirectionsValue(const std::string& option, const std::string& text) {
    if (text == "fwd") return Directions::Forward;
    if (text == "rev") return Directions::Reverse;
    if (text == "both") return Directions::Both;
    throw UsageError{option + ": expected fwd, rev or both, got '" + text + "'"};
}

bool TakeRowOption(const Args& args, std::size_t& i, RowOptions& o) {
    const std::string& a = args[i];
    if (a == "--notches") {
        if (o.cutoffs) throw UsageError{"--notches and --cutoffs exclude each other"};
        o.notches = NotchesValue(a, OptionValue(args, i));
    } else if (a == "--cutoffs") {
        if (o.notches) throw UsageError{"--notches and --cutoffs exclude each other"};
        o.cutoffs = CutoffsValue(a, OptionValue(args, i));
    } else if (a == "--direction") {
        o.directions = DirectionsValue(a, OptionValue(args, i));
    } else {
        return false;
    }
    return true;
}

bool TakeSearchOption(const Args& args, std::size_t& i, SearchOptions& o) {
    const std::string& a = args[i];
    if (a == "--max-evals") {
        o.maxEvaluations = MaxEvaluationsValue(a, OptionValue(args, i));
    } else if (a == "--seed") {
        o.seed = SeedValue(a, OptionValue(args, i));
    } else if (a == "--out") {
        o.out = OptionValue(args, i);
        if (o.out->empty()) throw UsageError{"--out: empty file name"};
    } else if (a == "--format") {
        o.format = OptionValue(args, i);
        if (o.format != "json" && o.format != "table")
            throw UsageError{"--format: expected json or table, got '" + o.format + "'"};
    } else {
        return false;
    }
    return true;
}

DimensionId IdValue(const std::string& option, const std::string& text) {
    double v = 0;
    if (!ParseStrict(text, v) || v != std::floor(v) || v < 0 || v > 1000 ||
        !IsDimensionId(static_cast<DimensionId>(v)))
        throw UsageError{option + ": '" + text + "' is not a dimension id (1..27, 101..122)"};
    return static_cast<DimensionId>(v);
}

std::vector<DimensionId> IdsValue(const std::string& option, const std::string& text) {
    std::vector<DimensionId> out;
    for (const std::string& item : Items(option, text)) {
        const DimensionId id = IdValue(option, item);
        if (std::find(out.begin(), out.end(), id) != out.end()) {
            std::string message = option;
            message.append(": id ").append(item).append(" is given twice");
            throw UsageError{message};
        }
        out.push_back(id);
    }
    return out;
}

std::string FormatValue(const std::string& option, const std::string& text) {
    if (text != "table" && text != "csv" && text != "json")
        throw UsageError{option + ": expected json, csv or table, got '" + text + "'"};
    return text;
}

std::uint64_t SeedValue(const std::string& option, const std::string& text) {
    std::uint64_t v = 0;
    const char* end = text.data() + text.size();
    const auto res = std::from_chars(text.data(), end, v);
    if (text.empty() || res.ec != std::errc() || res.ptr != end || v > kMaxStudySeed)
        throw UsageError{option + ": '" + text + "' is not a whole number from 0 to " +
                         std::to_string(kMaxStudySeed)};
    return v;
}

int MaxEvaluationsValue(const std::string& option, const std::string& text) {
    const int n = IntValue(option, text);
    if (n < 1 || n > kMaxEvaluationsLimit)
        throw UsageError{option + ": " + text + " is outside 1.." +
                         std::to_string(kMaxEvaluationsLimit)};
    return n;
}

float SizeValue(const std::string& option, const std::string& text) {
    const float v = FloatValue(option, text);
    if (v < 0.0f) throw UsageError{option + ": '" + text + "' must be 0 or more"};
    return v;
}

}  // namespace mv::cli
