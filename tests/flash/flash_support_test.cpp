#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "capeside/support/variant_lists.h"
#include "comlite/com_ptr.h"
#include "comlite/object.h"
#include "reporter/method_guard.h"
#include "reporter/ravl_error.h"
#include "flash/flash_catalogue.h"
#include "flash/flash_support.h"
#include "frame/host_interfaces.h"
#include "outside/cape_gui.h"
#include "outside/capeopen_thermo.h"
#include "outside/mat_obj.h"
#include "support/adapter_fixture.h"
#include "vocabulary/co_ids.h"

namespace fl = coravl::flash;
using comlite::Bstr;
using comlite::ComPtr;
using comlite::Variant;

namespace {

//! An equilibrium routine answering every question alike, failing the one of a flash whose
//! second specification is `failSecond`, and counting the questions.
class FakeEquilibrium : public comlite::ComObject<FakeEquilibrium, ICapeThermoEquilibriumRoutine> {
 public:
  HRESULT CalcEquilibrium(VARIANT, VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT CheckEquilibriumSpec(VARIANT s1, VARIANT s2, BSTR, VARIANT_BOOL* ok) override {
    ++questions;
    if (capeside::stringList(s1)->at(0) == "pressure" &&
        capeside::stringList(s2)->at(0) == failSecond)
      return E_FAIL;
    *ok = answer ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  }
  int questions = 0;
  bool answer = true;
  std::string failSecond = "-";
};

std::vector<LONG> longs(const VARIANT& v) {
  return capeside::longList(v).value_or(std::vector<LONG>{-1});
}

//! A package selected through the built adapter, and the component's flash state beside it.
class FlashSupport : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* module : {"capeside", "pr_package", "ideal_package"})
      ASSERT_EQ(m_env.registerModule(module), S_OK);
  }
  void TearDown() override {
    m_routine.reset();
    m_matObj.reset();
    m_material.reset();
    m_gui.reset();
    m_pkg.release();
  }
  void open(const std::string& manager, const std::string& package) {
    ASSERT_NO_FATAL_FAILURE(m_pkg.open(m_env, manager, package));
    const auto& material = m_pkg.material;
    m_gui = m_pkg.gui.as<ICCAPEGUI>();
    m_matObj = material.as<IMatObj>();
    m_material = material.as<ICapeThermoMaterial>();
    m_routine = m_pkg.package.as<ICapeThermoEquilibriumRoutine>();
    ASSERT_TRUE(m_gui && m_matObj && m_material && m_routine);
    ASSERT_EQ(m_pkg.package.as<ICapeThermoMaterialContext>()->SetMaterial(material.get()), S_OK);
    ASSERT_EQ(material.as<ICapeThermoCompounds>()->GetNumCompounds(&m_count), S_OK);
    ASSERT_EQ(m_pkg.adapter->GetValue(Bstr("SelectedPhases").get(), m_phases.out()), S_OK);
    ASSERT_EQ(m_pkg.adapter->GetValue(Bstr("SelectedStateOfAggregation").get(), m_states.out()),
              S_OK);
    ASSERT_EQ(m_matObj->GetPhaseLabel(COIds::PhaseVapor, m_vapor.out()), S_OK);
    m_env.notices.clear();
  }
  void openPr() { open("CORavlPR.PackageManager.1", "Natural Gas (PR)"); }
  void openIdeal() { open("CORavlIdeal.PackageManager.1", "Light hydrocarbons"); }

  //! An initialised 1.1 component holding the package.
  fl::FlashCheckInputs inputs(ICapeThermoEquilibriumRoutine* routine = nullptr) const {
    fl::FlashCheckInputs in;
    in.packageInitialised = true;
    in.capeOpenVersion = 110;
    in.package = m_pkg.package.get();
    in.equilibriumRoutine = routine ? routine : m_routine.get();
    in.matObj = m_matObj.get();
    in.material = m_material.get();
    in.compoundCount = m_count;
    in.selectedPhases = &m_phases;
    in.selectedStates = &m_states;
    in.vaporLabel = m_vapor.get();
    in.setupView = m_gui.get();
    return in;
  }
  std::vector<std::string> namesShown() {
    Variant names;
    EXPECT_EQ(m_gui->GetSupportedFlashes(&names), S_OK);
    return capeside::stringList(names).value_or(std::vector<std::string>{"<not a list>"});
  }
  bool noticed(const std::string& text) const {
    for (const auto& n : m_env.notices)
      if (n.text.find(text) != std::string::npos) return true;
    return false;
  }

  testsupport::ModuleEnvironment m_env;
  testsupport::AdapterPackage m_pkg;
  ComPtr<ICCAPEGUI> m_gui;
  ComPtr<IMatObj> m_matObj;
  ComPtr<ICapeThermoMaterial> m_material;
  ComPtr<ICapeThermoEquilibriumRoutine> m_routine;
  LONG m_count = 0;
  Variant m_phases, m_states;
  Bstr m_vapor;
  // The component's side.
  CCORavlError m_reporter{1e-30};
  MethodGuard m_guard{m_reporter};
  CCORVLflashFactory m_factory;
  std::vector<LONG> m_supported;
  Variant m_spec1, m_spec2;
  Bstr m_solutionType;
  fl::FlashState m_state{m_factory, m_supported, m_spec1, m_spec2, m_solutionType};
};

}  // namespace

