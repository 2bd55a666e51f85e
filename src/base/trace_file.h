#pragma once
//! The append-only trace file.
//!
//! Location: "<local application data>/SelvarTech/Selvar Quorel CAPE-OPEN/<short module
//! name>.trc", where the local application data folder is $XDG_DATA_HOME (else
//! ~/.local/share). Missing folder levels are created. When the folder cannot be had (no or
//! a read-only home) or the file cannot be opened, the line goes to the file of the same name
//! in $TEMP (else /tmp), and the user is told once per process. The file is opened and closed
//! for every line, so no handle stays open.
//!
//! A line is "mm/dd/yy hh:mm:ss: <module>: <context><message><suffix>", at most 2399
//! characters. Writers are serialised; a trace requested while the same thread is already
//! writing one (from a notice raised inside the writer) is dropped.

#include <string>

#include "comlite/types.h"

namespace Utils {

//! Size of one trace line buffer, terminator included.
constexpr std::size_t kTraceLineBufferSize = 2400;

//! Appends one line to the trace file. Raw mode writes the message alone; normal mode puts the
//! date, time, short module name and `context` (null reads as empty) before it. `suffix`
//! (callers pass "\n") follows within the same bound; room for it is kept so that a cut line
//! still ends with it. Returns true when the whole line was written. Failures are shown as
//! notices ("problem writing trace file", "Could not open trace file") and give false.
bool traceLine(std::string message, const char* context = nullptr, bool raw = false,
               const char* suffix = nullptr);
//! The same for a C string; a null message traces as empty.
bool traceLine(const char* message, const char* context = nullptr, bool raw = false,
               const char* suffix = nullptr);

//! Traces `value` with 10 significant digits.
bool traceNumber(double value, const char* context = nullptr, const char* suffix = nullptr);
//! Traces `count` elements of a typed buffer (element code `vt`, see SetGet::arrayToStr) with
//! 10 significant digits, after `prefix`.
bool traceArray(const void* values, VARTYPE vt, LONG count, const char* prefix = nullptr,
                const char* context = nullptr, const char* suffix = nullptr);
//! Traces the message composed for `status`, `text` and `context` (suffix "\n"). Returns the
//! normalised status.
HRESULT traceStatus(HRESULT status, const char* text, const char* context = nullptr);

//! The trace folder once it is known to exist; "" before.
std::string traceDirectory();
//! The file the last line was written to (the fallback file after a fallback); "" before.
std::string traceFilePath();

//! FOR TESTS ONLY: forgets the trace folder and the last file, and makes the once-only
//! fallback notice pending again, as in a fresh process.
void resetTraceStateForTests();

}  // namespace Utils
