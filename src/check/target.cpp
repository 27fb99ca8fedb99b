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

std::uint32_t PeHeaderOffset(const unsigned char (&dosHeader)[kDosHeaderSize], std::size_t read) {
  constexpr std::size_t kOffsetField = 0x3C;
  if (read < kDosHeaderSize || dosHeader[0] != 'M' || dosHeader[1] != 'Z') {
    return 0;
  }
  std::uint32_t offset = 0;
  for (std::size_t i = 4; i > 0; --i) {
    offset = offset << 8U | dosHeader[kOffsetField + i - 1];
  }
  return offset;
}

bool IsPeSignature(const unsigned char (&signature)[4], std::size_t read) {
  return read == sizeof signature && signature[0] == 'P' && signature[1] == 'E' && signature[2] == 0 &&
         signature[3] == 0;
}

CannotJudge JudgeTarget(const TargetFacts& target) {
  if (target.devicePath) {
    return CannotJudge::Device;
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
  return target.program ? CannotJudge::None : CannotJudge::NotAProgram;
}

}  // namespace notremovable