TEST_F(FlashSupport, peng_robinson_supports_every_flash_and_keeps_the_test_state) {
  openPr();
  INT n = -1;
  Variant types = capeside::makeLongArray({9});  // the host's list is appended to
  ASSERT_EQ(fl::supportedFlashTypes(inputs(), m_state, m_guard, &n, &types), S_OK);
  EXPECT_EQ(m_supported, (std::vector<LONG>{15, 16, 17, 18, 19, 20, 21, 22}));
  EXPECT_EQ(longs(types), (std::vector<LONG>{9, 1, 2, 5, 7, 4, 8, 3, 6}));
  EXPECT_EQ(n, 9);
  EXPECT_EQ(namesShown(),
            (std::vector<std::string>{"TP", "PH", "TH", "TVF", "PVF", "HVF", "PS", "TS"}));
  // The test state stays on the material.
  double T = 0, P = 0, h = 0, vf = 0;
  std::vector<double> x(static_cast<std::size_t>(m_count));
  ASSERT_EQ(m_matObj->GetState(&T, &P, x.data(), COIds::PhaseOverall), S_OK);
  EXPECT_EQ(T, 300.0);
  EXPECT_EQ(P, 100000.0);
  EXPECT_DOUBLE_EQ(x.back(), 1.0 / m_count);
  ASSERT_EQ(m_matObj->GetValue(COIds::PhaseOverall, COIds::PropEnthalpy, &h), S_OK);
  ASSERT_EQ(m_matObj->GetValue(COIds::PhaseVapor, COIds::PropPhaseFraction, &vf), S_OK);
  EXPECT_EQ(h + vf, 2.0);
  Variant labels, status;
  ASSERT_EQ(m_material->GetPresentPhases(&labels, &status), S_OK);
  EXPECT_EQ(capeside::stringList(labels), capeside::stringList(m_phases));
  EXPECT_EQ(longs(status), (std::vector<LONG>{0, 0}));
  // Each specification is the one the material object builds for the flash.
  for (LONG id = 15; id <= 22; ++id) {
    ASSERT_EQ(fl::buildFlashSpecification(id, m_vapor.get(), m_state), S_OK);
    Variant s1, s2;
    Bstr type;
    ASSERT_EQ(m_matObj->GetFlashSpecification(id, &s1, &s2, type.out()), S_OK);
    EXPECT_EQ(capeside::stringList(m_spec1), capeside::stringList(s1)) << id;
    EXPECT_EQ(capeside::stringList(m_spec2), capeside::stringList(s2)) << id;
    EXPECT_EQ(m_solutionType.utf8(), type.utf8()) << id;
  }
  EXPECT_TRUE(m_env.notices.empty());
}

