#include "analysis/scale_gear.hpp"

#include <cmath>
#include <limits>
#include <span>
#include <utility>

#include "model/dimensions.hpp"
#include "model/edits.hpp"
#include "model/solver.hpp"

namespace mv {
namespace {

using LD = long double;

// Every dimension id, frame first.
template <typename F>
void ForEachLength(F&& f) {
    for (std::span<const DimensionInfo> infos : {FrameDimensionInfo(), CylinderDimensionInfo()})
        for (const DimensionInfo& d : infos)
            if (IsLengthDimension(d.id)) f(d.id);
}

}  // namespace

bool IsLengthDimension(DimensionId id) {
    return IsDimensionId(id) && id != 25;
}

std::string ScaleFactorProblem(const Gear& g, double k) {
    if (!std::isfinite(k) || !(k > 0)) return "the scale factor must be a finite number above 0";
    std::string problem;
    ForEachLength([&](DimensionId id) {
        if (!problem.empty()) return;
        const float v = GetDimension(g, id);
        const LD r = static_cast<LD>(v) * k;
        const std::string what = "dimension " + std::to_string(id);
        if (std::fabs(r) > std::numeric_limits<float>::max())
            problem = what + " would be too large for a number of the model";
        else if (v != 0 && std::fabs(r) < std::numeric_limits<float>::min())
            problem = what + " would be too small for a number of the model";
    });
    return problem;
}

std::vector<DimensionValue> ScaledDimensions(const Gear& g, double k) {
    std::vector<DimensionValue> out;
    ForEachLength([&](DimensionId id) {
        const LD r = static_cast<LD>(GetDimension(g, id)) * k;
        constexpr LD kMax = std::numeric_limits<float>::max();
        out.push_back({id, static_cast<float>(std::fmax(-kMax, std::fmin(kMax, r)))});
    });
    return out;
}

Gear ScaledGear(const Gear& g, double k) {
    const LD offset = static_cast<LD>(g.gear.revArmSetting) - g.revArmPositions[0];
    Gear out = WithDimensions(g, ScaledDimensions(g, k));
    for (int i = 4; i < kRevArmPositions; ++i)
        out.revArmPositions[i] = static_cast<float>(out.revArmPositions[i] * static_cast<LD>(k));
    out.gear.revArmSetting = static_cast<float>(out.revArmPositions[0] + offset * k);
    return out;
}

void ScaleWorkingGear(Model& m, double k) {
    std::vector<std::pair<DimensionId, float>> values;
    for (const DimensionValue& d : ScaledDimensions(m, k)) values.emplace_back(d.id, d.value);
    CommitDimensionGroup(m, "Scale Gear", values, static_cast<float>(k));
}

}  // namespace mv
