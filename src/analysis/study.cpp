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
    out.clear();
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        std::string_view item = text.substr(
            start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
        while (!item.empty() && (item.front() == ' ' || item.front() == '\t'))
            item.remove_prefix(1);
        while (!item.empty() && (item.back() == ' ' || item.back() == '\t')) item.remove_suffix(1);
        const std::string shown(item);
        double v = 0;
        if (item.empty()) {
            error = "empty value in '" + std::string(text) + "'";
            return false;
        }
        if (!ParseStrict(item, v)) {
            error = "'" + shown + "' is not a number";
            return false;
        }
        if (v < 0.0 || v > 1.0) {
            error = "'" + shown + "' is outside 0..1 (a fraction of \"Rev Arm to Cent Max\")";
            return false;
        }
        // A notch is known by its text (the key of its figures), so two notches that print alike
        // are one notch given twice; -0 is 0.
        const float f = v == 0.0 ? 0.0f : static_cast<float>(v);
        const std::string key = NotchText(f);
        for (float seen : out) {
            if (NotchText(seen) == key) {
                error = "'" + shown + "' is given twice";
                return false;
            }
        }
        out.push_back(f);
        if (out.size() > kMaxStudyNotches) {
            error = "more than " + std::to_string(kMaxStudyNotches) + " notches";
            return false;
        }
        if (comma == std::string_view::npos) return true;
        start = comma + 1;
    }
}

std::string NotchText(float notch) {
    // The shortest text that reads back as the same float: 0.1f is "0.1", and two notches that
    // differ get two texts.
    return FormatShortest(notch);
}

}  // namespace mv
