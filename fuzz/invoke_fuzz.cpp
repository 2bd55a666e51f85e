//! IDispatch::Invoke of both host interfaces of the socket (IExtendedPropPackage and
//! IExtendedFlash) with arbitrary members, call kinds and arguments of any type, by value or by
//! reference: never a crash, whatever the member is given. The socket object has no class
//! registry holding only the host's own classes (the arrays the socket makes when created), so
//! every member that needs the package fails its way.

#include <dlfcn.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "comlite/automation.h"
#include "comlite/bstr.h"
#include "comlite/com_ptr.h"
#include "comlite/creation.h"
#include "comlite/notice.h"
#include "comlite/safearray.h"
#include "comlite/variant.h"
#include "frame/coravl_pp.h"
#include "frame/host_interfaces.h"
#include "frame/type_library.h"

namespace {

//! Reads the fuzz input from the front; zeros once it is used up.
class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
  std::uint8_t byte() { return m_at < m_size ? m_data[m_at++] : 0; }
  template <class T>
  T value() {
    T v{};
    const std::size_t n = std::min(sizeof v, m_size - std::min(m_at, m_size));
    if (n) std::memcpy(&v, m_data + m_at, n);
    m_at += n;
    return v;
  }
  std::string text() {
    const std::size_t n = byte() % 64;
    std::string s;
    for (std::size_t i = 0; i < n && m_at < m_size; ++i) s += static_cast<char>(byte());
    return s;
  }

 private:
  const std::uint8_t* m_data;
  std::size_t m_size, m_at = 0;
};

//! Storage of the by-reference arguments and what the member left in them.
struct Refs {
  std::deque<LONG> longs;
  std::deque<SHORT> shorts;
  std::deque<double> doubles;
  std::deque<VARIANT_BOOL> bools;
  std::deque<BSTR> strings;
  std::deque<VARIANT> variants;
  std::deque<IDispatch*> objects;
  ~Refs() {
    for (BSTR s : strings) SysFreeString(s);
    for (VARIANT& v : variants) VariantClear(&v);
    for (IDispatch* d : objects)
      if (d) d->Release();
  }
};

//! One argument of type `declared` (or another the input picks).
VARIANT argument(Input& in, VARTYPE declared, Refs& refs) {
  VARIANT v;
  VariantInit(&v);
  const std::uint8_t kind = in.byte() % 10;
  const VARTYPE vt = kind == 0 ? declared : static_cast<VARTYPE>(kind);
  const bool byRef = (in.byte() & 1) != 0;
  switch (vt) {
    case VT_I4:
      if (byRef) {
        v.vt = VT_I4 | VT_BYREF;
        v.plVal = &refs.longs.emplace_back(in.value<LONG>());
      } else {
        v.vt = VT_I4;
        v.lVal = in.value<LONG>();
      }
      break;
    case VT_I2:
      if (byRef) {
        v.vt = VT_I2 | VT_BYREF;
        v.piVal = &refs.shorts.emplace_back(in.value<SHORT>());
      } else {
        v.vt = VT_I2;
        v.iVal = in.value<SHORT>();
      }
      break;
    case VT_R8:
      if (byRef) {
        v.vt = VT_R8 | VT_BYREF;
        v.pdblVal = &refs.doubles.emplace_back(in.value<double>());
      } else {
        v.vt = VT_R8;
        v.dblVal = in.value<double>();
      }
      break;
    case VT_BOOL:
      if (byRef) {
        v.vt = VT_BOOL | VT_BYREF;
        v.pboolVal = &refs.bools.emplace_back(in.byte() & 1 ? VARIANT_TRUE : VARIANT_FALSE);
      } else {
        v.vt = VT_BOOL;
        v.boolVal = in.byte() & 1 ? VARIANT_TRUE : VARIANT_FALSE;
      }
      break;
    case VT_BSTR: {
      BSTR s = comlite::bstrFromUtf8(in.text());
      if (byRef) {
        v.vt = VT_BSTR | VT_BYREF;
        v.pbstrVal = &refs.strings.emplace_back(s);
      } else {
        // Owned by the harness: freed with the references.
        refs.strings.push_back(s);
        v.vt = VT_BSTR;
        v.bstrVal = s;
      }
      break;
    }
    case VT_VARIANT: {
      VARIANT inner;
      VariantInit(&inner);
      if (in.byte() & 1) {
        const ULONG n = in.byte() % 8;
        inner.vt = VT_ARRAY | VT_R8;
        inner.parray = SafeArrayCreateVector(VT_R8, 0, n);
        for (LONG i = 0; i < static_cast<LONG>(n); ++i) {
          double d = in.value<double>();
          SafeArrayPutElement(inner.parray, &i, &d);
        }
      }
      v.vt = VT_VARIANT | VT_BYREF;
      v.pvarVal = &refs.variants.emplace_back(inner);
      break;
    }
    case VT_DISPATCH:
      if (byRef) {
        v.vt = VT_DISPATCH | VT_BYREF;
        v.ppdispVal = &refs.objects.emplace_back(nullptr);
      } else {
        v.vt = VT_DISPATCH;
        v.pdispVal = nullptr;
      }
      break;
    default:
      v.vt = VT_EMPTY;
      break;
  }
  return v;
}

