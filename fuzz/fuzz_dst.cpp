// Feeds arbitrary bytes to the .dst reader. Beyond not crashing, a refused image must leave the
// model untouched, and an accepted one must save to an image that loads back to itself.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "files/dimension_file.hpp"
#include "fuzz_support.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const mv::Model& start = mvfuzz::StartModel();
    const std::vector<std::uint8_t> before = mv::files::WriteDstBytes(start);
    mv::Model m = start;
    std::string error;
    const std::span<const std::uint8_t> in(data, size);
    const bool ok = mv::files::ReadDstBytes(m, in, "fuzz.dst", error);
    CHECK(ok == mv::files::DstProblem(in).empty());
    if (!ok) {
        CHECK(!error.empty());
        CHECK(mv::files::WriteDstBytes(m) == before);
        return 0;
    }
    const std::vector<std::uint8_t> saved = mv::files::WriteDstBytes(m);
    CHECK(saved.size() == mv::files::kDstBytes);
    mv::Model again = start;
    // What was saved opens again, and saves to the same image.
    CHECK(mv::files::DstProblem(saved).empty());
    CHECK(mv::files::ReadDstBytes(again, saved, "saved.dst", error));
    CHECK(mv::files::WriteDstBytes(again) == saved);
    // The spare cylinder word and the uninterpreted overlay words travel unchanged.
    CHECK(std::equal(in.begin() + 6 * 20 + 16, in.begin() + 6 * 20 + 20,
                     saved.begin() + 6 * 20 + 16));
    CHECK(std::equal(in.begin() + 35 * 20, in.begin() + 47 * 20, saved.begin() + 35 * 20));
    return 0;
}
