#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "comlite/bstr.h"
#include "comlite/com_error.h"
#include "comlite/com_ptr.h"
#include "comlite/hresult.h"
#include "reporter/complaint.h"
#include "reporter/method_guard.h"
#include "reporter/reporter_fakes.h"
#include "reporter/reporter_fixture.h"
#include "vocabulary/co_ids.h"

namespace {

using comlite::ComPtr;
using coravl_test::FakeErrorLog;
using coravl_test::FakeGui;
using coravl_test::ReporterFixture;
using coravl_test::TestReporter;
using K = ComplaintKind;

constexpr double kFloor = 1e-30;
const std::string kOnceOnly = CCOError::kOnceOnlyNotice;

class Reporter : public ReporterFixture {
 protected:
  ComPtr<FakeGui> m_gui = ComPtr<FakeGui>::attach(comlite::makeObject<FakeGui>());
  ComPtr<FakeErrorLog> m_log = ComPtr<FakeErrorLog>::attach(comlite::makeObject<FakeErrorLog>());
};

TEST_F(Reporter, construction_without_error_utils_says_so_once_and_works_on) {
  TestReporter r(kFloor);
  EXPECT_EQ(noticeTexts(), std::vector<std::string>{" ERROR: error creating capeErrorUtils"});
  EXPECT_FALSE(r.hasCapeErrorUtils());
  EXPECT_EQ(r.floorValue(), kFloor);

  EXPECT_EQ(r.complain(E_FAIL, "x", K::InternalError, false), E_FAIL);
  EXPECT_EQ(m_notices.back().text, " ERROR: INTERNAL ERROR x");
}

TEST_F(Reporter, composition_prefix_status_and_returned_status) {
  auto r = makePlain();
  std::string out;
  // The status sits right after the prefix; the text follows with no blank.
  EXPECT_EQ(r->complain(ECapeUnknownHR, "x", K::InternalError, false, nullptr, &out),
            ECapeUnknownHR);
  EXPECT_EQ(out, "INTERNAL ERROR (-2147220223)x");
  EXPECT_EQ(r->complain(E_FAIL, "x", K::InternalError, false, nullptr, &out), E_FAIL);
  EXPECT_EQ(out, "INTERNAL ERROR x");
  // Without a prefix there is no status either.
  EXPECT_EQ(r->complain(ECapeUnknownHR, "x", K::Warning, false, nullptr, &out), ECapeUnknownHR);
  EXPECT_EQ(out, "x");
  EXPECT_EQ(r->complainByKind("x", K::Warning, false, nullptr, &out), S_OK);
  EXPECT_EQ(out, "x");
  EXPECT_EQ(r->complainByKind("x", K::Notice, false), S_OK);
  EXPECT_EQ(r->complainByKind("x", K::Plain, false), S_OK);
  EXPECT_EQ(r->complainByKind("x", K::NotAllowed, false), E_FAIL);
  // Internal codes: 100 is neither shown nor returned as such; other codes are shown.
  EXPECT_EQ(r->complain(100, "x", K::InternalError, false, nullptr, &out), E_FAIL);
  EXPECT_EQ(out, "INTERNAL ERROR x");
  EXPECT_EQ(r->complain(500, "x", K::InternalError, false, nullptr, &out), E_FAIL);
  EXPECT_EQ(out, "INTERNAL ERROR (500)x");
  // Kind 8 is tolerated whatever the status, and carries no vendor notice.
  EXPECT_EQ(r->complain(E_INVALIDARG, "x", K::PackageNonStandardTolerated, false, nullptr, &out),
            S_OK);
  EXPECT_EQ(out,
            "The CAPE-OPEN Property Package '' did not follow the standard while "
            "(-2147024809)x");
  const std::pair<K, std::string> prefixes[] = {
      {K::NotAllowed, "It is not allowed x"},
      {K::PackageUnfeasibleValues,
       "The CAPE-OPEN Property Package '' provided unfeasible thermodynamic values x"},
      {K::PackageException, "The CAPE-OPEN Property Package '' raised an exception while x" +
                                std::string(CCOError::kVendorNotice)},
      {K::SystemError, "System Error (normally installation error) 'x"},
      {K::SimulatorUnfeasibleValues,
       "INTERNAL ERROR: The Simulator provided unfeasible thermodynamic values x"},
      {static_cast<K>(11), "x"},
      {static_cast<K>(-1), "x"},
  };
  for (const auto& [kind, text] : prefixes) {
    r->complain(E_FAIL, "x", kind, false, nullptr, &out);
    EXPECT_EQ(out, text) << "kind " << static_cast<int>(kind);
  }
  EXPECT_EQ(r->complain(E_FAIL, nullptr, K::InternalError, false, nullptr, &out), E_FAIL);
  EXPECT_EQ(out, "INTERNAL ERROR ");
  // The extra text follows the message directly.
  r->complain(S_OK, "a", K::Plain, false, "b", &out);
  EXPECT_EQ(out, "ab");
}

TEST_F(Reporter, a_failure_while_composing_is_an_internal_error_and_the_status_stands) {
  auto r = makeRavl();
  r->setPackageInfo(m_gui.get());
  for (int how : {1, 2}) {
    m_gui->throwOnName = how;
    m_notices.clear();
    std::string out = "untouched";
    EXPECT_EQ(r->complain(ECapeUnknownHR, "x", K::PackageNonStandard, false, nullptr, &out),
              ECapeUnknownHR);
    EXPECT_EQ(r->complain(E_INVALIDARG, "x", K::PackageNonStandardTolerated, true), S_OK);
    EXPECT_EQ(out, "untouched");
    EXPECT_EQ(noticeTexts(),
              std::vector<std::string>(2, "complainErrorCore:  ERROR: Internal error"));
  }
  EXPECT_TRUE(endsWith(trace(), "complainErrorCore:  ERROR: Internal error\n"));
  // Kinds that do not name the package are unaffected.
  m_notices.clear();
  EXPECT_EQ(r->complain(E_FAIL, "x", K::InternalError, false), E_FAIL);
  EXPECT_EQ(noticeTexts(), std::vector<std::string>{" ERROR: INTERNAL ERROR x"});
}

TEST_F(Reporter, kind_seven_in_a_two_phase_calculation_reads_in_full) {
  auto r = makeRavl();
  m_gui->alias = "My PR";
  r->setPackageInfo(m_gui.get());
  r->setCalcContext(strings({"fugacity", "fugacity.Dtemperature"}), strings({"Vapor", "Liquid"}),
                    "Mixture", COIds::PhaseVapor, COIds::PhaseLiquid);
  const double y[] = {0.9, 0.1}, x[] = {0.2, 0.8};
  const double* phases[] = {y, x};
  r->SetTPFraction(350.5, 2e6, phases, 2, 2);

  std::string out;
  EXPECT_EQ(r->complain(ECapeComputationHR,
                        "calculating fugacity. The values of some of these properties were not "
                        "set. ",
                        K::PackageNonStandard, true, nullptr, &out),
            ECapeComputationHR);
  // The prefix names the package by its name; the log line by its label (the alias).
  const std::string expected =
      "The CAPE-OPEN Property Package 'PR Package' did not follow the standard while "
      "(-2147220213)calculating fugacity. The values of some of these properties were not set. "
      ". Contact this component's vendor. "
      "Detected while calculating {(fugacity, fugacity.Dtemperature), (Vapor, Liquid), "
      "Mixture}. Material Object contents: "
      "V, T(K), 350.500000, P(Pa), 2000000.000000, C, 0.9, 0.1"
      "L, T(K), 350.500000, P(Pa), 2000000.000000, C, 0.2, 0.8";
  EXPECT_EQ(out, expected);
  // No error log: the message box, traced.
  ASSERT_EQ(m_notices.size(), 1u);
  EXPECT_EQ(m_notices[0].text.rfind(" ERROR: " + expected, 0), 0u);
  EXPECT_EQ(count(trace(), expected), 2u);  // the box's trace and the log channel's
}

TEST_F(Reporter, severe_levels_call_the_hook_and_status_100_is_kept_at_level_two) {
  auto r = makePlain();
  r->reportMessage("m", 4);
  EXPECT_EQ(r->severeCalls, 1);
  r->reportMessage("m", 3);
  EXPECT_EQ(r->severeCalls, 1);
  EXPECT_EQ(r->reportAtLevel(100, u"m", 7), S_OK);
  EXPECT_EQ(r->severeCalls, 1);
  EXPECT_EQ(r->reportAtLevel(E_FAIL, u"m", 7), S_OK);
  EXPECT_EQ(r->severeCalls, 2);
  // Null texts are empty texts.
  r->reportAtLevel(E_FAIL, nullptr, 1);
  r->reportMessage(nullptr, 1);
  EXPECT_EQ(m_notices.back().text, " ERROR: ");
}

TEST_F(Reporter, host_log_that_refuses_falls_back_to_the_notice) {
  auto r = makeRavl();
  m_log->answer = E_FAIL;
  CallContextScope call(*r, m_log.get(), nullptr);
  EXPECT_EQ(r->popUpError(E_FAIL, "refused", "ctx", 2), S_OK);
  EXPECT_EQ(m_log->entries.size(), 1u);
  EXPECT_EQ(noticeTexts(), std::vector<std::string>{"ctx:  ERROR: refused"});
  EXPECT_TRUE(endsWith(trace(), "ctx:  ERROR: refused\n"));
  // The trace channel falls back to the trace file.
  EXPECT_EQ(r->traceMessage("traced", 2), 1);
  EXPECT_EQ(m_log->entries.back().message, "traced");
  EXPECT_EQ(m_log->entries.back().level, 0);
  EXPECT_TRUE(endsWith(trace(), "CORavl11:  ERROR: traced\n"));
  // A log that takes it answers 0 and nothing is traced.
  m_log->answer = S_OK;
  const std::string before = trace();
  EXPECT_EQ(r->traceMessage("logged", 2), S_OK);
  EXPECT_EQ(m_log->entries.back().status, S_OK);
  EXPECT_EQ(trace(), before);
}

TEST_F(Reporter, a_failing_query_of_the_host_log_is_an_internal_error) {
  auto r = makeRavl();
  auto broken = ComPtr<coravl_test::BrokenDispatch>::attach(
      comlite::makeObject<coravl_test::BrokenDispatch>());
  CallContextScope call(*r, broken.get(), nullptr);
  const std::string internal = "CCORavlError::popUpError:  ERROR: Internal error";
  EXPECT_EQ(r->popUpError(0, "x", nullptr, 1), E_FAIL);
  EXPECT_EQ(noticeTexts(), std::vector<std::string>{internal});
  EXPECT_EQ(r->traceMessage("x", 1), E_FAIL);
  EXPECT_EQ(m_notices.size(), 2u);
  EXPECT_EQ(m_notices[1].text, internal);
  // A complaint still returns its own status.
  EXPECT_EQ(r->complain(ECapeUnknownHR, "x", K::InternalError, false), ECapeUnknownHR);
}

TEST_F(Reporter, call_context_is_held_for_the_call_only) {
  auto r = makeRavl();
  const ULONG refsBefore = m_log->refs();
  {
    CallContextScope call(*r, m_log.get(), nullptr);
    EXPECT_EQ(r->errorLog(), m_log.get());
    EXPECT_EQ(m_log->refs(), refsBefore + 1);
    auto inner = ComPtr<FakeErrorLog>::attach(comlite::makeObject<FakeErrorLog>());
    {
      CallContextScope nested(*r, inner.get(), m_log.get());
      r->popUpError(0, "inner", nullptr, 1);
      EXPECT_EQ(r->progressMonitor(), m_log.get());
    }
    EXPECT_EQ(inner->entries.size(), 1u);
    EXPECT_EQ(inner->refs(), 1u);
    EXPECT_EQ(r->errorLog(), m_log.get());
    EXPECT_EQ(r->progressMonitor(), nullptr);
    r->popUpError(0, "during", nullptr, 1);
  }
  EXPECT_EQ(r->errorLog(), nullptr);
  EXPECT_EQ(m_log->refs(), refsBefore);
  r->popUpError(0, "after", nullptr, 1);
  EXPECT_EQ(m_log->entries.size(), 1u);
  EXPECT_EQ(noticeTexts(), std::vector<std::string>{"after"});
}

//! One value of one property through the check: what comes back, what is left, and whether it
//! was reported.
TEST_F(Reporter, each_property_check_repairs_and_reports_as_its_rule_says) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    LONG id;
    bool fromPackage;
    double in;
    HRESULT result;
    double out;
    bool reported;
  };
  const Case cases[] = {
      {COIds::PropFugacity, true, -0.00005, S_OK, kFloor, false},  // rounding noise, silent
      {COIds::PropFugacity, true, 2.0, S_OK, 2.0, false},
      {COIds::PropKvalue, true, -0.5, E_FAIL, kFloor, true},
      {COIds::PropFraction, false, 0.0, S_OK, 0.0, false},
      {COIds::PropPhaseFraction, false, 1.0, S_OK, 1.0, false},
      {COIds::PropPhaseFraction, false, 1.5, E_FAIL, kFloor, true},
      {COIds::PropHeatCapacityCp, true, 0.0, E_FAIL, kFloor, true},
      {COIds::PropCompressibilityFactor, true, -2.0, E_FAIL, kFloor, true},
      {COIds::PropEnthalpy, true, -123.0, S_OK, -123.0, false},  // no check
      {COIds::PropEnthalpy, true, nan, E_FAIL, kFloor, true},    // but never a NaN
      {COIds::PropEnthalpy, true, 1e308, E_FAIL, kFloor, true},  // nor what no property is
      {COIds::PropEnthalpy, true, -1e200, E_FAIL, kFloor, true},
      {COIds::PropEnthalpy, true, 1e100, S_OK, 1e100, false},
      {COIds::PropTemperature, false, inf, E_FAIL, kFloor, true},
      {COIds::PropSurfaceTension, true, -1.0, E_FAIL, kFloor, true},
  };
  for (const Case& c : cases) {
    auto r = makeRavl();
    r->setNumberOfCompounds(1);
    double v[] = {c.in};
    SCOPED_TRACE(std::to_string(c.id) + " " + std::to_string(c.in));
    EXPECT_EQ(r->checkPropertyValues(v, c.id, nullptr, -1, c.fromPackage, nullptr), c.result);
    EXPECT_EQ(v[0], c.out);
    EXPECT_EQ(m_notices.size(), c.reported ? 1u : 0u);
    EXPECT_EQ(r->wasReported(c.id), c.reported);
  }
  // A failing surface tension is shown as the host's no-value marker before its repair.
  auto r = makeRavl();
  double sigma[] = {-1.0};
  std::string out;
  r->checkPropertyValues(sigma, COIds::PropSurfaceTension, &out, -1, true, nullptr);
  EXPECT_NE(out.find("(-32767.) for property 'surfaceTension'. "), std::string::npos);
}

