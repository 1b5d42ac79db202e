// Reading and writing dimension files: the binary .dst working set and the plain-text .mvo.
// Every read is validated completely before the model is touched; every write is atomic.
// docs/file-format.md describes both formats word by word.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/model.hpp"

namespace mv::files {

inline constexpr std::size_t kDstRecords = 72;
inline constexpr std::size_t kDstWordsPerRecord = 5;
inline constexpr std::size_t kDstWords = kDstRecords * kDstWordsPerRecord;  // 360
inline constexpr std::size_t kDstBytes = kDstWords * 4;                     // 1440
// Index of the first word of the lines-and-circles records (record 20) in the file.
inline constexpr std::size_t kDstLinesFirstWord = 19 * kDstWordsPerRecord;
// The .mvo carries the 27 frame dimensions and the 22 cylinder dimensions.
inline constexpr std::size_t kMvoValues = 49;
// A text file larger than this is not a dimension file; refusing it early bounds the memory.
inline constexpr std::size_t kMvoMaxBytes = 1 << 20;

// Opens a .dst or .mvo file, whatever its name: a binary file whose size and words make a
// dimension file is read as .dst, anything else as .mvo text. On failure `error` names the file
// and the problem (for a file that is neither, what each reading found) and the model is
// unchanged.
bool OpenDimensionFile(Model& m, const std::string& path, std::string& error);

// Reads a dimension file into a gear of its own, set up as opening the file sets up the working
// gear (start-up state, the file's dimensions, mid gear, the reverse arm at mid gear); no model
// is touched. `name` receives its data-set name. On failure `error` is OpenDimensionFile's.
bool ReadGearFile(const std::string& path, Gear& gear, std::string& name, std::string& error);

// Saves as .mvo when the name ends in ".mvo", else as .dst.
bool SaveDimensionFile(Model& m, const std::string& path, std::string& error);

bool LoadDst(Model& m, const std::string& path, std::string& error);
bool SaveDst(Model& m, const std::string& path, std::string& error);
bool LoadMvo(Model& m, const std::string& path, std::string& error);
bool SaveMvo(const Model& m, const std::string& path, std::string& error);

// The data-set name for a file name: the text after the last '/' or '\', minus 4 characters.
std::string DataSetNameFromPath(const std::string& path);

// --- The formats without the file system (used by the loaders above, the tests and the fuzzers)

// Decodes a .dst image (only its first 1440 bytes are used), checks it, and only then applies
// it to the model followed by mid gear and the reverse-arm bar limits and position. Does not
// touch the data-set name and sends no DimensionsChanged. `name` prefixes every message.
bool ReadDstBytes(Model& m, std::span<const std::uint8_t> bytes, const std::string& name,
                  std::string& error);
// Why ReadDstBytes would refuse the image ("file is 1000 bytes, ..."), or empty if it is fine.
std::string DstProblem(std::span<const std::uint8_t> bytes);
// The 1440 bytes of the .dst image of the model.
std::vector<std::uint8_t> WriteDstBytes(const Model& m);

// Parses .mvo text completely and only then stores the 49 dimensions, followed by mid gear and
// the reverse-arm bar limits and position. Messages start with `name` (and the line number).
bool ReadMvoText(Model& m, std::string_view text, const std::string& name, std::string& error);
// Why ReadMvoText would refuse the text ("line 3: expected a number, ..."), or empty if it is
// fine.
std::string MvoProblem(std::string_view text);
// The .mvo text of the model's 49 dimensions.
std::string WriteMvoText(const Model& m);

}  // namespace mv::files
