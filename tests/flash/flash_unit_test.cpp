#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "capeside/support/variant_lists.h"
#include "comlite/com_error.h"
#include "comlite/com_ptr.h"
#include "comlite/object.h"
#include "comlite/safearray.h"
#include "flash/flash_catalogue.h"
#include "flash/flash_interface.h"
#include "flash/flash_support.h"
#include "frame/host_interfaces.h"
#include "outside/adapter_diagnostics.h"
#include "vocabulary/co_ids.h"

namespace fl = coravl::flash;
using comlite::Bstr;
using comlite::Variant;

namespace {

std::vector<std::string> strings(const VARIANT& v) {
  return capeside::stringList(v).value_or(std::vector<std::string>{"<not a list>"});
}

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

TEST(FlashCatalogue, records_in_order_and_the_types_without_one) {
  const LONG expected[][4] = {{15, xftPTFlash, COIds::PropTemperature, COIds::PropPressure},
                              {19, xftPVFlash, COIds::PropPressure, COIds::PropPhaseFraction},
                              {16, xftPHFlash, COIds::PropPressure, COIds::PropEnthalpy},
                              {17, xftTHFlash, COIds::PropTemperature, COIds::PropEnthalpy},
                              {18, xftTVFlash, COIds::PropTemperature, COIds::PropPhaseFraction},
                              {21, xftPSFlash, COIds::PropPressure, COIds::PropEntropy},
                              {22, xftTSFlash, COIds::PropTemperature, COIds::PropEntropy},
                              {20, xftHVFlash, COIds::PropEnthalpy, COIds::PropPhaseFraction}};
  CCORVLflashFactory factory;
  ASSERT_EQ(factory.count(), 8);
  for (LONG i = 0; i < 8; ++i) {
    const CCORVLflash* f = factory.at(i);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->flashId(), expected[i][0]);
    EXPECT_EQ(f->hostFlashType(), expected[i][1]);
    EXPECT_EQ(f->firstSpecification(), expected[i][2]);
    EXPECT_EQ(f->secondSpecification(), expected[i][3]);
    EXPECT_EQ(factory.byHostFlashType(expected[i][1]), f);
    EXPECT_EQ(factory.flashIdOf(expected[i][1]), expected[i][0]);
    EXPECT_EQ(factory.hostFlashTypeOf(expected[i][0]), expected[i][1]);
  }
  EXPECT_EQ(factory.at(8), nullptr);
  for (LONG type : {xftUnknownFlash, xftZPFlash, xftZGorFlash, xftHomotopyPTFlash,
                    xftHomotopyPVFlash, xftLastFlash})
    EXPECT_EQ(factory.flashIdOf(type), 0) << type;
  EXPECT_EQ(factory.hostFlashTypeOf(14), 0);
  EXPECT_TRUE(factory.byFlashId(18)->usesProperty(COIds::PropPhaseFraction));
  EXPECT_FALSE(factory.byFlashId(18)->usesProperty(COIds::PropPressure));
}

TEST(FlashCatalogue, specification_properties_from_any_flash_name) {
  LONG first = -1, second = -1;
  CCORVLflash::specificationProperties("pvf", first, second);  // case is ignored
  EXPECT_EQ(first, COIds::PropPressure);
  EXPECT_EQ(second, COIds::PropPhaseFraction);
  CCORVLflash::specificationProperties("TPS", first, second);  // a later letter overwrites
  EXPECT_EQ(first, COIds::PropTemperature);
  EXPECT_EQ(second, COIds::PropEntropy);
  CCORVLflash::specificationProperties(nullptr, first, second);
  EXPECT_EQ(first + second, 0);
}

TEST(FlashSpecification, every_flash_id_and_the_ids_without_one) {
  const std::vector<std::string> T = {"temperature", "", "Overall", ""},
                                 P = {"pressure", "", "Overall", ""},
                                 H = {"enthalpy", "", "Overall", ""},
                                 S = {"entropy", "", "Overall", ""},
                                 VF = {"phaseFraction", "mole", "Gas", ""};
  const std::vector<std::string> pairs[][2] = {{T, P},  {P, H},  {T, H}, {T, VF},
                                               {P, VF}, {H, VF}, {P, S}, {T, S}};
  Variant s1 = capeside::makeStringArray({"a", "b", "c", "d", "e"}), s2 = Variant::fromLong(1);
  Bstr type, gas("Gas");
  for (LONG id = 15; id <= 22; ++id) {
    ASSERT_EQ(fl::buildFlashSpecification(id, gas.get(), s1, s2, type), S_OK) << id;
    EXPECT_EQ(strings(s1), pairs[id - 15][0]) << id;
    EXPECT_EQ(strings(s2), pairs[id - 15][1]) << id;
    EXPECT_EQ(type.utf8(), pairs[id - 15][1] == VF ? "Normal" : "Unspecified") << id;
  }
  // Empty entries are null strings.
  BSTR* items = nullptr;
  ASSERT_EQ(SafeArrayAccessData(s1.parray, reinterpret_cast<void**>(&items)), S_OK);
  EXPECT_EQ(items[1], nullptr);
  SafeArrayUnaccessData(s1.parray);
  for (LONG id : {0, 14, 23}) {
    EXPECT_EQ(fl::buildFlashSpecification(id, gas.get(), s1, s2, type),
              static_cast<HRESULT>(0x80040506u));
    EXPECT_EQ(strings(s2), S);  // unchanged
  }
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
