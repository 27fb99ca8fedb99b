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

// What the loader would make of a file, from its headers ("PE\0\0", the
// file header, the optional header and the section table, as read from the
// offset the DOS header names) and its size: a console program for the
// machine this build of the exe is for, or why it would not run as one.
inline constexpr std::size_t kPeHeadersFieldSize = 4096;  // 96 sections, the loader's most, and more
inline constexpr std::uint16_t kMachineI386 = 0x014C;
inline constexpr std::uint16_t kMachineAmd64 = 0x8664;
enum class PeVerdict : std::uint8_t { ConsoleProgram, NotAProgram, Truncated, OtherMachine, Dll, NotConsole };
PeVerdict JudgePeHeaders(const unsigned char* headers, std::size_t read, std::uint64_t headersAt,
                         std::uint64_t fileSize, std::uint16_t machine);

// Why the check cannot judge what it was given; None where it can. The last
// four: a program that would not run as the exe does.
enum class CannotJudge : std::uint8_t {
  None, Usage, NoSuchExe, Folder, Device, NotAProgram, Unreadable,
  Truncated, OtherMachine, Dll, NotConsole,
};

// What stands at the target's path, as the platform found it. It is looked
// at only where its path can be had and the exe's reads reach its folder:
// where they do not, the exe refuses by the path alone.
struct TargetFacts {
  bool pathUnusable;  // no full path can be had, or none that fits the field
  bool devicePath;
  bool lookedAt;
  bool found;         // its attributes can be read
  bool notFound;      // the system says that nothing is there
  bool folder;
  bool opened;        // it could be opened to be read
  bool diskFile;      // what was opened is a file on a disk
  PeVerdict program;  // what the loader would make of it
  unsigned long error;  // why it could not be looked at or opened
};
CannotJudge JudgeTarget(const TargetFacts& target);

}  // namespace notremovable
