#pragma once
//! Builder handle of the host's error log.

#include <optional>
#include <string>
#include <vector>

#include "comlite/com_ptr.h"
#include "outside/ravelin_error_log.h"
#include "ravelin/api.h"

namespace ravelin {

struct LogEntry {
  HRESULT status = 0;
  std::string message;  //!< UTF-8
  LONG level = 0;
  bool show = false;
};

class RAVELIN_API ErrorLog {
 public:
  static ErrorLog create();
  static std::optional<ErrorLog> from(IUnknown* object);

  std::vector<LogEntry> entries() const;
  //! A closed log refuses messages (AddMessage fails), as a host whose window is gone does.
  void setAccepting(bool accepting);
  //! Messages refused while closed.
  std::size_t refusedCount() const;
  void clear();
  IDispatch* dispatch() const;

 private:
  explicit ErrorLog(comlite::ComPtr<IRvlErrorLog> object);
  comlite::ComPtr<IRvlErrorLog> m_object;
};

}  // namespace ravelin
