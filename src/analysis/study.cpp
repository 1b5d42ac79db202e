#include "analysis/study.hpp"

#include "model/text.hpp"

namespace mv {

const char* StudyEventKey(StudyEvent e) {
    switch (e) {
        case StudyEvent::Admission: return "admission";
        case StudyEvent::Cutoff: return "cutoff";
        case StudyEvent::Release: return "release";
        case StudyEvent::Compression: return "compression";
        case StudyEvent::Lead: return "lead";
    }
    return "";
}

std::optional<float> StudyEventValue(const EndEvents& end, StudyEvent e) {
    switch (e) {
        case StudyEvent::Admission: return end.admission;
        case StudyEvent::Cutoff: return end.cutoff;
        case StudyEvent::Release: return end.release;
        case StudyEvent::Compression: return end.compression;
        case StudyEvent::Lead: return end.lead;
    }
    return std::nullopt;
}

bool ParseNotchList(std::string_view text, std::vector<float>& out, std::string& error) {
    // A notch is known by its text (the key of its figures); the list's own check of repeated
    // floats covers that, since two floats that differ print differently.
    return ParseNumberList(text, out, error, kMaxStudyNotches, "notches", [](double v) {
        return v < 0.0 || v > 1.0
                   ? std::string("is outside 0..1 (a fraction of \"Rev Arm to Cent Max\")")
                   : std::string();
    });
}

std::string NotchText(float notch) {
    // The shortest text that reads back as the same float: 0.1f is "0.1", and two notches that
    // differ get two texts.
    return FormatShortest(notch);
}

}  // namespace mv
