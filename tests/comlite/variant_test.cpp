#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <utility>

#include "comlite/bstr.h"
#include "comlite/guid.h"
#include "comlite/safearray.h"
#include "comlite/unknown.h"
#include "comlite/variant.h"

namespace {

struct VtCase {
  VARTYPE vt;
  bool valid;
};

// Every VARTYPE the layer accepts plain, as an array and by reference, and some it refuses.
const VtCase kCases[] = {
    {VT_EMPTY, true},    {VT_NULL, true},  {VT_I2, true},    {VT_I4, true},
    {VT_R4, true},       {VT_R8, true},    {VT_DATE, true},  {VT_BSTR, true},
    {VT_DISPATCH, true}, {VT_ERROR, true}, {VT_BOOL, true},  {VT_UNKNOWN, true},
    {VT_I1, true},       {VT_UI1, true},   {VT_UI2, true},   {VT_UI4, true},
    {VT_I8, true},       {VT_UI8, true},   {VT_INT, true},   {VT_UINT, true},
    {VT_VARIANT, false}, {15, false},      {VT_VOID, false}, {0x0FFF, false},
};

}  // namespace

TEST(Variant, clear_accepts_known_types_and_refuses_others) {
  for (const auto& c : kCases) {
    VARIANT v;
    VariantInit(&v);
    v.vt = c.vt;
    HRESULT hr = VariantClear(&v);
    EXPECT_EQ(hr, c.valid ? S_OK : DISP_E_BADVARTYPE) << "vt=" << c.vt;
    if (c.valid) {
      EXPECT_EQ(v.vt, VT_EMPTY);
    }
    // BYREF of a valid type owns nothing; clearing it must not free the referenced value.
    if (c.valid && c.vt != VT_EMPTY && c.vt != VT_NULL) {
      double target = 1.5;
      v.vt = static_cast<VARTYPE>(c.vt | VT_BYREF);
      v.byref = &target;
      EXPECT_EQ(VariantClear(&v), S_OK) << "byref vt=" << c.vt;
      EXPECT_EQ(target, 1.5);
    }
  }
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_VARIANT | VT_BYREF;
  EXPECT_EQ(VariantClear(&v), S_OK);
  EXPECT_EQ(VariantClear(nullptr), E_INVALIDARG);
}

//! A VARIANT of type `vt` holding `x` (every scalar member starts at the union's start).
template <class T>
VARIANT scalar(VARTYPE vt, T x) {
  VARIANT v;
  VariantInit(&v);
  v.vt = vt;
  std::memcpy(&v.llVal, &x, sizeof x);
  return v;
}

