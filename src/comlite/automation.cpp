#include "comlite/automation.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "comlite/bstr.h"
#include "comlite/error_info.h"
#include "comlite/object.h"

namespace comlite::automation {

namespace {

bool equalNoCase(std::u16string_view a, const char* b) {
  const std::size_t n = std::strlen(b);
  if (a.size() != n) return false;
  for (std::size_t i = 0; i < n; ++i) {
    char16_t x = a[i];
    char y = b[i];
    if (x >= u'A' && x <= u'Z') x = static_cast<char16_t>(x - u'A' + u'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != static_cast<unsigned char>(y)) return false;
  }
  return true;
}

bool isOutput(Dir d) {
  return d != Dir::In;
}

//! Storage inside `value` for a parameter of type `vt`.
void* storageOf(VARIANT& value, VARTYPE vt) {
  if (vt == VT_VARIANT) return &value;
  return &value.llVal;
}

//! Initial content of local storage for an output parameter that the caller did not pass.
void initLocal(Args::Slot& s, VARTYPE vt) {
  VariantInit(&s.value);
  if (vt != VT_VARIANT) s.value.vt = vt;
  s.ref = storageOf(s.value, vt);
}

const MethodDesc* findMember(const InterfaceDesc& desc, DISPID dispid, WORD flags) {
  const MethodDesc* fallback = nullptr;
  for (auto& m : desc.methods) {
    if (m.dispid != dispid) continue;
    if ((flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0) {
      if (m.kind == INVOKE_PROPERTYPUT || m.kind == INVOKE_PROPERTYPUTREF) return &m;
      continue;
    }
    if ((m.kind == INVOKE_FUNC && (flags & DISPATCH_METHOD)) ||
        (m.kind == INVOKE_PROPERTYGET && (flags & DISPATCH_PROPERTYGET)))
      return &m;
    if (m.kind == INVOKE_FUNC || m.kind == INVOKE_PROPERTYGET) fallback = &m;
  }
  // A method called as a property get (or the other way round) is accepted, as VB does.
  return (flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET)) ? fallback : nullptr;
}

//! Fills slot `s` for parameter `p` from the caller's argument `arg` (nullptr when missing).
HRESULT prepare(const ParamDesc& p, VARIANT* arg, Args::Slot& s) {
  VariantInit(&s.value);
  if (!arg) {
    if (p.dir == Dir::In) return DISP_E_PARAMNOTOPTIONAL;
    initLocal(s, p.vt);
    return S_OK;
  }
  if (isOutput(p.dir) && vtIsByRef(arg->vt)) {
    const VARTYPE target = arg->vt & ~VT_BYREF;
    if (target != p.vt || !arg->byref) return DISP_E_TYPEMISMATCH;
    s.ref = arg->byref;
    return S_OK;
  }
  if (p.dir == Dir::Out || p.dir == Dir::OutRetval) return DISP_E_TYPEMISMATCH;
  // A type that is none and a value out of the parameter's range are told as such; any other
  // failed conversion is a mismatch.
  auto conversionFailure = [](HRESULT hr) {
    return hr == DISP_E_BADVARTYPE || hr == DISP_E_OVERFLOW ? hr : DISP_E_TYPEMISMATCH;
  };
  if (p.vt == VT_VARIANT) {
    // By value: the method sees the caller's value (dereferenced) without a copy.
    HRESULT hr = VariantCopyInd(&s.value, arg);
    if (FAILED(hr)) return conversionFailure(hr);
    s.ref = &s.value;
    return S_OK;
  }
  HRESULT hr = VariantChangeType(&s.value, arg, 0, p.vt);
  if (FAILED(hr)) return conversionFailure(hr);
  s.ref = storageOf(s.value, p.vt);
  return S_OK;
}

//! Moves an output written into local storage to the caller's result variant.
void moveToResult(const ParamDesc& p, Args::Slot& s, VARIANT* result) {
  if (!result) return;
  VariantClear(result);
  if (p.vt == VT_VARIANT) {
    *result = s.value;
  } else {
    *result = s.value;
    result->vt = p.vt;
  }
  VariantInit(&s.value);
}

void releaseSlot(const ParamDesc& p, Args::Slot& s) {
  // Local storage owns what was converted in or written out; caller storage is the caller's.
  if (s.ref == storageOf(s.value, p.vt) || s.ref == &s.value) {
    if (p.vt != VT_VARIANT) s.value.vt = p.vt;
    VariantClear(&s.value);
  }
}

}  // namespace

LONG Args::i4(std::size_t i) const {
  return *static_cast<LONG*>(slots[i].ref);
}
LONG* Args::i4Ref(std::size_t i) {
  return static_cast<LONG*>(slots[i].ref);
}
SHORT Args::i2(std::size_t i) const {
  return *static_cast<SHORT*>(slots[i].ref);
}
BYTE Args::ui1(std::size_t i) const {
  return *static_cast<BYTE*>(slots[i].ref);
}
double Args::r8(std::size_t i) const {
  return *static_cast<double*>(slots[i].ref);
}
double* Args::r8Ref(std::size_t i) {
  return static_cast<double*>(slots[i].ref);
}
VARIANT_BOOL Args::boolean(std::size_t i) const {
  return *static_cast<VARIANT_BOOL*>(slots[i].ref);
}
VARIANT_BOOL* Args::boolRef(std::size_t i) {
  return static_cast<VARIANT_BOOL*>(slots[i].ref);
}
BSTR Args::bstr(std::size_t i) const {
  return *static_cast<BSTR*>(slots[i].ref);
}
BSTR* Args::bstrRef(std::size_t i) {
  return static_cast<BSTR*>(slots[i].ref);
}
VARIANT Args::var(std::size_t i) const {
  return *static_cast<VARIANT*>(slots[i].ref);
}
VARIANT* Args::varRef(std::size_t i) {
  return static_cast<VARIANT*>(slots[i].ref);
}
IDispatch* Args::disp(std::size_t i) const {
  return *static_cast<IDispatch**>(slots[i].ref);
}
IDispatch** Args::dispRef(std::size_t i) {
  return static_cast<IDispatch**>(slots[i].ref);
}
IUnknown* Args::unk(std::size_t i) const {
  return *static_cast<IUnknown**>(slots[i].ref);
}

const MethodDesc* methodAtSlot(const InterfaceDesc& desc, int slot) {
  for (auto& m : desc.methods)
    if (m.slot == slot) return &m;
  return nullptr;
}

HRESULT getIDsOfNames(const InterfaceDesc& desc, LPOLESTR* names, UINT cNames, DISPID* ids) {
  if (!names || !ids) return E_POINTER;
  if (cNames == 0) return E_INVALIDARG;
  for (UINT i = 0; i < cNames; ++i) ids[i] = DISPID_UNKNOWN;
  if (!names[0]) return DISP_E_UNKNOWNNAME;
  const std::u16string_view first(names[0]);
  const MethodDesc* method = nullptr;
  for (auto& m : desc.methods)
    if (equalNoCase(first, m.name)) {
      method = &m;
      break;
    }
  if (!method) return DISP_E_UNKNOWNNAME;
  ids[0] = method->dispid;
  HRESULT hr = S_OK;
  for (UINT i = 1; i < cNames; ++i) {
    bool found = false;
    for (std::size_t p = 0; names[i] && p < method->params.size(); ++p)
      if (equalNoCase(std::u16string_view(names[i]), method->params[p].name)) {
        ids[i] = static_cast<DISPID>(p);
        found = true;
      }
    if (!found) hr = DISP_E_UNKNOWNNAME;
  }
  return hr;
}

HRESULT invoke(const InterfaceDesc& desc, void* self, DISPID dispid, WORD flags, DISPPARAMS* params,
               VARIANT* result, EXCEPINFO* excepInfo, UINT* argErr) {
  if (!self) return E_POINTER;
  const MethodDesc* m = findMember(desc, dispid, flags);
  if (!m) return DISP_E_MEMBERNOTFOUND;
  DISPPARAMS empty{nullptr, nullptr, 0, 0};
  if (!params) params = &empty;
  if (params->cArgs && !params->rgvarg) return E_INVALIDARG;
  const bool isPut = m->kind == INVOKE_PROPERTYPUT || m->kind == INVOKE_PROPERTYPUTREF;
  const std::size_t n = m->params.size();
  if (params->cNamedArgs > params->cArgs || (params->cNamedArgs && !params->rgdispidNamedArgs))
    return E_INVALIDARG;
  if (params->cArgs > n) return DISP_E_BADPARAMCOUNT;
  // The argument of each parameter, by position: named arguments come first in rgvarg, the
  // positional ones follow in reverse order. A named argument's DISPID is its parameter's
  // position; a put's value is named DISPID_PROPERTYPUT and is the last parameter.
  std::vector<VARIANT*> argOf(n, nullptr);
  const std::size_t positional = params->cArgs - params->cNamedArgs;
  for (std::size_t p = 0; p < positional; ++p) argOf[p] = &params->rgvarg[params->cArgs - 1 - p];
  for (UINT i = 0; i < params->cNamedArgs; ++i) {
    DISPID id = params->rgdispidNamedArgs[i];
    if (id == DISPID_PROPERTYPUT && isPut && n > 0) id = static_cast<DISPID>(n - 1);
    if (id < 0 || static_cast<std::size_t>(id) >= n || argOf[static_cast<std::size_t>(id)]) {
      if (argErr) *argErr = i;
      return DISP_E_PARAMNOTFOUND;
    }
    argOf[static_cast<std::size_t>(id)] = &params->rgvarg[i];
  }
  // A trailing [out, retval] (or plain [out]) parameter may be left to the result variant.
  const bool lastToResult =
      n > 0 && !argOf[n - 1] &&
      (m->params.back().dir == Dir::OutRetval || m->params.back().dir == Dir::Out);
  // By position every parameter is passed but such a last one; by name the ones left out are
  // told one by one.
  if (params->cNamedArgs == 0 && params->cArgs != n && !(lastToResult && params->cArgs + 1 == n))
    return DISP_E_BADPARAMCOUNT;

  Args args;
  args.slots.resize(n);
  std::size_t prepared = 0;
  HRESULT hr = S_OK;
  for (; prepared < n; ++prepared) {
    VARIANT* arg = argOf[prepared];
    hr = prepare(m->params[prepared], arg, args.slots[prepared]);
    if (FAILED(hr)) {
      if (argErr && arg) *argErr = static_cast<UINT>(arg - params->rgvarg);
      break;
    }
  }
  if (SUCCEEDED(hr)) {
    hr = m->invoke(self, args);
    if (SUCCEEDED(hr) && lastToResult)
      moveToResult(m->params.back(), args.slots.back(), result);
    else if (SUCCEEDED(hr) && result && !lastToResult)
      VariantClear(result);
  }
  for (std::size_t i = 0; i < prepared && i < n; ++i) releaseSlot(m->params[i], args.slots[i]);
  if (FAILED(hr) && hr != DISP_E_TYPEMISMATCH && hr != DISP_E_PARAMNOTOPTIONAL && excepInfo &&
      prepared == n) {
    std::memset(excepInfo, 0, sizeof(EXCEPINFO));
    excepInfo->scode = hr;
    std::string description, source;
    if (takeErrorInfo(description, source)) {
      excepInfo->bstrDescription = bstrFromUtf8(description);
      excepInfo->bstrSource = bstrFromUtf8(source);
    }
    return DISP_E_EXCEPTION;
  }
  return hr;
}

namespace {

TYPEDESC baseType(VARTYPE vt) {
  TYPEDESC t{};
  t.vt = vt;
  return t;
}

//! One allocation holding a FUNCDESC, its parameters and their pointed-to types.
struct FuncBlock {
  FUNCDESC desc;
  std::vector<ELEMDESC> params;
  std::vector<TYPEDESC> pointees;
};

class TypeInfo : public ComObject<TypeInfo, ITypeInfo> {
 public:
  TypeInfo(const InterfaceDesc& d, const LibraryDesc& l) : m_desc(d), m_lib(l) {}

