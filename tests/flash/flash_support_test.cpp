#include <gtest/gtest.h>

#include <cmath>

#include "comlite/safearray.h"
#include "flash/flash_support.h"
#include "flash_fixture.h"
#include "frame/host_interfaces.h"
#include "vocabulary/co_ids.h"

using namespace flashtest;
namespace fl = coravl::flash;

namespace {

std::vector<LONG> longsOf(const VARIANT& v) {
  return capeside::longList(v).value_or(std::vector<LONG>{-1});
}

const std::vector<LONG> kAllFlashIds = {15, 16, 17, 18, 19, 20, 21, 22};
const std::vector<std::string> kAllFlashNames = {"TP", "PH", "TH", "TVF", "PVF", "HVF", "PS", "TS"};

}  // namespace

TEST_F(CapePackage, pr_package_supports_every_flash_in_flash_id_order) {
  openPr();
  INT n = -1;
  Variant types;
  ASSERT_EQ(fl::supportedFlashTypes(inputs(), m_state, m_guard, &n, &types), S_OK);
  EXPECT_EQ(m_supported, kAllFlashIds);
  EXPECT_EQ(n, 8);
  EXPECT_EQ(longsOf(types), (std::vector<LONG>{xftPTFlash, xftPHFlash, xftTHFlash, xftTVFlash,
                                               xftPVFlash, xftHVFlash, xftPSFlash, xftTSFlash}));
  EXPECT_EQ(namesShown(), kAllFlashNames);
  EXPECT_TRUE(m_env.notices.empty());
}

TEST_F(CapePackage, the_check_leaves_its_test_state_on_the_material) {
  openPr();
  ASSERT_EQ(fl::checkFlashTypes(inputs(), m_state, m_guard), S_OK);
  double T = 0, P = 0;
  std::vector<double> x(static_cast<std::size_t>(m_compoundCount), -1.0);
  ASSERT_EQ(m_matObj->GetState(&T, &P, x.data(), COIds::PhaseOverall), S_OK);
  EXPECT_EQ(T, 300.0);
  EXPECT_EQ(P, 100000.0);
  for (double xi : x) EXPECT_DOUBLE_EQ(xi, 1.0 / m_compoundCount);
  double value = 0;
  ASSERT_EQ(m_matObj->GetValue(COIds::PhaseOverall, COIds::PropEnthalpy, &value), S_OK);
  EXPECT_EQ(value, 1.0);
  ASSERT_EQ(m_matObj->GetValue(COIds::PhaseOverall, COIds::PropEntropy, &value), S_OK);
  EXPECT_EQ(value, 1.0);
  ASSERT_EQ(m_matObj->GetValue(COIds::PhaseVapor, COIds::PropPhaseFraction, &value), S_OK);
  EXPECT_EQ(value, 1.0);
  // The selected vapour and liquid phases are present, in selection order, status 0.
  Variant labels, status;
  ASSERT_EQ(m_material->GetPresentPhases(&labels, &status), S_OK);
  EXPECT_EQ(capeside::stringList(labels).value_or(std::vector<std::string>{}),
            capeside::stringList(m_phases).value_or(std::vector<std::string>{"?"}));
  EXPECT_EQ(longsOf(status), (std::vector<LONG>{0, 0}));
}

