#include "comlite/notice.h"

#include <cstdio>
#include <mutex>

namespace comlite {

namespace {
std::mutex g_mutex;
NoticeSink g_sink;

void defaultSink(const std::string& text, const std::string& title, UINT) {
  std::fprintf(stderr, "%s%s%s\n", title.c_str(), title.empty() ? "" : ": ", text.c_str());
}
}  // namespace

NoticeSink setNoticeSink(NoticeSink sink) {
  std::lock_guard lock(g_mutex);
  NoticeSink old = std::move(g_sink);
  g_sink = std::move(sink);
  return old;
}

void notify(const std::string& text, const std::string& title, UINT style) {
  NoticeSink sink;
  {
    std::lock_guard lock(g_mutex);
    sink = g_sink;
  }
  // Called outside the lock: a sink may itself show a notice.
  if (sink)
    sink(text, title, style);
  else
    defaultSink(text, title, style);
}

}  // namespace comlite
