//! The material object client against small fakes: phase tables, phase type translation,
//! remembered solid compositions, and the routing and checks of property reads and writes.

#include <gtest/gtest.h>

#include <cmath>

#include "calc/material_client.h"
#include "comlite/com_error.h"
#include "comlite/com_ptr.h"
#include "material_fakes.h"
#include "support/module_fixture.h"
#include "vocabulary/co_ids.h"

using calctest::BarePackage;
using calctest::FakeMaterial;
using calctest::FakePackage;
using comlite::ComPtr;

namespace {

IDispatch* dispatchOf(FakePackage* p) {
  return static_cast<ICapeThermoPhases*>(p);
}

class MaterialClient : public ::testing::Test {
 protected:
  //! A client bound to a fake package of the given phases and a fake material.
  void bind(std::vector<std::string> labels, std::vector<std::string> states,
            std::vector<std::string> keys, LONG claimedPhases = -1) {
    m_package = ComPtr<FakePackage>::attach(comlite::makeObject<FakePackage>());
    m_package->labels = std::move(labels);
    m_package->states = std::move(states);
    m_package->keys = std::move(keys);
    m_package->claimedPhases = claimedPhases;
    m_client.setPackage(dispatchOf(m_package.get()));
    m_client.attachMaterial(m_material->unknown());
  }
  std::vector<LONG> ids() const {
    std::vector<LONG> out;
    for (const auto& [index, record] : m_client.phaseTable()) out.push_back(record.phaseId);
    return out;
  }
  std::string label(const CQoBSTR& s) const { return s.narrow(); }
  bool noticed(const std::string& text) const {
    for (const auto& n : m_env.notices)
      if (n.text.find(text) != std::string::npos) return true;
    return false;
  }

  testsupport::ModuleEnvironment m_env;
  ComPtr<FakePackage> m_package;
  ComPtr<FakeMaterial> m_material =
      ComPtr<FakeMaterial>::attach(comlite::makeObject<FakeMaterial>());
  CCOMOclient m_client;
};

}  // namespace

TEST_F(MaterialClient, second_liquid_is_liquid2_unless_an_aqueous_liquid_came_first) {
  bind({"Gas", "Oil", "Heavy"}, {"Vapor", "Liquid", "Liquid"}, {"", "", "Hexane"});
  EXPECT_EQ(ids(), (std::vector<LONG>{3, 4, 5, 1}));
  EXPECT_EQ(m_client.secondLiquidIndex(), 2);
  EXPECT_EQ(label(m_client.phaseLabelOfSlot(2)), "Heavy");
  EXPECT_EQ(label(m_client.phaseLabelOfSlot(3)), "Overall");
  EXPECT_EQ(m_client.phaseTable().at(3).keyCompound.narrow(), "UNDEFINED");
  EXPECT_EQ(m_client.hostPhaseCount(), 3);

  bind({"Gas", "Oil", "Water"}, {"Vapor", "Liquid", "Liquid"}, {"", "", "Aqueous"});
  EXPECT_EQ(ids(), (std::vector<LONG>{3, 4, 6, 1}));
  EXPECT_FALSE(m_client.phaseTable().at(1).aqueous);
  EXPECT_TRUE(m_client.phaseTable().at(2).aqueous);
  EXPECT_EQ(label(m_client.phaseLabelOfId(COIds::PhaseAqueous)), "Water");

  bind({"Gas", "Water", "Oil"}, {"Vapor", "liquid", "Liquid"}, {"", "AQUEOUS", ""});
  EXPECT_EQ(ids(), (std::vector<LONG>{3, 6, 4, 1}));
  EXPECT_TRUE(m_client.phaseTable().at(1).aqueous);
  EXPECT_TRUE(m_client.phaseTable().at(2).aqueous);
  EXPECT_EQ(label(m_client.phaseLabelOfSlot(1)), "Oil");
  EXPECT_EQ(label(m_client.phaseLabelOfSlot(2)), "Water");
  EXPECT_EQ(m_client.liquidLabels().size(), 2u);
}

TEST_F(MaterialClient, package_without_phase_list_has_only_the_overall_record) {
  auto bare = ComPtr<BarePackage>::attach(comlite::makeObject<BarePackage>());
  m_client.setPackage(bare.get());
  ASSERT_EQ(m_client.phaseTable().size(), 1u);
  EXPECT_EQ(m_client.phaseTable().at(0).phaseId, COIds::PhaseOverall);
  EXPECT_EQ(label(m_client.phaseLabelOfSlot(3)), "Overall");
  EXPECT_TRUE(m_client.phaseLabelOfSlot(0).empty());
  EXPECT_EQ(m_client.phases(), nullptr);
  EXPECT_EQ(m_client.propertyRoutine(), nullptr);
  EXPECT_EQ(m_client.compounds(), nullptr);
  EXPECT_NE(m_client.equilibriumRoutine(), nullptr);
  EXPECT_EQ(m_client.hostPhaseCount(), 3);
}