TEST_F(Reporter, messages_stay_within_their_bound) {
  auto r = makePlain();
  std::string out;
  const std::string longText(10000, 'a');
  r->complain(E_FAIL, longText.c_str(), K::InternalError, false, longText.c_str(), &out);
  EXPECT_EQ(out.size(), CCOError::kMessageMax);
  // A cut never splits a character.
  std::string accents;
  for (int i = 0; i < 3000; ++i) accents += "\xC3\xA9";
  r->complain(E_FAIL, accents.c_str(), K::InternalError, false, nullptr, &out);
  EXPECT_LE(out.size(), CCOError::kMessageMax);
  EXPECT_EQ(comlite::utf16ToUtf8(comlite::utf8ToUtf16(out)), out);
  for (const auto& n : m_notices)
    EXPECT_EQ(n.text.find("A generated message is too long"), std::string::npos);
}

TEST_F(Reporter, material_state_is_copied_and_cut_to_four_phases) {
  auto r = makeRavl();
  const double a[] = {0.1, 0.9};
  const double* six[] = {a, a, a, a, a, a};
  r->SetTPFraction(280.0, 5e5, six, 2, 6);
  EXPECT_EQ(noticeTexts(),
            std::vector<std::string>{" ERROR: In SetTPFraction, m_currentPhases is longer than "
                                     "number of phases preallocated.setting to maximum"});
  EXPECT_EQ(r->currentPhases(), 4);
  EXPECT_EQ(r->numberOfCompounds(), 2);
  // Missing arrays describe an empty composition; the description has one line per label.
  r->SetTPFraction(280.0, 5e5, nullptr, 2, 1);
  r->setCalcContext(strings({"volume"}), strings({"Liquid"}), "Mixture", COIds::PhaseLiquid);
  EXPECT_EQ(r->describeMaterial(), "L, T(K), 280.000000, P(Pa), 500000.000000, C, ");
  EXPECT_EQ(r->describeCalculation(), "calculating {(volume), (Liquid), Mixture}");
  // Without a context both lists read as empty and no line is made.
  comlite::Variant empty;
  r->setCalcContext(empty, empty, nullptr, 0);
  EXPECT_EQ(r->describeCalculation(), "calculating {<empty>, <empty>, }");
  EXPECT_EQ(r->describeMaterial(), "");
  // The material trace writes one such line with its prefix.
  EXPECT_EQ(r->traceMaterialState(300.0, 1e5, a, true, "feed"), S_OK);
  EXPECT_TRUE(endsWith(trace(),
                       "CORavl11: feed, L, T(K), 300.000000, P(Pa), 100000.000000, C, 0.1, 0.9\n"));
  r->traceMaterialState(300.0, 1e5, nullptr, false, nullptr);
  EXPECT_TRUE(endsWith(trace(), "CORavl11: V, T(K), 300.000000, P(Pa), 100000.000000, C, \n"));
  r->SetTPFraction(1.0, 2.0, six, -3, -1);
  EXPECT_EQ(r->numberOfCompounds(), 0);
  EXPECT_EQ(r->currentPhases(), 0);
}

