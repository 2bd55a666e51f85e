#include "base/set_get.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <type_traits>

#include "comlite/bstr.h"
#include "comlite/hresult.h"
#include "comlite/safearray.h"
#include "support/notice_fixture.h"

namespace {

using comlite::Variant;
using coravl_test::NoticeFixture;

class SetGetTest : public NoticeFixture {
 protected:
  //! A list of `vt` elements from `lbound` on.
  template <class T>
  static Variant list(VARTYPE vt, std::initializer_list<T> values, LONG lbound = 0) {
    Variant v;
    SetGet::Create(v, vt, static_cast<LONG>(values.size()), lbound);
    LONG i = lbound;
    for (T x : values) {
      if constexpr (std::is_same_v<T, const char*>)
        SafeArrayPutElement(v.parray, &i, comlite::Bstr(x).get());
      else
        SafeArrayPutElement(v.parray, &i, &x);
      ++i;
    }
    return v;
  }
  static Variant longs(std::initializer_list<LONG> v, LONG lbound = 0) {
    return list(VT_I4, v, lbound);
  }
  std::string said() const { return m_notices.back().text; }
  static Variant doubles(std::initializer_list<double> v) { return list(VT_R8, v); }
  static Variant strings(std::initializer_list<const char*> v) { return list(VT_BSTR, v); }
  static Variant longs2x2() {
    Variant v;
    const LONG r0[] = {1, 2}, r1[] = {3, 4};
    const void* rows[] = {r0, r1};
    SetGet::CreateFromRows(v, VT_I4, 2, 2, rows);
    return v;
  }
  //! A by-reference variant of `vt` to `target`.
  static Variant refTo(VARTYPE vt, void* target) {
    Variant v;
    v.vt = vt | VT_BYREF;
    v.byref = target;
    return v;
  }
};

TEST_F(SetGetTest, create_reuses_an_array_of_the_same_shape_and_keeps_its_contents) {
  Variant v;
  ASSERT_EQ(SetGet::Create(v, VT_R8, 10), S_OK);
  EXPECT_EQ(v.vt, VT_ARRAY | VT_R8);
  SAFEARRAY* first = v.parray;
  const LONG at = 3;
  double x = 7.5;
  SafeArrayPutElement(first, &at, &x);

  ASSERT_EQ(SetGet::CreateReuse(v, VT_R8 | VT_ARRAY, 10, 0), S_OK);  // the array flag is accepted
  EXPECT_EQ(SetGet::getDouble(v, 3), 7.5);
  EXPECT_EQ(v.parray, first);

  // Another length, lower bound or code gives a fresh, zeroed array.
  SetGet::Create(v, VT_R8, 11);
  EXPECT_EQ(v.parray->rgsabound[0].cElements, 11u);
  SetGet::Create(v, VT_R8, 10, 1);
  EXPECT_EQ(v.parray->rgsabound[0].lLbound, 1);
  EXPECT_EQ(SetGet::getDouble(v, 3), 0.0);
  SetGet::Create(v, VT_BSTR, 10, 1);
  EXPECT_EQ(v.vt, VT_ARRAY | VT_BSTR);

  // A 2-D array of the same count is not reused by the 1-D form, and the reverse.
  SetGet::Create(v, VT_I4, 2, 2, 0, 0);
  SAFEARRAY* twoDims = v.parray;
  SetGet::Create(v, VT_I4, 2, 2, 0, 0);
  EXPECT_EQ(v.parray, twoDims);
  SetGet::Create(v, VT_I4, 4);
  EXPECT_EQ(SafeArrayGetDim(v.parray), 1u);
  EXPECT_TRUE(m_notices.empty());
}

TEST_F(SetGetTest, create_releases_what_the_variant_held_and_refuses_bad_requests) {
  Variant v = Variant::fromString("owned text");  // freed by Create (the leak checker knows)
  ASSERT_EQ(SetGet::Create(v, VT_BSTR, 2), S_OK);
  EXPECT_EQ(SetGet::getString(v, 1), "");

  const SAFEARRAY* kept = v.parray;
  EXPECT_EQ(SetGet::Create(v, VT_I4, -1), E_INVALIDARG);
  EXPECT_EQ(v.parray, kept);
  EXPECT_EQ(SetGet::Create(v, VT_EMPTY, 3), DISP_E_BADVARTYPE);
  EXPECT_EQ(SetGet::Create(v, static_cast<VARTYPE>(VT_DECIMAL), 3), DISP_E_BADVARTYPE);
  EXPECT_EQ(v.parray, kept);
  ASSERT_EQ(m_notices.size(), 3u);
  EXPECT_EQ(m_notices[0].text,
            "SetGet::Create:  ERROR: Unexpected error \nThe parameter is incorrect.(0x80070057)");

  // A variant that cannot be cleared (its array is locked) is reported and replaced anyway.
  m_notices.clear();
  SAFEARRAY* locked = v.parray;
  SafeArrayLock(locked);
  ASSERT_EQ(SetGet::Create(v, VT_I4, 3), S_OK);
  ASSERT_EQ(m_notices.size(), 1u);
  EXPECT_EQ(m_notices[0].text, " ERROR: void SetGet::Create(VARIANT &var, VARTYPE vt, long len)");
  EXPECT_NE(v.parray, locked);
  SafeArrayUnlock(locked);
  SafeArrayDestroy(locked);
}

TEST_F(SetGetTest, values_render_in_the_component_text_forms) {
  // 15 significant digits (which hide the binary error of 0.1), a point kept on whole numbers.
  const std::pair<double, const char*> numbers[] = {
      {1.0, "1."},         {-2.0, "-2."},         {0.0, "0."},
      {0.5, "0.5"},        {123.456, "123.456"},  {1e30, "1.e+30"},
      {1.5e-7, "1.5e-07"}, {101325.0, "101325."}, {0.1, "0.1"}};
  for (const auto& [value, text] : numbers) EXPECT_EQ(SetGet::valueToStr(value), text);
  EXPECT_EQ(SetGet::valueToStr(3.14159265358979, 3), "3.14");
  EXPECT_EQ(SetGet::valueToStr(3.14159265358979, -1), "3.14159265358979");
  EXPECT_EQ(SetGet::valueToStr(1234567.0, 3), "1.23e+06");

  const SHORT s = -7;
  const LONG l = 42;
  const VARIANT_BOOL t = VARIANT_TRUE, f = VARIANT_FALSE;
  comlite::Bstr text("Wasser");
  BSTR raw = text.get();
  const std::tuple<const void*, VARTYPE, const char*> typed[] = {
      {&s, VT_I2, "-7"},   {&l, VT_I4, "42"},         {&t, VT_BOOL, "-1"},
      {&f, VT_BOOL, "0"},  {&raw, VT_BSTR, "Wasser"}, {nullptr, VT_EMPTY, "<empty>"},
      {nullptr, VT_R8, ""}};
  for (auto [value, vt, text] : typed) EXPECT_EQ(SetGet::valueToStr(value, vt), text) << vt;

  EXPECT_EQ(SetGet::valueToStr(Variant()), "<empty>");
  EXPECT_EQ(SetGet::valueToStr(Variant::fromDouble(2.5)), "2.5");
  EXPECT_EQ(SetGet::valueToStr(Variant::fromBool(true)), "-1");
  double target = 4.0;
  EXPECT_EQ(SetGet::valueToStr(refTo(VT_R8, &target)), "4.");
  Variant bstrNull;
  bstrNull.vt = VT_BSTR;  // a null BSTR reads as empty
  EXPECT_EQ(SetGet::valueToStr(bstrNull), "");
  EXPECT_TRUE(m_notices.empty());
}

TEST_F(SetGetTest, arrays_and_variants_render_with_brackets_rows_and_separators) {
  EXPECT_EQ(SetGet::variantToStr(longs({1, 2, 3})), "(1, 2, 3)");
  EXPECT_EQ(SetGet::variantToStr(longs({1, 2, 3}), nullptr, true), "1, 2, 3");
  EXPECT_EQ(SetGet::variantToStr(longs({1, 2, 3}), ";"), "(1;2;3)");
  EXPECT_EQ(SetGet::variantToStr(longs({})), "()");
  EXPECT_EQ(SetGet::variantToStr(longs2x2()), "(<1, 2>, <3, 4>)");
  EXPECT_EQ(SetGet::variantToStr(longs2x2(), nullptr, true), "1, 2, 3, 4");
  EXPECT_EQ(SetGet::variantToStr(doubles({1.0, 2.5})), "(1., 2.5)");
  EXPECT_EQ(SetGet::variantToStr(Variant::fromLong(9)), "9");
  EXPECT_EQ(SetGet::variantToStr(strings({"Vapor", "Liquid"}), "\n", true), "Vapor\nLiquid");

  // One-dimensional items use the default 15 digits; row elements use the digits asked for.
  EXPECT_EQ(SetGet::variantToStr(doubles({3.14159265358979}), nullptr, false, false, 3),
            "(3.14159265358979)");
  Variant grid;
  const double row0[] = {3.14159265358979, 1.0};
  const void* rows[] = {row0};
  ASSERT_EQ(SetGet::CreateFromRows(grid, VT_R8, 1, 2, rows), S_OK);
  EXPECT_EQ(SetGet::variantToStr(grid, nullptr, false, false, 3), "(<3.14, 1.>)");

  // Variant elements render by their own type.
  const Variant mixed =
      list(VT_VARIANT, {Variant::fromDouble(1.0), Variant::fromString("x"), Variant()});
  EXPECT_EQ(SetGet::variantToStr(mixed), "(1., x, <empty>)");
  EXPECT_TRUE(m_notices.empty());
}

TEST_F(SetGetTest, separator_inside_an_element_is_reported_and_still_rendered) {
  const Variant list = strings({"a, b", "c"});
  EXPECT_EQ(SetGet::variantToStr(list), "(a, b, c)");
  EXPECT_TRUE(m_notices.empty());  // unchecked
  EXPECT_EQ(SetGet::variantToStr(list, nullptr, false, true), "(a, b, c)");
  ASSERT_EQ(m_notices.size(), 1u);
  EXPECT_EQ(m_notices[0].text,
            " ERROR: Error persisting a string. The sequence of characters ', ' is not allowed. "
            "Please remove this sequence and repeat last action");
  EXPECT_NE(readFile(traceFile()).find("Error persisting a string."), std::string::npos);

  // Rows are always checked.
  m_notices.clear();
  Variant grid;
  SetGet::Create(grid, VT_R8, 1, 2, 0, 0);
  EXPECT_EQ(SetGet::variantToStr(grid, "."), "(<0..0.>)");
  EXPECT_EQ(m_notices.size(), 2u);
}

TEST_F(SetGetTest, unexpected_shapes_and_types_are_reported_when_rendering) {
  const SAFEARRAYBOUND b[3] = {{1, 0}, {1, 0}, {1, 0}};
  Variant cube;
  cube.vt = VT_ARRAY | VT_I4;
  cube.parray = SafeArrayCreate(VT_I4, 3, b);
  EXPECT_EQ(SetGet::variantToStr(cube), "");
  ASSERT_EQ(m_notices.size(), 1u);
  EXPECT_EQ(m_notices[0].text, "ERROR_UNEXPECTED in variantToStr of 3 dimensions, VT=8195");

  Variant floats;
  SetGet::Create(floats, VT_R4, 2);
  EXPECT_EQ(SetGet::variantToStr(floats), "");
  EXPECT_EQ(said(), "ERROR_UNEXPECTED in variantToStr of 1 dimensions, VT=8196");

  Variant nullArray;
  nullArray.vt = VT_ARRAY | VT_I4;
  EXPECT_EQ(SetGet::variantToStr(nullArray), "()");
  nullArray.vt = VT_EMPTY;
}

TEST_F(SetGetTest, getters_check_bounds_and_convert) {
  const Variant list = doubles({0.5, 1.5, 2.5, 3.5, 4.5});
  double d = -1;
  EXPECT_EQ(SetGet::get(list, 4, d), S_OK);
  EXPECT_EQ(d, 4.5);
  EXPECT_EQ(SetGet::get(list, 5, d), E_FAIL);
  EXPECT_EQ(d, 0.0);
  ASSERT_EQ(m_notices.size(), 1u);
  EXPECT_EQ(m_notices[0].text,
            "5:  ERROR: Getting a safearray value at a position higher than array bounds of 1st "
            "dim");
  EXPECT_EQ(SetGet::getDouble(list, -1), 0.0);
  EXPECT_EQ(m_notices.size(), 2u);

  // Own index range; longs read as doubles and doubles as longs.
  const Variant fromOne = longs({10, 20, 30}, 1);
  EXPECT_EQ(SetGet::getLong(fromOne, 1), 10);
  EXPECT_EQ(SetGet::getDouble(fromOne, 3), 30.0);
  EXPECT_EQ(SetGet::getLong(list, 1), 2);  // 1.5 rounds as automation does

  const Variant grid = longs2x2();
  EXPECT_EQ(SetGet::getLong(grid, 1, 0), 3);
  EXPECT_EQ(SetGet::getDouble(grid, 0, 1), 2.0);
  m_notices.clear();
  EXPECT_EQ(SetGet::getLong(grid, 0, 2), 0);
  EXPECT_EQ(SetGet::getLong(grid, 2, 0), 0);
  ASSERT_EQ(m_notices.size(), 2u);
  EXPECT_EQ(m_notices[0].text,
            "3:  ERROR: Getting a safearray value at a position higher than array bounds of 2nd "
            "dim");
  EXPECT_NE(m_notices[1].text.find("of 1st dim"), std::string::npos);

  // Wrong shapes and non-arrays give zero with a report.
  m_notices.clear();
  EXPECT_EQ(SetGet::getLong(grid, 0), 0);
  EXPECT_EQ(SetGet::getLong(list, 0, 0), 0);
  EXPECT_EQ(SetGet::getDouble(Variant::fromDouble(1.0), 0), 0.0);
  EXPECT_EQ(m_notices.size(), 3u);
  const Variant words = strings({"abc", "Water"});
  EXPECT_EQ(SetGet::get(words, 0, d), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(d, 0.0);

  // Strings and variants come out as copies the caller owns: the list frees its own later.
  BSTR s = nullptr;
  ASSERT_EQ(SetGet::get(words, 1, s), S_OK);
  EXPECT_EQ(comlite::bstrToUtf8(s), "Water");
  SysFreeString(s);
  EXPECT_EQ(SetGet::get(words, 2, s), E_FAIL);
  EXPECT_EQ(s, nullptr);
  Variant out = Variant::fromString("replaced"),
          nested = SetGetTest::list(VT_VARIANT, {Variant::fromString("replaced")});
  ASSERT_EQ(SetGet::get(words, 0, out), S_OK);
  EXPECT_EQ(comlite::bstrToUtf8(out.bstrVal), "abc");
  ASSERT_EQ(SetGet::get(nested, 0, out), S_OK);
  EXPECT_EQ(comlite::bstrToUtf8(out.bstrVal), "replaced");
}

TEST_F(SetGetTest, rows_fill_a_two_dimensional_array_of_numbers_only) {
  const double r0[] = {1, 2, 3}, r1[] = {4, 5, 6};
  const void* rows[] = {r0, r1};
  Variant grid;
  ASSERT_EQ(SetGet::CreateFromRows(grid, VT_R8, 2, 3, rows), S_OK);
  EXPECT_EQ(SetGet::getDouble(grid, 1, 2), 6.0);
  EXPECT_EQ(SetGet::variantToStr(grid), "(<1., 2., 3.>, <4., 5., 6.>)");
  EXPECT_TRUE(m_notices.empty());

  const BSTR names[] = {nullptr};
  const void* srows[] = {names};
  EXPECT_EQ(SetGet::CreateFromRows(grid, VT_BSTR, 1, 1, srows), E_FAIL);
  EXPECT_EQ(said(), " ERROR: Code not implemented. Contact support");
  EXPECT_EQ(SetGet::CreateFromRows(grid, VT_BOOL, 1, 1, srows), E_FAIL);
  EXPECT_EQ(said(), "sizeOf:  ERROR: Bug in SetGet");
  EXPECT_EQ(SetGet::CreateFromRows(grid, VT_R8, 1, 1, nullptr), E_POINTER);
}

TEST_F(SetGetTest, no_copy_accessors_reference_and_move_elements) {
  Variant list = strings({"old", "keep"});
  Variant ref;
  ASSERT_EQ(SetGet::noCopyVariantGetV(list, 0, ref), S_OK);
  EXPECT_EQ(ref.vt, VT_BSTR | VT_BYREF);
  auto* slot = static_cast<BSTR*>(SetGet::noCopyItemGet(list.parray, 0, VT_BSTR));
  ASSERT_NE(slot, nullptr);
  EXPECT_EQ(ref.pbstrVal, slot);
  EXPECT_EQ(VariantClear(&ref), S_OK);  // a reference frees nothing
  EXPECT_EQ(SetGet::getString(list, 0), "old");

  // Moving a string in: the old element is freed, the element takes the very same string.
  Variant value = Variant::fromString("new");
  BSTR moved = value.bstrVal;
  ASSERT_EQ(SetGet::noCopyVariantPutV(list, 0, value), S_OK);
  EXPECT_EQ(value.vt, VT_EMPTY);
  EXPECT_EQ(*slot, moved);
  EXPECT_EQ(SetGet::variantToStr(list), "(new, keep)");

  // Variant arrays take any value, references are copied first.
  Variant bag = SetGetTest::list(VT_VARIANT, {Variant()});
  comlite::Bstr text("referenced");
  BSTR raw = text.get();
  Variant byRef = refTo(VT_BSTR, &raw);
  ASSERT_EQ(SetGet::noCopyVariantPutV(bag, 0, byRef), S_OK);
  EXPECT_EQ(byRef.vt, VT_EMPTY);
  EXPECT_EQ(SetGet::getString(bag, 0), "referenced");
  EXPECT_EQ(text.utf8(), "referenced");
  EXPECT_TRUE(m_notices.empty());
}

TEST_F(SetGetTest, no_copy_accessors_refuse_other_shapes_codes_and_indexes) {
  Variant grid = longs2x2();
  Variant out;
  EXPECT_EQ(SetGet::noCopyItemGet(grid.parray, 0, VT_I4), nullptr);
  EXPECT_EQ(said(), "noCopyItemGet:  ERROR: Only 1 dimension arrays are supported");
  EXPECT_EQ(SetGet::noCopyVariantGetV(grid, 0, out), E_FAIL);
  EXPECT_EQ(said(), "noCopyVariantGetV:  ERROR: Only 1 dimension arrays are supported");
  Variant value = Variant::fromLong(1);
  EXPECT_EQ(SetGet::noCopyVariantPutV(grid, 0, value), E_FAIL);
  EXPECT_EQ(said(), "noCopyVariantPutV:  ERROR: Only 1 dimension arrays are supported");

  Variant shorts;
  SetGet::Create(shorts, VT_I2, 2);
  EXPECT_EQ(SetGet::noCopyItemGet(shorts.parray, 0, VT_I2), nullptr);
  EXPECT_EQ(said(), " ERROR: bad VT in noCopyItemGet");
  EXPECT_EQ(SetGet::noCopyVariantPutV(shorts, 0, value), E_FAIL);
  EXPECT_EQ(said(), " ERROR: bad VT in noCopyVariantPutV");
  EXPECT_EQ(value.vt, VT_I4);  // refused: still the caller's

  Variant list = longs({1, 2});
  EXPECT_EQ(SetGet::noCopyItemGet(list.parray, 0, VT_R8), nullptr);  // not the array's code
  EXPECT_EQ(SetGet::noCopyItemGet(list.parray, 2, VT_I4), nullptr);
  EXPECT_EQ(SetGet::noCopyItemGet(nullptr, 0, VT_I4), nullptr);
  EXPECT_EQ(SetGet::noCopyVariantPutV(list, -1, value), DISP_E_BADINDEX);
  Variant words = strings({"a"});
  EXPECT_EQ(SetGet::noCopyVariantPutV(words, 0, value), E_FAIL);  // strings only
  EXPECT_EQ(value.vt, VT_I4);
  EXPECT_EQ(SetGet::getString(words, 0), "a");
}

// Iteration and deep copies serve the flash and compound lists, whose tests pin them.
TEST_F(SetGetTest, a_shallow_copy_is_refused_as_a_deep_one_and_variants_have_their_size) {
  Variant source = strings({"a", "b"}), copy;
  ASSERT_EQ(SetGet::copy(copy, source, false), S_OK);
  EXPECT_EQ(said(), "SetGet::copy:  ERROR: cloneContents=false not supported");
  EXPECT_NE(copy.parray, source.parray);
  EXPECT_EQ(SetGet::variantToStr(copy), "(a, b)");
  EXPECT_EQ(SetGet::sizeOf(VT_VARIANT), static_cast<LONG>(sizeof(VARIANT)));
}

TEST_F(SetGetTest, typed_buffers_render_with_prefix_and_separator) {
  const double d[] = {1.0, 2.5};
  EXPECT_EQ(SetGet::arrayToStr(d, VT_R8, 2, "x="), "x=1., 2.5");
  EXPECT_EQ(SetGet::arrayToStr(d, VT_R8, 2, nullptr, -1, "|"), "1.|2.5");
  EXPECT_EQ(SetGet::arrayToStr(d, VT_R8, 0, "p"), "p");
  EXPECT_EQ(SetGet::arrayToStr(nullptr, VT_R8, 3, "p"), "p");
  comlite::Bstr a("A"), b("B");
  const BSTR names[] = {a.get(), nullptr, b.get()};
  EXPECT_EQ(SetGet::arrayToStr(names, VT_BSTR, 3), "A, , B");
  const VARIANT_BOOL flags[] = {VARIANT_TRUE, VARIANT_FALSE};
  EXPECT_EQ(SetGet::arrayToStr(flags, VT_BOOL, 2), "-1, 0");
  EXPECT_TRUE(m_notices.empty());
  EXPECT_EQ(SetGet::arrayToStr(d, VT_R4, 2, "p"), "p");
  EXPECT_EQ(said(), "arrayToStr:  ERROR: Bug in SetGet");
}

}  // namespace
