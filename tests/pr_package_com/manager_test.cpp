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
  ComPtr<ICapeThermoPropertyPackageManager> manager() {
    ComPtr<ICapeThermoPropertyPackageManager> ppm;
    EXPECT_EQ(CoCreateInstance(prManager(), nullptr, CLSCTX_INPROC_SERVER,
                               ICapeThermoPropertyPackageManager::kIID, ppm.putVoid()),
              S_OK);
    return ppm;
  }
  static CLSID prManager() {
    CLSID clsid{};
    CLSIDFromProgID(u"CORavlPR.PackageManager", &clsid);
    return clsid;
  }
  std::optional<testsupport::ScopedEnv> m_data;
};

}  // namespace

TEST_F(Manager, registers_under_the_published_categories_with_its_description) {
  comlite::registry::Data data;
  ASSERT_EQ(comlite::registry::load(data), S_OK);
  CLSID package, manager;
  ASSERT_EQ(CLSIDFromProgID(u"CORavlPR.PropertyPackage.1", &package), S_OK);
  ASSERT_EQ(CLSIDFromProgID(u"CORavlPR.PackageManager.1", &manager), S_OK);
  EXPECT_TRUE(inCategory(data, capeopen::kCatThermo11Package, package));
  EXPECT_TRUE(inCategory(data, capeopen::kCatCapeOpenComponent, package));
  EXPECT_TRUE(inCategory(data, capeopen::kCatThermo11PackageManager, manager));
  EXPECT_TRUE(inCategory(data, capeopen::kCatCapeOpenComponent, manager));
  EXPECT_FALSE(inCategory(data, capeopen::kCatThermo11Package, manager));
  EXPECT_FALSE(inCategory(data, capeopen::kCatThermo11PackageManager, package));
  const std::string key = "CLSID\\" + comlite::guidToString(manager) + "\\CapeDescription";
  EXPECT_EQ(data.value(key, "CapeVersion"), "1.1");
  EXPECT_EQ(data.value(key, "Name"), "Peng-Robinson property package manager");
  // The stand-alone package holds every compound of the data file.
  ComPtr<ICapeThermoCompounds> alone;
  ASSERT_EQ(CoCreateInstance(package, nullptr, CLSCTX_INPROC_SERVER, ICapeThermoCompounds::kIID,
                             alone.putVoid()),
            S_OK);
  LONG n = 0;
  ASSERT_EQ(alone->GetNumCompounds(&n), S_OK);
  EXPECT_EQ(n, 24);
}

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
  EXPECT_NE(e.description.find("\"Steam tables\" is not offered"), std::string::npos)
      << e.description;
  EXPECT_EQ(e.operation, "GetPropertyPackage");
  EXPECT_EQ(ppm.as<ICapeUtilities>()->Edit(), ECapeNoImplHR);
}

TEST_F(Manager, a_private_data_folder_replaces_the_configurations) {
  privateData(
      "# two packages\n"
      "[Pair]\n"
      "compounds = 74-82-8, ETHANE\n"
      "description = methane and ethane\n"
      "[Pair, no kij]\n"
      "compounds = methane, ethane\n"
      "kij = no_kij.csv\n");
  auto ppm = manager();
  Variant list;
  ASSERT_EQ(ppm->GetPropertyPackageList(&list), S_OK);
  EXPECT_EQ(capeside::stringList(list).value(), (std::vector<std::string>{"Pair", "Pair, no kij"}));
  ComPtr<IDispatch> package;
  ASSERT_EQ(ppm->GetPropertyPackage(Bstr("Pair").get(), package.put()), S_OK);
  Variant ids, f, n, tb, mw, cas;
  ASSERT_EQ(package.as<ICapeThermoCompounds>()->GetCompoundList(&ids, &f, &n, &tb, &mw, &cas),
            S_OK);
  // CAS numbers and letter case become the data's ids.
  EXPECT_EQ(capeside::stringList(ids).value(), (std::vector<std::string>{"methane", "ethane"}));
  Bstr text;
  ASSERT_EQ(package.as<ICapeIdentification>()->get_ComponentDescription(text.out()), S_OK);
  EXPECT_EQ(text.utf8(), "methane and ethane");
  ASSERT_EQ(package.as<ICapeIdentification>()->get_ComponentName(text.out()), S_OK);
  EXPECT_EQ(text.utf8(), "Pair");
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
    EXPECT_NE(d.find(c.expected), std::string::npos) << c.text << "\n-> " << d;
    m_data.reset();
  }
  // A folder without packages.txt.
  m_data.emplace("CORAVL_PR_DATA", m_env.dir().file("nowhere"));
  Variant list;
  auto ppm = manager();
  EXPECT_EQ(ppm->GetPropertyPackageList(&list), ECapeFailedInitialisationHR);
  EXPECT_NE(capeErrorOf(ppm.get()).description.find("nowhere/packages.txt"), std::string::npos);
}

TEST_F(Manager, the_kij_set_of_a_configuration_changes_the_fugacities) {
  auto withKij = fromManager("Natural Gas (PR)");
  auto withoutKij = fromManager("Natural Gas, no kij (PR)");
  ComPtr<IDispatch> material;
  ASSERT_EQ(CoCreateInstance(matobj::kClsidMaterialObject, nullptr, CLSCTX_INPROC_SERVER,
                             IDispatch::kIID, material.putVoid()),
            S_OK);
  std::vector<double> lnphi[2];
  IDispatch* packages[2] = {withKij.get(), withoutKij.get()};
  for (int k = 0; k < 2; ++k) {
    ASSERT_EQ(material.as<IMatObj>()->SetPackage(packages[k]), S_OK);
    auto context = ComPtr<IDispatch>(packages[k]).as<ICapeThermoMaterialContext>();
    ASSERT_EQ(context->SetMaterial(material.get()), S_OK);
    Variant out, dT, dP, dn;
    ASSERT_EQ(ComPtr<IDispatch>(packages[k])
                  .as<ICapeThermoPropertyRoutine>()
                  ->CalcAndGetLnPhi(Bstr("Liquid").get(), 200, 3e6,
                                    capeside::makeDoubleArray(kNaturalGasZ),
                                    CAPE_LOG_FUGACITY_COEFFICIENTS, &out, &dT, &dP, &dn),
              S_OK);
    lnphi[k] = capeside::doubleList(out).value();
    ASSERT_EQ(context->UnsetMaterial(), S_OK);
  }
  ASSERT_EQ(material.as<IMatObj>()->SetPackage(nullptr), S_OK);
  ASSERT_EQ(lnphi[0].size(), 10u);
  // Methane-CO2 and the H2S pairs carry sizeable kij: their ln phi move, by more than rounding.
  EXPECT_GT(std::fabs(lnphi[0][8] - lnphi[1][8]), 1e-3);
  EXPECT_GT(std::fabs(lnphi[0][9] - lnphi[1][9]), 1e-3);
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
        capeside::makeStringArray({"density"}), Bstr("Liquid").get());
    if (k == 0) {
      EXPECT_NE(capeErrorOf(package.get()).description.find("no Liquid root"), std::string::npos);
    }
    ASSERT_EQ(package.as<ICapeThermoMaterialContext>()->UnsetMaterial(), S_OK);
  }
  ASSERT_EQ(mo->SetPackage(nullptr), S_OK);
  EXPECT_EQ(results[0], ECapeThrmPropertyNotAvailableHR);
  EXPECT_EQ(results[1], S_OK);
}
