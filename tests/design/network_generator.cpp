#include "network_generator.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <sstream>

namespace nivex::design::test {
namespace {

using network::TramoT;

double Cents(double v) {
    return std::round(v * 100.0) / 100.0;
}
double Tenths(double v) {
    return std::round(v * 10.0) / 10.0;
}

std::string Number(double v, int decimals) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    return buf;
}

// The commercial diameters of a new project, for the pipes of fixed reaches.
const std::vector<float> kFixedDiameters{227, 284, 327, 362, 407, 452, 595, 670, 747, 824, 900};

struct Node {
    std::string name;
    double ground = 0;
    int incoming = 0;
    bool attachable = true;
    bool trunk = false;
};

struct Edge {
    int up = 0, down = 0;
    double length = 0;
    int type = network::kTypeNetwork;
};

// Slope of the ground (%) of one reach of a line of the given kind; uphill stretches are
// short.
double GroundSlope(Draw& d, int kind, double& length) {
    if (d.chance(0.07)) {
        length = Tenths(d.real(20, 40));
        return -d.real(0.2, 3.0);
    }
    switch (kind) {
        case 0:  // hillside coming down into the valley
            return d.real(5, 30);
        case 1:
            return d.real(1, 5);
        default:  // flat collector
            return d.chance(0.08) ? 0.0 : d.real(0, 1);
    }
}

DesignSetup DrawSetup(Draw& d, int designClass) {
    DesignSetup s;
    s.designClass = designClass;
    s.options.clear();
    for (int k = 0; k < 4; ++k)
        s.options += d.chance(0.5) ? 'S' : 'N';
    const bool model = designClass >= 6;
    s.asceManning = d.chance(0.4);
    s.peak = d.pick<std::string>(
        {"harmon", "babbit", "flores", "losangeles", "tchobanoglous", "gaines"});
    s.minimum = d.pick<std::string>(
        {"maxhorario", "maxdiario", "medio", "mindiario", "minhorario", "fijo"});
    if (model) {
        s.slopePerDiameter = true;  // the hydraulic-model classes ask for it
        s.tractive = s.fullVelocity = s.realVelocity = s.ras2016 = false;
    } else {
        s.variableRelations = d.chance(0.4);
        s.ras2016 = d.chance(0.3);
        s.slopePerDiameter = d.chance(0.4);
        s.fullVelocity = d.chance(0.3);
        s.realVelocity = d.chance(0.3);
        s.tractive =
            d.chance(0.8) || !(s.fullVelocity || s.realVelocity || s.ras2016 || s.slopePerDiameter);
        if (d.chance(0.45)) s.avoidCritical = d.pick<float>({150, 250, 400, 600});
        if (d.chance(0.35)) s.energyJunction = d.pick<float>({150, 300, 450, 600});
    }
    s.minFlow = d.pick<float>({1.5f, 1.5f, 0.5f, 3.0f});
    s.maxVelocity = d.pick<float>({5.0f, 5.0f, 4.0f, 6.0f, 3.5f});
    s.maxFilling = static_cast<float>(Cents(d.real(0.70, 0.82)));
    s.minCrownDepth = static_cast<float>(Cents(d.real(1.0, 1.5)));
    s.maxDesirableDepth = static_cast<float>(Tenths(d.real(3.5, 5.0)));
    s.maxCrownDepth = s.maxDesirableDepth + d.pick<float>({0.0f, 0.5f, 1.0f, 2.0f});
    s.outletLowering = d.pick<float>({0.02f, 0.0f, 0.03f, 0.05f});
    const int zones = d.chance(0.5) ? 1 : d.between(2, 4);
    for (int k = 0; k < zones; ++k) {
        DesignSetup::Zone z{};
        if (designClass == 1) {  // per 100 m of street
            z.density = static_cast<float>(Tenths(d.real(30, 150)));
        } else {
            z.density = static_cast<float>(Tenths(d.real(100, 400)));
        }
        const double dotation = d.real(120, 220);  // l/inhabitant/day, 85 % returned
        z.sewage = static_cast<float>(std::round(z.density * dotation * 0.85 / 86400 * 1e4) / 1e4);
        z.infiltration = static_cast<float>(std::round(d.real(0.05, 0.5) * 1e4) / 1e4);
        s.zones.push_back(z);
    }
    return s;
}

// One tree of about m reaches draining to its own discharge, its manholes named with
// the letter given.
void GrowTree(Draw& d, const DesignSetup& s, int m, char letter, bool wide,
              std::vector<TramoT>& out) {
    std::vector<Node> nodes;
    std::vector<Edge> edges;
    int serial = 0;
    auto newNode = [&](double ground) {
        Node n;
        // Names as engineers write them: "A12", or all five characters ("A0012").
        const std::string number = std::to_string(++serial);
        n.name =
            std::string(1, letter) + (wide ? std::string(4 - number.size(), '0') : "") + number;
        n.ground = Cents(ground);
        nodes.push_back(n);
        return static_cast<int>(nodes.size()) - 1;
    };
    // A line of c reaches climbing from node `from`.
    auto line = [&](int from, int c, int kind, bool trunk) {
        int down = from;
        for (int k = 0; k < c; ++k) {
            double length = Tenths(d.real(20, 120));
            const double slope = GroundSlope(d, kind, length);
            const int up = newNode(nodes[static_cast<size_t>(down)].ground + slope * length / 100);
            nodes[static_cast<size_t>(up)].trunk = trunk;
            nodes[static_cast<size_t>(down)].incoming++;
            edges.push_back({up, down, length, network::kTypeNetwork});
            down = up;
        }
    };
    const int outfall = newNode(d.real(900, 2600));
    nodes[0].attachable = false;
    const int trunkLength = std::max(1, static_cast<int>(std::lround(m * d.real(0.2, 0.45))));
    line(outfall, trunkLength, 2, true);
    edges[0].type = 2;  // the discharge
    // An outfall line ("emisario") brings the collector to the discharge without taking
    // any side line.
    if (trunkLength >= 4 && d.chance(0.12)) {
        const int emisarios = d.between(1, 2);
        for (int k = 1; k <= emisarios; ++k) {
            edges[static_cast<size_t>(k)].type = 1;
            nodes[static_cast<size_t>(edges[static_cast<size_t>(k - 1)].up)].attachable = false;
        }
    }
    while (static_cast<int>(edges.size()) < m) {
        std::vector<int> candidates;
        for (size_t i = 0; i < nodes.size(); ++i) {
            const Node& n = nodes[i];
            if (!n.attachable || n.incoming >= 3) continue;
            for (int w = 0; w < (n.trunk ? 3 : 1); ++w)
                candidates.push_back(static_cast<int>(i));
        }
        if (candidates.empty()) break;
        const int at = d.pick(candidates);
        const int left = m - static_cast<int>(edges.size());
        const int c = std::min({left, 12, 1 + static_cast<int>(-std::log(1 - d.unit()) * 3.5)});
        const double u = d.unit();
        line(at, c, u < 0.3 ? 0 : (u < 0.7 ? 1 : 2), false);
    }

    // Entered data of every reach.
    std::vector<TramoT> reaches(edges.size());
    for (size_t i = 0; i < edges.size(); ++i) {
        const Edge& e = edges[i];
        TramoT& t = reaches[i];
        t.Upstream = nodes[static_cast<size_t>(e.up)].name;
        t.Downstream = nodes[static_cast<size_t>(e.down)].name;
        t.GroundUp = static_cast<float>(nodes[static_cast<size_t>(e.up)].ground);
        t.GroundDown = static_cast<float>(nodes[static_cast<size_t>(e.down)].ground);
        t.Length = static_cast<float>(e.length);
        t.Type = e.type;
        const bool emisario = e.type == 1;
        t.Area = emisario ? 0.0f : static_cast<float>(Cents(d.real(0.1, 3.0)));
        if (s.zones.size() > 1)
            t.SanitaryZone = static_cast<float>(d.between(1, static_cast<int>(s.zones.size())));
        if (d.chance(0.08)) t.FutureArea = static_cast<float>(Cents(d.real(0.05, 0.6)));
        if (d.chance(0.05)) t.PointFlow = static_cast<float>(Cents(d.real(0.5, 8)));
        if (d.chance(0.01)) t.PointFlow = static_cast<float>(Cents(d.real(15, 40)));
        switch (s.designClass) {
            case 1:
            case 2:
                t.Contribution = 1;
                break;
            case 3:
            case 6:
            case 8:
                t.Contribution = 2;
                break;
            case 4:
            case 7:
            case 9:
                t.Contribution = 3;
                break;
            default: {
                const double u = d.unit();
                t.Contribution = u < 0.4 ? 1 : (u < 0.75 ? 2 : 3);
            }
        }
        if (s.designClass >= 3) {
            t.Runoff = d.chance(0.1) ? 0.0f : static_cast<float>(Cents(d.real(0.3, 0.95)));
            if (d.chance(0.1)) t.StormArea = static_cast<float>(Cents(d.real(0.1, 2.0)));
            if (d.chance(0.1)) t.StormAreaTime = static_cast<float>(Tenths(d.real(5, 20)));
        }
        if (d.chance(0.08)) t.MinimumDepth = static_cast<float>(Cents(d.real(1.2, 2.2)));
        if (s.ras2016 && d.chance(0.05)) {
            t.RasZone = 1;
            t.IndustrialVelocity = static_cast<float>(Cents(d.real(0.5, 1.0)));
        }
    }
    // Relief chambers where a collector takes side lines, now and then on an initial
    // reach, where the design ignores them.
    if (s.designClass == 3 || s.designClass == 5) {
        for (size_t i = 0; i < edges.size(); ++i) {
            const Node& up = nodes[static_cast<size_t>(edges[i].up)];
            if (edges[i].type == 1) continue;
            if ((up.incoming >= 2 && d.chance(0.25)) || (up.incoming == 0 && d.chance(0.02)))
                reaches[i].ReliefFactor = static_cast<float>(Tenths(d.real(1.5, 5.0)));
        }
    }
    // Fixed stretches: an old collector kept, restricted or not investigated, laid with a
    // plausible pipe under the ground.
    std::vector<int> receiver(edges.size(), -1);
    for (size_t i = 0; i < edges.size(); ++i)
        for (size_t j = 0; j < edges.size(); ++j)
            if (edges[j].up == edges[i].down) receiver[i] = static_cast<int>(j);
    const int stretches = d.chance(0.35) ? d.between(1, 3) : 0;
    std::vector<bool> fixed(edges.size(), false);
    for (int k = 0; k < stretches; ++k) {
        int r = d.between(0, static_cast<int>(edges.size()) - 1);
        if (fixed[static_cast<size_t>(r)] || edges[static_cast<size_t>(r)].type == 1) continue;
        const double u = d.unit();
        int cls = u < 0.6 ? network::kClassExisting
                          : (u < 0.9 ? network::kClassRestricted : network::kClassNotInvestigated);
        if (cls == network::kClassNotInvestigated && s.energyJunction > 0)
            cls = network::kClassExisting;
        const int count = d.between(1, 4);
        int di = d.between(0, 5);
        TramoT& first = reaches[static_cast<size_t>(r)];
        double crownUp = Cents(first.GroundUp - d.real(1.3, 2.5));
        for (int j = 0; j < count && r >= 0; ++j) {
            if (fixed[static_cast<size_t>(r)] || edges[static_cast<size_t>(r)].type == 1) break;
            TramoT& t = reaches[static_cast<size_t>(r)];
            fixed[static_cast<size_t>(r)] = true;
            di = std::min(di + (d.chance(0.4) ? 1 : 0),
                          static_cast<int>(kFixedDiameters.size()) - 1);
            const double ground = (t.GroundUp - t.GroundDown) * 100.0 / t.Length;
            const double slope = std::clamp(ground, 0.3, 6.0);
            double crownDown = crownUp - slope * t.Length / 100;
            if (t.GroundDown - crownDown < 1.1) crownDown = t.GroundDown - 1.1 - d.real(0, 0.4);
            crownDown = Cents(std::min(crownDown, crownUp - 0.002 * t.Length));
            t.Class = cls;
            t.Diameter = kFixedDiameters[static_cast<size_t>(di)];
            t.CrownUp = static_cast<float>(crownUp);
            t.CrownDown = static_cast<float>(crownDown);
            t.Slope = static_cast<float>(std::trunc((crownUp - crownDown) / t.Length * 100 * 1000) /
                                         1000);
            t.ManningN = d.chance(0.5) ? 0.013f : 0.014f;
            t.MinimumDepth = 0;
            crownUp = Cents(crownDown - d.real(0, 0.05));
            r = receiver[static_cast<size_t>(r)];
        }
    }

    // File order: every line from its head down, the side lines that join a manhole
    // before the reach that leaves it.
    std::vector<std::vector<int>> into(nodes.size());
    for (size_t i = 0; i < edges.size(); ++i)
        into[static_cast<size_t>(edges[i].down)].push_back(static_cast<int>(i));
    std::function<void(int)> emit = [&](int e) {
        std::vector<int> in = into[static_cast<size_t>(edges[static_cast<size_t>(e)].up)];
        for (size_t k = in.size(); k > 1; --k)
            std::swap(in[k - 1], in[static_cast<size_t>(d.between(0, static_cast<int>(k) - 1))]);
        for (int i : in)
            emit(i);
        out.push_back(reaches[static_cast<size_t>(e)]);
    };
    emit(0);
}

GeneratedNetwork Generate(Draw& d, DesignSetup setup, int minReaches, int maxReaches) {
    GeneratedNetwork g;
    g.setup = std::move(setup);
    // Most networks are small neighbourhoods; some are whole towns.
    const double u = d.unit();
    const int total = u < 0.55 ? d.between(minReaches, std::min(maxReaches, 30))
                               : (u < 0.85 ? d.between(minReaches, std::min(maxReaches, 80))
                                           : d.between(minReaches, maxReaches));
    const int trees = std::clamp(total / d.between(12, 40) + (d.chance(0.5) ? 1 : 0), 1, 5);
    const bool wide = d.chance(0.4);
    int left = total;
    for (int t = 0; t < trees && left > 0; ++t) {
        const int m =
            t + 1 == trees ? left : std::max(1, static_cast<int>(left * d.real(0.25, 0.7)));
        const int first = static_cast<int>(g.reaches.size());
        GrowTree(d, g.setup, m, static_cast<char>('A' + t), wide, g.reaches);
        g.trees.emplace_back(first, static_cast<int>(g.reaches.size()) - 1);
        left -= static_cast<int>(g.reaches.size()) - first;
    }
    return g;
}

}  // namespace

