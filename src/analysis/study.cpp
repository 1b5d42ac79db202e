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

std::string NotchText(float notch) {
    // Seven digits are all a float holds: 0.1f reads "0.1", not "0.100000001".
    return FormatSignificant(static_cast<double>(notch), 7);
}

}  // namespace mv
