#include "capeside/support/cape_error.h"

#include "outside/capeopen_errors.h"

namespace capeside {

std::string ErrorRecord::name() const {
  const capeopen::ErrorKind* kind = capeopen::errorKindOf(code);
  return kind ? kind->name : "ECapeUnknown";
}

std::string ErrorRecord::text() const {
  std::string out = name() + ": " + description;
  if (!scope.empty()) out += " (" + scope + ")";
  return out;
}

CapeError::CapeError(HRESULT code, std::string scope, std::string description)
    : std::runtime_error(scope + ": " + description) {
  m_record.code = code;
  m_record.scope = std::move(scope);
  m_record.description = std::move(description);
}

CapeError::CapeError(ErrorRecord record, bool forwarded)
    : std::runtime_error(record.scope + ": " + record.description),
      m_record(std::move(record)),
      m_forwarded(forwarded) {}

CapeError& CapeError::at(SHORT position) {
  m_record.position = position;
  return *this;
}

CapeError& CapeError::requested(std::string operation) {
  m_record.requestedOperation = std::move(operation);
  return *this;
}

CapeError& CapeError::item(std::string name) {
  m_record.itemName = std::move(name);
  return *this;
}

}  // namespace capeside
