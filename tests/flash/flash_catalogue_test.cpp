#include "flash/flash_catalogue.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "capeside/support/variant_lists.h"
#include "comlite/bstr.h"
#include "comlite/safearray.h"
#include "comlite/variant.h"
#include "flash/flash_support.h"
#include "frame/host_interfaces.h"
#include "vocabulary/co_ids.h"

namespace fl = coravl::flash;

namespace {

struct Record {
  LONG flashId;
  LONG hostType;
  LONG first, second;
};

//! The catalogue in its order, with the host type and the two properties of each flash.
const Record kCatalogue[] = {
    {15, xftPTFlash, COIds::PropTemperature, COIds::PropPressure},
    {19, xftPVFlash, COIds::PropPressure, COIds::PropPhaseFraction},
    {16, xftPHFlash, COIds::PropPressure, COIds::PropEnthalpy},
    {17, xftTHFlash, COIds::PropTemperature, COIds::PropEnthalpy},
    {18, xftTVFlash, COIds::PropTemperature, COIds::PropPhaseFraction},
    {21, xftPSFlash, COIds::PropPressure, COIds::PropEntropy},
    {22, xftTSFlash, COIds::PropTemperature, COIds::PropEntropy},
    {20, xftHVFlash, COIds::PropEnthalpy, COIds::PropPhaseFraction},
};

std::vector<std::string> strings(const VARIANT& v) {
  return capeside::stringList(v).value_or(std::vector<std::string>{"<not a list>"});
}

}  // namespace

TEST(FlashCatalogue, records_in_order_with_host_types_and_specifications) {
  CCORVLflashFactory factory;
  ASSERT_EQ(factory.count(), 8);
  for (LONG i = 0; i < 8; ++i) {
    const CCORVLflash* f = factory.at(i);
    ASSERT_NE(f, nullptr);
    const Record& r = kCatalogue[i];
    EXPECT_EQ(f->flashId(), r.flashId) << i;
    EXPECT_EQ(f->hostFlashType(), r.hostType) << i;
    EXPECT_EQ(f->firstSpecification(), r.first) << i;
    EXPECT_EQ(f->secondSpecification(), r.second) << i;
    EXPECT_EQ(factory.byFlashId(r.flashId), f);
    EXPECT_EQ(factory.byHostFlashType(r.hostType), f);
    EXPECT_EQ(factory.hostFlashTypeOf(r.flashId), r.hostType);
    EXPECT_EQ(factory.flashIdOf(r.hostType), r.flashId);
  }
  EXPECT_EQ(factory.at(-1), nullptr);
  EXPECT_EQ(factory.at(8), nullptr);
}

TEST(FlashCatalogue, host_types_without_a_record) {
  CCORVLflashFactory factory;
  for (LONG type : {xftUnknownFlash, xftZPFlash, xftZGorFlash, xftHomotopyPTFlash,
                    xftHomotopyPVFlash, xftLastFlash}) {
    EXPECT_EQ(factory.byHostFlashType(type), nullptr) << type;
    EXPECT_EQ(factory.flashIdOf(type), 0) << type;
  }
  for (LONG id : {0, 14, 23, 35}) {
    EXPECT_EQ(factory.byFlashId(id), nullptr) << id;
    EXPECT_EQ(factory.hostFlashTypeOf(id), 0) << id;
  }
}

TEST(FlashCatalogue, specification_properties_from_the_flash_name) {
  LONG first = -1, second = -1;
  CCORVLflash::specificationProperties("PVF", first, second);
  EXPECT_EQ(first, COIds::PropPressure);
  EXPECT_EQ(second, COIds::PropPhaseFraction);
  CCORVLflash::specificationProperties("TP", first, second);
  EXPECT_EQ(first, COIds::PropTemperature);
  EXPECT_EQ(second, COIds::PropPressure);
  CCORVLflash::specificationProperties("hvf", first, second);  // case is ignored
  EXPECT_EQ(first, COIds::PropEnthalpy);
  EXPECT_EQ(second, COIds::PropPhaseFraction);
  CCORVLflash::specificationProperties("TPS", first, second);  // a later letter overwrites
  EXPECT_EQ(first, COIds::PropTemperature);
  EXPECT_EQ(second, COIds::PropEntropy);
  CCORVLflash::specificationProperties(nullptr, first, second);
  EXPECT_EQ(first, 0);
  EXPECT_EQ(second, 0);
}

