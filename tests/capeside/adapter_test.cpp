//! The package adapter through the built modules and a private registry: selection, creation,
//! every list, save and recall into a fresh adapter, and bad input.

#include "capeside_fixture.h"
#include "outside/capeopen_common.h"

using namespace capetest;

namespace {

const char* kLight =
    "# the user's choice in the adapter dialog\n"
    "manager = CORavlIdeal.PackageManager.1\n"
    "package = Light hydrocarbons\n"
    "alias   = Ideal C1-C4\n"
    "compound = propane, Propane, 4\n"
    "compound = 74-82-8, Methane\n";

class Adapter : public CapeSide {};

}  // namespace

TEST_F(Adapter, package_list_names_manager_packages_and_stand_alone_packages) {
  auto a = newAdapter();
  Variant list;
  ASSERT_EQ(a->GetPackageList(&list), S_OK);
  auto names = stringList(list).value();
  EXPECT_NE(findName(names, "CORavlIdeal.PackageManager.1::Light hydrocarbons"), -1);
  EXPECT_NE(findName(names, "CORavlIdeal.PackageManager.1::All compounds"), -1);
  EXPECT_NE(findName(names, "CORavlIdeal.PropertyPackage.1"), -1);
}

TEST_F(Adapter, selection_creates_the_package_and_every_list_comes_from_it) {
  auto [a, package, gui] = open(kLight);

  EXPECT_EQ(comlite::bstrToUtf8(value(a.get(), "PropPackAlias").bstrVal), "Ideal C1-C4");

  using V = std::vector<std::string>;
  // The selection names two compounds (one by CAS number); the others keep the package's names.
  const std::pair<const char*, V> lists[] = {
      {"SelectedCompIds", {"methane", "ethane", "propane", "n-butane"}},
      {"SelectedCompFormulas", {"CH4", "C2H6", "C3H8", "C4H10"}},
      {"SelectedCompCASNos", {"74-82-8", "74-84-0", "74-98-6", "106-97-8"}},
      {"SelectedCompQoNames", {"Methane", "ethane", "Propane", "n-butane"}},
      {"UserSelectedCompQoNames", {"Propane", "Methane"}},
      {"SelectedPhases", {"Vapor", "Liquid"}},
      {"SelectedStateOfAggregation", {"Vapor", "Liquid"}},
      {"SelectedKeyCompoundID", {"", ""}}};
  for (const auto& [list, expected] : lists) EXPECT_EQ(strings(a.get(), list), expected) << list;
  EXPECT_EQ(doubleList(value(a.get(), "SelectedIDNumbers")).value(),
            (std::vector<double>{0, 0, 4, 0}));
  const V props = strings(a.get(), "SelectedProperties");
  EXPECT_NE(findName(props, "fugacityCoefficient"), -1);
  EXPECT_NE(findName(props, "enthalpy.Dtemperature"), -1);
  EXPECT_NE(findName(props, "kvalue"), -1);  // two-phase list joined on
  EXPECT_EQ(findName(props, "heatCapacityCp"), -1);
  EXPECT_EQ(findName(props, "volume"), -1);

  // The GUI component carries the package's texts and version.
  const std::pair<HRESULT (ICCAPEGUI::*)(BSTR*), const char*> texts[] = {
      {&ICCAPEGUI::get_PackageName, "Light hydrocarbons"},
      {&ICCAPEGUI::get_PackageAlias, "Ideal C1-C4"},
      {&ICCAPEGUI::get_PackageProgID, "CORavlIdeal.PackageManager.1"},
      {&ICCAPEGUI::get_About, "Ideal gas and ideal solution property package"}};
  for (const auto& [get, expected] : texts) EXPECT_EQ(got(gui, get), expected);
  EXPECT_EQ(got(gui, &ICCAPEGUI::get_CapeVersion), 110);

  // The package handed out is the one whose compounds the lists describe.
  EXPECT_EQ(got(package.as<ICapeThermoCompounds>(), &ICapeThermoCompounds::GetNumCompounds), 4);

  // The release step terminates the package: it lets go of its material.
  ComPtr<IDispatch> material;
  ASSERT_EQ(a->GetMaterialObject(material.put()), S_OK);
  ASSERT_EQ(package.as<ICapeThermoMaterialContext>()->SetMaterial(material.get()), S_OK);
  auto routine = package.as<ICapeThermoPropertyRoutine>();
  EXPECT_EQ(a->ReleaseResources(), S_OK);
  EXPECT_EQ(routine->CalcSinglePhaseProp(makeStringArray({"density"}), Bstr("Vapor").get()),
            ECapeBadInvOrderHR);
  EXPECT_EQ(a->GetMaterialObject(material.put()), ECapeBadInvOrderHR);
}

