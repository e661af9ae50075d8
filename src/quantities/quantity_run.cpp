#include "quantities/quantity_run.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "console/codepage.h"
#include "design/design_listing_data.h"
#include "design/reach_values.h"
#include "network/reach_file.h"
#include "network/record_file.h"
#include "project/replace_file.h"
#include "quantities/quantity_file.h"
#include "specs/espec.h"

namespace nivex::quantities {
namespace {

using network::TramoT;

constexpr int kExistingDepthCm = 10000;  // 100 m: the depth that marks an existing manhole
constexpr double kExistingDepth = 100.0;
constexpr double kPi = 3.1416;  // as the volumes of the pipes were always taken
constexpr size_t kClassRecordSize = 8;

bool Exists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

int Stage(const TramoT& t) {
    return static_cast<int>(std::lround(t.Diseno.ConstructionStage));
}

struct ManholeKey {
    int sector;
    std::string name;
    auto operator<=>(const ManholeKey&) const = default;
};

// Every manhole of the network once, sorted, found by binary search.
class ManholeList {
  public:
    explicit ManholeList(const QuantityInput& input) {
        for (const SectorReaches& sector : input.sectors)
            for (int k = 0; k < sector.networkCount; ++k) {
                const TramoT& t = sector.records[static_cast<size_t>(k)];
                keys_.push_back({sector.sector, t.Upstream});
                keys_.push_back({sector.sector, t.Downstream});
            }
        std::sort(keys_.begin(), keys_.end());
        keys_.erase(std::unique(keys_.begin(), keys_.end()), keys_.end());
        depthCm.assign(keys_.size(), 0);
        governing.assign(keys_.size(), 0.0);
    }
    size_t Find(int sector, const std::string& name) const {
        const ManholeKey key{sector, name};
        return static_cast<size_t>(std::lower_bound(keys_.begin(), keys_.end(), key) -
                                   keys_.begin());
    }
    size_t size() const { return keys_.size(); }

    std::vector<int> depthCm;
    std::vector<double> governing;  // mm

  private:
    std::vector<ManholeKey> keys_;
};

struct NotInvestigated {
    double count = 0, length = 0, groundSlope = 0;
};

class SystemRun {
  public:
    SystemRun(const QuantityInput& input, const specs::EspecT& e, const QuantityLimits& l,
              ManholeList& manholes, int system, QuantityTables& t)
        : input_(input), e_(e), l_(l), manholes_(manholes), system_(system), t_(t) {}

    // False at a reach whose diameter is not in the size list.
    bool Run(std::optional<DiameterFault>& fault) {
        std::fill(manholes_.depthCm.begin(), manholes_.depthCm.end(), 0);
        for (const SectorReaches& sector : input_.sectors)
            for (int k = 0; k < sector.networkCount; ++k) {
                const TramoT& t = sector.records[static_cast<size_t>(k)];
                const bool last = k + 1 == sector.networkCount;
                if (!Reach(sector.sector, t, last)) {
                    fault = DiameterFault{k + 1, t.Upstream, t.Downstream};
                    return false;
                }
            }
        Finish();
        return true;
    }

  private:
    double Construction(int item) const { return e_.ConstructionData[static_cast<size_t>(item)]; }

    void Statistics(const TramoT& t) {
        TramoT& r = const_cast<TramoT&>(t);  // the accessors are shared with the design
        largestDiameter_ = std::max(largestDiameter_, static_cast<double>(t.Diameter));
        largestCrown_ = std::max({largestCrown_, static_cast<double>(design::DepthUp(r)),
                                  static_cast<double>(design::DepthDown(r))});
        const double length = t.Length;
        const double groundSlope = std::fabs(design::GroundSlope(r));
        if (t.Class == network::kClassNotInvestigated) {
            notInvestigated_.count += 1;
            if (t.Type != network::kTypeFromSector) {
                notInvestigated_.length += RoundHalfAway(length);
                notInvestigated_.groundSlope += groundSlope * length;
            }
            return;
        }
        t_.statisticsA[kReachCount] += 1;
        t_.statisticsA[kTotalLength] += RoundHalfAway(length);
        const bool modelClass = input_.designClass >= 6;
        const double velocity =
            modelClass ? design::SelfCleansingVelocity(r) : design::RealVelocity(r);
        t_.sums[kVelocitySum] += velocity;
        const double v2 = RoundTo2(velocity);
        if (v2 < 0.30 && (!modelClass || v2 != 0)) t_.sums[kSlowReaches] += 1;
        const double tractive = RoundTo2(design::TractiveX100(r) / 100.0);
        if (tractive != 0 && tractive < 0.10) t_.sums[kLowTractiveReaches] += 1;
        t_.sums[kSlopeLength] += t.Slope * length;
        t_.sums[kGroundSlopeLength] += groundSlope * length;
        const double z = design::SulfideZ(r);
        t_.sulfide[z <= 5000 ? 0 : z <= 10000 ? 1 : 2] += 1;
        t_.sulfide[3] += z;
    }

