#pragma once
//! Option record lists: the persisted text shared by the socket and the package adapter.
//!
//! Layout (UTF-16 text, lengths count UTF-16 code units):
//!   "%3d :"                        header: the number of records, right-aligned in 3 characters
//!   key " : " length " : " value " , "    each record; the key has no blank, the value is
//!                                  exactly `length` characters of any content
//! An absent text counts as "  0 :" with no records. The count covers every record of the
//! text, whoever appended it.

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace capeside {

using Record = std::pair<std::u16string, std::u16string>;

//! Appends one record and rewrites the count of the header.
void appendRecord(std::u16string& list, std::u16string_view key, std::u16string_view value);
//! The value of the first record whose key equals `key` without ASCII case; nullopt when none.
std::optional<std::u16string> findRecord(std::u16string_view list, std::u16string_view key);
//! Every record in order; nullopt when the header or a record cannot be read.
std::optional<std::vector<Record>> parseRecords(std::u16string_view list);

//! UTF-8 convenience forms.
void appendRecord(std::u16string& list, std::string_view key, std::string_view value);
std::optional<std::string> findRecordUtf8(std::u16string_view list, std::string_view key);

}  // namespace capeside
