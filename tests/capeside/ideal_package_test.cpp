//! The ideal package as any third-party package is met: registered under the published
//! categories, created by class id or through its manager, queried through the published
//! interfaces only.

#include <cmath>

#include "capeside_fixture.h"
#include "comlite/categories.h"
#include "comlite/registry.h"
#include "outside/capeopen_categories.h"
#include "outside/capeopen_common.h"

using namespace capetest;

namespace {

//! An object of the class registered under `progId`, asked for `I`.
template <class I>
ComPtr<I> byProgId(const char16_t* progId) {
  CLSID clsid{};
  EXPECT_EQ(CLSIDFromProgID(progId, &clsid), S_OK);
  ComPtr<I> out;
  EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, I::kIID, out.putVoid()), S_OK);
  return out;
}

class IdealPackage : public CapeSide {
 protected:
  ComPtr<IDispatch> fromManager(const char* name) {
    ComPtr<IDispatch> package;
    EXPECT_EQ(byProgId<ICapeThermoPropertyPackageManager>(u"CORavlIdeal.PackageManager.1")
                  ->GetPropertyPackage(Bstr(name).get(), package.put()),
              S_OK);
    return package;
  }
};

std::vector<std::string> spec(const char* prop, const char* phase) {
  return {prop, "", phase, ""};
}

}  // namespace

TEST_F(IdealPackage, compound_constants_are_property_major_and_missing_ones_are_reported) {
  ComPtr<IDispatch> package = fromManager("Natural gas");
  auto compounds = package.as<ICapeThermoCompounds>();
  Variant values;
  auto constants = [&](std::vector<std::string> props, std::vector<std::string> ids) {
    return compounds->GetCompoundConstant(makeStringArray(props), makeStringArray(ids), &values);
  };
  ASSERT_EQ(constants({"molecularWeight", "criticalTemperature"}, {"methane", "124-38-9"}), S_OK);
  auto v = doubleList(values).value();
  ASSERT_EQ(v.size(), 4u);
  EXPECT_NEAR(v[0], 16.04, 0.01);   // molecularWeight of methane
  EXPECT_NEAR(v[1], 44.01, 0.01);   // ... of carbon dioxide
  EXPECT_NEAR(v[2], 190.56, 0.01);  // then the critical temperatures
  EXPECT_NEAR(v[3], 304.2, 0.2);
  // CO2 has no normal boiling point: undefined entry and the property-not-available error.
  EXPECT_EQ(constants({"normalBoilingPoint"}, {"nitrogen", "carbon dioxide"}),
            ECapeThrmPropertyNotAvailableHR);
  EXPECT_EQ(constants({"molecularWeight"}, {"water"}), ECapeInvalidArgumentHR);
  EXPECT_NE(capeErrorOf(compounds.get()).description.find("not in package \"Natural gas\""),
            std::string::npos);
  Variant ids, f, n, tb, mw, cas;
  ASSERT_EQ(compounds->GetCompoundList(&ids, &f, &n, &tb, &mw, &cas), S_OK);
  EXPECT_EQ(stringList(ids).value().front(), "nitrogen");
  EXPECT_TRUE(std::isnan(doubleList(tb).value()[1]));  // CO2's boiling point
  Variant psat;
  ASSERT_EQ(compounds->GetTDependentProperty(makeStringArray({"vaporPressure"}), 111.66,
                                             makeStringArray({"methane"}), &psat),
            S_OK);
  EXPECT_NEAR(doubleList(psat).value()[0], 101325, 3000);
  Variant tboil;
  ASSERT_EQ(compounds->GetPDependentProperty(makeStringArray({"boilingPointTemperature"}), 101325,
                                             makeStringArray({"n-butane"}), &tboil),
            S_OK);
  EXPECT_NEAR(doubleList(tboil).value()[0], 272.66, 3);
}