    // Whether the reach is built in this system; the depths its manholes take when not.
    bool Counted(const TramoT& t, double& up, double& down) const {
        const bool existing =
            t.Class == network::kClassExisting || t.Class == network::kClassNotInvestigated;
        const bool built = t.Class == network::kClassNew || t.Class == network::kClassRestricted;
        const double d = 0.001 * t.Diameter;
        TramoT& r = const_cast<TramoT&>(t);
        const double beforeUp = -(d + design::DepthUp(r));
        const double beforeDown = -(d + design::DepthDown(r));
        if ((system_ == kSystemNew || system_ >= kFirstStageSystem) && existing) {
            up = down = kExistingDepth;
            return false;
        }
        if (system_ == kSystemExisting && built) {
            up = beforeUp;
            down = beforeDown;
            return false;
        }
        if (system_ >= kFirstStageSystem && built) {
            const int stage = system_ - kSystemTotal;
            const int own = Stage(t);
            if (own == stage) return true;
            if (own >= 1 && own < stage) {
                up = down = kExistingDepth;
            } else {
                up = beforeUp;
                down = beforeDown;
            }
            return false;
        }
        return true;
    }

    bool Reach(int sector, const TramoT& t, bool lastOfFile) {
        Statistics(t);
        TramoT& r = const_cast<TramoT&>(t);
        double up = 0, down = 0;
        const bool counted = Counted(t, up, down);
        if (counted) {
            const int p = SizePosition(l_, t.Diameter);
            if (p == 0) return false;
            up = 0.001 * t.Diameter + design::DepthUp(r);
            down = 0.001 * t.Diameter + design::DepthDown(r);
            Quantities(t, p);
        }
        const size_t a = manholes_.Find(sector, t.Upstream);
        const size_t b = manholes_.Find(sector, t.Downstream);
        manholes_.governing[a] = design::ImposedDiameter(r);
        if (lastOfFile) manholes_.governing[b] = design::ImposedDiameter(r);
        manholes_.depthCm[a] = MergeDepth(manholes_.depthCm[a], DepthCm(up));
        manholes_.depthCm[b] = MergeDepth(manholes_.depthCm[b], DepthCm(down));
        return true;
    }

    void Quantities(const TramoT& t, int p) {
        TramoT& r = const_cast<TramoT&>(t);
        const double diameter = t.Diameter;
        const double d = 0.001 * diameter;
        const double length = t.Length;
        const double h = InvertDepth(diameter, design::DepthMean(r));
        const int range = ExcavationRange(l_, h);
        const double width = TrenchWidth(l_, diameter, range);
        const size_t pos = static_cast<size_t>(p);

        const int gravel = static_cast<int>(Construction(specs::kBeddingGravelCode));
        const int concrete = static_cast<int>(Construction(specs::kBeddingConcreteCode));
        if (gravel > 0 && range >= gravel && (concrete == 0 || range < concrete)) {
            const double thickness = std::clamp(diameter / 3000.0, 0.10, 0.30);
            t_.bedding[0] += RoundHalfAway((0.30 + d) * length * thickness);
        }
        if (concrete > 0 && range >= concrete) {
            const double thickness = std::clamp(diameter / 4000.0, 0.10, 0.30);
            t_.bedding[1] += RoundHalfAway((0.30 + d) * length * thickness);
        }

        if ((system_ == kSystemNew || system_ == kSystemTotal) &&
            design::NewInitialManhole(r) == 1) {
            const double x = d + t.GroundUp - t.CrownUp;
            const int group = ManholeSizeGroup(l_, design::ImposedDiameter(r));
            ManholeCell& cell = t_.manholes[static_cast<size_t>(group)][kAddedRow]
                                           [static_cast<size_t>(ManholeDepthRange(l_, x))];
            cell.count += 1;
            cell.depthSum += x;
        }

        if (design::DropPipeDiameter(r) != 0) {
            for (size_t at : {pos, size_t{0}}) {
                t_.drops[at].count += 1;
                t_.drops[at].heightSum += design::DropHeight(r);
            }
        }

        PipeCell& pipe = t_.pipes[static_cast<size_t>(range)][pos];
        pipe.length += RoundHalfAway(length);
        pipe.lengthDepth += length * h;
        pipe.count += 1;

        pipeVolume_ += (p >= l_.firstDuct ? 1.0 : kPi / 4.0) * d * d * length;

        if ((t.Class == network::kClassNew || t.Class == network::kClassRestricted) && t.Type != 1)
            t_.connections[pos] +=
                RoundHalfAway(length * Construction(specs::kConnectionsPerMetre));

        Excavation(h, range, width, length);
    }

