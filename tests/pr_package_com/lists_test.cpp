//! Every list of the package selected through the adapter, and the compound-level values
//! against the model called directly.

#include <cmath>

#include "comlite/safearray.h"
#include "outside/capeopen_common.h"
#include "pr_com_fixture.h"
#include "pr_package/model/saturation.h"

using namespace prtest;

namespace {

class Lists : public PrMaterial {
 protected:
  ComPtr<ICapeThermoCompounds> compoundsOf() { return m_package.as<ICapeThermoCompounds>(); }
};

std::vector<std::string> strings(const Variant& v) {
  return capeside::stringList(v).value_or(std::vector<std::string>{"<not strings>"});
}

}  // namespace

TEST_F(Lists, compound_constants_are_property_major_with_text_and_missing_values) {
  auto c = compoundsOf();
  Variant list;
  ASSERT_EQ(c->GetConstPropList(&list), S_OK);
  EXPECT_EQ(strings(list), pr::PropertyPackage::constant_property_list());

  Variant values;
  ASSERT_EQ(c->GetCompoundConstant(ids({"criticalTemperature", "casRegistryNumber"}),
                                   ids({"n-butane", "74-82-8"}), &values),
            S_OK);
  ASSERT_TRUE(values.vt & VT_ARRAY);
  VARIANT* items = nullptr;
  ASSERT_EQ(SafeArrayAccessData(values.parray, reinterpret_cast<void**>(&items)), S_OK);
  EXPECT_EQ(items[0].vt, VT_R8);
  EXPECT_DOUBLE_EQ(items[0].dblVal, 425.12);  // n-butane first, then methane
  EXPECT_DOUBLE_EQ(items[1].dblVal, 190.56);
  ASSERT_EQ(items[2].vt, VT_BSTR);
  EXPECT_EQ(comlite::bstrToUtf8(items[2].bstrVal), "106-97-8");
  EXPECT_EQ(comlite::bstrToUtf8(items[3].bstrVal), "74-82-8");
  SafeArrayUnaccessData(values.parray);

  // Every compound (compIds undefined); CO2 has no normal boiling point: an undefined entry
  // and the property-not-available error, the others still filled.
  EXPECT_EQ(
      c->GetCompoundConstant(ids({"normalBoilingPoint", "liquidVolumeAt25C"}), Variant(), &values),
      ECapeThrmPropertyNotAvailableHR);
  ASSERT_EQ(SafeArrayAccessData(values.parray, reinterpret_cast<void**>(&items)), S_OK);
  EXPECT_EQ(items[8].vt, VT_EMPTY);
  EXPECT_DOUBLE_EQ(items[0].dblVal, 111.66);
  EXPECT_DOUBLE_EQ(items[10 + 8].dblVal, 1.0 / 16213.0);  // m3/mol from mol/m3
  SafeArrayUnaccessData(values.parray);

  EXPECT_EQ(c->GetCompoundConstant(ids({"colour"}), Variant(), &values), ECapeInvalidArgumentHR);
  EXPECT_THAT(capeErrorOf(c.get()).description, HasSubstr("\"colour\" is not known"));
  EXPECT_EQ(c->GetCompoundConstant(ids({"molecularWeight"}), ids({"water"}), &values),
            ECapeInvalidArgumentHR);
  CapeErrorSeen e = capeErrorOf(c.get());
  EXPECT_EQ(e.name, "ECapeInvalidArgument");
  EXPECT_THAT(e.description, HasSubstr("\"water\" is not in package \"Natural Gas (PR)\""));
}

TEST_F(Lists, temperature_and_pressure_dependent_values_are_the_models) {
  auto c = compoundsOf();
  Variant list;
  ASSERT_EQ(c->GetTDependentPropList(&list), S_OK);
  EXPECT_EQ(strings(list), pr::PropertyPackage::temperature_dependent_property_list());
  ASSERT_EQ(c->GetPDependentPropList(&list), S_OK);
  EXPECT_EQ(strings(list), (std::vector<std::string>{"boilingPointTemperature",
                                                     "boilingPointTemperature.Dpressure"}));

  Variant out;
  ASSERT_EQ(c->GetTDependentProperty(ids({"vaporPressure", "idealGasHeatCapacity"}), 250.0,
                                     ids({"propane", "ethane"}), &out),
            S_OK);
  const std::vector<double> v = capeside::doubleList(out).value();
  ASSERT_EQ(v.size(), 4u);
  EXPECT_EQ(v[0], m_model->temperature_dependent_property("vaporPressure", 2, 250.0));
  EXPECT_EQ(v[1], m_model->temperature_dependent_property("vaporPressure", 1, 250.0));
  EXPECT_EQ(v[3], m_model->temperature_dependent_property("idealGasHeatCapacity", 1, 250.0));

  // The boiling temperature at a pressure inverts the vapour pressure, and its slope is the
  // inverse of the vapour-pressure slope there.
  ASSERT_EQ(c->GetPDependentProperty(
                ids({"boilingPointTemperature", "boilingPointTemperature.Dpressure"}), v[0],
                ids({"propane"}), &out),
            S_OK);
  const std::vector<double> t = capeside::doubleList(out).value();
  ASSERT_EQ(t.size(), 2u);
  EXPECT_NEAR(t[0], 250.0, 1e-6);
  const double slope =
      m_model->temperature_dependent_property("vaporPressure.Dtemperature", 2, 250);
  EXPECT_NEAR(t[1], 1.0 / slope, 1e-6 / slope);

  // Above the critical pressure there is no boiling point; bad temperatures are refused.
  EXPECT_EQ(c->GetPDependentProperty(ids({"boilingPointTemperature"}), 5e6, ids({"propane"}), &out),
            ECapeOutOfBoundsHR);
  EXPECT_EQ(c->GetTDependentProperty(ids({"vaporPressure"}), -5, Variant(), &out),
            ECapeBadArgumentHR);
  EXPECT_EQ(capeErrorOf(c.get()).position, 2);
  EXPECT_EQ(c->GetTDependentProperty(ids({"vaporPressure"}), NAN, Variant(), &out),
            ECapeBadArgumentHR);
  EXPECT_EQ(c->GetTDependentProperty(ids({"surfaceTension"}), 250, Variant(), &out),
            ECapeInvalidArgumentHR);
}

