#pragma once
//! The one exception of the ideal model: where ("Class::method"), what kind, and the offending
//! values. The package's COM boundary maps the kind to its CAPE-OPEN error.

#include <stdexcept>
#include <string>

namespace ideal {

enum class ErrorKind {
  InvalidArgument,  //!< unknown identifier (compound, property, phase)
  BadArgument,      //!< wrong size or a value that cannot be used (negative, not finite)
  DataError,        //!< missing or malformed data file
  SolvingError,     //!< an iteration without solution
  NotAvailable,     //!< a property that cannot be evaluated at the given state
};

class ModelError : public std::runtime_error {
 public:
  ModelError(ErrorKind kind, std::string scope, const std::string& message)
      : std::runtime_error(message), m_kind(kind), m_scope(std::move(scope)) {}
  ErrorKind kind() const { return m_kind; }
  const std::string& scope() const { return m_scope; }

 private:
  ErrorKind m_kind;
  std::string m_scope;
};

}  // namespace ideal
