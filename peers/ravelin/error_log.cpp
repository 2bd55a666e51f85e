#include "ravelin/error_log.h"

#include <new>

#include "ravelin/objects/error_log_object.h"
#include "ravelin/objects/own_object.h"

namespace ravelin {

using detail::ErrorLogObject;

ErrorLog::ErrorLog(comlite::ComPtr<IRvlErrorLog> object) : m_object(std::move(object)) {}

ErrorLog ErrorLog::create() {
  auto object = comlite::ComPtr<IRvlErrorLog>::attach(comlite::makeObject<ErrorLogObject>());
  if (!object) throw std::bad_alloc();
  return ErrorLog(std::move(object));
}

std::optional<ErrorLog> ErrorLog::from(IUnknown* object) {
  auto own = detail::ownObject<ErrorLogObject>(object);
  if (!own) return std::nullopt;
  return ErrorLog(std::move(own));
}

std::vector<LogEntry> ErrorLog::entries() const {
  std::vector<LogEntry> out;
  for (const auto& e : detail::objectOf<ErrorLogObject>(m_object)->entries())
    out.push_back({e.status, e.message, e.level, e.show});
  return out;
}

void ErrorLog::setAccepting(bool accepting) {
  detail::objectOf<ErrorLogObject>(m_object)->setAccepting(accepting);
}

std::size_t ErrorLog::refusedCount() const {
  return detail::objectOf<ErrorLogObject>(m_object)->refused();
}

void ErrorLog::clear() {
  detail::objectOf<ErrorLogObject>(m_object)->clear();
}

IDispatch* ErrorLog::dispatch() const {
  return m_object.get();
}

}  // namespace ravelin
