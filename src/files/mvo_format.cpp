// The .mvo text file: one number per line, the 27 frame dimensions then the 22 cylinder
// dimensions in id order, each optionally followed by blanks and a label. Blank lines and lines
// starting with ';' are comments.
#include <array>
#include <charconv>
#include <cmath>
#include <limits>

#include "files/dimension_file.hpp"
#include "files/load_steps.hpp"
#include "model/dimensions.hpp"
#include "model/text.hpp"

namespace mv::files {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

// Ids in file order.
std::array<DimensionId, kMvoValues> FileOrder() {
    std::array<DimensionId, kMvoValues> ids{};
    std::size_t n = 0;
    for (const auto& d : FrameDimensionInfo()) ids[n++] = d.id;
    for (const auto& d : CylinderDimensionInfo()) ids[n++] = d.id;
    return ids;
}

// Shown text of a token in a message: bounded, and without control characters.
std::string Quote(std::string_view token) {
    std::string s;
    for (char c : token.substr(0, 40)) {
        const auto u = static_cast<unsigned char>(c);
        s += (u < 0x20 || u == 0x7f) ? '?' : c;
    }
    if (token.size() > 40) s += "...";
    return "'" + s + "'";
}

// Parses the whole text into values; the problem names the line ("line 4: ...") or the count.
std::string ParseMvo(std::string_view text, std::array<float, kMvoValues>& values) {
    // A byte-order mark from a Windows editor is not part of the first line.
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    std::size_t count = 0;
    std::size_t lineNo = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = std::min(text.find('\n', pos), text.size());
        const std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        ++lineNo;
        auto where = [lineNo] { return "line " + std::to_string(lineNo) + ": "; };
        if (line.find('\0') != std::string_view::npos) return where() + "not a text file";
        std::size_t i = 0;
        while (i < line.size() && IsBlank(line[i])) ++i;
        if (i == line.size() || line[i] == ';') continue;
        std::size_t j = i;
        while (j < line.size() && !IsBlank(line[j])) ++j;
        const std::string_view token = line.substr(i, j - i);
        double v = 0;
        if (!ParseStrict(token, v)) return where() + "expected a number, found " + Quote(token);
        if (std::fabs(v) > static_cast<double>(std::numeric_limits<float>::max()))
            return where() + Quote(token) + " is too large for a dimension";
        if (count < kMvoValues) values[count] = static_cast<float>(v);
        ++count;
    }
    if (count != kMvoValues)
        return std::to_string(count) + " values, expected " + std::to_string(kMvoValues);
    return {};
}

}  // namespace

std::string MvoProblem(std::string_view text) {
    std::array<float, kMvoValues> values{};
    return ParseMvo(text, values);
}

bool ReadMvoText(Model& m, std::string_view text, const std::string& name, std::string& error) {
    std::array<float, kMvoValues> values{};
    const std::string problem = ParseMvo(text, values);
    if (!problem.empty()) {
        // "name line 4: ..." for a line, "name: 3 values, ..." for the file as a whole.
        error = name + (problem.rfind("line ", 0) == 0 ? " " : ": ") + problem;
        return false;
    }
    const auto ids = FileOrder();
    for (std::size_t k = 0; k < kMvoValues; ++k) StoreDimension(m, ids[k], values[k]);
    FinishLoad(m);
    return true;
}

std::string WriteMvoText(const Model& m) {
    std::string s =
        "; merrovan dimensions: 27 frame dimensions (1..27), then 22 cylinder dimensions\n"
        "; (101..122), one number per line; text after the number is a label.\n";
    for (DimensionId id : FileOrder()) {
        if (id == 101) s += ";\n; cylinder and valve\n";
        std::array<char, 32> buf{};
        // Shortest text that reads back as the same float.
        const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), GetDimension(m, id));
        std::string num(buf.data(), res.ptr);
        if (num.size() < 16) num.resize(16, ' ');
        s += num + " " + std::to_string(id) + " " + FindDimension(id)->shortName + "\n";
    }
    return s;
}

}  // namespace mv::files
