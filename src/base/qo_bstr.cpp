#include "base/qo_bstr.h"

#include <cstdio>
#include <utility>

#include "comlite/bstr.h"
#include "base/name_compare.h"

namespace {

std::string formatDouble(double value) {
  char text[400];  // "%f" of the largest double has 309 digits before the point
  std::snprintf(text, sizeof text, "%f", value);
  return text;
}

std::u16string_view viewOf(const OLECHAR* s) {
  return s ? std::u16string_view(s) : std::u16string_view();
}

}  // namespace

CQoBSTR::CQoBSTR(const char* narrow) : CQoBSTR(std::string_view(narrow ? narrow : "")) {}

CQoBSTR::CQoBSTR(std::string_view narrow) : m_s(comlite::bstrFromUtf8(narrow)) {}

CQoBSTR::CQoBSTR(const OLECHAR* wide) : CQoBSTR(viewOf(wide)) {}

CQoBSTR::CQoBSTR(std::u16string_view wide) : m_s(comlite::bstrFromUtf16(wide)) {}

CQoBSTR::CQoBSTR(int value) : CQoBSTR(std::string_view(std::to_string(value))) {}

CQoBSTR::CQoBSTR(long value) : CQoBSTR(std::string_view(std::to_string(value))) {}

CQoBSTR::CQoBSTR(long long value) : CQoBSTR(std::string_view(std::to_string(value))) {}

CQoBSTR::CQoBSTR(double value) : CQoBSTR(std::string_view(formatDouble(value))) {}

CQoBSTR::CQoBSTR(const CQoBSTR& other)
    : m_s(other.m_s ? SysAllocStringLen(other.m_s, SysStringLen(other.m_s)) : nullptr) {}

CQoBSTR::CQoBSTR(CQoBSTR&& other) noexcept : m_s(std::exchange(other.m_s, nullptr)) {}

CQoBSTR& CQoBSTR::operator=(CQoBSTR other) noexcept {
  std::swap(m_s, other.m_s);
  return *this;
}

CQoBSTR::~CQoBSTR() {
  SysFreeString(m_s);
}

CQoBSTR CQoBSTR::attach(BSTR s) {
  CQoBSTR b;
  b.m_s = s;
  return b;
}

BSTR CQoBSTR::detach() {
  return std::exchange(m_s, nullptr);
}

BSTR CQoBSTR::copy() const {
  return SysAllocStringLen(m_s, SysStringLen(m_s));
}

BSTR* CQoBSTR::out() {
  SysFreeString(m_s);
  m_s = nullptr;
  return &m_s;
}

void CQoBSTR::appendWide(std::u16string_view text) {
  if (text.empty()) return;
  std::u16string joined(view());
  joined += text;
  BSTR s = comlite::bstrFromUtf16(joined);
  if (!s) return;  // out of memory: keep the old text
  SysFreeString(m_s);
  m_s = s;
}

CQoBSTR& CQoBSTR::append(const CQoBSTR& other) {
  // Copy first: `other` may be this very string.
  const std::u16string text(other.view());
  appendWide(text);
  return *this;
}

CQoBSTR& CQoBSTR::append(const char* narrow) {
  appendWide(comlite::utf8ToUtf16(narrow ? narrow : ""));
  return *this;
}

CQoBSTR& CQoBSTR::append(const OLECHAR* wide) {
  const std::u16string text(viewOf(wide));
  appendWide(text);
  return *this;
}

CQoBSTR& CQoBSTR::append(int value) {
  return append(std::to_string(value).c_str());
}

CQoBSTR& CQoBSTR::append(long value) {
  return append(std::to_string(value).c_str());
}

CQoBSTR& CQoBSTR::append(long long value) {
  return append(std::to_string(value).c_str());
}

CQoBSTR& CQoBSTR::append(double value) {
  return append(formatDouble(value).c_str());
}

bool CQoBSTR::operator==(const CQoBSTR& other) const {
  return Utils::namesEqual(view(), other.view());
}

bool CQoBSTR::equals(const OLECHAR* wide) const {
  return Utils::namesEqual(view(), viewOf(wide));
}

bool CQoBSTR::equals(const char* narrow) const {
  return Utils::namesEqual(std::string_view(this->narrow()),
                           std::string_view(narrow ? narrow : ""));
}

UINT CQoBSTR::length() const {
  return SysStringLen(m_s);
}

std::string CQoBSTR::narrow() const {
  return comlite::bstrToUtf8(m_s);
}

std::u16string_view CQoBSTR::view() const {
  return comlite::bstrView(m_s);
}
