//! Saved cases through the built modules: a case saved by one socket object is recalled into a
//! new one and gives the same numbers, or the recall is refused with a reason and the object
//! stays as good as new.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "base/set_get.h"
#include "comlite/bstr.h"
#include "comlite/com_ptr.h"
#include "comlite/safearray.h"
#include "ravelin/flash_control.h"
#include "ravelin/phase_collection.h"
#include "ravelin/property_names.h"
#include "setup/option_records.h"
#include "setup/package_options.h"
#include "support/socket_fixture.h"

using comlite::ComPtr;
using Specs = std::vector<ravelin::CompoundSpec>;

namespace {

//! The natural gas compounds under the package's own names.
Specs packageNamedGas() {
  const char* ids[] = {"methane",   "ethane",   "propane",  "n-butane",       "isobutane",
                       "n-pentane", "n-hexane", "nitrogen", "carbon dioxide", "hydrogen sulfide"};
  Specs specs = testsupport::naturalGasCompounds();
  for (std::size_t i = 0; i < specs.size(); ++i) specs[i].name = ids[i];
  return specs;
}

Specs pickSpecs(const Specs& all, const std::vector<std::size_t>& order) {
  return testsupport::pick(all, order);
}

struct Step {
  char kind;  //!< 'x' exchange, 'r' remove
  INT i, j;
};

struct SavedCase {
  const char* name;
  const char* selection;
  const char* edits;  //!< the user's options in the setup view
  Specs compounds;    //!< the simulator's compounds; empty: the package's offer, hypothetical
  std::vector<Step> steps;
};

class SavedCaseE2E : public testsupport::SocketFixture {
 protected:
  //! What the simulator computes and shows of a case: properties of both phases and a flash.
  std::vector<double> results(IExtendedPropPackage* pkg) {
    const std::size_t n = fluid->size();
    std::vector<double> x(n);
    for (std::size_t i = 0; i < n; ++i) x[i] = static_cast<double>(i + 1) * 2.0 / (n * (n + 1.0));
    std::vector<double> out;
    auto vapour = phase(ravelin::kPhaseVapour, 320.0, 1500.0, x);
    auto liquid = phase(ravelin::kPhaseLiquid, 250.0, 3000.0, x);
    for (auto* p : {&vapour, &liquid})
      for (const char* property : {"Enthalpy", "LnFugacityCoeff"}) {
        const HRESULT hr = pkg->CalculateProperty(ravelin::propertyId(property), p->dispatch(),
                                                  nullptr, manager.dispatch(), nullptr, nullptr);
        out.push_back(hr);
        if (auto v = p->value(property)) out.push_back(*v);
        if (auto v = p->vector(property)) out.insert(out.end(), v->begin(), v->end());
      }
    auto flashes =
        ravelin::PhaseCollection::create(phase(ravelin::kPhaseOverall, 230.0, 2500.0, x),
                                         {ravelin::Phase::create(*fluid, ravelin::kPhaseVapour),
                                          ravelin::Phase::create(*fluid, ravelin::kPhaseLiquid)});
    auto flash = ComPtr<IExtendedPropPackage>(pkg).as<IExtendedFlash>();
    out.push_back(flash->Execute(xftPTFlash, nullptr, flashes.dispatch(), manager.dispatch(),
                                 nullptr, nullptr));
    out.push_back(static_cast<double>(flashes.numberOfPhases()));
    for (LONG k = 0; k < flashes.numberOfPhases(); ++k) {
      auto p = flashes.phase(static_cast<std::size_t>(k));
      out.push_back(p.fraction());
      for (double c : p.composition()) out.push_back(c);
    }
    return out;
  }

  std::string save(IExtendedPropPackage* pkg) {
    comlite::Bstr text;
    EXPECT_EQ(pkg->PkgSave(text.out()), S_OK) << notices();
    return text.utf8();
  }

  //! A new object with the case recalled, its properties registered; a case opened later needs
  //! no selection file.
  ComPtr<IExtendedPropPackage> recall(const std::string& saved) {
    testsupport::ScopedEnv noSelection("CORAVL_CAPE_SELECTION", env.dir().file("missing.txt"));
    auto pkg = create();
    comlite::Bstr text(saved);
    VARIANT_BOOL changed = VARIANT_TRUE;
    EXPECT_EQ(pkg->PkgRecall(text.get(), &changed), S_OK) << notices();
    EXPECT_EQ(changed, VARIANT_FALSE);
    EXPECT_EQ(pkg->InitializePropertyID(registry.dispatch()), S_OK);
    return pkg;
  }

