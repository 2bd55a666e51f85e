#pragma once
//! Lists in automation values, as CAPE-OPEN passes them, and name comparison.
//!
//! Readers accept a 1-D (or flattened multi-dimensional) SAFEARRAY of the element type or of
//! VARIANTs holding it, a single scalar (a one-element list) and VT_EMPTY (an empty list);
//! BYREF values are followed. They return nullopt for anything else. Makers return owning
//! comlite::Variant values and throw std::bad_alloc when the array cannot be made.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "comlite/hresult.h"
#include "comlite/variant.h"

namespace capeside {

//! More compounds or phases than any package has: a package's list this long is refused before
//! it is read.
inline constexpr std::size_t kMaxPackageCompounds = 10000;
inline constexpr std::size_t kMaxPackagePhases = 64;
//! The number of elements of an array value (0 for anything else), read without copying them.
std::size_t arrayLength(const VARIANT& v);

std::optional<std::vector<std::string>> stringList(const VARIANT& v);
std::optional<std::vector<double>> doubleList(const VARIANT& v);
std::optional<std::vector<LONG>> longList(const VARIANT& v);
//! doubleList into `out`, its storage reused (cleared first); false when `v` is not a list of
//! numbers.
bool readDoubleList(const VARIANT& v, std::vector<double>& out);
//! Whether stringList would read `v`, without copying the strings.
bool isStringList(const VARIANT& v);
//! Whether `v` is a list of strings equal, unit for unit, to `list` (UTF-16, no conversion).
bool sameStringList(const VARIANT& v, const std::vector<std::u16string>& list);
//! The strings of a list as given (UTF-16), into `out` with its storage reused; false when `v`
//! is not a list of strings.
bool readWideStringList(const VARIANT& v, std::vector<std::u16string>& out);
//! readWideStringList as views into `v`'s strings, valid while `v` is unchanged.
bool readStringViews(const VARIANT& v, std::vector<std::u16string_view>& out);
//! stringList and longList into `out`, its storage reused; false when `v` is not such a list.
bool readStringList(const VARIANT& v, std::vector<std::string>& out);
bool readLongList(const VARIANT& v, std::vector<LONG>& out);

//! `nullForEmpty`: empty strings become null elements (CAPE-OPEN's UNDEFINED string).
comlite::Variant makeStringArray(const std::vector<std::string>& items, bool nullForEmpty = false);
comlite::Variant makeDoubleArray(const std::vector<double>& items);
comlite::Variant makeLongArray(const std::vector<LONG>& items);
//! An array of VARIANTs (copies of `items`).
comlite::Variant makeVariantArray(const std::vector<comlite::Variant>& items);
comlite::Variant makeString(std::string_view utf8);

//! Moves `value` into an [out] / [in, out] VARIANT, clearing what it held; E_POINTER for null.
HRESULT putVariant(VARIANT* out, comlite::Variant value);
//! An [in, out] list filled with `items`. A caller's array of the element type and length
//! (one dimension from 0, unlocked) is written in place, its equal strings kept; anything else
//! is cleared and replaced by a new array. A caller that passes the same VARIANT to every call
//! then makes no array. E_POINTER for null; std::bad_alloc when an array cannot be made.
HRESULT fillDoubleArray(VARIANT* out, std::span<const double> items);
HRESULT fillLongArray(VARIANT* out, std::span<const LONG> items);
HRESULT fillStringArray(VARIANT* out, std::span<const std::u16string> items);

//! UTF-8 text of a BSTR (nullptr reads as "").
std::string text(BSTR s);

//! Name equality: both empty, or the same length and equal ignoring ASCII letter case.
bool sameName(std::string_view a, std::string_view b);
bool sameName(std::u16string_view a, std::u16string_view b);
//! Index of the first element equal to `name` by sameName, or -1.
long findName(const std::vector<std::string>& list, std::string_view name);

}  // namespace capeside
