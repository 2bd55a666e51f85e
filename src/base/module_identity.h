#pragma once
//! The module identity shared by every message the component shows or traces: the module name
//! (which names the trace file and the profile file), the message title, and the owner window
//! and system-modal switch of message boxes. Process-wide, set rarely, read from any thread.

#include <string>

namespace Utils {

//! A window that owns a message box. Linux has no such thing; the value is only kept and
//! compared with null (no owner makes a notice system-modal).
using WindowHandle = const void*;

//! Longest module name kept, in characters.
constexpr std::size_t kModuleNameMax = 259;
//! Longest message title kept, in characters.
constexpr std::size_t kTitleMax = 49;

//! Stores the module name (cut to 259 characters); cached module information (the module
//! directory) is computed again on its next use. A null name reads as empty. Returns true.
bool setModuleName(const char* name);
//! The module name; "CORavl11" until set.
std::string moduleName();
//! The module name cut at its first '.', as used for the trace and profile file names.
std::string shortModuleName();

//! Stores up to 49 characters of `title` as the message title. Returns false when the text was
//! cut (or null, which stores the empty title).
bool setTitle(const char* title);
//! The message title; "Daltrix's CAPE-OPEN tool" until set.
std::string title();

//! Stores the window that owns message boxes shown without an explicit owner.
void setOwnerWindow(WindowHandle owner);
WindowHandle ownerWindow();
//! Forces every message box to be system-modal when set.
void setSystemModal(bool force);
bool systemModal();

}  // namespace Utils
