// The hydraulic calculator: one pipe or duct in uniform flow, with the criteria of a
// project (or those of a new one), for checking a reach by hand.

#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "cli/batch_context.h"
#include "design/hydraulics.h"

namespace nivex::cli {
namespace {

constexpr int kBadUsage = 2;

int Usage(Batch& b, const std::string& message) {
    b.err << message << '\n';
    return kBadUsage;
}

enum class Bound { Positive, NotNegative, Ratio };

// The value of a numeric option; nullopt (with *bad set) when it is given but is not a
// number within its bound.
std::optional<float> Number(const Batch& b, const char* option, Bound bound, bool* bad) {
    if (!b.options.has(option)) return std::nullopt;
    const std::string text = b.options.value(option);
    double v = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, v);
    const bool number = ec == std::errc() && ptr == end && std::isfinite(v);
    const bool within = bound == Bound::Positive      ? v > 0
                        : bound == Bound::NotNegative ? v >= 0
                                                      : v > 0 && v <= 1;
    if (!number || !within || !std::isfinite(static_cast<float>(v))) {
        *bad = true;
        return std::nullopt;
    }
    return static_cast<float>(v);
}

std::string BoundText(Bound bound) {
    switch (bound) {
        case Bound::Positive:
            return "un numero mayor que 0";
        case Bound::NotNegative:
            return "un numero no negativo";
        case Bound::Ratio:
            return "un numero mayor que 0 y no mayor que 1";
    }
    return "";
}

// A value as the program holds it: the shortest text that reads back as the same float.
std::string Text(float v) {
    char buffer[32];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, v);
    return ec == std::errc() ? std::string(buffer, end) : "0";
}

// The lines of a result, printed only when every value is a number: a section beyond
// what single floats hold gives no answer rather than "inf".
struct Result {
    std::vector<std::pair<const char*, float>> lines;
    void add(const char* key, float value) { lines.emplace_back(key, value); }
};

int Print(Batch& b, const char* section, const Result& r) {
    for (const auto& [key, value] : r.lines)
        if (!std::isfinite(value))
            return b.Fail(
                std::string("Error: con estos datos el calculo no da un valor finito de ") + key);
    if (section) b.out << "seccion: " << section << '\n';
    for (const auto& [key, value] : r.lines)
        b.out << key << ": " << Text(value) << '\n';
    return 0;
}

struct Inputs {
    std::optional<float> diameter, slope, n, flow, filling;
};

// n of the section: the one given, or the project's rule at the diameter.
float ManningAt(const design::HydraulicCriteria& c, const Inputs& in, float d) {
    return in.n ? *in.n : design::ReachManningN(c, 0, d);
}

int Analyse(Batch& b, const design::HydraulicCriteria& c, const Inputs& in) {
    const float d = *in.diameter, s = *in.slope, n = ManningAt(c, in, d);
    const float q0 = design::FullFlow(c, n, s, d), v0 = design::FullVelocity(c, n, s, d);
    Result r;
    r.add("n", n);
    r.add("Q0", q0);
    r.add("V0", v0);
    if (in.flow) {
        const float flow = *in.flow;
        // A flow in a section that carries none fills it infinitely: refused below.
        const float q = q0 > 0     ? flow / q0
                        : flow > 0 ? std::numeric_limits<float>::infinity()
                                   : 0.0f;
        const float yd = design::DepthRatio(c, d, q);
        const float v = design::PartialVelocity(c, d, q, v0);
        r.add("q", q);
        r.add("y/D", yd);
        r.add("V", v);
        r.add("tau", design::TractiveForce(c, q, d, s));
        r.add("Froude", design::FroudeNumber(c, q, d, v));
        r.add("Z", design::SulfideIndex(yd, flow, s, c.waterTemperature, c.bod5));
    }
    return Print(b, design::IsDuct(c, d) ? "ducto cuadrado" : "circular", r);
}

int SlopeFor(Batch& b, const design::HydraulicCriteria& c, const Inputs& in) {
    const float d = *in.diameter, n = ManningAt(c, in, d);
    Result r;
    r.add("n", n);
    r.add("pendiente", design::SlopeForFlow(c, *in.filling, *in.flow, n, d));
    return Print(b, nullptr, r);
}

int DiameterFor(Batch& b, const design::HydraulicCriteria& c, const Inputs& in) {
    const float qmax = *in.filling, flow = *in.flow, s = *in.slope;
    // Without an n of its own the n depends on the diameter: settle both together.
    float n = ManningAt(c, in, c.sizes.count > 0 ? c.sizes.size[0] : 0.0f);
    float d = design::DiameterForFlow(c, qmax, flow, n, s);
    for (int i = 0; i < 10 && !in.n; ++i) {
        const float next = ManningAt(c, in, d);
        if (next == n) break;
        n = next;
        d = design::DiameterForFlow(c, qmax, flow, n, s);
    }
    Result r;
    r.add("n", n);
    r.add("diametro", d);
    r.add("comercial", design::CommercialSize(c, d));
    return Print(b, nullptr, r);
}

}  // namespace

int VerbCalc(Batch& b) {
    Inputs in;
    const struct {
        const char* option;
        Bound bound;
        std::optional<float>* value;
    } numbers[] = {{"--diameter", Bound::Positive, &in.diameter},
                   {"--slope", Bound::Positive, &in.slope},
                   {"--n", Bound::Positive, &in.n},
                   {"--flow", Bound::NotNegative, &in.flow},
                   {"--llenado", Bound::Ratio, &in.filling}};
    for (const auto& number : numbers) {
        bool bad = false;
        *number.value = Number(b, number.option, number.bound, &bad);
        if (bad)
            return Usage(
                b, std::string("Error: ") + number.option + " debe ser " + BoundText(number.bound));
    }
    const std::string mode = b.options.value("--modo");
    if (b.options.has("--modo") && mode != "uno" && mode != "variable")
        return Usage(b, "Error: --modo debe ser uno o variable");

    enum { kAnalyse, kSlope, kDiameter } what;
    if (!in.filling) {
        if (!in.diameter || !in.slope)
            return Usage(b, "Error: calc necesita --diameter y --slope, o --flow y --llenado");
        what = kAnalyse;
    } else {
        if (!in.flow || *in.flow <= 0)
            return Usage(b, "Error: con --llenado, --flow debe ser un numero mayor que 0");
        if (in.diameter.has_value() == in.slope.has_value())
            return Usage(b,
                         "Error: con --llenado se da --diameter (da la pendiente) o --slope "
                         "(da el diametro), no ambos");
        what = in.diameter ? kSlope : kDiameter;
    }

    design::HydraulicCriteria c = design::DefaultCriteria();
    if (!b.options.project.empty()) {
        b.ui.setYes(true);  // the sector opens without asking
        if (int rc = b.OpenSector(false)) return rc;
        c = design::CriteriaOf(b.session.project.espec, b.session.project.header);
    }
    if (!mode.empty()) c.variableRelations = mode == "variable";

    switch (what) {
        case kAnalyse:
            return Analyse(b, c, in);
        case kSlope:
            return SlopeFor(b, c, in);
        case kDiameter:
            return DiameterFor(b, c, in);
    }
    return 0;
}

}  // namespace nivex::cli
