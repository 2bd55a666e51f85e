#include "setup/flash_spec_names.h"

#include "comlite/bstr.h"
#include "comlite/com_error.h"
#include "outside/cape_gui.h"
#include "setup/package_options.h"
#include "vocabulary/co_ids.h"

namespace coravl::setup {

namespace {

char16_t lowerAscii(char16_t c) {
  return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

bool containsIgnoringAsciiCase(std::u16string_view text, std::u16string_view part) {
  if (part.size() > text.size()) return false;
  for (std::size_t start = 0; start + part.size() <= text.size(); ++start) {
    std::size_t i = 0;
    while (i < part.size() && lowerAscii(text[start + i]) == lowerAscii(part[i])) ++i;
    if (i == part.size()) return true;
  }
  return false;
}

}  // namespace

bool isVendorPackageProgId(std::u16string_view progId) {
  return containsIgnoringAsciiCase(progId, u"STCOProperties") ||
         containsIgnoringAsciiCase(progId, u"Selvar");
}

void FlashSpecNames::update(std::optional<std::u16string_view> packageProgId,
                            bool secondLiquidRequest) {
  if (packageProgId) m_vendorPackage = isVendorPackageProgId(*packageProgId);
  if (!m_vendorPackage) return;
  m_names.clear();
  for (LONG id = COIds::FlashTP; COIds::isOfType(id, COIds::GroupFlashSpec); ++id) {
    const char* identifier = COIds::id2cstr(id);
    if (!identifier) break;
    std::string name = identifier;
    if (secondLiquidRequest) name += '3';
    m_names.emplace(id, std::move(name));
  }
}

std::optional<std::string> FlashSpecNames::find(LONG flashSpecId) const {
  const auto it = m_names.find(flashSpecId);
  if (it == m_names.end()) return std::nullopt;
  return it->second;
}

std::string FlashSpecNames::nameFor(LONG flashSpecId) const {
  if (!COIds::isOfType(flashSpecId, COIds::GroupFlashSpec)) return {};
  if (m_vendorPackage)
    if (auto name = find(flashSpecId)) return *name;
  const char* identifier = COIds::id2cstr(flashSpecId);
  return identifier ? identifier : "";
}

std::optional<std::u16string> packageProgIdOf(ICCAPEGUI* gui) {
  if (!gui) return std::nullopt;
  comlite::Bstr progId;
  comlite::check(gui->get_PackageProgID(progId.out()), ICCAPEGUI::kIID);
  return std::u16string(progId.view());
}

void applySecondLiquidRequest(bool request, ICCAPEGUI* gui, ComponentOptions& options,
                              FlashSpecNames& names) {
  options.requestSelvarLiquid2flash = request;
  std::optional<std::u16string> progId;
  try {
    progId = packageProgIdOf(gui);
  } catch (const comlite::ComError&) {
    // The request is stored and the map follows it before the failure goes on.
    names.update(std::nullopt, request);
    throw;
  }
  names.update(progId ? std::optional<std::u16string_view>(*progId) : std::nullopt, request);
}

}  // namespace coravl::setup
