//! The material object client on the built test packages (the natural gas with the odd-flash
//! package's phases Vapor, Liquid, Liquid2 and Foam, or with the solid package's Vapor, Liquid
//! and Solid) and the adapter side's material object bound to the same package: phase tables,
//! phase type translation, remembered solid compositions, and the routing and checks of
//! property reads and writes.

#include <gtest/gtest.h>

#include <cmath>

#include "calc/material_client.h"
#include "capeside/support/variant_lists.h"
#include "comlite/bstr.h"
#include "comlite/com_error.h"
#include "comlite/com_ptr.h"
#include "outside/capeopen_thermo.h"
#include "outside/mat_obj.h"
#include "support/module_fixture.h"
#include "vocabulary/co_ids.h"

using comlite::Bstr;
using comlite::ComPtr;

namespace {

constexpr const char16_t* kOddFlash = u"CORavlTest.OddFlashPackage.1";
constexpr const char16_t* kWithSolid = u"CORavlTest.SolidPackage.1";

class MaterialClient : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* m : {"capeside", "pr_package", "test_packages"})
      ASSERT_EQ(m_env.registerModule(m), S_OK) << m;
    ASSERT_EQ(CoCreateInstance(matobj::kClsidMaterialObject, nullptr, CLSCTX_INPROC_SERVER,
                               IDispatch::kIID, m_material.putVoid()),
              S_OK);
    m_thermo = m_material.as<ICapeThermoMaterial>();
  }
  //! The client and the material bound to a new package, whose aqueous phase and phase count
  //! are as given (the odd-flash package only).
  void bind(const char16_t* progId = kOddFlash, const char* aqueous = "",
            const char* claimedPhases = "") {
    testsupport::ScopedEnv a("CORAVL_TEST_AQUEOUS", aqueous);
    testsupport::ScopedEnv c("CORAVL_TEST_PHASE_COUNT", claimedPhases);
    CLSID clsid{};
    ASSERT_EQ(CLSIDFromProgID(progId, &clsid), S_OK);
    ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IDispatch::kIID,
                               m_package.putVoid()),
              S_OK);
    ASSERT_EQ(m_material.as<IMatObj>()->SetPackage(m_package.get()), S_OK);
    m_client.setPackage(m_package.get());
    m_client.attachMaterial(m_material.get());
  }
  std::vector<LONG> ids() const {
    std::vector<LONG> out;
    for (const auto& [index, record] : m_client.phaseTable()) out.push_back(record.phaseId);
    return out;
  }
  //! A composition of the package's ten compounds, zero past the given ones.
  static std::vector<double> x10(std::vector<double> x) {
    x.resize(10, 0.0);
    return x;
  }
  //! A value put on a phase of the material, and the values read from one, past the client.
  void put(const char* property, const char* phase, double value) {
    const Bstr p(property), l(phase), mole("mole");
    ASSERT_EQ(m_thermo->SetSinglePhaseProp(p.get(), l.get(), mole.get(),
                                           capeside::makeDoubleArray({value})),
              S_OK);
  }
  std::vector<double> held(const char* property, const char* phase) {
    const Bstr p(property), l(phase), mole("mole");
    comlite::Variant v;
    if (FAILED(m_thermo->GetSinglePhaseProp(p.get(), l.get(), mole.get(), &v))) return {};
    return capeside::doubleList(v).value_or(std::vector<double>{});
  }
  static ULONG references(IUnknown* object) {
    object->AddRef();
    return object->Release();
  }

  testsupport::ModuleEnvironment m_env;
  ComPtr<IDispatch> m_package, m_material;
  ComPtr<ICapeThermoMaterial> m_thermo;
  CCOMOclient m_client;
};

}  // namespace

