#include "comlite/safearray.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "comlite/block_cache.h"
#include "comlite/bstr.h"
#include "comlite/unknown.h"

namespace {

//! Bytes before the descriptor; the element VARTYPE sits in the last four of them.
constexpr std::size_t kHeader = 16;

//! The data share the descriptor's block (a vector made in one allocation); Redim moves them
//! out into a block of their own first.
constexpr USHORT kFadfCreateVector = 0x2000;

std::size_t descriptorSize(UINT cDims) {
  return sizeof(SAFEARRAY) + (cDims - 1) * sizeof(SAFEARRAYBOUND);
}

void setVartype(SAFEARRAY* psa, VARTYPE vt) {
  const std::uint32_t v = vt;
  std::memcpy(reinterpret_cast<char*>(psa) - 4, &v, 4);
}

VARTYPE getVartype(SAFEARRAY* psa) {
  std::uint32_t v;
  std::memcpy(&v, reinterpret_cast<char*>(psa) - 4, 4);
  return static_cast<VARTYPE>(v);
}

//! Bound of API dimension `nDim` (1 = leftmost), stored reversed.
SAFEARRAYBOUND& boundOf(SAFEARRAY* psa, UINT nDim) {
  return psa->rgsabound[psa->cDims - nDim];
}

USHORT featuresFor(VARTYPE vt) {
  switch (vt) {
    case VT_BSTR:
      return FADF_BSTR | FADF_HAVEVARTYPE;
    case VT_UNKNOWN:
      return FADF_UNKNOWN | FADF_HAVEVARTYPE;
    case VT_DISPATCH:
      return FADF_DISPATCH | FADF_HAVEVARTYPE;
    case VT_VARIANT:
      return FADF_VARIANT | FADF_HAVEVARTYPE;
    default:
      return FADF_HAVEVARTYPE;
  }
}

//! Frees what the elements [0, count) own.
void releaseElements(SAFEARRAY* psa, VARTYPE vt, ULONG from, ULONG to) {
  if (!psa->pvData) return;
  for (ULONG i = from; i < to; ++i) {
    void* p = static_cast<char*>(psa->pvData) + std::size_t(i) * psa->cbElements;
    switch (vt) {
      case VT_BSTR:
        SysFreeString(*static_cast<BSTR*>(p));
        *static_cast<BSTR*>(p) = nullptr;
        break;
      case VT_UNKNOWN:
      case VT_DISPATCH:
        if (auto* u = *static_cast<IUnknown**>(p)) u->Release();
        *static_cast<IUnknown**>(p) = nullptr;
        break;
      case VT_VARIANT:
        VariantClear(static_cast<VARIANT*>(p));
        break;
      default:
        return;
    }
  }
}

//! Linear offset of `indices` (dimension 1 first), or false when outside the bounds.
bool offsetOf(SAFEARRAY* psa, const LONG* indices, std::size_t& offset) {
  std::size_t off = 0, stride = 1;
  for (UINT d = 1; d <= psa->cDims; ++d) {
    const SAFEARRAYBOUND& b = boundOf(psa, d);
    const long long rel = static_cast<long long>(indices[d - 1]) - b.lLbound;
    if (rel < 0 || rel >= static_cast<long long>(b.cElements)) return false;
    off += static_cast<std::size_t>(rel) * stride;
    stride *= b.cElements;
  }
  offset = off;
  return true;
}

//! Copies one element value from `src` (element storage) into fresh storage `dst`.
HRESULT copyElement(VARTYPE vt, const void* src, void* dst, ULONG size) {
  switch (vt) {
    case VT_BSTR: {
      BSTR s = *static_cast<const BSTR*>(src);
      BSTR c = nullptr;
      if (s) {
        c = SysAllocStringLen(s, SysStringLen(s));
        if (!c) return E_OUTOFMEMORY;
      }
      *static_cast<BSTR*>(dst) = c;
      return S_OK;
    }
    case VT_UNKNOWN:
    case VT_DISPATCH: {
      IUnknown* u = *static_cast<IUnknown* const*>(src);
      if (u) u->AddRef();
      *static_cast<IUnknown**>(dst) = u;
      return S_OK;
    }
    case VT_VARIANT:
      VariantInit(static_cast<VARIANT*>(dst));
      return VariantCopy(static_cast<VARIANT*>(dst), static_cast<const VARIANT*>(src));
    default:
      std::memcpy(dst, src, size);
      return S_OK;
  }
}

}  // namespace