TEST_F(CapePackage, ideal_package_offers_the_tp_flash_only) {
  openIdeal();
  INT n = -1;
  Variant types;
  ASSERT_EQ(fl::supportedFlashTypes(inputs(), m_state, m_guard, &n, &types), S_OK);
  EXPECT_EQ(m_supported, std::vector<LONG>{COIds::FlashTP});
  EXPECT_EQ(n, 1);
  EXPECT_EQ(longsOf(types), std::vector<LONG>{xftPTFlash});
  EXPECT_EQ(namesShown(), std::vector<std::string>{"TP"});
  EXPECT_TRUE(fl::isFlashTypeSupported(xftPTFlash, inputs(), m_state, m_guard));
  EXPECT_FALSE(fl::isFlashTypeSupported(xftPHFlash, inputs(), m_state, m_guard));
  EXPECT_FALSE(fl::isFlashTypeSupported(xftUnknownFlash, inputs(), m_state, m_guard));
  // CanHandleFlashType answers 0 whatever the package supports, even without a record.
  for (LONG type : {xftPTFlash, xftPHFlash, xftZPFlash, xftLastFlash}) {
    INT status = -1;
    EXPECT_EQ(fl::canHandleFlashType(type, inputs(), m_state, m_guard, &status), S_OK);
    EXPECT_EQ(status, 0) << type;
  }
  EXPECT_EQ(fl::canHandleFlashType(xftPTFlash, inputs(), m_state, m_guard, nullptr), E_POINTER);
}

TEST_F(CapePackage, specifications_agree_with_the_material_objects_own) {
  openPr();
  for (LONG id : kAllFlashIds) {
    ASSERT_EQ(fl::buildFlashSpecification(id, m_vaporLabel.get(), m_state), S_OK) << id;
    Variant s1, s2;
    Bstr type;
    ASSERT_EQ(m_matObj->GetFlashSpecification(id, &s1, &s2, type.out()), S_OK) << id;
    EXPECT_EQ(capeside::stringList(m_specification1), capeside::stringList(s1)) << id;
    EXPECT_EQ(capeside::stringList(m_specification2), capeside::stringList(s2)) << id;
    EXPECT_EQ(m_solutionType.utf8(), type.utf8()) << id;
  }
}

TEST_F(CapePackage, a_package_that_supports_nothing_is_asked_again_next_time) {
  openIdeal();
  auto fake = ComPtr<FakeEquilibrium>::attach(comlite::makeObject<FakeEquilibrium>());
  fake->answer = false;
  auto in = inputs();
  in.equilibriumRoutine = fake.get();
  INT n = -1;
  Variant types;
  ASSERT_EQ(fl::supportedFlashTypes(in, m_state, m_guard, &n, &types), S_OK);
  EXPECT_EQ(n, 0);
  EXPECT_EQ(types.vt, VT_EMPTY);
  EXPECT_TRUE(m_supported.empty());
  EXPECT_EQ(fake->questions, 8);
  EXPECT_TRUE(namesShown().empty());
  ASSERT_EQ(fl::supportedFlashTypes(in, m_state, m_guard, &n, &types), S_OK);
  EXPECT_EQ(fake->questions, 16);
  EXPECT_EQ(n, 0);
  // Once something is supported the list is kept and the package is not asked again.
  fake->answer = true;
  ASSERT_EQ(fl::checkFlashTypes(in, m_state, m_guard), S_OK);
  EXPECT_EQ(m_supported.size(), 8u);
  ASSERT_EQ(fl::checkFlashTypes(in, m_state, m_guard), S_OK);
  EXPECT_EQ(fake->questions, 24);
  EXPECT_TRUE(m_env.notices.empty());
}

TEST_F(CapePackage, a_failing_question_skips_only_that_flash_and_reports_nothing) {
  openIdeal();
  auto fake = ComPtr<FakeEquilibrium>::attach(comlite::makeObject<FakeEquilibrium>());
  fake->failFirst = "pressure";
  fake->failSecond = "enthalpy";
  auto in = inputs();
  in.equilibriumRoutine = fake.get();
  ASSERT_EQ(fl::checkFlashTypes(in, m_state, m_guard), S_OK);
  EXPECT_EQ(m_supported, (std::vector<LONG>{15, 17, 18, 19, 20, 21, 22}));
  EXPECT_EQ(namesShown(), (std::vector<std::string>{"TP", "TH", "TVF", "PVF", "HVF", "PS", "TS"}));
  EXPECT_TRUE(m_env.notices.empty());
}

