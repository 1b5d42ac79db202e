#include "model/edits.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "model/dimensions.hpp"
#include "model/solver.hpp"
#include "model/text.hpp"

namespace mv {
namespace {

bool IsSlotDimension(DimensionId id) {
    return IsDimensionId(id) && id != 25 && id != 26 && id != 27;
}

std::string Name25(std::string_view s) {
    return std::string(s.substr(0, 25));
}

// A product beyond the float range saturates rather than being undefined.
float Scaled(float v, long double f) {
    constexpr long double kMax = std::numeric_limits<float>::max();
    const long double r = static_cast<long double>(v) * f;
    if (std::isnan(r)) return v;
    return static_cast<float>(r > kMax ? kMax : r < -kMax ? -kMax : r);
}

// What the picture and the diagrams hold in world lengths follows a gear scaled by f, so that
// they look the same; the reverse arm keeps its notch. Mid gear is recomputed from the
// dimensions already stored.
void ScaleWorld(Model& m, long double f) {
    const long double offset =
        static_cast<long double>(m.gear.revArmSetting) - m.revArmPositions[0];
    ComputeMidGear(m);
    const float shift = Scaled(static_cast<float>(offset), f);
    m.gear.revArmSetting = m.revArmPositions[0] + shift;
    SetRevArmBarLimits(m);
    RequestRevArmBarPosition(m, static_cast<int>(std::clamp<long double>(
                                    std::nearbyint(1000.0L * shift), -2.0e9L, 2.0e9L)));
    if (f == 1.0L) return;
    const long double inverse = 1.0L / f;
    for (ViewTransform* v : {&m.view, &m.previousView, &m.zoomAnchor})
        v->scale = Scaled(v->scale, inverse);
    for (ViewTransform& v : m.presets) v.scale = Scaled(v.scale, inverse);
    for (int p : {pv::Ref1, pv::Ref2}) {
        m.pivots[p].x = Scaled(m.pivots[p].x, f);
        m.pivots[p].y = Scaled(m.pivots[p].y, f);
    }
    for (LineEntry& e : m.lines.entries)
        for (float* v : {&e.h1, &e.v1, &e.h2, &e.v2}) *v = Scaled(*v, f);
    for (int k = 4; k < kRevArmPositions; ++k)
        m.revArmPositions[k] = Scaled(m.revArmPositions[k], f);
    m.graphicZoomFactor = Scaled(m.graphicZoomFactor, f);
    m.diagramVerticalScale = Scaled(m.diagramVerticalScale, f);
}

void RefreshSlots(Model& m) {
    for (int k = 1; k <= 4; ++k) {
        DynSlot& s = m.dynSlots[k];
        if (IsSlotDimension(s.id)) s.value = GetDimension(m, s.id);
    }
}

}  // namespace

float JogIncrement(JogMemory& mem, int p, float divisor, int page) {
    float d = 0;
    const int prev = mem.previous;
    const int last = mem.last;
    const float fp = static_cast<float>(p);
    if (p > 0 && p > prev) d = fp / divisor;
    if (p < 0 && p > prev) d = -fp / divisor;
    if (p < 0 && p < prev) d = fp / divisor;
    if (p > 0 && p < prev) d = -fp / divisor;
    const long long diff = std::llabs(static_cast<long long>(p) - last);
    if (diff == 1) d = fp / divisor;
    if (diff == page) d = fp / divisor;
    mem.previous = last;
    mem.last = p;
    return d;
}

void RecordDynamicVariable(Model& m) {
    const DynSlot& s0 = m.dynSlots[0];
    for (int k = 1; k <= 4; ++k) {
        if (m.dynSlots[k].id == s0.id) {
            m.dynSlots[k].value = s0.value;
            m.dynSlots[k].name = s0.name;
            return;
        }
    }
    for (int k = 4; k >= 2; --k) m.dynSlots[k] = m.dynSlots[k - 1];
    m.dynSlots[1] = s0;
}

void ClearDynamicVariables(Model& m) {
    for (auto& s : m.dynSlots) s = DynSlot{};
}

void StepDynamicVariable(Model& m) {
    m.dynSlots[m.currentSlot].value += m.gear.scrollIncrement;
    ClearCutoffTexts(m);
}

void ApplyDynamicVariable(Model& m) {
    if (m.currentSlot < 1 || m.currentSlot > 4) return;
    DynSlot& s = m.dynSlots[m.currentSlot];
    if (!IsSlotDimension(s.id)) return;
    s.value = GetDimension(m, s.id);
    StepDynamicVariable(m);
    StoreDimension(m, s.id, s.value);
    m.Notify(ModelEvent::DimensionsChanged);
}

void SaveUndo(Model& m) {
    if (!m.pendingEdit) return;
    SetUndoEnabled(m, true);
    for (int k = kUndoDepth; k >= 1; --k) m.undo[k] = m.undo[k - 1];
    m.undoCount = m.undoCount + 1 > kUndoDepth ? kUndoDepth : m.undoCount + 1;
}

void UndoLastChange(Model& m) {
    for (int k = 0; k < kUndoDepth; ++k) m.undo[k] = m.undo[k + 1];
    const UndoEntry& e = m.undo[0];
    if (e.id == kGroupUndoId) {
        // Newest first, so that a dimension given twice ends at its first old value.
        for (auto c = e.group.rbegin(); c != e.group.rend(); ++c)
            StoreDimension(m, c->id, c->oldValue);
        ScaleWorld(m, e.worldScale > 0 ? 1.0L / e.worldScale : 1.0L);
    } else if (e.id > 0) {
        const auto id = static_cast<DimensionId>(e.id);
        if (IsSlotDimension(id)) StoreDimension(m, id, e.oldValue);
    }
    // Refresh the dynSlots from their dimensions. Stepping by +1 and -1 in single precision would
    // nudge small dimensions by a rounding error, so the values are read back exactly.
    RefreshSlots(m);
    m.gear.scrollIncrement = -1.0f;
    ClearCutoffTexts(m);
    m.undo[kUndoDepth] = UndoEntry{};
    if (m.undo[1].id == 0) SetUndoEnabled(m, false);
    m.undoCount = m.undoCount - 1 < 0 ? 0 : m.undoCount - 1;
    m.Notify(ModelEvent::DimensionsChanged);
}

void ClearUndo(Model& m) {
    for (auto& e : m.undo) e = UndoEntry{};
    m.undoCount = 0;
    SetUndoEnabled(m, false);
}

void CommitDimension(Model& m, DimensionId id, float value) {
    const DimensionInfo* info = FindDimension(id);
    if (!info) return;
    if (!IsSlotDimension(id)) {
        CommitAnyDimension(m, id, value);
        return;
    }
    const bool pending = m.pendingEdit;
    if (pending) {
        SaveUndo(m);
        m.undo[1].id = static_cast<std::int32_t>(id);
        m.undo[1].oldValue = GetDimension(m, id);
    }
    StoreDimension(m, id, value);
    m.dynSlots[0] = DynSlot{id, value, Name25(info->shortName)};
    RecordDynamicVariable(m);
    StoreDimension(m, id, m.dynSlots[0].value);
    if (pending) {
        m.undo[1].newValue = value;
        m.undo[1].name = Name25(info->shortName);
    }
    m.pendingEdit = false;
    m.Notify(ModelEvent::DimensionsChanged);
}

void CommitDimensionGroup(Model& m, std::string_view name,
                          std::span<const std::pair<DimensionId, float>> values, float worldScale) {
    UndoEntry entry{kGroupUndoId, 1, worldScale, Name25(name)};
    entry.worldScale = worldScale > 0 && std::isfinite(worldScale) ? worldScale : 1;
    for (const auto& [id, value] : values) {
        if (!IsDimensionId(id)) continue;
        entry.group.push_back({id, GetDimension(m, id), value});
        StoreDimension(m, id, value);
    }
    m.pendingEdit = true;
    SaveUndo(m);
    m.undo[1] = std::move(entry);
    m.pendingEdit = false;
    ScaleWorld(m, m.undo[1].worldScale);
    RefreshSlots(m);
    ClearCutoffTexts(m);
    m.Notify(ModelEvent::DimensionsChanged);
}

void ScaleWorldLengths(Model& m, float f) {
    ScaleWorld(m, f > 0 && std::isfinite(f) ? f : 1.0L);
}

void CommitDimensionText(Model& m, DimensionId id, std::string_view text) {
    CommitAnyDimension(m, id, ParseLenient(text));
}

namespace {
void ClampUserPositions(Model& m) {
    const float mid = m.revArmPositions[0];
    const float norm = m.frame.revArmNorm;
    for (int k = 1; k <= 9; ++k) {
        float& p = m.revArmPositions[k];
        if (p == 0.0f) continue;
        if (p < mid - norm) p = mid - norm;
        if (p > mid + norm) p = mid + norm;
    }
}
}  // namespace

void CommitOffsetAngle(Model& m, float value) {
    m.frame.offsetAngle = value;
    m.Notify(ModelEvent::DimensionsChanged);
}

void CommitRevArmNorm(Model& m, float value) {
    m.frame.revArmNorm = value;
    if (m.frame.revArmNorm > m.frame.revArmMax) {
        m.frame.revArmNorm = m.frame.revArmMax;
        ClampUserPositions(m);
    }
    m.Notify(ModelEvent::DimensionsChanged);
}

void CommitRevArmMax(Model& m, float value) {
    m.frame.revArmMax = value;
    if (m.frame.revArmMax < m.frame.revArmNorm) {
        m.frame.revArmMax = m.frame.revArmNorm;
        ClampUserPositions(m);
    }
    SetRevArmBarLimits(m);
    m.Notify(ModelEvent::DimensionsChanged);
}

void CommitAnyDimension(Model& m, DimensionId id, float value) {
    switch (id) {
        case 25: CommitOffsetAngle(m, value); return;
        case 26: CommitRevArmNorm(m, value); return;
        case 27: CommitRevArmMax(m, value); return;
        default: CommitDimension(m, id, value); return;
    }
}

void DynamicBarChanged(Model& m, int k, int p) {
    if (k < 1 || k > 4) return;
    m.gear.scrollIncrement = 0;
    m.currentSlot = k;
    m.gear.scrollIncrement = JogIncrement(m.dynBarMemory[k], p, 1000.0f, 10);
    ApplyDynamicVariable(m);
}

void DynamicBarEntered(Model& m, int k) {
    if (k < 1 || k > 4) return;
    m.dynBarValueBefore[k] = m.dynSlots[k].value;
}

void DynamicBarScrollEnded(Model& m, int k) {
    if (k < 1 || k > 4) return;
    SetUndoEnabled(m, true);
    m.pendingEdit = true;
    SaveUndo(m);
    const DynSlot& s = m.dynSlots[k];
    m.undo[1].id = static_cast<std::int32_t>(s.id);
    m.undo[1].oldValue = m.dynBarValueBefore[k];
    m.undo[1].newValue = s.value;
    m.undo[1].name = Name25(s.name);
    m.pendingEdit = false;
}

}  // namespace mv
