// The check program's JSON report, for the tools that manage fleets: the
// same facts as the text report, as one line holding one JSON object (RFC
// 8259, in printable ASCII: every console code page passes it unchanged),
// with stable codes from the catalogue. Its schema is
// res/notremovable-check.schema.json. Bounded (for --compliance), the line
// stays within the bound: devices that do not fit are counted, not listed.
#pragma once

#include <cstddef>

#include "check/findings.h"
#include "check/json_writer.h"
#include "check/renderer.h"
#include "check/verdict.h"
#include "rules/text.h"

namespace notremovable {

inline constexpr int kJsonSchemaVersion = 1;
// What Intune's Remediations keep of a script's output, the line end included.
inline constexpr std::size_t kComplianceLineBound = 2048;

// The fields the JSON report is written in: the line, and each kept device's
// object, one after another.
struct JsonFields {
  static constexpr std::size_t kLineFieldSize = 64 * 1024;
  static constexpr std::size_t kDeviceFieldSize = 64 * 1024;
  static constexpr std::size_t kMostListed = 512;
  char line[kLineFieldSize];
  char devices[kDeviceFieldSize];
  std::size_t deviceEnds[kMostListed];
};

class JsonReport final : public Renderer {
 public:
  // bound: the longest line, its end included; 0 for none.
  JsonReport(ReportOut& out, CodePage& codePage, std::size_t bound, JsonFields& fields);
  void Render(const Findings& findings, const Verdict& verdict) override;

 private:
  void WriteDevices(const Findings& findings, const Verdict& verdict);

  ReportOut& out_;
  CodePage& codePage_;
  std::size_t bound_;
  JsonFields& fields_;
  std::size_t listed_ = 0;
  std::size_t notListed_ = 0;
};

}  // namespace notremovable