  //! The case built the simulator's way.
  ComPtr<IExtendedPropPackage> build(const SavedCase& c) {
    select(c.selection);
    edit(c.edits);
    Specs specs = c.compounds;
    ComPtr<IExtendedPropPackage> pkg;
    if (!specs.empty()) {
      pkg = open(nullptr, specs);
    } else {
      // The simulator takes the package's compounds, as renamed by the setup, as compounds of
      // its own making.
      pkg = open(nullptr, {});
      INT n = 0;
      comlite::Variant ids, names, identifiers;
      comlite::Bstr identifierName;
      EXPECT_EQ(pkg->GetSupportedComps(&n, &ids, &names, identifierName.out(), &identifiers), S_OK);
      std::vector<ravelin::Compound> added;
      for (LONG k = 0; k < n; ++k) {
        specs.push_back(
            {SetGet::getString(names, k), SetGet::getString(identifiers, k), "", 20000 + k, {}});
        added.push_back(ravelin::Compound::create(specs.back()));
        EXPECT_EQ(pkg->AddLastCompound(added.back().dispatch()), S_OK) << specs.back().name;
      }
    }
    for (const Step& s : c.steps) {
      if (s.kind == 'x') {
        EXPECT_EQ(pkg->ExchangeCompounds(s.i, s.j), S_OK) << notices();
        std::swap(specs[static_cast<std::size_t>(s.i)], specs[static_cast<std::size_t>(s.j)]);
      } else {
        EXPECT_EQ(pkg->RemoveCompoundi(s.i), S_OK) << notices();
        specs.erase(specs.begin() + s.i);
      }
    }
    useFluid(specs);
    return pkg;
  }

  ravelin::FlashControl flashControl = ravelin::FlashControl::create();
  ravelin::PropertyManager manager = ravelin::PropertyManager::create(flashControl);
};

}  // namespace

TEST_F(SavedCaseE2E, a_recalled_case_gives_the_same_numbers_and_saves_the_same_text) {
  using testsupport::kIdealSelection;
  using testsupport::kPengRobinsonSelection;
  const Specs gas = testsupport::naturalGasCompounds();  // "i-Butane", "CO2", "H2S"
  const SavedCase cases[] = {
      {"package names", kPengRobinsonSelection, "", packageNamedGas(), {}},
      {"simulator names", kPengRobinsonSelection, "", gas, {}},
      {"exchanged", kPengRobinsonSelection, "", gas, {{'x', 4, 8}, {'x', 0, 9}}},
      {"removed", kPengRobinsonSelection, "allowSubsets = true\n", gas, {{'r', 3, 0}}},
      {"subset", kPengRobinsonSelection, "allowSubsets = true\n", pickSpecs(gas, {4, 8, 9}), {}},
      {"subset exchanged",
       kPengRobinsonSelection,
       "allowSubsets = true\n",
       pickSpecs(gas, {9, 0, 8, 1}),
       {{'x', 1, 3}}},
      {"hypothetical", kIdealSelection, "treatAsHypos = true\n", {}, {}},
      {"options",
       kPengRobinsonSelection,
       "doOrderPhases = on\nlogRecovErrors = 1\ntraceCritErrors = false\n"
       "requestSelvarLiquid2flash = yes\n",
       gas,
       {{'x', 2, 5}}},
  };
  for (const SavedCase& c : cases) {
    SCOPED_TRACE(c.name);
    auto pkg = build(c);
    const std::vector<double> before = results(pkg.get());
    ASSERT_EQ(before.at(0), S_OK) << notices();  // the enthalpy was calculated
    const std::string saved = save(pkg.get());
    pkg.reset();

    auto recalled = recall(saved);
    const std::vector<double> after = results(recalled.get());
    ASSERT_EQ(after.size(), before.size()) << notices();
    for (std::size_t k = 0; k < before.size(); ++k)
      EXPECT_NEAR(after[k], before[k], 1e-12 * std::max(1.0, std::fabs(before[k]))) << k;
    EXPECT_EQ(save(recalled.get()), saved);
    env.notices.clear();
  }
}