TEST_F(IdealPackage, routines_check_their_specifications_and_ln_phi_follows_the_flags) {
  ComPtr<IDispatch> package = fromManager("Aromatics");
  auto routine = package.as<ICapeThermoPropertyRoutine>();
  auto equilibrium = package.as<ICapeThermoEquilibriumRoutine>();
  using R = ICapeThermoPropertyRoutine;
  using E = ICapeThermoEquilibriumRoutine;
  Bstr density("density"), liquid("liquid");
  EXPECT_EQ(got(routine, &R::CheckSinglePhasePropSpec, density.get(), liquid.get()), VARIANT_TRUE);
  EXPECT_EQ(got(routine, &R::CheckSinglePhasePropSpec, Bstr("volume").get(), liquid.get()),
            VARIANT_FALSE);
  EXPECT_EQ(got(routine, &R::CheckTwoPhasePropSpec, Bstr("kvalue").get(),
                makeStringArray({"Vapor", "Liquid"})),
            VARIANT_TRUE);
  auto tp1 = makeStringArray(spec("temperature", "Overall"), true);
  auto tp2 = makeStringArray(spec("pressure", "Overall"), true);
  auto ph = makeStringArray(spec("enthalpy", "Overall"), true);
  EXPECT_EQ(got(equilibrium, &E::CheckEquilibriumSpec, tp2, tp1, Bstr("Unspecified").get()),
            VARIANT_TRUE);
  EXPECT_EQ(got(equilibrium, &E::CheckEquilibriumSpec, tp2, ph, nullptr), VARIANT_FALSE);
  // Malformed is not supported, and not an error here.
  EXPECT_EQ(got(equilibrium, &E::CheckEquilibriumSpec, tp1, makeStringArray({"pressure"}), nullptr),
            VARIANT_FALSE);

  // Without a material the routines are out of order.
  Variant lnPhi, dT, dP, dn;
  auto calcLnPhi = [&](const char* phase, LONG flags) {
    return routine->CalcAndGetLnPhi(Bstr(phase).get(), 350, 1e5, makeDoubleArray({0.5, 0.5}), flags,
                                    &lnPhi, &dT, &dP, &dn);
  };
  EXPECT_EQ(calcLnPhi("Liquid", 3), ECapeBadInvOrderHR);
  EXPECT_EQ(equilibrium->CalcEquilibrium(tp1, tp2, nullptr), ECapeBadInvOrderHR);
  ComPtr<ECapeBadInvOrder> order;
  ASSERT_EQ(package->QueryInterface(ECapeBadInvOrder::kIID, order.putVoid()), S_OK);
  Bstr requested;
  order->get_requestedOperation(requested.out());
  EXPECT_EQ(requested.utf8(), "SetMaterial");

  // With one: ln phi and its temperature derivative only (flags 1 + 2), not the others.
  ComPtr<IDispatch> material;
  ASSERT_EQ(CoCreateInstance(matobj::kClsidMaterialObject, nullptr, CLSCTX_INPROC_SERVER,
                             IDispatch::kIID, material.putVoid()),
            S_OK);
  auto mo = material.as<IMatObj>();
  ASSERT_EQ(mo->SetPackage(package.get()), S_OK);
  ASSERT_EQ(package.as<ICapeThermoMaterialContext>()->SetMaterial(material.get()), S_OK);
  ASSERT_EQ(calcLnPhi("Liquid", CAPE_LOG_FUGACITY_COEFFICIENTS | CAPE_T_DERIVATIVE), S_OK);
  Variant psat;
  ASSERT_EQ(package.as<ICapeThermoCompounds>()->GetTDependentProperty(
                makeStringArray({"vaporPressure"}), 350, Variant(), &psat),
            S_OK);
  auto lp = doubleList(lnPhi).value();
  auto ps = doubleList(psat).value();
  for (int i = 0; i < 2; ++i) EXPECT_NEAR(lp[i], std::log(ps[i] / 1e5), 1e-12);
  EXPECT_GT(doubleList(dT).value()[0], 0);
  EXPECT_EQ(dP.vt, VT_EMPTY);
  EXPECT_EQ(dn.vt, VT_EMPTY);
  EXPECT_EQ(calcLnPhi("Plasma", 1), ECapeInvalidArgumentHR);
  // Break the package <-> material references before they go.
  ASSERT_EQ(package.as<ICapeThermoMaterialContext>()->UnsetMaterial(), S_OK);
  ASSERT_EQ(mo->SetPackage(nullptr), S_OK);
}

TEST_F(IdealPackage, phases_constants_and_identification_answer_as_published) {
  auto phases = byProgId<ICapeThermoPhases>(u"CORavlIdeal.PropertyPackage.1");
  ASSERT_TRUE(phases);
  EXPECT_EQ(got(phases, &ICapeThermoPhases::GetNumPhases), 2);
  Bstr liquid("Liquid");
  Variant state =
      got(phases, &ICapeThermoPhases::GetPhaseInfo, liquid.get(), Bstr("StateOfAggregation").get());
  EXPECT_EQ(comlite::bstrToUtf8(state.bstrVal), "Liquid");
  EXPECT_EQ(phases->GetPhaseInfo(liquid.get(), Bstr("Colour").get(), &state),
            ECapeInvalidArgumentHR);
  auto constants = phases.as<ICapeThermoUniversalConstant>();
  Variant r = got(constants, &ICapeThermoUniversalConstant::GetUniversalConstant,
                  Bstr("molarGasConstant").get());
  EXPECT_DOUBLE_EQ(r.dblVal, 8.314462618);
  EXPECT_EQ(constants->GetUniversalConstant(Bstr("piConstant").get(), &r), ECapeInvalidArgumentHR);
  EXPECT_EQ(got(phases.as<ICapeIdentification>(), &ICapeIdentification::get_ComponentName),
            "Ideal (all compounds)");
  auto utilities = phases.as<ICapeUtilities>();
  ComPtr<IDispatch> params;
  ASSERT_EQ(utilities->get_parameters(params.put()), S_OK);
  EXPECT_EQ(got(params.as<ICapeCollection>(), &ICapeCollection::Count), 0);
  EXPECT_EQ(utilities->Edit(), ECapeNoImplHR);
  // The manager refuses a package it does not offer, by name.
  auto ppm = byProgId<ICapeThermoPropertyPackageManager>(u"CORavlIdeal.PackageManager.1");
  ComPtr<IDispatch> none;
  EXPECT_EQ(ppm->GetPropertyPackage(Bstr("Heavy oils").get(), none.put()), ECapeInvalidArgumentHR);
  EXPECT_FALSE(none);
}
