// The JSON writer: values, escaped strings, and its state kept as it writes.
#include "check/json_writer.h"

#include "check/catalogue.h"

namespace notremovable {

JsonOut::JsonOut(char* field, std::size_t size, CodePage* codePage)
    : field_(field), size_(size), codePage_(codePage) {}

void JsonOut::Put(const char* text, std::size_t length) {
  if (overflowed_ || length > size_ - length_) {
    overflowed_ = true;
    return;
  }
  for (std::size_t i = 0; i < length; ++i) {
    field_[length_++] = text[i];
  }
}

// Before a value: its comma where it is not the first, and nothing but a key
// before it in an object; one value alone outside any.
void JsonOut::Separate() {
  if (afterKey_) {
    afterKey_ = false;
    return;
  }
  if (depth_ == 0) {
    overflowed_ = overflowed_ || length_ > 0;
    return;
  }
  overflowed_ = overflowed_ || inObject_[depth_ - 1];
  if (hasElement_[depth_ - 1]) {
    Put(',');
  }
  hasElement_[depth_ - 1] = true;
}

void JsonOut::Begin(char bracket) {
  Separate();
  Put(bracket);
  if (depth_ == kMaxDepth) {
    overflowed_ = true;  // deeper than it keeps track of
    return;
  }
  hasElement_[depth_] = false;
  inObject_[depth_] = bracket == '{';
  ++depth_;
}

void JsonOut::End(char bracket) {
  const bool closesObject = bracket == '}';
  if (depth_ == 0 || afterKey_ || inObject_[depth_ - 1] != closesObject) {
    overflowed_ = true;
    return;
  }
  Put(bracket);
  --depth_;
}

void JsonOut::Key(const char* key) {
  if (depth_ == 0 || !inObject_[depth_ - 1] || afterKey_) {
    overflowed_ = true;
    return;
  }
  if (hasElement_[depth_ - 1]) {
    Put(',');
  }
  hasElement_[depth_ - 1] = true;
  Put('"');
  Put(key, LengthOf(key));
  Put("\":", 2);
  afterKey_ = true;
}

void JsonOut::UnicodeEscape(unsigned long unit) {
  static constexpr char kHexDigits[] = "0123456789abcdef";
  const char escaped[] = {'\\', 'u', kHexDigits[unit >> 12U], kHexDigits[(unit >> 8U) & 0xFUL],
                          kHexDigits[(unit >> 4U) & 0xFUL], kHexDigits[unit & 0xFUL]};
  Put(escaped, sizeof escaped);
}

void JsonOut::String(WideText text) {
  Separate();
  Put('"');
  for (std::size_t i = 0; i < text.length; ++i) {
    auto unit = static_cast<unsigned long>(text.text[i]) & 0xFFFFUL;
    const bool high = unit >= 0xD800UL && unit <= 0xDBFFUL;
    const unsigned long next = i + 1 < text.length ? static_cast<unsigned long>(text.text[i + 1]) & 0xFFFFUL : 0;
    if (high && next >= 0xDC00UL && next <= 0xDFFFUL) {
      UnicodeEscape(unit);  // a pair stays a pair: two escapes, the high one first
      unit = next;
      ++i;
    } else if (unit >= 0xD800UL && unit <= 0xDFFFUL) {
      unit = 0xFFFDUL;  // a lone surrogate stands for no character
    }
    if (unit == '"' || unit == '\\') {
      const char escaped[] = {'\\', static_cast<char>(unit)};
      Put(escaped, sizeof escaped);
    } else if (unit >= 0x08UL && unit <= 0x0DUL && unit != 0x0BUL) {
      static constexpr char kShort[] = "btnvfr";  // 0x08 to 0x0D; JSON has no \v
      const char escaped[] = {'\\', kShort[unit - 0x08UL]};
      Put(escaped, sizeof escaped);
    } else if (unit < 0x20UL || unit > 0x7EUL) {
      UnicodeEscape(unit);  // printable ASCII only: every code page passes it unchanged
    } else {
      Put(static_cast<char>(unit));
    }
  }
  Put('"');
}

void JsonOut::String(Text text) {
  if (codePage_ == nullptr) {
    Null();
    return;
  }
  String(codePage_->Widened(text));
}

void JsonOut::Code(const char* code) {
  if (code == nullptr) {
    Null();
    return;
  }
  Separate();
  Put('"');
  Put(code, LengthOf(code));
  Put('"');
}

void JsonOut::Number(unsigned long long number) {
  Separate();
  char digits[kDecimalFieldSize];
  const std::size_t start = WriteDecimal(number, digits);
  Put(digits + start, sizeof digits - start);
}

void JsonOut::Bool(bool value) {
  Separate();
  Put(value ? "true" : "false", value ? 4 : 5);
}

void JsonOut::Null() {
  Separate();
  Put("null", 4);
}

void JsonOut::Element(const char* json, std::size_t length) {
  Separate();
  Put(json, length);
}

}  // namespace notremovable
