#pragma once

#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>

namespace pr {

//! What went wrong, in the terms a CAPE-OPEN wrapper maps to its error interfaces.
enum class ErrorKind {
  InvalidArgument,  //!< Unknown identifier (property, phase, basis, compound, equilibrium
                    //!< condition).
  BadArgument,      //!< Argument of the wrong size or a non-finite value.
  NotImplemented,   //!< A known identifier the package does not calculate.
  BadInvOrder,      //!< Called before the state it needs was set.
  SolvingError,     //!< An iteration did not converge or has no solution.
  OutOfBounds,      //!< A value outside the range of the model.
  DataError,        //!< Missing or malformed compound data file.
};

//! Name of the kind, e.g. "SolvingError".
std::string_view to_string(ErrorKind kind);

//! The one exception of the package: where it was raised ("Class::method") and what was wrong.
class Error : public std::runtime_error {
 public:
  Error(ErrorKind kind, std::string procedure, std::string message);

  ErrorKind kind() const { return m_kind; }
  const std::string& procedure() const { return m_procedure; }
  const std::string& message() const { return m_message; }

 private:
  ErrorKind m_kind;
  std::string m_procedure;
  std::string m_message;
};

//! Concatenates values into a message; doubles keep 10 significant digits.
template <class... Args>
std::string cat(const Args&... args) {
  std::ostringstream out;
  out.precision(10);
  (out << ... << args);
  return out.str();
}

}  // namespace pr