TEST_F(SavedCaseE2E, a_damaged_case_is_refused_with_the_reason_and_the_object_stays_new) {
  auto pkg = open(nullptr, testsupport::naturalGasCompounds());
  const std::string good = save(pkg.get());
  pkg.reset();
  const std::u16string text = comlite::utf8ToUtf16(good);
  std::u16string wrongCount = text, wrongLength = text, binary;
  wrongCount.replace(0, 3, u" 40");
  const std::size_t length = wrongLength.find(u" : 1 : 1 , ");  // the adapter's version
  ASSERT_NE(length, std::u16string::npos);
  wrongLength.replace(length, 7, u" : 9 : ");
  for (int k = 0; k < 300; ++k) binary.push_back(static_cast<char16_t>((k * 7919) % 65536));
  const std::pair<const char*, std::u16string> damaged[] = {
      {"empty", u""},
      {"cut in the header", text.substr(0, 3)},
      {"cut in the adapter's records", text.substr(0, text.size() / 4)},
      {"cut in the component's records", text.substr(0, text.size() - 20)},
      {"wrong count", wrongCount},
      {"wrong length", wrongLength},
      {"binary", binary},
      {"another program's text", u"<case version=\"2\"/>"},
  };
  for (const auto& [what, bad] : damaged) {
    SCOPED_TRACE(what);
    env.notices.clear();
    auto broken = create();
    comlite::Bstr badText{std::u16string_view(bad)};
    VARIANT_BOOL changed = VARIANT_TRUE;
    EXPECT_TRUE(FAILED(broken->PkgRecall(badText.get(), &changed)));
    EXPECT_EQ(changed, VARIANT_FALSE);
    // The adapter's own account, not an internal error.
    ASSERT_TRUE(noticed("The saved case cannot be recalled: the package adapter refused it: "))
        << notices();
    EXPECT_FALSE(noticed("INTERNAL ERROR")) << notices();
    EXPECT_FALSE(noticed("(_com_error)")) << notices();
    // Nothing is set up, and nothing is saved in its name.
    comlite::Bstr out("left from before");
    EXPECT_TRUE(FAILED(broken->PkgSave(out.out())));
    EXPECT_EQ(out.get(), nullptr);
    EXPECT_TRUE(noticed("there is nothing to save")) << notices();
    // A good case can still be recalled into it.
    comlite::Bstr goodText(good);
    ASSERT_EQ(broken->PkgRecall(goodText.get(), &changed), S_OK) << notices();
    comlite::Bstr again;
    ASSERT_EQ(broken->PkgSave(again.out()), S_OK);
    EXPECT_EQ(again.utf8(), good);
  }
  // An adapter text kept in a record of its own goes back to the adapter as it was saved.
  std::u16string wrapped;
  ASSERT_TRUE(coravl::setup::appendRecord(wrapped, coravl::setup::kAdapterTextKey, text));
  ASSERT_TRUE(coravl::setup::appendRecord(
      wrapped, u"CompoundPositions",
      coravl::setup::findLastRecord(text, u"CompoundPositions").value_or(u"")));
  auto unwrapped = recall(comlite::utf16ToUtf8(wrapped));
  INT n = 0;
  EXPECT_EQ(unwrapped->GetNumbCompounds(&n), S_OK);
  EXPECT_EQ(n, 10);

  // Or the user selects a new package in it.
  auto broken = create();
  comlite::Bstr badText("not a saved case");
  VARIANT_BOOL changed = VARIANT_TRUE;
  ASSERT_TRUE(FAILED(broken->PkgRecall(badText.get(), &changed)));
  INT status = -1;
  comlite::Variant none;
  EXPECT_EQ(broken->SetupPkg(0, none, nullptr, &status), S_OK) << notices();
  EXPECT_EQ(status, 0);
  comlite::Bstr name, description;
  EXPECT_EQ(broken->GetPackageName(name.out(), description.out()), S_OK);
  EXPECT_EQ(name.utf8(), "Natural Gas (PR)");
}

