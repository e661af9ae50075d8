#include "design/hydraulic_tables.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace nivex::design {
namespace {

// y/D by q = k/100, variable n (k = 1 … 100).
constexpr float kYdVar[100] = {
    0.061f, 0.099f, 0.126f, 0.148f, 0.168f, 0.185f, 0.200f, 0.215f, 0.228f, 0.241f, 0.253f, 0.264f,
    0.275f, 0.286f, 0.296f, 0.306f, 0.316f, 0.325f, 0.334f, 0.343f, 0.352f, 0.361f, 0.369f, 0.377f,
    0.385f, 0.393f, 0.401f, 0.409f, 0.417f, 0.424f, 0.432f, 0.439f, 0.446f, 0.453f, 0.460f, 0.468f,
    0.475f, 0.482f, 0.488f, 0.495f, 0.502f, 0.509f, 0.516f, 0.522f, 0.529f, 0.535f, 0.542f, 0.549f,
    0.555f, 0.561f, 0.568f, 0.574f, 0.581f, 0.587f, 0.594f, 0.600f, 0.606f, 0.613f, 0.619f, 0.625f,
    0.632f, 0.638f, 0.644f, 0.651f, 0.657f, 0.663f, 0.670f, 0.676f, 0.683f, 0.689f, 0.695f, 0.702f,
    0.708f, 0.715f, 0.721f, 0.728f, 0.735f, 0.741f, 0.748f, 0.755f, 0.761f, 0.768f, 0.775f, 0.782f,
    0.789f, 0.796f, 0.804f, 0.811f, 0.818f, 0.823f, 0.834f, 0.842f, 0.850f, 0.858f, 0.867f, 0.875f,
    0.884f, 0.894f, 0.904f, 0.914f};

// Hydraulic depth over diameter (A/T)/D by q = k/100 (k = 1 … 100).
constexpr float kDhVar[100] = {
    0.041f, 0.067f, 0.086f, 0.102f, 0.116f, 0.128f, 0.140f, 0.151f, 0.161f, 0.170f, 0.179f, 0.188f,
    0.197f, 0.205f, 0.213f, 0.221f, 0.229f, 0.236f, 0.244f, 0.251f, 0.258f, 0.266f, 0.273f, 0.280f,
    0.287f, 0.294f, 0.300f, 0.307f, 0.314f, 0.321f, 0.328f, 0.334f, 0.341f, 0.348f, 0.354f, 0.361f,
    0.368f, 0.374f, 0.381f, 0.388f, 0.395f, 0.402f, 0.408f, 0.415f, 0.422f, 0.429f, 0.436f, 0.443f,
    0.450f, 0.458f, 0.465f, 0.472f, 0.479f, 0.487f, 0.494f, 0.502f, 0.510f, 0.518f, 0.526f, 0.534f,
    0.542f, 0.550f, 0.559f, 0.568f, 0.576f, 0.585f, 0.595f, 0.604f, 0.614f, 0.623f, 0.633f, 0.644f,
    0.654f, 0.665f, 0.677f, 0.688f, 0.700f, 0.713f, 0.725f, 0.739f, 0.753f, 0.767f, 0.783f, 0.798f,
    0.815f, 0.833f, 0.852f, 0.871f, 0.892f, 0.915f, 0.940f, 0.966f, 0.995f, 1.027f, 1.063f, 1.103f,
    1.149f, 1.202f, 1.265f, 1.344f};

// Relative area A/D² by y/D = k/100 (k = 1 … 100).
constexpr float kArea[100] = {
    0.0013f, 0.0037f, 0.0069f, 0.0105f, 0.0147f, 0.0192f, 0.0242f, 0.0294f, 0.0350f, 0.0409f,
    0.0470f, 0.0534f, 0.0600f, 0.0668f, 0.0739f, 0.0811f, 0.0885f, 0.0961f, 0.1039f, 0.1118f,
    0.1199f, 0.1281f, 0.1365f, 0.1449f, 0.1535f, 0.1623f, 0.1711f, 0.1800f, 0.1890f, 0.1982f,
    0.2074f, 0.2167f, 0.2260f, 0.2355f, 0.2450f, 0.2546f, 0.2642f, 0.2739f, 0.2836f, 0.2934f,
    0.3032f, 0.3132f, 0.3229f, 0.3328f, 0.3428f, 0.3527f, 0.3627f, 0.3727f, 0.3827f, 0.3927f,
    0.4027f, 0.4127f, 0.4227f, 0.4327f, 0.4426f, 0.4526f, 0.4625f, 0.4723f, 0.4822f, 0.4920f,
    0.5018f, 0.5115f, 0.5212f, 0.5308f, 0.5404f, 0.5499f, 0.5594f, 0.5687f, 0.5780f, 0.5872f,
    0.5964f, 0.6054f, 0.6143f, 0.6231f, 0.6318f, 0.6404f, 0.6489f, 0.6573f, 0.6655f, 0.6736f,
    0.6815f, 0.6893f, 0.6969f, 0.7043f, 0.7115f, 0.7186f, 0.7254f, 0.7320f, 0.7380f, 0.7445f,
    0.7504f, 0.7560f, 0.7612f, 0.7662f, 0.7707f, 0.7749f, 0.7785f, 0.7816f, 0.7841f, 0.7854f};

// Critical section factor Q/√(g·D⁵) by yc/D = k/100 (k = 1 … 99).
constexpr float kSectionFactor[99] = {
    0.0001f, 0.0004f, 0.0010f, 0.0017f, 0.0027f, 0.0039f, 0.0053f, 0.0069f, 0.0087f, 0.0107f,
    0.0129f, 0.0153f, 0.0179f, 0.0207f, 0.0238f, 0.0270f, 0.0304f, 0.0339f, 0.0378f, 0.0418f,
    0.0460f, 0.0503f, 0.0549f, 0.0597f, 0.0646f, 0.0697f, 0.0751f, 0.0805f, 0.0862f, 0.0921f,
    0.0981f, 0.1044f, 0.1107f, 0.1172f, 0.1241f, 0.1310f, 0.1381f, 0.1453f, 0.1528f, 0.1603f,
    0.1682f, 0.1761f, 0.1844f, 0.1927f, 0.2011f, 0.2098f, 0.2186f, 0.2275f, 0.2366f, 0.2459f,
    0.2553f, 0.2650f, 0.2748f, 0.2848f, 0.2949f, 0.3051f, 0.3158f, 0.3263f, 0.3373f, 0.3484f,
    0.3599f, 0.3710f, 0.3830f, 0.3945f, 0.4066f, 0.4188f, 0.4309f, 0.4437f, 0.4566f, 0.4694f,
    0.4831f, 0.4964f, 0.5100f, 0.5248f, 0.5392f, 0.5540f, 0.5695f, 0.5850f, 0.6011f, 0.6177f,
    0.6347f, 0.6524f, 0.6707f, 0.6897f, 0.7098f, 0.7307f, 0.7528f, 0.7754f, 0.8016f, 0.8285f,
    0.8586f, 0.8917f, 0.9292f, 0.9725f, 1.0242f, 1.0888f, 1.1752f, 1.3050f, 1.5554f};

// R0/R by q = k/100 (k = 0 … 100). The value at 0.24 is 1.277: the curve falls
// smoothly from 1.305 to 1.251 there (1.227 would repeat the value at 0.26).
constexpr float kR0R[101] = {
    8.713f, 8.713f, 5.591f, 4.270f, 3.570f, 3.126f, 2.803f, 2.556f, 2.361f, 2.202f, 2.069f, 1.959f,
    1.864f, 1.780f, 1.708f, 1.642f, 1.585f, 1.532f, 1.483f, 1.441f, 1.403f, 1.368f, 1.335f, 1.305f,
    1.277f, 1.251f, 1.227f, 1.204f, 1.182f, 1.162f, 1.144f, 1.127f, 1.110f, 1.095f, 1.080f, 1.066f,
    1.052f, 1.040f, 1.028f, 1.016f, 1.005f, 0.995f, 0.985f, 0.975f, 0.966f, 0.957f, 0.949f, 0.941f,
    0.933f, 0.926f, 0.919f, 0.912f, 0.906f, 0.900f, 0.894f, 0.888f, 0.883f, 0.878f, 0.873f, 0.868f,
    0.864f, 0.860f, 0.856f, 0.852f, 0.849f, 0.845f, 0.842f, 0.839f, 0.837f, 0.834f, 0.832f, 0.830f,
    0.828f, 0.827f, 0.825f, 0.824f, 0.823f, 0.822f, 0.822f, 0.822f, 0.822f, 0.822f, 0.822f, 0.822f,
    0.823f, 0.824f, 0.825f, 0.827f, 0.829f, 0.831f, 0.833f, 0.836f, 0.840f, 0.844f, 0.848f, 0.854f,
    0.861f, 0.869f, 0.880f, 0.895f, 1.000f};

// R/R0 by q = k/100 (k = 0 … 103).
constexpr float kRR0[104] = {
    0.090f, 0.195f, 0.273f, 0.328f, 0.375f, 0.415f, 0.452f, 0.485f, 0.515f, 0.542f, 0.568f, 0.592f,
    0.615f, 0.637f, 0.658f, 0.678f, 0.697f, 0.715f, 0.732f, 0.748f, 0.764f, 0.779f, 0.794f, 0.809f,
    0.822f, 0.836f, 0.849f, 0.862f, 0.874f, 0.885f, 0.897f, 0.908f, 0.918f, 0.929f, 0.939f, 0.949f,
    0.959f, 0.968f, 0.978f, 0.987f, 0.996f, 1.004f, 1.013f, 1.021f, 1.029f, 1.037f, 1.045f, 1.052f,
    1.059f, 1.067f, 1.074f, 1.080f, 1.087f, 1.093f, 1.100f, 1.106f, 1.112f, 1.118f, 1.124f, 1.129f,
    1.135f, 1.140f, 1.145f, 1.150f, 1.155f, 1.159f, 1.164f, 1.168f, 1.173f, 1.177f, 1.181f, 1.184f,
    1.188f, 1.191f, 1.194f, 1.197f, 1.200f, 1.202f, 1.205f, 1.207f, 1.209f, 1.211f, 1.213f, 1.214f,
    1.215f, 1.216f, 1.217f, 1.217f, 1.217f, 1.217f, 1.217f, 1.216f, 1.215f, 1.214f, 1.213f, 1.211f,
    1.209f, 1.206f, 1.202f, 1.198f, 1.193f, 1.187f, 1.179f, 1.168f};

// Depth factor of ducts in variable mode at x = 0.0, 0.1, …, 1.0.
constexpr double kDuctFactor[11] = {0.00, 0.82, 0.79, 0.78, 0.79, 0.81,
                                    0.83, 0.85, 0.88, 0.94, 1.00};

double Round4(double v) {
    return std::round(v * 10000.0) / 10000.0;
}

struct AngleTables {
    std::array<float, 100> halfAngle{};
    std::array<float, 100> topWidth{};
};

const AngleTables& Angles() {
    static const AngleTables t = [] {
        AngleTables a;
        for (int k = 1; k <= 100; ++k) {
            const double half = std::acos(1.0 - 2.0 * (k / 100.0));
            a.halfAngle[static_cast<size_t>(k - 1)] = static_cast<float>(Round4(half));
            a.topWidth[static_cast<size_t>(k - 1)] = static_cast<float>(Round4(std::sin(half)));
        }
        return a;
    }();
    return t;
}

struct CircularTables {
    std::array<float, kCircularEntries> qByDepth{};
    std::array<float, kCircularEntries> depthByFlow{};
    std::array<float, kCircularEntries> velocityByFlow{};
};

// Entry k of each table at the first angle whose abscissa exceeds k/100; an entry the
// sweep never reaches keeps the value at the end of the sweep (a full pipe).
const CircularTables& Circular() {
    static const CircularTables t = [] {
        CircularTables c;
        int nextByDepth = 1, nextByFlow = 1;
        double yd = 0, qq = 0, vv = 0;
        for (int step = 1; step <= 36000; ++step) {
            const double theta = (step / 100.0) * std::numbers::pi / 180.0;
            yd = (1.0 - std::cos(theta / 2.0)) / 2.0;
            const double area = (theta - std::sin(theta)) / (2.0 * std::numbers::pi);
            vv = std::pow(1.0 - std::sin(theta) / theta, 2.0 / 3.0);
            qq = area * vv;
            while (nextByDepth <= kCircularEntries && yd > nextByDepth / 100.0)
                c.qByDepth[static_cast<size_t>(nextByDepth++ - 1)] = static_cast<float>(qq);
            while (nextByFlow <= kCircularEntries && qq > nextByFlow / 100.0) {
                c.depthByFlow[static_cast<size_t>(nextByFlow - 1)] = static_cast<float>(yd);
                c.velocityByFlow[static_cast<size_t>(nextByFlow - 1)] = static_cast<float>(vv);
                ++nextByFlow;
            }
        }
        for (; nextByDepth <= kCircularEntries; ++nextByDepth)
            c.qByDepth[static_cast<size_t>(nextByDepth - 1)] = static_cast<float>(qq);
        for (; nextByFlow <= kCircularEntries; ++nextByFlow) {
            c.depthByFlow[static_cast<size_t>(nextByFlow - 1)] = static_cast<float>(yd);
            c.velocityByFlow[static_cast<size_t>(nextByFlow - 1)] = static_cast<float>(vv);
        }
        return c;
    }();
    return t;
}

// x at value k/100 of a forward table: linear between the first tabulated x whose value
// exceeds it and the one before; 0 when that is the first point; 1 at 1.00.
std::array<float, 101> Inverted(const std::array<float, 101>& forward) {
    std::array<float, 101> inverse{};
    for (int k = 1; k < 100; ++k) {
        const double target = k / 100.0;
        int j = 1;
        while (j <= 100 && !(forward[static_cast<size_t>(j)] > target))
            ++j;
        if (j > 100) {
            inverse[static_cast<size_t>(k)] = 1.0f;
        } else if (j > 1) {
            const double below = forward[static_cast<size_t>(j - 1)];
            const double above = forward[static_cast<size_t>(j)];
            inverse[static_cast<size_t>(k)] =
                static_cast<float>((j - 1 + (target - below) / (above - below)) / 100.0);
        }
    }
    inverse[100] = 1.0f;
    return inverse;
}

DuctRelations BuildDuct(bool variable) {
    DuctRelations d;
    for (int k = 1; k <= 100; ++k) {
        const double x = k / 100.0;
        const double factor = variable ? DuctDepthFactor(x) : 1.0;
        const double radius = std::pow(3.0 * x / (1.0 + 2.0 * x), 2.0 / 3.0);
        d.flowByDepth[static_cast<size_t>(k)] = static_cast<float>(factor * x * radius);
        d.velocityByDepth[static_cast<size_t>(k)] = static_cast<float>(factor * radius);
    }
    d.depthByFlow = Inverted(d.flowByDepth);
    d.depthByVelocity = Inverted(d.velocityByDepth);
    return d;
}

}  // namespace

