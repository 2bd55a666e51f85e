#include "comlite/global_table.h"

#include <map>
#include <mutex>

namespace {

struct Entry {
  IUnknown* unk;
  IID iid;
};

//! Lives for the whole process; its reference count is not used to free it.
class GlobalTable final : public IGlobalInterfaceTable {
 public:
  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid == IUnknown::kIID || riid == IGlobalInterfaceTable::kIID) {
      *ppv = static_cast<IGlobalInterfaceTable*>(this);
      return S_OK;
    }
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return 2; }
  ULONG Release() override { return 1; }

  HRESULT RegisterInterfaceInGlobal(IUnknown* unk, REFIID riid, DWORD* cookie) override {
    if (!unk || !cookie) return E_INVALIDARG;
    *cookie = 0;
    void* p = nullptr;
    // Keep the interface that was asked for, as the caller will ask for it back.
    HRESULT hr = unk->QueryInterface(riid, &p);
    if (FAILED(hr)) return hr;
    std::lock_guard lock(m_mutex);
    do {
      if (++m_next == 0) m_next = 1;
    } while (m_entries.count(m_next));
    m_entries[m_next] = {static_cast<IUnknown*>(p), riid};
    *cookie = m_next;
    return S_OK;
  }

  HRESULT RevokeInterfaceFromGlobal(DWORD cookie) override {
    IUnknown* unk = nullptr;
    {
      std::lock_guard lock(m_mutex);
      auto it = m_entries.find(cookie);
      if (it == m_entries.end()) return E_INVALIDARG;
      unk = it->second.unk;
      m_entries.erase(it);
    }
    unk->Release();  // outside the lock: the release may re-enter the table
    return S_OK;
  }

  HRESULT GetInterfaceFromGlobal(DWORD cookie, REFIID riid, void** ppv) override {
    if (!ppv) return E_INVALIDARG;
    *ppv = nullptr;
    IUnknown* unk = nullptr;
    {
      std::lock_guard lock(m_mutex);
      auto it = m_entries.find(cookie);
      if (it == m_entries.end()) return E_INVALIDARG;
      unk = it->second.unk;
      unk->AddRef();
    }
    HRESULT hr = unk->QueryInterface(riid, ppv);
    unk->Release();
    return hr;
  }

 private:
  std::mutex m_mutex;
  std::map<DWORD, Entry> m_entries;
  DWORD m_next = 0;
};

}  // namespace

namespace comlite {
IGlobalInterfaceTable* globalInterfaceTable() {
  static GlobalTable* table = new GlobalTable;  // never freed: used until the process ends
  return table;
}
}  // namespace comlite
