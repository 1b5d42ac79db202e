// Reading and writing dimension files: the binary .dst working set and the plain-text .mvo.
// Every read is validated completely before the model is touched; every write is atomic.
#pragma once

#include <string>

#include "model/model.hpp"

namespace mv::files {

// Opens a .dst or .mvo file, chosen by the file name's extension (anything else is read as
// .dst). On failure `error` names the file and the problem and the model is unchanged.
bool OpenDimensionFile(Model& m, const std::string& path, std::string& error);

// Saves as .mvo when the name ends in ".mvo", else as .dst.
bool SaveDimensionFile(Model& m, const std::string& path, std::string& error);

bool LoadDst(Model& m, const std::string& path, std::string& error);
bool SaveDst(Model& m, const std::string& path, std::string& error);
bool LoadMvo(Model& m, const std::string& path, std::string& error);
bool SaveMvo(const Model& m, const std::string& path, std::string& error);

// The data-set name for a file name: the text after the last '/' or '\', minus 4 characters.
std::string DataSetNameFromPath(const std::string& path);

}  // namespace mv::files