TEST(FlashCatalogue, uses_property_names_both_specifications_only) {
  CCORVLflashFactory factory;
  const CCORVLflash* tvf = factory.byFlashId(COIds::FlashTVF);
  ASSERT_NE(tvf, nullptr);
  EXPECT_TRUE(tvf->usesProperty(COIds::PropTemperature));
  EXPECT_TRUE(tvf->usesProperty(COIds::PropPhaseFraction));
  EXPECT_FALSE(tvf->usesProperty(COIds::PropPressure));
  EXPECT_FALSE(tvf->usesProperty(0));
}

TEST(FlashSpecification, every_flash_id_with_its_pair_and_solution_type) {
  struct Expected {
    LONG id;
    std::vector<std::string> s1, s2;
    const char* type;
  };
  const std::vector<std::string> overallT = {"temperature", "", "Overall", ""};
  const std::vector<std::string> overallP = {"pressure", "", "Overall", ""};
  const std::vector<std::string> overallH = {"enthalpy", "", "Overall", ""};
  const std::vector<std::string> overallS = {"entropy", "", "Overall", ""};
  const std::vector<std::string> vapour = {"phaseFraction", "mole", "Gas", ""};
  const Expected table[] = {
      {15, overallT, overallP, "Unspecified"}, {16, overallP, overallH, "Unspecified"},
      {17, overallT, overallH, "Unspecified"}, {18, overallT, vapour, "Normal"},
      {19, overallP, vapour, "Normal"},        {20, overallH, vapour, "Normal"},
      {21, overallP, overallS, "Unspecified"}, {22, overallT, overallS, "Unspecified"},
  };
  comlite::Bstr gas("Gas");
  for (const auto& e : table) {
    comlite::Variant s1, s2;
    comlite::Bstr type;
    ASSERT_EQ(fl::buildFlashSpecification(e.id, gas.get(), s1, s2, type), S_OK) << e.id;
    EXPECT_EQ(strings(s1), e.s1) << e.id;
    EXPECT_EQ(strings(s2), e.s2) << e.id;
    EXPECT_EQ(type.utf8(), e.type) << e.id;
    EXPECT_EQ(s1.vt, VT_ARRAY | VT_BSTR);
  }
}

TEST(FlashSpecification, an_id_outside_the_flashes_changes_nothing) {
  comlite::Variant s1, s2;
  comlite::Bstr type;
  ASSERT_EQ(fl::buildFlashSpecification(COIds::FlashTP, nullptr, s1, s2, type), S_OK);
  for (LONG id : {0, 14, 23, -1}) {
    EXPECT_EQ(fl::buildFlashSpecification(id, nullptr, s1, s2, type),
              static_cast<HRESULT>(0x80040506u))
        << id;
  }
  EXPECT_EQ(strings(s1)[0], "temperature");
  EXPECT_EQ(strings(s2)[0], "pressure");
  EXPECT_EQ(type.utf8(), "Unspecified");
}

TEST(FlashSpecification, empty_entries_are_null_strings_and_old_lists_are_replaced) {
  comlite::Variant s1 = capeside::makeStringArray({"a", "b", "c", "d", "e"});
  comlite::Variant s2 = comlite::Variant::fromDouble(1.0);
  comlite::Bstr type("old");
  ASSERT_EQ(fl::buildFlashSpecification(COIds::FlashPVF, nullptr, s1, s2, type), S_OK);
  ASSERT_EQ(s1.vt, VT_ARRAY | VT_BSTR);
  ASSERT_EQ(s2.vt, VT_ARRAY | VT_BSTR);
  EXPECT_EQ(comlite::safeArrayCount(s1.parray), 4u);
  BSTR* items = nullptr;
  ASSERT_EQ(SafeArrayAccessData(s1.parray, reinterpret_cast<void**>(&items)), S_OK);
  EXPECT_EQ(items[1], nullptr);  // no basis
  EXPECT_EQ(items[3], nullptr);  // no compound
  SafeArrayUnaccessData(s1.parray);
  ASSERT_EQ(SafeArrayAccessData(s2.parray, reinterpret_cast<void**>(&items)), S_OK);
  EXPECT_EQ(items[2], nullptr);  // a package without a vapour phase gives no label
  SafeArrayUnaccessData(s2.parray);
  EXPECT_EQ(type.utf8(), "Normal");
}
