#include "flash/flash_catalogue.h"

#include <cstring>
#include <iterator>

#include "vocabulary/co_ids.h"

namespace {

//! Position of `letters` in `name` ignoring ASCII case, or -1.
long findIgnoringCase(const char* name, const char* letters) {
  const std::size_t n = std::strlen(name), m = std::strlen(letters);
  auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
  for (std::size_t i = 0; i + m <= n; ++i) {
    std::size_t k = 0;
    while (k < m && lower(name[i + k]) == lower(letters[k])) ++k;
    if (k == m) return static_cast<long>(i);
  }
  return -1;
}

struct SpecificationLetter {
  const char* letters;
  LONG propertyId;
};

//! The letters of a flash name, in search order.
constexpr SpecificationLetter kLetters[] = {
    {"T", COIds::PropTemperature},    {"P", COIds::PropPressure}, {"H", COIds::PropEnthalpy},
    {"VF", COIds::PropPhaseFraction}, {"S", COIds::PropEntropy},
};

//! Host flash types (the values of the host's flash type enumeration).
enum HostFlashType : LONG {
  kPTFlash = 1,
  kPHFlash = 2,
  kPSFlash = 3,
  kPVFlash = 4,
  kTHFlash = 5,
  kTSFlash = 6,
  kTVFlash = 7,
  kHVFlash = 8,
};

struct CatalogueRow {
  LONG flashId;
  LONG hostFlashType;
};

//! The records in catalogue order with the host flash type each serves.
constexpr CatalogueRow kCatalogue[] = {
    {COIds::FlashTP, kPTFlash}, {COIds::FlashPVF, kPVFlash}, {COIds::FlashPH, kPHFlash},
    {COIds::FlashTH, kTHFlash}, {COIds::FlashTVF, kTVFlash}, {COIds::FlashPS, kPSFlash},
    {COIds::FlashTS, kTSFlash}, {COIds::FlashHVF, kHVFlash},
};

}  // namespace

CCORVLflash::CCORVLflash(LONG flashId, LONG hostFlashType)
    : m_flashId(flashId), m_hostFlashType(hostFlashType) {
  specificationProperties(COIds::id2cstr(flashId), m_firstSpecification, m_secondSpecification);
}

bool CCORVLflash::usesProperty(LONG propertyId) const {
  return propertyId == m_firstSpecification || propertyId == m_secondSpecification;
}

void CCORVLflash::specificationProperties(const char* flashName, LONG& first, LONG& second) {
  first = 0;
  second = 0;
  if (!flashName) return;
  for (const auto& letter : kLetters) {
    const long at = findIgnoringCase(flashName, letter.letters);
    if (at == 0)
      first = letter.propertyId;
    else if (at > 0)
      second = letter.propertyId;
  }
}

CCORVLflashFactory::~CCORVLflashFactory() = default;

void CCORVLflashFactory::build() {
  if (!m_flashes.empty()) return;
  m_flashes.reserve(std::size(kCatalogue));
  for (const auto& row : kCatalogue) m_flashes.emplace_back(row.flashId, row.hostFlashType);
}

LONG CCORVLflashFactory::count() {
  build();
  return static_cast<LONG>(m_flashes.size());
}

const CCORVLflash* CCORVLflashFactory::at(LONG index) {
  build();
  if (index < 0 || index >= static_cast<LONG>(m_flashes.size())) return nullptr;
  return &m_flashes[static_cast<std::size_t>(index)];
}

const CCORVLflash* CCORVLflashFactory::byFlashId(LONG flashId) {
  build();
  for (const auto& f : m_flashes)
    if (f.flashId() == flashId) return &f;
  return nullptr;
}

const CCORVLflash* CCORVLflashFactory::byHostFlashType(LONG hostFlashType) {
  build();
  for (const auto& f : m_flashes)
    if (f.hostFlashType() == hostFlashType) return &f;
  return nullptr;
}

LONG CCORVLflashFactory::hostFlashTypeOf(LONG flashId) {
  const CCORVLflash* f = byFlashId(flashId);
  return f ? f->hostFlashType() : 0;
}

LONG CCORVLflashFactory::flashIdOf(LONG hostFlashType) {
  const CCORVLflash* f = byHostFlashType(hostFlashType);
  return f ? f->flashId() : 0;
}
