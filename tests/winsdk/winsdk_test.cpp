// Compiled with -fshort-wchar against winsdk/include, as a ported package is.
#include <gtest/gtest.h>

#include <string>

#include "atlcom.h"
#include "capeopen11.tlh"
#include "comdef.h"
#include "comlite/registry.h"

namespace {

constexpr const char* kScript = R"(HKCR
{
	Pkg.Thing.1 = s 'A thing'
	{
		CLSID = s '{11111111-2222-3333-4444-555555555555}'
	}
	NoRemove CLSID
	{
		ForceRemove {11111111-2222-3333-4444-555555555555} = s 'Vendor''s thing'
		{
			InprocServer32 = s '%MODULE%'
			{
				val ThreadingModel = s 'Apartment'
			}
			'Implemented Categories'
			{
				{678C09A1-7D66-11D2-A67D-00105A42887F}
			}
		}
	}
}
HKLM
{
	Software { Vendor = s 'skipped' }
}
)";

TEST(RegistryScript, RegistersAndUnregistersWhatItWrote) {
  comlite::registry::Data data;
  data.setValue("CLSID\\{99999999-0000-0000-0000-000000000000}", "", "someone else's");
  data.setValue("CLSID\\{11111111-2222-3333-4444-555555555555}\\Stale", "", "old");
  coravl_win::RegistryScript script(kScript, "/opt/pkg/libthing.so");
  std::string error;
  ASSERT_TRUE(script.run(data, false, error)) << error;
  const std::string key = "CLSID\\{11111111-2222-3333-4444-555555555555}";
  EXPECT_EQ(data.value(key), "Vendor's thing");
  EXPECT_EQ(data.value(key + "\\InprocServer32"), "/opt/pkg/libthing.so");
  EXPECT_EQ(data.value(key + "\\InprocServer32", "ThreadingModel"), "Apartment");
  EXPECT_TRUE(
      data.hasKey(key + "\\Implemented Categories\\{678C09A1-7D66-11D2-A67D-00105A42887F}"));
  EXPECT_FALSE(data.hasKey(key + "\\Stale"));  // ForceRemove cleared it first
  EXPECT_EQ(data.value("Pkg.Thing.1\\CLSID"), "{11111111-2222-3333-4444-555555555555}");
  EXPECT_FALSE(data.hasKey("Software\\Vendor"));  // only HKCR is written

  ASSERT_TRUE(script.run(data, true, error)) << error;
  EXPECT_FALSE(data.hasKey(key));
  EXPECT_FALSE(data.hasKey("Pkg.Thing.1"));
  EXPECT_EQ(data.value("CLSID\\{99999999-0000-0000-0000-000000000000}"), "someone else's");
}

TEST(RegistryScript, RejectsMalformedScripts) {
  const struct {
    const char* script;
    const char* why;
  } cases[] = {
      {"HKCR { Key = s 'open", "unterminated quoted text"},
      {"HKCR { Key = x 'v' }", "unknown value type 'x'"},
      {"HKCR { Key { val Name } }", "value 'Name' has no '= type value'"},
      {"HKCR { Key", "missing '}'"},
      {"HKCR Key", "expected '{' but found 'Key'"},
  };
  for (const auto& c : cases) {
    comlite::registry::Data data;
    std::string error;
    EXPECT_FALSE(coravl_win::RegistryScript(c.script, "/m.so").run(data, false, error)) << c.script;
    EXPECT_EQ(error, c.why) << c.script;
  }
}

TEST(WideStrings, AreSixteenBitAndTakeBstrsAndWrappers) {
  CComBSTR vapor(L"Vapor");
  _bstr_t liquid("Liquid");
  EXPECT_EQ(wcslen(vapor.m_str), 5u);
  EXPECT_EQ(wcslen(static_cast<BSTR>(nullptr)), 0u);  // a null BSTR is empty
  EXPECT_EQ(_wcsicmp(vapor, L"VAPOR"), 0);
  EXPECT_NE(wcscmp(liquid, L"liquid"), 0);
  wchar_t buffer[64];
  swprintf(buffer, 64, L"%ls at %.1f K", L"flash", 350.0);
  EXPECT_STREQ(static_cast<const char*>(_bstr_t(buffer)), "flash at 350.0 K");
}

TEST(SmartTypes, ConvertAndFailAsTheOriginalsDo) {
  _variant_t number(L"3.5");
  EXPECT_DOUBLE_EQ(static_cast<double>(number), 3.5);
  _variant_t text(L"three");
  try {
    (void)static_cast<double>(text);
    ADD_FAILURE() << "no _com_error";
  } catch (const _com_error& e) {
    EXPECT_EQ(e.Error(), DISP_E_TYPEMISMATCH);
  }

  ICapeThermoMaterialPtr none;
  try {
    none->ClearAllProps();
    ADD_FAILURE() << "no _com_error";
  } catch (const _com_error& e) {
    EXPECT_EQ(e.Error(), E_POINTER);
  }

  CComSafeArray<BSTR> names;
  names.Add(CComBSTR(L"methane"));
  names.Add(CComBSTR("ethane"));
  ASSERT_EQ(names.GetCount(), 2u);
  EXPECT_EQ(wcscmp(names[1], L"ethane"), 0);

  EXPECT_EQ(AtlReportError(CLSID_NULL, L"no such phase", IID_NULL, ECapeInvalidArgumentHR),
            ECapeInvalidArgumentHR);
  IErrorInfo* info = nullptr;
  ASSERT_EQ(GetErrorInfo(0, &info), S_OK);
  _com_error reported(E_FAIL, info);
  EXPECT_STREQ(static_cast<const char*>(reported.Description()), "no such phase");
}

}  // namespace