namespace comlite {

UINT safeArrayElementSize(VARTYPE vt) {
  switch (vt) {
    case VT_I1:
    case VT_UI1:
      return 1;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL:
      return 2;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_R4:
    case VT_ERROR:
      return 4;
    case VT_I8:
    case VT_UI8:
    case VT_R8:
    case VT_DATE:
    case VT_CY:
      return 8;
    case VT_BSTR:
    case VT_UNKNOWN:
    case VT_DISPATCH:
      return sizeof(void*);
    case VT_VARIANT:
      return sizeof(VARIANT);
    default:
      return 0;
  }
}

}  // namespace comlite

namespace {

//! SafeArrayCreate, with the data in the descriptor's block when `oneBlock` (one dimension).
SAFEARRAY* createArray(VARTYPE vt, UINT cDims, const SAFEARRAYBOUND* bounds, bool oneBlock) {
  const UINT size = comlite::safeArrayElementSize(vt);
  if (size == 0 || cDims == 0 || cDims > 64 || !bounds) return nullptr;
  std::size_t count = 1;
  for (UINT d = 0; d < cDims; ++d) {
    if (bounds[d].cElements &&
        count > std::numeric_limits<std::size_t>::max() / 2 / size / bounds[d].cElements)
      return nullptr;
    count *= bounds[d].cElements;
  }
  if (count * size > std::numeric_limits<ULONG>::max()) return nullptr;
  oneBlock = oneBlock && cDims == 1 && count;
  // Data in the same block start 16-aligned after the descriptor.
  const std::size_t dataAt = (kHeader + descriptorSize(cDims) + 15) / 16 * 16;
  // Zeroed storage is a valid empty element for every supported type (VT_EMPTY is 0).
  auto* block = static_cast<char*>(comlite::detail::allocZeroedBlock(
      oneBlock ? dataAt + count * size : kHeader + descriptorSize(cDims)));
  if (!block) return nullptr;
  auto* psa = reinterpret_cast<SAFEARRAY*>(block + kHeader);
  psa->cDims = static_cast<USHORT>(cDims);
  psa->fFeatures = featuresFor(vt);
  psa->cbElements = size;
  for (UINT d = 1; d <= cDims; ++d) boundOf(psa, d) = bounds[d - 1];
  setVartype(psa, vt);
  if (oneBlock) {
    psa->fFeatures |= kFadfCreateVector;
    psa->pvData = block + dataAt;
  } else if (count) {
    psa->pvData = std::calloc(count, size);
    if (!psa->pvData) {
      comlite::detail::freeBlock(block);
      return nullptr;
    }
  }
  return psa;
}

}  // namespace

SAFEARRAY* SafeArrayCreate(VARTYPE vt, UINT cDims, const SAFEARRAYBOUND* bounds) {
  return createArray(vt, cDims, bounds, false);
}

SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lLbound, ULONG cElements) {
  SAFEARRAYBOUND b{cElements, lLbound};
  return createArray(vt, 1, &b, true);
}

HRESULT SafeArrayDestroy(SAFEARRAY* psa) {
  if (!psa) return S_OK;
  if (psa->cLocks) return DISP_E_ARRAYISLOCKED;
  releaseElements(psa, getVartype(psa), 0, comlite::safeArrayCount(psa));
  if (!(psa->fFeatures & kFadfCreateVector)) std::free(psa->pvData);
  comlite::detail::freeBlock(reinterpret_cast<char*>(psa) - kHeader);
  return S_OK;
}