TEST_F(CapePackage, no_check_without_an_initialised_11_package_held) {
  openIdeal();
  auto fake = ComPtr<FakeEquilibrium>::attach(comlite::makeObject<FakeEquilibrium>());
  struct Case {
    const char* what;
    void (*change)(fl::FlashCheckInputs&);
  };
  const Case cases[] = {
      {"another host application",
       [](fl::FlashCheckInputs& in) { in.otherHostApplication = true; }},
      {"not initialised", [](fl::FlashCheckInputs& in) { in.packageInitialised = false; }},
      {"version 1.0", [](fl::FlashCheckInputs& in) { in.capeOpenVersion = 100; }},
      {"no package", [](fl::FlashCheckInputs& in) { in.package = nullptr; }},
  };
  for (const auto& c : cases) {
    auto in = inputs();
    in.equilibriumRoutine = fake.get();
    c.change(in);
    EXPECT_EQ(fl::checkFlashTypes(in, m_state, m_guard), S_OK) << c.what;
    EXPECT_FALSE(fl::isFlashTypeSupported(xftPTFlash, in, m_state, m_guard)) << c.what;
  }
  EXPECT_EQ(fake->questions, 0);
  // A filled list is kept as it is.
  m_supported = {COIds::FlashPH};
  auto in = inputs();
  in.equilibriumRoutine = fake.get();
  EXPECT_TRUE(fl::isFlashTypeSupported(xftPHFlash, in, m_state, m_guard));
  EXPECT_EQ(fake->questions, 0);
  EXPECT_TRUE(m_env.notices.empty());
}

TEST_F(CapePackage, a_failure_around_the_questions_is_reported_and_the_check_retried) {
  openPr();
  auto in = inputs();
  in.matObj = nullptr;
  EXPECT_EQ(fl::checkFlashTypes(in, m_state, m_guard), S_OK);
  EXPECT_TRUE(noticed("checking flashtypes(_com_error)"));
  EXPECT_TRUE(m_supported.empty());

  // Without a setup view the list is kept, and the missing view is reported.
  m_env.notices.clear();
  in = inputs();
  in.setupView = nullptr;
  EXPECT_EQ(fl::checkFlashTypes(in, m_state, m_guard), S_OK);
  EXPECT_TRUE(noticed("checking flashtypes(_com_error)"));
  EXPECT_EQ(m_supported, kAllFlashIds);
  EXPECT_TRUE(namesShown().empty());
}

TEST_F(CapePackage, a_package_without_an_equilibrium_routine_supports_no_flash) {
  openIdeal();
  auto in = inputs();
  in.equilibriumRoutine = nullptr;
  INT n = -1;
  Variant types;
  ASSERT_EQ(fl::supportedFlashTypes(in, m_state, m_guard, &n, &types), S_OK);
  EXPECT_EQ(n, 0);
  EXPECT_TRUE(m_supported.empty());
  EXPECT_TRUE(m_env.notices.empty());
}

TEST_F(CapePackage, supported_types_are_appended_to_the_hosts_list) {
  openPr();
  INT n = -1;
  Variant types = capeside::makeLongArray({9});
  ASSERT_EQ(fl::supportedFlashTypes(inputs(), m_state, m_guard, &n, &types), S_OK);
  EXPECT_EQ(n, 9);
  EXPECT_EQ(longsOf(types), (std::vector<LONG>{9, 1, 2, 5, 7, 4, 8, 3, 6}));
  // Anything but a list of integers is replaced.
  Variant text = Variant::fromString("none");
  ASSERT_EQ(fl::supportedFlashTypes(inputs(), m_state, m_guard, &n, &text), S_OK);
  EXPECT_EQ(n, 8);
  EXPECT_EQ(longsOf(text), (std::vector<LONG>{1, 2, 5, 7, 4, 8, 3, 6}));
  EXPECT_EQ(fl::supportedFlashTypes(inputs(), m_state, m_guard, nullptr, &text), E_POINTER);
  EXPECT_EQ(fl::supportedFlashTypes(inputs(), m_state, m_guard, &n, nullptr), E_POINTER);
}
