// Text as the program handles it: a run of characters that need not end in a
// zero, lengths counted up to a terminator, and the one ASCII case fold by
// which Windows compares device IDs and the file system the names of folders.
#pragma once

#include <cstddef>

namespace notremovable {

// 8-bit text in the ANSI code page, or UTF-16 as Windows' W calls give it.
template <class Char>
struct BasicText {
  const Char* text;
  std::size_t length;
};
using Text = BasicText<char>;
using WideText = BasicText<wchar_t>;

// The length of a zero-terminated text.
template <class Char>
constexpr std::size_t LengthOf(const Char* text) {
  std::size_t length = 0;
  while (text[length] != Char{}) {
    ++length;
  }
  return length;
}

// The length of a text in a field that may lack a terminator: then the whole field.
template <std::size_t FieldSize>
std::size_t BoundedLength(const char (&field)[FieldSize]) {
  std::size_t length = 0;
  while (length < FieldSize && field[length] != '\0') {
    ++length;
  }
  return length;
}

template <class Char>
constexpr bool IsAscii(Char c) {
  return static_cast<unsigned long>(c) < 0x80UL;
}

// An ASCII letter in upper case; anything else as it is.
template <class Char>
constexpr Char FoldAsciiCase(Char c) {
  return c >= Char{'a'} && c <= Char{'z'} ? static_cast<Char>(c - Char{'a'} + Char{'A'}) : c;
}

// Whether two texts hold the same characters.
template <class Char>
bool IsSameText(BasicText<Char> a, BasicText<Char> b) {
  std::size_t same = 0;
  while (same < a.length && same < b.length && a.text[same] == b.text[same]) {
    ++same;
  }
  return same == a.length && same == b.length;
}

// Whether two texts hold the same ASCII characters but for their case, as
// Windows compares device IDs whatever the user's locale. A character outside
// ASCII never matches: what the code page renders as a look-alike is another letter.
template <class A, class B>
bool IsSameAsciiText(BasicText<A> a, BasicText<B> b) {
  if (a.length != b.length) {
    return false;
  }
  for (std::size_t i = 0; i < a.length; ++i) {
    if (!IsAscii(a.text[i]) || !IsAscii(b.text[i]) ||
        FoldAsciiCase(static_cast<char>(a.text[i])) != FoldAsciiCase(static_cast<char>(b.text[i]))) {
      return false;
    }
  }
  return true;
}

}  // namespace notremovable
