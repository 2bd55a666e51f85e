#pragma once
//! Published CAPE-OPEN 1.1 common interfaces (type library CAPEOPEN110).
//!
//! Every CAPE-OPEN interface is dual and derives directly from IDispatch: slots 0-2 IUnknown,
//! 3-6 IDispatch, own members from slot 7 in the order below. The slot number of each method
//! is written in front of it. `long` of the type library is LONG (32 bits).

#include "comlite/dispatch.h"

//! Name and description of any CAPE-OPEN component.
struct ICapeIdentification : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("678C0990-7D66-11D2-A67D-00105A42887F");
  /*  7 */ virtual HRESULT get_ComponentName(/*[out, retval]*/ BSTR* name) = 0;
  /*  8 */ virtual HRESULT put_ComponentName(/*[in]*/ BSTR name) = 0;
  /*  9 */ virtual HRESULT get_ComponentDescription(/*[out, retval]*/ BSTR* desc) = 0;
  /* 10 */ virtual HRESULT put_ComponentDescription(/*[in]*/ BSTR desc) = 0;
};

//! Life cycle of a CAPE-OPEN component: configure, Initialize, use, Terminate, release.
struct ICapeUtilities : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("678C0A9B-0100-11D2-A67D-00105A42887F");
  //! An ICapeCollection of ICapeParameter (the caller releases it).
  /*  7 */ virtual HRESULT get_parameters(/*[out, retval]*/ IDispatch** parameters) = 0;
  //! The simulation context (an ICapeSimulationContext); write-only.
  /*  8 */ virtual HRESULT put_simulationContext(/*[in]*/ IDispatch* context) = 0;
  /*  9 */ virtual HRESULT Initialize() = 0;
  /* 10 */ virtual HRESULT Terminate() = 0;
  //! Success codes other than S_OK are meaningful to callers.
  /* 11 */ virtual HRESULT Edit() = 0;
};

//! A read-only collection; items by 1-based index (VT_I4) or by name (VT_BSTR).
struct ICapeCollection : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("678C099A-0093-11D2-A67D-00105A42887F");
  /*  7 */ virtual HRESULT Item(/*[in]*/ VARIANT id, /*[out, retval]*/ IDispatch** item) = 0;
  /*  8 */ virtual HRESULT Count(/*[out, retval]*/ LONG* itemsCount) = 0;
};

//! Marker interface of the simulation environment object handed to put_simulationContext;
//! components query it for the service interfaces (ICapeDiagnostic, ...).
struct ICapeSimulationContext : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("678C0A9C-0100-11D2-A67D-00105A42887F");
};

//! Messages of a component to the simulation environment.
struct ICapeDiagnostic : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("678C0A9D-0100-11D2-A67D-00105A42887F");
  /*  7 */ virtual HRESULT PopUpMessage(/*[in]*/ BSTR message) = 0;
  /*  8 */ virtual HRESULT LogMessage(/*[in]*/ BSTR message) = 0;
};
