#include "setup/flash_spec_names.h"

#include <gtest/gtest.h>

#include <string>

#include "comlite/com_error.h"
#include "comlite/com_ptr.h"
#include "comlite/hresult.h"
#include "reporter/reporter_fakes.h"
#include "setup/package_options.h"
#include "vocabulary/co_ids.h"

namespace {

using namespace coravl::setup;
using comlite::ComPtr;
using coravl_test::FakeGui;

const char* const kSpecs[] = {"TP", "PH", "TH", "TVF", "PVF", "HVF", "PS", "TS"};

TEST(FlashSpecNames, vendor_packages_are_found_by_either_marker_in_any_case) {
  for (const char16_t* id : {u"STCOProperties.Package.1", u"acme.stcoproperties", u"xxselvarxx"})
    EXPECT_TRUE(isVendorPackageProgId(id));
  // No case folding beyond ASCII.
  for (const char16_t* id : {u"STCOPropertie", u"Selva.Thermo", u"S\u00c9LVAR", u""})
    EXPECT_FALSE(isVendorPackageProgId(id));
}

TEST(FlashSpecNames, map_follows_the_request_for_vendor_packages_only) {
  FlashSpecNames names;
  EXPECT_FALSE(names.applies());
  EXPECT_EQ(names.nameFor(COIds::FlashTP), "TP");

  names.update(u"acme.stcoproperties.1", true);
  ASSERT_TRUE(names.applies());
  ASSERT_EQ(names.entries().size(), 8u);
  for (LONG id = COIds::FlashTP; id <= COIds::FlashTS; ++id)
    EXPECT_EQ(names.find(id), std::string(kSpecs[id - COIds::FlashTP]) + "3");
  EXPECT_EQ(names.nameFor(COIds::FlashTP), "TP3");
  EXPECT_EQ(names.find(COIds::PhaseVapor), std::nullopt);
  EXPECT_EQ(names.nameFor(COIds::PhaseVapor), "");

  names.update(std::nullopt, false);  // no GUI component: the flag stays, the map follows
  EXPECT_TRUE(names.applies());
  EXPECT_EQ(names.find(COIds::FlashHVF), "HVF");

  names.update(u"Other.Package", true);  // no longer a vendor package: map left, not applied
  EXPECT_FALSE(names.applies());
  EXPECT_EQ(names.find(COIds::FlashHVF), "HVF");
  EXPECT_EQ(names.nameFor(COIds::FlashTS), "TS");

  FlashSpecNames other;
  other.update(std::nullopt, true);
  EXPECT_FALSE(other.applies());
  EXPECT_TRUE(other.entries().empty());
}

TEST(FlashSpecNames, second_liquid_request_is_applied_through_the_gui_component) {
  ComPtr<FakeGui> gui = ComPtr<FakeGui>::attach(comlite::makeObject<FakeGui>());
  gui->progId = "Selvar.Props";
  ComponentOptions options;
  FlashSpecNames names;
  applySecondLiquidRequest(true, gui.get(), options, names);
  EXPECT_TRUE(options.requestSelvarLiquid2flash);
  EXPECT_EQ(names.nameFor(COIds::FlashPS), "PS3");

  applySecondLiquidRequest(false, nullptr, options, names);
  EXPECT_FALSE(options.requestSelvarLiquid2flash);
  EXPECT_EQ(names.nameFor(COIds::FlashPS), "PS");

  // A failing ProgID read raises for ICCAPEGUI after the request took effect.
  gui->failingSlot = 12;
  try {
    applySecondLiquidRequest(true, gui.get(), options, names);
    ADD_FAILURE() << "no error raised";
  } catch (const comlite::ComError& e) {
    EXPECT_EQ(e.status(), E_UNEXPECTED);
    EXPECT_EQ(e.iid(), ICCAPEGUI::kIID);
  }
  EXPECT_TRUE(options.requestSelvarLiquid2flash);
  EXPECT_TRUE(names.applies());
  EXPECT_EQ(names.nameFor(COIds::FlashPS), "PS3");
  EXPECT_EQ(packageProgIdOf(nullptr), std::nullopt);
}

}  // namespace