TEST_F(FlashSupport, the_ideal_package_offers_tp_only_and_any_type_may_be_asked) {
  openIdeal();
  INT n = -1;
  Variant types = Variant::fromString("not a list");
  ASSERT_EQ(fl::supportedFlashTypes(inputs(), m_state, m_guard, &n, &types), S_OK);
  EXPECT_EQ(longs(types), std::vector<LONG>{xftPTFlash});
  EXPECT_EQ(n, 1);
  EXPECT_EQ(namesShown(), std::vector<std::string>{"TP"});
  EXPECT_TRUE(fl::isFlashTypeSupported(xftPTFlash, inputs(), m_state, m_guard));
  EXPECT_FALSE(fl::isFlashTypeSupported(xftPHFlash, inputs(), m_state, m_guard));
  for (LONG type : {xftPHFlash, xftZPFlash}) {
    INT status = -1;
    EXPECT_EQ(fl::canHandleFlashType(type, inputs(), m_state, m_guard, &status), S_OK);
    EXPECT_EQ(status, 0) << type;
  }
}

TEST_F(FlashSupport, nothing_supported_is_asked_again_and_a_failed_question_skips_one_flash) {
  openIdeal();
  auto fake = ComPtr<FakeEquilibrium>::attach(comlite::makeObject<FakeEquilibrium>());
  fake->answer = false;
  INT n = -1;
  Variant types;
  ASSERT_EQ(fl::supportedFlashTypes(inputs(fake.get()), m_state, m_guard, &n, &types), S_OK);
  EXPECT_EQ(n, 0);
  EXPECT_EQ(types.vt, VT_EMPTY);
  EXPECT_TRUE(namesShown().empty());
  ASSERT_EQ(fl::checkFlashTypes(inputs(fake.get()), m_state, m_guard), S_OK);
  EXPECT_EQ(fake->questions, 16);
  fake->answer = true;
  fake->failSecond = "enthalpy";  // PH
  ASSERT_EQ(fl::checkFlashTypes(inputs(fake.get()), m_state, m_guard), S_OK);
  EXPECT_EQ(m_supported, (std::vector<LONG>{15, 17, 18, 19, 20, 21, 22}));
  ASSERT_EQ(fl::checkFlashTypes(inputs(fake.get()), m_state, m_guard), S_OK);  // kept
  EXPECT_EQ(fake->questions, 24);
  EXPECT_TRUE(m_env.notices.empty());
}

TEST_F(FlashSupport, no_check_without_an_initialised_11_package_in_this_host) {
  openIdeal();
  auto fake = ComPtr<FakeEquilibrium>::attach(comlite::makeObject<FakeEquilibrium>());
  for (int c = 0; c < 4; ++c) {
    auto in = inputs(fake.get());
    in.otherHostApplication = c == 0;
    in.packageInitialised = c != 1;
    in.capeOpenVersion = c == 2 ? 100 : 110;
    in.package = c == 3 ? nullptr : in.package;
    EXPECT_FALSE(fl::isFlashTypeSupported(xftPTFlash, in, m_state, m_guard)) << c;
  }
  EXPECT_EQ(fake->questions, 0);
  auto in = inputs();
  in.equilibriumRoutine = nullptr;  // a package without the routine supports no flash
  ASSERT_EQ(fl::checkFlashTypes(in, m_state, m_guard), S_OK);
  EXPECT_TRUE(m_supported.empty());
  EXPECT_TRUE(m_env.notices.empty());
}

TEST_F(FlashSupport, failures_around_the_questions_are_reported_as_checking_flashtypes) {
  openPr();
  auto in = inputs();
  in.matObj = nullptr;
  EXPECT_EQ(fl::checkFlashTypes(in, m_state, m_guard), S_OK);
  EXPECT_TRUE(noticed("checking flashtypes(_com_error)"));
  EXPECT_TRUE(m_supported.empty());
  m_env.notices.clear();
  in = inputs();
  in.setupView = nullptr;  // the answers are kept, the missing view is reported
  EXPECT_EQ(fl::checkFlashTypes(in, m_state, m_guard), S_OK);
  EXPECT_TRUE(noticed("checking flashtypes(_com_error)"));
  EXPECT_EQ(m_supported.size(), 8u);
}
