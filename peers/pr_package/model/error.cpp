#include "pr_package/model/error.h"

#include <utility>

namespace pr {

std::string_view to_string(ErrorKind kind) {
  switch (kind) {
    case ErrorKind::InvalidArgument:
      return "InvalidArgument";
    case ErrorKind::BadArgument:
      return "BadArgument";
    case ErrorKind::NotImplemented:
      return "NotImplemented";
    case ErrorKind::BadInvOrder:
      return "BadInvOrder";
    case ErrorKind::SolvingError:
      return "SolvingError";
    case ErrorKind::OutOfBounds:
      return "OutOfBounds";
    case ErrorKind::DataError:
      return "DataError";
  }
  return "Unknown";
}

Error::Error(ErrorKind kind, std::string procedure, std::string message)
    : std::runtime_error(procedure + ": " + message),
      m_kind(kind),
      m_procedure(std::move(procedure)),
      m_message(std::move(message)) {}

}  // namespace pr
