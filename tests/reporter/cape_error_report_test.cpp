//! The reporter with capeErrorUtils registered (a stand-in module under the real class id).

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>

#include "comlite/com_error.h"
#include "comlite/com_ptr.h"
#include "comlite/creation.h"
#include "comlite/error_info.h"
#include "comlite/hresult.h"
#include "outside/cape_error_utils.h"
#include "reporter/reporter_fakes.h"
#include "reporter/reporter_fixture.h"
#include "support/temp_env.h"

namespace {

class CapeErrorReport : public coravl_test::ReporterFixture {
 protected:
  void SetUp() override {
    ReporterFixture::SetUp();
    const std::string path = testsupport::libDir() + "/libreporter_test_error_utils.so";
    void* handle = comlite::loadModule(path);
    ASSERT_NE(handle, nullptr) << path;
    auto registerServer = reinterpret_cast<HRESULT (*)()>(::dlsym(handle, "DllRegisterServer"));
    ASSERT_NE(registerServer, nullptr);
    ASSERT_EQ(registerServer(), S_OK);
  }
};

TEST_F(CapeErrorReport, cape_error_codes_are_described_by_the_error_utilities) {
  auto r = makeRavl();
  EXPECT_TRUE(r->hasCapeErrorUtils());
  auto object = comlite::ComPtr<coravl_test::PlainDispatch>::attach(
      comlite::makeObject<coravl_test::PlainDispatch>());
  EXPECT_EQ(r->reportCapeError("op", ECapeUnknownHR, object.get(), false, "ctx"), E_FAIL);
  ASSERT_EQ(m_notices.size(), 1u);
  // The description's lines are joined by new lines, without brackets.
  EXPECT_EQ(m_notices[0].text,
            " ERROR: The CAPE-OPEN Property Package '' raised an exception while text=op\n"
            "object=dispatch\nstatus=-2147220223. Contact this component's vendor. ");
  // Inside a calculation the description of the calculation follows.
  auto log = comlite::ComPtr<coravl_test::FakeErrorLog>::attach(
      comlite::makeObject<coravl_test::FakeErrorLog>());
  CallContextScope call(*r, log.get(), nullptr);
  r->reportCapeError("op", ECapeBadArgumentHR, object.get(), true, nullptr);
  ASSERT_EQ(log->entries.size(), 1u);
  EXPECT_NE(log->entries[0].message.find("status=-2147220219. Contact this component's vendor. "
                                         "Detected while calculating {"),
            std::string::npos);
}

TEST_F(CapeErrorReport, a_pending_description_is_the_packages_account_once) {
  auto r = makeRavl();
  auto object = comlite::ComPtr<coravl_test::PlainDispatch>::attach(
      comlite::makeObject<coravl_test::PlainDispatch>());
  comlite::setErrorInfo("temperature 20000 K is outside the model's range", "PrPackage");
  r->reportCapeError("op", ECapeOutOfBoundsHR, object.get(), false, "ctx");
  EXPECT_EQ(noticeTexts(),
            (std::vector<std::string>{
                " ERROR: The CAPE-OPEN Property Package '' raised an exception while ctx:  "
                "ERROR: op\n(temperature 20000 K is outside the model's range: "
                "PrPackage)(0x80040507). Contact this component's vendor. "}));
  std::string description, source;
  EXPECT_FALSE(comlite::takeErrorInfo(description, source) && !description.empty());
}

TEST_F(CapeErrorReport, other_statuses_and_missing_objects_use_the_composed_message) {
  auto r = makeRavl();
  auto object = comlite::ComPtr<coravl_test::PlainDispatch>::attach(
      comlite::makeObject<coravl_test::PlainDispatch>());
  r->reportCapeError("op", E_FAIL, object.get(), false, "ctx");
  r->reportCapeError("op", ECapeUnknownHR, nullptr, false, "ctx");
  EXPECT_EQ(noticeTexts(),
            (std::vector<std::string>{
                " ERROR: The CAPE-OPEN Property Package '' raised an exception while ctx:  "
                "ERROR: op. Contact this component's vendor. ",
                " ERROR: The CAPE-OPEN Property Package '' raised an exception while ctx:  "
                "ERROR: op(0x80040501). Contact this component's vendor. "}));
}

TEST_F(CapeErrorReport, a_refusal_of_the_error_utilities_is_raised) {
  auto r = makeRavl();
  auto object = comlite::ComPtr<coravl_test::PlainDispatch>::attach(
      comlite::makeObject<coravl_test::PlainDispatch>());
  try {
    r->reportCapeError("op", ECapeTimeOutHR, object.get(), false, nullptr);
    ADD_FAILURE() << "nothing raised";
  } catch (const comlite::ComError& e) {
    EXPECT_EQ(e.status(), E_UNEXPECTED);
    EXPECT_EQ(e.iid(), ICapeErrorUtils::kIID);
  }
  EXPECT_TRUE(m_notices.empty());
}

}  // namespace
