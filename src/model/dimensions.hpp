// Dimension ids, their labels and short names, and reading and writing a dimension by id.
#pragma once

#include <span>

#include "model/model.hpp"

namespace mv {

struct DimensionInfo {
    DimensionId id;
    const char* label;      // as drawn in the dimension dialogs, blanks included
    const char* shortName;  // as shown for dynamic variables and undo
};

// Frame dimensions 1..27 in id order.
std::span<const DimensionInfo> FrameDimensionInfo();
// Cylinder dimensions 101..122 in id order. Labels of 106 and 122 are the first line only.
std::span<const DimensionInfo> CylinderDimensionInfo();
// nullptr for an id that is not a dimension.
const DimensionInfo* FindDimension(DimensionId id);

bool IsFrameId(DimensionId id);
bool IsCylinderId(DimensionId id);
inline bool IsDimensionId(DimensionId id) {
    return IsFrameId(id) || IsCylinderId(id);
}

// Current value of a dimension (pivot coordinates included); 0 for an unknown id.
float GetDimension(const Gear& m, DimensionId id);

// Stores a dimension with its side effects: 13, 14, 23 and 24 write both pivot copies; 102 also
// sets y4 = y3 + dimension 109; 109 sets y4 = y3 + the new value. Unknown ids do nothing.
void StoreDimension(Gear& m, DimensionId id, float value);

}  // namespace mv
