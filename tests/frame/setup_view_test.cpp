//! The setup view through the built component: the user's edits in the package GUI component
//! (the capeside stand-in applies the file named by CORAVL_CAPE_VIEW_EDITS when the view is
//! shown) take effect on the component and persist with the case.

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "base/set_get.h"
#include "comlite/bstr.h"
#include "comlite/com_ptr.h"
#include "comlite/safearray.h"
#include "frame/host_interfaces.h"
#include "outside/cape_gui.h"
#include "setup/option_records.h"
#include "support/socket_fixture.h"

using comlite::ComPtr;

namespace {

constexpr const char* kFinishSetup =
    "Click on 'Finish Setup' to complete the configuration process";
constexpr const char* kOnView =
    "Click on 'On View' to browse the Package description or on Setup to refresh the compounds "
    "information";

//! The elements of a list, read by `get` (SetGet::getString or SetGet::getLong).
template <class Get>
auto itemsOf(const VARIANT& v, Get get) {
  std::vector<decltype(get(v, 0))> out;
  if (!vtIsArray(v.vt) || !v.parray) return out;
  LONG lb = 0, ub = -1;
  SafeArrayGetLBound(v.parray, 1, &lb);
  SafeArrayGetUBound(v.parray, 1, &ub);
  for (LONG i = lb; i <= ub; ++i) out.push_back(get(v, i));
  return out;
}

//! The value of the component's own record `key` in a saved case ("" when missing).
std::string option(const std::string& saved, const char* key) {
  const std::u16string text = comlite::utf8ToUtf16(saved);
  auto value = coravl::setup::findLastRecord(text, comlite::utf8ToUtf16(key));
  return value ? comlite::utf16ToUtf8(*value) : std::string();
}

//! The elements of one of the adapter's nested list records ("qoNames", "compIds").
std::vector<std::string> adapterList(const std::string& saved, const char* key) {
  const std::u16string text = comlite::utf8ToUtf16(saved);
  auto nested = coravl::setup::findRecord(text, comlite::utf8ToUtf16(key));
  std::vector<std::string> out;
  if (!nested) return out;
  const std::size_t n = coravl::setup::recordCount(*nested).value_or(0);
  for (std::size_t k = 1; k <= n; ++k) {
    auto item = coravl::setup::findRecord(*nested, comlite::utf8ToUtf16(std::to_string(k)));
    out.push_back(item ? comlite::utf16ToUtf8(*item) : "?");
  }
  return out;
}

//! The component with the capeside GUI component as its setup view; the user's edits of the
//! next view are written with edit().
class SetupViewE2E : public testsupport::SocketFixture {
 protected:
  void SetUp() override {
    SocketFixture::SetUp();
    select(testsupport::kIdealSelection);
  }
  static HRESULT setup(IExtendedPropPackage* pkg, INT nfiles, INT* status) {
    comlite::Variant none;
    return pkg->SetupPkg(nfiles, none, nullptr, status);
  }
  static INT canChange(IExtendedPropPackage* pkg) {
    INT status = -1;
    EXPECT_EQ(pkg->CanNumbCompChange(&status), S_OK);
    return status;
  }
  static INT isSetUp(IExtendedPropPackage* pkg) {
    INT status = -1;
    EXPECT_EQ(pkg->IsPkgSetup(&status), S_OK);
    return status;
  }
  static std::string instruction(IExtendedPropPackage* pkg) {
    INT n = -1;
    comlite::Bstr text;
    EXPECT_EQ(pkg->PkgFileNeeded(&n, text.out()), S_OK);
    EXPECT_EQ(n, 0);
    return text.utf8();
  }
  static std::string save(IExtendedPropPackage* pkg) {
    comlite::Bstr text;
    EXPECT_EQ(pkg->PkgSave(text.out()), S_OK);
    return text.utf8();
  }
  struct Supported {
    INT n = -1;
    std::vector<LONG> ids;
    std::vector<std::string> names;
  };
  static Supported supported(IExtendedPropPackage* pkg) {
    Supported s;
    comlite::Variant ids, names, identifiers;
    comlite::Bstr identifierName;
    EXPECT_EQ(pkg->GetSupportedComps(&s.n, &ids, &names, identifierName.out(), &identifiers), S_OK);
    s.ids = itemsOf(ids, [](const VARIANT& a, LONG i) { return SetGet::getLong(a, i); });
    s.names = itemsOf(names, [](const VARIANT& a, LONG i) { return SetGet::getString(a, i); });
    return s;
  }
};

TEST_F(SetupViewE2E, edits_take_effect_at_once_and_persist_through_the_case) {
  auto pkg = create();
  INT status = -1;
  // A setup with files shows the view but leaves the package unfinished.
  EXPECT_EQ(setup(pkg.get(), 2, &status), S_FALSE);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(isSetUp(pkg.get()), 1);
  EXPECT_EQ(instruction(pkg.get()), kFinishSetup);
  ASSERT_EQ(setup(pkg.get(), 0, &status), S_OK);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(canChange(pkg.get()), 0);
  std::string saved = save(pkg.get());
  EXPECT_EQ(option(saved, "traceCritErrors"), "-1");
  EXPECT_EQ(option(saved, "logCritErrors"), "-1");  // the reporter's construction value
  EXPECT_EQ(option(saved, "doOrderPhases"), "0");

  edit(
      "# what the user changes in the dialog\n"
      "traceCritErrors = false\nlogRecovErrors = 1\nfreeCompounds = true\n"
      "doOrderPhases = on\nrequestSelvarLiquid2flash = yes\n");
  VARIANT_BOOL open = VARIANT_TRUE;
  ASSERT_EQ(pkg->OnView(nullptr, &open), S_OK);
  EXPECT_EQ(canChange(pkg.get()), 1);
  EXPECT_EQ(supported(pkg.get()).n, 0);
  saved = save(pkg.get());
  const std::vector<std::pair<const char*, const char*>> expected{
      {"treatAsHypos", "0"},     {"allowSubsets", "0"},
      {"freeCompounds", "-1"},   {"traceRecovErrors", "-1"},
      {"logRecovErrors", "-1"},  {"popUpRecovErrors", "0"},
      {"traceCritErrors", "0"},  {"logCritErrors", "-1"},
      {"popUpCritErrors", "-1"}, {"requestSelvarLiquid2flash", "-1"},
      {"doOrderPhases", "-1"}};
  for (const auto& [key, value] : expected) EXPECT_EQ(option(saved, key), value) << key;

  // The case is opened again, and its view shown without edits: the component's options reach
  // the new GUI component and come back unchanged.
  edit("");
  auto recalled = create();
  comlite::Bstr text(saved);
  VARIANT_BOOL changed = VARIANT_TRUE;
  ASSERT_EQ(recalled->PkgRecall(text.get(), &changed), S_OK);
  EXPECT_EQ(canChange(recalled.get()), 1);
  ASSERT_EQ(recalled->OnView(nullptr, nullptr), S_OK);
  const std::string again = save(recalled.get());
  for (const auto& [key, value] : expected) EXPECT_EQ(option(again, key), value) << key;
  EXPECT_EQ(isSetUp(recalled.get()), 0);
  EXPECT_EQ(instruction(recalled.get()), kOnView);
}

TEST_F(SetupViewE2E, hypothetical_compounds_are_renamed_for_the_simulator) {
  // The simulator knows two of the package's compounds as library compounds.
  select(std::string(testsupport::kIdealSelection) +
         "compound = methane, Methane, 1\ncompound = propane, Propane, 4\n");
  auto pkg = create();
  const Supported before = supported(pkg.get());
  ASSERT_EQ(before.n, 4);
  EXPECT_EQ(before.ids, (std::vector<LONG>{1, -2, 4, -2}));

  edit("treatAsHypos = true\n");
  INT status = -1;
  ASSERT_EQ(setup(pkg.get(), 0, &status), S_OK);
  const Supported after = supported(pkg.get());
  ASSERT_EQ(after.n, before.n);
  EXPECT_EQ(after.ids, std::vector<LONG>(static_cast<std::size_t>(before.n), -2));

  // The adapter holds the renamed compounds: each package compound id followed by '*'.
  std::string saved = save(pkg.get());
  const std::vector<std::string> ids = adapterList(saved, "compIds");
  ASSERT_EQ(ids.size(), static_cast<std::size_t>(before.n));
  std::vector<std::string> starred;
  for (const auto& id : ids) starred.push_back(id + "*");
  EXPECT_EQ(adapterList(saved, "qoNames"), starred);
  EXPECT_EQ(after.names, starred);
  EXPECT_EQ(option(saved, "treatAsHypos"), "-1");

  // Another view renames again from the ids: never a second '*'.
  ASSERT_EQ(pkg->OnView(nullptr, nullptr), S_OK);
  saved = save(pkg.get());
  EXPECT_EQ(adapterList(saved, "qoNames"), starred);

  // The recalled case keeps offering them as hypothetical compounds.
  auto recalled = create();
  comlite::Bstr text(saved);
  VARIANT_BOOL changed = VARIANT_TRUE;
  ASSERT_EQ(recalled->PkgRecall(text.get(), &changed), S_OK);
  EXPECT_EQ(supported(recalled.get()).ids, after.ids);
}

}  // namespace
