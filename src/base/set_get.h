#pragma once
//! SetGet: creating automation arrays in variants, reading and writing their elements, copying
//! them and rendering them as text.
//!
//! Element codes handled (VT_*): 2 short, 3 long, 5 double, 8 string (BSTR), 11 boolean,
//! 12 variant. Lists the component creates are one-dimensional with lower bound 0; 2-D arrays
//! have dimension 1 for the rows and dimension 2 for the columns.
//!
//! Ownership: a VARIANT handed in for creation or copy must be initialised (VariantInit or
//! comlite::Variant); what it held is released first. Getters hand out copies the caller owns;
//! the no-copy accessors hand out references into the array (see each function).
//!
//! Failures are reported through the generic error box (traced) and give a defined result:
//! zero, empty, null or a failing status. Nothing throws.

#include <string>

#include "comlite/types.h"
#include "comlite/variant.h"

struct SAFEARRAY;

class SetGet {
 public:
  //! Significant digits of doubles when none are asked for (or a value of 0 or less is given).
  static constexpr int kDefaultDigits = 15;

  //! Makes `var` hold a new 1-D array of `len` elements of code `vt` (the array flag in `vt`
  //! is ignored) starting at `lbound`. When `var` already holds a 1-D array of the same code,
  //! length and lower bound, that array and its contents are kept. RETURNS: S_OK; a failing
  //! status (reported, `var` unchanged) for a negative length or a code arrays cannot hold.
  static HRESULT Create(VARIANT& var, VARTYPE vt, LONG len, LONG lbound = 0);
  //! Same as Create.
  static HRESULT CreateReuse(VARIANT& var, VARTYPE vt, LONG len, LONG lbound);
  //! 2-D form: `len` rows from `lbound`, `len2` columns from `lbound2`. Reused under the same
  //! rule, both dimensions compared.
  static HRESULT Create(VARIANT& var, VARTYPE vt, LONG len, LONG len2, LONG lbound, LONG lbound2);
  //! A `rows` x `cols` array (bounds 0) filled from row buffers: row r is read from
  //! `rowBuffers[r]`, `cols` packed elements of sizeOf(vt) bytes. Only longs and doubles can be
  //! copied; strings and variants are refused ("Code not implemented. Contact support").
  static HRESULT CreateFromRows(VARIANT& var, VARTYPE vt, LONG rows, LONG cols,
                                const void* const* rowBuffers);

  //! Element getters: the element at index `i` (and `j`, 2-D arrays) of the array in `var`,
  //! converted to the out type when the array holds another code. On failure the out value is
  //! zero / null / empty and the failure status is returned. BSTR out: a new string the caller
  //! frees. VARIANT out: cleared first, then a deep copy the caller clears.
  static HRESULT get(const VARIANT& var, LONG i, double& out);
  static HRESULT get(const VARIANT& var, LONG i, LONG& out);
  static HRESULT get(const VARIANT& var, LONG i, BSTR& out);
  static HRESULT get(const VARIANT& var, LONG i, VARIANT& out);
  static HRESULT get(const VARIANT& var, LONG i, LONG j, double& out);
  static HRESULT get(const VARIANT& var, LONG i, LONG j, LONG& out);
  static HRESULT get(const VARIANT& var, LONG i, LONG j, BSTR& out);
  static HRESULT get(const VARIANT& var, LONG i, LONG j, VARIANT& out);
  //! Value forms of the getters; 0 (or "") on failure.
  static double getDouble(const VARIANT& var, LONG i);
  static double getDouble(const VARIANT& var, LONG i, LONG j);
  static LONG getLong(const VARIANT& var, LONG i);
  static LONG getLong(const VARIANT& var, LONG i, LONG j);
  //! The element as UTF-8 text.
  static std::string getString(const VARIANT& var, LONG i);

  //! Address of element `index` (in the array's own index range) of a 1-D array of code `vt`
  //! (3, 5, 8, 11 or 12, and the array's own code). Valid while the array lives; do not free
  //! what it points at. Null, reported, for anything else.
  static void* noCopyItemGet(SAFEARRAY* psa, LONG index, VARTYPE vt);
  //! Makes `out` (cleared first) a reference (VT_BYREF | element code) to element `index` of the
  //! 1-D array in `arr`. Clearing such a reference frees nothing; it is valid while the array
  //! lives.
  static HRESULT noCopyVariantGetV(const VARIANT& arr, LONG index, VARIANT& out);
  //! Moves `value` into element `index` of the 1-D array in `arr`: the old element is freed and
  //! the element takes over what `value` owned; `value` is left VT_EMPTY. Numbers are converted
  //! to the array's code; a string array only takes strings.
  static HRESULT noCopyVariantPutV(VARIANT& arr, LONG index, VARIANT& value);

  //! Iteration over a 1-D array: when `index` lies within the bounds (below the lower bound
  //! starts at it), copies that element into `out` (cleared first), advances `index` and
  //! returns true; returns false once `index` passes the upper bound.
  static bool nextItem(const VARIANT& arr, LONG& index, VARIANT& out);

  //! Deep copy of `src` into `dest` (cleared first; a reference source is copied as its
  //! value). Only cloning exists: without `cloneContents` the call is reported and copies all
  //! the same.
  static HRESULT copy(VARIANT& dest, const VARIANT& src, bool cloneContents = true);

  //! Bytes of one element in an array: 3 gives 4, 5 and 8 give 8, 12 gives 24. Any other code
  //! is reported ("Bug in SetGet") and gives -1.
  static LONG sizeOf(VARTYPE vt);

  //! Text of one value of code `vt` at `value`: 0 "<empty>", 2/3/11 decimal, 5 the general
  //! form with `digits` significant digits keeping the decimal point of integral values ("1."),
  //! 8 the string as UTF-8, 12 the nested variant's value. Other codes give "".
  static std::string valueToStr(const void* value, VARTYPE vt, int digits = kDefaultDigits);
  static std::string valueToStr(double value, int digits = kDefaultDigits);
  //! A variant's value (references followed); an array renders as variantToStr does.
  static std::string valueToStr(const VARIANT& value, int digits = kDefaultDigits);
  //! `prefix` then the texts of `count` elements of code `vt` at `values`, separated by
  //! `separator` (", " when null), without brackets.
  static std::string arrayToStr(const void* values, VARTYPE vt, LONG count,
                                const char* prefix = nullptr, int digits = kDefaultDigits,
                                const char* separator = nullptr);
  //! Text of a variant: a value as valueToStr; a 1-D array as "(a, b, c)", elements with the
  //! default 15 digits; a 2-D array as "(<a, b>, <c, d>)", one group per row, elements with
  //! `digits`. `noBrackets` drops the brackets; `separator` (", " when null) goes between
  //! items. An element whose text holds the separator is reported (1-D arrays only when
  //! `checkSeparator` is set, 2-D arrays always) and rendered anyway.
  static std::string variantToStr(const VARIANT& var, const char* separator = nullptr,
                                  bool noBrackets = false, bool checkSeparator = false,
                                  int digits = kDefaultDigits);
};
