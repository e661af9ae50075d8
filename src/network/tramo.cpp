#include "network/tramo.h"

#include <algorithm>
#include <cmath>

namespace nivex::network {

using namespace codec;

namespace {

// One list of the record's fields, walked by the reader and by the writer, so that both
// always agree on every offset.
struct Reader {
    const Bytes& b;
    void text(size_t off, std::string& s) { s = Text(b, off, kNameLength); }
    void i16(size_t off, int& v) { v = I16(b, off); }
    void f32(size_t off, float& v) { v = F32(b, off); }
    template <size_t N>
    void i16s(size_t off, std::array<int, N>& a) {
        for (size_t i = 0; i < N; ++i)
            i16(off + 2 * i, a[i]);
    }
    template <size_t N>
    void f32s(size_t off, std::array<float, N>& a) {
        for (size_t i = 0; i < N; ++i)
            f32(off + 4 * i, a[i]);
    }
};

// Works on a copy of the record so that a refused value leaves the original untouched.
struct Writer {
    Bytes b;
    bool ok = true;
    void text(size_t off, const std::string& s) { PutText(b, off, kNameLength, s); }
    void i16(size_t off, int v) { ok = PutI16(b, off, v) && ok; }
    void f32(size_t off, float v) { PutF32(b, off, v); }
    template <size_t N>
    void i16s(size_t off, const std::array<int, N>& a) {
        for (size_t i = 0; i < N; ++i)
            i16(off + 2 * i, a[i]);
    }
    template <size_t N>
    void f32s(size_t off, const std::array<float, N>& a) {
        for (size_t i = 0; i < N; ++i)
            f32(off + 4 * i, a[i]);
    }
};

template <class Io, class T>
void DisenoFields(Io& io, T& d) {
    io.i16(12, d.I12);
    io.i16(14, d.I14);
    io.i16s(16, d.I16);
    io.i16(40, d.I40);
    io.i16(50, d.I50);
    io.f32s(72, d.F72);
    io.f32(92, d.F92);
    io.f32s(112, d.F112);
    io.f32(128, d.F128);
    io.f32(132, d.ConstructionStage);
    io.f32s(140, d.F140);
    io.f32s(168, d.F168);
    io.f32s(184, d.F184);
    io.f32(212, d.F212);
    io.f32(220, d.F220);
    io.f32s(244, d.F244);
    io.f32(376, d.F376);
    io.text(440, d.Name440);
    io.text(446, d.Name446);
}

template <class Io, class T>
void TramoFields(Io& io, T& t) {
    io.text(0, t.Upstream);
    io.text(6, t.Downstream);
    io.i16(36, t.Class);
    io.i16(38, t.Reserved38);
    io.i16(42, t.Type);
    io.i16(44, t.RainNumber);
    io.i16(46, t.Sector);
    io.i16(48, t.Contribution);
    io.f32(52, t.GroundUp);
    io.f32(56, t.GroundDown);
    io.f32(60, t.Length);
    io.f32(64, t.ReliefFactor);
    io.f32(68, t.Area);
    io.f32(88, t.PointFlow);
    io.f32(96, t.CrownUp);
    io.f32(100, t.Diameter);
    io.f32(104, t.Slope);
    io.f32(108, t.CrownDown);
    io.f32(124, t.StormArea);
    io.f32(136, t.SanitaryZone);
    io.f32(164, t.MinimumDepth);
    io.f32(176, t.FutureArea);
    io.f32(180, t.ManningN);
    io.f32(200, t.InFlow);
    io.f32(204, t.InInfiltration);
    io.f32(208, t.InPopulation);
    io.f32(216, t.Runoff);
    io.f32(224, t.InRealArea);
    io.f32(228, t.InEquivalentArea);
    io.f32(232, t.StormAreaTime);
    io.f32(236, t.InOriginTime);
    io.f32(240, t.InReachTime);
    io.f32(356, t.RemoveExisting);
    io.f32(360, t.Reserved360);
    io.f32(364, t.RasZone);
    io.f32(368, t.IndustrialVelocity);
    io.f32(372, t.Reserved372);
    io.f32s(380, t.Reserved380);
    DisenoFields(io, t.Diseno);
}

template <class Io, class T>
void IndiceFields(Io& io, T& e) {
    io.text(0, e.Upstream);
    io.text(6, e.Downstream);
    io.i16(12, e.Line);
}

template <class Io, class T>
void BufFields(Io& io, T& n) {
    io.text(0, n.Upstream);
    io.text(6, n.Downstream);
    io.i16(12, n.FormerLine);
    io.i16(14, n.Previous);
    io.i16(16, n.Next);
}

template <class T, class F>
bool EncodeWith(const T& value, Bytes& record, size_t size, F fields) {
    Writer w{record};
    w.b.resize(size);
    fields(w, value);
    if (!w.ok) return false;
    record = std::move(w.b);
    return true;
}

// Decimal quotients such as 0.75 / 50 land a hair below their exact value in binary;
// this keeps a truncation from dropping a whole unit because of it.
double Nudge(double v) {
    return v + 1e-9 * std::max(1.0, std::fabs(v));
}

// The same for a truncation toward zero: the nudge goes away from zero, so that a
// negative slope such as -1.000 is not cut to -0.999.
double NudgeAway(double v) {
    return v + std::copysign(1e-9 * std::max(1.0, std::fabs(v)), v);
}

}  // namespace

void Decode(const Bytes& r, TramoT& t) {
    Reader rd{r};
    TramoFields(rd, t);
}

bool Encode(const TramoT& t, Bytes& record) {
    return EncodeWith(t, record, kTramoSize, [](Writer& w, const TramoT& v) { TramoFields(w, v); });
}

void Decode(const Bytes& r, IndiceTramoT& e) {
    Reader rd{r};
    IndiceFields(rd, e);
}

bool Encode(const IndiceTramoT& e, Bytes& record) {
    return EncodeWith(e, record, kIndiceSize,
                      [](Writer& w, const IndiceTramoT& v) { IndiceFields(w, v); });
}

void Decode(const Bytes& r, TramoBufT& n) {
    Reader rd{r};
    BufFields(rd, n);
}

bool Encode(const TramoBufT& n, Bytes& record) {
    return EncodeWith(n, record, kTramoBufSize,
                      [](Writer& w, const TramoBufT& v) { BufFields(w, v); });
}

void ToScreenForm(TramoT& t) {
    if (t.Type == kTypeFromSector) {
        t.Class = kScreenClassOtherSector;
        t.Type = kTypeNetwork;
    } else if (t.Type == kTypeToSector) {
        t.Type = kScreenTypeToSector;
    }
}

void ToStoredForm(TramoT& t) {
    if (t.Class == kScreenClassOtherSector) {
        t.Class = kClassNotInvestigated;
        t.Type = kTypeFromSector;
    } else if (t.Type == kScreenTypeToSector) {
        t.Type = kTypeToSector;
    }
}

int FirstNonFiniteEntry(const TramoT& t) {
    const std::pair<int, float> values[] = {{52, t.GroundUp},
                                            {56, t.GroundDown},
                                            {60, t.Length},
                                            {64, t.ReliefFactor},
                                            {68, t.Area},
                                            {88, t.PointFlow},
                                            {96, t.CrownUp},
                                            {100, t.Diameter},
                                            {104, t.Slope},
                                            {108, t.CrownDown},
                                            {124, t.StormArea},
                                            {136, t.SanitaryZone},
                                            {164, t.MinimumDepth},
                                            {176, t.FutureArea},
                                            {180, t.ManningN},
                                            {200, t.InFlow},
                                            {204, t.InInfiltration},
                                            {208, t.InPopulation},
                                            {216, t.Runoff},
                                            {224, t.InRealArea},
                                            {228, t.InEquivalentArea},
                                            {232, t.StormAreaTime},
                                            {236, t.InOriginTime},
                                            {240, t.InReachTime},
                                            {356, t.RemoveExisting},
                                            {364, t.RasZone},
                                            {368, t.IndustrialVelocity}};
    for (const auto& [off, v] : values)
        if (!std::isfinite(v)) return off;
    return -1;
}

double SlopeFromCrowns(double crownUp, double crownDown, double length) {
    if (length == 0) return 0;
    return std::trunc(NudgeAway((crownUp - crownDown) / length * 100 * 1000)) / 1000;
}

bool SlopeIsNormal(double slope) {
    return slope > 0 && slope <= 999;
}

double CrownDownFromSlope(double crownUp, double length, double slope) {
    double down = std::trunc(Nudge((crownUp - length * slope / 100) * 100 + 0.5)) / 100;
    return down == 0 ? 0.001 : down;
}

}  // namespace nivex::network
