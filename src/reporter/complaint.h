#pragma once
//! Complaint kinds, report levels and routing flags shared by the error reporters.
//!
//! A complaint's kind chooses the prefix of its message and the status complainByKind gives it;
//! its level chooses the channels (pop-up, trace, log) that may receive it.

#include <cstdint>

//! The kinds of complaint, 0 to 10. A value outside that range is accepted by the reporter and
//! behaves as a kind without prefix.
enum class ComplaintKind : std::int32_t {
  Plain = 0,
  InternalError = 1,
  NotAllowed = 2,
  Notice = 3,
  Warning = 4,
  PackageUnfeasibleValues = 5,
  PackageException = 6,
  PackageNonStandard = 7,
  PackageNonStandardTolerated = 8,
  SystemError = 9,
  SimulatorUnfeasibleValues = 10,
};

//! Report levels: 1 reaches every channel; 2 and above are routed by the critical-error flags;
//! 4 and above also call the severe-level hook.
namespace reportLevel {
constexpr int kAll = 1;
constexpr int kCalculation = 2;
constexpr int kSevere = 4;
}  // namespace reportLevel

//! The user's six routing flags, in their stored order. Only the critical-error flags take part
//! in routing; the recoverable-error flags are kept, persisted and shown.
struct RoutingFlags {
  bool traceRecovErrors = true;
  bool logRecovErrors = false;
  bool popUpRecovErrors = false;
  bool traceCritErrors = true;
  bool logCritErrors = true;
  bool popUpCritErrors = true;

  //! Whether each channel is open for `level`: level 1 (and below) opens all of them.
  bool traceOpen(int level) const { return level < reportLevel::kCalculation || traceCritErrors; }
  bool popUpOpen(int level) const { return level < reportLevel::kCalculation || popUpCritErrors; }
  bool logOpen(int level) const { return level < reportLevel::kCalculation || logCritErrors; }
  bool anyOpen(int level) const { return traceOpen(level) || popUpOpen(level) || logOpen(level); }
};