  HRESULT GetTypeAttr(TYPEATTR** out) override {
    if (!out) return E_INVALIDARG;
    auto* a = new (std::nothrow) TYPEATTR{};
    if (!a) return E_OUTOFMEMORY;
    a->guid = m_desc.iid;
    a->lcid = m_lib.lcid;
    a->memidConstructor = a->memidDestructor = DISPID_UNKNOWN;
    a->typekind = TKIND_DISPATCH;
    a->cFuncs = static_cast<WORD>(m_desc.methods.size());
    a->cImplTypes = 1;
    int maxSlot = 6;
    for (auto& m : m_desc.methods) maxSlot = std::max(maxSlot, m.slot);
    a->cbSizeVft = static_cast<WORD>((maxSlot + 1) * sizeof(void*));
    a->cbAlignment = alignof(void*);
    a->cbSizeInstance = sizeof(void*);
    a->wTypeFlags = m_desc.typeFlags;
    a->wMajorVerNum = m_lib.majorVersion;
    a->wMinorVerNum = m_lib.minorVersion;
    *out = a;
    return S_OK;
  }
  HRESULT GetTypeComp(ITypeComp** out) override { return notImpl(out); }
  HRESULT GetFuncDesc(UINT index, FUNCDESC** out) override {
    if (!out) return E_INVALIDARG;
    *out = nullptr;
    if (index >= m_desc.methods.size()) return TYPE_E_ELEMENTNOTFOUND;
    const MethodDesc& m = m_desc.methods[index];
    auto* block = new (std::nothrow) FuncBlock{};
    if (!block) return E_OUTOFMEMORY;
    block->params.resize(m.params.size());
    block->pointees.resize(m.params.size());
    for (std::size_t i = 0; i < m.params.size(); ++i) {
      const ParamDesc& p = m.params[i];
      ELEMDESC& e = block->params[i];
      e = ELEMDESC{};
      if (isOutput(p.dir)) {
        block->pointees[i] = baseType(p.typeName ? VT_USERDEFINED : p.vt);
        e.tdesc.vt = VT_PTR;
        e.tdesc.lptdesc = &block->pointees[i];
      } else {
        e.tdesc = baseType(p.typeName ? VT_USERDEFINED : p.vt);
      }
      e.paramdesc.wParamFlags = p.dir == Dir::In      ? PARAMFLAG_FIN
                                : p.dir == Dir::InOut ? PARAMFLAG_FIN | PARAMFLAG_FOUT
                                : p.dir == Dir::Out   ? PARAMFLAG_FOUT
                                                      : PARAMFLAG_FOUT | PARAMFLAG_FRETVAL;
    }
    FUNCDESC& f = block->desc;
    f.memid = m.dispid;
    f.lprgelemdescParam = block->params.empty() ? nullptr : block->params.data();
    f.funckind = FUNC_DISPATCH;
    f.invkind = m.kind;
    f.callconv = CC_STDCALL;
    f.cParams = static_cast<SHORT>(m.params.size());
    f.oVft = static_cast<SHORT>(m.slot * sizeof(void*));
    f.elemdescFunc.tdesc = baseType(VT_HRESULT);
    *out = &block->desc;
    return S_OK;
  }
  HRESULT GetVarDesc(UINT, VARDESC** out) override { return notImpl(out); }
  HRESULT GetNames(MEMBERID memid, BSTR* names, UINT cMax, UINT* count) override {
    if (!names || !count) return E_INVALIDARG;
    *count = 0;
    for (auto& m : m_desc.methods) {
      if (m.dispid != memid) continue;
      if (cMax > 0) names[(*count)++] = bstrFromUtf8(m.name);
      for (auto& p : m.params)
        if (*count < cMax && p.dir != Dir::OutRetval) names[(*count)++] = bstrFromUtf8(p.name);
      return S_OK;
    }
    return TYPE_E_ELEMENTNOTFOUND;
  }
  // The base interface (IDispatch) has no description of its own here.
  HRESULT GetRefTypeOfImplType(UINT, HREFTYPE* out) override {
    if (out) *out = 0;
    return E_NOTIMPL;
  }
  HRESULT GetImplTypeFlags(UINT index, INT* out) override {
    if (!out) return E_INVALIDARG;
    *out = 0;
    return index == 0 ? S_OK : TYPE_E_ELEMENTNOTFOUND;
  }
  HRESULT GetIDsOfNames(LPOLESTR* names, UINT cNames, MEMBERID* ids) override {
    return automation::getIDsOfNames(m_desc, names, cNames, ids);
  }
  HRESULT Invoke(void* instance, MEMBERID memid, WORD flags, DISPPARAMS* params, VARIANT* result,
                 EXCEPINFO* excep, UINT* argErr) override {
    return automation::invoke(m_desc, instance, memid, flags, params, result, excep, argErr);
  }
  HRESULT GetDocumentation(MEMBERID memid, BSTR* name, BSTR* doc, DWORD* ctx, BSTR* file) override {
    const char* n = nullptr;
    const char* h = nullptr;
    if (memid == DISPID_UNKNOWN) {
      n = m_desc.name, h = m_desc.help;
    } else {
      for (auto& m : m_desc.methods)
        if (m.dispid == memid) {
          n = m.name, h = m.help;
          break;
        }
    }
    if (!n) return TYPE_E_ELEMENTNOTFOUND;
    if (name) *name = bstrFromUtf8(n);
    if (doc) *doc = bstrFromUtf8(h ? h : "");
    if (ctx) *ctx = 0;
    if (file) *file = nullptr;
    return S_OK;
  }
  HRESULT GetDllEntry(MEMBERID, INVOKEKIND, BSTR*, BSTR*, WORD*) override { return E_NOTIMPL; }
  HRESULT GetRefTypeInfo(HREFTYPE, ITypeInfo** out) override { return notImpl(out); }
  HRESULT AddressOfMember(MEMBERID, INVOKEKIND, void** out) override { return notImpl(out); }
  HRESULT CreateInstance(IUnknown*, REFIID, void** out) override { return notImpl(out); }
  HRESULT GetMops(MEMBERID, BSTR* out) override { return notImpl(out); }
  HRESULT GetContainingTypeLib(ITypeLib** out, UINT* index) override {
    if (index) *index = 0;
    return notImpl(out);
  }
  void ReleaseTypeAttr(TYPEATTR* a) override { delete a; }
  void ReleaseFuncDesc(FUNCDESC* f) override {
    // FUNCDESC is the first member of its block.
    delete reinterpret_cast<FuncBlock*>(f);
  }
  void ReleaseVarDesc(VARDESC*) override {}

 private:
  template <class T>
  static HRESULT notImpl(T** out) {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }
  const InterfaceDesc& m_desc;
  const LibraryDesc& m_lib;
};

}  // namespace

HRESULT createTypeInfo(const InterfaceDesc& desc, const LibraryDesc& library, ITypeInfo** out) {
  if (!out) return E_POINTER;
  *out = makeObject<TypeInfo>(desc, library);
  return *out ? S_OK : E_OUTOFMEMORY;
}

}  // namespace comlite::automation
