//! The Peng-Robinson module as any third-party package is met: registered under the published
//! categories, its manager offering the configurations of packages.txt, a private data folder
//! through CORAVL_PR_DATA, and the configuration options seen through the package.

#include <cmath>
#include <filesystem>

#include "comlite/categories.h"
#include "comlite/registry.h"
#include "outside/capeopen_categories.h"
#include "outside/capeopen_common.h"
#include "pr_com_fixture.h"

using namespace prtest;

namespace {

class Manager : public PrModule {
 protected:
  //! A private data folder: the built data files plus the given packages.txt.
  void privateData(const std::string& packages) {
    const std::string dir = m_env.dir().file("data");
    std::filesystem::create_directories(dir);
    for (const char* f : {"compounds.csv", "pr_kij.csv", "no_kij.csv"})
      std::filesystem::copy_file(builtDataFolder() + "/" + f, dir + "/" + f,
                                 std::filesystem::copy_options::overwrite_existing);
    writeFile(dir + "/packages.txt", packages);
    m_data.emplace("CORAVL_PR_DATA", dir);
  }
  std::optional<testsupport::ScopedEnv> m_data;
};

}  // namespace

TEST_F(Manager, offers_the_configured_packages_and_refuses_other_names) {
  auto ppm = manager();
  Variant list;
  ASSERT_EQ(ppm->GetPropertyPackageList(&list), S_OK);
  EXPECT_EQ(capeside::stringList(list).value(),
            (std::vector<std::string>{"Natural Gas (PR)", "C1-C4 (PR)", "Aromatics (PR)",
                                      "Natural Gas, no kij (PR)", "Full data set (PR)"}));
  struct Case {
    const char* name;
    LONG compounds;
  };
  for (Case c : {Case{"natural gas (pr)", 10}, Case{"C1-C4 (PR)", 5}, Case{"Aromatics (PR)", 2},
                 Case{"Full data set (PR)", 24}}) {
    ComPtr<IDispatch> package;
    ASSERT_EQ(ppm->GetPropertyPackage(Bstr(c.name).get(), package.put()), S_OK) << c.name;
    LONG n = 0;
    ASSERT_EQ(package.as<ICapeThermoCompounds>()->GetNumCompounds(&n), S_OK);
    EXPECT_EQ(n, c.compounds) << c.name;
  }
  ComPtr<IDispatch> none;
  EXPECT_EQ(ppm->GetPropertyPackage(Bstr("Steam tables").get(), none.put()),
            ECapeInvalidArgumentHR);
  EXPECT_FALSE(none);
  CapeErrorSeen e = capeErrorOf(ppm.get());
  EXPECT_EQ(e.name, "ECapeInvalidArgument");
  EXPECT_THAT(e.description, HasSubstr("\"Steam tables\" is not offered"));
  EXPECT_EQ(e.operation, "GetPropertyPackage");
  EXPECT_EQ(ppm.as<ICapeUtilities>()->Edit(), ECapeNoImplHR);
}

TEST_F(Manager, configuration_errors_name_the_file_and_line) {
  struct Case {
    const char* text;
    const char* expected;
  };
  const Case cases[] = {
      {"[A]\ncompounds = methane, unobtainium\n", "line 1: package \"A\" lists \"unobtainium\""},
      {"compounds = methane\n", "line 1: a setting before the first"},
      {"[A]\ncompounds = methane\ncolour = blue\n", "line 3: unknown key \"colour\""},
      {"[A]\ncompounds = methane\n[a]\ncompounds = ethane\n",
       "line 3: package \"a\" is "
       "configured twice"},
      {"[A]\ndescription = nothing\n", "line 1: package \"A\" lists no compound"},
      {"[A]\ncompounds = methane\nmissingRoot = maybe\n", "line 3: missingRoot \"maybe\""},
      {"[A]\ncompounds = methane, methane\n", "lists \"methane\" twice"},
      {"[A\ncompounds = methane\n", "line 1: a package name must end with ']'"},
      {"[A]\ncompounds = methane\nkij = missing.csv\n", "missing.csv"},
  };
  for (const Case& c : cases) {
    privateData(c.text);
    auto ppm = manager();
    Variant list;
    EXPECT_EQ(ppm->GetPropertyPackageList(&list), ECapeFailedInitialisationHR) << c.text;
    const std::string d = capeErrorOf(ppm.get()).description;
    EXPECT_THAT(d, HasSubstr(c.expected)) << c.text << "\n-> " << d;
    m_data.reset();
  }
  // A folder without packages.txt.
  m_data.emplace("CORAVL_PR_DATA", m_env.dir().file("nowhere"));
  Variant list;
  auto ppm = manager();
  EXPECT_EQ(ppm->GetPropertyPackageList(&list), ECapeFailedInitialisationHR);
  EXPECT_THAT(capeErrorOf(ppm.get()).description, HasSubstr("nowhere/packages.txt"));
}

TEST_F(Manager, missing_root_option_reports_an_absent_phase_instead_of_extrapolating) {
  privateData(
      "[Strict]\ncompounds = methane, n-butane\nmissingRoot = unavailable\n"
      "[Lenient]\ncompounds = methane, n-butane\n");
  ComPtr<IDispatch> material;
  ASSERT_EQ(CoCreateInstance(matobj::kClsidMaterialObject, nullptr, CLSCTX_INPROC_SERVER,
                             IDispatch::kIID, material.putVoid()),
            S_OK);
  auto mo = material.as<IMatObj>();
  const double x[2] = {0.9, 0.1};
  HRESULT results[2];
  const char* names[2] = {"Strict", "Lenient"};
  for (int k = 0; k < 2; ++k) {
    auto package = fromManager(names[k]);
    ASSERT_EQ(mo->SetPackage(package.get()), S_OK);
    ASSERT_EQ(package.as<ICapeThermoMaterialContext>()->SetMaterial(material.get()), S_OK);
    // A gas far above the cricondentherm: the cubic has only a vapour-like root.
    ASSERT_EQ(mo->SetState(400, 1e5, x, kLiquid), S_OK);
    results[k] = package.as<ICapeThermoPropertyRoutine>()->CalcSinglePhaseProp(
        ids({"density"}), Bstr("Liquid").get());
    if (k == 0) {
      EXPECT_THAT(capeErrorOf(package.get()).description, HasSubstr("no Liquid root"));
    }
    ASSERT_EQ(package.as<ICapeThermoMaterialContext>()->UnsetMaterial(), S_OK);
  }
  ASSERT_EQ(mo->SetPackage(nullptr), S_OK);
  EXPECT_EQ(results[0], ECapeThrmPropertyNotAvailableHR);
  EXPECT_EQ(results[1], S_OK);
}
