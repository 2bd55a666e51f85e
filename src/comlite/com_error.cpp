#include "comlite/com_error.h"

#include <cstdio>

#include "comlite/error_info.h"

namespace comlite {

namespace {
std::string describe(HRESULT hr, const std::string& description) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "0x%08X", static_cast<unsigned>(hr));
  return description.empty() ? std::string("COM error ") + buf
                             : std::string("COM error ") + buf + ": " + description;
}
}  // namespace

ComError::ComError(HRESULT hr, const IID& iid) : m_hr(hr), m_iid(iid) {
  takeErrorInfo(m_description, m_source);
  m_what = describe(hr, m_description);
}

ComError::ComError(HRESULT hr, const IID& iid, std::string description, std::string source)
    : m_hr(hr), m_iid(iid), m_description(std::move(description)), m_source(std::move(source)) {
  m_what = describe(hr, m_description);
}

}  // namespace comlite
