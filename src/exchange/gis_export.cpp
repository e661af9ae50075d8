#include "exchange/gis_export.h"

#include <gdal_priv.h>
#include <ogrsf_frmts.h>
#include <stdlib.h>

#include <charconv>
#include <filesystem>
#include <map>
#include <memory>
#include <utility>

#include "console/codepage.h"
#include "design/design_columns.h"
#include "design/reach_values.h"
#include "drawings/plan.h"
#include "exchange/csv_line.h"
#include "exchange/gis_fields.h"
#include "exchange/gis_gdal.h"
#include "network/reach_csv.h"

namespace nivex::exchange {
namespace {

namespace fs = std::filesystem;
using network::TramoT;

// A DBF text field holds at most this many bytes.
constexpr size_t kShapefileText = 254;

// The value a float of the records stands for: the double of its shortest text, so that a
// GIS shows 0.1 where the record holds the float nearest to it, and the float reads back
// unchanged.
double Shown(float v) {
    const std::string text = design::ShortestText(v);
    double d = 0;
    std::from_chars(text.data(), text.data() + text.size(), d);
    return d;
}

// The name of a design column in a layer. Field names differ regardless of case in both
// formats, so "q" (Q/Q0) cannot sit beside "Q"; a DBF holds at most 10 characters, letters,
// digits and '_'.
std::string LayerName(const std::string& name, GisFormat format) {
    if (name == "q") return "q_Q0";
    if (format == GisFormat::GeoPackage) return name;
    static const std::map<std::string, std::string> renamed = {
        {"y/D", "y_D"}, {"altura_caida", "alt_caida"}, {"diam_bajante", "diam_baj"}};
    const auto it = renamed.find(name);
    return it == renamed.end() ? name : it->second;
}

// The entry data the layer carries beside the design columns (the length is one of them).
std::vector<const ReachDatum*> EntryData() {
    std::vector<const ReachDatum*> data;
    for (const ReachDatum& d : ReachData())
        if (std::string(d.name) != kLengthDatum) data.push_back(&d);
    return data;
}

// UTF-8 text cut to at most n bytes without splitting a character.
std::string CutUtf8(std::string text, size_t n) {
    if (text.size() <= n) return text;
    size_t end = n;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    text.resize(end);
    return text;
}

std::string Failure(const std::string& path, const std::string& what) {
    std::string message = "No se pudo escribir " + path + ": " + what;
    const std::string gdal = LastGdalMessage();
    if (!gdal.empty()) message += " (" + gdal + ")";
    return message;
}

// A folder of a name no other process can choose, beside `target`; removed with what it
// holds unless released.
class TempFolder {
  public:
    explicit TempFolder(const std::string& target) {
        std::string name = target + ".tmpXXXXXX";
        if (::mkdtemp(name.data())) path_ = name;
    }
    ~TempFolder() {
        std::error_code ec;
        if (!path_.empty()) fs::remove_all(path_, ec);
    }
    const std::string& path() const { return path_; }
    void release() { path_.clear(); }

  private:
    std::string path_;
};

struct DatasetCloser {
    void operator()(GDALDataset* ds) const { GDALClose(ds); }
};
using Dataset = std::unique_ptr<GDALDataset, DatasetCloser>;

struct FeatureDeleter {
    void operator()(OGRFeature* f) const { OGRFeature::DestroyFeature(f); }
};
using Feature = std::unique_ptr<OGRFeature, FeatureDeleter>;

class LayerWriter {
  public:
    LayerWriter(GDALDataset& ds, const std::string& target, std::string* error)
        : ds_(ds), target_(target), error_(error) {}

    bool Create(const char* name, const OGRSpatialReference& srs, OGRwkbGeometryType type,
                GisFormat format) {
        char** options = nullptr;
        if (format == GisFormat::Shapefiles)
            options = CSLSetNameValue(options, "ENCODING", "UTF-8");
        layer_ = ds_.CreateLayer(name, const_cast<OGRSpatialReference*>(&srs), type, options);
        CSLDestroy(options);
        return layer_ || Fail(std::string("la capa ") + name);
    }
    bool Field(const std::string& name, OGRFieldType type, int width = 0) {
        OGRFieldDefn f(name.c_str(), type);
        if (width) f.SetWidth(width);
        if (layer_->CreateField(&f, FALSE) != OGRERR_NONE) return Fail("el campo " + name);
        return true;
    }
    Feature NewFeature() const {
        return Feature(OGRFeature::CreateFeature(layer_->GetLayerDefn()));
    }
    bool Write(OGRFeature& f) {
        return layer_->CreateFeature(&f) == OGRERR_NONE ||
               Fail(std::string("un elemento de la capa ") + layer_->GetName());
    }
    bool Fail(const std::string& what) {
        *error_ = Failure(target_, what);
        return false;
    }

