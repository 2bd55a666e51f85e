#pragma once
//! The host's error log, handed to a package with each call so that its messages reach the
//! simulator's message window.

#include "comlite/dispatch.h"

struct IRvlErrorLog : IDispatch {
  static constexpr IID kIID = comlite::makeGuid("B77169F2-5271-47ED-9DD3-6CAA4A84726B");
  //! Adds one message. `level` -1 marks an error the user should see, 0 and above a trace
  //! line; `show` asks the host to bring the message window forward. A null message is empty.
  //! RETURNS: S_OK when the log took the message; E_FAIL when the log is closed (the caller
  //! should use its own channels).
  /*  7 */ virtual HRESULT AddMessage(/*[in]*/ LONG status, /*[in]*/ BSTR message,
                                      /*[in]*/ LONG level, /*[in]*/ VARIANT_BOOL show) = 0;
  /*  8 */ virtual HRESULT get_Count(/*[out]*/ LONG* count) = 0;
  //! The index-th message; `message` is a new string the caller frees. RETURNS:
  //! DISP_E_BADINDEX.
  /*  9 */ virtual HRESULT GetMessage(/*[in]*/ LONG index, /*[out]*/ LONG* status,
                                      /*[out]*/ BSTR* message, /*[out]*/ LONG* level) = 0;
  /* 10 */ virtual HRESULT Clear() = 0;
};
