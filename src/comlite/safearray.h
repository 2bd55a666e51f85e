#pragma once
//! SAFEARRAY: automation arrays of one or more dimensions with bounds.
//!
//! Layout (as on Windows): a hidden 16-byte header sits before the descriptor and holds the
//! element VARTYPE in its last 4 bytes; the descriptor's `rgsabound` stores the bounds in
//! reverse order (rgsabound[0] is the last dimension), and data are column-major: the first
//! index varies fastest. Dimensions are numbered from 1 in the API.
//!
//! Ownership: an array of BSTR, VARIANT or interface pointers owns its elements. Put/Get copy
//! (deep for strings and variants, AddRef for interfaces); Destroy frees them.

#include "comlite/types.h"
#include "comlite/variant.h"

struct SAFEARRAYBOUND {
  ULONG cElements;
  LONG lLbound;
};

struct SAFEARRAY {
  USHORT cDims;
  USHORT fFeatures;
  ULONG cbElements;
  ULONG cLocks;
  void* pvData;
  SAFEARRAYBOUND rgsabound[1];
};

constexpr USHORT FADF_AUTO = 0x0001;
constexpr USHORT FADF_STATIC = 0x0002;
constexpr USHORT FADF_EMBEDDED = 0x0004;
constexpr USHORT FADF_FIXEDSIZE = 0x0010;
constexpr USHORT FADF_HAVEVARTYPE = 0x0080;
constexpr USHORT FADF_BSTR = 0x0100;
constexpr USHORT FADF_UNKNOWN = 0x0200;
constexpr USHORT FADF_DISPATCH = 0x0400;
constexpr USHORT FADF_VARIANT = 0x0800;

//! Creates an array of `vt` elements; `bounds[0]` describes dimension 1 (the leftmost).
//! Elements start zeroed (empty strings are nullptr, variants VT_EMPTY).
//! RETURNS: nullptr for a bad element type, zero dimensions or size overflow.
SAFEARRAY* SafeArrayCreate(VARTYPE vt, UINT cDims, const SAFEARRAYBOUND* bounds);
//! One-dimensional array of `cElements` elements starting at `lLbound`.
SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lLbound, ULONG cElements);
//! Frees the elements, the data and the descriptor. nullptr gives S_OK.
//! RETURNS: DISP_E_ARRAYISLOCKED while locked.
HRESULT SafeArrayDestroy(SAFEARRAY* psa);
//! Number of dimensions; 0 for nullptr.
UINT SafeArrayGetDim(SAFEARRAY* psa);
//! Element size in bytes; 0 for nullptr.
UINT SafeArrayGetElemsize(SAFEARRAY* psa);
//! RETURNS: DISP_E_BADINDEX for a dimension outside 1..cDims; E_INVALIDARG for nullptr.
HRESULT SafeArrayGetLBound(SAFEARRAY* psa, UINT nDim, LONG* plLbound);
//! Upper bound = lower bound + count - 1 (so a zero-element dimension at 42 reports 41).
HRESULT SafeArrayGetUBound(SAFEARRAY* psa, UINT nDim, LONG* plUbound);
HRESULT SafeArrayGetVartype(SAFEARRAY* psa, VARTYPE* pvt);
//! Copies the element at `indices` (one per dimension, dimension 1 first) into `pv`: a new
//! BSTR for strings (caller frees), a copied VARIANT (caller clears), an AddRef'ed pointer.
//! RETURNS: DISP_E_BADINDEX for an index outside the bounds.
HRESULT SafeArrayGetElement(SAFEARRAY* psa, const LONG* indices, void* pv);
//! Stores a copy of `*pv` (for BSTR arrays `pv` is the BSTR itself, as on Windows; for
//! interface arrays the pointer itself), freeing the element it replaces.
HRESULT SafeArrayPutElement(SAFEARRAY* psa, const LONG* indices, void* pv);
//! Address of the element at `indices`, without copying. The array should be locked.
HRESULT SafeArrayPtrOfIndex(SAFEARRAY* psa, const LONG* indices, void** ppv);
HRESULT SafeArrayLock(SAFEARRAY* psa);
//! RETURNS: E_UNEXPECTED when the array is not locked.
HRESULT SafeArrayUnlock(SAFEARRAY* psa);
//! Locks the array and returns its data pointer.
HRESULT SafeArrayAccessData(SAFEARRAY* psa, void** ppv);
HRESULT SafeArrayUnaccessData(SAFEARRAY* psa);
//! Deep copy of the whole array into a new one (`*ppsaOut` is nullptr for a nullptr source).
HRESULT SafeArrayCopy(SAFEARRAY* psa, SAFEARRAY** ppsaOut);
//! Changes the count (and lower bound) of the LAST dimension, keeping existing elements.
HRESULT SafeArrayRedim(SAFEARRAY* psa, const SAFEARRAYBOUND* newBound);

namespace comlite {
//! Total number of elements (product of the counts); 0 for nullptr. Inline: every list read
//! asks it.
inline ULONG safeArrayCount(SAFEARRAY* psa) {
  if (!psa) return 0;
  ULONG n = 1;
  for (UINT d = 0; d < psa->cDims; ++d) n *= psa->rgsabound[d].cElements;
  return n;
}
//! Element size for `vt`, 0 when arrays of that type are not supported.
UINT safeArrayElementSize(VARTYPE vt);
}  // namespace comlite