UINT SafeArrayGetDim(SAFEARRAY* psa) {
  return psa ? psa->cDims : 0;
}

UINT SafeArrayGetElemsize(SAFEARRAY* psa) {
  return psa ? psa->cbElements : 0;
}

HRESULT SafeArrayGetLBound(SAFEARRAY* psa, UINT nDim, LONG* plLbound) {
  if (!psa || !plLbound) return E_INVALIDARG;
  if (nDim == 0 || nDim > psa->cDims) return DISP_E_BADINDEX;
  *plLbound = boundOf(psa, nDim).lLbound;
  return S_OK;
}

HRESULT SafeArrayGetUBound(SAFEARRAY* psa, UINT nDim, LONG* plUbound) {
  if (!psa || !plUbound) return E_INVALIDARG;
  if (nDim == 0 || nDim > psa->cDims) return DISP_E_BADINDEX;
  const SAFEARRAYBOUND& b = boundOf(psa, nDim);
  *plUbound = static_cast<LONG>(static_cast<long long>(b.lLbound) + b.cElements - 1);
  return S_OK;
}

HRESULT SafeArrayGetVartype(SAFEARRAY* psa, VARTYPE* pvt) {
  if (!psa || !pvt) return E_INVALIDARG;
  *pvt = getVartype(psa);
  return S_OK;
}

HRESULT SafeArrayPtrOfIndex(SAFEARRAY* psa, const LONG* indices, void** ppv) {
  if (!psa || !indices || !ppv) return E_INVALIDARG;
  std::size_t off;
  if (!offsetOf(psa, indices, off)) return DISP_E_BADINDEX;
  *ppv = static_cast<char*>(psa->pvData) + off * psa->cbElements;
  return S_OK;
}

HRESULT SafeArrayGetElement(SAFEARRAY* psa, const LONG* indices, void* pv) {
  if (!psa || !indices || !pv) return E_INVALIDARG;
  std::size_t off;
  if (!offsetOf(psa, indices, off)) return DISP_E_BADINDEX;
  const void* src = static_cast<char*>(psa->pvData) + off * psa->cbElements;
  return copyElement(getVartype(psa), src, pv, psa->cbElements);
}

HRESULT SafeArrayPutElement(SAFEARRAY* psa, const LONG* indices, void* pv) {
  if (!psa || !indices) return E_INVALIDARG;
  std::size_t off;
  if (!offsetOf(psa, indices, off)) return DISP_E_BADINDEX;
  const VARTYPE vt = getVartype(psa);
  void* dst = static_cast<char*>(psa->pvData) + off * psa->cbElements;
  switch (vt) {
    case VT_BSTR: {
      auto s = static_cast<BSTR>(pv);
      BSTR c = nullptr;
      if (s) {
        c = SysAllocStringLen(s, SysStringLen(s));
        if (!c) return E_OUTOFMEMORY;
      }
      SysFreeString(*static_cast<BSTR*>(dst));
      *static_cast<BSTR*>(dst) = c;
      return S_OK;
    }
    case VT_UNKNOWN:
    case VT_DISPATCH: {
      auto* u = static_cast<IUnknown*>(pv);
      if (u) u->AddRef();
      if (auto* old = *static_cast<IUnknown**>(dst)) old->Release();
      *static_cast<IUnknown**>(dst) = u;
      return S_OK;
    }
    case VT_VARIANT:
      if (!pv) return E_INVALIDARG;
      return VariantCopy(static_cast<VARIANT*>(dst), static_cast<const VARIANT*>(pv));
    default:
      if (!pv) return E_INVALIDARG;
      std::memcpy(dst, pv, psa->cbElements);
      return S_OK;
  }
}