GeneratedNetwork GenerateNetwork(uint64_t start) {
    Draw d(start);
    const int designClass = 1 + static_cast<int>(start % 5);
    return Generate(d, DrawSetup(d, designClass), 5, 150);
}

GeneratedNetwork GenerateModelNetwork(uint64_t start) {
    Draw d(start);
    const int designClass = 6 + static_cast<int>(start % 4);
    return Generate(d, DrawSetup(d, designClass), 5, 25);
}

GeneratedNetwork WithTreesRotated(const GeneratedNetwork& g) {
    GeneratedNetwork r;
    r.setup = g.setup;
    for (size_t k = 1; k <= g.trees.size(); ++k) {
        const auto [first, last] = g.trees[k % g.trees.size()];
        const int at = static_cast<int>(r.reaches.size());
        for (int i = first; i <= last; ++i)
            r.reaches.push_back(g.reaches[static_cast<size_t>(i)]);
        r.trees.emplace_back(at, static_cast<int>(r.reaches.size()) - 1);
    }
    return r;
}

std::vector<std::string> DesignSetup::ConfigArguments() const {
    std::vector<std::string> a{"config",
                               "--class",
                               std::to_string(designClass),
                               "--manning",
                               asceManning ? "asce" : "fijo",
                               "--pico",
                               peak,
                               "--minimo",
                               minimum};
    if (designClass <= 5) {
        a.insert(a.end(), {"--relaciones", variableRelations ? "variable" : "uno"});
        std::string boxes;
        auto add = [&](bool on, const char* word) {
            if (!on) return;
            if (!boxes.empty()) boxes += ',';
            boxes += word;
        };
        add(fullVelocity, "vlleno");
        add(ras2016, "ras2016");
        add(realVelocity, "vreal");
        add(tractive, "tractiva");
        add(slopePerDiameter, "pendiente");
        a.insert(a.end(), {"--autolimpieza", boxes, "--critico", avoidCritical > 0 ? "si" : "no",
                           "--energia", energyJunction > 0 ? "si" : "no"});
    }
    a.insert(a.end(), {"--texto", "correo=obras@acueducto.co", "--texto", "pais=Colombia",
                       "--texto", "entidad=Empresa de Acueducto", "--texto", "proyecto=Barrio",
                       "--texto", "fecha=2026", "--texto", "consultor=Ingeniera", "--yes"});
    return a;
}

