// Shared by the check's table tests: the report written into a string, and
// the code page as Latin-1, as the renderers are given them.
#pragma once

#include <cstddef>
#include <string>

#include "check/findings.h"
#include "check/renderer.h"
#include "rules/text.h"

namespace notremovable {

// The report as text.
class ReportText final : public ReportOut {
 public:
  void Write(const char* text, std::size_t length) override { text_.append(text, length); }
  std::string text_;
};

// The code page as Latin-1: each byte its own character; "?" for what it
// cannot write; nothing for a text longer than the platform's field.
class Latin1 final : public CodePage {
 public:
  Text Shown(WideText text) override {
    if (text.length > 1024) {
      return {nullptr, 0};
    }
    shown_.clear();
    for (std::size_t i = 0; i < text.length; ++i) {
      shown_ += text.text[i] < 0x100 ? static_cast<char>(text.text[i]) : '?';
    }
    return {shown_.data(), shown_.size()};
  }
  WideText Widened(Text text) override {
    widened_.clear();
    for (std::size_t i = 0; i < text.length; ++i) {
      widened_ += static_cast<wchar_t>(static_cast<unsigned char>(text.text[i]));
    }
    return {widened_.data(), widened_.size()};
  }

 private:
  std::string shown_;
  std::wstring widened_;
};

}  // namespace notremovable
