// Shared by the fuzz targets: the start-up model and a check that explains a failure.
#pragma once

#include <cstdio>
#include <cstdlib>

#include "model/model.hpp"

namespace mvfuzz {

inline const mv::Model& StartModel() {
    static const mv::Model m = [] {
        mv::Model s;
        mv::StartUp(s);
        return s;
    }();
    return m;
}

}  // namespace mvfuzz

// Reports which property failed before stopping, so a found input explains itself.
#define CHECK(cond)                                                                 \
    do {                                                                            \
        if (!(cond)) {                                                              \
            std::fprintf(stderr, "check failed at line %d: %s\n", __LINE__, #cond); \
            std::abort();                                                           \
        }                                                                           \
    } while (0)
