//! The material object client end to end: the Peng-Robinson package selected through the
//! adapter, its material object, and property reads and writes compared with what the material
//! itself answers by value code.

#include <gtest/gtest.h>

#include <memory>

#include "calc/material_client.h"
#include "comlite/bstr.h"
#include "comlite/com_ptr.h"
#include "material_fakes.h"
#include "outside/mat_obj.h"
#include "support/adapter_fixture.h"
#include "vocabulary/co_ids.h"

using comlite::Bstr;
using comlite::ComPtr;

namespace {

const std::vector<double> kFeed = {0.60, 0.08, 0.06, 0.04, 0.03, 0.03, 0.06, 0.03, 0.05, 0.02};
const std::vector<double> kLiquid = {0.2, 0.08, 0.12, 0.12, 0.08, 0.12, 0.2, 0.01, 0.05, 0.02};
constexpr LONG kN = 10;

class MaterialClientPR : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(m_env.registerModule("capeside"), S_OK);
    ASSERT_EQ(m_env.registerModule("pr_package"), S_OK);
    ASSERT_NO_FATAL_FAILURE(m_pkg.openPengRobinson(m_env));
    m_mo = m_pkg.material.as<IMatObj>();
    ASSERT_TRUE(m_mo);
    ASSERT_EQ(m_pkg.package.as<ICapeThermoMaterialContext>()->SetMaterial(m_pkg.material.get()),
              S_OK);

    m_client = std::make_unique<CCOMOclient>();
    m_client->setVersion(CCOMOclient::kVersion11);
    m_client->setPackage(m_pkg.package.get());
    m_client->attachMaterial(m_pkg.material.get());
  }
  void TearDown() override {
    m_client.reset();
    m_mo.reset();
    m_pkg.release();
  }

  void present(const std::vector<std::string>& labels) {
    ASSERT_EQ(m_client->material()->SetPresentPhases(
                  capeside::makeStringArray(labels),
                  capeside::makeLongArray(std::vector<LONG>(labels.size(), 0))),
              S_OK);
  }
  //! What the material holds for a value code of a phase index, read by the material itself.
  std::vector<double> held(LONG phaseIndex, LONG code, std::size_t count) {
    std::vector<double> v(count, 0.0);
    EXPECT_EQ(m_mo->GetValue(phaseIndex, code, v.data()), S_OK) << code;
    return v;
  }

  testsupport::ModuleEnvironment m_env;
  testsupport::AdapterPackage m_pkg;
  ComPtr<IMatObj> m_mo;
  std::unique_ptr<CCOMOclient> m_client;
};

}  // namespace

TEST_F(MaterialClientPR, phase_table_and_interfaces_of_the_package) {
  EXPECT_EQ(m_client->numCompounds(), kN);
  EXPECT_EQ(m_client->numPhases(), 2);
  EXPECT_EQ(m_client->phaseLabelOfSlot(0).narrow(), "Vapor");
  EXPECT_EQ(m_client->phaseLabelOfSlot(1).narrow(), "Liquid");
  EXPECT_TRUE(m_client->phaseLabelOfSlot(2).empty());
  EXPECT_EQ(m_client->phaseLabelOfSlot(3).narrow(), "Overall");
  EXPECT_EQ(m_client->hostPhaseCount(), 3);
  EXPECT_EQ(m_client->secondLiquidIndex(), 0);
  EXPECT_NE(m_client->propertyRoutine(), nullptr);
  EXPECT_NE(m_client->equilibriumRoutine(), nullptr);
  EXPECT_NE(m_client->compounds(), nullptr);
  EXPECT_NE(m_client->material(), nullptr);
}

