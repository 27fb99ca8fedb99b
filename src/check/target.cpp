// The check program's rules for what it was given to judge.
#include "check/target.h"

#include <initializer_list>

namespace notremovable {

bool AsksForHelp(const wchar_t* argument) {
  const WideText given = {argument, LengthOf(argument)};
  for (const char* help : {"--help", "-h", "/?"}) {
    if (IsSameAsciiText(given, Text{help, LengthOf(help)})) {
      return true;
    }
  }
  return false;
}

namespace {

bool IsOption(const wchar_t* argument, const char* option) {
  return IsSameAsciiText(WideText{argument, LengthOf(argument)}, Text{option, LengthOf(option)});
}

}  // namespace

Arguments ParseArguments(int argc, const wchar_t* const* argv) {
  Arguments arguments = {false, false, nullptr, ArgumentProblem::None, nullptr};
  for (int i = 1; i < argc && arguments.problem == ArgumentProblem::None; ++i) {
    const wchar_t* const argument = argv[i];
    bool* const option = IsOption(argument, "--json")         ? &arguments.json
                         : IsOption(argument, "--compliance") ? &arguments.compliance
                                                              : nullptr;
    if (AsksForHelp(argument) || (argument[0] != L'-' && arguments.exe != nullptr)) {
      arguments.problem = ArgumentProblem::Usage;
    } else if (argument[0] != L'-') {
      arguments.exe = argument;
    } else if (arguments.exe != nullptr) {
      arguments.problem = ArgumentProblem::OptionAfterExe;
    } else if (option == nullptr) {
      arguments.problem = ArgumentProblem::UnknownOption;
    } else if (*option) {
      arguments.problem = ArgumentProblem::OptionTwice;
    } else {
      *option = true;
    }
    arguments.culprit = argument;
  }
  if (arguments.problem == ArgumentProblem::None) {
    arguments.culprit = nullptr;
  }
  return arguments;
}

bool IsDevicePath(WideText path) {
  return path.length >= 4 && path.text[0] == L'\\' && path.text[1] == L'\\' && path.text[2] == L'.' &&
         path.text[3] == L'\\';
}

namespace {

// Little-endian fields, read only where the bytes read hold them.
std::uint32_t Field(const unsigned char* bytes, std::size_t at, std::size_t size) {
  std::uint32_t value = 0;
  for (std::size_t i = size; i > 0; --i) {
    value = value << 8U | bytes[at + i - 1];
  }
  return value;
}

}  // namespace

std::uint32_t PeHeaderOffset(const unsigned char (&dosHeader)[kDosHeaderSize], std::size_t read) {
  constexpr std::size_t kOffsetField = 0x3C;
  if (read < kDosHeaderSize || dosHeader[0] != 'M' || dosHeader[1] != 'Z') {
    return 0;
  }
  return Field(dosHeader, kOffsetField, 4);
}

PeVerdict JudgePeHeaders(const unsigned char* headers, std::size_t read, std::uint64_t headersAt,
                         std::uint64_t fileSize, std::uint16_t machine) {
  // The signature, the file header, and where the optional header and the
  // section table end.
  constexpr std::size_t kFileHeaderEnd = 24;
  constexpr std::size_t kSectionSize = 40;
  constexpr std::size_t kSubsystemEnd = 70;  // the optional header's subsystem, in PE32 and PE32+
  constexpr std::uint32_t kExecutableImage = 0x0002;
  constexpr std::uint32_t kDllImage = 0x2000;
  constexpr std::uint32_t kPe32 = 0x10B;
  constexpr std::uint32_t kPe32Plus = 0x20B;
  constexpr std::uint32_t kConsoleSubsystem = 3;
  // Cut short: the file ends before what its headers say it holds.
  const auto endsBefore = [&](std::uint64_t end) { return fileSize < headersAt + end; };
  if (read < 4 || headers[0] != 'P' || headers[1] != 'E' || headers[2] != 0 || headers[3] != 0) {
    return read < 4 && endsBefore(4) ? PeVerdict::Truncated : PeVerdict::NotAProgram;
  }
  if (read < kFileHeaderEnd) {
    return endsBefore(kFileHeaderEnd) ? PeVerdict::Truncated : PeVerdict::NotAProgram;
  }
  const std::size_t sections = Field(headers, 6, 2);
  const std::size_t optionalSize = Field(headers, 20, 2);
  const std::size_t tableEnd = kFileHeaderEnd + optionalSize + sections * kSectionSize;
  if (read < tableEnd) {
    return endsBefore(tableEnd) ? PeVerdict::Truncated : PeVerdict::NotAProgram;
  }
  const std::uint32_t magic = Field(headers, kFileHeaderEnd, 2);
  if (optionalSize < kSubsystemEnd || (magic != kPe32 && magic != kPe32Plus)) {
    return PeVerdict::NotAProgram;
  }
  for (std::size_t i = 0; i < sections; ++i) {
    const std::size_t section = kFileHeaderEnd + optionalSize + i * kSectionSize;
    const std::uint64_t rawSize = Field(headers, section + 16, 4);
    const std::uint64_t rawAt = Field(headers, section + 20, 4);
    if (rawSize != 0 && rawAt + rawSize > fileSize) {
      return PeVerdict::Truncated;
    }
  }
  const std::uint32_t characteristics = Field(headers, 22, 2);
  if ((characteristics & kDllImage) != 0) {
    return PeVerdict::Dll;
  }
  if ((characteristics & kExecutableImage) == 0) {
    return PeVerdict::NotAProgram;
  }
  if (Field(headers, 4, 2) != machine) {
    return PeVerdict::OtherMachine;
  }
  return Field(headers, kFileHeaderEnd + 68, 2) == kConsoleSubsystem ? PeVerdict::ConsoleProgram
                                                                      : PeVerdict::NotConsole;
}

CannotJudge JudgeTarget(const TargetFacts& target) {
  if (target.pathUnusable) {
    return CannotJudge::Usage;
  }
  if (target.devicePath) {
    return CannotJudge::Device;
  }
  if (!target.lookedAt) {
    return CannotJudge::None;
  }
  if (!target.found) {
    return target.notFound ? CannotJudge::NoSuchExe : CannotJudge::Unreadable;
  }
  if (target.folder) {
    return CannotJudge::Folder;
  }
  if (!target.opened) {
    return CannotJudge::Unreadable;
  }
  if (!target.diskFile) {
    return CannotJudge::Device;
  }
  switch (target.program) {
    case PeVerdict::ConsoleProgram:
      return CannotJudge::None;
    case PeVerdict::Truncated:
      return CannotJudge::Truncated;
    case PeVerdict::OtherMachine:
      return CannotJudge::OtherMachine;
    case PeVerdict::Dll:
      return CannotJudge::Dll;
    case PeVerdict::NotConsole:
      return CannotJudge::NotConsole;
    default:
      return CannotJudge::NotAProgram;
  }
}

}  // namespace notremovable