  private:
    GDALDataset& ds_;
    const std::string& target_;
    std::string* error_;
    OGRLayer* layer_ = nullptr;
};

// The network's entry values of every line, by datum, as the reach CSV table gives them.
class EntryValues {
  public:
    explicit EntryValues(const std::vector<TramoT>& network) : network_(network) {
        const std::string csv = network::ExportReachesCsv(network);
        std::vector<std::string> fields;
        size_t at = 0;
        bool header = true;
        std::map<std::string, size_t> columnAt;
        while (at < csv.size()) {
            size_t end = csv.find('\n', at);
            if (end == std::string::npos) end = csv.size();
            SplitCsvLine(std::string_view(csv).substr(at, end - at), ',', fields);
            at = end + 1;
            if (header) {
                for (size_t k = 0; k < fields.size(); ++k)
                    columnAt[fields[k]] = k;
                for (const ReachDatum* d : EntryData()) {
                    const auto it = columnAt.find(d->column);
                    cellOf_.push_back(it == columnAt.end() ? -1 : static_cast<int>(it->second));
                }
                header = false;
                continue;
            }
            std::vector<double> values;
            for (int cell : cellOf_) {
                double v = 0;
                if (cell >= 0 && static_cast<size_t>(cell) < fields.size()) {
                    const std::string& text = fields[static_cast<size_t>(cell)];
                    std::from_chars(text.data(), text.data() + text.size(), v);
                }
                values.push_back(v);
            }
            lines_.push_back(std::move(values));
        }
        for (size_t k = 0; k < network.size(); ++k)
            lineOf_.emplace(std::pair(network[k].Upstream, network[k].Downstream), k);
    }

    // The values of the line of record `record` (from 1); nullptr when the network has none.
    const std::vector<double>* Of(const TramoT& t, int record) const {
        const size_t k = static_cast<size_t>(record - 1);
        if (k < network_.size() && k < lines_.size() && network_[k].Upstream == t.Upstream &&
            network_[k].Downstream == t.Downstream)
            return &lines_[k];
        const auto it = lineOf_.find(std::pair(t.Upstream, t.Downstream));
        return it == lineOf_.end() || it->second >= lines_.size() ? nullptr : &lines_[it->second];
    }

