#!/usr/bin/env bash
# The promises of the shipped exe, read from the file itself: PE32 for i386,
# console subsystem, ASLR, imports from Windows' own DLLs only and by their A
# names (the wide module path serves only to check the ANSI one), one manifest
# that asks for nothing, the project version, and a small size.
# A signed exe (--signed) must carry its signature, and the size bound holds
# for it without that signature.
# Usage: binary_contract.sh EXE VERSION [--signed]
set -uo pipefail
exe=$1
version=$2
signed=${3:-}
source "$(dirname "$0")/checks.sh"
at_most() { [[ $2 =~ ^[0-9]+$ ]] && [ "$2" -le "$1" ]; }  # BOUND SIZE

headers=$(i686-w64-mingw32-objdump -p "$exe")
dlls=$(sed -n 's/^\s*DLL Name: //p' <<<"$headers" | tr 'a-z' 'A-Z' | sort | tr '\n' ' ')
# Imported names: the rows under each "DLL Name" (address, hint, name).
imports=$(awk '/DLL Name:/ {in_dll = 1; next} in_dll && NF == 3 && $1 ~ /^[0-9a-f]+$/ {print $3}' <<<"$headers")
imported() { grep -qx "$1" <<<"$imports"; }
all_imported() { local name; for name; do imported "$name" || return 1; done; }
none_imported() { local name; for name; do ! imported "$name" || return 1; done; }
manifest=$(wrestool -x --raw -t 24 -n 1 "$exe" 2>/dev/null | tr -d '\r')
resources=$(wrestool -l "$exe")

check "PE32 for i386" grep -q 'file format pei-i386' < <(i686-w64-mingw32-objdump -f "$exe")
check "PE32 magic" grep -q 'Magic.*010b' <<<"$headers"
check "console subsystem" grep -q 'Subsystem.*00000003' <<<"$headers"
check "ASLR: dynamic base" grep -q 'DYNAMIC_BASE' <<<"$headers"
check "relocation section" grep -q 'Base Relocation Directory \[\.reloc\]' <<<"$headers"
check "imports only KERNEL32, ADVAPI32, msvcrt (got: $dlls)" test "$dlls" = "ADVAPI32.DLL KERNEL32.DLL MSVCRT.DLL "
check "the five platform calls by their A names" all_imported GetModuleFileNameA \
  GetPrivateProfileStringA RegCreateKeyExA RegSetValueExA RegCloseKey
check "the calls that find the exe exactly, probe its settings file, and tell WOW64" \
  all_imported GetModuleFileNameW GetLongPathNameA GetLongPathNameW MultiByteToWideChar \
  IsWow64Process GetCurrentProcess GetSystemDirectoryA GetSystemWow64DirectoryA \
  CreateFileA CloseHandle GetFileAttributesA FindFirstFileA FindClose
check "the calls that read who may change the folder, the exe and the settings" \
  all_imported GetFileSecurityA GetSecurityDescriptorOwner GetSecurityDescriptorDacl GetAce \
  EqualSid IsValidSid OpenProcessToken GetTokenInformation
check "none of the W twins of the reader, the registry, file and security calls" none_imported \
  GetPrivateProfileStringW RegCreateKeyExW RegSetValueExW CreateFileW GetFileAttributesW \
  GetFileSecurityW FindFirstFileW
wide_calls=$(grep 'W$' <<<"$imports" | sort | tr '\n' ' ')
check "no wide call but the two that check the path (got: $wide_calls)" \
  test "$wide_calls" = "GetLongPathNameW GetModuleFileNameW "
check "exactly one RT_MANIFEST, ID 1" test "$(grep -c -- '--type=24 ' <<<"$resources")-$(grep -c -- '--type=24 --name=1 ' <<<"$resources")" = "1-1"
check "manifest: assembly, asm.v1 namespace, version 1.0, no child" grep -qx \
  '<assembly xmlns="urn:schemas-microsoft-com:asm.v1" manifestVersion="1.0"/>' \
  < <(sed '/^<?xml .*?>$/d' <<<"$manifest")
check "manifest holds one element" test "$(grep -c '<assembly' <<<"$manifest")-$(grep -o '<[a-zA-Z]' <<<"$manifest" | wc -l)" = "1-1"
# The version block's strings are UTF-16: each name is followed by its value.
strings=$(wrestool -x --raw -t 16 -n 1 "$exe" | iconv -f UTF-16LE -t UTF-8 2>/dev/null | tr -s '\0' '\n')
has_string() { grep -A1 "$1\$" <<<"$strings" | tail -n 1 | grep -qx "$2"; }
check "file version $version" has_string FileVersion "$version"
check "product version $version" has_string ProductVersion "$version"
check "description" has_string FileDescription "Marks one device as not removable"
check "original file name" has_string OriginalFilename notremovable.exe
# 16 KiB held until the exe had to check its own path; the MinGW start-up code
# alone takes 14 KiB.
measured=$exe
if [ "$signed" = --signed ]; then
  signature=$(mktemp -u) measured=$(mktemp -u)
  check "carries an Authenticode signature" quietly osslsigncode extract-signature -in "$exe" -out "$signature"
  quietly osslsigncode remove-signature -in "$exe" -out "$measured"
  rm -f "$signature"
fi
size=$(stat -c %s "$measured" 2>/dev/null || echo none)
[ "$measured" = "$exe" ] || rm -f "$measured"
check "at most 20 KiB${signed:+ without its signature} (is $size bytes)" at_most 20480 "$size"

report binary_contract