TEST_F(Lists, phases_property_lists_and_universal_constants) {
  auto phases = m_package.as<ICapeThermoPhases>();
  LONG n = 0;
  ASSERT_EQ(phases->GetNumPhases(&n), S_OK);
  EXPECT_EQ(n, 2);
  Variant labels, states, keys;
  ASSERT_EQ(phases->GetPhaseList(&labels, &states, &keys), S_OK);
  EXPECT_EQ(strings(labels), (std::vector<std::string>{"Vapor", "Liquid"}));
  EXPECT_EQ(strings(states), (std::vector<std::string>{"Vapor", "Liquid"}));
  Variant info;
  auto phaseInfo = [&](const char* label, const char* key) {
    return phases->GetPhaseInfo(Bstr(label).get(), Bstr(key).get(), &info);
  };
  ASSERT_EQ(phaseInfo("liquid", "StateOfAggregation"), S_OK);
  EXPECT_EQ(comlite::bstrToUtf8(info.bstrVal), "Liquid");
  ASSERT_EQ(phaseInfo("Vapor", "KeyCompoundId"), S_OK);
  EXPECT_EQ(info.vt, VT_EMPTY);
  ASSERT_EQ(phaseInfo("Vapor", "UserDescription"), S_OK);
  EXPECT_THAT(comlite::bstrToUtf8(info.bstrVal), HasSubstr("largest root"));
  EXPECT_EQ(phaseInfo("Solid", "StateOfAggregation"), ECapeInvalidArgumentHR);
  EXPECT_EQ(phaseInfo("Vapor", "Colour"), ECapeInvalidArgumentHR);
  EXPECT_THAT(capeErrorOf(phases.get()).description, HasSubstr("\"Colour\""));

  Variant list;
  ASSERT_EQ(routine()->GetSinglePhasePropList(&list), S_OK);
  EXPECT_EQ(strings(list), pr::PropertyPackage::single_phase_property_list());
  VARIANT_BOOL ok = VARIANT_TRUE;
  ASSERT_EQ(routine()->CheckSinglePhasePropSpec(Bstr("viscosity.Dtemperature").get(),
                                                Bstr("Liquid").get(), &ok),
            S_OK);
  EXPECT_EQ(ok, VARIANT_FALSE);
  ASSERT_EQ(routine()->CheckTwoPhasePropSpec(Bstr("kvalue").get(), ids({"Vapor", "Vapor"}), &ok),
            S_OK);
  EXPECT_EQ(ok, VARIANT_FALSE);

  auto constants = m_package.as<ICapeThermoUniversalConstant>();
  ASSERT_EQ(constants->GetUniversalConstantList(&list), S_OK);
  ASSERT_EQ(strings(list).size(), 6u);
  for (const std::string& id : strings(list)) {
    Variant value;
    ASSERT_EQ(constants->GetUniversalConstant(Bstr(id).get(), &value), S_OK) << id;
    EXPECT_EQ(value.dblVal, pr::PropertyPackage::universal_constant(id)) << id;
  }
  Variant value;
  EXPECT_EQ(constants->GetUniversalConstant(Bstr("planckConstant").get(), &value),
            ECapeInvalidArgumentHR);

  auto utilities = m_package.as<ICapeUtilities>();
  ComPtr<IDispatch> params;
  ASSERT_EQ(utilities->get_parameters(params.put()), S_OK);
  LONG count = -1;
  ASSERT_EQ(params.as<ICapeCollection>()->Count(&count), S_OK);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(utilities->Edit(), ECapeNoImplHR);
  EXPECT_THAT(capeErrorOf(utilities.get()).description, HasSubstr("packages.txt"));
}
