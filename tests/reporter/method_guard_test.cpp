#include "reporter/method_guard.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "base/thcom_error.h"
#include "comlite/com_error.h"
#include "comlite/com_ptr.h"
#include "comlite/error_info.h"
#include "comlite/hresult.h"
#include "reporter/reporter_fakes.h"
#include "reporter/reporter_fixture.h"

namespace {

using coravl_test::FakeErrorLog;

class Guard : public coravl_test::ReporterFixture {
 protected:
  void SetUp() override {
    ReporterFixture::SetUp();
    m_reporter = makeRavl();
  }
  //! What the host's error log received last, without the package frame.
  std::string lastLogged() const {
    if (m_log->entries.empty()) return {};
    const std::string& m = m_log->entries.back().message;
    for (const std::string head :
         {"CAPE-OPEN P. Package '' error: <<", "CAPE-OPEN P. Package '' message: <<"})
      if (m.rfind(head, 0) == 0 && m.size() >= head.size() + 2)
        return m.substr(head.size(), m.size() - head.size() - 2);
    return "unexpected: " + m;
  }

  std::unique_ptr<CCORavlError> m_reporter;
  comlite::ComPtr<FakeErrorLog> m_log =
      comlite::ComPtr<FakeErrorLog>::attach(comlite::makeObject<FakeErrorLog>());
};

TEST_F(Guard, a_body_that_returns_is_passed_through) {
  MethodGuard guard(*m_reporter);
  EXPECT_EQ(guard.run("ctx", [] { return S_FALSE; }), S_FALSE);
  EXPECT_EQ(guard.run("ctx", [] { return E_NOTIMPL; }), E_NOTIMPL);
  EXPECT_TRUE(m_notices.empty());
}

TEST_F(Guard, each_kind_of_failure_becomes_its_complaint) {
  CallContextScope call(*m_reporter, m_log.get(), nullptr);
  MethodGuard guard(*m_reporter);

  EXPECT_EQ(
      guard.run("calculating properties (main procedure)", [] { return thcheck(E_INVALIDARG); }),
      E_FAIL);
  EXPECT_EQ(lastLogged(),
            "INTERNAL ERROR Ravelin Exceptioncalculating properties (main procedure)");

  EXPECT_EQ(
      guard.run("executing flash", []() -> HRESULT { throw comlite::ComError(ECapeUnknownHR); }),
      ECapeUnknownHR);
  EXPECT_EQ(lastLogged(), "INTERNAL ERROR (-2147220223)executing flash(_com_error)");

  // The package's own reason and source follow the component's text, once.
  EXPECT_EQ(guard.run("calculating properties (main procedure)",
                      []() -> HRESULT {
                        comlite::setErrorInfo("temperature 20000 K is outside the model's range",
                                              "PrPackage::CalcSinglePhaseProp");
                        comlite::check(ECapeOutOfBoundsHR);
                        return S_OK;
                      }),
            ECapeOutOfBoundsHR);
  EXPECT_EQ(lastLogged(),
            "INTERNAL ERROR (-2147220217)calculating properties (main procedure)(_com_error)\n"
            "(temperature 20000 K is outside the model's range: "
            "PrPackage::CalcSinglePhaseProp)");

  EXPECT_EQ(
      guard.run("registering properties", []() -> HRESULT { throw std::runtime_error("boom"); }),
      E_FAIL);
  EXPECT_EQ(lastLogged(), "INTERNAL ERROR registering properties exception: boom");

  EXPECT_EQ(guard.run("checking flashtypes", []() -> HRESULT { throw 42; }), E_FAIL);
  EXPECT_EQ(lastLogged(), "INTERNAL ERROR checking flashtypes exception");

  // Not in a calculation: no calculation description, level-1 texts are traced.
  EXPECT_NE(trace().find("INTERNAL ERROR checking flashtypes exception"), std::string::npos);
  EXPECT_EQ(m_log->entries.size(), 5u);
  EXPECT_TRUE(m_notices.empty());
}

TEST_F(Guard, a_caught_failure_never_returns_success) {
  CallContextScope call(*m_reporter, m_log.get(), nullptr);
  MethodGuard guard(*m_reporter);
  EXPECT_EQ(guard.run("ctx", []() -> HRESULT { throw comlite::ComError(S_OK); }), E_FAIL);
  EXPECT_EQ(lastLogged(), "INTERNAL ERROR ctx(_com_error)");
  EXPECT_EQ(guard.run("ctx", []() -> HRESULT { throw comlite::ComError(S_FALSE); }), E_FAIL);
  EXPECT_EQ(lastLogged(), "INTERNAL ERROR (1)ctx(_com_error)");
  // Internal codes are not COM statuses.
  EXPECT_EQ(guard.run("ctx", []() -> HRESULT { throw comlite::ComError(100); }), E_FAIL);
  // A null context is an empty one.
  EXPECT_EQ(guard.run(nullptr, [] { return thcheck(E_FAIL); }), E_FAIL);
  EXPECT_EQ(lastLogged(), "INTERNAL ERROR Ravelin Exception");
}

TEST_F(Guard, host_failures_carry_their_status_to_whoever_catches_them) {
  EXPECT_EQ(thcheck(S_OK), S_OK);
  EXPECT_EQ(thcheck(S_FALSE), S_FALSE);
  try {
    thcheck(E_POINTER);
    ADD_FAILURE() << "nothing thrown";
  } catch (CTHCOMError* e) {
    auto owned = CTHCOMError::adopt(e);
    EXPECT_EQ(owned->status(), E_POINTER);
  }
  EXPECT_EQ(CTHCOMError::adopt(nullptr), nullptr);
}

}  // namespace
