#include <gtest/gtest.h>

#include "comlite/bstr.h"
#include "comlite/safearray.h"
#include "counting_unknown.h"

TEST(SafeArray, two_dimensions_are_column_major_with_own_bounds) {
  SAFEARRAYBOUND bounds[2] = {{2, 1}, {3, 10}};  // rows 1..2, columns 10..12
  SAFEARRAY* sa = SafeArrayCreate(VT_I4, 2, bounds);
  ASSERT_NE(sa, nullptr);
  LONG lb, ub;
  SafeArrayGetLBound(sa, 2, &lb);
  SafeArrayGetUBound(sa, 2, &ub);
  EXPECT_EQ(lb, 10);
  EXPECT_EQ(ub, 12);
  for (LONG r = 1; r <= 2; ++r)
    for (LONG c = 10; c <= 12; ++c) {
      LONG idx[2] = {r, c};
      LONG value = r * 100 + c;
      ASSERT_EQ(SafeArrayPutElement(sa, idx, &value), S_OK);
    }
  LONG* data = nullptr;
  ASSERT_EQ(SafeArrayAccessData(sa, reinterpret_cast<void**>(&data)), S_OK);
  EXPECT_EQ(data[0], 110);
  EXPECT_EQ(data[1], 210);  // the first index varies fastest
  EXPECT_EQ(data[2], 111);
  EXPECT_EQ(SafeArrayDestroy(sa), DISP_E_ARRAYISLOCKED);
  ASSERT_EQ(SafeArrayUnaccessData(sa), S_OK);
  EXPECT_EQ(SafeArrayUnaccessData(sa), E_UNEXPECTED);
  LONG bad[2] = {3, 10};
  LONG out = 0;
  EXPECT_EQ(SafeArrayGetElement(sa, bad, &out), DISP_E_BADINDEX);
  LONG under[2] = {1, 9};
  EXPECT_EQ(SafeArrayGetElement(sa, under, &out), DISP_E_BADINDEX);
  EXPECT_EQ(SafeArrayDestroy(sa), S_OK);
  SAFEARRAYBOUND huge[2] = {{0x10000000, 0}, {0x10000000, 0}};  // the byte size overflows
  EXPECT_EQ(SafeArrayCreate(VT_R8, 2, huge), nullptr);
}

TEST(SafeArray, string_and_variant_elements_are_owned) {
  SAFEARRAY* sa = SafeArrayCreateVector(VT_BSTR, 0, 3);
  comlite::Bstr s("propane");
  LONG i = 0;
  ASSERT_EQ(SafeArrayPutElement(sa, &i, s.get()), S_OK);
  ASSERT_EQ(SafeArrayPutElement(sa, &i, s.get()), S_OK);  // replaces: the old copy is freed
  BSTR* data = static_cast<BSTR*>(sa->pvData);
  EXPECT_NE(data[0], s.get());
  EXPECT_EQ(data[1], nullptr);
  SAFEARRAY* copy = nullptr;
  ASSERT_EQ(SafeArrayCopy(sa, &copy), S_OK);
  EXPECT_NE(static_cast<BSTR*>(copy->pvData)[0], data[0]);
  SafeArrayDestroy(copy);
  SafeArrayDestroy(sa);

  CountingUnknown unk;
  SAFEARRAY* va = SafeArrayCreateVector(VT_VARIANT, 0, 1);
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_UNKNOWN;
  v.punkVal = &unk;
  ASSERT_EQ(SafeArrayPutElement(va, &i, &v), S_OK);
  EXPECT_EQ(unk.addRefs, 1);
  EXPECT_EQ(SafeArrayDestroy(va), S_OK);
  EXPECT_EQ(unk.releases, 1);

  VARTYPE vt = 0;
  SAFEARRAY* la = SafeArrayCreateVector(VT_I4, 0, 1);
  EXPECT_EQ(SafeArrayGetVartype(la, &vt), S_OK);
  EXPECT_EQ(vt, VT_I4);
  SafeArrayDestroy(la);
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
}
