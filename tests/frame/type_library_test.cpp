#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <tuple>
#include <vector>

#include "comlite/bstr.h"
#include "comlite/com_ptr.h"
#include "comlite/object.h"
#include "comlite/safearray.h"
#include "comlite/vtable_slot.h"
#include "frame/diagnostics_relay.h"
#include "frame/host_interfaces.h"
#include "frame/type_library.h"
#include "outside/adapter_diagnostics.h"
#include "outside/capeopen_common.h"
#include "outside/ravelin_derivatives.h"
#include "support/socket_fixture.h"

using comlite::ComPtr;
using comlite::vtableSlot;
namespace automation = comlite::automation;

TEST(TypeLibrary, every_described_slot_matches_the_cpp_declaration) {
  const auto range = [](int first, int last) {
    std::vector<int> v;
    for (int slot = first; slot <= last; ++slot) v.push_back(slot);
    return v;
  };
  // The socket's own interfaces declare their methods in the described order, right after
  // IDispatch's; then the interfaces offered to outside components.
  EXPECT_EQ(vtableSlot(&IDispatch::Invoke), 6);
  const std::vector<std::pair<const automation::InterfaceDesc*, std::vector<int>>> described = {
      {&coravl::frame::extendedPropPackageDesc(),
       range(vtableSlot(&IExtendedPropPackage::GetPackageName),
             vtableSlot(&IExtendedPropPackage::GetThermoPropertyRoutine))},
      {&coravl::frame::extendedFlashDesc(),
       range(vtableSlot(&IExtendedFlash::GetFlashName), vtableSlot(&IExtendedFlash::FlashRecall))},
      {&coravl::frame::capeDiagnosticDesc(),
       {vtableSlot(&ICapeDiagnostic::PopUpMessage), vtableSlot(&ICapeDiagnostic::LogMessage)}},
      {&coravl::frame::capeDiagnosticsDesc(),
       {vtableSlot(&ICapeDiagnostics::ReportError), vtableSlot(&ICapeDiagnostics::PopUpError),
        vtableSlot(&ICapeDiagnostics::ReportCapeError)}},
      {&coravl::frame::derivativeCalculationDesc(),
       {vtableSlot(&IDerivativeCalculation::EnableDerivatives),
        vtableSlot(&IDerivativeCalculation::CanCalculate),
        vtableSlot(&IDerivativeCalculation::CanCalculateDerivative)}}};
  EXPECT_EQ(described[0].second, range(7, 28));
  EXPECT_EQ(described[1].second, range(7, 17));
  for (const auto& [desc, slots] : described) {
    ASSERT_EQ(desc->methods.size(), slots.size()) << desc->name;
    for (std::size_t i = 0; i < slots.size(); ++i) {
      EXPECT_EQ(desc->methods[i].slot, slots[i]) << desc->methods[i].name;
      EXPECT_EQ(desc->methods[i].dispid, static_cast<DISPID>(i + 1)) << desc->methods[i].name;
    }
  }
  const auto& sd = coravl::frame::simulationContextDesc();
  EXPECT_EQ(sd.methods[0].slot, vtableSlot(&ISimulationContext::get_COerror));
  EXPECT_EQ(sd.methods[1].slot, vtableSlot(&ISimulationContext::put_COerror));
}

