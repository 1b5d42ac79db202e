// What each dimension field means, for its tooltip: the dimension's name, what it measures and,
// where the program holds it to a limit, the limit.
#pragma once

#include <QString>

#include "model/model.hpp"

namespace mv {

// Empty for an id that is not a dimension.
QString DimensionTip(DimensionId id);

}  // namespace mv