TEST_F(SavedCaseE2E, status_outputs_are_written_when_no_package_can_be_set_up) {
  select("package = No Such Package\n");
  auto pkg = create();
  INT status = 0, nfiles = -1;
  comlite::Bstr description, name("stale"), pkgDescription("stale");
  comlite::Variant none;
  EXPECT_TRUE(FAILED(pkg->IsPkgSetup(&status)));
  EXPECT_EQ(status, 1);
  status = 0;
  EXPECT_TRUE(FAILED(pkg->SetupPkg(0, none, nullptr, &status)));
  EXPECT_EQ(status, 1);
  EXPECT_TRUE(FAILED(pkg->PkgFileNeeded(&nfiles, description.out())));
  EXPECT_EQ(nfiles, 0);
  EXPECT_TRUE(FAILED(pkg->GetPackageName(name.out(), pkgDescription.out())));
  EXPECT_EQ(name.get(), nullptr);
  EXPECT_EQ(pkgDescription.get(), nullptr);
  // The user fixes the selection: the same object sets up.
  select(testsupport::kIdealSelection);
  status = -1;
  EXPECT_EQ(pkg->SetupPkg(0, none, nullptr, &status), S_OK);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(pkg->IsPkgSetup(&status), S_OK);
  EXPECT_EQ(status, 0);
}

TEST_F(SavedCaseE2E, a_recall_into_an_object_already_set_up_is_refused_and_keeps_its_package) {
  const std::string saved = save(open(testsupport::kIdealSelection, {}).get());
  select(testsupport::kPengRobinsonSelection);
  using Call = HRESULT (*)(IExtendedPropPackage*);
  const std::pair<const char*, Call> entries[] = {
      {"GetPackageName",
       [](IExtendedPropPackage* p) {
         comlite::Bstr n, d;
         return p->GetPackageName(n.out(), d.out());
       }},
      {"IsPkgSetup",
       [](IExtendedPropPackage* p) {
         INT s = 0;
         return p->IsPkgSetup(&s);
       }},
      {"PkgFileNeeded",
       [](IExtendedPropPackage* p) {
         INT n = 0;
         comlite::Bstr d;
         return p->PkgFileNeeded(&n, d.out());
       }},
      {"GetNumbCompounds",
       [](IExtendedPropPackage* p) {
         INT n = 0;
         return p->GetNumbCompounds(&n);
       }},
      {"SetupPkg",
       [](IExtendedPropPackage* p) {
         INT s = 0;
         return p->SetupPkg(0, comlite::Variant(), nullptr, &s);
       }},
  };
  for (const auto& [what, call] : entries) {
    SCOPED_TRACE(what);
    env.notices.clear();
    auto pkg = create();
    ASSERT_EQ(call(pkg.get()), S_OK);
    comlite::Bstr text(saved);
    VARIANT_BOOL changed = VARIANT_TRUE;
    EXPECT_TRUE(FAILED(pkg->PkgRecall(text.get(), &changed)));
    EXPECT_EQ(changed, VARIANT_FALSE);
    EXPECT_TRUE(noticed("the saved case can be recalled only into a new one")) << notices();
    comlite::Bstr name, description;
    EXPECT_EQ(pkg->GetPackageName(name.out(), description.out()), S_OK);
    EXPECT_EQ(name.utf8(), "Natural Gas (PR)");
  }
}

TEST_F(SavedCaseE2E, a_case_whose_package_now_offers_other_compounds_blocks_flashes) {
  auto pkg = open(nullptr, testsupport::naturalGasCompounds());
  std::string saved = save(pkg.get());
  pkg.reset();
  const std::size_t at = saved.find("n-hexane");
  ASSERT_NE(at, std::string::npos);
  saved[at] = 'x';  // the package no longer offers the compound the case was saved with
  auto recalled = create();
  comlite::Bstr text(saved);
  VARIANT_BOOL changed = VARIANT_FALSE;
  ASSERT_EQ(recalled->PkgRecall(text.get(), &changed), S_OK) << notices();
  EXPECT_EQ(changed, VARIANT_TRUE);
  EXPECT_TRUE(noticed("The compounds provided now by the PP are not the same")) << notices();
  ASSERT_EQ(recalled->InitializePropertyID(registry.dispatch()), S_OK);
  EXPECT_EQ(recalled->RemoveCompoundi(0), S_OK);  // ignored until the compounds are set again
  env.notices.clear();
  const std::vector<double> x(fluid->size(), 0.1);
  auto flashes =
      ravelin::PhaseCollection::create(phase(ravelin::kPhaseOverall, 230.0, 2500.0, x),
                                       {ravelin::Phase::create(*fluid, ravelin::kPhaseVapour)});
  EXPECT_EQ(recalled.as<IExtendedFlash>()->Execute(xftPTFlash, nullptr, flashes.dispatch(),
                                                   manager.dispatch(), nullptr, nullptr),
            E_FAIL);
  EXPECT_TRUE(noticed("Warning while executing flash. The compounds provided now")) << notices();
}
