#include "frame/global_interface_holder.h"

#include "base/message_output.h"
#include "comlite/creation.h"

namespace coravl::frame {

namespace {
constexpr const char* kUnexpected = "Unexpected error ";
}

GlobalInterfaceHolder::~GlobalInterfaceHolder() {
  HRESULT hr = revoke();
  if (FAILED(hr) && hr != E_FAIL) Utils::popUpStatus(hr, kUnexpected);
}

HRESULT GlobalInterfaceHolder::registerInterface(IUnknown* p) {
  // A live registration keeps its pointer and thread: only they can revoke it.
  if (m_cookie != 0) return Utils::popUpStatus(E_FAIL, kUnexpected);
  m_thread = std::this_thread::get_id();
  m_pointer = p;
  if (!p) return S_OK;
  IGlobalInterfaceTable* table = nullptr;
  HRESULT hr = CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER,
                                IGlobalInterfaceTable::kIID, reinterpret_cast<void**>(&table));
  if (FAILED(hr) || !table) {
    m_pointer = nullptr;
    return Utils::popUpStatus(FAILED(hr) ? hr : E_FAIL, kUnexpected);
  }
  hr = table->RegisterInterfaceInGlobal(p, m_iid, &m_cookie);
  if (FAILED(hr)) {
    table->Release();
    m_pointer = nullptr;
    m_cookie = 0;
    return Utils::popUpStatus(hr, kUnexpected);
  }
  m_table = table;
  if (m_handOver) p->Release();
  return S_OK;
}

HRESULT GlobalInterfaceHolder::revoke() {
  if (m_cookie == 0) return S_OK;
  if (std::this_thread::get_id() != m_thread)
    return Utils::popUpStatus(E_FAIL, "Unglobalizing pointer in different thread");
  HRESULT hr = m_table->RevokeInterfaceFromGlobal(m_cookie);
  if (FAILED(hr)) return hr;
  m_table->Release();
  m_table = nullptr;
  m_cookie = 0;
  m_pointer = nullptr;
  return S_OK;
}

}  // namespace coravl::frame
