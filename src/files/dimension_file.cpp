#include "files/dimension_file.hpp"

#include <algorithm>
#include <cmath>

#include "files/file_io.hpp"
#include "model/dimensions.hpp"

namespace mv::files {

namespace {

bool HasExtension(const std::string& path, const char* ext) {
    const std::string_view e(ext);
    if (path.size() < e.size()) return false;
    for (std::size_t i = 0; i < e.size(); ++i) {
        char c = path[path.size() - e.size() + i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != e[i]) return false;
    }
    return true;
}

std::string SizeProblem(std::span<const std::uint8_t> bytes) {
    if (bytes.size() >= kDstBytes) return {};
    return "file is " + std::to_string(bytes.size()) + " bytes, a dimension file has " +
           std::to_string(kDstBytes);
}

// No byte that only binary data has: NUL and the other control characters except the blanks
// and line ends of text.
bool LooksLikeText(std::span<const std::uint8_t> bytes) {
    for (std::uint8_t b : bytes) {
        const bool control = b < 0x20 || b == 0x7F;
        if (control && b != '\t' && b != '\n' && b != '\r' && b != '\f' && b != '\v') return false;
    }
    return true;
}

void Named(Model& m, const std::string& path) {
    m.dataSetName = DataSetNameFromPath(path);
    m.Notify(ModelEvent::DataSetNameChanged);
}

}  // namespace

std::string DataSetNameFromPath(const std::string& path) {
    const auto pos = path.find_last_of("/\\");
    std::string name = pos == std::string::npos ? path : path.substr(pos + 1);
    // Four characters, not bytes: a name in UTF-8 is never cut inside a character.
    for (int k = 0; k < 4 && !name.empty(); ++k) {
        std::size_t n = name.size() - 1;
        while (n > 0 && (static_cast<unsigned char>(name[n]) & 0xC0) == 0x80) --n;
        name.resize(n);
    }
    return name;
}

bool ReadGearFile(const std::string& path, Gear& gear, std::string& name, std::string& error) {
    Model scratch;
    StartUp(scratch);
    if (!OpenDimensionFile(scratch, path, error)) return false;
    gear = scratch;
    name = scratch.dataSetName;
    return true;
}

bool LoadDst(Model& m, const std::string& path, std::string& error) {
    std::vector<std::uint8_t> bytes;
    std::uint64_t size = 0;
    if (!ReadFilePrefix(path, kDstBytes, bytes, size, error)) return false;
    if (!ReadDstBytes(m, bytes, path, error)) return false;
    Named(m, path);
    m.Notify(ModelEvent::DimensionsChanged);
    return true;
}

bool SaveDst(Model& m, const std::string& path, std::string& error) {
    const std::vector<std::uint8_t> bytes = WriteDstBytes(m);
    // Never write a file that opening would refuse: check it as the loader does.
    const std::string problem = DstProblem(bytes);
    if (!problem.empty()) {
        error = path + ": cannot save: " + problem;
        return false;
    }
    if (!WriteFileAtomically(path, bytes.data(), bytes.size(), error)) return false;
    Named(m, path);
    m.Notify(ModelEvent::DimensionsChanged);
    return true;
}

bool LoadMvo(Model& m, const std::string& path, std::string& error) {
    std::vector<std::uint8_t> bytes;
    std::uint64_t size = 0;
    if (!ReadFilePrefix(path, kMvoMaxBytes + 1, bytes, size, error)) return false;
    if (bytes.size() > kMvoMaxBytes) {
        error =
            path + ": file is " + std::to_string(size) + " bytes, too large for a dimension file";
        return false;
    }
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (!ReadMvoText(m, text, path, error)) return false;
    Named(m, path);
    m.Notify(ModelEvent::DimensionsChanged);
    return true;
}

bool SaveMvo(const Model& m, const std::string& path, std::string& error) {
    for (auto info : {FrameDimensionInfo(), CylinderDimensionInfo()}) {
        for (const auto& d : info) {
            if (!std::isfinite(GetDimension(m, d.id))) {
                error = path + ": cannot save: " + d.shortName + " is not a finite number";
                return false;
            }
        }
    }
    const std::string text = WriteMvoText(m);
    return WriteFileAtomically(path, text.data(), text.size(), error);
}

bool OpenDimensionFile(Model& m, const std::string& path, std::string& error) {
    std::vector<std::uint8_t> bytes;
    std::uint64_t size = 0;
    if (!ReadFilePrefix(path, kMvoMaxBytes + 1, bytes, size, error)) return false;
    const std::span<const std::uint8_t> all(bytes);

    // Text bytes read as floats are all finite, so a text file of 1440 bytes or more would
    // pass as a binary gear of garbage; a dimension file always holds bytes text never has.
    const bool isText = LooksLikeText(all.first(std::min(all.size(), kDstBytes)));
    std::string dstProblem = SizeProblem(all);
    if (dstProblem.empty() && isText) dstProblem = "it holds only text";
    if (dstProblem.empty()) dstProblem = DstProblem(all);
    if (dstProblem.empty()) {
        if (!ReadDstBytes(m, all, path, error)) return false;
        Named(m, path);
        m.Notify(ModelEvent::DimensionsChanged);
        return true;
    }

    std::string mvoProblem;
    if (bytes.size() > kMvoMaxBytes) {
        mvoProblem = "file is " + std::to_string(size) + " bytes, too large";
    } else {
        const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        mvoProblem = MvoProblem(text);
        if (mvoProblem.empty()) {
            if (!ReadMvoText(m, text, path, error)) return false;
            Named(m, path);
            m.Notify(ModelEvent::DimensionsChanged);
            return true;
        }
    }
    // The reading that fits the kind of file comes first.
    const std::string asDst = "read as a binary .dst file, " + dstProblem;
    const std::string asMvo = "read as a .mvo text file, " + mvoProblem;
    error =
        path + ": not a dimension file: " + (isText ? asMvo + "; " + asDst : asDst + "; " + asMvo);
    return false;
}

bool SaveDimensionFile(Model& m, const std::string& path, std::string& error) {
    if (!HasExtension(path, ".mvo")) return SaveDst(m, path, error);
    if (!SaveMvo(m, path, error)) return false;
    Named(m, path);
    return true;
}

}  // namespace mv::files