TEST_F(MaterialClient, the_phase_count_is_bounded_by_the_phases_listed) {
  for (LONG claimed : {LONG{2000000000}, LONG{1}}) {
    bind({"V", "L"}, {"Vapor", "Liquid"}, {"", ""}, claimed);
    const LONG phases = std::min<LONG>(claimed, 2);
    EXPECT_EQ(m_client.numPhases(), phases) << claimed;
    EXPECT_EQ(m_client.phaseTable().size(), static_cast<std::size_t>(phases) + 1) << claimed;
    EXPECT_EQ(label(m_client.phaseLabelOfIndex(phases)), "Overall") << claimed;
  }
}

TEST_F(MaterialClient, other_versions_take_no_interfaces) {
  m_client.setVersion(100);
  bind({"Gas", "Oil"}, {"Vapor", "Liquid"}, {"", ""});
  EXPECT_EQ(m_client.package(), nullptr);
  EXPECT_EQ(m_client.material(), nullptr);
  EXPECT_EQ(m_client.numCompounds(), 0);
  EXPECT_EQ(m_client.phaseTable().size(), 1u);
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
  bind({"Gas", "Oil"}, {"Vapor", "Liquid"}, {"", ""});
  EXPECT_EQ(m_client.phaseIndexFor(COIds::PhaseAqueous, {}), 2);
  EXPECT_EQ(m_client.phaseIndexFor(COIds::PhaseOverall, {}), 3);
  const std::vector<double> ice = {0.0, 1.0, 0.0, 0.0}, salt = {0.3, 0.7, 0.0, 0.0};
  m_client.rememberComposition(salt, 6);
  m_client.rememberComposition(ice, 5);
  // Zero where ice has none; the wide tolerance lets any other non-zero value match.
  EXPECT_EQ(m_client.phaseIndexFor(7, std::vector<double>{0.0, 0.5, 0.0, 0.5}), 5);
  EXPECT_EQ(m_client.phaseIndexFor(7, std::vector<double>{0.4, 0.0, 0.6, 0.0}), -1);
  EXPECT_EQ(m_client.phaseIndexFor(7, std::vector<double>{0.0, 1.0}), -1);  // too short
  m_client.rememberComposition(std::vector<double>{0.0, NAN, 1.0, 0.0}, 4);
  EXPECT_EQ(m_client.phaseIndexFor(7, std::vector<double>{0.0, 0.0, 1.0, 0.0}), -1);
  m_client.attachMaterial(m_material->unknown());
  EXPECT_TRUE(m_client.rememberedCompositions().empty());
  EXPECT_EQ(m_client.phaseIndexFor(7, ice), -1);
}

