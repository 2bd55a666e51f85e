#include "base/name_compare.h"

namespace Utils {

namespace {

template <class Char>
constexpr Char foldAscii(Char c) {
  return (c >= Char('A') && c <= Char('Z')) ? Char(c - Char('A') + Char('a')) : c;
}

template <class Char>
bool equalFolded(std::basic_string_view<Char> a, std::basic_string_view<Char> b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (foldAscii(a[i]) != foldAscii(b[i])) return false;
  return true;
}

template <class Char>
bool equalFoldedN(const Char* a, const Char* b, std::size_t limit) {
  static const Char empty[1] = {Char(0)};
  if (!a) a = empty;
  if (!b) b = empty;
  for (std::size_t i = 0; i < limit; ++i) {
    if (foldAscii(a[i]) != foldAscii(b[i])) return false;
    if (a[i] == Char(0)) return true;
  }
  return true;
}

template <class Char>
std::basic_string_view<Char> viewOf(const Char* s) {
  return s ? std::basic_string_view<Char>(s) : std::basic_string_view<Char>();
}

}  // namespace

bool namesEqual(std::u16string_view a, std::u16string_view b) {
  return equalFolded(a, b);
}

bool namesEqual(const OLECHAR* a, const OLECHAR* b) {
  return equalFolded(viewOf(a), viewOf(b));
}

bool namesEqual(std::string_view a, std::string_view b) {
  return equalFolded(a, b);
}

bool namesEqual(const char* a, const char* b) {
  return equalFolded(viewOf(a), viewOf(b));
}

bool namesEqualN(const OLECHAR* a, const OLECHAR* b, std::size_t limit) {
  return equalFoldedN(a, b, limit);
}

bool namesEqualN(const char* a, const char* b, std::size_t limit) {
  return equalFoldedN(a, b, limit);
}

}  // namespace Utils
