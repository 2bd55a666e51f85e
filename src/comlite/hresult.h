#pragma once
//! Status codes used across the component and its peers.

#include "comlite/types.h"

constexpr bool SUCCEEDED(HRESULT hr) {
  return hr >= 0;
}
constexpr bool FAILED(HRESULT hr) {
  return hr < 0;
}

constexpr HRESULT hresultFromBits(std::uint32_t bits) {
  return static_cast<HRESULT>(bits);
}

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;

constexpr HRESULT E_NOTIMPL = hresultFromBits(0x80004001u);
constexpr HRESULT E_NOINTERFACE = hresultFromBits(0x80004002u);
constexpr HRESULT E_POINTER = hresultFromBits(0x80004003u);
constexpr HRESULT E_ABORT = hresultFromBits(0x80004004u);
constexpr HRESULT E_FAIL = hresultFromBits(0x80004005u);
constexpr HRESULT E_UNEXPECTED = hresultFromBits(0x8000FFFFu);
constexpr HRESULT E_ACCESSDENIED = hresultFromBits(0x80070005u);
constexpr HRESULT E_HANDLE = hresultFromBits(0x80070006u);
constexpr HRESULT E_OUTOFMEMORY = hresultFromBits(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = hresultFromBits(0x80070057u);

constexpr HRESULT CLASS_E_NOAGGREGATION = hresultFromBits(0x80040110u);
constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = hresultFromBits(0x80040111u);
constexpr HRESULT REGDB_E_READREGDB = hresultFromBits(0x80040150u);
constexpr HRESULT REGDB_E_WRITEREGDB = hresultFromBits(0x80040151u);
constexpr HRESULT REGDB_E_KEYMISSING = hresultFromBits(0x80040152u);
constexpr HRESULT REGDB_E_CLASSNOTREG = hresultFromBits(0x80040154u);
constexpr HRESULT REGDB_E_IIDNOTREG = hresultFromBits(0x80040155u);
constexpr HRESULT CO_E_CLASSSTRING = hresultFromBits(0x800401F3u);
constexpr HRESULT CO_E_DLLNOTFOUND = hresultFromBits(0x800401F8u);
constexpr HRESULT CO_E_ERRORINDLL = hresultFromBits(0x800401F9u);
constexpr HRESULT SELFREG_E_CLASS = hresultFromBits(0x80040201u);
constexpr HRESULT SELFREG_E_TYPELIB = hresultFromBits(0x80040200u);

constexpr HRESULT DISP_E_UNKNOWNINTERFACE = hresultFromBits(0x80020001u);
constexpr HRESULT DISP_E_MEMBERNOTFOUND = hresultFromBits(0x80020003u);
constexpr HRESULT DISP_E_PARAMNOTFOUND = hresultFromBits(0x80020004u);
constexpr HRESULT DISP_E_TYPEMISMATCH = hresultFromBits(0x80020005u);
constexpr HRESULT DISP_E_UNKNOWNNAME = hresultFromBits(0x80020006u);
constexpr HRESULT DISP_E_NONAMEDARGS = hresultFromBits(0x80020007u);
constexpr HRESULT DISP_E_BADVARTYPE = hresultFromBits(0x80020008u);
constexpr HRESULT DISP_E_EXCEPTION = hresultFromBits(0x80020009u);
constexpr HRESULT DISP_E_OVERFLOW = hresultFromBits(0x8002000Au);
constexpr HRESULT DISP_E_BADINDEX = hresultFromBits(0x8002000Bu);
constexpr HRESULT DISP_E_UNKNOWNLCID = hresultFromBits(0x8002000Cu);
constexpr HRESULT DISP_E_ARRAYISLOCKED = hresultFromBits(0x8002000Du);
constexpr HRESULT DISP_E_BADPARAMCOUNT = hresultFromBits(0x8002000Eu);
constexpr HRESULT DISP_E_PARAMNOTOPTIONAL = hresultFromBits(0x8002000Fu);
constexpr HRESULT TYPE_E_ELEMENTNOTFOUND = hresultFromBits(0x8002802Bu);
constexpr HRESULT TYPE_E_LIBNOTREGISTERED = hresultFromBits(0x8002801Du);

//! CAPE-OPEN error codes (ECape... family), 0x80040501 to 0x80040517.
constexpr HRESULT ECapeUnknownHR = hresultFromBits(0x80040501u);
constexpr HRESULT ECapeDataHR = hresultFromBits(0x80040502u);
constexpr HRESULT ECapeLicenceErrorHR = hresultFromBits(0x80040503u);
constexpr HRESULT ECapeBadCOParameterHR = hresultFromBits(0x80040504u);
constexpr HRESULT ECapeBadArgumentHR = hresultFromBits(0x80040505u);
constexpr HRESULT ECapeInvalidArgumentHR = hresultFromBits(0x80040506u);
constexpr HRESULT ECapeOutOfBoundsHR = hresultFromBits(0x80040507u);
constexpr HRESULT ECapeImplementationHR = hresultFromBits(0x80040508u);
constexpr HRESULT ECapeNoImplHR = hresultFromBits(0x80040509u);
constexpr HRESULT ECapeLimitedImplHR = hresultFromBits(0x8004050Au);
constexpr HRESULT ECapeComputationHR = hresultFromBits(0x8004050Bu);
constexpr HRESULT ECapeOutOfResourcesHR = hresultFromBits(0x8004050Cu);
constexpr HRESULT ECapeNoMemoryHR = hresultFromBits(0x8004050Du);
constexpr HRESULT ECapeTimeOutHR = hresultFromBits(0x8004050Eu);
constexpr HRESULT ECapeFailedInitialisationHR = hresultFromBits(0x8004050Fu);
constexpr HRESULT ECapeSolvingErrorHR = hresultFromBits(0x80040510u);
constexpr HRESULT ECapeBadInvOrderHR = hresultFromBits(0x80040511u);
constexpr HRESULT ECapeInvalidOperationHR = hresultFromBits(0x80040512u);
constexpr HRESULT ECapePersistenceHR = hresultFromBits(0x80040513u);
constexpr HRESULT ECapeIllegalAccessHR = hresultFromBits(0x80040514u);
constexpr HRESULT ECapePersistenceNotFoundHR = hresultFromBits(0x80040515u);
constexpr HRESULT ECapePersistenceSystemErrorHR = hresultFromBits(0x80040516u);
constexpr HRESULT ECapePersistenceOverflowHR = hresultFromBits(0x80040517u);
//! "Property not available": the type library's value, and the one some .NET-built packages use.
constexpr HRESULT ECapeThrmPropertyNotAvailableHR = hresultFromBits(0x8004051Au);
constexpr HRESULT ECapeThrmPropertyNotAvailableAltHR = hresultFromBits(0x80040520u);
//! A flash that ends with no phase to report back to the host.
constexpr HRESULT CORAVL_E_NOPHASES = hresultFromBits(0x80040680u);
