#pragma once
//! Fixture of the error reporter tests: notices captured, a private trace folder, TEMP and class
//! registry, and helpers to build the reporters and the lists they are given.

#include <initializer_list>
#include <memory>
#include <string>

#include "comlite/bstr.h"
#include "comlite/safearray.h"
#include "comlite/variant.h"
#include "reporter/co_error.h"
#include "reporter/ravl_error.h"
#include "support/notice_fixture.h"

namespace coravl_test {

//! CCOError with a hook that counts its calls.
class TestReporter : public CCOError {
 public:
  using CCOError::CCOError;
  int severeCalls = 0;
  HRESULT severeLevelHook(int) override {
    ++severeCalls;
    return S_OK;
  }
};

class ReporterFixture : public NoticeFixture {
 protected:
  void SetUp() override {
    NoticeFixture::SetUp();
    // A registry of our own: capeErrorUtils is not registered unless a test registers it.
    saveAndSet("CORAVL_REGISTRY", (m_root / "registry").string());
  }

  //! A reporter built as the package component builds it; the creation notice is dropped.
  std::unique_ptr<CCORavlError> makeRavl() {
    auto r = std::make_unique<CCORavlError>(1e-30);
    m_notices.clear();
    return r;
  }
  std::unique_ptr<TestReporter> makePlain() {
    auto r = std::make_unique<TestReporter>(1e-30);
    m_notices.clear();
    return r;
  }

  //! The trace file's text ("" when there is none).
  std::string trace() const { return readFile(traceFile()); }

  static std::size_t count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
  }
  static bool endsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
  }

  //! A one-dimensional list of strings.
  static comlite::Variant strings(std::initializer_list<const char*> items) {
    comlite::Variant v;
    v.vt = VT_ARRAY | VT_BSTR;
    v.parray = SafeArrayCreateVector(VT_BSTR, 0, static_cast<ULONG>(items.size()));
    for (LONG i = 0; i < static_cast<LONG>(items.size()); ++i)
      SafeArrayPutElement(v.parray, &i, comlite::Bstr(items.begin()[i]).get());
    return v;
  }
};

}  // namespace coravl_test
