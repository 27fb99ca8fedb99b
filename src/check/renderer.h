// Where the check program's report goes, and what words it: a renderer is
// given the record and the verdict decided on it, and decides nothing itself.
#pragma once

#include <cstddef>

#include "check/findings.h"
#include "check/verdict.h"

namespace notremovable {

class ReportOut {
 public:
  virtual void Write(const char* text, std::size_t length) = 0;

 protected:
  ReportOut() = default;
  ~ReportOut() = default;
  ReportOut(const ReportOut&) = default;
  ReportOut& operator=(const ReportOut&) = default;
};

class Renderer {
 public:
  virtual void Render(const Findings& findings, const Verdict& verdict) = 0;

 protected:
  Renderer() = default;
  ~Renderer() = default;
  Renderer(const Renderer&) = default;
  Renderer& operator=(const Renderer&) = default;
};

}  // namespace notremovable