TEST_F(Reporter, package_texts_come_from_the_gui_component) {
  auto r = makeRavl();
  m_gui->alias = "My PR";
  r->setPackageInfo(m_gui.get());
  const char* texts[] = {"PR Package", "Test.PR.1", "My PR", "Peng-Robinson", ""};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(r->packageText(i), texts[i]) << i;
  EXPECT_EQ(r->packageLabel(), "My PR");
  // The name is asked again for each complaint.
  m_gui->name = "Renamed";
  std::string out;
  r->complain(E_FAIL, "x", K::PackageUnfeasibleValues, false, nullptr, &out);
  EXPECT_EQ(out,
            "The CAPE-OPEN Property Package 'Renamed' provided unfeasible thermodynamic "
            "values x");
  // A failing getter raises the component's error.
  m_gui->failingSlot = 12;
  try {
    r->setPackageInfo(m_gui.get());
    ADD_FAILURE() << "no error raised";
  } catch (const comlite::ComError& e) {
    EXPECT_EQ(e.status(), E_UNEXPECTED);
    EXPECT_EQ(e.iid(), ICCAPEGUI::kIID);
  }
  r->setPackageInfo(nullptr);
  EXPECT_EQ(r->packageLabel(), "");
  EXPECT_EQ(r->packageName(), "");
}

}  // namespace

namespace {

// A package's failure of any kind reaches the simulator as a failure with its own account.
TEST_F(Reporter, the_method_guard_turns_each_kind_of_thrown_failure_into_a_complaint) {
  auto r = makeRavl();
  MethodGuard guard(*r);
  EXPECT_EQ(guard.run("ctx", [] { return S_FALSE; }), S_FALSE);
  EXPECT_EQ(guard.run("ctx", []() -> HRESULT { throw std::runtime_error("boom"); }), E_FAIL);
  EXPECT_EQ(guard.run("flashing", []() -> HRESULT { throw 42; }), E_FAIL);
  EXPECT_EQ(guard.run("x", []() -> HRESULT { throw comlite::ComError(S_FALSE); }), E_FAIL);
  EXPECT_EQ(noticeTexts(), (std::vector<std::string>{" ERROR: INTERNAL ERROR ctx exception: boom",
                                                     " ERROR: INTERNAL ERROR flashing exception",
                                                     "INTERNAL ERROR (1)x(_com_error)"}));
}

}  // namespace
