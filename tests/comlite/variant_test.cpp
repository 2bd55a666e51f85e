#include <gtest/gtest.h>

#include <cmath>

#include "comlite/bstr.h"
#include "comlite/safearray.h"
#include "comlite/variant.h"
#include "counting_unknown.h"

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

TEST(Variant, unknown_is_released_exactly_once_and_byref_not_at_all) {
  CountingUnknown unk;
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_UNKNOWN;
  v.punkVal = &unk;
  EXPECT_EQ(VariantClear(&v), S_OK);
  EXPECT_EQ(unk.releases, 1);
  EXPECT_EQ(unk.addRefs, 0);
  EXPECT_EQ(unk.queries, 0);

  IUnknown* p = &unk;
  v.vt = VT_UNKNOWN | VT_BYREF;
  v.ppunkVal = &p;
  EXPECT_EQ(VariantClear(&v), S_OK);
  EXPECT_EQ(unk.releases, 1);

  // Copy AddRefs once; clearing both releases twice.
  VARIANT a, b;
  VariantInit(&a);
  VariantInit(&b);
  a.vt = VT_UNKNOWN;
  a.punkVal = &unk;
  unk.AddRef();
  EXPECT_EQ(VariantCopy(&b, &a), S_OK);
  EXPECT_EQ(unk.balance(), 1 + 1 - 1);
  VariantClear(&a);
  VariantClear(&b);
  EXPECT_EQ(unk.balance(), -1);
}

TEST(Variant, copy_is_deep_for_strings_and_arrays) {
  comlite::Variant a = comlite::Variant::fromString("methane");
  comlite::Variant b = a;
  EXPECT_NE(a.bstrVal, b.bstrVal);
  EXPECT_EQ(comlite::bstrToUtf8(b.bstrVal), "methane");

  comlite::Variant arr;
  arr.vt = VT_ARRAY | VT_BSTR;
  arr.parray = SafeArrayCreateVector(VT_BSTR, 0, 2);
  LONG i = 1;
  comlite::Bstr s("ethane");
  ASSERT_EQ(SafeArrayPutElement(arr.parray, &i, s.get()), S_OK);
  comlite::Variant copy = arr;
  EXPECT_NE(copy.parray, arr.parray);
  BSTR got = nullptr;
  ASSERT_EQ(SafeArrayGetElement(copy.parray, &i, &got), S_OK);
  EXPECT_EQ(comlite::bstrToUtf8(got), "ethane");
  SysFreeString(got);
}

TEST(Variant, copy_ind_dereferences_byref) {
  double d = 2.5;
  VARIANT ref;
  VariantInit(&ref);
  ref.vt = VT_R8 | VT_BYREF;
  ref.pdblVal = &d;
  comlite::Variant out;
  ASSERT_EQ(VariantCopyInd(&out, &ref), S_OK);
  EXPECT_EQ(out.vt, VT_R8);
  EXPECT_EQ(out.dblVal, 2.5);

  BSTR text = SysAllocString(u"abc");
  ref.vt = VT_BSTR | VT_BYREF;
  ref.pbstrVal = &text;
  ASSERT_EQ(VariantCopyInd(&out, &ref), S_OK);
  EXPECT_NE(out.bstrVal, text);
  EXPECT_EQ(comlite::bstrToUtf8(out.bstrVal), "abc");
  SysFreeString(text);
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
