//! Saved cases through the built modules: a case saved by one socket object is recalled into a
//! new one and gives the same numbers, or the recall is refused with a reason and the object
//! stays as good as new. The user's edits in the setup view (the capeside GUI component applies
//! the file named by CORAVL_CAPE_VIEW_EDITS when the view is shown) persist with the case too.

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
  const std::size_t n = nested ? coravl::setup::recordCount(*nested).value_or(0) : 0;
  for (std::size_t k = 1; k <= n; ++k) {
    auto item = coravl::setup::findRecord(*nested, comlite::utf8ToUtf16(std::to_string(k)));
    out.push_back(item ? comlite::utf16ToUtf8(*item) : "?");
  }
  return out;
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

  //! PkgRecall of `text`; `changed` is what it wrote (VARIANT_TRUE before the call).
  static HRESULT recallInto(IExtendedPropPackage* pkg, const comlite::Bstr& text,
                            VARIANT_BOOL& changed) {
    changed = VARIANT_TRUE;
    return pkg->PkgRecall(text.get(), &changed);
  }

  //! A new object with the case recalled, its properties registered; a case opened later needs
  //! no selection file.
  ComPtr<IExtendedPropPackage> recall(const std::string& saved) {
    testsupport::ScopedEnv noSelection("CORAVL_CAPE_SELECTION", env.dir().file("missing.txt"));
    auto pkg = create();
    VARIANT_BOOL changed;
    EXPECT_EQ(recallInto(pkg.get(), comlite::Bstr(saved), changed), S_OK) << notices();
    EXPECT_EQ(changed, VARIANT_FALSE);
    EXPECT_EQ(pkg->InitializePropertyID(registry.dispatch()), S_OK);
    return pkg;
  }

  struct Supported {
    INT n = -1;
    std::vector<LONG> ids;
    std::vector<std::string> names, cas;
  };
  static Supported supported(IExtendedPropPackage* pkg) {
    Supported s;
    comlite::Variant ids, names, cas;
    comlite::Bstr identifierName;
    EXPECT_EQ(pkg->GetSupportedComps(&s.n, &ids, &names, identifierName.out(), &cas), S_OK);
    for (LONG k = 0; k < s.n; ++k) {
      s.ids.push_back(SetGet::getLong(ids, k));
      s.names.push_back(SetGet::getString(names, k));
      s.cas.push_back(SetGet::getString(cas, k));
    }
    return s;
  }
  //! SetupPkg with `nfiles` files answering `want`; the status it writes.
  static INT setUp(IExtendedPropPackage* pkg, HRESULT want = S_OK, INT nfiles = 0) {
    INT status = -1;
    EXPECT_EQ(pkg->SetupPkg(nfiles, comlite::Variant(), nullptr, &status), want);
    return status;
  }
  static std::string packageName(IExtendedPropPackage* pkg) {
    comlite::Bstr name, description;
    EXPECT_EQ(pkg->GetPackageName(name.out(), description.out()), S_OK);
    return name.utf8();
  }
  //! A status the component answers through an [in,out] INT.
  static INT answer(IExtendedPropPackage* pkg, HRESULT (IExtendedPropPackage::*get)(INT*)) {
    INT status = -1;
    EXPECT_EQ((pkg->*get)(&status), S_OK);
    return status;
  }
  //! The instruction the component gives for its files: it needs none.
  static std::string instruction(IExtendedPropPackage* pkg) {
    INT n = -1;
    comlite::Bstr text;
    EXPECT_EQ(pkg->PkgFileNeeded(&n, text.out()), S_OK);
    EXPECT_EQ(n, 0);
    return text.utf8();
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
      const Supported offer = supported(pkg.get());
      std::vector<ravelin::Compound> added;
      for (LONG k = 0; k < offer.n; ++k) {
        specs.push_back({offer.names[k], offer.cas[k], "", 20000 + k, {}});
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
  using testsupport::pick;
  const Specs gas = testsupport::naturalGasCompounds();  // "i-Butane", "CO2", "H2S"
  const SavedCase cases[] = {
      {"package names", kPengRobinsonSelection, "", packageNamedGas(), {}},
      {"simulator names", kPengRobinsonSelection, "", gas, {}},
      {"exchanged", kPengRobinsonSelection, "", gas, {{'x', 4, 8}, {'x', 0, 9}}},
      {"removed", kPengRobinsonSelection, "allowSubsets = true\n", gas, {{'r', 3, 0}}},
      {"subset", kPengRobinsonSelection, "allowSubsets = true\n", pick(gas, {4, 8, 9}), {}},
      {"subset exchanged",
       kPengRobinsonSelection,
       "allowSubsets = true\n",
       pick(gas, {9, 0, 8, 1}),
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
    VARIANT_BOOL changed;
    EXPECT_TRUE(FAILED(recallInto(broken.get(), comlite::Bstr{std::u16string_view(bad)}, changed)));
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
    ASSERT_EQ(recallInto(broken.get(), comlite::Bstr(good), changed), S_OK) << notices();
    EXPECT_EQ(save(broken.get()), good);
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
  VARIANT_BOOL changed;
  ASSERT_TRUE(FAILED(recallInto(broken.get(), comlite::Bstr("not a saved case"), changed)));
  EXPECT_EQ(setUp(broken.get()), 0) << notices();
  EXPECT_EQ(packageName(broken.get()), "Natural Gas (PR)");
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
  EXPECT_EQ(setUp(pkg.get()), 0);
  EXPECT_EQ(answer(pkg.get(), &IExtendedPropPackage::IsPkgSetup), 0);
}

TEST_F(SavedCaseE2E, a_recall_into_an_object_already_set_up_is_refused_and_keeps_its_package) {
  const std::string saved = save(open(testsupport::kIdealSelection, {}).get());
  select(testsupport::kPengRobinsonSelection);
  // Each of these sets the package up on first use (and must answer S_OK).
  using P = IExtendedPropPackage;
  const std::pair<const char*, void (*)(P*)> entries[] = {
      {"GetPackageName", [](P* p) { packageName(p); }},
      {"IsPkgSetup", [](P* p) { answer(p, &P::IsPkgSetup); }},
      {"PkgFileNeeded", [](P* p) { instruction(p); }},
      {"GetNumbCompounds", [](P* p) { answer(p, &P::GetNumbCompounds); }},
      {"SetupPkg", [](P* p) { setUp(p); }},
  };
  for (const auto& [what, call] : entries) {
    SCOPED_TRACE(what);
    env.notices.clear();
    auto pkg = create();
    call(pkg.get());
    VARIANT_BOOL changed;
    EXPECT_TRUE(FAILED(recallInto(pkg.get(), comlite::Bstr(saved), changed)));
    EXPECT_EQ(changed, VARIANT_FALSE);
    EXPECT_TRUE(noticed("the saved case can be recalled only into a new one")) << notices();
    EXPECT_EQ(packageName(pkg.get()), "Natural Gas (PR)");
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
  VARIANT_BOOL changed;
  ASSERT_EQ(recallInto(recalled.get(), comlite::Bstr(saved), changed), S_OK) << notices();
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

TEST_F(SavedCaseE2E, setup_view_edits_take_effect_at_once_and_persist_through_the_case) {
  select(testsupport::kIdealSelection);
  auto pkg = create();
  // A setup with files shows the view but leaves the package unfinished.
  EXPECT_EQ(setUp(pkg.get(), S_FALSE, 2), 1);
  EXPECT_EQ(answer(pkg.get(), &IExtendedPropPackage::IsPkgSetup), 1);
  EXPECT_EQ(instruction(pkg.get()),
            "Click on 'Finish Setup' to complete the configuration process");
  EXPECT_EQ(setUp(pkg.get()), 0);
  EXPECT_EQ(answer(pkg.get(), &IExtendedPropPackage::CanNumbCompChange), 0);
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
  EXPECT_EQ(answer(pkg.get(), &IExtendedPropPackage::CanNumbCompChange), 1);
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
  auto recalled = recall(saved);
  EXPECT_EQ(answer(recalled.get(), &IExtendedPropPackage::CanNumbCompChange), 1);
  ASSERT_EQ(recalled->OnView(nullptr, nullptr), S_OK);
  const std::string again = save(recalled.get());
  for (const auto& [key, value] : expected) EXPECT_EQ(option(again, key), value) << key;
  EXPECT_EQ(answer(recalled.get(), &IExtendedPropPackage::IsPkgSetup), 0);
  EXPECT_EQ(instruction(recalled.get()),
            "Click on 'On View' to browse the Package description or on Setup to refresh the "
            "compounds information");
}

TEST_F(SavedCaseE2E, hypothetical_compounds_are_renamed_for_the_simulator_and_stay_so) {
  // The simulator knows two of the package's compounds as library compounds.
  select(std::string(testsupport::kIdealSelection) +
         "compound = methane, Methane, 1\ncompound = propane, Propane, 4\n");
  auto pkg = create();
  EXPECT_EQ(supported(pkg.get()).ids, (std::vector<LONG>{1, -2, 4, -2}));
  edit("treatAsHypos = true\n");
  setUp(pkg.get());
  const Supported after = supported(pkg.get());
  EXPECT_EQ(after.ids, std::vector<LONG>(4, -2));
  // The adapter holds the renamed compounds: each package compound id followed by '*'.
  std::string saved = save(pkg.get());
  std::vector<std::string> starred = adapterList(saved, "compIds");
  ASSERT_EQ(starred.size(), 4u);
  for (auto& id : starred) id += "*";
  EXPECT_EQ(adapterList(saved, "qoNames"), starred);
  EXPECT_EQ(after.names, starred);
  EXPECT_EQ(option(saved, "treatAsHypos"), "-1");
  // Another view renames again from the ids: never a second '*'.
  ASSERT_EQ(pkg->OnView(nullptr, nullptr), S_OK);
  saved = save(pkg.get());
  EXPECT_EQ(adapterList(saved, "qoNames"), starred);
  // The recalled case keeps offering them as hypothetical compounds.
  EXPECT_EQ(supported(recall(saved).get()).ids, after.ids);
}
