#pragma once
//! Option record lists: the text the component persists in the simulator's case, shared with
//! the package adapter (whose own save text is such a list, to which the component appends).
//!
//! Layout (UTF-16 text; lengths count UTF-16 code units):
//!   "%3d :"                               header: the number of records, right-aligned in 3
//!                                         characters, then a blank and a colon
//!   key " : " length " : " value " , "    each record, directly after the header or the
//!                                         previous record; the key is a run of non-blank
//!                                         characters, the value exactly `length` characters of
//!                                         any content (blanks, " : " and " , " included)
//! An absent (empty) text counts as "  0 :" with no records. The count covers every record of
//! the text, whoever appended it. There is no version: a missing record takes its default.
//!
//! Reading never goes past the end of the text: a header that is not a number, a key or length
//! that cannot be read, or a length that points past the end ends the walk, and the records
//! after that point are not found. A count above 999 does not fit three characters; the header
//! then grows to the printed width ("1000 :"), which every reader of the format still reads.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "comlite/types.h"

struct VARIANT;

namespace coravl::setup {

//! The list an absent text stands for.
inline constexpr std::u16string_view kEmptyRecordList = u"  0 :";

//! The count of the header; 0 for an empty text, nullopt when the header is not a number
//! followed by " :".
std::optional<std::size_t> recordCount(std::u16string_view list);

//! Whether `list` is empty, or a header followed by exactly the records it counts and nothing
//! else: the texts to which a record can be appended and found again afterwards.
bool isRecordList(std::u16string_view list);

//! Whether `key` can be written as a record key: not empty, no blank.
bool isRecordKey(std::u16string_view key);

//! Appends the record (key, value) and rewrites the header with the new count ("%3d").
//! RETURNS: true; false, `list` unchanged, when `key` is not a record key or when `list` is not
//! a record list (a record appended to it could not be found again).
bool appendRecord(std::u16string& list, std::u16string_view key, std::u16string_view value);
//! The same with the text of an automation value, as SetGet::variantToStr renders it (default
//! separator, brackets, separator check on, default digits): a boolean is "-1" or "0".
bool appendVariantRecord(std::u16string& list, std::u16string_view key, const VARIANT& value);
//! The same with a boolean ("-1" for true, "0" for false).
bool appendBoolRecord(std::u16string& list, std::u16string_view key, bool value);

//! The value of the first record whose key equals `key` by name equality (ASCII case ignored);
//! nullopt when there is none among the records that can be read. The view points into `list`.
std::optional<std::u16string_view> findRecord(std::u16string_view list, std::u16string_view key);
//! The same, the last such record: the component's records come after the adapter's (and after
//! any of the component's that an adapter handed back), so the last one is the one it wrote.
std::optional<std::u16string_view> findLastRecord(std::u16string_view list,
                                                  std::u16string_view key);

//! A record value read as C's atof does in the "C" locale (leading white space, sign, decimal
//! or hexadecimal digits, exponent, "inf", "nan"); 0 when it does not start with a number.
double recordNumber(std::u16string_view value);

//! A boolean option: the last record of `key` (see findLastRecord) when it exists and is not
//! empty, true when its value read as a number is not 0; otherwise `defaultValue`.
bool readBoolRecord(std::u16string_view list, std::u16string_view key, bool defaultValue);

}  // namespace coravl::setup
