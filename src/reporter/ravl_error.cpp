#include "reporter/ravl_error.h"

#include <string>

#include "comlite/bstr.h"
#include "comlite/com_error.h"
#include "comlite/hresult.h"
#include "base/message_output.h"
#include "base/thcom_error.h"
#include "base/trace_file.h"
#include "outside/ravelin_error_log.h"

CCORavlError::CCORavlError(double floorValue) : CCOError(floorValue) {}

CCORavlError::~CCORavlError() = default;

HRESULT CCORavlError::severeLevelHook(int code) {
  return S_OK;
}

void CCORavlError::setCallContext(IDispatch* errorLog, IDispatch* progressMonitor) {
  if (m_errorLog.get() != errorLog) m_errorLog = comlite::ComPtr<IDispatch>(errorLog);
  if (m_progressMonitor.get() != progressMonitor)
    m_progressMonitor = comlite::ComPtr<IDispatch>(progressMonitor);
}

comlite::ComPtr<IRvlErrorLog> CCORavlError::queryErrorLog() const {
  if (!m_errorLog) return {};
  HRESULT hr = S_OK;
  auto log = m_errorLog.as<IRvlErrorLog>(&hr);
  if (hr == E_NOINTERFACE) return {};
  if (FAILED(hr)) throw comlite::ComError(hr, IRvlErrorLog::kIID);
  return log;
}

HRESULT CCORavlError::internalError() const {
  return Utils::popUpStatus(E_FAIL, "Internal error", "CCORavlError::popUpError", nullptr, true);
}

HRESULT CCORavlError::traceMessage(const char* text, int level) {
  try {
    if (auto log = queryErrorLog()) {
      const comlite::Bstr message(text);
      if (log->AddMessage(S_OK, message.get(), 0, VARIANT_TRUE) == S_OK) return S_OK;
    }
    return CCOError::traceMessage(text, level);
  } catch (CTHCOMError* e) {
    CTHCOMError::adopt(e);
    return internalError();
  } catch (...) {
    return internalError();
  }
}

HRESULT CCORavlError::popUpMessage(const char* text, const char* context, int level) {
  popUpError(E_FAIL, text, context, reportLevel::kAll);
  return E_FAIL;
}

HRESULT CCORavlError::popUpError(HRESULT status, const char* text, const char* context, int level) {
  try {
    auto log = queryErrorLog();
    if (!log) {
      Utils::popUpStatus(status, text, context, nullptr, true);
      return S_OK;
    }
    if (level == reportLevel::kAll) Utils::traceLine(text ? text : "", nullptr, false, "\n");
    if (!routingFlags().popUpOpen(level)) return S_OK;

    const char* tag = (status < 0 || status == 100) ? "error: <<" : "message: <<";
    std::string composed = "CAPE-OPEN P. Package '";
    composed.append(packageLabel()).append("' ").append(tag).append(text ? text : "");
    composed.append(">>");
    const comlite::Bstr message(composed);
    if (log->AddMessage(status, message.get(), -1, VARIANT_TRUE) != S_OK)
      Utils::popUpStatus(status, text, context, nullptr, true);
    return S_OK;
  } catch (CTHCOMError* e) {
    CTHCOMError::adopt(e);
    return internalError();
  } catch (...) {
    return internalError();
  }
}

CallContextScope::CallContextScope(CCORavlError& reporter, IDispatch* errorLog,
                                   IDispatch* progressMonitor)
    : m_reporter(reporter),
      m_previousLog(reporter.errorLog()),
      m_previousMonitor(reporter.progressMonitor()) {
  m_reporter.setCallContext(errorLog, progressMonitor);
}

CallContextScope::~CallContextScope() {
  m_reporter.setCallContext(m_previousLog.get(), m_previousMonitor.get());
}
