#pragma once
//! GlobalInterfaceHolder: one CAPE-OPEN reference kept across calls, registered in the
//! process's global interface table on the thread that obtained it.
//!
//! All calls go through the raw pointer on the registering thread; the table's registration
//! keeps the object alive. Revocation must happen on the registering thread: elsewhere it is
//! refused with "Unglobalizing pointer in different thread".

#include <thread>

#include "comlite/global_table.h"

namespace coravl::frame {

class GlobalInterfaceHolder {
 public:
  explicit GlobalInterfaceHolder(const IID& iid) : m_iid(iid) {}
  //! Revokes (reporting a failure, never throwing).
  ~GlobalInterfaceHolder();
  GlobalInterfaceHolder(const GlobalInterfaceHolder&) = delete;
  GlobalInterfaceHolder& operator=(const GlobalInterfaceHolder&) = delete;

  //! Registers `p` (an interface of the holder's type). A null pointer registers nothing and
  //! gives S_OK. With the hand-over flag set (the default) the caller's reference passes to
  //! the registration: the holder releases the reference it was given after registering.
  //! A holder with a live registration refuses (E_FAIL, reported) and keeps it unchanged.
  //! Every failure is reported here, once.
  HRESULT registerInterface(IUnknown* p);
  //! Revokes the registration; nothing happens without one. RETURNS: E_FAIL (reported) on
  //! another thread than the registering one.
  HRESULT revoke();

  //! The raw pointer, for calls on the registering thread; nullptr when empty.
  IUnknown* get() const { return m_pointer; }
  template <class T>
  T* as() const {
    return static_cast<T*>(m_pointer);
  }
  DWORD cookie() const { return m_cookie; }
  bool empty() const { return m_cookie == 0; }
  void setHandOver(bool handOver) { m_handOver = handOver; }

 private:
  IID m_iid;
  std::thread::id m_thread{};
  DWORD m_cookie = 0;
  IGlobalInterfaceTable* m_table = nullptr;
  bool m_handOver = true;
  IUnknown* m_pointer = nullptr;
};

}  // namespace coravl::frame