TEST_F(MaterialClientPR, single_phase_and_overall_reads_match_the_material) {
  const double T = 300.0, P = 2e6;
  ASSERT_EQ(m_mo->SetState(T, P, kFeed.data(), COIds::PhaseOverall), S_OK);
  ASSERT_EQ(m_mo->SetState(T, P, kFeed.data(), COIds::PhaseVapor), S_OK);
  present({"Vapor"});
  auto props = capeside::makeStringArray(
      {"enthalpy", "enthalpy.Dtemperature", "fugacityCoefficient", "fugacityCoefficient.Dmoles"});
  ASSERT_EQ(m_mo->CalcSinglePhaseProps(props, Bstr("Vapor").get(), Bstr("Mixture").get()), S_OK);

  std::vector<double> v(kN, 0.0);
  ASSERT_EQ(m_client->getPropOfSlot(COIds::PropEnthalpy, COIds::SlotVapor, v), S_OK);
  EXPECT_EQ(v[0], held(COIds::PhaseVapor, COIds::PropEnthalpy, 1)[0]);
  ASSERT_EQ(m_client->getPropOfSlot(1035, COIds::SlotVapor, v), S_OK);
  EXPECT_EQ(v[0], held(COIds::PhaseVapor, 1035, 1)[0]);
  EXPECT_GT(v[0], 0.0);  // heat capacity
  ASSERT_EQ(m_client->getProp(COIds::PropFugacityCoefficient, COIds::PhaseVapor, v), S_OK);
  EXPECT_EQ(v, held(COIds::PhaseVapor, COIds::PropFugacityCoefficient, kN));
  EXPECT_LT(v[6], v[0]);  // n-hexane is further from ideal than methane

  ASSERT_EQ(m_client->getProp(COIds::PropTemperature, COIds::PhaseOverall, v), S_OK);
  EXPECT_EQ(v[0], T);
  ASSERT_EQ(m_client->getProp(COIds::PropFraction, COIds::PhaseOverall, v), S_OK);
  EXPECT_EQ(v, kFeed);

  // The material keeps the full n x n composition derivative: not one value per compound.
  std::fill(v.begin(), v.end(), -1.0);
  EXPECT_EQ(m_client->getProp(COIds::PropFugacityCoefficient, 0, v, u"Vapor",
                              u"fugacityCoefficient.Dmoles"),
            E_FAIL);
  ASSERT_FALSE(m_env.notices.empty());
  EXPECT_NE(m_env.notices.back().text.find("'fugacityCoefficient.Dmoles' has 100 elements when "
                                           "the number of components is actually 10"),
            std::string::npos)
      << m_env.notices.back().text;
  EXPECT_EQ(v[0], -1.0);
  // Not calculated, so not available.
  EXPECT_EQ(m_client->getPropOfSlot(COIds::PropEntropy, COIds::SlotVapor, v), E_FAIL);
}

TEST_F(MaterialClientPR, writes_are_read_back_by_the_material) {
  ASSERT_EQ(m_mo->SetState(250.0, 3e6, kFeed.data(), COIds::PhaseOverall), S_OK);
  ASSERT_EQ(m_mo->SetState(250.0, 3e6, kFeed.data(), COIds::PhaseLiquid), S_OK);
  present({"Liquid"});
  ASSERT_EQ(m_client->setPropOfSlot(COIds::PropFraction, COIds::SlotLiquid, kLiquid), S_OK);
  double T = 0, P = 0;
  std::vector<double> x(kN, 0.0);
  ASSERT_EQ(m_mo->GetState(&T, &P, x.data(), COIds::PhaseLiquid), S_OK);
  EXPECT_EQ(x, kLiquid);
  std::vector<double> v(kN, 0.0);
  ASSERT_EQ(m_client->getPropOfSlot(COIds::PropFraction, COIds::SlotLiquid, v), S_OK);
  EXPECT_EQ(v, kLiquid);

  ASSERT_EQ(m_client->setProp(COIds::PropPressure, COIds::PhaseOverall, std::vector<double>{4.5e6}),
            S_OK);
  ASSERT_EQ(m_mo->GetState(&T, &P, x.data(), COIds::PhaseOverall), S_OK);
  EXPECT_EQ(P, 4.5e6);
  EXPECT_EQ(T, 250.0);
}

TEST_F(MaterialClientPR, two_phase_read_uses_the_package_labels) {
  const double T = 220.0, P = 3e6;
  ASSERT_EQ(m_mo->SetState(T, P, kFeed.data(), COIds::PhaseVapor), S_OK);
  ASSERT_EQ(m_mo->SetState(T, P, kLiquid.data(), COIds::PhaseLiquid), S_OK);
  present({"Vapor", "Liquid"});
  ASSERT_EQ(m_mo->CalcTwoPhaseProps(capeside::makeStringArray({"kvalue"}),
                                    capeside::makeStringArray({"Vapor", "Liquid"})),
            S_OK);
  std::vector<double> K(kN, 0.0);
  ASSERT_EQ(m_client->getProp(COIds::PropKvalue, COIds::PhaseVaporLiquid, K), S_OK);
  EXPECT_EQ(K, held(COIds::PhaseVaporLiquid, COIds::PropKvalue, kN));
  EXPECT_GT(K[0], 1.0);  // methane goes to the vapour
  EXPECT_LT(K[6], 1.0);  // n-hexane stays in the liquid
}
