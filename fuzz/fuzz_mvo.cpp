// Feeds arbitrary text to the .mvo reader. A refused text must leave the model untouched; an
// accepted one must export to text that imports to the same dimensions.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "files/dimension_file.hpp"
#include "fuzz_support.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const mv::Model& start = mvfuzz::StartModel();
    mv::Model m = start;
    std::string error;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (!mv::files::ReadMvoText(m, text, "fuzz.mvo", error)) {
        CHECK(error.rfind("fuzz.mvo", 0) == 0);
        CHECK(mv::files::WriteDstBytes(m) == mv::files::WriteDstBytes(start));
        return 0;
    }
    const std::string exported = mv::files::WriteMvoText(m);
    mv::Model again = start;
    CHECK(mv::files::ReadMvoText(again, exported, "export.mvo", error));
    CHECK(mv::files::WriteMvoText(again) == exported);
    return 0;
}