TEST_F(Adapter, stand_alone_package_by_prog_id_and_compound_constants_by_fluid_index) {
  auto [a, package, gui] = open("package = CORavlIdeal.PropertyPackage.1\n");
  EXPECT_EQ(strings(a.get(), "SelectedCompIds").size(), 24u);
  Bstr mw("molecularWeight"), tc("criticalTemperature"), cas("casRegistryNumber");
  using A = IPackageAdapter;
  // Without fluid-package compounds the index is the package's.
  EXPECT_NEAR(got(a, &A::GetCompoundConstant, tc.get(), 18), 647.1, 0.2);  // water
  // With them, the index counts the fluid package (matched by simulator name, '*' allowed).
  ASSERT_EQ(a->SetFluidPackageCompounds(makeStringArray({"toluene*", "water"})), S_OK);
  EXPECT_NEAR(got(a, &A::GetCompoundConstant, mw.get(), 0), 92.14, 0.01);
  EXPECT_NEAR(got(a, &A::GetCompoundConstant, mw.get(), 1), 18.015, 0.01);
  double v = 0;
  Bstr unknown("noSuchConstant");
  for (auto [name, index] :
       {std::pair{mw.get(), 2}, {mw.get(), -1}, {cas.get(), 0}, {unknown.get(), 0}})
    EXPECT_EQ(a->GetCompoundConstant(name, index, &v), ECapeInvalidArgumentHR) << index;
  // Still usable after the failures.
  ASSERT_EQ(a->GetCompoundConstant(mw.get(), 0, &v), S_OK);
  EXPECT_EQ(a->ReleaseResources(), S_OK);
}

TEST_F(Adapter, bad_values_and_arrays_fail_with_cape_errors_and_leave_it_usable) {
  auto [a, package, gui] = open(kLight);
  Variant v;
  EXPECT_EQ(a->GetValue(Bstr("SelectedNothing").get(), &v), ECapeInvalidArgumentHR);
  CapeErrorSeen e = capeErrorOf(a.get());
  EXPECT_EQ(e.name, "ECapeInvalidArgument");
  EXPECT_EQ(e.position, 0);
  EXPECT_NE(e.description.find("SelectedNothing"), std::string::npos);
  EXPECT_EQ(e.interfaceName, "IPackageAdapter");
  EXPECT_EQ(e.operation, "GetValue");
  EXPECT_TRUE(e.hasSpecific);

  // Wrong array lengths and types.
  EXPECT_EQ(a->SetValue(Bstr("SelectedCompQoNames").get(), makeStringArray({"a"})),
            ECapeBadArgumentHR);
  e = capeErrorOf(a.get());
  EXPECT_EQ(e.position, 2);
  EXPECT_TRUE(e.hasSpecific);
  EXPECT_EQ(a->SetValue(Bstr("SelectedIDNumbers").get(), makeDoubleArray({1, 2})),
            ECapeBadArgumentHR);
  EXPECT_EQ(a->SetValue(Bstr("SelectedCompIds").get(), makeStringArray({"a"})),
            ECapeInvalidArgumentHR);
  EXPECT_EQ(a->SetFluidPackageCompounds(Variant::fromDouble(3)), ECapeBadArgumentHR);
  // The thread's error information describes the last failure too.
  std::string description, source;
  ASSERT_TRUE(comlite::takeErrorInfo(description, source));
  EXPECT_NE(description.find("list of strings"), std::string::npos);
  EXPECT_EQ(source, "PackageAdapter::SetFluidPackageCompounds");

  // Nothing was changed by the failures.
  EXPECT_EQ(strings(a.get(), "SelectedCompQoNames"),
            (std::vector<std::string>{"Methane", "ethane", "Propane", "n-butane"}));
  EXPECT_EQ(a->ReleaseResources(), S_OK);
}