TEST_F(MaterialClient, reads_and_writes_go_to_the_right_material_call_and_phase) {
  bind({"Gas", "Oil", "Ice"}, {"Vapor", "Liquid", "Solid"}, {"", "", ""});
  std::vector<double> v(4, 0.0);
  m_material->answer = {-1200.5};
  EXPECT_EQ(m_client.getPropOfSlot(COIds::PropEnthalpy, 1, v), S_OK);
  EXPECT_EQ(m_material->last, "GetSinglePhaseProp enthalpy Oil mole");
  EXPECT_EQ(v[0], -1200.5);
  EXPECT_EQ(m_client.getProp(COIds::PropEnthalpy, 0, v, u"Oil", u"enthalpy.Dmoles"), S_OK);
  EXPECT_EQ(m_material->last, "GetSinglePhaseProp enthalpy.Dmoles Oil mole");  // caller's name
  EXPECT_EQ(m_client.getProp(1035, COIds::PhaseVapor, v), S_OK);
  EXPECT_EQ(m_material->last, "GetSinglePhaseProp enthalpy.Dtemperature Gas mole");
  m_material->answer = {1.1, 1.2, 1.3, 1.4};
  EXPECT_EQ(m_client.getProp(COIds::PropKvalue, COIds::PhaseVaporLiquid, v), S_OK);
  EXPECT_EQ(m_material->last, "GetTwoPhaseProp kvalue Gas+Oil ");
  EXPECT_EQ(v, m_material->answer);
  EXPECT_EQ(m_client.getProp(3030, COIds::PhaseOverall, v), S_OK);
  EXPECT_EQ(m_material->last, "GetOverallProp fugacityCoefficient.DmolFraction  ");

  const std::vector<double> x = {0.1, 0.2, 0.3, 0.4, 9.9};
  EXPECT_EQ(m_client.setPropOfSlot(COIds::PropFraction, 1, x), S_OK);
  EXPECT_EQ(m_material->last, "SetSinglePhaseProp fraction Oil mole");
  EXPECT_EQ(m_material->written, (std::vector<double>{0.1, 0.2, 0.3, 0.4}));
  EXPECT_EQ(m_client.setProp(COIds::PropFraction, COIds::PhaseSolid, x), S_OK);
  EXPECT_EQ(m_material->last, "SetSinglePhaseProp fraction Ice mole");
  EXPECT_EQ(m_client.setProp(COIds::PropPressure, COIds::PhaseOverall, std::vector<double>{2e5}),
            S_OK);
  EXPECT_EQ(m_material->last, "SetOverallProp pressure  ");
  EXPECT_EQ(m_material->written, std::vector<double>{2e5});
  EXPECT_EQ(m_client.setProp(COIds::PropKvalue, COIds::PhaseVaporLiquid, x), S_OK);
  EXPECT_EQ(m_material->last, "SetTwoPhaseProp kvalue Gas+Oil ");

  // No second liquid to pair with; no phase of the slot; a short buffer; a failing material.
  m_material->last.clear();
  EXPECT_EQ(m_client.getProp(COIds::PropKvalue, COIds::PhaseLiquidLiquid, v), E_FAIL);
  EXPECT_EQ(m_client.getPropOfSlot(COIds::PropEnthalpy, 2, v), E_FAIL);
  EXPECT_EQ(m_client.getProp(COIds::PropKvalue, 0, std::span(v).first(3), u"Oil"), E_INVALIDARG);
  EXPECT_EQ(m_client.setProp(COIds::PropFraction, 0, std::span(x).first(2), u"Oil"), E_INVALIDARG);
  EXPECT_EQ(m_material->last, "");
  m_material->failure = E_OUTOFMEMORY;
  EXPECT_EQ(m_client.getPropOfSlot(COIds::PropKvalue, 0, v), E_FAIL);
  EXPECT_EQ(m_client.setPropOfSlot(COIds::PropEnthalpy, 0, x), E_FAIL);

  // A wrong number of values is shown and fails, and the buffer is left alone.
  m_material->failure = S_OK;
  m_material->answer = {1.0, 2.0, 3.0};
  v.assign(4, -32767.0);
  EXPECT_EQ(m_client.getPropOfSlot(COIds::PropFugacity, 0, v), E_FAIL);
  ASSERT_EQ(m_env.notices.size(), 1u);
  const std::string& text = m_env.notices[0].text;
  EXPECT_EQ(text.rfind("CCOMOclient::getProp:", 0), 0u) << text;
  EXPECT_NE(text.find("ERROR: Material Object's value for property 'fugacity' has 3 elements "
                      "when the number of components is actually 4"),
            std::string::npos)
      << text;
  EXPECT_EQ(v[0], -32767.0);
}

TEST_F(MaterialClient, material_attachment_and_release) {
  std::vector<std::string> log;
  {
    auto package = ComPtr<FakePackage>::attach(comlite::makeObject<FakePackage>());
    CCOMOclient client;
    client.setPackage(dispatchOf(package.get()));
    EXPECT_THROW(client.attachMaterial(nullptr), comlite::ComError);
    m_material->failure = E_OUTOFMEMORY;
    try {
      client.attachMaterial(m_material->unknown());
      ADD_FAILURE() << "no error raised";
    } catch (const comlite::ComError& e) {
      EXPECT_EQ(e.status(), E_OUTOFMEMORY);
    }
    EXPECT_EQ(client.material(), nullptr);
    m_material->failure = S_OK;
    client.attachMaterial(m_material->unknown());
    EXPECT_EQ(client.numCompounds(), 4);
    package->releaseLog = m_material->releaseLog = &log;
  }
  // The client's own references go in the order package, material, then the package's
  // interfaces; the package fake itself goes last, with this test's holder.
  EXPECT_EQ(log,
            (std::vector<std::string>{"package", "material", "package", "package", "package"}));
  m_material->releaseLog = nullptr;
}
