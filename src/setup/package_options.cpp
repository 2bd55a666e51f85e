#include "setup/package_options.h"

#include "base/name_compare.h"
#include "comlite/bstr.h"
#include "comlite/com_error.h"
#include "comlite/hresult.h"
#include "outside/adapter.h"
#include "setup/option_records.h"

namespace coravl::setup {

namespace {

struct OptionRow {
  const char* key;
  bool recallDefault;
};

//! Keys and recall defaults, in save order (doOrderPhases: see recallDefault).
constexpr std::array<OptionRow, kPackageOptionCount> kRows{{
    {"treatAsHypos", false},
    {"allowSubsets", false},
    {"freeCompounds", false},
    {"traceRecovErrors", true},
    {"logRecovErrors", false},
    {"popUpRecovErrors", false},
    {"traceCritErrors", true},
    {"logCritErrors", false},
    {"popUpCritErrors", true},
    {"requestSelvarLiquid2flash", false},
    {"doOrderPhases", false},
}};

std::size_t indexOf(PackageOption option) {
  return static_cast<std::size_t>(option);
}

//! The option's storage; every enumerator is handled, so the switch needs no default.
template <class Options>
auto& slot(Options& o, PackageOption option) {
  switch (option) {
    case PackageOption::TreatAsHypos:
      return o.component.treatAsHypos;
    case PackageOption::AllowSubsets:
      return o.component.allowSubsets;
    case PackageOption::FreeCompounds:
      return o.component.freeCompounds;
    case PackageOption::TraceRecovErrors:
      return o.routing.traceRecovErrors;
    case PackageOption::LogRecovErrors:
      return o.routing.logRecovErrors;
    case PackageOption::PopUpRecovErrors:
      return o.routing.popUpRecovErrors;
    case PackageOption::TraceCritErrors:
      return o.routing.traceCritErrors;
    case PackageOption::LogCritErrors:
      return o.routing.logCritErrors;
    case PackageOption::PopUpCritErrors:
      return o.routing.popUpCritErrors;
    case PackageOption::RequestSelvarLiquid2flash:
      return o.component.requestSelvarLiquid2flash;
    case PackageOption::DoOrderPhases:
      break;
  }
  return o.component.doOrderPhases;
}

}  // namespace

bool PackageOptions::get(PackageOption option) const {
  return slot(*this, option);
}

void PackageOptions::set(PackageOption option, bool value) {
  slot(*this, option) = value;
}

const char* optionKey(PackageOption option) {
  return kRows[indexOf(option)].key;
}

bool recallDefault(PackageOption option, const PackageOptions& current) {
  if (option == PackageOption::DoOrderPhases) return current.component.doOrderPhases;
  return kRows[indexOf(option)].recallDefault;
}

bool ordersPhasesOnFirstSetup(std::u16string_view packageProgId) {
  return Utils::namesEqual(packageProgId, comlite::utf8ToUtf16(kOrderPhasesProgId));
}

bool appendOptionRecords(std::u16string& list, const PackageOptions& options) {
  // Checked once here so that the list is never left with only some of the records.
  if (!isRecordList(list)) return false;
  std::u16string out = list;
  for (PackageOption option : kPackageOptionsInOrder)
    if (!appendBoolRecord(out, comlite::utf8ToUtf16(optionKey(option)), options.get(option)))
      return false;
  list = std::move(out);
  return true;
}

void recallOptions(std::u16string_view list, PackageOptions& options, PackageOption first,
                   PackageOption last) {
  for (std::size_t i = indexOf(first); i <= indexOf(last) && i < kPackageOptionCount; ++i) {
    const PackageOption option = kPackageOptionsInOrder[i];
    options.set(option, readBoolRecord(list, comlite::utf8ToUtf16(optionKey(option)),
                                       recallDefault(option, options)));
  }
}

void recallOptionsBeforeInit(std::u16string_view list, ComponentOptions& component,
                             RoutingFlags& routing) {
  PackageOptions options{component, routing};
  recallOptions(list, options, PackageOption::TreatAsHypos, PackageOption::PopUpCritErrors);
  component = options.component;
  routing = options.routing;
}

bool recallOptionsAfterInit(std::u16string_view list, ComponentOptions& component) {
  PackageOptions options{component, RoutingFlags{}};
  recallOptions(list, options, PackageOption::RequestSelvarLiquid2flash,
                PackageOption::DoOrderPhases);
  component.doOrderPhases = options.component.doOrderPhases;
  return options.component.requestSelvarLiquid2flash;
}

void applyOptions(const PackageOptions& options, ComponentOptions& component,
                  RoutingFlags& routing) {
  component = options.component;
  routing = options.routing;
}

HRESULT savePackage(IPackageAdapter* adapter, const PackageOptions& options,
                    std::span<const SaveRecord> extra, BSTR* saveinfo) {
  if (!saveinfo) return E_POINTER;
  SysFreeString(*saveinfo);
  *saveinfo = nullptr;
  if (!adapter) throw comlite::ComError(E_POINTER, IPackageAdapter::kIID);

  comlite::Bstr adapterText;
  comlite::check(adapter->Save(adapterText.out()), IPackageAdapter::kIID);
  std::u16string list(adapterText.view());
  // A text the records cannot follow (another format, bytes after its records) goes in one
  // record of its own, so that the adapter gets it back as it gave it.
  if (!isRecordList(list)) {
    std::u16string wrapped;
    appendRecord(wrapped, kAdapterTextKey, list);
    list = std::move(wrapped);
  }
  appendOptionRecords(list, options);
  for (const SaveRecord& r : extra) appendRecord(list, r.key, r.value);
  *saveinfo = comlite::bstrFromUtf16(list);
  return *saveinfo ? S_OK : E_OUTOFMEMORY;
}

std::u16string_view adapterText(std::u16string_view saved) {
  // The wrapped form: its first record is the adapter's text.
  const std::size_t recordsStart = saved.find(u':') + 1;
  if (!recordCount(saved).value_or(0) || recordsStart == 0) return saved;
  std::u16string prefix(kAdapterTextKey);
  prefix += u" : ";
  if (saved.substr(recordsStart, prefix.size()) != prefix) return saved;
  const auto value = findRecord(saved, kAdapterTextKey);
  return value ? *value : saved;
}

}  // namespace coravl::setup
