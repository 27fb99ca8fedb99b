// What the check program takes for the exe to judge: a request for help is
// none, and neither is a folder, a device, or a file that is no Windows program.
#pragma once

#include <cstddef>
#include <cstdint>

#include "rules/text.h"

namespace notremovable {

// "--help", "-h" or "/?" on the command line.
bool AsksForHelp(const wchar_t* argument);

// The command line: options first ("--json", "--compliance", each once, in
// any case of their letters), then at most one exe. A request for help or a
// second exe asks for the usage line; anything else starting with "-" is an
// unknown option.
enum class ArgumentProblem : std::uint8_t { None, Usage, UnknownOption, OptionTwice, OptionAfterExe };
struct Arguments {
  bool json;
  bool compliance;
  const wchar_t* exe;  // null: notremovable.exe beside the check program
  ArgumentProblem problem;
  const wchar_t* culprit;  // the argument that is wrong
};
Arguments ParseArguments(int argc, const wchar_t* const* argv);

// A path in the system's device namespace ("\\.\CON", "\\.\PhysicalDrive0"),
// where a device name such as CON or NUL leads.
bool IsDevicePath(WideText path);

// A Windows program starts with "MZ" and names, at offset 0x3C, where its
// "PE\0\0" header lies; 0 where the bytes read hold no such start.
inline constexpr std::size_t kDosHeaderSize = 64;
std::uint32_t PeHeaderOffset(const unsigned char (&dosHeader)[kDosHeaderSize], std::size_t read);
bool IsPeSignature(const unsigned char (&signature)[4], std::size_t read);

// Why the check cannot judge what it was given; None where it can.
enum class CannotJudge : std::uint8_t { None, Usage, NoSuchExe, Folder, Device, NotAProgram, Unreadable };

// What stands at the target's path, as the platform found it.
struct TargetFacts {
  bool devicePath;
  bool found;         // its attributes can be read
  bool notFound;      // the system says that nothing is there
  bool folder;
  bool opened;        // it could be opened to be read
  bool diskFile;      // what was opened is a file on a disk
  bool program;       // it starts as a Windows program
  unsigned long error;  // why it could not be looked at or opened
};
CannotJudge JudgeTarget(const TargetFacts& target);

}  // namespace notremovable