    void Excavation(double h, int range, double width, double length) {
        const auto& e = l_.excavation;
        std::array<double, kExcavationRanges> v{};
        if (range == 1) {
            v[0] = width * h * length;
        } else {
            v[0] = e[0] * width * length;
            v[1] = (std::min(h, e[1]) - e[0]) * width * length;
            if (range >= 3) v[2] = (std::min(h, e[2]) - e[1]) * width * length;
            if (range == 4) v[3] = (h - e[2]) * width * length;
        }
        for (size_t j = 0; j < v.size(); ++j)
            t_.working[j] = v[j];
        for (size_t i = 1; i <= kMaterials; ++i) {
            const double percent = Construction(static_cast<int>(i - 1));
            for (size_t j = 1; j <= kExcavationRanges; ++j)
                t_.excavation[i][j] += RoundHalfAway(percent * v[j - 1] / 100.0);
        }
    }

    void Finish() {
        auto& x = t_.excavation;
        for (size_t i = 1; i <= kMaterials; ++i)
            for (size_t j = 1; j <= kExcavationRanges; ++j) {
                x[kMaterials + 1][j] += x[i][j];
                x[i][kExcavationRanges + 1] += x[i][j];
            }
        for (size_t j = 1; j <= kExcavationRanges; ++j)
            x[kMaterials + 1][kExcavationRanges + 1] += x[kMaterials + 1][j];
        const double fill = (x[kMaterials + 1][kExcavationRanges + 1] - pipeVolume_) *
                            Construction(specs::kCompactionFactor);
        for (size_t i = 0; i < 3; ++i) {
            t_.fill[i] = RoundHalfAway(
                fill * Construction(specs::kFillExcavated + static_cast<int>(i)) / 100.0);
            t_.fill[3] += t_.fill[i];
        }
        t_.bedding[2] = t_.bedding[0] + t_.bedding[1];
        NetworkManholes();
        PipeSupply();
        StatisticsOfSystem();
    }

    void NetworkManholes() {
        manholeClasses_.assign(manholes_.size(), 0);
        for (size_t k = 0; k < manholes_.size(); ++k) {
            const int group = ManholeSizeGroup(l_, manholes_.governing[k]);
            manholeClasses_[k] = group + 1;
            const int cm = manholes_.depthCm[k];
            if (cm <= 0 || cm == kExistingDepthCm) continue;
            const double depth = cm / 100.0;
            ManholeCell& cell = t_.manholes[static_cast<size_t>(group)][kNetworkRow]
                                           [static_cast<size_t>(ManholeDepthRange(l_, depth))];
            cell.count += 1;
            cell.depthSum += depth;
        }
        for (auto& group : t_.manholes)
            for (auto& row : group) {
                row[4] = ManholeCell{};
                row[5] = ManholeCell{};
                for (size_t c = 1; c <= 4; ++c) {
                    row[5].count += row[c].count;
                    row[5].depthSum += row[c].depthSum;
                }
                for (size_t c = 1; c <= 5; ++c)
                    if (row[c].count != 0)
                        row[c].meanDepth = RoundTo2(row[c].depthSum / row[c].count);
            }
    }