TEST_F(MaterialClient, second_liquid_is_liquid2_unless_an_aqueous_liquid_came_first) {
  bind();
  // Foam, a state the host has no phase for, has no id.
  EXPECT_EQ(ids(), (std::vector<LONG>{3, 4, 5, -1, 1}));
  EXPECT_EQ(m_client.secondLiquidIndex(), 2);
  EXPECT_EQ(m_client.phaseLabelOfSlot(2).narrow(), "Liquid2");
  EXPECT_EQ(m_client.phaseLabelOfSlot(3).narrow(), "Overall");
  EXPECT_EQ(m_client.phaseTable().at(4).keyCompound.narrow(), "UNDEFINED");
  EXPECT_EQ(m_client.hostPhaseCount(), 3);

  bind(kOddFlash, "Liquid2");
  EXPECT_EQ(ids(), (std::vector<LONG>{3, 4, 6, -1, 1}));
  EXPECT_FALSE(m_client.phaseTable().at(1).aqueous);
  EXPECT_TRUE(m_client.phaseTable().at(2).aqueous);
  EXPECT_EQ(m_client.phaseLabelOfId(COIds::PhaseAqueous).narrow(), "Liquid2");

  bind(kOddFlash, "Liquid");
  EXPECT_EQ(ids(), (std::vector<LONG>{3, 6, 4, -1, 1}));
  EXPECT_TRUE(m_client.phaseTable().at(1).aqueous);
  EXPECT_TRUE(m_client.phaseTable().at(2).aqueous);
  EXPECT_EQ(m_client.phaseLabelOfSlot(1).narrow(), "Liquid2");
  EXPECT_EQ(m_client.phaseLabelOfSlot(2).narrow(), "Liquid");
  EXPECT_EQ(m_client.liquidLabels().size(), 2u);
}

TEST_F(MaterialClient, the_phase_table_holds_what_a_package_of_this_version_lists) {
  // The material itself: compounds, but no phases and no routines.
  m_client.setPackage(m_material.get());
  ASSERT_EQ(m_client.phaseTable().size(), 1u);
  EXPECT_EQ(m_client.phaseTable().at(0).phaseId, COIds::PhaseOverall);
  EXPECT_EQ(m_client.phaseLabelOfSlot(3).narrow(), "Overall");
  EXPECT_TRUE(m_client.phaseLabelOfSlot(0).empty());
  EXPECT_EQ(m_client.phases(), nullptr);
  EXPECT_EQ(m_client.propertyRoutine(), nullptr);
  EXPECT_EQ(m_client.equilibriumRoutine(), nullptr);
  EXPECT_NE(m_client.compounds(), nullptr);
  EXPECT_EQ(m_client.hostPhaseCount(), 3);

  // The phase count is bounded by the phases listed.
  for (auto [claimed, phases] : {std::pair{"2000000000", 4}, std::pair{"1", 1}}) {
    bind(kOddFlash, "", claimed);
    EXPECT_EQ(m_client.numPhases(), phases) << claimed;
    EXPECT_EQ(m_client.phaseTable().size(), static_cast<std::size_t>(phases) + 1) << claimed;
    EXPECT_EQ(m_client.phaseLabelOfIndex(phases).narrow(), "Overall") << claimed;
  }

  // Other versions take no interfaces.
  CCOMOclient other;
  other.setVersion(100);
  other.setPackage(m_package.get());
  other.attachMaterial(m_material.get());
  EXPECT_EQ(other.package(), nullptr);
  EXPECT_EQ(other.material(), nullptr);
  EXPECT_EQ(other.numCompounds(), 0);
  EXPECT_EQ(other.phaseTable().size(), 1u);
}

