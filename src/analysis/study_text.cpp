// Text forms of the sensitivity and tolerance studies: JSON, CSV and an aligned table.
#include <cstdio>
#include <string>

#include "analysis/cutoff_rows.hpp"
#include "analysis/sensitivity.hpp"
#include "analysis/tolerance.hpp"
#include "model/dimensions.hpp"
#include "model/text.hpp"

namespace mv {
namespace {

// Every number as the other commands print theirs: the shortest text that reads back as the
// same float (8.47, not 8.47000027).
std::string Num(double v) {
    return FormatJsonNumber(v);
}

// In CSV a number that cannot be given is an empty cell, as an absent one is.
std::string CsvNum(double v) {
    std::string t = Num(v);
    return t == "null" ? std::string() : t;
}

std::string Num(const std::optional<double>& v) {
    return v ? Num(*v) : std::string("null");
}

std::string Quoted(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(c));
            out += buf;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string CsvText(const std::string& s) {
    if (s.find_first_of(",\"\n") == std::string::npos) return s;
    std::string out = "\"";
    for (char c : s) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

std::string Name(DimensionId id) {
    const DimensionInfo* d = FindDimension(id);
    return d ? d->shortName : "";
}

void Pad(std::string& out, const std::string& cell, std::size_t width, bool left = false) {
    if (left) out += cell;
    if (cell.size() < width) out.append(width - cell.size(), ' ');
    if (!left) out += cell;
}

const char* EndName(bool front) {
    return front ? "front" : "rear";
}

bool Included(Directions dirs, SweepDirection d) {
    return dirs == Directions::Both ||
           (dirs == Directions::Forward) == (d == SweepDirection::Forward);
}

std::string DerivativeJson(const EndDerivatives& e) {
    std::string out = "{";
    for (StudyEvent ev : kAllStudyEvents) {
        if (ev != StudyEvent::Admission) out += ',';
        out += std::string("\"") + StudyEventKey(ev) + "\":" + Num(e.d[static_cast<int>(ev)]);
    }
    return out + "}";
}

std::string StatsJson(const EndStats& e) {
    std::string out = "{";
    for (StudyEvent ev : kAllStudyEvents) {
        if (ev != StudyEvent::Admission) out += ',';
        out += std::string("\"") + StudyEventKey(ev) + "\":";
        const auto& s = e.events[static_cast<int>(ev)];
        if (!s) {
            out += "null";
            continue;
        }
        out += "{\"n\":" + std::to_string(s->count) + ",\"min\":" + Num(s->min) +
               ",\"mean\":" + Num(s->mean) + ",\"max\":" + Num(s->max) + ",\"std\":" + Num(s->std) +
               "}";
    }
    return out + "}";
}

// Derivatives and spreads span many decades: four significant digits, an em dash when absent.
std::string Short(const std::optional<double>& v) {
    return v ? FormatSignificant(*v, 4) : std::string(kAbsentText);
}

std::size_t Chars(const std::string& s) {
    std::size_t n = 0;
    for (unsigned char c : s) n += (c & 0xC0) != 0x80;
    return n;
}

void PadCell(std::string& out, const std::string& cell, std::size_t width) {
    const std::size_t n = Chars(cell);
    if (n < width) out.append(width - n, ' ');
    out += cell;
}

double ValueOf(const SensitivityResult& r, DimensionId id) {
    for (const DimensionSensitivity& s : r.rows)
        if (s.id == id) return s.value;
    return 0;
}

}  // namespace

// --- Sensitivity -----------------------------------------------------------------------------

std::string SensitivityJson(const SensitivityResult& r) {
    const bool atCutoffs = !r.cutoffs.empty();
    std::string out = atCutoffs ? "{\"cutoffs\":[" : "{\"notches\":[";
    const std::vector<float>& at = atCutoffs ? r.cutoffs : r.notches;
    for (std::size_t i = 0; i < at.size(); ++i) {
        if (i) out += ',';
        out += atCutoffs ? CutoffText(at[i]) : NotchText(at[i]);
    }
    out += "],\"rows\":[";
    for (std::size_t k = 0; k < r.rows.size(); ++k) {
        const DimensionSensitivity& s = r.rows[k];
        if (k) out += ',';
        out += "{\"id\":" + std::to_string(s.id) + ",\"name\":" + Quoted(Name(s.id)) +
               ",\"value\":" + Num(s.value) + ",\"step\":" + Num(s.step) + ",\"d\":{";
        bool firstDir = true;
        for (SweepDirection d : {SweepDirection::Forward, SweepDirection::Reverse}) {
            if (!Included(r.directions, d)) continue;
            if (!firstDir) out += ',';
            firstDir = false;
            out += std::string("\"") + SweepDirectionText(d) + "\":{";
            bool firstCell = true;
            for (const DerivativeCell& c : s.cells) {
                if (c.direction != d) continue;
                if (!firstCell) out += ',';
                firstCell = false;
                out += '"';
                out += c.cutoff ? CutoffText(*c.cutoff) : NotchText(c.notch);
                out += "\":{";
                if (c.cutoff)
                    out += "\"notch\":" + (c.revArm ? NotchText(c.notch) : "null") +
                           ",\"revarm\":" + (c.revArm ? Num(*c.revArm) : "null") + ",";
                out += "\"front\":";
                out += DerivativeJson(c.front);
                out += ",\"rear\":";
                out += DerivativeJson(c.rear);
                out += '}';
            }
            out += "}";
        }
        out += "}}";
    }
    out += "],\"ranking\":[";
    for (std::size_t k = 0; k < r.ranking.size(); ++k) {
        if (k) out += ',';
        out += "{\"id\":" + std::to_string(r.ranking[k].id) +
               ",\"name\":" + Quoted(Name(r.ranking[k].id)) +
               ",\"score\":" + Num(r.ranking[k].score) + "}";
    }
    return out + "]}\n";
}

std::string SensitivityCsv(const SensitivityResult& r) {
    const bool atCutoffs = !r.cutoffs.empty();
    std::string out = std::string("id,name,value,step,score,direction,") +
                      (atCutoffs ? "cutoff,notch,revarm" : "notch");
    for (bool front : {true, false})
        for (StudyEvent e : kAllStudyEvents)
            out += std::string(",") + EndName(front) + "_" + StudyEventKey(e);
    out += '\n';
    auto cell = [](const std::optional<double>& v) { return v ? CsvNum(*v) : std::string(); };
    for (const DimensionSensitivity& s : r.rows) {
        for (const DerivativeCell& c : s.cells) {
            out += std::to_string(s.id) + "," + CsvText(Name(s.id)) + "," + CsvNum(s.value) + "," +
                   CsvNum(s.step) + "," + cell(s.score) + "," + SweepDirectionText(c.direction) +
                   "," + (c.cutoff ? CutoffText(*c.cutoff) + "," : std::string()) +
                   (c.cutoff && !c.revArm ? std::string() : NotchText(c.notch)) +
                   (c.cutoff ? "," + (c.revArm ? CsvNum(*c.revArm) : std::string()) : "");
            for (const EndDerivatives* e : {&c.front, &c.rear})
                for (const auto& d : e->d) {
                    out += ',';
                    out += cell(d);
                }
            out += '\n';
        }
    }
    return out;
}

std::string SensitivityTable(const SensitivityResult& r) {
    std::string out =
        "Ranking by effect on the front/rear cut-off imbalance: largest |d(front cut-off - rear "
        "cut-off)/d(dimension)|\nover the notches, in per cent of stroke per unit (per degree "
        "for the offset angle).\n";
    out += "rank   id  name                          value      score\n";
    for (std::size_t k = 0; k < r.ranking.size(); ++k) {
        const RankEntry& e = r.ranking[k];
        Pad(out, std::to_string(k + 1), 4);
        Pad(out, std::to_string(e.id), 5);
        out += "  ";
        Pad(out, Name(e.id), 26, true);
        Pad(out, FormatFixed(ValueOf(r, e.id), 0, 4), 9);
        PadCell(out, Short(e.score), 11);
        out += '\n';
    }
    out +=
        "\nd(event)/d(dimension): admission, cut-off, release, compression in per cent of "
        "stroke per unit, lead in unit per unit.\n";
    out += !r.cutoffs.empty() ? "  id  dir  cut % |" : "  id  dir  notch |";
    for (const char* end : {"front ", "rear "}) {
        for (const char* h : {"adm", "cut", "rel", "comp", "lead"})
            Pad(out, end + std::string(h), 11);
        out += "  |";
    }
    out += '\n';
    for (const DimensionSensitivity& s : r.rows) {
        for (const DerivativeCell& c : s.cells) {
            Pad(out, std::to_string(s.id), 4);
            out += "  ";
            out += SweepDirectionText(c.direction);
            Pad(out, c.cutoff ? CutoffText(*c.cutoff) : NotchText(c.notch), 7);
            out += " |";
            for (const EndDerivatives* e : {&c.front, &c.rear}) {
                for (const auto& d : e->d) PadCell(out, Short(d), 11);
                out += "  |";
            }
            out += '\n';
        }
    }
    return out;
}

// --- Tolerance -------------------------------------------------------------------------------

std::string ToleranceJson(const ToleranceResult& r) {
    std::string out = "{\"samples\":" + std::to_string(r.samples) +
                      ",\"failed\":" + std::to_string(r.failed) +
                      ",\"seed\":" + std::to_string(r.seed) + ",\"lever\":\"" +
                      ToleranceLeverText(r.lever) + "\",\"rows\":[";
    for (std::size_t j = 0; j < r.rows.size(); ++j) {
        const ToleranceRow& row = r.rows[j];
        if (j) out += ',';
        out += std::string("{\"direction\":\"") + SweepDirectionText(row.direction) + "\"";
        if (row.cutoff)
            out +=
                ",\"cutoff\":" + CutoffText(*row.cutoff) +
                ",\"revarm\":" + (row.unreachable.empty() ? Num(row.nominal.revArm) : "null") +
                ",\"unreachable\":" + (row.unreachable.empty() ? "null" : Quoted(row.unreachable));
        out += ",\"notch\":" + (row.unreachable.empty() ? NotchText(row.notch) : "null") +
               ",\"failed\":" + std::to_string(row.failed) + ",\"front\":" + StatsJson(row.front) +
               ",\"rear\":" + StatsJson(row.rear) + "}";
    }
    return out + "]}\n";
}

std::string ToleranceCsv(const ToleranceResult& r) {
    const bool atCutoffs = !r.rows.empty() && r.rows.front().cutoff;
    std::string out = atCutoffs ? "direction,cutoff,notch,revarm,failed" : "direction,notch,failed";
    for (bool front : {true, false})
        for (StudyEvent e : kAllStudyEvents)
            for (const char* f : {"min", "mean", "max", "std"})
                out += std::string(",") + EndName(front) + "_" + StudyEventKey(e) + "_" + f;
    // The sample counts came later than the figures: they follow them, so that no column moves.
    for (bool front : {true, false})
        for (StudyEvent e : kAllStudyEvents)
            out += std::string(",") + EndName(front) + "_" + StudyEventKey(e) + "_n";
    out += '\n';
    for (const ToleranceRow& row : r.rows) {
        const bool placed = row.unreachable.empty();
        out += std::string(SweepDirectionText(row.direction)) + "," +
               (row.cutoff ? CutoffText(*row.cutoff) + "," : std::string()) +
               (placed ? NotchText(row.notch) : std::string()) +
               (row.cutoff ? "," + (placed ? CsvNum(row.nominal.revArm) : std::string()) : "") +
               "," + std::to_string(row.failed);
        for (const EndStats* e : {&row.front, &row.rear}) {
            for (const auto& s : e->events) {
                if (!s) {
                    out += ",,,,";
                    continue;
                }
                for (double v : {s->min, s->mean, s->max, s->std}) {
                    out += ',';
                    out += CsvNum(v);
                }
            }
        }
        for (const EndStats* e : {&row.front, &row.rear}) {
            for (const auto& s : e->events) {
                out += ',';
                out += std::to_string(s ? s->count : 0);
            }
        }
        out += '\n';
    }
    return out;
}

std::string ToleranceTable(const ToleranceResult& r) {
    std::string out = "samples " + std::to_string(r.samples) + ", failed " +
                      std::to_string(r.failed) + ", seed " + std::to_string(r.seed) + ", lever " +
                      ToleranceLeverText(r.lever) +
                      "; events in per cent of stroke, lead in units; n: samples in the figures\n";
    out += !r.rows.empty() && r.rows.front().cutoff ? "dir  cut %" : "dir  notch";
    out += "  failed  end    event              n        min       mean        max        std\n";
    for (const ToleranceRow& row : r.rows) {
        for (bool front : {true, false}) {
            const EndStats& e = front ? row.front : row.rear;
            for (StudyEvent ev : kAllStudyEvents) {
                out += SweepDirectionText(row.direction);
                Pad(out, row.cutoff ? CutoffText(*row.cutoff) + "%" : NotchText(row.notch), 7);
                Pad(out, std::to_string(row.failed), 8);
                out += "  ";
                Pad(out, EndName(front), 5, true);
                out += "  ";
                Pad(out, StudyEventKey(ev), 12, true);
                const auto& s = e.events[static_cast<int>(ev)];
                Pad(out, std::to_string(s ? s->count : 0), 7);
                if (!s) {
                    PadCell(out, kAbsentText, 11);
                    out += '\n';
                    continue;
                }
                for (double v : {s->min, s->mean, s->max, s->std})
                    Pad(out, FormatFixed(v, 0, 4), 11);
                out += '\n';
            }
        }
    }
    return out;
}

}  // namespace mv