void quietEnvironment() {
  static bool done = false;
  if (done) return;
  done = true;
  char dir[] = "/tmp/coravl-invoke-fuzz-XXXXXX";
  if (!::mkdtemp(dir)) std::abort();
  const std::string d(dir);
  // A class registry of the host's classes only: the socket finds no adapter and no package.
  ::setenv("CORAVL_REGISTRY", (d + "/registry").c_str(), 1);
  ::setenv("XDG_DATA_HOME", d.c_str(), 1);
  ::setenv("TEMP", d.c_str(), 1);
  ::setenv("HOME", d.c_str(), 1);
  comlite::setNoticeSink([](const std::string&, const std::string&, UINT) {});
  void* host = comlite::loadModule(CORAVL_FUZZ_LIB_DIR "/libravelin.so");
  auto reg = host ? reinterpret_cast<HRESULT (*)()>(::dlsym(host, "DllRegisterServer")) : nullptr;
  if (!reg || FAILED(reg())) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  quietEnvironment();
  Input in(data, size);
  const bool flash = (in.byte() & 1) != 0;
  const comlite::automation::InterfaceDesc& desc =
      flash ? coravl::frame::extendedFlashDesc() : coravl::frame::extendedPropPackageDesc();
  comlite::ComPtr<IDispatch> object;
  if (FAILED(coravl::frame::CORavlPP::create(
          nullptr, flash ? IExtendedFlash::kIID : IExtendedPropPackage::kIID, object.putVoid())) ||
      !object)
    return 0;
  if (desc.methods.empty()) return 0;
  const auto& method = desc.methods[in.byte() % desc.methods.size()];
  // Mostly the member's own DISPID; sometimes any.
  const DISPID dispid = (in.byte() % 8) ? method.dispid : in.value<DISPID>();
  const WORD flags = static_cast<WORD>((in.byte() % 8) ? method.kind : (in.byte() & 0xF));
  std::size_t count = method.params.size();
  if (in.byte() % 8 == 0) count = in.byte() % 8;  // too few or too many
  Refs refs;
  std::vector<VARIANT> args(count);
  for (std::size_t i = 0; i < count; ++i) {
    const VARTYPE declared = i < method.params.size() ? method.params[i].vt : VT_I4;
    // Arguments go in reverse order.
    args[count - 1 - i] = argument(in, declared, refs);
  }
  DISPPARAMS params{args.empty() ? nullptr : args.data(), nullptr, static_cast<UINT>(count), 0};
  VARIANT result;
  VariantInit(&result);
  EXCEPINFO excep{};
  UINT argErr = 0;
  object->Invoke(dispid, GUID_NULL, 0, flags, &params, &result, &excep, &argErr);
  VariantClear(&result);
  SysFreeString(excep.bstrSource);
  SysFreeString(excep.bstrDescription);
  SysFreeString(excep.bstrHelpFile);
  for (VARIANT& a : args)
    if (a.vt == VT_DISPATCH && a.pdispVal) a.pdispVal->Release();
  return 0;
}
