#!/usr/bin/env bash
# The promises of the shipped programs, read from the files themselves.
# notremovable.exe: PE32 for i386, console subsystem, ASLR, imports from
# Windows' own DLLs only and by their A names (the wide module path serves
# only to check the ANSI one), one manifest that asks for nothing, the project
# version, and a small size. notremovable-check.exe, beside it: the same
# build, SetupAPI besides, and no call that writes the registry or a file.
# Signed programs (--signed) must carry their signatures, and the size bound
# holds for the exe without its signature.
# Usage: binary_contract.sh EXE VERSION [--signed]
set -uo pipefail
exe=$1
version=$2
signed=${3:-}
source "$(dirname "$0")/checks.sh"
at_most() { [[ $2 =~ ^[0-9]+$ ]] && [ "$2" -le "$1" ]; }  # BOUND SIZE

# Reads one program's headers, imports and resources into the variables below.
read_program() {  # PATH
  program=$1
  headers=$(i686-w64-mingw32-objdump -p "$program")
  dlls=$(sed -n 's/^\s*DLL Name: //p' <<<"$headers" | tr 'a-z' 'A-Z' | sort | tr '\n' ' ')
  # Imported names: the rows under each "DLL Name" (address, hint, name).
  imports=$(awk '/DLL Name:/ {in_dll = 1; next} in_dll && NF == 3 && $1 ~ /^[0-9a-f]+$/ {print $3}' <<<"$headers")
  manifest=$(wrestool -x --raw -t 24 -n 1 "$program" 2>/dev/null | tr -d '\r')
  resources=$(wrestool -l "$program")
  # The version block's strings are UTF-16: each name is followed by its value.
  strings=$(wrestool -x --raw -t 16 -n 1 "$program" | iconv -f UTF-16LE -t UTF-8 2>/dev/null | tr -s '\0' '\n')
}
imported() { grep -qx "$1" <<<"$imports"; }
all_imported() { local name; for name; do imported "$name" || return 1; done; }
none_imported() { local name; for name; do ! imported "$name" || return 1; done; }
has_string() { grep -A1 "$1\$" <<<"$strings" | tail -n 1 | grep -qx "$2"; }

# What both programs promise: the build, the manifest, the version.
common_checks() {  # NAME DESCRIPTION
  local name=$1
  check "$name: PE32 for i386" grep -q 'file format pei-i386' < <(i686-w64-mingw32-objdump -f "$program")
  check "$name: PE32 magic" grep -q 'Magic.*010b' <<<"$headers"
  check "$name: console subsystem" grep -q 'Subsystem.*00000003' <<<"$headers"
  check "$name: ASLR: dynamic base" grep -q 'DYNAMIC_BASE' <<<"$headers"
  check "$name: relocation section" grep -q 'Base Relocation Directory \[\.reloc\]' <<<"$headers"
  check "$name: the shared calls by their A names" all_imported GetPrivateProfileStringA \
    GetModuleFileNameA GetLongPathNameA CreateFileA FindFirstFileA GetFileSecurityA GetFinalPathNameByHandleA
  check "$name: exactly one RT_MANIFEST, ID 1" test "$(grep -c -- '--type=24 ' <<<"$resources")-$(grep -c -- '--type=24 --name=1 ' <<<"$resources")" = "1-1"
  check "$name: manifest: assembly, asm.v1 namespace, version 1.0, no child" grep -qx \
    '<assembly xmlns="urn:schemas-microsoft-com:asm.v1" manifestVersion="1.0"/>' \
    < <(sed '/^<?xml .*?>$/d' <<<"$manifest")
  check "$name: manifest holds one element" test "$(grep -c '<assembly' <<<"$manifest")-$(grep -o '<[a-zA-Z]' <<<"$manifest" | wc -l)" = "1-1"
  check "$name: file version $version" has_string FileVersion "$version"
  check "$name: product version $version" has_string ProductVersion "$version"
  check "$name: description" has_string FileDescription "$2"
  check "$name: original file name" has_string OriginalFilename "$name"
  if [ "$signed" = --signed ]; then
    local signature
    signature=$(mktemp -u)
    check "$name: carries an Authenticode signature" quietly osslsigncode extract-signature -in "$program" -out "$signature"
    rm -f "$signature"
  fi
}

