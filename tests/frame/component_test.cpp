#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "comlite/bstr.h"
#include "comlite/categories.h"
#include "comlite/com_ptr.h"
#include "comlite/object.h"
#include "comlite/registry.h"
#include "frame/coravl_pp.h"
#include "frame/global_interface_holder.h"
#include "frame/host_interfaces.h"
#include "outside/adapter_diagnostics.h"
#include "outside/capeopen_common.h"
#include "outside/ravelin_derivatives.h"
#include "outside/ravelin_ids.h"
#include "support/socket_fixture.h"

using comlite::ComPtr;

namespace {

//! The component in a private registry, looked up by its ProgID as a simulator does.
class Component : public testsupport::SocketFixture {
 protected:
  ComPtr<IExtendedPropPackage> create() {
    CLSID clsid;
    EXPECT_EQ(CLSIDFromProgID(u"CORavl11.PropPkg", &clsid), S_OK);
    EXPECT_EQ(clsid, CLSID_PropPkg);
    return SocketFixture::create();
  }
  HRESULT canUnloadNow() { return env.call("CORavl11", "DllCanUnloadNow"); }
};

//! An outer object that aggregates the component and forwards everything to its inner unknown.
class Outer : public IUnknown {
 public:
  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    if (riid == IID_IUnknown) {
      *ppv = this;
      AddRef();
      return S_OK;
    }
    ++delegatedQueries;
    return inner ? inner->QueryInterface(riid, ppv) : E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++refs; }
  ULONG Release() override { return --refs; }
  IUnknown* inner = nullptr;
  ULONG refs = 1;
  int delegatedQueries = 0;
};

}  // namespace

TEST_F(Component, registration_writes_exactly_the_class_keys_and_unregistration_removes_them) {
  comlite::registry::Data d;
  ASSERT_EQ(comlite::registry::load(d), S_OK);
  const std::string key = "CLSID\\" + comlite::guidToString(CLSID_PropPkg);
  // What a simulator finds the class by: its ProgIDs, its module and its category.
  EXPECT_EQ(d.value("CORavl11.PropPkg.1\\CLSID"), comlite::guidToString(CLSID_PropPkg));
  EXPECT_EQ(d.value("CORavl11.PropPkg\\CurVer"), "CORavl11.PropPkg.1");
  EXPECT_NE(d.value(key + "\\InprocServer32")->find("libCORavl11.so"), std::string::npos);
  EXPECT_EQ(comlite::classesImplementing(d, ravelin::kCatThermoMethods),
            std::vector<CLSID>{CLSID_PropPkg});
  EXPECT_EQ(comlite::categoryDescription(d, ravelin::kCatThermoMethods, 1033),
            "Thermodynamic Property Calculation Methods");
  EXPECT_EQ(d.value("Interface\\" + comlite::guidToString(IExtendedFlash::kIID)), "IExtendedFlash");

  // A second registration leaves one class key.
  ASSERT_EQ(env.registerModule("CORavl11"), S_OK);
  ASSERT_EQ(comlite::registry::load(d), S_OK);
  EXPECT_EQ(d.subkeys(key).size(), 5u);  // Implemented Categories, InprocServer32, ProgID, ...

  ASSERT_EQ(env.unregisterModule("CORavl11"), S_OK);
  ASSERT_EQ(comlite::registry::load(d), S_OK);
  EXPECT_FALSE(d.hasKey(key));
  EXPECT_FALSE(d.hasKey("CORavl11.PropPkg"));
  EXPECT_FALSE(d.hasKey("CORavl11.PropPkg.1"));
  EXPECT_FALSE(d.hasKey("Interface\\" + comlite::guidToString(IExtendedFlash::kIID)));
  EXPECT_TRUE(d.hasKey("CLSID"));
  EXPECT_TRUE(
      d.hasKey("Component Categories\\" + comlite::guidToString(ravelin::kCatThermoMethods)));
}

