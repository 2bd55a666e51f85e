#pragma once
//! Per-thread error information (IErrorInfo), as automation passes it beside a failing status.

#include <string>

#include "comlite/bstr.h"
#include "comlite/unknown.h"

struct IErrorInfo : IUnknown {
  static constexpr IID kIID = comlite::makeGuid("1CF2B120-547D-101B-8E65-08002B2BF0B9");
  /* 3 */ virtual HRESULT GetGUID(/*[out]*/ GUID* guid) = 0;
  /* 4 */ virtual HRESULT GetSource(/*[out]*/ BSTR* source) = 0;
  /* 5 */ virtual HRESULT GetDescription(/*[out]*/ BSTR* description) = 0;
  /* 6 */ virtual HRESULT GetHelpFile(/*[out]*/ BSTR* helpFile) = 0;
  /* 7 */ virtual HRESULT GetHelpContext(/*[out]*/ DWORD* helpContext) = 0;
};

struct ICreateErrorInfo : IUnknown {
  static constexpr IID kIID = comlite::makeGuid("22F03340-547D-101B-8E65-08002B2BF0B9");
  /* 3 */ virtual HRESULT SetGUID(/*[in]*/ REFGUID guid) = 0;
  /* 4 */ virtual HRESULT SetSource(/*[in]*/ LPOLESTR source) = 0;
  /* 5 */ virtual HRESULT SetDescription(/*[in]*/ LPOLESTR description) = 0;
  /* 6 */ virtual HRESULT SetHelpFile(/*[in]*/ LPOLESTR helpFile) = 0;
  /* 7 */ virtual HRESULT SetHelpContext(/*[in]*/ DWORD helpContext) = 0;
};

struct ISupportErrorInfo : IUnknown {
  static constexpr IID kIID = comlite::makeGuid("DF0B3D60-548F-101B-8E65-08002B2BF0B9");
  /* 3 */ virtual HRESULT InterfaceSupportsErrorInfo(/*[in]*/ REFIID riid) = 0;
};

//! Replaces the calling thread's error object (nullptr clears it). The thread holds a reference.
HRESULT SetErrorInfo(DWORD reserved, IErrorInfo* info);
//! Hands the calling thread's error object to the caller (who releases it) and clears it, as
//! on Windows: a second call returns S_FALSE with nullptr.
HRESULT GetErrorInfo(DWORD reserved, IErrorInfo** info);
//! A new, empty error object to fill through ICreateErrorInfo.
HRESULT CreateErrorInfo(ICreateErrorInfo** info);

namespace comlite {
//! Fills and sets the thread's error object in one step.
HRESULT setErrorInfo(const std::string& description, const std::string& source,
                     const GUID& iid = GUID_NULL);
//! Reads and clears the thread's pending description and source (both empty when none).
bool takeErrorInfo(std::string& description, std::string& source);
}  // namespace comlite