namespace {

VARIANT ref(VARTYPE vt, void* p) {
  VARIANT v;
  v.vt = vt | VT_BYREF;
  v.byref = p;
  return v;
}

//! Late-bound calls reach the component itself, created from the private registry.
class Invoke : public testsupport::SocketFixture {
 protected:
  void SetUp() override {
    SocketFixture::SetUp();
    pkg = create();
    ASSERT_TRUE(pkg);
  }
  //! Calls `id` of `on` (the component's IExtendedPropPackage by default) with `args` in
  //! parameter order (rgvarg holds them reversed); the caller keeps what they own.
  HRESULT call(DISPID id, std::vector<VARIANT> args, VARIANT* result = nullptr,
               EXCEPINFO* excep = nullptr, std::vector<DISPID> named = {},
               IDispatch* on = nullptr) {
    std::reverse(args.begin(), args.end());
    DISPPARAMS dp{args.data(), named.data(), static_cast<UINT>(args.size()),
                  static_cast<UINT>(named.size())};
    argErr = 99;
    return (on ? on : pkg.get())
        ->Invoke(id, GUID_NULL, 0, DISPATCH_METHOD, &dp, result, excep, &argErr);
  }
  //! GetIDsOfNames of a member and its parameters.
  static HRESULT idsOf(IDispatch* object, std::vector<const char16_t*> names, DISPID* ids) {
    std::vector<LPOLESTR> n;
    for (const char16_t* name : names) n.push_back(const_cast<LPOLESTR>(name));
    return object->GetIDsOfNames(GUID_NULL, n.data(), static_cast<UINT>(n.size()), 0, ids);
  }
  comlite::ComPtr<IExtendedPropPackage> pkg;
  UINT argErr = 99;
};

}  // namespace

TEST_F(Invoke, converts_by_value_arguments_and_writes_in_out_arguments_back) {
  // In-out VARIANTs by reference receive arrays (and the package behind the object is made).
  INT n = 0;
  comlite::Variant ids, names, identifiers;
  BSTR idName = nullptr;
  ASSERT_EQ(call(12, {ref(VT_I4, &n), ref(VT_VARIANT, &ids), ref(VT_VARIANT, &names),
                      ref(VT_BSTR, &idName), ref(VT_VARIANT, &identifiers)}),
            S_OK);
  EXPECT_GT(n, 0);
  EXPECT_EQ(ids.vt, VT_ARRAY | VT_I4);
  SysFreeString(idName);

  // SetupPkg(nfiles as a short, filenames as an empty variant, setupinfo as text, status by
  // ref): two files ask the simulator to look at them, which only a converted count tells.
  INT status = -5;
  VARIANT two;
  two.vt = VT_I2;
  two.iVal = 2;
  const comlite::Variant info = comlite::Variant::fromString("info");
  comlite::Variant result;
  EXPECT_EQ(call(3, {two, comlite::Variant(), info, ref(VT_I4, &status)}, &result), S_FALSE);
  EXPECT_EQ(status, 1);  // written back through the reference

  // In-out BSTR: the callee replaces the caller's string.
  BSTR name = SysAllocString(u"old");
  BSTR description = SysAllocString(u"old description");
  EXPECT_EQ(call(1, {ref(VT_BSTR, &name), ref(VT_BSTR, &description)}), S_OK);
  EXPECT_NE(comlite::bstrToUtf8(name), "old");
  EXPECT_FALSE(comlite::bstrToUtf8(name).empty());
  SysFreeString(name);
  SysFreeString(description);
}