TEST_F(Component, answers_its_interfaces_in_order_with_one_identity) {
  auto pkg = create();
  ASSERT_TRUE(pkg);
  std::vector<ComPtr<IUnknown>> held;
  for (const IID& iid : {IExtendedFlash::kIID, ICapeDiagnostics::kIID, ICapeSimulationContext::kIID,
                         ICapeDiagnostic::kIID, IDerivativeCalculation::kIID, IID_IDispatch}) {
    held.emplace_back();
    EXPECT_EQ(pkg->QueryInterface(iid, held.back().putVoid()), S_OK) << comlite::guidToString(iid);
  }
  EXPECT_EQ(static_cast<void*>(held.back().get()), static_cast<void*>(pkg.get()));
  EXPECT_TRUE(comlite::sameObject(held[0].get(), held[4].get()));
  void* p = reinterpret_cast<void*>(1);
  EXPECT_EQ(pkg->QueryInterface(IID_IClassFactory, &p), E_NOINTERFACE);
  EXPECT_EQ(p, nullptr);
  EXPECT_EQ(pkg->QueryInterface(IID_IUnknown, nullptr), E_POINTER);

  // The host's derivative-request interface is registered, so derivatives start enabled.
  BYTE can = 9;
  EXPECT_EQ(pkg.as<IDerivativeCalculation>()->CanCalculateDerivative(0, 1, 2, &can), S_OK);
  EXPECT_EQ(can, 0);  // nothing registered yet

  EXPECT_EQ(canUnloadNow(), S_FALSE);
  pkg.reset(), held.clear();
  EXPECT_EQ(canUnloadNow(), S_OK);
}

TEST_F(Component, simple_contract_methods_answer_from_the_object_state) {
  auto pkg = create();
  ASSERT_TRUE(pkg);
  // Before the CAPE-OPEN side exists there is no property routine to hand out.
  IDispatch* routine = reinterpret_cast<IDispatch*>(1);
  EXPECT_EQ(pkg->GetThermoPropertyRoutine(&routine), E_FAIL);
  EXPECT_EQ(routine, nullptr);
  // Setting up and its instructions are checked with the setup view.
  INT status = -1;
  ASSERT_EQ(pkg->SetupPkg(0, comlite::Variant(), nullptr, &status), S_OK);
  ASSERT_EQ(pkg->GetThermoPropertyRoutine(&routine), S_OK);
  EXPECT_NE(routine, nullptr);
  EXPECT_EQ(pkg->CanCalculate(12345, &status), S_OK);
  EXPECT_EQ(status, 1);
  INT base = -1;
  EXPECT_EQ(pkg->GetEnthalpyBase(&base), S_OK);
  EXPECT_EQ(base, 1);
  EXPECT_EQ(pkg->GetGibbsBase(&base), S_OK);
  EXPECT_EQ(base, 0);
  EXPECT_EQ(pkg->CanNumbCompChange(&status), S_OK);
  EXPECT_EQ(status, 0);
}

TEST_F(Component, aggregates_inside_an_outer_object) {
  Outer outer;
  ComPtr<IUnknown> inner;
  ASSERT_EQ(
      CoCreateInstance(CLSID_PropPkg, &outer, CLSCTX_INPROC_SERVER, IID_IUnknown, inner.putVoid()),
      S_OK);
  outer.inner = inner.get();
  void* p = nullptr;
  EXPECT_EQ(
      CoCreateInstance(CLSID_PropPkg, &outer, CLSCTX_INPROC_SERVER, IExtendedPropPackage::kIID, &p),
      CLASS_E_NOAGGREGATION);

  IExtendedPropPackage* pkg = nullptr;
  ASSERT_EQ(inner->QueryInterface(IExtendedPropPackage::kIID, reinterpret_cast<void**>(&pkg)),
            S_OK);
  const ULONG before = outer.refs;
  EXPECT_EQ(outer.refs, 2u);  // the interface's AddRef went to the outer object
  // Queries on the interface reach the outer object, whose identity wins.
  IUnknown* identity = nullptr;
  ASSERT_EQ(pkg->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);
  EXPECT_EQ(identity, &outer);
  identity->Release();
  pkg->Release();
  EXPECT_EQ(outer.refs, before - 1);
  inner.reset();
  EXPECT_EQ(canUnloadNow(), S_OK);
}

