#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>

#include "base/create_interface.h"
#include "base/list_search.h"
#include "base/math_utils.h"
#include "base/module_files.h"
#include "base/name_compare.h"
#include "base/qo_bstr.h"
#include "base/set_get.h"
#include "comlite/bstr.h"
#include "comlite/hresult.h"
#include "comlite/platform.h"
#include "comlite/registry.h"
#include "comlite/safearray.h"
#include "support/notice_fixture.h"

namespace {

namespace fs = std::filesystem;
using comlite::Variant;
using coravl_test::NoticeFixture;

Variant nameList(std::initializer_list<const char*> names, LONG lbound = 0) {
  Variant v;
  SetGet::Create(v, VT_BSTR, static_cast<LONG>(names.size()), lbound);
  LONG i = lbound;
  for (const char* n : names) {
    comlite::Bstr s(n);
    if (n) SafeArrayPutElement(v.parray, &i, s.get());
    ++i;
  }
  return v;
}

TEST(NameEquality, ignores_ascii_case_only_and_needs_equal_lengths) {
  EXPECT_TRUE(Utils::namesEqual(u"Water", u"WATER"));
  EXPECT_FALSE(Utils::namesEqual(u"Wasser", u"Wasse"));
  EXPECT_FALSE(Utils::namesEqual(u"\u00e9thane", u"\u00c9THANE"));  // é and É differ
  EXPECT_TRUE(Utils::namesEqual(u"\u00e9thane", u"\u00e9THANE"));
  EXPECT_TRUE(Utils::namesEqual(static_cast<const OLECHAR*>(nullptr), u""));
  EXPECT_TRUE(Utils::namesEqual(static_cast<const OLECHAR*>(nullptr),
                                static_cast<const OLECHAR*>(nullptr)));
  EXPECT_FALSE(Utils::namesEqual(static_cast<const OLECHAR*>(nullptr), u"x"));
  EXPECT_FALSE(Utils::namesEqual(u"[", u"{"));  // only letters fold
  EXPECT_TRUE(Utils::namesEqual("n-Hexane", "N-HEXANE"));
  EXPECT_FALSE(Utils::namesEqual("\xc3\xa9", "\xc3\x89"));  // UTF-8 é and É
  EXPECT_TRUE(Utils::namesEqual(std::string_view(), std::string_view("")));

  EXPECT_TRUE(Utils::namesEqualN(u"Water", u"WATERFALL", 5));
  EXPECT_FALSE(Utils::namesEqualN(u"Wat", u"WATERFALL", 5));
  EXPECT_TRUE(Utils::namesEqualN("abc", "ABC", 10));
  EXPECT_TRUE(Utils::namesEqualN("abc", "xyz", 0));
}

class UtilsTest : public NoticeFixture {};

TEST_F(UtilsTest, find_pos_searches_by_name_in_the_list_index_range) {
  EXPECT_EQ(Utils::findPos(nameList({}), u"x"), -1);
  const Variant list = nameList({"Methane", "n-Hexane", "Water"});
  EXPECT_EQ(Utils::findPos(list, u"N-HEXANE"), 1);
  EXPECT_EQ(Utils::findPos(list, u"water"), 2);
  EXPECT_EQ(Utils::findPos(list, u"Wate"), -1);
  EXPECT_EQ(Utils::findPos(nameList({"a", "n-Hexane"}, 1), u"N-HEXANE"), 2);
  EXPECT_EQ(Utils::findPos(Variant::fromString("Water"), u"Water"), -1);  // not a list

  // Empty values match empty elements only when asked to.
  const Variant gaps = nameList({"a", nullptr, "b"});
  EXPECT_EQ(Utils::findPos(gaps, u""), -1);
  EXPECT_EQ(Utils::findPos(gaps, nullptr), -1);
  EXPECT_EQ(Utils::findPos(gaps, u"", {}, true), 1);

  // A comparison of one's own.
  auto prefix = [](const OLECHAR* element, const OLECHAR* value) {
    return Utils::namesEqualN(element, value, 3);
  };
  EXPECT_EQ(Utils::findPos(list, u"wat", prefix), 2);
  EXPECT_TRUE(m_notices.empty());
  EXPECT_EQ(Utils::findPos(list, u"wat", prefix, true), -1);
  ASSERT_EQ(m_notices.size(), 1u);
  EXPECT_EQ(m_notices[0].text,
            " ERROR: Utils::findPos error:If a not NULL function is passed, emptiesAreMatched "
            "cannot be true");

  // Lists of variants holding strings.
  Variant bag, n = Variant::fromLong(3), s = Variant::fromString("Vapor");
  SetGet::Create(bag, VT_VARIANT, 2);
  SetGet::noCopyVariantPutV(bag, 0, n);  // not a string: skipped
  SetGet::noCopyVariantPutV(bag, 1, s);
  EXPECT_EQ(Utils::findPos(bag, u"VAPOR"), 1);
}

TEST(MathUtils, guards_clamp_at_their_limits) {
  EXPECT_EQ(MathUtils::safeExp(-80), 1e-30);
  EXPECT_EQ(MathUtils::safeExp(-70), 1e-30);
  EXPECT_EQ(MathUtils::safeExp(70), 1e30);
  EXPECT_DOUBLE_EQ(MathUtils::safeExp(1), std::exp(1.0));
  EXPECT_EQ(MathUtils::safeLog(0), -70);
  EXPECT_EQ(MathUtils::safeLog(-5), -70);
  EXPECT_EQ(MathUtils::safeLog(1e30), 70);
  EXPECT_DOUBLE_EQ(MathUtils::safeLog(10), std::log(10.0));
  for (double x : {70.0, -70.0, 80.0}) EXPECT_TRUE(MathUtils::safeExpLimits(x)) << x;
  for (double x : {69.999, 0.0, -69.999}) EXPECT_FALSE(MathUtils::safeExpLimits(x)) << x;
  for (double x : {1e30, 1e-30, 0.0, -1.0}) EXPECT_TRUE(MathUtils::safeLogLimits(x)) << x;
  for (double x : {70.0, 1e-29, 9.9e29}) EXPECT_FALSE(MathUtils::safeLogLimits(x)) << x;

  EXPECT_EQ(MathUtils::safeDivide(1, 0), 1e-100);
  EXPECT_EQ(MathUtils::safeDivide(-1, 1e-31), 1e-100);
  EXPECT_TRUE(std::isnan(MathUtils::safeDivide(0, 0)));
  EXPECT_EQ(MathUtils::safeDivide(6, 3), 2);

  EXPECT_TRUE(MathUtils::isWithinTolerance(1, 1.05, 0.1));
  EXPECT_FALSE(MathUtils::isWithinTolerance(1, 2, 0.1));
  EXPECT_FALSE(MathUtils::isWithinTolerance(100, 100.0000001, 0));
  EXPECT_TRUE(MathUtils::isWithinTolerance(100, 100.000000001, 0));
  EXPECT_TRUE(MathUtils::isWithinTolerance(0, 0.05, 0.1));  // tiny a: tolerance > b
  EXPECT_FALSE(MathUtils::isWithinTolerance(0, 0.5, 0.1));
  EXPECT_EQ(MathUtils::abs(-3.5), 3.5);
}

TEST(QoBSTR, builds_appends_and_compares_by_name) {
  EXPECT_EQ(CQoBSTR("Water").narrow(), "Water");
  EXPECT_EQ(CQoBSTR(u"Wasser").narrow(), "Wasser");
  EXPECT_EQ(CQoBSTR(42).narrow(), "42");
  EXPECT_EQ(CQoBSTR(-7L).narrow(), "-7");
  EXPECT_EQ(CQoBSTR(1234567890123LL).narrow(), "1234567890123");
  EXPECT_EQ(CQoBSTR(1.5).narrow(), "1.500000");
  EXPECT_EQ(CQoBSTR(static_cast<const char*>(nullptr)).length(), 0u);
  EXPECT_EQ(CQoBSTR("\xc3\xa9t\xc3\xa9").length(), 3u);  // UTF-8 in, UTF-16 inside

  CQoBSTR s("enthalpy");
  s.append(".D").append(u"temperature");
  EXPECT_EQ(s.narrow(), "enthalpy.Dtemperature");
  CQoBSTR n("n=");
  n.append(3).append(", ").append(2.0);
  EXPECT_EQ(n.narrow(), "n=3, 2.000000");
  CQoBSTR self("ab");
  self += self;
  EXPECT_EQ(self.narrow(), "abab");

  EXPECT_TRUE(CQoBSTR("Water") == CQoBSTR("WATER"));
  EXPECT_FALSE(CQoBSTR("Water") == CQoBSTR("Wate"));
  EXPECT_TRUE(CQoBSTR("Water") != CQoBSTR("Wasser"));
  EXPECT_TRUE(CQoBSTR().equals(static_cast<const OLECHAR*>(nullptr)));
  EXPECT_TRUE(CQoBSTR("vapor").equals("VAPOR"));

  // Copies are independent; ownership can be handed over and taken back.
  CQoBSTR a("one");
  CQoBSTR b = a;
  b.append("!");
  EXPECT_EQ(a.narrow(), "one");
  EXPECT_NE(a.get(), b.get());
  BSTR given = b.detach();
  EXPECT_EQ(b.get(), nullptr);
  CQoBSTR back = CQoBSTR::attach(given);
  EXPECT_EQ(back.narrow(), "one!");
  BSTR copy = CQoBSTR().copy();
  ASSERT_NE(copy, nullptr);  // an empty string, never null
  EXPECT_EQ(SysStringLen(copy), 0u);
  SysFreeString(copy);
  CQoBSTR outParam("old");
  *outParam.out() = comlite::bstrFromUtf8("filled");
  EXPECT_EQ(outParam.narrow(), "filled");
}

TEST_F(UtilsTest, module_directory_follows_the_module_name) {
  Utils::setModuleName("comlite");
  const std::string comlitePath = comlite::loadedModulePath("comlite");
  ASSERT_FALSE(comlitePath.empty());
  EXPECT_EQ(Utils::moduleDirectory(), fs::path(comlitePath).parent_path().string());

  // A name that no loaded module has: the module holding this code (the test program).
  Utils::setModuleName("NoSuchModule.dll");
  const std::string self =
      comlite::modulePathContaining(reinterpret_cast<const void*>(&Utils::moduleDirectory));
  EXPECT_EQ(Utils::moduleDirectory(), fs::path(self).parent_path().string());
  EXPECT_TRUE(m_notices.empty());

  Utils::setModuleName("");
  EXPECT_EQ(Utils::moduleDirectory(), "");
  ASSERT_EQ(m_notices.size(), 1u);
  EXPECT_EQ(m_notices[0].text, "MTUtils must be initialized with setModuleName(<dllName>)");
  EXPECT_EQ(Utils::readProfileString("I_O_PVSAT", "Flash"), "");
}

TEST_F(UtilsTest, profile_values_are_read_with_the_usual_rules) {
  const fs::path ini = m_root / "CORavl11.ini";
  std::ofstream(ini) << "; options\n[Flash]\nI_O_PVNONSAT = 1\ni_o_pvsat=\"-1\"\nLong="
                     << std::string(300, 'x') << "\n[Other]\nKey=2\n";
  const std::string file = ini.string();
  EXPECT_EQ(Utils::readProfileString("I_O_PVNONSAT", "Flash", file.c_str()), "1");
  EXPECT_EQ(Utils::readProfileString("I_O_PVSAT", "flash", file.c_str()), "-1");
  EXPECT_EQ(Utils::readProfileString("Long", "Flash", file.c_str()).size(), 259u);
  EXPECT_EQ(Utils::readProfileString("Key", "Flash", file.c_str()), "");
  EXPECT_EQ(Utils::readProfileString("Key", "Other", (m_root / "none.ini").string().c_str()), "");
  EXPECT_EQ(Utils::readProfileString(nullptr, "Flash", file.c_str()), "");
  // Beside the module: the test program's folder has no NoSuchModule.ini.
  Utils::setModuleName("NoSuchModule.dll");
  EXPECT_EQ(Utils::readProfileString("Key", "Other"), "");
  EXPECT_TRUE(m_notices.empty());
}

class CreateInterface : public NoticeFixture {
 protected:
  void SetUp() override {
    NoticeFixture::SetUp();
    saveAndSet("CORAVL_REGISTRY", (m_root / "registry").string());
  }
  static constexpr CLSID kClass = comlite::makeGuid("0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0");
  static constexpr IID kInterface = comlite::makeGuid("11111111-2222-3333-4444-555555555555");
};

TEST_F(CreateInterface, failure_names_the_interface_and_class_from_a_readable_registry) {
  const std::string unknown = " ERROR: Error creating interface 'Unknown' for class '" +
                              comlite::guidToString(kClass) + "' context 1";
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(Utils::createInterface(kClass, nullptr, 1, kInterface, &out), REGDB_E_CLASSNOTREG);
  EXPECT_EQ(out, nullptr);
  ASSERT_EQ(m_notices.size(), 1u);
  EXPECT_EQ(m_notices[0].text, unknown);

  m_notices.clear();
  ASSERT_EQ(comlite::registry::update([](comlite::registry::Data& d) {
              d.setValue("Interface\\" + comlite::guidToString(kInterface), "", "IThermoThing");
              d.setValue("CLSID\\" + comlite::guidToString(kClass) + "\\ProgID", "",
                         "Vendor.Thing.1");
              return true;
            }),
            S_OK);
  EXPECT_EQ(Utils::createInterface(kClass, nullptr, 21, kInterface, &out), REGDB_E_CLASSNOTREG);
  ASSERT_EQ(m_notices.size(), 1u);
  EXPECT_EQ(m_notices[0].text,
            " ERROR: Error creating interface 'IThermoThing' for class 'Vendor.Thing.1' context "
            "21");
  EXPECT_NE(readFile(traceFile()).find("Error creating interface 'IThermoThing'"),
            std::string::npos);

  m_notices.clear();
  std::ofstream(m_root / "registry") << "this is not a registry\n";
  EXPECT_LT(Utils::createInterface(kClass, nullptr, 1, kInterface, &out), 0);
  ASSERT_EQ(m_notices.size(), 2u);
  EXPECT_EQ(m_notices[0].text.rfind(" ERROR: Unexpected error ", 0), 0u);
  EXPECT_NE(m_notices[0].text.find("(0x80040150)"), std::string::npos);
  EXPECT_EQ(m_notices[1].text, unknown);
}

}  // namespace