// Every kind of number, text and boolean into the others, as a package's own code may ask:
// rounding half to even, and refusing what does not fit.
TEST(Variant, change_type_converts_numbers_text_and_booleans) {
  const VARIANT none = scalar<char>(VT_EMPTY, 0);
  const struct {
    VARIANT from;
    HRESULT hr;
    VARIANT to;  //!< the type asked for and, on success, the value expected
  } rows[] = {
      {comlite::Variant::fromString(" 42 ").detach(), S_OK, scalar<LONG>(VT_I4, 42)},
      {comlite::Variant::fromString("12abc").detach(), DISP_E_TYPEMISMATCH, scalar(VT_R8, 0.0)},
      {comlite::Variant::fromString("#TRUE#").detach(), S_OK, scalar(VT_BOOL, VARIANT_TRUE)},
      {comlite::Variant::fromString("False").detach(), S_OK, scalar(VT_BOOL, VARIANT_FALSE)},
      {scalar(VT_R8, 2.5), S_OK, scalar<LONG>(VT_I4, 2)},
      {scalar(VT_R8, -3.5), S_OK, scalar<SHORT>(VT_I2, -4)},
      {scalar(VT_R4, 2.5f), S_OK, scalar<BYTE>(VT_UI1, 2)},
      {scalar(VT_R8, 1e10), DISP_E_OVERFLOW, scalar<LONG>(VT_I4, 0)},
      {scalar(VT_R8, std::nan("")), DISP_E_OVERFLOW, scalar<LONG>(VT_I4, 0)},
      {scalar(VT_R8, 1e39), DISP_E_OVERFLOW, scalar(VT_R4, 0.0f)},
      {scalar(VT_R8, 0.0), S_OK, scalar(VT_BOOL, VARIANT_FALSE)},
      {scalar<char>(VT_I1, -5), S_OK, scalar<LONGLONG>(VT_I8, -5)},
      {scalar<BYTE>(VT_UI1, 200), DISP_E_OVERFLOW, scalar<char>(VT_I1, 0)},
      {scalar<USHORT>(VT_UI2, 65535), DISP_E_OVERFLOW, scalar<SHORT>(VT_I2, 0)},
      {scalar<USHORT>(VT_UI2, 65535), S_OK, scalar<ULONG>(VT_UI4, 65535)},
      {scalar(VT_BOOL, VARIANT_TRUE), S_OK, scalar<LONG>(VT_I4, -1)},
      {scalar<ULONG>(VT_UI4, 4000000000u), DISP_E_OVERFLOW, scalar<LONG>(VT_I4, 0)},
      {scalar<ULONG>(VT_UI4, 4000000000u), S_OK, scalar<ULONGLONG>(VT_UI8, 4000000000ull)},
      {scalar<LONGLONG>(VT_I8, -1), DISP_E_OVERFLOW, scalar<ULONGLONG>(VT_UI8, 0)},
      {scalar<ULONGLONG>(VT_UI8, 1ull << 63), DISP_E_OVERFLOW, scalar<LONGLONG>(VT_I8, 0)},
      {scalar<ULONGLONG>(VT_UI8, 1ull << 63), S_OK, scalar(VT_R8, 9223372036854775808.0)},
      {none, S_OK, scalar<USHORT>(VT_UI2, 0)},
      {scalar<LONG>(VT_I4, 7), DISP_E_TYPEMISMATCH, scalar<IUnknown*>(VT_UNKNOWN, nullptr)},
  };
  for (const auto& row : rows) {
    VARIANT out = none;
    const VARIANT& expected = row.to;
    const HRESULT hr = VariantChangeType(&out, &row.from, 0, expected.vt);
    EXPECT_EQ(hr, row.hr) << row.from.vt << " to " << expected.vt;
    if (hr == S_OK) {
      EXPECT_EQ(std::memcmp(&out, &expected, sizeof out), 0) << row.from.vt;
    }
    VariantClear(&out);
    VariantClear(const_cast<VARIANT*>(&row.from));
  }
  // Into text: integers whole, reals to 15 digits, booleans by name; and in place.
  for (auto [from, text] :
       {std::pair{scalar<ULONGLONG>(VT_UI8, ~0ull), "18446744073709551615"},
        std::pair{scalar(VT_R8, 0.1 + 0.2), "0.3"}, std::pair{scalar<LONG>(VT_I4, -7), "-7"},
        std::pair{scalar(VT_BOOL, VARIANT_FALSE), "False"}}) {
    ASSERT_EQ(VariantChangeType(&from, &from, 0, VT_BSTR), S_OK);
    EXPECT_EQ(comlite::bstrToUtf8(from.bstrVal), text);
    VariantClear(&from);
  }
  comlite::Variant arr;
  arr.vt = VT_ARRAY | VT_R8;
  arr.parray = SafeArrayCreateVector(VT_R8, 0, 1);
  VARIANT out = none;
  EXPECT_EQ(VariantChangeType(&out, &arr, 0, VT_R8), DISP_E_TYPEMISMATCH);
}

TEST(SafeArray, redim_of_a_vector_keeps_values_and_frees_them) {
  // A vector's data share the descriptor's block; growing, shrinking and emptying it must keep
  // the values and free every block (the sanitizer build checks the frees).
  SAFEARRAY* sa = SafeArrayCreateVector(VT_BSTR, 0, 2);
  comlite::Bstr s("ethane");
  for (LONG i = 0; i < 2; ++i) ASSERT_EQ(SafeArrayPutElement(sa, &i, s.get()), S_OK);
  for (ULONG n : {4u, 1u, 0u, 3u}) {
    SAFEARRAYBOUND b{n, 0};
    ASSERT_EQ(SafeArrayRedim(sa, &b), S_OK);
    EXPECT_EQ(comlite::safeArrayCount(sa), n);
    if (n) {
      EXPECT_EQ(comlite::bstrToUtf8(static_cast<BSTR*>(sa->pvData)[0]), n == 3 ? "" : "ethane");
    }
    if (n == 4) {
      EXPECT_EQ(static_cast<BSTR*>(sa->pvData)[3], nullptr);
    }
  }
  EXPECT_EQ(SafeArrayDestroy(sa), S_OK);

  // An element of a list of variants comes out as a copy of its own.
  sa = SafeArrayCreateVector(VT_VARIANT, 0, 1);
  LONG zero = 0;
  comlite::Variant in = comlite::Variant::fromString("propane"), out;
  ASSERT_EQ(SafeArrayPutElement(sa, &zero, &in), S_OK);
  ASSERT_EQ(SafeArrayGetElement(sa, &zero, &out), S_OK);
  EXPECT_EQ(comlite::bstrToUtf8(out.bstrVal), "propane");
  EXPECT_NE(out.bstrVal, in.bstrVal);
  EXPECT_EQ(SafeArrayDestroy(sa), S_OK);
}

TEST(Guid, malformed_text_is_rejected) {
  for (const char* bad :
       {"", "{}", "678C0A9B-7D66-11D2-A67D-00105A42887", "678C0A9B-7D66-11D2-A67D_00105A42887F",
        "{678C0A9B-7D66-11D2-A67D-00105A42887F", "678C0A9B-7D66-11D2-A67D-00105A42887G"})
    EXPECT_FALSE(comlite::parseGuid(bad)) << bad;
}

TEST(Guid, new_guids_are_distinct_version_4) {
  GUID a = comlite::newGuid(), b = comlite::newGuid();
  EXPECT_NE(a, b);
  EXPECT_EQ(a.Data3 >> 12, 4);
}
