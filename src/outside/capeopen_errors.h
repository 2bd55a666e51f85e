#pragma once
//! Published CAPE-OPEN 1.1 error interfaces (the ECape family) and their HRESULTs.
//!
//! A failing CAPE-OPEN method returns one of the ECape...HR codes of comlite/hresult.h; the
//! caller then queries the object it called for ECapeUser / ECapeRoot and for the specific
//! interface matching the code. All are dual and derive directly from IDispatch (no
//! inheritance among them): own members from slot 7, slot number in front of each method.

#include "comlite/dispatch.h"

//! Name of the error (the interface name, e.g. "ECapeBadArgument").
struct ECapeRoot : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("678C0B10-7D66-11D2-A67D-00105A42887F");
  /*  7 */ virtual HRESULT get_name(/*[out, retval]*/ BSTR* name) = 0;
};

//! What went wrong, where and why.
struct ECapeUser : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("678C0B11-7D66-11D2-A67D-00105A42887F");
  /*  7 */ virtual HRESULT get_code(/*[out, retval]*/ LONG* code) = 0;
  /*  8 */ virtual HRESULT get_description(/*[out, retval]*/ BSTR* description) = 0;
  /*  9 */ virtual HRESULT get_scope(/*[out, retval]*/ BSTR* scope) = 0;
  /* 10 */ virtual HRESULT get_interfaceName(/*[out, retval]*/ BSTR* interfaceName) = 0;
  /* 11 */ virtual HRESULT get_operation(/*[out, retval]*/ BSTR* operation) = 0;
  /* 12 */ virtual HRESULT get_moreInfo(/*[out, retval]*/ BSTR* moreInfo) = 0;
};

//! Bounds of a value found out of bounds.
struct ECapeBoundaries : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("678C0B29-7D66-11D2-A67D-00105A42887F");
  /*  7 */ virtual HRESULT get_LowerBound(/*[out, retval]*/ double* lowerBound) = 0;
  /*  8 */ virtual HRESULT get_UpperBound(/*[out, retval]*/ double* upperBound) = 0;
  /*  9 */ virtual HRESULT get_value(/*[out, retval]*/ double* value) = 0;
  /* 10 */ virtual HRESULT get_Type(/*[out, retval]*/ BSTR* type) = 0;
};

//! A bad argument; its 1-based position (16 bits in the 1.1 type library).
struct ECapeBadArgument : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("E29E42B3-E481-45C6-A737-78F4A7FC0391");
  /*  7 */ virtual HRESULT get_position(/*[out, retval]*/ SHORT* position) = 0;
};

//! A bad CAPE-OPEN parameter.
struct ECapeBadCOParameter : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("678C0B15-7D66-11D2-A67D-00105A42887F");
  /*  7 */ virtual HRESULT get_parameterName(/*[out, retval]*/ BSTR* parameterName) = 0;
  /*  8 */ virtual HRESULT get_parameter(/*[out, retval]*/ IDispatch** parameter) = 0;
};

//! A call made out of order; the operation that should have come first.
struct ECapeBadInvOrder : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("678C0B22-7D66-11D2-A67D-00105A42887F");
  /*  7 */ virtual HRESULT get_requestedOperation(/*[out, retval]*/ BSTR* requestedOperation) = 0;
};

//! A persisted item that was not found.
struct ECapePersistenceNotFound : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("678C0B26-7D66-11D2-A67D-00105A42887F");
  /*  7 */ virtual HRESULT get_itemName(/*[out, retval]*/ BSTR* itemName) = 0;
};

// Error kinds without members of their own: the interface id says what happened.
struct ECapeUnknown : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("678C0B12-7D66-11D2-A67D-00105A42887F");
};
struct ECapeData : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("678C0B13-7D66-11D2-A67D-00105A42887F");
};
struct ECapeLicenceError : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("678C0B14-7D66-11D2-A67D-00105A42887F");
};
struct ECapeInvalidArgument : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("678C0B17-7D66-11D2-A67D-00105A42887F");
};
struct ECapeOutOfBounds : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("678C0B18-7D66-11D2-A67D-00105A42887F");
};
struct ECapeImplementation : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("678C0B19-7D66-11D2-A67D-00105A42887F");
};
struct ECapeNoImpl : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("678C0B1A-7D66-11D2-A67D-00105A42887F");
};
struct ECapeLimitedImpl : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("678C0B1B-7D66-11D2-A67D-00105A42887F");
};
struct ECapeComputation : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("678C0B1C-7D66-11D2-A67D-00105A42887F");
};
struct ECapeOutOfResources : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("678C0B1D-7D66-11D2-A67D-00105A42887F");
};
struct ECapeNoMemory : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("678C0B1E-7D66-11D2-A67D-00105A42887F");
};
struct ECapeTimeOut : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("678C0B1F-7D66-11D2-A67D-00105A42887F");
};
struct ECapeFailedInitialisation : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("678C0B20-7D66-11D2-A67D-00105A42887F");
};
struct ECapeSolvingError : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("678C0B21-7D66-11D2-A67D-00105A42887F");
};
struct ECapeInvalidOperation : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("678C0B23-7D66-11D2-A67D-00105A42887F");
};
struct ECapePersistence : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("678C0B24-7D66-11D2-A67D-00105A42887F");
};
struct ECapeIllegalAccess : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("678C0B25-7D66-11D2-A67D-00105A42887F");
};
struct ECapePersistenceSystemError : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("678C0B27-7D66-11D2-A67D-00105A42887F");
};
struct ECapePersistenceOverflow : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("678C0B28-7D66-11D2-A67D-00105A42887F");
};
struct ECapeThrmPropertyNotAvailable : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("678C09B6-7D66-11D2-A67D-00105A42887F");
};