RatioTable YdVarTable() {
    return {kYdVar, 1, 100};
}
RatioTable DhVarTable() {
    return {kDhVar, 1, 100};
}
RatioTable HalfAngleTable() {
    return {Angles().halfAngle.data(), 1, 100};
}
RatioTable TopWidthTable() {
    return {Angles().topWidth.data(), 1, 100};
}
RatioTable AreaTable() {
    return {kArea, 1, 100};
}
RatioTable SectionFactorTable() {
    return {kSectionFactor, 1, 99};
}
RatioTable R0RTable() {
    return {kR0R, 0, 100};
}
RatioTable RR0Table() {
    return {kRR0, 0, 103};
}
RatioTable QdConstTable() {
    return {Circular().qByDepth.data(), 1, kCircularEntries};
}
RatioTable YqConstTable() {
    return {Circular().depthByFlow.data(), 1, kCircularEntries};
}
RatioTable VqConstTable() {
    return {Circular().velocityByFlow.data(), 1, kCircularEntries};
}

double DuctDepthFactor(double x) {
    if (!(x >= 0.05) || x >= 1.0) return 1.0;
    const int segment = static_cast<int>(std::ceil(x * 10.0)) - 1;  // largest tenth below x
    const double low = kDuctFactor[segment], high = kDuctFactor[segment + 1];
    return low + (high - low) * (x * 10.0 - segment);
}

const DuctRelations& DuctTables(bool variable) {
    static const DuctRelations constant = BuildDuct(false);
    static const DuctRelations varying = BuildDuct(true);
    return variable ? varying : constant;
}

float InverseLookup(const RatioTable& t, double v, float none) {
    // The tables searched are ascending: the first entry above v by bisection.
    const float* begin = t.values;
    const float* end = t.values + (t.last - t.first + 1);
    const float* above =
        std::upper_bound(begin, end, v, [](double x, float entry) { return x < entry; });
    if (above == end) return none;
    const int i = t.first + static_cast<int>(above - begin);
    if (i == t.first) return 0.01f;
    const double below = t.at(i - 1), high = t.at(i);
    return static_cast<float>(((i - 1) + (v - below) / (high - below)) / 100.0);
}

void LoadHydraulicTables() {
    (void)Angles();
    (void)Circular();
    (void)DuctTables(false);
    (void)DuctTables(true);
}

}  // namespace nivex::design
