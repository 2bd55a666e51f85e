#include "reporter/method_guard.h"

#include "comlite/error_info.h"

#include <exception>
#include <string>

#include "base/thcom_error.h"
#include "comlite/com_error.h"
#include "comlite/hresult.h"
#include "reporter/co_error.h"

HRESULT MethodGuard::complainCurrentException(const char* context) noexcept {
  try {
    const std::string phrase = context ? context : "";
    HRESULT status = E_FAIL;
    std::string text;
    try {
      throw;
    } catch (CTHCOMError* e) {
      CTHCOMError::adopt(e);
      text = "Ravelin Exception" + phrase;
    } catch (const comlite::ComError& e) {
      status = e.status();
      text = phrase + "(_com_error)";
      // The package's own reason, taken from the thread when the error was raised, in the
      // form composed messages give pending error information.
      if (!e.description().empty()) text += "\n(" + e.description() + ": " + e.source() + ")";
    } catch (const std::exception& e) {
      // A package's C++ exception reaching us still says what went wrong.
      text = phrase + " exception: " + e.what();
    } catch (...) {
      text = phrase + " exception";
    }
    const HRESULT answer =
        m_reporter.complain(status, text.c_str(), ComplaintKind::InternalError, false);
    // Something was thrown: a COM error carrying a success code must not pass as success.
    return FAILED(answer) ? answer : E_FAIL;
  } catch (...) {
    return E_FAIL;
  }
}

void MethodGuard::clearPendingErrorInfo() noexcept {
  SetErrorInfo(0, nullptr);
}
