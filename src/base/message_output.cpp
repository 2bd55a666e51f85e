#include "base/message_output.h"

#include <cstdio>
#include <cstring>
#include <string_view>

#include "comlite/error_info.h"
#include "comlite/hresult.h"
#include "comlite/notice.h"
#include "comlite/platform.h"
#include "comlite/system_message.h"
#include "base/trace_file.h"

namespace Utils {

namespace {

//! Longest "\n(description: source)" fragment, in characters.
constexpr std::size_t kErrorInfoFragmentMax = 1999;

//! Appends to a fixed buffer without ever passing its last character (kept for the
//! terminator).
class BoundedText {
 public:
  BoundedText(char* buffer, std::size_t size) : m_buffer(buffer), m_size(size) {
    m_buffer[0] = '\0';
  }
  //! Returns false when `text` had to be cut.
  bool append(std::string_view text) {
    const std::size_t room = m_size - 1 - m_length;
    const std::size_t kept = text.size() < room ? text.size() : room;
    std::memcpy(m_buffer + m_length, text.data(), kept);
    m_length += kept;
    m_buffer[m_length] = '\0';
    return kept == text.size();
  }

 private:
  char* m_buffer;
  std::size_t m_size;
  std::size_t m_length = 0;
};

}  // namespace

void showMessage(const char* text, const char* title, UINT style, WindowHandle owner) {
  if (!owner) owner = ownerWindow();
  if (!owner || systemModal()) style |= kStyleSystemModal;
  try {
    comlite::notify(text ? text : "", title ? title : "", style);
  } catch (...) {
    // A notice that cannot be shown must not take its caller down.
  }
}

HRESULT normaliseStatus(HRESULT status) {
  return (status >= 2 && status <= 999) ? E_FAIL : status;
}

void composeMessage(char* buffer, HRESULT status, const char* text, const char* context) {
  if (!buffer) return;
  std::string description, source;
  comlite::takeErrorInfo(description, source);

  const char* separator = ": ";
  if (!context || !*context) {
    context = "";
    separator = "";
  }
  if (!text) text = "??";
  const char* errorWord = status < 0 ? " ERROR: " : "";

  BoundedText out(buffer, kMessageBufferSize);
  bool fitted = out.append(context);
  fitted = out.append(separator) && fitted;
  fitted = out.append(errorWord) && fitted;
  fitted = out.append(text) && fitted;
  if (!fitted)
    popUpStatus(E_FAIL, "A generated message is too long. Contact support.", nullptr, nullptr,
                true);

  if (!description.empty()) {
    std::string fragment = "\n(" + description + ": " + source + ")";
    if (fragment.size() > kErrorInfoFragmentMax) fragment.resize(kErrorInfoFragmentMax);
    out.append(fragment);
  }

  const bool comStatus = status < 2 || status > 999;
  if (comStatus && status < 0 && status != E_FAIL && status != 1) {
    const std::string system = comlite::systemMessage(status);
    if (!system.empty()) {
      out.append("\n");
      out.append(system);
    }
    char hex[16];
    std::snprintf(hex, sizeof hex, "(0x%X)", static_cast<unsigned>(status));
    out.append(hex);
  }
}

std::string composeMessage(HRESULT status, const char* text, const char* context) {
  char buffer[kMessageBufferSize];
  composeMessage(buffer, status, text, context);
  return buffer;
}

HRESULT popUpStatus(HRESULT status, const char* text, const char* context, WindowHandle owner,
                    bool alsoTrace) {
  status = normaliseStatus(status);
  char buffer[kMessageBufferSize];
  composeMessage(buffer, status, text, context);
  if (alsoTrace) traceLine(buffer, nullptr, false, "\n");
  showMessage(buffer, title().c_str(), kStylePlain, owner);
  return status;
}

HRESULT popUpStatus(const char* text, const char* context, WindowHandle owner, bool alsoTrace) {
  return popUpStatus(E_FAIL, text, context, owner, alsoTrace);
}

std::string getEnvironmentValue(const char* name) {
  if (!name) return {};
  auto value = comlite::environmentValue(name);
  if (!value) return {};
  if (value->size() >= kEnvironmentValueMax) {
    showMessage("Value of Environment Variable is too long", name, kStylePlain);
    return {};
  }
  return *value;
}

}  // namespace Utils
