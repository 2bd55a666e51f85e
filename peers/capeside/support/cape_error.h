#pragma once
//! The one exception of our CAPE-OPEN components, and the error record it carries.
//!
//! Inside a component, failures travel as CapeError; the component's COM boundary (see
//! cape_object.h) stores the record on the object, sets it as the thread's error information
//! and returns its code, so a caller can read it through ECapeUser / ECapeRoot / the specific
//! ECape interface or through IErrorInfo.

#include <sstream>
#include <stdexcept>
#include <string>

#include "comlite/hresult.h"

namespace capeside {

//! Everything the ECape interfaces report about one error.
struct ErrorRecord {
  HRESULT code = S_OK;
  std::string description;    //!< what was wrong, with the offending values
  std::string scope;          //!< where: "Class::method"
  std::string interfaceName;  //!< the interface called, e.g. "ICapeThermoCompounds"
  std::string operation;      //!< the method called, e.g. "GetCompoundConstant"
  std::string moreInfo;
  SHORT position = 0;              //!< ECapeBadArgument: 1-based argument position, 0 unknown
  std::string requestedOperation;  //!< ECapeBadInvOrder: what should have come first
  std::string itemName;            //!< ECapePersistenceNotFound
  std::string parameterName;       //!< ECapeBadCOParameter
  double lowerBound = 0, upperBound = 0, value = 0;  //!< ECapeOutOfBounds (ECapeBoundaries)
  std::string boundType;

  //! The ECape interface name that goes with the code ("ECapeUnknown" for other statuses).
  std::string name() const;
  //! One line for people: "<name>: <description> (<scope>)".
  std::string text() const;
};

class CapeError : public std::runtime_error {
 public:
  //! `code` is one of the ECape...HR statuses; `scope` is "Class::method".
  CapeError(HRESULT code, std::string scope, std::string description);
  //! An error raised elsewhere (another component) and passed on unchanged.
  explicit CapeError(ErrorRecord record, bool forwarded = true);

  //! ECapeBadArgument: sets the 1-based position of the argument.
  CapeError& at(SHORT position);
  //! ECapeBadInvOrder: the operation that must come first.
  CapeError& requested(std::string operation);
  //! ECapePersistenceNotFound: the missing item.
  CapeError& item(std::string name);

  const ErrorRecord& record() const { return m_record; }
  ErrorRecord& record() { return m_record; }
  HRESULT code() const { return m_record.code; }
  //! Whether the record came from another component (its interface and operation are kept).
  bool forwarded() const { return m_forwarded; }

 private:
  ErrorRecord m_record;
  bool m_forwarded = false;
};

//! Concatenates values into a message; doubles keep 10 significant digits.
template <class... Args>
std::string cat(const Args&... args) {
  std::ostringstream out;
  out.precision(10);
  (out << ... << args);
  return out.str();
}

}  // namespace capeside