TEST_F(Adapter, missing_or_garbled_selection_fails_and_names_file_and_line) {
  auto a = newAdapter();
  ComPtr<IDispatch> selection;
  EXPECT_EQ(a->SelectPackage(selection.put()), ECapeFailedInitialisationHR);  // no file yet
  EXPECT_NE(capeErrorOf(a.get()).description.find("cannot open"), std::string::npos);

  const std::pair<const char*, std::string> garbled[] = {
      {"manager = CORavlIdeal.PackageManager.1\npackage Light hydrocarbons\n",
       m_selectionFile + ", line 2"},
      {"package = CORavlIdeal.PropertyPackage.1\ncolour = blue\n",
       "line 2: unknown key \"colour\""},
      {"alias = nothing chosen\n", ""},
      {"package = No.Such.Package\n", "not registered"},
      {"compound = methane, Methane, four\npackage = CORavlIdeal.PropertyPackage.1\n", ""}};
  for (const auto& [text, message] : garbled) {
    select(text);
    EXPECT_EQ(a->SelectPackage(selection.put()), ECapeInvalidArgumentHR) << text;
    const std::string description = capeErrorOf(a.get()).description;
    EXPECT_NE(description.find(message), std::string::npos) << description;
  }

  {
    testsupport::ScopedEnv none(adapter::kSelectionFileVariable, "");
    EXPECT_EQ(a->SelectPackage(selection.put()), ECapeFailedInitialisationHR);
    EXPECT_NE(capeErrorOf(a.get()).description.find(adapter::kSelectionFileVariable),
              std::string::npos);
  }
  // Nothing selected: creation is out of order.
  ComPtr<IDispatch> package, gui;
  EXPECT_EQ(a->CreatePropPackage(package.put(), gui.put()), ECapeBadInvOrderHR);
  ComPtr<ECapeBadInvOrder> order;
  ASSERT_EQ(a->QueryInterface(ECapeBadInvOrder::kIID, order.putVoid()), S_OK);
  Bstr requested;
  ASSERT_EQ(order->get_requestedOperation(requested.out()), S_OK);
  EXPECT_EQ(requested.utf8(), "SelectPackage");

  // And the adapter still works with a good selection.
  select(kLight);
  ASSERT_EQ(a->SelectPackage(selection.put()), S_OK);
  ASSERT_EQ(a->CreatePropPackage(package.put(), gui.put()), S_OK);
  EXPECT_EQ(a->ReleaseResources(), S_OK);
}

TEST_F(Adapter, failing_package_creation_and_foreign_compounds_keep_the_adapter_usable) {
  auto a = newAdapter();
  ComPtr<IDispatch> selection, package, gui;
  auto create = [&](const std::string& text) {
    select(text);
    EXPECT_EQ(a->SelectPackage(selection.put()), S_OK);
    return a->CreatePropPackage(package.put(), gui.put());
  };
  const std::string manager = "manager = CORavlIdeal.PackageManager.1\n";
  // The manager does not offer the package.
  EXPECT_EQ(create(manager + "package = Heavy oils\n"), ECapeInvalidArgumentHR);
  EXPECT_NE(capeErrorOf(a.get()).description.find("offers no package \"Heavy oils\""),
            std::string::npos);
  // A compound the package does not have.
  EXPECT_EQ(create(manager + "package = Aromatics\ncompound = water\n"), ECapeInvalidArgumentHR);
  EXPECT_NE(capeErrorOf(a.get()).description.find("\"water\""), std::string::npos);
  // The package cannot load its data: its own error reaches the caller.
  {
    const std::string data = env.dir().file("bad");
    std::filesystem::create_directories(data);
    writeFile(data + "/compounds.csv", "name,formula\nmethane,CH4\n");
    testsupport::ScopedEnv folder("CORAVL_IDEAL_DATA", data);
    EXPECT_EQ(create("package = CORavlIdeal.PropertyPackage.1\n"), ECapeFailedInitialisationHR);
    const std::string d = capeErrorOf(a.get()).description;
    EXPECT_NE(d.find(data + "/compounds.csv, line 1"), std::string::npos) << d;
  }
  EXPECT_FALSE(package);
  // The material object needs a package.
  ComPtr<IDispatch> material;
  EXPECT_EQ(a->GetMaterialObject(material.put()), ECapeBadInvOrderHR);
  ASSERT_EQ(create(manager + "package = Aromatics\n"), S_OK);
  EXPECT_EQ(strings(a.get(), "SelectedCompIds"), (std::vector<std::string>{"benzene", "toluene"}));
  EXPECT_EQ(a->ReleaseResources(), S_OK);
}

TEST_F(Adapter, recall_of_text_it_did_not_write_fails_with_persistence_errors) {
  auto a = newAdapter();
  VARIANT_BOOL changed = VARIANT_FALSE;
  EXPECT_EQ(a->Recall(Bstr("  1 :treatAsHypos : 2 : -1 , ").get(), &changed),
            ECapePersistenceNotFoundHR);
  ComPtr<ECapePersistenceNotFound> missing;
  ASSERT_EQ(a->QueryInterface(ECapePersistenceNotFound::kIID, missing.putVoid()), S_OK);
  Bstr item;
  missing->get_itemName(item.out());
  EXPECT_EQ(item.utf8(), "coravlAdapter");
  for (auto [text, hr] : {std::pair{"garbage", ECapePersistenceHR},
                          {"  1 :coravlAdapter : 9 : 1 , ", ECapePersistenceHR},
                          {"  1 :coravlAdapter : 1 : 7 , ", ECapePersistenceHR},
                          {"  1 :coravlAdapter : 1 : 1 , ", ECapePersistenceNotFoundHR}})
    EXPECT_EQ(a->Recall(Bstr(text).get(), &changed), hr) << text;
  Bstr text;
  EXPECT_EQ(a->Save(text.out()), ECapeBadInvOrderHR);  // nothing selected or recalled
}