std::vector<std::string> DesignSetup::CriteriaArguments() const {
    std::vector<std::string> a{"criteria", "set"};
    auto set = [&](const std::string& key, double v, int decimals) {
        a.push_back(key + "=" + Number(v, decimals));
    };
    if (designClass <= 5) {
        set("r0.258", avoidCritical, 0);
        set("r0.86", energyJunction, 0);
    }
    set("r0.110", minFlow, 2);
    set("r0.50", maxVelocity, 2);
    set("r0.46", maxFilling, 2);
    set("r0.58", minCrownDepth, 2);
    set("r0.74", maxDesirableDepth, 2);
    set("r0.62", maxCrownDepth, 2);
    set("r0.70", outletLowering, 2);
    if (minimum == "fijo") set("r0.126", 0.5, 2);
    set("r2.0", static_cast<double>(zones.size()), 0);
    for (size_t k = 0; k < zones.size(); ++k) {
        const std::string i = "[" + std::to_string(k) + "]";
        set("r2.4" + i, zones[k].sewage, 4);
        set("r2.8" + i, zones[k].infiltration, 4);
        set("r2.12" + i, zones[k].density, 2);
    }
    return a;
}

std::string DesignSetup::Describe() const {
    std::ostringstream s;
    s << "clase " << designClass << " opciones " << options << " n "
      << (asceManning ? "asce" : "fijo") << " relaciones "
      << (variableRelations ? "variable" : "uno") << " ras2016 " << ras2016 << " pend/diam "
      << slopePerDiameter << " critico " << avoidCritical << " energia " << energyJunction
      << " Qmin " << minFlow << " Vmax " << maxVelocity << " y/D " << maxFilling << " prof "
      << minCrownDepth << "/" << maxDesirableDepth << "/" << maxCrownDepth << " pico " << peak
      << " minimo " << minimum << " zonas " << zones.size();
    return s.str();
}

}  // namespace nivex::design::test
