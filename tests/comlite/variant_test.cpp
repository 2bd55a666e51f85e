#include <gtest/gtest.h>

#include <cmath>

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

TEST(Variant, change_type_converts_numbers_text_and_booleans) {
  comlite::Variant v = comlite::Variant::fromString(" 42 ");
  comlite::Variant out;
  ASSERT_EQ(VariantChangeType(&out, &v, 0, VT_I4), S_OK);
  EXPECT_EQ(out.lVal, 42);
  ASSERT_EQ(VariantChangeType(&out, &v, 0, VT_R8), S_OK);
  EXPECT_EQ(out.dblVal, 42.0);

  comlite::Variant d = comlite::Variant::fromDouble(2.5);
  ASSERT_EQ(VariantChangeType(&out, &d, 0, VT_I4), S_OK);
  EXPECT_EQ(out.lVal, 2);  // half to even
  d.dblVal = 3.5;
  ASSERT_EQ(VariantChangeType(&out, &d, 0, VT_I2), S_OK);
  EXPECT_EQ(out.iVal, 4);
  d.dblVal = 1e10;
  EXPECT_EQ(VariantChangeType(&out, &d, 0, VT_I4), DISP_E_OVERFLOW);
  d.dblVal = std::nan("");
  EXPECT_EQ(VariantChangeType(&out, &d, 0, VT_I4), DISP_E_OVERFLOW);

  comlite::Variant t = comlite::Variant::fromString("12abc");
  EXPECT_EQ(VariantChangeType(&out, &t, 0, VT_R8), DISP_E_TYPEMISMATCH);
  comlite::Variant tr = comlite::Variant::fromString("True");
  ASSERT_EQ(VariantChangeType(&out, &tr, 0, VT_BOOL), S_OK);
  EXPECT_EQ(out.boolVal, VARIANT_TRUE);

  comlite::Variant l = comlite::Variant::fromLong(-7);
  ASSERT_EQ(VariantChangeType(&out, &l, 0, VT_BSTR), S_OK);
  EXPECT_EQ(comlite::bstrToUtf8(out.bstrVal), "-7");

  // In place.
  ASSERT_EQ(VariantChangeType(&l, &l, 0, VT_R8), S_OK);
  EXPECT_EQ(l.vt, VT_R8);
  EXPECT_EQ(l.dblVal, -7.0);

  comlite::Variant arr;
  arr.vt = VT_ARRAY | VT_R8;
  arr.parray = SafeArrayCreateVector(VT_R8, 0, 1);
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
