#include "comlite/error_info.h"

#include "comlite/com_ptr.h"
#include "comlite/object.h"

namespace {

class ErrorObject : public comlite::ComObject<ErrorObject, IErrorInfo, ICreateErrorInfo> {
 public:
  HRESULT GetGUID(GUID* guid) override {
    if (!guid) return E_INVALIDARG;
    *guid = m_guid;
    return S_OK;
  }
  HRESULT GetSource(BSTR* s) override { return give(m_source, s); }
  HRESULT GetDescription(BSTR* s) override { return give(m_description, s); }
  HRESULT GetHelpFile(BSTR* s) override { return give(m_helpFile, s); }
  HRESULT GetHelpContext(DWORD* c) override {
    if (!c) return E_INVALIDARG;
    *c = m_helpContext;
    return S_OK;
  }
  HRESULT SetGUID(REFGUID guid) override {
    m_guid = guid;
    return S_OK;
  }
  HRESULT SetSource(LPOLESTR s) override { return take(m_source, s); }
  HRESULT SetDescription(LPOLESTR s) override { return take(m_description, s); }
  HRESULT SetHelpFile(LPOLESTR s) override { return take(m_helpFile, s); }
  HRESULT SetHelpContext(DWORD c) override {
    m_helpContext = c;
    return S_OK;
  }

 private:
  static HRESULT give(const std::u16string& v, BSTR* out) {
    if (!out) return E_INVALIDARG;
    *out = comlite::bstrFromUtf16(v);
    return *out ? S_OK : E_OUTOFMEMORY;
  }
  static HRESULT take(std::u16string& v, LPOLESTR s) {
    v = s ? std::u16string(s) : std::u16string();
    return S_OK;
  }
  GUID m_guid = GUID_NULL;
  std::u16string m_source, m_description, m_helpFile;
  DWORD m_helpContext = 0;
};

//! The thread's pending error object; released when the thread ends.
thread_local comlite::ComPtr<IErrorInfo> t_errorInfo;

}  // namespace

HRESULT SetErrorInfo(DWORD, IErrorInfo* info) {
  t_errorInfo = comlite::ComPtr<IErrorInfo>(info);
  return S_OK;
}

HRESULT GetErrorInfo(DWORD, IErrorInfo** info) {
  if (!info) return E_INVALIDARG;
  *info = t_errorInfo.detach();
  return *info ? S_OK : S_FALSE;
}

HRESULT CreateErrorInfo(ICreateErrorInfo** info) {
  if (!info) return E_INVALIDARG;
  *info = comlite::makeObject<ErrorObject>();
  return *info ? S_OK : E_OUTOFMEMORY;
}

namespace comlite {

HRESULT setErrorInfo(const std::string& description, const std::string& source, const GUID& iid) {
  ComPtr<ICreateErrorInfo> create;
  HRESULT hr = CreateErrorInfo(create.put());
  if (FAILED(hr)) return hr;
  std::u16string d = utf8ToUtf16(description), s = utf8ToUtf16(source);
  create->SetDescription(d.data());
  create->SetSource(s.data());
  create->SetGUID(iid);
  auto info = create.as<IErrorInfo>();
  return SetErrorInfo(0, info.get());
}

bool takeErrorInfo(std::string& description, std::string& source) {
  description.clear();
  source.clear();
  IErrorInfo* raw = nullptr;
  if (GetErrorInfo(0, &raw) != S_OK || !raw) return false;
  auto info = ComPtr<IErrorInfo>::attach(raw);
  Bstr d, s;
  info->GetDescription(d.out());
  info->GetSource(s.out());
  description = d.utf8();
  source = s.utf8();
  return true;
}

}  // namespace comlite
