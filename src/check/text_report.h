// The check program's text report: one fact a line, each a catalogue row,
// the verdict last. Text from outside (paths, values, names, messages) is
// escaped: every control character, and each '"' and each '\' that starts
// "\x", as \xHH, so that only the verdict line starts with "verdict:" and
// every \x in a line is an escape.
#pragma once

#include "check/catalogue.h"
#include "check/findings.h"
#include "check/renderer.h"
#include "check/target.h"
#include "check/verdict.h"

namespace notremovable {

// One line: the row's label, then its sentence, in the code page.
void WriteLine(ReportOut& out, CodePage& codePage, const Sentence& sentence);

// Why the check cannot judge what it was given, or what is wrong with its
// arguments: one line (on stderr), whatever the form.
void WriteCannotJudge(ReportOut& out, CodePage& codePage, const Findings& findings, const Verdict& verdict);
void WriteArgumentProblem(ReportOut& out, CodePage& codePage, const Arguments& arguments);
void WriteReportNotWritten(ReportOut& out, CodePage& codePage);

// Each device's line, the count with its warnings and notes, and the verdict.
void WriteDeviceLine(ReportOut& out, CodePage& codePage, const DeviceFacts& device, const DeviceVerdict& judged);
void WriteDeviceSummary(ReportOut& out, CodePage& codePage, const Findings& findings, const Verdict& verdict);
void WriteVerdict(ReportOut& out, CodePage& codePage, const Findings& findings, const Verdict& verdict);

class TextReport final : public Renderer {
 public:
  TextReport(ReportOut& out, CodePage& codePage) : out_(out), codePage_(codePage) {}
  // Where it runs, the settings and the trust lines, the value and the key,
  // each device's line, and where they were walked their count, warnings and
  // notes; the verdict last. Nothing where the check cannot judge (its line
  // goes to stderr).
  void Render(const Findings& findings, const Verdict& verdict) override;

 private:
  ReportOut& out_;
  CodePage& codePage_;
};

}  // namespace notremovable