TEST(GlobalInterfaceHolder, revokes_on_its_own_thread_only) {
  testsupport::ModuleEnvironment env;
  struct Counted : comlite::ComObject<Counted, IDispatch> {
    ~Counted() override { *destroyed = true; }
    bool* destroyed = nullptr;
  };
  bool destroyed = false;
  auto* obj = comlite::makeObject<Counted>();
  obj->destroyed = &destroyed;
  coravl::frame::GlobalInterfaceHolder holder(IID_IDispatch);
  EXPECT_EQ(holder.registerInterface(obj), S_OK);    // the reference passes to the table
  EXPECT_EQ(holder.registerInterface(obj), E_FAIL);  // a live registration stays as it was
  EXPECT_EQ(holder.get(), obj);
  EXPECT_NE(holder.cookie(), 0u);
  HRESULT other = S_OK;
  std::thread([&] { other = holder.revoke(); }).join();
  EXPECT_EQ(other, E_FAIL);
  ASSERT_FALSE(env.notices.empty());
  EXPECT_NE(env.notices.back().text.find("Unglobalizing pointer in different thread"),
            std::string::npos);
  EXPECT_FALSE(destroyed);
  EXPECT_EQ(holder.revoke(), S_OK);
  EXPECT_TRUE(destroyed);
  EXPECT_EQ(holder.registerInterface(nullptr), S_OK);
  EXPECT_TRUE(holder.empty());
}

TEST_F(Component, diagnostics_reach_the_notice_and_the_trace_file) {
  auto pkg = create();
  ASSERT_TRUE(pkg);
  auto diagnostic = pkg.as<ICapeDiagnostic>();
  comlite::Bstr shown("package says hello");
  EXPECT_EQ(diagnostic->PopUpMessage(shown.get()), S_OK);
  EXPECT_TRUE(noticed("package says hello")) << notices();
  std::filesystem::create_directories(env.dir().file("SelvarTech"));
  comlite::Bstr logged("package logged this");
  EXPECT_EQ(diagnostic->LogMessage(logged.get()), S_OK);
  // The module keeps its trace folder for the life of the process: an earlier test's folder is
  // gone, so the line may have gone to the fallback in TEMP.
  std::string content;
  for (const char* place : {"SelvarTech/Selvar Quorel CAPE-OPEN/CORavl11.trc", "CORavl11.trc"}) {
    std::ifstream trace(env.dir().file(place));
    content +=
        std::string((std::istreambuf_iterator<char>(trace)), std::istreambuf_iterator<char>());
  }
  EXPECT_NE(content.find("package logged this"), std::string::npos) << content;

  auto diagnostics = pkg.as<ICapeDiagnostics>();
  env.notices.clear();
  comlite::Bstr op("calculating"), description("Temperature out of range"),
      itf("ICapeThermoMaterial");
  diagnostics->ReportCapeError(op.get(), ECapeOutOfBoundsHR, description.get(), VARIANT_FALSE,
                               itf.get());
  EXPECT_TRUE(noticed("Temperature out of range")) << notices();
}

TEST_F(Component, derivative_requests_follow_the_hosts_interface_key_and_enable_switch) {
  using coravl::frame::CORavlPP;
  auto makeDirect = [] {
    ComPtr<IExtendedPropPackage> p;
    EXPECT_EQ(CORavlPP::create(nullptr, IExtendedPropPackage::kIID, p.putVoid()), S_OK);
    return p;
  };
  auto pkg = makeDirect();
  auto* object = static_cast<CORavlPP*>(pkg.get());
  EXPECT_TRUE(object->derivativesEnabled());  // the host library published its interface
  auto derivatives = pkg.as<IDerivativeCalculation>();
  EXPECT_EQ(derivatives->EnableDerivatives(2), S_OK);  // only 1 turns them on
  EXPECT_FALSE(object->derivativesEnabled());
  EXPECT_EQ(derivatives->EnableDerivatives(1), S_OK);
  EXPECT_TRUE(object->derivativesEnabled());

  // A host without the derivative-request interface in the registry.
  ASSERT_EQ(
      comlite::registry::update([](comlite::registry::Data& d) {
        return d.deleteTree("Interface\\" + comlite::guidToString(IRvlDerivativeRequests::kIID));
      }),
      S_OK);
  auto plain = makeDirect();
  EXPECT_FALSE(static_cast<CORavlPP*>(plain.get())->derivativesEnabled());
}
