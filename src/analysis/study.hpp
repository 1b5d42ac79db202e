// What the sensitivity and tolerance studies share: the events they look at, the default notches,
// and how a caller on another thread follows and cancels a long study.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/event_table.hpp"
#include "analysis/notch_rows.hpp"

namespace mv {

// The events of one cylinder end that the studies report: positions in per cent of the stroke
// from that end's dead centre, and the lead in dimension units.
enum class StudyEvent { Admission, Cutoff, Release, Compression, Lead };
inline constexpr int kStudyEvents = 5;
inline constexpr std::array<StudyEvent, kStudyEvents> kAllStudyEvents = {
    StudyEvent::Admission, StudyEvent::Cutoff, StudyEvent::Release, StudyEvent::Compression,
    StudyEvent::Lead};

// JSON key and column name: "admission", "cutoff", "release", "compression", "lead".
const char* StudyEventKey(StudyEvent e);
std::optional<float> StudyEventValue(const EndEvents& end, StudyEvent e);

// A study's arithmetic narrowed to a model value: beyond the float range it stays at the largest
// float of its sign (narrowing would be undefined there).
inline float SaturatedFloat(long double v) {
    constexpr long double kMax = std::numeric_limits<float>::max();
    return static_cast<float>(v > kMax ? kMax : (v < -kMax ? -kMax : v));
}

// Seeds of the studies' random draws and restarts: 0 .. 2^32 - 1, in every command and window.
inline constexpr std::uint64_t kMaxStudySeed = 0xFFFF'FFFFu;

// Notches a study uses unless told otherwise: quarter, half, three-quarter and full gear.
inline constexpr std::array<float, 4> kDefaultStudyNotches = {0.25f, 0.5f, 0.75f, 1.0f};
inline std::vector<float> DefaultStudyNotches() {
    return {kDefaultStudyNotches.begin(), kDefaultStudyNotches.end()};
}

// Reads a list of notch fractions separated by commas (blanks around them allowed): each a
// number 0..1, none twice (two that have the same NotchText are the same notch), at most
// kMaxStudyNotches. On a bad list returns false with the reason.
inline constexpr std::size_t kMaxStudyNotches = 100;
bool ParseNotchList(std::string_view text, std::vector<float>& out, std::string& error);

// Text of a notch fraction ("0.25", "1"), used as a JSON key and in tables: the shortest text
// that reads back as the same float.
std::string NotchText(float notch);

// Progress and cancelling of a study running on a worker thread. `progress` is called from the
// computing threads, possibly several at once, with the finished and the total units of work;
// once `cancel` reads true the remaining work is skipped and the result says so.
struct StudyControl {
    std::function<void(std::size_t done, std::size_t total)> progress;
    const std::atomic<bool>* cancel = nullptr;

    bool Cancelled() const { return cancel && cancel->load(std::memory_order_relaxed); }
};

}  // namespace mv
