#include "network/reach_rules.h"

#include <gtest/gtest.h>

#include "console/codepage.h"

namespace nivex::network {
namespace {

ReachContext Context(int kind = 2, int designClass = 2) {
    ReachContext c;
    c.espec = specs::DefaultEspec();
    c.espec.SystemKind = kind;
    c.designClass = designClass;
    c.sector = 0;  // no sectors
    c.lineCount = 5;
    return c;
}

TramoT ValidReach() {
    TramoT t;
    t.Upstream = "P1";
    t.Downstream = "P2";
    t.GroundUp = 102;
    t.GroundDown = 101;
    t.Length = 100;
    t.SanitaryZone = 1;
    return t;
}

TEST(ReachRules, LineIsKeptWithinTheFile) {
    ReachContext c = Context();
    EXPECT_EQ(ClampLine(0, c), 1);
    EXPECT_EQ(ClampLine(6, c), 6);
    EXPECT_EQ(ClampLine(40, c), 6);
    c.fromSwmm = true;
    EXPECT_EQ(ClampLine(40, c), 5);
    c.lineCount = kMaxLines;
    c.fromSwmm = false;
    EXPECT_EQ(NextFreeLine(c), kMaxLines);
    EXPECT_EQ(LineLimitStatus(c), "Se llego al mayor numero de lineas (10000)");
    EXPECT_EQ(LineBeyondLimit(10000), "");
    EXPECT_EQ(LineBeyondLimit(10001), "ERROR...El mayor numero de tramos (lineas) es de 10000");
}

TEST(ReachRules, Names) {
    EXPECT_EQ(ManholeName("p1a"), "P1A");
    EXPECT_EQ(ManholeName(cp("ñu")), cp("ÑU"));
    EXPECT_FALSE(ManholeName(""));
    EXPECT_FALSE(ManholeName("ABCDEF"));
    EXPECT_FALSE(ManholeName(" AB"));
    EXPECT_FALSE(ManholeName("A\tB"));
    EXPECT_EQ(UpstreamRule("", false), "ERROR...Debe introducir el dato");
    EXPECT_EQ(UpstreamRule("", true), "");
    EXPECT_EQ(DownstreamRule("P1", "", false), "ERROR...Debe introducir el dato");
    EXPECT_EQ(DownstreamRule("P1", "P1", false), "ERROR...Nomenclatura incorrecta");
    EXPECT_EQ(DownstreamRule("P1", "P2", false), "");
}

TEST(ReachRules, ZoneContributionAndField5) {
    ReachContext c = Context(2, 2);
    c.espec.ZoneCount = 3;
    EXPECT_EQ(ZoneRule(3, c, false), "");
    EXPECT_EQ(ZoneRule(4, c, false), "ERROR...Usar entre 1 y 3");
    EXPECT_EQ(ZoneRule(0, c, false), "ERROR...Usar entre 1 y 3");
    EXPECT_EQ(ZoneRule(0, c, true), "");
    EXPECT_EQ(ContributionRule(0), "ERROR...Usar minimo 1");
    EXPECT_EQ(ContributionRule(1), "");

    EXPECT_EQ(RainFieldForm(c), RainField::None);
    c = Context(3, 3);
    c.espec.EquationCount = 3;
    EXPECT_EQ(RainFieldForm(c), RainField::Equation);
    EXPECT_EQ(RainRule(3, c, false), "");
    EXPECT_EQ(RainRule(4, c, false), "ERROR...Usar entre 1 y 3");
    EXPECT_EQ(RainRule(0, c, true), "");
    c.designClass = 8;
    EXPECT_EQ(RainFieldForm(c), RainField::None);
    c.espec.SeriesCount = 2;
    EXPECT_EQ(RainFieldForm(c), RainField::Series);
    EXPECT_EQ(RainRule(3, c, false), "ERROR...Usar entre 1 y 2");
    c.espec.RasRainfallModel = 1;
    EXPECT_EQ(RainFieldForm(c), RainField::RasZone);
    EXPECT_EQ(RainRule(1, c, false), "");
    EXPECT_EQ(RainRule(2, c, false), "ERROR...Usar Cero o Uno");
    c.espec.SystemKind = 2;
    EXPECT_EQ(RainFieldForm(c), RainField::Series);
}

TEST(ReachRules, GroundsLengthManningAndIndustrialVelocity) {
    EXPECT_EQ(GroundUpRule(0), "ERROR...Introduzca Cota Rasante Superior");
    EXPECT_EQ(GroundDownRule(0), "ERROR...Introduzca Cota Rasante Inferior");
    EXPECT_EQ(GroundUpRule(-3), "");
    EXPECT_EQ(LengthRule(0), "ERROR...Introduzca la longitud");
    EXPECT_EQ(LengthRule(0.01), "");
    const std::string manning =
        "ERROR...El coeficiente de Manning debe ser mayor de 0.008 y menor de 0.016";
    EXPECT_EQ(ManningNRule(0.009), "");
    EXPECT_EQ(ManningNRule(0.015), "");
    EXPECT_EQ(ManningNRule(0.0089), manning);
    EXPECT_EQ(ManningNRule(0.0151), manning);

    const ReachContext sanitary = Context(2);
    EXPECT_EQ(IndustrialVelocityRule(0, sanitary), "");
    EXPECT_EQ(IndustrialVelocityRule(0.5, sanitary), "");
    EXPECT_EQ(IndustrialVelocityRule(1.0, sanitary), "");
    EXPECT_EQ(IndustrialVelocityRule(0.49, sanitary),
              "ERROR...El Valor debe estar comprendido entre 0.50 y 1.00 o ser Cero)");
    EXPECT_EQ(IndustrialVelocityRule(1.01, sanitary),
              "ERROR...El Valor debe estar comprendido entre 0.50 y 1.00 o ser Cero)");
    const ReachContext storm = Context(4, 4);
    EXPECT_EQ(IndustrialVelocityRule(0.7, storm), "ERROR...El Valor debe ser cero ");
    EXPECT_EQ(IndustrialVelocityRule(0, storm), "");
}

TEST(ReachRules, FieldsFollowKindAndClass) {
    TramoT t;
    ReachContext c = Context(1, 1);
    EXPECT_FALSE(FieldApplies(kFieldArea, t, c));
    EXPECT_FALSE(FieldApplies(kFieldZone, t, c));
    c.espec.ZoneCount = 2;
    EXPECT_TRUE(FieldApplies(kFieldZone, t, c));
    EXPECT_TRUE(FieldApplies(kFieldMinimumDepth, t, c));
    EXPECT_FALSE(FieldApplies(kFieldCrownUp, t, c));
    EXPECT_FALSE(FieldApplies(kFieldStormArea, t, c));
    EXPECT_FALSE(FieldApplies(kFieldContribution, t, c));

    c = Context(4, 4);
    c.espec.ZoneCount = 2;
    EXPECT_FALSE(FieldApplies(kFieldZone, t, c));
    EXPECT_FALSE(FieldApplies(kFieldPointFlow, t, c));
    EXPECT_TRUE(FieldApplies(kFieldRunoff, t, c));
    EXPECT_FALSE(FieldApplies(kFieldReliefFactor, t, c));
    EXPECT_FALSE(FieldApplies(kFieldStormAreaTime, t, c));
    t.StormArea = 2;
    EXPECT_TRUE(FieldApplies(kFieldStormAreaTime, t, c));
    t.StormArea = 0;
    ApplyStormArea(t);
    EXPECT_FALSE(FieldApplies(kFieldStormAreaTime, t, c));

    c = Context(5, 5);
    EXPECT_TRUE(FieldApplies(kFieldContribution, t, c));
    EXPECT_TRUE(FieldApplies(kFieldReliefFactor, t, c));

    t.Class = kClassExisting;
    EXPECT_TRUE(FieldApplies(kFieldSlope, t, c));
    EXPECT_TRUE(FieldApplies(kFieldManningN, t, c));
    EXPECT_FALSE(FieldApplies(kFieldMinimumDepth, t, c));
    t.Class = kClassRestricted;
    EXPECT_FALSE(FieldApplies(kFieldManningN, t, c));
    t.Class = kClassNotInvestigated;
    EXPECT_FALSE(FieldApplies(kFieldSlope, t, c));
    EXPECT_TRUE(FieldApplies(kFieldDiameter, t, c));

    t.Class = kScreenClassOtherSector;
    EXPECT_EQ(GroupFirst(t), kFieldType);
    EXPECT_EQ(GroupLast(t), kFieldSourceSector);
    EXPECT_FALSE(FieldApplies(kFieldCrownUp, t, c));
    EXPECT_TRUE(FieldApplies(kFieldInDiameter, t, c));
    EXPECT_TRUE(FieldApplies(kFieldInFlow, t, c));
    EXPECT_TRUE(FieldApplies(kFieldInRealArea, t, c));
    EXPECT_FALSE(FieldApplies(kFieldInRealArea, t, Context(2)));
    EXPECT_FALSE(FieldApplies(kFieldInFlow, t, Context(4, 4)));

    c.fromSwmm = true;
    EXPECT_FALSE(FieldApplies(kFieldUpstream, t, c));
    EXPECT_FALSE(FieldApplies(kFieldType, t, c));
}

TEST(ReachRules, ClassFourAndSectors) {
    ReachContext c = Context();
    EXPECT_TRUE(ClassRule(3, c).ok());
    EXPECT_EQ(ClassRule(4, c).message, "ERROR...Opcion Invalida. Este proyecto no maneja sectores");
    c.sector = 1;
    EXPECT_EQ(ClassRule(4, c).message, "ERROR...El sector 1 no admite la opcion: 4=De otro sector");
    c.sector = 3;
    const FieldResult r = ClassRule(4, c);
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(r.ask, ReachAsk::SourceSector);
    EXPECT_EQ(SourceSectorRule(2, c), "");
    EXPECT_EQ(SourceSectorRule(3, c), "ERROR...Debe ser menor que el sector corriente (3)");
    EXPECT_EQ(DestinationSectorRule(4, c), "");
    EXPECT_EQ(DestinationSectorRule(3, c), "ERROR...Debe ser mayor que el sector corriente (3)");

    EXPECT_EQ(TypeRule(4, c).ask, ReachAsk::DestinationSector);
    c.sector = 9;
    EXPECT_EQ(TypeRule(4, c).message,
              "ERROR...El sector 9 es el ultimo y no admite ir a otro sector");
    c.sector = 0;
    EXPECT_EQ(TypeRule(4, c).message, "ERROR...Opcion Invalida. Este proyecto no maneja sectores");
    EXPECT_TRUE(TypeRule(3, c).ok());

    // Only sectors the project has: sectors 1 to 3 made, the reach in sector 1 goes to
    // 2 or 3, never to 4; in sector 3, the last one, it goes nowhere.
    c.sector = 1;
    c.lastSector = 3;
    EXPECT_EQ(TypeRule(4, c).ask, ReachAsk::DestinationSector);
    EXPECT_EQ(DestinationSectorRule(2, c), "");
    EXPECT_EQ(DestinationSectorRule(3, c), "");
    EXPECT_EQ(DestinationSectorRule(4, c), "ERROR...No existe el sector 4 en este proyecto");
    EXPECT_EQ(DestinationSectorRule(1, c), "ERROR...Debe ser mayor que el sector corriente (1)");
    c.sector = 3;
    EXPECT_EQ(TypeRule(4, c).message,
              "ERROR...El sector 3 es el ultimo y no admite ir a otro sector");
    c.sector = 1;
    c.lastSector = 1;  // a project of one sector
    EXPECT_EQ(TypeRule(4, c).message,
              "ERROR...El sector 1 es el ultimo y no admite ir a otro sector");

    TramoT t = ValidReach();
    t.Type = kScreenTypeToSector;
    t.MinimumDepth = 1.5f;
    EXPECT_EQ(ApplyClass(t, kClassNew, kScreenClassOtherSector), "");
    EXPECT_EQ(t.Type, kTypeNetwork);
    EXPECT_EQ(t.MinimumDepth, 0);
    SettleSector(t);
    EXPECT_EQ(t.Sector, 1);
    t.Diameter = 300;
    t.InFlow = 4;
    ApplyClass(t, kScreenClassOtherSector, kClassNew);
    EXPECT_EQ(t.Diameter, 0);
    EXPECT_EQ(t.InFlow, 0);
    t.Class = kScreenClassOtherSector;
    ApplyType(t, kScreenTypeToSector);
    EXPECT_EQ(t.Class, kClassNew);
}

TEST(ReachRules, CrownsAndSlope) {
    TramoT t = ValidReach();
    t.Class = kClassExisting;
    EXPECT_EQ(CrownUpRule(t, 0), "ERROR...Introduzca Cota Clave Superior");
    EXPECT_EQ(CrownUpRule(t, 102), "ERROR...Debe estar por debajo de la Cota Rasante Superior");
    EXPECT_EQ(CrownUpRule(t, 100), "");
    t.CrownUp = 100;
    EXPECT_EQ(CrownDownRule(t, 0), "ERROR...Introduzca Cota Clave Inferior");
    EXPECT_EQ(CrownDownRule(t, 101), "ERROR...Debe estar por debajo de la Cota Rasante Inferior");
    EXPECT_EQ(CrownDownRule(t, 100), "ERROR...La clave inferior debe ser menor que la superior");
    EXPECT_EQ(CrownDownRule(t, 99), "");
    t.Class = kClassNotInvestigated;
    EXPECT_EQ(CrownUpRule(t, 0), "");
    EXPECT_EQ(CrownDownRule(t, 105), "");

    t.Class = kClassExisting;
    t.CrownDown = 99;
    RecomputeSlope(t);
    EXPECT_FLOAT_EQ(t.Slope, 1.0f);
    ApplySlope(t, 1.0, 2.0);
    EXPECT_FLOAT_EQ(t.CrownDown, 98.0f);
    ApplySlope(t, 2.0, 0.0);
    EXPECT_FLOAT_EQ(t.Slope, 2.0f);

    // Choosing the class computes the slope from the crowns, and refuses a flat reach.
    TramoT u = ValidReach();
    u.CrownUp = 100;
    u.CrownDown = 99;
    EXPECT_EQ(ApplyClass(u, kClassNew, kClassRestricted), "");
    EXPECT_FLOAT_EQ(u.Slope, 1.0f);
    u.CrownDown = 100;
    EXPECT_EQ(ApplyClass(u, kClassNew, kClassExisting),
              "ERROR...Pendiente anormal (0.000 %) - reintroduzca datos");
    EXPECT_EQ(u.CrownUp, 0);
    EXPECT_EQ(u.CrownDown, 0);
    EXPECT_EQ(u.Slope, 0);
    u.Slope = 3;
    ApplyClass(u, kClassExisting, kClassNotInvestigated);
    EXPECT_EQ(u.Slope, 0);
}

TEST(ReachRules, Diameters) {
    const ReachContext c = Context();
    AcceptedDiameters accepted;
    TramoT t = ValidReach();
    t.Class = kClassExisting;
    EXPECT_EQ(DiameterRule(t, 144, c, accepted, false).message,
              "ERROR...Diametro no puede ser menor de 145 mm o mayor de 9000 mm");
    EXPECT_EQ(DiameterRule(t, 9001, c, accepted, false).message,
              "ERROR...Diametro no puede ser menor de 145 mm o mayor de 9000 mm");
    EXPECT_TRUE(DiameterRule(t, 0, c, accepted, true).ok());
    EXPECT_EQ(DiameterRule(t, 284, c, accepted, false).ask, ReachAsk::None);
    EXPECT_EQ(DiameterRule(t, 3200, c, accepted, false).ask, ReachAsk::None);  // a duct
    const FieldResult ask = DiameterRule(t, 300, c, accepted, false);
    EXPECT_TRUE(ask.ok());
    EXPECT_EQ(ask.ask, ReachAsk::AcceptDiameter);
    accepted.accept(300);
    EXPECT_EQ(DiameterRule(t, 300, c, accepted, false).ask, ReachAsk::None);

    t.Class = kClassNotInvestigated;
    EXPECT_TRUE(DiameterRule(t, 100, c, accepted, false).ok());
    EXPECT_EQ(DiameterRule(t, 9001, c, accepted, false).message,
              "ERROR...Diametro no puede ser mayor de 9000 mm");
    t.Class = kClassRestricted;
    EXPECT_EQ(DiameterRule(t, 300, c, accepted, false).message,
              "ERROR...Diametro comercial no incluido");
    EXPECT_TRUE(DiameterRule(t, 3200, c, accepted, false).ok());

    EXPECT_EQ(InDiameterRule(284, c), "");
    EXPECT_EQ(InDiameterRule(3200, c), "ERROR...Diametro comercial no incluido");
    EXPECT_EQ(InEquivalentAreaRule(2, 2), "");
    EXPECT_EQ(InEquivalentAreaRule(2.01, 2),
              "ERROR...No puede ser mayor que el area real acumulada");
}

TEST(ReachRules, WholeReach) {
    ReachContext c = Context(5, 5);
    c.espec.ZoneCount = 2;
    c.espec.EquationCount = 2;
    TramoT t = ValidReach();
    t.Contribution = 1;
    t.RainNumber = 2;
    t.Class = kClassExisting;
    t.CrownUp = 100;
    t.CrownDown = 99;
    t.Diameter = 300;
    EXPECT_TRUE(WholeReachCheck(t, c).empty());
    EXPECT_EQ(WholeReachMessage({}), "");

    TramoT bad = t;
    bad.SanitaryZone = 3;
    bad.Length = 0;
    auto problems = WholeReachCheck(bad, c);
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_EQ(problems[0].field, kFieldZone);
    EXPECT_EQ(problems[1].field, kFieldLength);
    EXPECT_EQ(WholeReachMessage(problems),
              "ERROR => ...Informacion errada o incompleta => corrija!");

    bad = t;
    bad.Downstream = "P1";
    bad.CrownDown = 101.5f;
    problems = WholeReachCheck(bad, c);
    ASSERT_EQ(problems.size(), 3u);
    EXPECT_EQ(problems[0].field, kFieldDownstream);
    EXPECT_EQ(problems[1].field, kFieldCrownDown);
    EXPECT_EQ(problems[2].field, kFieldSlope);
    EXPECT_EQ(WholeReachMessage(problems),
              "ERROR => ...nomenclatura...prof.nudo(i)...pendiente => corrija!");

    bad = t;
    bad.Class = kScreenClassOtherSector;
    bad.CrownDown = 0;
    problems = WholeReachCheck(bad, c);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].field, kFieldInCrownDown);

    bad = t;
    bad.Contribution = 0;
    bad.RainNumber = 0;
    problems = WholeReachCheck(bad, c);
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_EQ(problems[0].field, kFieldRain);
    EXPECT_EQ(problems[1].field, kFieldContribution);
}

}  // namespace
}  // namespace nivex::network
