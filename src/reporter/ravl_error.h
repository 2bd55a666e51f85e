#pragma once
//! CCORavlError: the error reporter of the package component. Besides the channels of CCOError
//! it gives pop-ups and traces to the host's error log while a host call that supplied one is
//! running, falling back to the message box and trace file when there is none or it refuses.

#include "comlite/com_ptr.h"
#include "comlite/dispatch.h"
#include "reporter/co_error.h"

struct IRvlErrorLog;

class CCORavlError : public CCOError {
 public:
  explicit CCORavlError(double floorValue);
  ~CCORavlError() override;

  //! Gives `text` to the host's error log (status 0, level 0); when there is none or it
  //! refuses, traces it as CCOError does. RETURNS: 0 when the log took it, else 1.
  HRESULT traceMessage(const char* text, int level) override;
  //! Does nothing. RETURNS: 0.
  HRESULT severeLevelHook(int code) override;
  //! Shows `text` as a failure at level 1, whatever `level`. RETURNS: E_FAIL.
  HRESULT popUpMessage(const char* text, const char* context, int level) override;
  //! Without a host error log: the message box (traced), whatever the level. With one: level 1
  //! texts are traced first; when the pop-up channel is open the log receives
  //! "CAPE-OPEN P. Package '<label>' error: <<text>>" (or "message: <<" for a status that is
  //! neither negative nor 100), and a refusal falls back to the message box. RETURNS: 0, or the
  //! status of the "Internal error" box when something failed.
  HRESULT popUpError(HRESULT status, const char* text, const char* context, int level) override;

  //! Holds the error log and progress monitor of the running host call (references are held
  //! until they are replaced). Host calls set them through CallContextScope, which clears them
  //! when the call returns.
  void setCallContext(IDispatch* errorLog, IDispatch* progressMonitor);
  IDispatch* errorLog() const { return m_errorLog.get(); }
  IDispatch* progressMonitor() const { return m_progressMonitor.get(); }

 private:
  //! The host's error-log interface of the current error log; empty when there is none or it
  //! has no such interface. Any other failure of the query raises comlite::ComError.
  comlite::ComPtr<IRvlErrorLog> queryErrorLog() const;
  HRESULT internalError() const;

  comlite::ComPtr<IDispatch> m_errorLog;
  comlite::ComPtr<IDispatch> m_progressMonitor;
};

//! Gives a host call's error log and progress monitor to the reporter for the scope of the call
//! and puts back what was there before when the call returns, so that no error log is used
//! after the call that supplied it.
class CallContextScope {
 public:
  CallContextScope(CCORavlError& reporter, IDispatch* errorLog, IDispatch* progressMonitor);
  ~CallContextScope();
  CallContextScope(const CallContextScope&) = delete;
  CallContextScope& operator=(const CallContextScope&) = delete;

 private:
  CCORavlError& m_reporter;
  comlite::ComPtr<IDispatch> m_previousLog;
  comlite::ComPtr<IDispatch> m_previousMonitor;
};