TEST_F(MaterialClient, phase_types_translate_both_ways) {
  const std::vector<std::pair<LONG, LONG>> table = {{1, 1}, {3, 3},  {4, 4}, {5, 6}, {6, 7},
                                                    {8, 7}, {10, 7}, {2, 0}, {0, 0}, {11, 0}};
  for (auto [type, id] : table) EXPECT_EQ(CCOMOclient::Ravl2CO(type), id) << type;
  ASSERT_EQ(m_env.notices.size(), 3u);
  EXPECT_NE(m_env.notices[0].text.find("CCOMOclient::Ravl2CO"), std::string::npos);
  EXPECT_NE(m_env.notices[0].text.find("Bad phase type"), std::string::npos);

  for (auto [id, type] : std::vector<std::pair<LONG, LONG>>{{1, 1}, {3, 3}, {4, 4}, {5, 4}, {6, 4}})
    EXPECT_EQ(CCOMOclient::hostPhaseTypeOfId(id), type) << id;
  for (LONG id : {0, 2, 7, 10}) {
    try {
      CCOMOclient::hostPhaseTypeOfId(id);
      ADD_FAILURE() << "no error for " << id;
    } catch (const comlite::ComError& e) {
      EXPECT_TRUE(FAILED(e.status())) << id;
    }
  }
}

TEST_F(MaterialClient, solid_phase_is_found_by_remembered_composition) {
  bind();
  EXPECT_EQ(m_client.phaseIndexFor(COIds::PhaseAqueous, {}), 2);
  EXPECT_EQ(m_client.phaseIndexFor(COIds::PhaseOverall, {}), 3);
  const std::vector<double> ice = x10({0.0, 1.0}), salt = x10({0.3, 0.7});
  m_client.rememberComposition(salt, 6);
  m_client.rememberComposition(ice, 5);
  // Zero where ice has none; the wide tolerance lets any other non-zero value match.
  EXPECT_EQ(m_client.phaseIndexFor(7, x10({0.0, 0.5, 0.0, 0.5})), 5);
  EXPECT_EQ(m_client.phaseIndexFor(7, x10({0.4, 0.0, 0.6})), -1);
  EXPECT_EQ(m_client.phaseIndexFor(7, std::vector<double>{0.0, 1.0}), -1);  // too short
  m_client.rememberComposition(x10({0.0, NAN, 1.0}), 4);
  EXPECT_EQ(m_client.phaseIndexFor(7, x10({0.0, 0.0, 1.0})), -1);
  m_client.attachMaterial(m_material.get());
  EXPECT_TRUE(m_client.rememberedCompositions().empty());
  EXPECT_EQ(m_client.phaseIndexFor(7, ice), -1);
}