namespace capeopen {

//! The ECape interface that goes with a CAPE-OPEN HRESULT, with its name; GUID_NULL and nullptr
//! for a status outside the CAPE-OPEN range. Both property-not-available codes map to
//! ECapeThrmPropertyNotAvailable.
struct ErrorKind {
  HRESULT hr;
  IID iid;
  const char* name;
};

//! Every CAPE-OPEN error kind, in code order.
inline constexpr ErrorKind kErrorKinds[] = {
    {ECapeUnknownHR, ECapeUnknown::kIID, "ECapeUnknown"},
    {ECapeDataHR, ECapeData::kIID, "ECapeData"},
    {ECapeLicenceErrorHR, ECapeLicenceError::kIID, "ECapeLicenceError"},
    {ECapeBadCOParameterHR, ECapeBadCOParameter::kIID, "ECapeBadCOParameter"},
    {ECapeBadArgumentHR, ECapeBadArgument::kIID, "ECapeBadArgument"},
    {ECapeInvalidArgumentHR, ECapeInvalidArgument::kIID, "ECapeInvalidArgument"},
    {ECapeOutOfBoundsHR, ECapeOutOfBounds::kIID, "ECapeOutOfBounds"},
    {ECapeImplementationHR, ECapeImplementation::kIID, "ECapeImplementation"},
    {ECapeNoImplHR, ECapeNoImpl::kIID, "ECapeNoImpl"},
    {ECapeLimitedImplHR, ECapeLimitedImpl::kIID, "ECapeLimitedImpl"},
    {ECapeComputationHR, ECapeComputation::kIID, "ECapeComputation"},
    {ECapeOutOfResourcesHR, ECapeOutOfResources::kIID, "ECapeOutOfResources"},
    {ECapeNoMemoryHR, ECapeNoMemory::kIID, "ECapeNoMemory"},
    {ECapeTimeOutHR, ECapeTimeOut::kIID, "ECapeTimeOut"},
    {ECapeFailedInitialisationHR, ECapeFailedInitialisation::kIID, "ECapeFailedInitialisation"},
    {ECapeSolvingErrorHR, ECapeSolvingError::kIID, "ECapeSolvingError"},
    {ECapeBadInvOrderHR, ECapeBadInvOrder::kIID, "ECapeBadInvOrder"},
    {ECapeInvalidOperationHR, ECapeInvalidOperation::kIID, "ECapeInvalidOperation"},
    {ECapePersistenceHR, ECapePersistence::kIID, "ECapePersistence"},
    {ECapeIllegalAccessHR, ECapeIllegalAccess::kIID, "ECapeIllegalAccess"},
    {ECapePersistenceNotFoundHR, ECapePersistenceNotFound::kIID, "ECapePersistenceNotFound"},
    {ECapePersistenceSystemErrorHR, ECapePersistenceSystemError::kIID,
     "ECapePersistenceSystemError"},
    {ECapePersistenceOverflowHR, ECapePersistenceOverflow::kIID, "ECapePersistenceOverflow"},
    {ECapeThrmPropertyNotAvailableHR, ECapeThrmPropertyNotAvailable::kIID,
     "ECapeThrmPropertyNotAvailable"},
    {ECapeThrmPropertyNotAvailableAltHR, ECapeThrmPropertyNotAvailable::kIID,
     "ECapeThrmPropertyNotAvailable"},
};

//! The kind of a CAPE-OPEN status, or nullptr when `hr` is not one.
constexpr const ErrorKind* errorKindOf(HRESULT hr) {
  for (const ErrorKind& k : kErrorKinds)
    if (k.hr == hr) return &k;
  return nullptr;
}

}  // namespace capeopen
