// Placeholder until the readers and writers land; every call reports that it is unavailable.
#include "files/dimension_file.hpp"

namespace mv::files {

namespace {
bool Unavailable(const std::string& path, std::string& error) {
    error = path + ": dimension files are not supported in this build";
    return false;
}
}  // namespace

bool OpenDimensionFile(Model&, const std::string& path, std::string& error) {
    return Unavailable(path, error);
}
bool SaveDimensionFile(Model&, const std::string& path, std::string& error) {
    return Unavailable(path, error);
}
bool LoadDst(Model&, const std::string& path, std::string& error) { return Unavailable(path, error); }
bool SaveDst(Model&, const std::string& path, std::string& error) { return Unavailable(path, error); }
bool LoadMvo(Model&, const std::string& path, std::string& error) { return Unavailable(path, error); }
bool SaveMvo(const Model&, const std::string& path, std::string& error) {
    return Unavailable(path, error);
}
std::string DataSetNameFromPath(const std::string& path) {
    const auto pos = path.find_last_of("/\\");
    std::string name = pos == std::string::npos ? path : path.substr(pos + 1);
    name.resize(name.size() >= 4 ? name.size() - 4 : 0);
    return name;
}

}  // namespace mv::files