TEST_F(Invoke, wrong_counts_types_and_members_are_refused) {
  INT status = -3;
  const comlite::Variant text = comlite::Variant::fromString("not a number");
  EXPECT_EQ(call(6, {text, ref(VT_I4, &status)}), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(argErr, 1u);  // position in rgvarg of the first parameter
  EXPECT_EQ(status, -3);  // the component was not called
  EXPECT_EQ(call(6, {ref(VT_I4, &status)}), DISP_E_BADPARAMCOUNT);
  // A by-reference argument of the wrong type for an in-out parameter.
  SHORT small = 0;
  EXPECT_EQ(call(6, {comlite::Variant::fromLong(5), ref(VT_I2, &small)}), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(argErr, 0u);
  EXPECT_EQ(call(99, {text, ref(VT_I4, &status)}), DISP_E_MEMBERNOTFOUND);
  // Named arguments: DISPIDs that are no parameter, or a parameter named twice.
  for (auto named :
       {std::vector<DISPID>{2, 0}, std::vector<DISPID>{-7, 0}, std::vector<DISPID>{0, 0}}) {
    EXPECT_EQ(call(6, {text, ref(VT_I4, &status)}, nullptr, nullptr, named), DISP_E_PARAMNOTFOUND)
        << named[0];
    EXPECT_LT(argErr, 2u);
  }

  // Arguments of no type, and numbers no integer can hold.
  for (auto [vt, value, want] :
       {std::tuple{VARTYPE(0x7FFF), 0.0, DISP_E_BADVARTYPE},
        std::tuple{VARTYPE(VT_R8), 1e300, DISP_E_OVERFLOW},
        std::tuple{VARTYPE(VT_R8), double(NAN), DISP_E_OVERFLOW},
        std::tuple{VARTYPE(VT_R8), 7.0, S_OK}}) {  // converted: the component answers
    VARIANT bad;
    VariantInit(&bad);
    bad.vt = vt;
    bad.dblVal = value;
    EXPECT_EQ(call(6, {bad, ref(VT_I4, &status)}), want) << value;
    if (want != S_OK) {
      EXPECT_EQ(argErr, 1u) << value;
    }
  }

  // A failing method's status reaches the caller through the exception information.
  EXCEPINFO excep{};
  VARIANT none;
  none.vt = VT_DISPATCH;
  none.pdispVal = nullptr;
  IDispatch* context = nullptr;
  EXPECT_EQ(
      call(7, {comlite::Variant::fromLong(1), none, ref(VT_DISPATCH, &context), none, none, none},
           nullptr, &excep),
      DISP_E_EXCEPTION);
  EXPECT_TRUE(FAILED(excep.scode));  // not set up: nothing is calculated
  SysFreeString(excep.bstrDescription);
  SysFreeString(excep.bstrSource);

  // The trailing [out] parameter may come back as the result.
  comlite::Variant result;
  EXPECT_EQ(call(22, {}, &result), E_FAIL);  // no routine before the setup
}

TEST_F(Invoke, dispatches_per_interface_on_the_component_and_its_relay) {
  auto flash = pkg.as<IExtendedFlash>();
  // The same name exists on both interfaces with different DISPIDs.
  DISPID id = 0;
  ASSERT_EQ(idsOf(pkg.get(), {u"initializepropertyid"}, &id), S_OK);
  EXPECT_EQ(id, 5);
  ASSERT_EQ(idsOf(flash.get(), {u"initializepropertyid"}, &id), S_OK);
  EXPECT_EQ(id, 7);
  INT status = -1;
  ASSERT_EQ(call(4, {ref(VT_I4, &status)}), S_OK);
  EXPECT_EQ(status, 1);  // IsPkgSetup through Invoke
  DISPPARAMS none{};
  EXPECT_EQ(pkg->Invoke(4, IID_IUnknown, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr),
            DISP_E_UNKNOWNINTERFACE);
  // Each interface describes itself, the socket's own and those offered to outside components,
  // on the component and on the relay that the material object and the simulation context are
  // given.
  auto relay = ComPtr<coravl::frame::DiagnosticsRelay>::attach(
      comlite::makeObject<coravl::frame::DiagnosticsRelay>(pkg.as<ICapeDiagnostics>().get(),
                                                           pkg.as<ICapeDiagnostic>().get()));
  struct Offered {
    IUnknown* object;
    IID iid;
  };
  for (const Offered& o :
       {Offered{pkg.get(), IExtendedFlash::kIID}, Offered{pkg.get(), ICapeDiagnostic::kIID},
        Offered{pkg.get(), ICapeDiagnostics::kIID},
        Offered{pkg.get(), IDerivativeCalculation::kIID},
        Offered{relay->unknown(), ICapeDiagnostic::kIID},
        Offered{relay->unknown(), ICapeDiagnostics::kIID}}) {
    ComPtr<IDispatch> offered;
    ASSERT_EQ(o.object->QueryInterface(o.iid, offered.putVoid()), S_OK);
    UINT count = 0;
    ASSERT_EQ(offered->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 1u);
    ComPtr<ITypeInfo> ti;
    ASSERT_EQ(offered->GetTypeInfo(0, 0, ti.put()), S_OK);
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(ti->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->guid, o.iid);
    ti->ReleaseTypeAttr(attr);
  }
  // The relay's two interfaces dispatch apart: DISPID 2 is PopUpError on one and LogMessage
  // on the other, each reaching the component's own method.
  ComPtr<IDispatch> viaDiagnostic, viaDiagnostics;
  ASSERT_EQ(relay->QueryInterface(ICapeDiagnostic::kIID, viaDiagnostic.putVoid()), S_OK);
  ASSERT_EQ(relay->QueryInterface(ICapeDiagnostics::kIID, viaDiagnostics.putVoid()), S_OK);
  const comlite::Variant logged = comlite::Variant::fromString("logged through the relay");
  ASSERT_EQ(idsOf(viaDiagnostic.get(), {u"LogMessage"}, &id), S_OK);
  EXPECT_EQ(call(id, {logged}, nullptr, nullptr, {}, viaDiagnostic.get()), S_OK);
  // The wrong count on ICapeDiagnostics is refused by its own description.
  EXPECT_EQ(call(2, {logged}, nullptr, nullptr, {}, viaDiagnostics.get()), DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(idsOf(viaDiagnostics.get(), {u"LogMessage"}, &id), DISP_E_UNKNOWNNAME);

  // A script calls by name with named arguments, in any order, on the component and on the
  // relay, which reaches the component.
  auto diagnostics = pkg.as<ICapeDiagnostics>();
  DISPID ids[3] = {};
  ASSERT_EQ(idsOf(diagnostics.get(), {u"PopUpError", u"message", u"code"}, ids), S_OK);
  EXPECT_EQ(ids[0], 2);
  const comlite::Variant code = comlite::Variant::fromLong(E_FAIL);
  env.notices.clear();
  for (auto [object, text] :
       {std::pair<IDispatch*, const char*>{diagnostics.get(), "named from a script"},
        {viaDiagnostics.get(), "named through the relay"}}) {
    call(ids[0], {code, comlite::Variant::fromString(text)}, nullptr, nullptr, {ids[1], ids[2]},
         object);
    EXPECT_TRUE(noticed(text)) << notices();
  }
}

TEST(TypeInfo, describes_methods_with_their_offsets_and_names) {
  const auto& desc = coravl::frame::extendedPropPackageDesc();
  comlite::ComPtr<ITypeInfo> ti;
  ASSERT_EQ(automation::createTypeInfo(desc, coravl::frame::coravl11Library(), ti.put()), S_OK);
  TYPEATTR* attr = nullptr;
  ASSERT_EQ(ti->GetTypeAttr(&attr), S_OK);
  EXPECT_EQ(attr->guid, IExtendedPropPackage::kIID);
  EXPECT_EQ(attr->cFuncs, 22);
  EXPECT_EQ(attr->wTypeFlags & TYPEFLAG_FDUAL, TYPEFLAG_FDUAL);
  ti->ReleaseTypeAttr(attr);
  FUNCDESC* f = nullptr;
  ASSERT_EQ(ti->GetFuncDesc(2, &f), S_OK);  // SetupPkg
  EXPECT_EQ(f->memid, 3);
  EXPECT_EQ(f->oVft, static_cast<SHORT>(9 * sizeof(void*)));
  EXPECT_EQ(f->cParams, 4);
  EXPECT_EQ(f->lprgelemdescParam[3].tdesc.vt, VT_PTR);
  EXPECT_EQ(f->lprgelemdescParam[3].tdesc.lptdesc->vt, VT_I4);
  EXPECT_EQ(f->lprgelemdescParam[3].paramdesc.wParamFlags, PARAMFLAG_FIN | PARAMFLAG_FOUT);
  ti->ReleaseFuncDesc(f);
  EXPECT_EQ(ti->GetFuncDesc(22, &f), TYPE_E_ELEMENTNOTFOUND);
  BSTR names[5] = {};
  UINT count = 0;
  ASSERT_EQ(ti->GetNames(3, names, 5, &count), S_OK);
  EXPECT_EQ(count, 5u);
  EXPECT_EQ(comlite::bstrToUtf8(names[0]), "SetupPkg");
  EXPECT_EQ(comlite::bstrToUtf8(names[4]), "status");
  for (UINT i = 0; i < count; ++i) SysFreeString(names[i]);
  comlite::Bstr doc, name;
  ASSERT_EQ(ti->GetDocumentation(DISPID_UNKNOWN, name.out(), doc.out(), nullptr, nullptr), S_OK);
  EXPECT_EQ(doc.utf8(), "IExtendedPropPackage Interface");
}
