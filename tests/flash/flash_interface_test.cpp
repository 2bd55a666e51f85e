#include "flash/flash_interface.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "comlite/bstr.h"
#include "comlite/com_error.h"
#include "comlite/com_ptr.h"
#include "comlite/object.h"
#include "outside/adapter_diagnostics.h"

namespace fl = coravl::flash;
using comlite::Bstr;

namespace {

//! A diagnostic sink that keeps what it is asked to show and answers a chosen status.
class FakeDiagnostics : public comlite::ComObject<FakeDiagnostics, ICapeDiagnostics> {
 public:
  HRESULT ReportError(LONG, BSTR) override { return E_NOTIMPL; }
  HRESULT PopUpError(LONG code, BSTR message) override {
    shown.push_back({code, comlite::bstrToUtf8(message)});
    return answer;
  }
  HRESULT ReportCapeError(BSTR, LONG, BSTR, VARIANT_BOOL, BSTR) override { return E_NOTIMPL; }
  struct Shown {
    LONG code;
    std::string text;
  };
  std::vector<Shown> shown;
  HRESULT answer = E_FAIL;  //!< what the component's reporter answers for a shown message
};

}  // namespace

TEST(FlashInterface, flash_name_and_description_replace_what_came_in) {
  BSTR name = SysAllocString(u"old name");
  BSTR text = SysAllocString(u"old text");
  ASSERT_EQ(fl::getFlashName(&name, &text), S_OK);
  EXPECT_EQ(comlite::bstrToUtf8(name), "RavelinFlash (CAPE-OPEN 1.1)");
  EXPECT_EQ(comlite::bstrToUtf8(text),
            "Selvar Ravelin Flash supporting CAPE-OPEN Thermo 1.1 Interface");
  SysFreeString(name);
  SysFreeString(text);
  EXPECT_EQ(fl::getFlashName(nullptr, &text), E_POINTER);
}

TEST(FlashInterface, no_files_nothing_to_set_up_and_no_flash_control) {
  INT n = 7;
  BSTR text = SysAllocString(u"something");
  ASSERT_EQ(fl::flashFileNeeded(&n, &text), S_OK);
  EXPECT_EQ(n, 0);
  EXPECT_EQ(text, nullptr);
  INT status = 5;
  ASSERT_EQ(fl::setupFlash(&status), S_OK);
  EXPECT_EQ(status, 0);
  VARIANT_BOOL used = VARIANT_TRUE;
  ASSERT_EQ(fl::isFlashControlUsed(&used), S_OK);
  EXPECT_EQ(used, VARIANT_FALSE);
  EXPECT_EQ(fl::flashFileNeeded(&n, nullptr), E_POINTER);
  EXPECT_EQ(fl::setupFlash(nullptr), E_POINTER);
  EXPECT_EQ(fl::isFlashControlUsed(nullptr), E_POINTER);
}

TEST(FlashInterface, save_gives_the_fixed_text_and_recall_accepts_it_by_name_equality) {
  BSTR saved = SysAllocString(u"previous");
  ASSERT_EQ(fl::flashSave(&saved), S_OK);
  EXPECT_EQ(comlite::bstrToUtf8(saved), "Save Flash Example");
  EXPECT_EQ(fl::flashRecall(saved), S_OK);
  SysFreeString(saved);
  EXPECT_EQ(fl::flashRecall(Bstr("save flash example").get()), S_OK);
  EXPECT_EQ(fl::flashRecall(Bstr("Save Flash Example ").get()), S_FALSE);
  EXPECT_EQ(fl::flashRecall(Bstr("Save Flash").get()), S_FALSE);
  EXPECT_EQ(fl::flashRecall(nullptr), S_FALSE);
  EXPECT_EQ(fl::flashSave(nullptr), E_POINTER);
}

TEST(FlashInterface, flash_setup_follows_package_initialisation) {
  auto sink = comlite::ComPtr<FakeDiagnostics>::attach(comlite::makeObject<FakeDiagnostics>());
  INT status = -1;
  ASSERT_EQ(fl::isFlashSetup(true, sink.get(), &status), S_OK);
  EXPECT_EQ(status, 0);
  EXPECT_TRUE(sink->shown.empty());
  // Not initialised: status 1 and the message, every time it is asked.
  for (int i = 1; i <= 2; ++i) {
    status = -1;
    ASSERT_EQ(fl::isFlashSetup(false, sink.get(), &status), S_OK);
    EXPECT_EQ(status, 1);
    ASSERT_EQ(sink->shown.size(), static_cast<std::size_t>(i));
    EXPECT_EQ(sink->shown.back().code, 100);
    EXPECT_EQ(sink->shown.back().text,
              "CAPE-OPEN flash option has been selected, but cannot be used until CAPE-OPEN "
              "property package has been selected for both the vapor and liquid phases.");
  }
  // A closed pop-up channel answers S_OK: nothing to raise either.
  sink->answer = S_OK;
  EXPECT_EQ(fl::isFlashSetup(false, sink.get(), &status), S_OK);
  EXPECT_EQ(fl::isFlashSetup(true, sink.get(), nullptr), E_POINTER);
}

TEST(FlashInterface, a_report_that_itself_fails_is_raised_with_the_status_written_first) {
  auto sink = comlite::ComPtr<FakeDiagnostics>::attach(comlite::makeObject<FakeDiagnostics>());
  sink->answer = E_OUTOFMEMORY;
  INT status = -1;
  try {
    fl::isFlashSetup(false, sink.get(), &status);
    FAIL() << "the failed report was not raised";
  } catch (const comlite::ComError& e) {
    EXPECT_EQ(e.status(), E_OUTOFMEMORY);
    EXPECT_EQ(e.iid(), ICapeDiagnostics::kIID);
  }
  EXPECT_EQ(status, 1);
  try {
    fl::isFlashSetup(false, nullptr, &status);
    FAIL() << "a missing sink was not raised";
  } catch (const comlite::ComError& e) {
    EXPECT_EQ(e.status(), E_POINTER);
  }
}