    void PipeSupply() {
        const size_t s = static_cast<size_t>(t_.sizeCount);
        for (size_t r = 1; r <= kExcavationRanges; ++r) {
            auto& range = t_.pipes[r];
            PipeCell& total = range[s + 1];
            total = PipeCell{};
            for (size_t p = 1; p <= s; ++p) {
                total.length += range[p].length;
                total.lengthDepth += range[p].lengthDepth;
                total.count += range[p].count;
            }
            for (size_t p = 1; p <= s + 1; ++p)
                if (range[p].length != 0)
                    range[p].meanDepth = RoundTo2(range[p].lengthDepth / range[p].length);
            t_.pipeTotal.length += total.length;
            t_.pipeTotal.lengthDepth += total.lengthDepth;
            t_.pipeTotal.count += total.count;
        }
        if (t_.pipeTotal.length != 0)
            t_.pipeTotal.meanDepth = RoundTo2(t_.pipeTotal.lengthDepth / t_.pipeTotal.length);
        t_.connections[s + 1] = 0;
        for (size_t p = 1; p <= s; ++p)
            t_.connections[s + 1] += t_.connections[p];
        for (DropCell& drop : t_.drops)
            if (drop.count != 0) drop.meanHeight = RoundTo2(drop.heightSum / drop.count);
    }

    void StatisticsOfSystem() {
        auto& a = t_.statisticsA;
        auto& b = t_.statisticsB;
        const auto& sums = t_.sums;
        const double lengthAll = a[kTotalLength] + notInvestigated_.length;
        if (lengthAll != 0)
            a[kMeanGroundSlope] =
                RoundTo2((sums[kGroundSlopeLength] + notInvestigated_.groundSlope) / lengthAll);
        if (a[kTotalLength] != 0) a[kMeanSlope] = RoundTo2(sums[kSlopeLength] / a[kTotalLength]);
        if (a[kReachCount] != 0) {
            a[kSlowPercent] = RoundHalfAway(sums[kSlowReaches] / a[kReachCount] * 100.0);
            a[kLowTractivePercent] =
                RoundHalfAway(sums[kLowTractiveReaches] / a[kReachCount] * 100.0);
            a[kMeanVelocity] = RoundTo2(sums[kVelocitySum] / a[kReachCount]);
        }
        a[kReachCount] += notInvestigated_.count;
        a[kTotalLength] += notInvestigated_.length;

        b[kPipeReaches] = t_.pipeTotal.count;
        b[kPipeLength] = t_.pipeTotal.length;
        b[kLargestDiameter] = largestDiameter_;
        double sizeSum = 0;
        for (size_t r = 1; r <= kExcavationRanges; ++r)
            for (int p = 1; p <= t_.sizeCount; ++p)
                sizeSum += t_.pipes[r][static_cast<size_t>(p)].count * l_.size(p);
        if (t_.pipeTotal.count != 0) b[kMeanSize] = RoundTo2(sizeSum / t_.pipeTotal.count);
        b[kPipeMeanDepth] = t_.pipeTotal.meanDepth;
        if (t_.pipeTotal.length != 0)
            b[kExcavationPerMetre] = RoundTo2(t_.excavation[kMaterials + 1][kExcavationRanges + 1] /
                                              t_.pipeTotal.length);
        double manholeCount = 0, weighted = 0;
        for (const auto& group : t_.manholes) {
            const double count = group[kAddedRow][5].count + group[kNetworkRow][5].count;
            if (count == 0) continue;
            const double mean = (group[kAddedRow][5].meanDepth * group[kAddedRow][5].count +
                                 group[kNetworkRow][5].meanDepth * group[kNetworkRow][5].count) /
                                count;
            manholeCount += count;
            weighted += mean * count;
        }
        b[kManholeCount] = manholeCount;
        if (manholeCount != 0) b[kMeanManholeDepth] = weighted / manholeCount;
        b[kDropCount] = t_.drops[0].count;
        if (manholeCount != 0) b[kLengthPerManhole] = RoundTo2(t_.pipeTotal.length / manholeCount);
        b[kLargestCrownDepth] = largestCrown_;
    }

    const QuantityInput& input_;
    const specs::EspecT& e_;
    const QuantityLimits& l_;
    ManholeList& manholes_;
    int system_;
    QuantityTables& t_;
    double largestDiameter_ = 0, largestCrown_ = 0, pipeVolume_ = 0;
    NotInvestigated notInvestigated_;