TEST_F(MaterialClient, reads_and_writes_go_to_the_right_material_call_and_phase) {
  bind(kWithSolid);
  std::vector<double> v(10, 0.0);
  put("enthalpy", "Vapor", -10.0);
  put("enthalpy", "Liquid", -1200.5);
  put("enthalpy.Dtemperature", "Vapor", 35.5);
  EXPECT_EQ(m_client.getPropOfSlot(COIds::PropEnthalpy, 1, v), S_OK);
  EXPECT_EQ(v[0], -1200.5);
  // The caller's name, and a value code.
  EXPECT_EQ(m_client.getProp(COIds::PropEnthalpy, 0, v, u"Vapor", u"enthalpy.Dtemperature"), S_OK);
  EXPECT_EQ(v[0], 35.5);
  v[0] = 0.0;
  EXPECT_EQ(m_client.getProp(1035, COIds::PhaseVapor, v), S_OK);
  EXPECT_EQ(v[0], 35.5);
  // The pair in the order vapour, liquid.
  const std::vector<double> K = {1.1, 1.2, 1.3, 1.4, 1.5, 1.6, 1.7, 1.8, 1.9, 2.0};
  const Bstr kvalue("kvalue");
  ASSERT_EQ(m_thermo->SetTwoPhaseProp(kvalue.get(), capeside::makeStringArray({"Vapor", "Liquid"}),
                                      nullptr, capeside::makeDoubleArray(K)),
            S_OK);
  EXPECT_EQ(m_client.getProp(COIds::PropKvalue, COIds::PhaseVaporLiquid, v), S_OK);
  EXPECT_EQ(v, K);

  const std::vector<double> x = {0.1, 0.2, 0.3, 0.4, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 9.9};
  const std::vector<double> first10(x.begin(), x.begin() + 10);
  EXPECT_EQ(m_client.setPropOfSlot(COIds::PropFraction, 1, x), S_OK);
  EXPECT_EQ(held("fraction", "Liquid"), first10);
  EXPECT_EQ(m_client.setProp(COIds::PropFraction, COIds::PhaseSolid, x), S_OK);
  EXPECT_EQ(held("fraction", "Solid"), first10);
  EXPECT_EQ(m_client.setProp(COIds::PropPressure, COIds::PhaseOverall, std::vector<double>{2e5}),
            S_OK);
  EXPECT_EQ(m_client.getProp(COIds::PropPressure, COIds::PhaseOverall, v), S_OK);
  EXPECT_EQ(v[0], 2e5);
  EXPECT_EQ(m_client.setProp(COIds::PropKvalue, COIds::PhaseVaporLiquid, first10), S_OK);
  EXPECT_EQ(m_client.getProp(COIds::PropKvalue, COIds::PhaseVaporLiquid, v), S_OK);
  EXPECT_EQ(v, first10);

  // No second liquid to pair with; no phase of the slot; a short buffer; a phase the material
  // does not have, or a value it does not hold.
  EXPECT_EQ(m_client.getProp(COIds::PropKvalue, COIds::PhaseLiquidLiquid, v), E_FAIL);
  EXPECT_EQ(m_client.getPropOfSlot(COIds::PropEnthalpy, 2, v), E_FAIL);
  EXPECT_EQ(m_client.getProp(COIds::PropKvalue, 0, std::span(v).first(3), u"Liquid"), E_INVALIDARG);
  EXPECT_EQ(m_client.setProp(COIds::PropFraction, 0, std::span(x).first(2), u"Vapor"),
            E_INVALIDARG);
  EXPECT_TRUE(held("fraction", "Vapor").empty());
  EXPECT_EQ(m_client.setProp(COIds::PropEnthalpy, 0, x, u"Plasma"), E_FAIL);
  EXPECT_EQ(m_client.getPropOfSlot(COIds::PropFugacity, 0, v), E_FAIL);

  // A wrong number of values is shown and fails, and the buffer is left alone.
  m_env.notices.clear();
  v.assign(10, -32767.0);
  EXPECT_EQ(m_client.getProp(COIds::PropFugacity, 0, v, u"Liquid", u"enthalpy"), E_FAIL);
  ASSERT_EQ(m_env.notices.size(), 1u);
  const std::string& text = m_env.notices[0].text;
  EXPECT_EQ(text.rfind("CCOMOclient::getProp:", 0), 0u) << text;
  EXPECT_NE(text.find("ERROR: Material Object's value for property 'enthalpy' has 1 elements "
                      "when the number of components is actually 10"),
            std::string::npos)
      << text;
  EXPECT_EQ(v[0], -32767.0);
}

TEST_F(MaterialClient, a_material_needs_its_compounds_and_the_client_keeps_no_reference) {
  EXPECT_THROW(m_client.attachMaterial(nullptr), comlite::ComError);
  // Bound to no package, the material has no compounds to count.
  try {
    m_client.attachMaterial(m_material.get());
    ADD_FAILURE() << "no error raised";
  } catch (const comlite::ComError& e) {
    EXPECT_EQ(e.status(), ECapeBadInvOrderHR);
  }
  EXPECT_EQ(m_client.material(), nullptr);
  bind();
  EXPECT_EQ(m_client.numCompounds(), 10);
  const ULONG package = references(m_package.get()), material = references(m_material.get());
  {
    CCOMOclient client;
    client.setPackage(m_package.get());
    client.attachMaterial(m_material.get());
    EXPECT_GT(references(m_package.get()), package);
    EXPECT_GT(references(m_material.get()), material);
  }
  EXPECT_EQ(references(m_package.get()), package);
  EXPECT_EQ(references(m_material.get()), material);
}
