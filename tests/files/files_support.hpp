// Shared helpers of the dimension-file tests: a scratch folder, file contents, word access.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <bit>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "files/dimension_file.hpp"
#include "model/model.hpp"

namespace mv::files::testing {

// A fresh folder per test, removed afterwards.
class ScratchDir : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/merrovan-files-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::permissions(dir_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(dir_, ec);
    }
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(dir_))
            names.push_back(e.path().filename().string());
        return names;
    }

    std::string dir_;
};

inline std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

inline void WriteText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

// Word `word` (0..4) of record `record` (1..72), little-endian.
inline std::uint32_t Word(const std::vector<std::uint8_t>& b, int record, int word) {
    const std::size_t i = 4 * (5 * static_cast<std::size_t>(record - 1) + word);
    return static_cast<std::uint32_t>(b[i]) | static_cast<std::uint32_t>(b[i + 1]) << 8 |
           static_cast<std::uint32_t>(b[i + 2]) << 16 | static_cast<std::uint32_t>(b[i + 3]) << 24;
}

inline void SetWord(std::vector<std::uint8_t>& b, int record, int word, std::uint32_t v) {
    const std::size_t i = 4 * (5 * static_cast<std::size_t>(record - 1) + word);
    for (int k = 0; k < 4; ++k) b[i + k] = static_cast<std::uint8_t>(v >> (8 * k));
}

inline float FloatWord(const std::vector<std::uint8_t>& b, int record, int word) {
    return std::bit_cast<float>(Word(b, record, word));
}

inline void SetFloat(std::vector<std::uint8_t>& b, int record, int word, float v) {
    SetWord(b, record, word, std::bit_cast<std::uint32_t>(v));
}

// Everything the .dst file holds, plus what a load sets besides.
inline std::vector<std::uint8_t> Snapshot(const Model& m) {
    return WriteDstBytes(m);
}

// Counts the model's notifications.
struct EventLog {
    explicit EventLog(Model& m) {
        m.AddListener([this](ModelEvent e) { events.push_back(e); });
    }
    int Count(ModelEvent e) const {
        int n = 0;
        for (auto x : events) n += x == e;
        return n;
    }
    std::vector<ModelEvent> events;
};

}  // namespace mv::files::testing