  public:
    std::vector<int> manholeClasses_;
};

// The reaches the design took out, by the size they had (sizes outside the list at S+1).
void AddRemovals(const QuantityInput& input, const QuantityLimits& l, QuantityTables& t) {
    const size_t s = static_cast<size_t>(t.sizeCount);
    for (PipeCell& cell : t.removals)
        cell = PipeCell{};
    t.removalTotal = PipeCell{};
    const double first = l.sizes.empty() ? 0.0 : l.sizes.front();
    for (const SectorReaches& sector : input.sectors)
        for (size_t k = static_cast<size_t>(sector.networkCount); k < sector.records.size(); ++k) {
            TramoT removed = sector.records[k];
            const double diameter = std::max(static_cast<double>(removed.Diameter), first);
            const int p = SizePosition(l, diameter);
            PipeCell& at = t.removals[p == 0 ? s + 1 : static_cast<size_t>(p)];
            at.length += RoundHalfAway(removed.Length);
            at.lengthDepth += removed.Length * InvertDepth(diameter, design::DepthMean(removed));
            at.count += 1;
        }
    for (PipeCell& cell : t.removals)
        if (cell.length != 0) cell.meanDepth = cell.lengthDepth / cell.length;
    for (size_t p = 1; p <= s; ++p) {
        t.removalTotal.length += t.removals[p].length;
        t.removalTotal.lengthDepth += t.removals[p].lengthDepth;
        t.removalTotal.count += t.removals[p].count;
    }
    if (t.removalTotal.length != 0)
        t.removalTotal.meanDepth = t.removalTotal.lengthDepth / t.removalTotal.length;
}

}  // namespace

QuantityResult ComputeQuantityTables(const QuantityInput& input, const specs::EspecT& e) {
    QuantityResult result;
    const QuantityLimits limits = LimitsOf(e);
    ManholeList manholes(input);
    QuantityTables empty;
    empty.sixteenthValue = e.ConstructionData[specs::kConstructionUnused];
    empty.pipeTypes = e.PipeTypes;
    empty.Clear(limits.sizeCount());

    // The existing and total systems are never computed: their flags are cleared first.
    std::vector<int> systems;
    if (input.hasNewReach) systems.push_back(kSystemNew);
    for (int k = 1; k <= std::clamp(input.stageCount, 0, kMaxStages); ++k)
        systems.push_back(kSystemTotal + k);

    bool newComputed = false;
    for (int system : systems) {
        SystemQuantities computed{system, empty};
        SystemRun run(input, e, limits, manholes, system, computed.tables);
        if (!run.Run(result.fault)) return result;
        result.manholeClasses = run.manholeClasses_;
        KeepAsStored(computed.tables);
        if (system == kSystemNew) {
            result.newWithRemovals = computed.tables;
            newComputed = true;
        }
        result.systems.push_back(std::move(computed));
    }
    if (!newComputed) result.newWithRemovals = empty;
    result.totalWithRemovals = empty;
    AddRemovals(input, limits, result.newWithRemovals);
    AddRemovals(input, limits, result.totalWithRemovals);
    KeepAsStored(result.newWithRemovals);
    KeepAsStored(result.totalWithRemovals);
    if (result.manholeClasses.empty()) {
        // No system ran: the classes still come from the governing diameters.
        for (const SectorReaches& sector : input.sectors)
            for (int k = 0; k < sector.networkCount; ++k) {
                TramoT t = sector.records[static_cast<size_t>(k)];
                const size_t a = manholes.Find(sector.sector, t.Upstream);
                manholes.governing[a] = design::ImposedDiameter(t);
                if (k + 1 == sector.networkCount)
                    manholes.governing[manholes.Find(sector.sector, t.Downstream)] =
                        design::ImposedDiameter(t);
            }
        for (double g : manholes.governing)
            result.manholeClasses.push_back(ManholeSizeGroup(limits, g) + 1);
    }
    return result;
}

std::string DiameterFaultMessage(const DiameterFault& fault) {
    return cp("... ERROR .. hay un diametro no especificado ...\r    LINEA [") +
           std::to_string(fault.line) + "]" + "    TRAMO [" + fault.upstream + "] - [" +
           fault.downstream + "]" + "\r" + "Revise los datos de los tramos antes de continuar";
}

std::string QuantityFilePath(const project::FileNames& files, int system) {
    return files.path(QuantityFileBase(system));
}

bool WriteQuantityResult(const project::FileNames& files, const QuantityResult& result,
                         std::string* error) {
    for (const SystemQuantities& system : result.systems) {
        // The new system's file is written once, with its removals, below.
        if (system.system == kSystemNew && !result.fault) continue;
        if (!WriteQuantityFile(QuantityFilePath(files, system.system), system.tables, error))
            return false;
    }
    if (!result.manholeClasses.empty()) {
        std::string bytes(result.manholeClasses.size() * kClassRecordSize, '\0');
        for (size_t k = 0; k < result.manholeClasses.size(); ++k) {
            const auto value = static_cast<uint16_t>(result.manholeClasses[k]);
            bytes[k * kClassRecordSize + 6] = static_cast<char>(value & 0xFF);
            bytes[k * kClassRecordSize + 7] = static_cast<char>(value >> 8);
        }
        std::string message;
        if (!project::ReplaceFileContents(files.quantityWork(), bytes, &message)) {
            if (error) *error = cp(message);
            return false;
        }
    }
    if (result.fault) return true;
    return WriteQuantityFile(QuantityFilePath(files, kSystemNew), result.newWithRemovals, error) &&
           WriteQuantityFile(QuantityFilePath(files, kSystemTotal), result.totalWithRemovals,
                             error);
}

bool LoadSectorReaches(const project::FileNames& files, int sector, SectorReaches& out,
                       std::string* error) {
    out = SectorReaches{};
    out.sector = sector;
    shell::ControlFile control;
    if (!control.Open(files.control()) || !control.ReadRecord(0)) {
        if (error) *error = cp(control.error());
        return false;
    }
    shell::ProyectoT header;
    shell::Decode(control.buffer(0), header);
    control.Close();
    network::TramoFile file;
    if (!file.Open(files.designCopy())) {
        if (error) *error = cp(file.error());
        return false;
    }
    out.records.reserve(static_cast<size_t>(file.count()));
    for (int line = 1; line <= file.count(); ++line) {
        TramoT t;
        if (!file.Read(line, t)) {
            if (error) *error = cp(file.error());
            file.Close();
            return false;
        }
        out.records.push_back(std::move(t));
    }
    file.Close();
    out.networkCount = header.ReachCount;
    if (!design::DesignCopyProblem(out.records, out.networkCount).empty()) {
        if (error) *error = cp("... Falta hacer o repetir el diseño del proyecto ...");
        return false;
    }
    return true;
}

InputOutcome LoadQuantityInput(const project::Project& p, QuantityInput& input) {
    input = QuantityInput{};
    input.stageCount = p.espec.StageCount;
    input.hasNewReach = p.espec.HasNewReach != 0;
    input.designClass = p.header.DesignClass;
    std::vector<std::pair<int, project::FileNames>> sectors;
    if (p.selection.isTotaliser()) {
        const std::string code = p.selection.code;
        for (int k = 1; k <= p.selection.sectorCount; ++k) {
            project::FileNames names;
            names.Build(p.files.folder(), code + std::to_string(k));
            sectors.emplace_back(k, names);
        }
    } else {
        if (p.header.StageDone[1] == 0 || !Exists(p.files.designCopy()))
            return {InputProblem::NoDesign, 0, ""};
        sectors.emplace_back(p.selection.sectorNumber, p.files);
    }
    for (const auto& [sector, names] : sectors) {
        if (p.selection.isTotaliser() && (!Exists(names.control()) || !Exists(names.designCopy())))
            return {InputProblem::MissingSector, sector, ""};
        SectorReaches reaches;
        std::string error;
        if (!LoadSectorReaches(names, sector, reaches, &error)) {
            if (!p.selection.isTotaliser() || error.find(cp("Falta")) == std::string::npos)
                return {InputProblem::FileError, sector, error};
            return {InputProblem::MissingSector, sector, ""};
        }
        input.sectors.push_back(std::move(reaches));
    }
    if (p.selection.isTotaliser()) {
        // The totaliser's own flag does not follow its sectors: the networks say.
        input.hasNewReach = false;
        for (const SectorReaches& sector : input.sectors)
            for (int k = 0; k < sector.networkCount; ++k) {
                const int c = sector.records[static_cast<size_t>(k)].Class;
                if (c == network::kClassNew || c == network::kClassRestricted)
                    input.hasNewReach = true;
            }
    }
    return {};
}

}  // namespace nivex::quantities
