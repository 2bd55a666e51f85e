#pragma once
//! User notices, in place of message boxes.
//!
//! `notify` hands a notice to the process-wide sink. The default sink writes "title: text" to
//! standard error and returns at once. A host (the host driver, a test) installs its own.

#include <functional>
#include <string>

#include "comlite/types.h"

namespace comlite {

//! Message-box style bits the component uses.
constexpr UINT MB_OK = 0x0;
constexpr UINT MB_ICONINFORMATION = 0x40;
constexpr UINT MB_SYSTEMMODAL = 0x1000;

using NoticeSink =
    std::function<void(const std::string& text, const std::string& title, UINT style)>;

//! Installs `sink`; an empty function restores the default. Returns the previous sink.
NoticeSink setNoticeSink(NoticeSink sink);
//! Shows one notice through the current sink.
void notify(const std::string& text, const std::string& title, UINT style);

}  // namespace comlite
