#pragma once
//! The host's array objects: real and integer arrays with element access through the dual
//! interface and whole-block access through a second, vtable-only interface of the same object.
//!
//! Indexes are 0-based. Out-of-range indexes give DISP_E_BADINDEX, negative sizes E_INVALIDARG,
//! null outs E_POINTER. Growing an array fills the new elements with 0.

#include "comlite/dispatch.h"

struct IRealArrayDisp : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("8E068849-BE96-4EBA-A1D9-364878CF0923");
  /*  7 */ virtual HRESULT get_Count(/*[out]*/ LONG* count) = 0;
  //! Resizes, keeping the leading elements.
  /*  8 */ virtual HRESULT SetSize(/*[in]*/ LONG count) = 0;
  /*  9 */ virtual HRESULT get_IthValue(/*[in]*/ LONG index, /*[out]*/ double* value) = 0;
  /* 10 */ virtual HRESULT put_IthValue(/*[in]*/ LONG index, /*[in]*/ double value) = 0;
};

struct IRealArrayBlock : IUnknown {
  static constexpr IID kIID = comlite::makeGuid("1EC72506-DD86-478B-A430-2A10B2D336B2");
  //! Copies every element into `values`. RETURNS: E_INVALIDARG unless `count` is the size.
  /*  3 */ virtual HRESULT GetValues(/*[in]*/ LONG count,
                                     /*[out, size_is(count)]*/ double* values) = 0;
  //! Replaces the whole content: the array takes `count` elements copied from `values`.
  /*  4 */ virtual HRESULT SetValues(/*[in]*/ LONG count,
                                     /*[in, size_is(count)]*/ const double* values) = 0;
};

struct IIntegerArrayDisp : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("9CB9BC41-104F-4661-84F2-09B05C31743A");
  /*  7 */ virtual HRESULT get_Count(/*[out]*/ LONG* count) = 0;
  //! Resizes, keeping the leading elements.
  /*  8 */ virtual HRESULT SetSize(/*[in]*/ LONG count) = 0;
  /*  9 */ virtual HRESULT get_IthValue(/*[in]*/ LONG index, /*[out]*/ LONG* value) = 0;
  /* 10 */ virtual HRESULT put_IthValue(/*[in]*/ LONG index, /*[in]*/ LONG value) = 0;
};

struct IIntegerArrayBlock : IUnknown {
  static constexpr IID kIID = comlite::makeGuid("0A2CAB01-6B70-4185-9868-74F486B48861");
  //! Copies every element into `values`. RETURNS: E_INVALIDARG unless `count` is the size.
  /*  3 */ virtual HRESULT GetValues(/*[in]*/ LONG count,
                                     /*[out, size_is(count)]*/ LONG* values) = 0;
  //! Replaces the whole content: the array takes `count` elements copied from `values`.
  /*  4 */ virtual HRESULT SetValues(/*[in]*/ LONG count,
                                     /*[in, size_is(count)]*/ const LONG* values) = 0;
};
