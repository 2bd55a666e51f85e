#pragma once
//! The host's error log: keeps every message it takes, in order; a closed log refuses them.

#include <cstddef>
#include <string>
#include <vector>

#include "comlite/object.h"
#include "outside/ravelin_error_log.h"

namespace ravelin::detail {

class ErrorLogObject final : public comlite::ComObject<ErrorLogObject, IRvlErrorLog> {
 public:
  using Primary = IRvlErrorLog;
  static constexpr IID kOwnIID = comlite::makeGuid("F2D34F08-6133-4897-97D6-9F31EB0BE68D");

  struct Entry {
    HRESULT status = 0;
    std::string message;  //!< UTF-8
    LONG level = 0;
    bool show = false;
  };

  HRESULT AddMessage(LONG status, BSTR message, LONG level, VARIANT_BOOL show) override;
  HRESULT get_Count(LONG* count) override;
  HRESULT GetMessage(LONG index, LONG* status, BSTR* message, LONG* level) override;
  HRESULT Clear() override;

  void* queryExtra(REFIID riid) { return riid == kOwnIID ? static_cast<Primary*>(this) : nullptr; }

  const std::vector<Entry>& entries() const { return m_entries; }
  void setAccepting(bool accepting) { m_accepting = accepting; }
  std::size_t refused() const { return m_refused; }
  void clear() { m_entries.clear(); }

 private:
  std::vector<Entry> m_entries;
  bool m_accepting = true;
  std::size_t m_refused = 0;
};

}  // namespace ravelin::detail
