// A JSON writer into a fixed field, for the check program's JSON report: one
// value, objects and arrays nested in it, in printable ASCII alone. It keeps
// track of its own state (nesting, commas, keys, the field's end) and says
// when what was written is not whole.
#pragma once

#include <cstddef>

#include "check/findings.h"
#include "rules/text.h"

namespace notremovable {

// Strings from UTF-16 (a lone surrogate as U+FFFD) and from the code page,
// converted exactly, with '"', '\', every control character and everything
// beyond ASCII escaped as JSON escapes them (a surrogate pair as two \u
// escapes). Past the field's end nothing more is written, and it says so.
class JsonOut {
 public:
  JsonOut(char* field, std::size_t size, CodePage* codePage);
  void Begin(char bracket);  // '{' or '['
  void End(char bracket);  // '}' or ']', the one that closes the innermost
  void Key(const char* key);  // in an object, before each value
  void String(WideText text);
  void String(Text text);  // in the code page
  void Code(const char* code);  // the program's own ASCII, or null
  void Number(unsigned long long number);
  void Bool(bool value);
  void Null();
  // An element already written as JSON, in the current array.
  void Element(const char* json, std::size_t length);
  std::size_t Length() const { return length_; }
  // Not whole: past the field's end, or written out of order (a key outside
  // an object, a value in one without its key, an end that closes nothing or
  // the wrong bracket, nesting deeper than it keeps track of).
  bool Overflowed() const { return overflowed_; }
  // Whole and complete: every bracket closed, no key waiting for its value.
  bool IsComplete() const { return !overflowed_ && depth_ == 0 && !afterKey_ && length_ > 0; }

 private:
  void Put(const char* text, std::size_t length);
  void Put(char c) { Put(&c, 1); }
  void Separate();
  void UnicodeEscape(unsigned long unit);  // \uXXXX

  char* field_;
  std::size_t size_;
  std::size_t length_ = 0;
  bool overflowed_ = false;
  CodePage* codePage_;
  static constexpr std::size_t kMaxDepth = 16;
  bool hasElement_[kMaxDepth] = {};
  bool inObject_[kMaxDepth] = {};
  std::size_t depth_ = 0;
  bool afterKey_ = false;
};

}  // namespace notremovable
