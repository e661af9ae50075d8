// The verb "calc": the hydraulics of one pipe or duct, with the criteria of a project or
// those of a new one.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

#include "cli/batch_rig.h"

namespace nivex::cli {
namespace {

class BatchCalc : public BatchProjectTest {
  protected:
    BatchOutcome calc(std::vector<std::string> args) {
        args.insert(args.begin(), "calc");
        return batch(args);
    }
    static double number(const BatchOutcome& r, const std::string& key) {
        const std::string text = valueOf(r.out, key);
        size_t used = 0;
        const double v = std::stod(text, &used);
        EXPECT_EQ(used, text.size()) << key << ": " << text;
        return v;
    }
};

TEST_F(BatchCalc, FullPipeFollowsManning) {
    const BatchOutcome r = calc({"--diameter", "300", "--slope", "0.5", "--n", "0.013"});
    ASSERT_EQ(r.rc, 0) << r.err;
    const double v = std::pow(0.3 / 4, 2.0 / 3.0) * std::sqrt(0.005) / 0.013;
    EXPECT_NEAR(number(r, "V0"), v, v * 1e-3);
    EXPECT_NEAR(number(r, "Q0"), 1000 * std::numbers::pi * 0.09 / 4 * v, 1000 * 0.0707 * v * 1e-3);
    EXPECT_EQ(valueOf(r.out, "seccion"), "circular");
    EXPECT_EQ(valueOf(r.out, "y/D"), "<missing y/D>");  // no flow, no partial flow
    const BatchOutcome duct = calc({"--diameter", "3000", "--slope", "0.5", "--n", "0.013"});
    EXPECT_EQ(valueOf(duct.out, "seccion"), "ducto cuadrado");
}

TEST_F(BatchCalc, PartialFlowInBothModes) {
    const BatchOutcome full = calc({"--diameter", "300", "--slope", "0.5", "--n", "0.013"});
    const std::string half = std::to_string(number(full, "Q0") / 2);
    const BatchOutcome one =
        calc({"--diameter", "300", "--slope", "0.5", "--n", "0.013", "--flow", half});
    ASSERT_EQ(one.rc, 0) << one.err;
    EXPECT_NEAR(number(one, "q"), 0.5, 1e-5);
    EXPECT_NEAR(number(one, "y/D"), 0.5, 2e-3);  // half the flow at about half the depth
    EXPECT_NEAR(number(one, "V"), number(one, "V0"), 2e-3 * number(one, "V0"));
    for (const char* key : {"tau", "Froude", "Z"})
        EXPECT_GT(number(one, key), 0) << key;
    // With a constant n, R and the hydraulic depth are those of the wetted segment at the
    // listed depth: θ = 2·acos(1 − 2y), R = D/4·(1 − sin θ/θ), A/T = D/8·(θ − sin θ)/sin(θ/2).
    const double y = number(one, "y/D"), theta = 2 * std::acos(1 - 2 * y);
    const double radius = 0.3 / 4 * (1 - std::sin(theta) / theta);
    EXPECT_NEAR(number(one, "tau"), 1000 * radius * 0.005, 0.0051);  // two decimals
    const double depth = 0.3 / 8 * (theta - std::sin(theta)) / std::sin(theta / 2);
    EXPECT_NEAR(number(one, "Froude"), number(one, "V") / std::sqrt(9.81 * depth), 1e-4);
    const BatchOutcome variable = calc({"--diameter", "300", "--slope", "0.5", "--n", "0.013",
                                        "--flow", half, "--modo", "variable"});
    EXPECT_NEAR(number(variable, "y/D"), 0.561, 1e-3);
    EXPECT_NEAR(number(variable, "Froude"), number(variable, "V") / std::sqrt(9.81 * 0.3 * 0.458),
                1e-3);
}

TEST_F(BatchCalc, SlopeAndDiameterForAFilling) {
    const BatchOutcome slope =
        calc({"--diameter", "300", "--n", "0.013", "--flow", "20", "--llenado", "0.6"});
    ASSERT_EQ(slope.rc, 0) << slope.err;
    const std::string s = valueOf(slope.out, "pendiente");
    const BatchOutcome back = calc({"--diameter", "300", "--slope", s, "--n", "0.013"});
    EXPECT_NEAR(number(back, "Q0") * 0.6, 20, 20 * 1e-3);

    const BatchOutcome size =
        calc({"--slope", s, "--n", "0.013", "--flow", "20", "--llenado", "0.6"});
    ASSERT_EQ(size.rc, 0) << size.err;
    EXPECT_NEAR(number(size, "diametro"), 300, 0.5);
    EXPECT_EQ(valueOf(size.out, "comercial"), "327");  // the next size of the default list
}

TEST_F(BatchCalc, ProjectCriteriaApply) {
    ASSERT_EQ(batch({"--project", "AB1", "criteria", "set", "r0.42=0.011"}).rc, 0);
    const BatchOutcome own = calc({"--project", "AB1", "--diameter", "300", "--slope", "0.5"});
    ASSERT_EQ(own.rc, 0) << own.err;
    EXPECT_EQ(valueOf(own.out, "n"), "0.011");
    const BatchOutcome fresh = calc({"--diameter", "300", "--slope", "0.5"});
    EXPECT_EQ(valueOf(fresh.out, "n"), "0.009");

    const std::vector<std::string> reach = {"--diameter", "300",   "--slope", "0.5",
                                            "--n",        "0.013", "--flow",  "20"};
    auto withProject = reach;
    withProject.insert(withProject.begin(), {"--project", "AB1"});
    const double before = number(calc(withProject), "Z");
    EXPECT_DOUBLE_EQ(before, number(calc(reach), "Z"));  // a new project's 25 °C, 250 mg/l
    ASSERT_EQ(batch({"--project", "AB1", "criteria", "set", "r0.18=30"}).rc, 0);
    EXPECT_NEAR(number(calc(withProject), "Z") / before, std::pow(1.07, 5), 1e-4);

    EXPECT_EQ(calc({"--project", "ZZ1", "--diameter", "300", "--slope", "0.5"}).rc, 1);
}

TEST_F(BatchCalc, BadNumbersAreRefused) {
    struct Case {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{"--diameter", "abc", "--slope", "0.5"},
         "Error: --diameter debe ser un numero mayor que 0"},
        {{"--diameter", "-300", "--slope", "0.5"},
         "Error: --diameter debe ser un numero mayor que 0"},
        {{"--diameter", "300", "--slope", "0,5"}, "Error: --slope debe ser un numero mayor que 0"},
        {{"--diameter", "300", "--slope", "1e999"},
         "Error: --slope debe ser un numero mayor que 0"},
        {{"--diameter", "300", "--slope", "0.5", "--n", "0"},
         "Error: --n debe ser un numero mayor que 0"},
        {{"--diameter", "300", "--slope", "0.5", "--flow", "-1"},
         "Error: --flow debe ser un numero no negativo"},
        {{"--diameter", "300"}, "Error: calc necesita --diameter y --slope"},
        {{"--diameter", "300", "--flow", "2", "--llenado", "1.2"},
         "Error: --llenado debe ser un numero mayor que 0 y no mayor que 1"},
        {{"--diameter", "300", "--llenado", "0.6"}, "Error: con --llenado, --flow debe ser"},
        {{"--diameter", "300", "--slope", "1", "--flow", "2", "--llenado", "0.6"},
         "Error: con --llenado se da --diameter"},
        {{"--diameter", "300", "--slope", "1", "--modo", "otro"},
         "Error: --modo debe ser uno o variable"},
    };
    for (const Case& c : cases) {
        const BatchOutcome r = calc(c.args);
        EXPECT_EQ(r.rc, 2) << c.message;
        EXPECT_EQ(r.err.rfind(c.message, 0), 0u) << r.err;
        EXPECT_TRUE(r.out.empty()) << r.out;
    }
    EXPECT_EQ(calc({"--diameter"}).rc, 2);  // the option without its value
}

TEST_F(BatchCalc, ASectionWithoutAFiniteAnswerIsRefusedNotPrinted) {
    // Manning's Q0 of a 1e30 mm section passes what a float holds; a section of 1e-30 mm
    // carries no flow, so any flow fills it infinitely; and no slope at all makes 1e30 l/s
    // pass through 1e-20 mm.
    struct Case {
        std::vector<std::string> args;
        const char* value;
    } cases[] = {
        {{"--diameter", "1e30", "--slope", "1"}, "Q0"},
        {{"--diameter", "1e-30", "--slope", "1", "--flow", "1"}, "q"},
        {{"--diameter", "1e-20", "--flow", "1e30", "--llenado", "1"}, "pendiente"},
    };
    for (const Case& c : cases) {
        const BatchOutcome r = calc(c.args);
        EXPECT_EQ(r.rc, 1) << c.value;
        EXPECT_EQ(r.out, "") << c.value;
        EXPECT_NE(r.err.find(std::string("no da un valor finito de ") + c.value), std::string::npos)
            << r.err;
    }
}

}  // namespace
}  // namespace nivex::cli