HRESULT SafeArrayLock(SAFEARRAY* psa) {
  if (!psa) return E_INVALIDARG;
  if (psa->cLocks == 0xFFFF) return E_UNEXPECTED;
  ++psa->cLocks;
  return S_OK;
}

HRESULT SafeArrayUnlock(SAFEARRAY* psa) {
  if (!psa) return E_INVALIDARG;
  if (psa->cLocks == 0) return E_UNEXPECTED;
  --psa->cLocks;
  return S_OK;
}

HRESULT SafeArrayAccessData(SAFEARRAY* psa, void** ppv) {
  if (!psa || !ppv) return E_INVALIDARG;
  HRESULT hr = SafeArrayLock(psa);
  if (FAILED(hr)) return hr;
  *ppv = psa->pvData;
  return S_OK;
}

HRESULT SafeArrayUnaccessData(SAFEARRAY* psa) {
  return SafeArrayUnlock(psa);
}

HRESULT SafeArrayCopy(SAFEARRAY* psa, SAFEARRAY** ppsaOut) {
  if (!ppsaOut) return E_INVALIDARG;
  *ppsaOut = nullptr;
  if (!psa) return S_OK;
  const VARTYPE vt = getVartype(psa);
  SAFEARRAYBOUND bounds[64];
  for (UINT d = 1; d <= psa->cDims; ++d) bounds[d - 1] = boundOf(psa, d);
  SAFEARRAY* out = createArray(vt, psa->cDims, bounds, true);
  if (!out) return E_OUTOFMEMORY;
  const ULONG n = comlite::safeArrayCount(psa);
  for (ULONG i = 0; i < n; ++i) {
    const void* src = static_cast<char*>(psa->pvData) + std::size_t(i) * psa->cbElements;
    void* dst = static_cast<char*>(out->pvData) + std::size_t(i) * out->cbElements;
    HRESULT hr = copyElement(vt, src, dst, psa->cbElements);
    if (FAILED(hr)) {
      SafeArrayDestroy(out);
      return hr;
    }
  }
  *ppsaOut = out;
  return S_OK;
}

HRESULT SafeArrayRedim(SAFEARRAY* psa, const SAFEARRAYBOUND* newBound) {
  if (!psa || !newBound) return E_INVALIDARG;
  if (psa->cLocks) return DISP_E_ARRAYISLOCKED;
  const VARTYPE vt = getVartype(psa);
  const ULONG oldCount = comlite::safeArrayCount(psa);
  // The last dimension is rgsabound[0]; it varies slowest, so elements keep their offsets.
  ULONG innerCount = 1;
  for (UINT d = 1; d < psa->cDims; ++d) innerCount *= psa->rgsabound[d].cElements;
  const std::size_t newCount = std::size_t(innerCount) * newBound->cElements;
  if (newCount * psa->cbElements > std::numeric_limits<ULONG>::max()) return E_OUTOFMEMORY;
  if (newCount < oldCount) releaseElements(psa, vt, static_cast<ULONG>(newCount), oldCount);
  void* data = nullptr;
  const std::size_t oldBytes = std::size_t(oldCount) * psa->cbElements;
  if (psa->fFeatures & kFadfCreateVector) {
    // The data leave the descriptor's block, which cannot grow in place.
    if (newCount) {
      data = std::calloc(newCount, psa->cbElements);
      if (!data) return E_OUTOFMEMORY;
      std::memcpy(data, psa->pvData, std::min(oldBytes, newCount * psa->cbElements));
    }
    psa->fFeatures &= static_cast<USHORT>(~kFadfCreateVector);
  } else if (newCount) {
    data = std::realloc(psa->pvData, newCount * psa->cbElements);
    if (!data) return E_OUTOFMEMORY;
    if (newCount > oldCount)
      std::memset(static_cast<char*>(data) + oldBytes, 0, (newCount - oldCount) * psa->cbElements);
  } else {
    std::free(psa->pvData);
  }
  psa->pvData = data;
  psa->rgsabound[0] = *newBound;
  return S_OK;
}
