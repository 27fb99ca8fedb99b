#!/usr/bin/env bash
# The signed release, through ./scripts/release in a copy of the source tree,
# with a throwaway self-signed code-signing certificate made here: the ZIP's
# two programs and the fleet kit's PowerShell scripts verify against that
# certificate (and not against another), equal the unsigned build (the
# committed script) once their signatures are removed, the exe keeps the
# binary contract and runs under Wine; the password reaches no command line, environment or
# output; bad input fails with one line and leaves no ZIP.
# With --run, only the signed exe's run under Wine, from the ZIP that a run
# without it left in WORK_DIR: skipped (status 77) where the host runs no
# 32-bit code.
# Usage: signed_release.sh WORK_DIR VERSION [--run]
set -uo pipefail
work=$1
version=$2
source "$(dirname "$0")/../scripts/lib/common.sh"
source_root=$root

source "$source_root/tests/checks.sh"
exe="$work/unpacked/notremovable.exe"

# The signed exe runs as the unsigned one does: the default ID, status 1.
runs_under_wine() {
  use_prefix win32
  start_wine
  local dir="$WINEPREFIX/drive_c/signed"
  fresh_exe_folder "$dir"
  cp "$exe" "$dir/notremovable.exe"
  local status=0
  wine "C:\\signed\\notremovable.exe" || status=$?
  local written
  written=$("${native_reg[@]}" query "$overrides_key\\USB#VID_0DB0&PID_A871\\LocationPaths\\*" /v Removable 2>/dev/null | tr -d '\r')
  "${native_reg[@]}" delete "$overrides_key" /f >/dev/null 2>&1
  stop_wine
  [ "$status" = 1 ] && grep -q 'Removable *REG_DWORD *0x0' <<<"$written"
}
if [ "${3:-}" = --run ]; then
  pin_wine_lookup "$0" "$@"
  if ! runs_32bit_code; then
    echo "skipped: the signed exe is a 32-bit program: $(no_32bit_reason)"
    exit 77
  fi
  check "the signed exe runs under Wine: status 1, the default key" runs_under_wine
  report signed_exe_runs
  exit
fi

rm -rf "$work" && mkdir -p "$work/tree" "$work/cert" "$work/shims" "$work/unpacked"
tar -C "$source_root" --exclude=./build --exclude=./.git -cf - . | tar -C "$work/tree" -xf -
tree=$work/tree
zip="$tree/build/notremovable-$version-win32.zip"

# The certificates, and the password in a file as the release takes it.
password="throwaway $RANDOM$RANDOM"
printf '%s\n' "$password" >"$work/cert/password"
printf 'not the password\n' >"$work/cert/wrong"
for name in signer other; do
  openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=notremovable test $name" \
    -addext extendedKeyUsage=codeSigning -addext keyUsage=critical,digitalSignature \
    -keyout "$work/cert/$name.key" -out "$work/cert/$name.pem" 2>/dev/null || exit 1
done
openssl pkcs12 -export -inkey "$work/cert/signer.key" -in "$work/cert/signer.pem" \
  -passout "file:$work/cert/password" -out "$work/cert/signer.pfx" || exit 1

# Every call of the two tools that see the password is logged with its
# arguments and environment, then passed on.
for tool in osslsigncode openssl; do
  printf '#!/bin/sh\n{ echo "$0 $*"; env; } >>"%s"\nexec %s "$@"\n' \
    "$work/calls.log" "$(command -v "$tool")" >"$work/shims/$tool"
  chmod +x "$work/shims/$tool"
done
release() { PATH="$work/shims:$PATH" "$tree/scripts/release" "$@"; }

# Unsigned first: the reference build.
release >"$work/unsigned.out" 2>&1
check "unsigned release" test -f "$zip"
for program in "${release_programs[@]}"; do
  cp "$tree/build/release/$program.exe" "$work/unsigned-$program.exe"
done

# Bad input: one line that says what is wrong, a failure, and no ZIP.
fails_cleanly() {  # EXPECTED_WORDS PKCS12 PASSWORD_FILE
  local out="$work/bad.out"
  NOTREMOVABLE_SIGN_PKCS12=$2 NOTREMOVABLE_SIGN_PASSWORD_FILE=$3 release >"$out" 2>&1 && return 1
  [ "$(wc -l <"$out")" = 1 ] && grep -q "^release: .*$1" "$out" && [ ! -e "$zip" ]
}
check "missing certificate file" fails_cleanly "certificate file" "$work/cert/missing.pfx" "$work/cert/password"
check "certificate path that is a folder" fails_cleanly "certificate file" "$work/cert" "$work/cert/password"
check "missing password file" fails_cleanly "password file" "$work/cert/signer.pfx" "$work/cert/missing"
printf '%s\nsecond line\n' "$password" >"$work/cert/two-lines"
check "password file of two lines" fails_cleanly "one line" "$work/cert/signer.pfx" "$work/cert/two-lines"
check "wrong password" fails_cleanly "does not open" "$work/cert/signer.pfx" "$work/cert/wrong"
check "not a PKCS#12 file" fails_cleanly "does not open" "$work/cert/signer.pem" "$work/cert/password"

NOTREMOVABLE_SIGN_PKCS12="$work/cert/signer.pfx" NOTREMOVABLE_SIGN_PASSWORD_FILE="$work/cert/password" \
  release >"$work/signed.out" 2>&1
check "signed release" test -f "$zip"
unzip -q "$zip" -d "$work/unpacked"
check "SHA256SUMS of the ZIP verifies" bash -c "cd '$work/unpacked' && sha256sum --strict -c SHA256SUMS >/dev/null"
for program in "${release_programs[@]}"; do
  signed_program="$work/unpacked/$program.exe"
  check "$program.exe verifies against the certificate" \
    quietly osslsigncode verify -in "$signed_program" -CAfile "$work/cert/signer.pem"
  check "and not against another one" not quietly osslsigncode verify -in "$signed_program" -CAfile "$work/cert/other.pem"
  osslsigncode remove-signature -in "$signed_program" -out "$work/signature-removed-$program.exe" >/dev/null 2>&1
  check "without its signature it is the unsigned build, byte for byte" \
    cmp "$work/signature-removed-$program.exe" "$work/unsigned-$program.exe"
done
scripts=$(cd "$work/unpacked" && find deploy -name '*.ps1' | LC_ALL=C sort)
check "the kit's PowerShell scripts are in the ZIP" test -n "$scripts"
for script in $scripts; do
  check "$script verifies against the certificate" \
    quietly osslsigncode verify -in "$work/unpacked/$script" -CAfile "$work/cert/signer.pem"
  check "and not against another one" not quietly osslsigncode verify -in "$work/unpacked/$script" -CAfile "$work/cert/other.pem"
  removed="$work/signature-removed-${script//\//-}"
  osslsigncode remove-signature -in "$work/unpacked/$script" -out "$removed" >/dev/null 2>&1
  check "without its signature it is the committed script, byte for byte" cmp "$removed" "$source_root/$script"
done
check "binary contract, signed" quietly bash "$source_root/tests/binary_contract.sh" "$exe" "$version" --signed

check "the password on no command line, in no environment" not grep -qF "$password" "$work/calls.log"
check "the signing tools were called" grep -q osslsigncode "$work/calls.log"
check "the password in no output or file of the build" not grep -rqF "$password" \
  "$work/unsigned.out" "$work/bad.out" "$work/signed.out" "$tree/build"

report signed_release
