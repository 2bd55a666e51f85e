#pragma once
//! Messages for the user: composition of one paragraph from a status, a text and a context,
//! the blocking notice that stands in for a message box, and the generic error box.
//!
//! Notices go to comlite::notify, so a host (or a test) decides how they are shown. Nothing
//! here throws to its caller.

#include <cstddef>
#include <string>

#include "comlite/types.h"
#include "base/module_identity.h"

namespace Utils {

//! Size of a composed message buffer, terminator included: at most 2399 characters of text.
constexpr std::size_t kMessageBufferSize = 2400;
//! Size of the buffer an environment value is read into, terminator included.
constexpr std::size_t kEnvironmentValueMax = 260;
//! Message-box styles the component passes.
constexpr UINT kStylePlain = 0x0;
constexpr UINT kStyleInformation = 0x40;
constexpr UINT kStyleSystemModal = 0x1000;

//! Shows a blocking notice. The owner is `owner`, else the stored owner window; without an
//! owner, or when system-modal is forced, the style gains kStyleSystemModal. Null texts read
//! as empty.
void showMessage(const char* text, const char* title, UINT style, WindowHandle owner = nullptr);

//! Fills `buffer` (kMessageBufferSize characters) with "<context>: ERROR: <text>", followed by
//! the calling thread's pending error information "\n(<description>: <source>)" (which is
//! consumed) and, for failure statuses other than E_FAIL, "\n<system text>" and "(0x%X)".
//! A null or empty context drops the context and its separator; a null text reads "??"; the
//! error word appears only for negative statuses. A text that does not fit is cut and also
//! reported as "A generated message is too long. Contact support.". Nothing is written when
//! `buffer` is null.
void composeMessage(char* buffer, HRESULT status, const char* text, const char* context);
//! The same, returned as a string (at most 2399 characters).
std::string composeMessage(HRESULT status, const char* text, const char* context);

//! Statuses 2 to 999 are internal codes, not COM statuses: they become E_FAIL. Every other
//! value is returned unchanged.
HRESULT normaliseStatus(HRESULT status);

//! The generic error box: normalises `status`, composes the message, traces it (suffix "\n")
//! when `alsoTrace` is set, shows it with the stored title and style 0, and returns the
//! normalised status.
HRESULT popUpStatus(HRESULT status, const char* text, const char* context = nullptr,
                    WindowHandle owner = nullptr, bool alsoTrace = true);
//! The same with E_FAIL.
HRESULT popUpStatus(const char* text, const char* context = nullptr, WindowHandle owner = nullptr,
                    bool alsoTrace = true);

//! The value of an environment variable; "" when it is not set. A value of 260 characters or
//! more does not fit: it is reported ("Value of Environment Variable is too long", titled with
//! the variable's name) and "" is returned.
std::string getEnvironmentValue(const char* name);

}  // namespace Utils
