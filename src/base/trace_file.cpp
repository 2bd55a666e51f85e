#include "base/trace_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <mutex>

#include "base/message_output.h"
#include "base/module_identity.h"
#include "base/set_get.h"
#include "comlite/platform.h"

namespace Utils {

namespace {

constexpr const char* kTraceSubfolder = "/SelvarTech/Selvar Quorel CAPE-OPEN";
constexpr const char* kProblemWriting = "problem writing trace file";
constexpr const char* kFallbackTitle = "Selvar Ravelin CAPE-OPEN 1.1 Information message";
//! Longest trace folder path, in characters.
constexpr std::size_t kDirectoryMax = 259;
//! Characters the header checks keep spare beyond date, time, module, context and message.
constexpr std::size_t kSlack = 10;
//! Significant digits of traced numbers.
constexpr int kTraceDigits = 10;

struct TraceState {
  std::string directory;
  bool directoryKnown = false;
  bool fallbackNoticePending = true;
  std::string lastPath;
};

// Recursive: a notice sink running inside the writer may still ask for the trace path.
std::recursive_mutex& traceMutex() {
  static std::recursive_mutex mutex;
  return mutex;
}

TraceState& state() {
  static TraceState s;
  return s;
}

//! Set while this thread is inside the writer.
thread_local bool t_busy = false;

bool isDirectory(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool exists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

//! Finds (and creates) the trace folder. False when it cannot be had.
//! No installer lays out the vendor folder on Linux, so every missing level is created, not
//! only the last one.
bool ensureDirectory(TraceState& s) {
  if (s.directoryKnown) return true;
  const std::string base = comlite::localAppDataFolder();
  if (base.empty()) return false;
  const std::string dir = base + kTraceSubfolder;
  if (dir.size() > kDirectoryMax) return false;
  if (!isDirectory(dir)) {
    if (exists(dir)) return false;
    for (std::size_t pos = dir.find('/', 1);; pos = dir.find('/', pos + 1)) {
      const std::string level = dir.substr(0, pos);
      if (!isDirectory(level) && ::mkdir(level.c_str(), 0777) != 0 &&
          !(errno == EEXIST && isDirectory(level)))
        return false;
      if (pos == std::string::npos) break;
    }
  }
  s.directory = dir;
  s.directoryKnown = true;
  return true;
}

//! Where the trace folder would be, for the fallback notice when it cannot be had.
std::string intendedDirectory() {
  const std::string base = comlite::localAppDataFolder();
  return (base.empty() ? std::string("$HOME/.local/share") : base) + kTraceSubfolder;
}

//! Opens the trace file, falling back to the temporary folder, also when the trace folder
//! cannot be had (no or a read-only home in a container). Null when neither opens.
std::FILE* openTraceFile(TraceState& s, std::string& path, bool haveFolder) {
  const std::string fileName = shortModuleName() + ".trc";
  path = (haveFolder ? s.directory : intendedDirectory()) + "/" + fileName;
  if (haveFolder)
    if (std::FILE* f = std::fopen(path.c_str(), "a+")) return f;

  std::string tempDir = getEnvironmentValue("TEMP");
  if (tempDir.empty()) tempDir = "/tmp";
  const std::string fallback = tempDir + "/" + fileName;
  if (s.fallbackNoticePending && !exists(fallback)) {
    s.fallbackNoticePending = false;
    const std::string notice = "Since trace file at installation directory (" + path +
                               ") could not be written, trace file will be written to '" + tempDir +
                               "'.";
    showMessage(notice.c_str(), kFallbackTitle, kStyleInformation);
  }
  path = fallback;
  return std::fopen(path.c_str(), "a+");
}

//! Builds the line into `line` (kTraceLineBufferSize). Returns whether nothing was cut.
bool buildLine(std::string& line, const std::string& message, const char* context, bool raw,
               const char* suffix) {
  constexpr std::size_t kMaxChars = kTraceLineBufferSize - 1;
  const std::string end = suffix ? suffix : "";
  bool whole = true;
  if (raw) {
    line = message;
  } else {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char date[16], time[16];
    std::strftime(date, sizeof date, "%m/%d/%y", &local);
    std::strftime(time, sizeof time, "%H:%M:%S", &local);
    const std::string module = shortModuleName();
    const std::string ctx = context ? context : "";
    whole = std::char_traits<char>::length(date) + std::char_traits<char>::length(time) +
                module.size() + ctx.size() + message.size() + kSlack <=
            kTraceLineBufferSize;
    line.reserve(kTraceLineBufferSize);
    // The message follows the context directly; tools that read trace files rely on it.
    line = std::string(date) + " " + time + ": " + module + ": " + ctx;
    line += message;
  }
  // Keep room for the suffix so that a cut line still ends where the caller wanted.
  const std::size_t room = kMaxChars - (end.size() < kMaxChars ? end.size() : kMaxChars);
  if (line.size() > room) {
    line.resize(room);
    whole = false;
  }
  const std::size_t suffixRoom = kMaxChars - line.size();
  if (end.size() > suffixRoom) whole = false;
  line.append(end, 0, suffixRoom);
  return whole;
}

bool writeLine(const std::string& message, const char* context, bool raw, const char* suffix) {
  TraceState& s = state();
  const bool haveFolder = ensureDirectory(s);
  std::string path;
  std::FILE* file = nullptr;
  try {
    file = openTraceFile(s, path, haveFolder);
    if (!file) {
      showMessage("Could not open trace file", "", kStylePlain);
      return false;
    }
    std::string line;
    const bool whole = buildLine(line, message, context, raw, suffix);
    const bool written = std::fwrite(line.data(), 1, line.size(), file) == line.size();
    const bool closed = std::fclose(file) == 0;
    file = nullptr;
    if (!written || !closed) {
      showMessage(kProblemWriting, "", kStylePlain);
      return false;
    }
    s.lastPath = path;
    return whole;
  } catch (...) {
    if (file) std::fclose(file);
    showMessage(kProblemWriting, "", kStylePlain);
    return false;
  }
}

}  // namespace

bool traceLine(std::string message, const char* context, bool raw, const char* suffix) {
  if (t_busy) return false;
  t_busy = true;
  bool result = false;
  try {
    std::lock_guard lock(traceMutex());
    result = writeLine(message, context, raw, suffix);
  } catch (...) {
    result = false;
  }
  t_busy = false;
  return result;
}

bool traceLine(const char* message, const char* context, bool raw, const char* suffix) {
  return traceLine(std::string(message ? message : ""), context, raw, suffix);
}

bool traceNumber(double value, const char* context, const char* suffix) {
  return traceLine(SetGet::valueToStr(value, kTraceDigits), context, false, suffix);
}

bool traceArray(const void* values, VARTYPE vt, LONG count, const char* prefix, const char* context,
                const char* suffix) {
  return traceLine(SetGet::arrayToStr(values, vt, count, prefix, kTraceDigits), context, false,
                   suffix);
}

HRESULT traceStatus(HRESULT status, const char* text, const char* context) {
  status = normaliseStatus(status);
  traceLine(composeMessage(status, text, context), nullptr, false, "\n");
  return status;
}

std::string traceDirectory() {
  std::lock_guard lock(traceMutex());
  return state().directoryKnown ? state().directory : std::string();
}

std::string traceFilePath() {
  std::lock_guard lock(traceMutex());
  return state().lastPath;
}

void resetTraceStateForTests() {
  std::lock_guard lock(traceMutex());
  state() = TraceState{};
}

}  // namespace Utils
