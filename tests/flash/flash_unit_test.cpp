#include <gtest/gtest.h>

#include <memory>
#include <span>
#include <string>
#include <vector>

#include "comlite/bstr.h"
#include "comlite/com_error.h"
#include "comlite/com_ptr.h"
#include "comlite/object.h"
#include "flash/flash_catalogue.h"
#include "flash/flash_execution.h"
#include "flash/flash_interface.h"
#include "frame/host_interfaces.h"
#include "outside/adapter_diagnostics.h"
#include "vocabulary/co_ids.h"

namespace fl = coravl::flash;
using comlite::Bstr;

namespace {

//! A diagnostic sink that keeps what it shows and answers a chosen status.
class FakeDiagnostics : public comlite::ComObject<FakeDiagnostics, ICapeDiagnostics> {
 public:
  HRESULT ReportError(LONG, BSTR) override { return E_NOTIMPL; }
  HRESULT PopUpError(LONG code, BSTR message) override {
    shown.push_back(std::to_string(code) + " " + comlite::bstrToUtf8(message));
    return answer;
  }
  HRESULT ReportCapeError(BSTR, LONG, BSTR, VARIANT_BOOL, BSTR) override { return E_NOTIMPL; }
  std::vector<std::string> shown;
  HRESULT answer = E_FAIL;  //!< the component's reporter answers a shown message this way
};

}  // namespace

TEST(FlashCatalogue, each_record_is_found_both_ways_and_other_types_have_none) {
  CCORVLflashFactory factory;
  ASSERT_EQ(factory.count(), 8);
  for (LONG i = 0; i < 8; ++i) {
    const CCORVLflash* f = factory.at(i);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(factory.byHostFlashType(f->hostFlashType()), f);
    EXPECT_EQ(factory.flashIdOf(f->hostFlashType()), f->flashId());
    EXPECT_EQ(factory.hostFlashTypeOf(f->flashId()), f->hostFlashType());
    EXPECT_TRUE(f->usesProperty(f->firstSpecification()));
    EXPECT_TRUE(f->usesProperty(f->secondSpecification()));
  }
  EXPECT_EQ(factory.at(8), nullptr);
  for (LONG type : {xftUnknownFlash, xftZPFlash, xftHomotopyPVFlash, xftLastFlash})
    EXPECT_EQ(factory.flashIdOf(type), 0) << type;
  EXPECT_EQ(factory.hostFlashTypeOf(14), 0);
  EXPECT_FALSE(factory.byFlashId(18)->usesProperty(COIds::PropPressure));
}

TEST(FlashInterface, names_files_setup_control_save_and_recall) {
  BSTR name = SysAllocString(u"old"), text = SysAllocString(u"old");
  ASSERT_EQ(fl::getFlashName(&name, &text), S_OK);
  EXPECT_EQ(comlite::bstrToUtf8(name), "RavelinFlash (CAPE-OPEN 1.1)");
  EXPECT_EQ(comlite::bstrToUtf8(text),
            "Selvar Ravelin Flash supporting CAPE-OPEN Thermo 1.1 Interface");
  INT n = 7, status = 5;
  ASSERT_EQ(fl::flashFileNeeded(&n, &text), S_OK);
  EXPECT_EQ(n, 0);
  EXPECT_EQ(text, nullptr);
  ASSERT_EQ(fl::setupFlash(&status), S_OK);
  EXPECT_EQ(status, 0);
  VARIANT_BOOL used = VARIANT_TRUE;
  ASSERT_EQ(fl::isFlashControlUsed(&used), S_OK);
  EXPECT_EQ(used, VARIANT_FALSE);
  ASSERT_EQ(fl::flashSave(&name), S_OK);
  EXPECT_EQ(comlite::bstrToUtf8(name), "Save Flash Example");
  EXPECT_EQ(fl::flashRecall(name), S_OK);
  SysFreeString(name);
  EXPECT_EQ(fl::flashRecall(Bstr("save flash example").get()), S_OK);
  EXPECT_EQ(fl::flashRecall(Bstr("Save Flash Example ").get()), S_FALSE);
  EXPECT_EQ(fl::flashRecall(nullptr), S_FALSE);
  EXPECT_EQ(fl::getFlashName(nullptr, &text), E_POINTER);
  EXPECT_EQ(fl::flashSave(nullptr), E_POINTER);
}

TEST(FlashInterface, flash_setup_follows_initialisation_and_shows_why_each_time) {
  auto sink = comlite::ComPtr<FakeDiagnostics>::attach(comlite::makeObject<FakeDiagnostics>());
  INT status = -1;
  ASSERT_EQ(fl::isFlashSetup(true, sink.get(), &status), S_OK);
  EXPECT_EQ(status, 0);
  ASSERT_EQ(fl::isFlashSetup(false, sink.get(), &status), S_OK);
  ASSERT_EQ(fl::isFlashSetup(false, sink.get(), &status), S_OK);
  EXPECT_EQ(status, 1);
  ASSERT_EQ(sink->shown.size(), 2u);
  EXPECT_EQ(sink->shown[1],
            "100 CAPE-OPEN flash option has been selected, but cannot be used until CAPE-OPEN "
            "property package has been selected for both the vapor and liquid phases.");
  // A report that itself fails is raised, the status written first.
  sink->answer = E_OUTOFMEMORY;
  status = -1;
  try {
    fl::isFlashSetup(false, sink.get(), &status);
    FAIL() << "the failed report was not raised";
  } catch (const comlite::ComError& e) {
    EXPECT_EQ(e.status(), E_OUTOFMEMORY);
    EXPECT_EQ(e.iid(), ICapeDiagnostics::kIID);
  }
  EXPECT_EQ(status, 1);
}

TEST(FlashPhaseTable, a_table_let_go_through_its_base_is_destroyed_whole) {
  struct Table : fl::FlashPhaseTable {
    explicit Table(bool& gone) : gone(gone) {}
    ~Table() override { gone = true; }
    LONG hostPhaseCount() const override { return 0; }
    BSTR labelOfSlot(LONG) const override { return nullptr; }
    LONG phaseIdOfSlot(LONG) const override { return 0; }
    LONG hostPhaseTypeOfSlot(LONG) const override { return 0; }
    HRESULT readOfSlot(LONG, LONG, std::span<double>) override { return E_NOTIMPL; }
    void rememberComposition(std::span<const double>, LONG) override {}
    bool& gone;
  };
  bool gone = false;
  std::unique_ptr<fl::FlashPhaseTable> table = std::make_unique<Table>(gone);
  table.reset();
  EXPECT_TRUE(gone);
}