  private:
    const std::vector<TramoT>& network_;
    std::vector<int> cellOf_;
    std::vector<std::vector<double>> lines_;
    std::map<std::pair<std::string, std::string>, size_t> lineOf_;
};

bool WriteReaches(GDALDataset& ds, const drawings::DrawingInputs& in,
                  const std::vector<TramoT>& network, const OGRSpatialReference& srs,
                  GisFormat format, const std::string& target, std::string* error) {
    LayerWriter w(ds, target, error);
    if (!w.Create(kReachLayer, srs, wkbLineString, format)) return false;
    const std::vector<std::string> names = ReachFieldNames(format);
    const auto& columns = design::DesignColumns();
    const std::vector<const ReachDatum*> entry = EntryData();
    // The design columns, estado, hallazgos, the entry data.
    size_t k = 0;
    for (const design::DesignColumn& c : columns) {
        const bool text = c.kind == design::ColumnKind::Text;
        if (!w.Field(names[k++],
                     text                                    ? OFTString
                     : c.kind == design::ColumnKind::Integer ? OFTInteger
                                                             : OFTReal,
                     text ? 5 : 0))
            return false;
    }
    if (!w.Field(names[k++], OFTString, 20) ||
        !w.Field(names[k++], OFTString, format == GisFormat::Shapefiles ? 254 : 0))
        return false;
    for (size_t e = 0; e < entry.size(); ++e)
        if (!w.Field(names[k++], OFTReal)) return false;

    const EntryValues values(network);
    for (size_t r = 0; r < in.reaches.size(); ++r) {
        const TramoT& t = in.reaches[r];
        const int record = static_cast<int>(r + 1);
        const drawings::ManholePoint* from = in.placement.find(t.Upstream);
        const drawings::ManholePoint* to = in.placement.find(t.Downstream);
        if (!from || !to) continue;  // every manhole of the records is placed
        Feature f = w.NewFeature();
        int i = 0;
        TramoT copy = t;  // the cells are read through the accessors of a record
        const std::vector<design::DesignCell> cells = design::DesignCells(record, copy);
        for (size_t c = 0; c < columns.size(); ++c, ++i)
            switch (columns[c].kind) {
                case design::ColumnKind::Text:
                    f->SetField(i, toUtf8(cells[c].text).c_str());
                    break;
                case design::ColumnKind::Integer:
                    f->SetField(i, cells[c].integer);
                    break;
                case design::ColumnKind::Real:
                    f->SetField(i, Shown(cells[c].real));
                    break;
            }
        f->SetField(i++, drawings::StateLayer(drawings::StateOf(t, record, in.reachCount)));
        std::string findings;
        if (r < in.findings.size())
            for (const std::string& line : in.findings[r])
                findings += (findings.empty() ? "" : "; ") + toUtf8(line);
        if (format == GisFormat::Shapefiles) findings = CutUtf8(findings, kShapefileText);
        f->SetField(i++, findings.c_str());
        const std::vector<double>* e = record <= in.reachCount ? values.Of(t, record) : nullptr;
        for (size_t d = 0; d < entry.size(); ++d, ++i)
            if (e)
                f->SetField(i, (*e)[d]);
            else
                f->SetFieldNull(i);

        OGRLineString line;
        line.addPoint(from->x, from->y);
        if (const drawings::ReachBends* b = drawings::FindBends(in.bends, t.Upstream, t.Downstream))
            for (const auto& [x, y] : b->points)
                line.addPoint(x, y);
        line.addPoint(to->x, to->y);
        f->SetGeometry(&line);
        if (!w.Write(*f)) return false;
    }
    return true;
}

// The reach ends at one manhole.
struct Ends {
    std::vector<int> leaving, arriving;  // records, from 1
};

bool WriteManholes(GDALDataset& ds, const drawings::DrawingInputs& in,
                   const OGRSpatialReference& srs, GisFormat format, const std::string& target,
                   std::string* error, int* written) {
    LayerWriter w(ds, target, error);
    if (!w.Create(kManholeLayer, srs, wkbPoint, format)) return false;
    const std::vector<std::string> names = ManholeFieldNames();
    const OGRFieldType types[] = {OFTString,  OFTReal, OFTString, OFTReal,    OFTReal,    OFTReal,
                                  OFTInteger, OFTReal, OFTReal,   OFTReal,    OFTInteger, OFTReal,
                                  OFTInteger, OFTReal, OFTReal,   OFTInteger, OFTString};
    static_assert(std::size(types) == 17);
    for (size_t k = 0; k < names.size(); ++k)
        if (!w.Field(names[k], types[k],
                     types[k] == OFTString && format == GisFormat::Shapefiles
                         ? (k == 0 ? 5 : static_cast<int>(kShapefileText))
                         : 0))
            return false;

    std::map<std::string, Ends> ends;
    const int count = std::min(in.reachCount, static_cast<int>(in.reaches.size()));
    for (int r = 1; r <= count; ++r) {
        const TramoT& t = in.reaches[static_cast<size_t>(r - 1)];
        ends[t.Upstream].leaving.push_back(r);
        ends[t.Downstream].arriving.push_back(r);
    }
    auto at = [&](int r) -> TramoT { return in.reaches[static_cast<size_t>(r - 1)]; };
    for (const drawings::ManholePoint& m : in.placement.manholes) {
        const Ends& e = ends[m.name];
        Feature f = w.NewFeature();
        for (int k = 0; k < static_cast<int>(names.size()); ++k)
            f->SetFieldNull(k);
        f->SetField(0, toUtf8(m.name).c_str());
        std::string list;
        auto listEnd = [&](int r, bool leaves) {
            TramoT t = at(r);
            list += (list.empty() ? "" : "; ") + toUtf8(t.Upstream) + "-" + toUtf8(t.Downstream) +
                    (leaves ? " sale" : " llega") + ": clave " +
                    design::ShortestText(leaves ? t.CrownUp : t.CrownDown) + ", batea " +
                    design::ShortestText(leaves ? design::InvertUp(t) : design::InvertDown(t)) +
                    ", prof " +
                    design::ShortestText(leaves ? design::DepthUp(t) : design::DepthDown(t));
        };
        if (!e.leaving.empty()) {
            TramoT t = at(e.leaving.front());
            f->SetField(1, Shown(t.GroundUp));
            f->SetField(2, (toUtf8(t.Upstream) + "-" + toUtf8(t.Downstream)).c_str());
            f->SetField(3, Shown(t.CrownUp));
            f->SetField(4, Shown(design::InvertUp(t)));
            f->SetField(5, Shown(design::DepthUp(t)));
        } else if (!e.arriving.empty()) {
            f->SetField(1, Shown(at(e.arriving.front()).GroundDown));
        } else {
            // Only removed reaches touch it: its ground as they give it.
            for (size_t r = 0; r < in.reaches.size(); ++r) {
                const TramoT& t = in.reaches[r];
                if (t.Upstream == m.name || t.Downstream == m.name) {
                    f->SetField(1, Shown(t.Upstream == m.name ? t.GroundUp : t.GroundDown));
                    break;
                }
            }
        }
        f->SetField(6, static_cast<int>(e.arriving.size()));
        if (!e.arriving.empty()) {
            float crown = 0, invert = 0, depth = 0, drop = 0, pipe = 0, chambers = 0;
            int drops = 0, pipes = 0;
            bool first = true;
            for (int r : e.arriving) {
                TramoT t = at(r);
                const float invertDown = design::InvertDown(t), depthDown = design::DepthDown(t);
                crown = first ? t.CrownDown : std::min(crown, t.CrownDown);
                invert = first ? invertDown : std::min(invert, invertDown);
                depth = first ? depthDown : std::max(depth, depthDown);
                first = false;
                // The drop of a reach is at its downstream end, into this manhole.
                if (design::DropKind(t) > 0) {
                    ++drops;
                    drop = std::max(drop, design::DropHeight(t));
                }
                if (design::DropKind(t) == 2) {
                    ++pipes;
                    pipe = std::max(pipe, design::DropPipeDiameter(t));
                }
                chambers += design::DropChambers(t);
            }
            f->SetField(7, Shown(crown));
            f->SetField(8, Shown(invert));
            f->SetField(9, Shown(depth));
            f->SetField(10, drops);
            f->SetField(11, Shown(drop));
            f->SetField(12, pipes);
            f->SetField(13, Shown(pipe));
            f->SetField(14, Shown(chambers));
        }
        int added = 0;
        for (int r : e.leaving) {
            TramoT t = at(r);
            if (design::NewInitialManhole(t) != 0) added = 1;
        }
        f->SetField(15, added);
        for (int r : e.arriving)
            listEnd(r, false);
        for (int r : e.leaving)
            listEnd(r, true);
        if (format == GisFormat::Shapefiles) list = CutUtf8(list, kShapefileText);
        f->SetField(16, list.c_str());
        OGRPoint point(m.x, m.y);
        f->SetGeometry(&point);
        if (!w.Write(*f)) return false;
        ++*written;
    }
    return true;
}

// A Shapefile folder may be replaced only when it holds nothing but the two layers' files.
bool ReplaceableFolder(const std::string& path, std::string* error) {
    std::error_code ec;
    if (!fs::exists(path, ec)) return true;
    if (!fs::is_directory(path, ec)) {
        *error = "No se pudo escribir " + path + ": existe y no es una carpeta";
        return false;
    }
    for (const auto& entry : fs::directory_iterator(path, ec)) {
        const std::string stem = entry.path().stem().string();
        if (!entry.is_regular_file() || (stem != kReachLayer && stem != kManholeLayer)) {
            *error = "No se pudo escribir " + path + ": la carpeta tiene otros archivos (" +
                     entry.path().filename().string() + ") y no se reemplaza";
            return false;
        }
    }
    return !ec || (*error = "No se pudo leer la carpeta " + path, false);
}

}  // namespace

std::vector<std::string> ReachFieldNames(GisFormat format) {
    std::vector<std::string> names;
    for (const design::DesignColumn& c : design::DesignColumns())
        names.push_back(LayerName(c.name, format));
    names.push_back(kStateDatum);
    names.push_back("hallazgos");
    for (const ReachDatum* d : EntryData())
        names.push_back(d->name);
    return names;
}

std::vector<std::string> ManholeFieldNames() {
    return {kNameDatum, kGroundDatum, "sale",       "clave_sale", "batea_sale", "prof_sale",
            "llegan",   "clave_lleg", "batea_lleg", "prof_lleg",  "caidas",     "alt_caida",
            "bajantes", "diam_baj",   "camaras",    "pozo_nuevo", "extremos"};
}

bool ExportGis(const drawings::DrawingInputs& in, const std::vector<network::TramoT>& network,
               const drawings::CoordinateSystem& system, GisFormat format, const std::string& path,
               GisExportCounts* counts, std::string* error) {
    if (in.placement.schematic) {
        *error = std::to_string(in.placement.missing.size()) +
                 " pozo(s) no tienen coordenadas; la exportacion a SIG necesita las "
                 "coordenadas reales de todos los pozos (entrelas con \"pozos import\")";
        return false;
    }
    RegisterGdalDrivers();
    OGRSpatialReference srs;
    if (srs.importFromEPSG(system.epsg) != OGRERR_NONE) {
        *error = "El sistema de coordenadas EPSG " + std::to_string(system.epsg) +
                 " del sector no es conocido; no se escribio " + path;
        return false;
    }
    srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    if (format == GisFormat::Shapefiles && !ReplaceableFolder(path, error)) return false;
    std::error_code ec;
    if (format == GisFormat::GeoPackage && fs::is_directory(path, ec)) {
        *error = "No se pudo escribir " + path + ": es una carpeta";
        return false;
    }

    TempFolder temp(path);
    if (temp.path().empty()) {
        *error = "No se pudo crear la carpeta temporal de " + path;
        return false;
    }
    const std::string written = format == GisFormat::GeoPackage
                                    ? temp.path() + "/" + fs::path(path).filename().string()
                                    : temp.path();
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName(
        format == GisFormat::GeoPackage ? "GPKG" : "ESRI Shapefile");
    if (!driver) {
        *error = "No se pudo escribir " + path + ": falta el controlador de GDAL";
        return false;
    }
    CPLErrorReset();
    int manholes = 0;
    {
        Dataset ds(driver->Create(written.c_str(), 0, 0, 0, GDT_Unknown, nullptr));
        if (!ds) {
            *error = Failure(path, "no se pudo crear");
            return false;
        }
        // One transaction: a GeoPackage of ten thousand reaches is written in a moment.
        const bool transaction = ds->StartTransaction() == OGRERR_NONE;
        if (!WriteManholes(*ds, in, srs, format, path, error, &manholes) ||
            !WriteReaches(*ds, in, network, srs, format, path, error))
            return false;
        if (transaction && ds->CommitTransaction() != OGRERR_NONE) {
            *error = Failure(path, "no se pudo terminar");
            return false;
        }
    }
    if (CPLGetLastErrorType() == CE_Failure) {
        *error = Failure(path, "fallo al cerrar");
        return false;
    }

    if (format == GisFormat::GeoPackage) {
        fs::rename(written, path, ec);
        if (ec) {
            *error = "No se pudo reemplazar " + path;
            return false;
        }
    } else {
        // The old folder steps aside into an empty one of a name of our own, the new takes
        // its place, and only then the old is removed.
        TempFolder old(path);
        if (old.path().empty()) {
            *error = "No se pudo crear la carpeta temporal de " + path;
            return false;
        }
        const bool existed = fs::exists(path, ec);
        if (existed) {
            fs::rename(path, old.path(), ec);
            if (ec) {
                *error = "No se pudo reemplazar " + path;
                return false;
            }
        }
        fs::rename(temp.path(), path, ec);
        if (ec) {
            std::error_code back;
            if (existed) fs::rename(old.path(), path, back);
            *error = "No se pudo reemplazar " + path;
            return false;
        }
        temp.release();
    }
    if (counts) {
        counts->reaches = static_cast<int>(in.reaches.size());
        counts->manholes = manholes;
    }
    return true;
}

}  // namespace nivex::exchange