read_program "$exe"
common_checks notremovable.exe "Marks one device as not removable"
check "imports only KERNEL32, ADVAPI32, msvcrt (got: $dlls)" test "$dlls" = "ADVAPI32.DLL KERNEL32.DLL MSVCRT.DLL "
check "the five platform calls by their A names" all_imported GetModuleFileNameA \
  GetPrivateProfileStringA RegCreateKeyExA RegSetValueExA RegCloseKey
check "the calls that find the exe exactly, probe its settings file, and tell WOW64" \
  all_imported GetModuleFileNameW GetLongPathNameA GetLongPathNameW MultiByteToWideChar \
  GetSystemDirectoryA GetSystemWow64DirectoryA \
  CreateFileA CloseHandle FindFirstFileA FindClose GetFinalPathNameByHandleA
check "the calls that read who may change the folder, the exe and the settings" \
  all_imported GetFileSecurityA GetKernelObjectSecurity GetSecurityDescriptorOwner \
  GetSecurityDescriptorDacl GetAce GetCurrentProcess OpenProcessToken GetTokenInformation
check "none of the W twins of its calls" none_imported GetPrivateProfileStringW CreateFileW FindFirstFileW \
  GetFileSecurityW RegCreateKeyExW RegSetValueExW GetFileAttributesW
wide_calls=$(grep 'W$' <<<"$imports" | sort | tr '\n' ' ')
check "no wide call but the two that check the path (got: $wide_calls)" \
  test "$wide_calls" = "GetLongPathNameW GetModuleFileNameW "
# 16 KiB held until the exe had to check its own path; the MinGW start-up code
# alone takes 14 KiB.
measured=$exe
if [ "$signed" = --signed ]; then
  measured=$(mktemp -u)
  quietly osslsigncode remove-signature -in "$exe" -out "$measured"
fi
size=$(stat -c %s "$measured" 2>/dev/null || echo none)
[ "$measured" = "$exe" ] || rm -f "$measured"
check "at most 20 KiB${signed:+ without its signature} (is $size bytes)" at_most 20480 "$size"

read_program "$(dirname "$exe")/notremovable-check.exe"
common_checks notremovable-check.exe "Tells what notremovable.exe would do on this PC, and why"
check "notremovable-check.exe: imports only KERNEL32, ADVAPI32, SETUPAPI, msvcrt (got: $dlls)" \
  test "$dlls" = "ADVAPI32.DLL KERNEL32.DLL MSVCRT.DLL SETUPAPI.DLL "
check "notremovable-check.exe: reads the registry, and lists devices with the wide calls" all_imported \
  RegOpenKeyExA RegQueryValueExW RegCloseKey SetupDiGetClassDevsW SetupDiGetDeviceRegistryPropertyW \
  SetupDiGetDeviceInstanceIdW SetupDiGetDevicePropertyW
writes=()
for call in RegCreateKey RegCreateKeyEx RegSetValue RegSetValueEx RegSetKeyValue RegDeleteKey \
            RegDeleteKeyEx RegDeleteValue RegDeleteTree RegDeleteKeyValue RegSaveKey RegRestoreKey \
            RegLoadKey RegReplaceKey DeleteFile MoveFile MoveFileEx CopyFile CreateDirectory \
            SetFileSecurity SetFileAttributes WritePrivateProfileString; do
  writes+=("${call}A" "${call}W")
done
check "notremovable-check.exe: no call that writes the registry or a file" none_imported \
  "${writes[@]}" RegFlushKey WriteFile SetupDiSetDeviceRegistryPropertyA SetupDiSetDeviceRegistryPropertyW

report binary_contract
