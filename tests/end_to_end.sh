#!/usr/bin/env bash
# End to end: runs the real notremovable.exe under Wine, one case a function,
# and reads back what it left under DeviceOverrides with that Windows' own reg.
# Where a case says what the check program must say, notremovable-check.exe
# runs first, in the same setup, as the exe's oracle.
# win32 and win64 run the 32-bit build on 32-bit Windows and under WOW64 on
# 64-bit Windows; x64 the x86-64 build on 64-bit Windows, which runs where the
# host runs no 32-bit code. Skipped (status 77) where the build cannot run.
# Usage: end_to_end.sh WINDOWS_BUILD_DIR win32|win64|x64
set -uo pipefail
# Root reads any file, whatever its permissions: drop that power (for this
# script, the wineserver and every program it starts), so that a settings file
# can really be denied.
capabilities=$(awk '/^CapEff:/ {print $2}' /proc/self/status)
if (( 0x$capabilities & 0x2 )) && [ -z "${E2E_NO_DAC_OVERRIDE:-}" ]; then
  E2E_NO_DAC_OVERRIDE=1 exec setpriv --bounding-set=-dac_override,-dac_read_search -- bash "$0" "$@"
fi
source "$(dirname "$0")/../scripts/lib/common.sh"
pin_wine_lookup "$0" "$@"
# Modes as a careful administrator's: the cases that open files to others say so.
umask 022
windows_dir=$1  # after the shared library, which sets its own default
arch=$2
use_prefix "$arch" || exit 1
if [ "$arch" != x64 ] && ! runs_32bit_code; then
  echo "skipped: end_to_end_$arch runs the 32-bit exe: $(no_32bit_reason)"
  exit 77
fi

helpers="$windows_dir/tests"
cases_dir="$WINEPREFIX/drive_c/e2e"
default_key='USB#VID_0DB0&PID_A871\LocationPaths\*'
configured_id='USB\VID_1111&PID_2222'
configured_key='USB#VID_1111&PID_2222\LocationPaths\*'
wine_hid_id='HID\VID_845E&PID_0001'  # a device Wine itself has
# What the check says of the Windows its build runs on.
declare -A windows_kinds=([win32]='32-bit' [win64]='64-bit \(the exe runs under WOW64\)'
                          [x64]='64-bit \(an x86-64 build: the exe runs without WOW64\)')
storage_class_id='USB\Class_08&SubClass_06&Prot_50'  # every USB stick's compatible ID

repeat() { printf "%${2}s" '' | tr ' ' "$1"; }   # repeat CHAR COUNT
# A path relative to a case folder that makes C:\e2e\CASE\... TOTAL characters long.
path_of_length() {  # TOTAL EXTENSION
  local used=$((8 + ${#name} + 101 + ${#2}))
  echo "$(repeat p 100)/$(repeat m $(($1 - used)))$2"
}
id_of_length() { echo "USB\\$(repeat A $(($1 - 4)))"; }       # LENGTH
key_of_length() { echo "USB#$(repeat A $(($1 - 4)))\\LocationPaths\\*"; }

# What a case says, inside its function case_NAME (which runs in a fresh case
# folder $dir, with the exe at $dir/notremovable.exe):
#   exe_at PATH          the exe lies at PATH instead: relative to $dir, or C:/...
#   settings PATH VALUE  a settings file at PATH with [Settings] and DevID=VALUE
#   file PATH FORMAT...  a file at PATH, its content printf'd
#   expect STATUS KEY    the exe's status, and the registry after it: "-" nothing,
#                        KEY that key holding Removable REG_DWORD 0, only:KEY that key alone,
#                        +KEY that key holding it among others
#   says REGEX           the check program runs first, and prints a line that matches
#   exe_runs COMMAND...  the exe runs as COMMAND DIR EXE (Windows path), not plainly
#   check_runs COMMAND...  the same for the check program (CHECK, its Windows path)
#   after_run COMMAND... a further assertion after the exe's runs; it adds to $problems
#   runs N, args ARG...  the exe's runs and arguments
#   win64_only || return 0   the case exists for the 32-bit exe under WOW64 only
#   x64_only || return 0     the case exists for the x86-64 build only
#   fleet [after] OPTIONS STATUS FACT...  the check program runs with OPTIONS
#                        ("--compliance --json", say) before the exe (or after its
#                        runs): status STATUS, and one JSON line, valid against the
#                        schema (within 2,048 bytes with --compliance), holding each
#                        FACT ("verdict.reason=folder_untrusted")
#   cannot_judge ARG...  only the check program runs, with ARG: status 2 and one
#                        line on stderr, nothing on stdout...
#   judged_json FACT...  ...but for one JSON line there holding each FACT
#   judged_into FILE     ...its stdout going to FILE (/dev/full, say) instead
place() {  # PATH
  case $1 in
    C:/*) echo "$WINEPREFIX/drive_c/${1#C:/}" ;;
    *) echo "$dir/$1" ;;
  esac
}
# The Windows path of a file in the prefix's drive C:.
windows_path() {
  local relative=${1#"$WINEPREFIX/drive_c/"}
  echo "C:\\${relative//\//\\}"
}
# Files and folders laid outside the case folder are removed after the case.
lay() {  # PATH: makes its folder; prints the Unix path
  local path
  path=$(place "$1")
  [[ $path == "$dir"/* ]] || outside+=("$path")
  mkdir -p "$(dirname "$path")" && echo "$path"
}
exe_at() {
  rm -f "$exe"
  exe=$(lay "$1") && cp "$windows_dir/notremovable.exe" "$exe"
}
file() { local path; path=$(lay "$1") && shift && printf "$@" >"$path"; }
settings() { file "$1" '[Settings]\r\nDevID=%s\r\n' "$2"; }
expect() { want_status=$1 want_key=$2; }
says() { facts+=("$1"); }
exe_runs() { exe_runner=("$@"); }
check_runs() { check_runner=("$@"); }
after_run() { afterwards+=("$*"); }
runs() { exe_runs_count=$1; }
args() { exe_args=("$@"); }
win64_only() { [ "$arch" = win64 ] || { skip=1; return 1; }; }
x64_only() { [ "$arch" = x64 ] || { skip=1; return 1; }; }
cannot_judge() { judge_args=("$@"); }
judged_json() { judge_json=("$@"); }
judged_into() { judge_output=$1; }
fleet() {
  local when=before
  [ "$1" != after ] || { when=after; shift; }
  fleets+=("$when"$'\x1f'"$(printf '%s\x1f' "$@")")
}

decoy() { printf '[Settings]\r\nDevID=USB\\VID_DEC0&PID_DEC0\r\n' >"$(place "$1")"; }
# A decoy settings file, and beside it a copy of the exe, so that the path the
# ANSI calls make up names a real file: only the exact comparison tells.
decoy_folder() {  # PATH without its extension
  local path
  path=$(lay "$1.exe") && cp "$windows_dir/notremovable.exe" "$path" && decoy "$1.ini"
}
# A Removable value under the default key before the run.
removable_before() {  # TYPE DATA
  "${native_reg[@]}" add "$overrides_key\\$default_key" /v Removable /t "$1" /d "$2" /f >/dev/null
}
# Devices as an installer registers them ("add NAME HARDWARE_IDS COMPATIBLE_IDS
# CONTAINER CAPABILITY PARENT"; each prints its instance path). They are
# removed after the case.
devices() { registered=1; wine "$helpers/register_devices.exe" "$@"; }
# notremovable.ini links to a file in a folder of the given mode.
link_settings() {  # MODE
  mkdir -m "$1" "$dir/elsewhere" && settings elsewhere/real.ini "$configured_id" &&
    ln -s elsewhere/real.ini "$dir/notremovable.ini"
}
# Under WOW64 a read from the system folder, or a folder below it, reaches the
# same place under the WOW64 system folder: a decoy waits there.
wow64_decoy() {  # FOLDER below the system folders, or nothing
  local below=${1:+/$1}
  decoy_folder "C:/windows/syswow64$below/notremovable"
  [ -z "$below" ] || outside+=("$(place "C:/windows/syswow64$below")" "$(place "C:/windows/system32$below")")
}

# How a case runs the exe: plainly, or as below.
# The return addresses in the exe's own code, as the relay trace prints them
# (in at least 8 hex digits): its image base, from its PE header (PE32 or
# PE32+), and the megabyte above it.
own_code_returns() {  # EXE (Unix path)
  local pe base
  pe=$(od -An -tu4 -j60 -N4 "$1")
  if [ "$(od -An -tx2 -j$((pe + 24)) -N2 "$1")" = " 020b" ]; then
    base=$(od -An -tu8 -j$((pe + 48)) -N8 "$1")
  else
    base=$(od -An -tu4 -j$((pe + 52)) -N4 "$1")
  fi
  printf -v base '%08x' $((base))
  echo " ret=${base%?????}[0-9a-f]{5}\$"
}
# Under Wine's relay trace: the calls that the exe's own code made to open and
# close files and to the profile reader, in order, in DIR.calls.
traced() {  # DIR EXE
  WINEDEBUG=+relay wine "$2" 2>"$1.trace"
  local status=$?
  grep -E "KERNEL32\.(CreateFileA|GetPrivateProfileStringA|CloseHandle)\(.*$(own_code_returns "$exe")" "$1.trace" >"$1.calls"
  rm -f "$1.trace"
  return $status
}
# Another program holds the settings file open while the exe (or the check) runs.
held() {  # HOW DIR PROGRAM
  wine "$helpers/hold_file_open.exe" "$1" "$(windows_path "$dir")\\notremovable.ini" "${@: -1}"
}
by_short_name() {  # DIR EXE
  local short
  short=$(wine "$helpers/print_short_path.exe" "$2" | tr -d '\r') || return 1
  # What the exe would have read by its short name, had it not expanded it.
  local short_name=${short##*\\}
  decoy "long folder name/${short_name%.*}.ini"
  wine "$short"
}
released_after_hold() {  # DIR EXE
  held unshared "$@"
  local held_status=$?
  [ "$held_status" = 0 ] && [ -z "$(registry_state)" ] || { echo "held: status $held_status" >&2; return 9; }
  wine "$2"
}
# With nothing at the name the default is taken without asking the reader,
# which would read a file that appeared meanwhile, unheld and unjudged.
no_profile_read() {
  ! grep -q GetPrivateProfileStringA "$dir.calls" || problems+=" the profile reader was asked;"
}
# The settings file's handle is closed only after the reader has read it.
held_across_read() {
  awk '/Call KERNEL32\.CreateFileA\(.*\.ini"/ {opened = 1; next}
       opened && !handle && /Ret  KERNEL32\.CreateFileA/ {match($0, /retval=[0-9a-f]+/); handle = substr($0, RSTART + 7, 8)}
       handle && /GetPrivateProfileStringA\(/ {read = 1}
       handle && index($0, "CloseHandle(" handle ")") {exit !read}
       END {exit !(handle && read)}' "$dir.calls" || problems+=" the settings file was not held across the read;"
}

# The cases, one a function.
case_no_settings_file() {
  expect 1 "$default_key"
  says '^settings file: .*notremovable\.ini: missing'
  says "^windows: ${windows_kinds[$arch]}\$"
  fleet '--compliance --json' 1 verdict.outcome=would_mark verdict.key_now.state=absent summary.compliant=false \
    settings.file=missing settings.value_source=default "verdict.id=USB\\VID_0DB0&PID_A871"
  exe_runs traced; after_run no_profile_read
}
case_id_21_characters() {
  settings notremovable.ini 'USB\VID_0DB0&PID_A872'
  expect 1 'USB#VID_0DB0&PID_A872\LocationPaths\*'
  exe_runs traced; after_run held_across_read
}
case_id_20_characters() {
  settings notremovable.ini 'USB\VID_0DB0&PID_A87'
  expect 0 -
  says '^value: .* \(20 characters\)$'
}
case_empty_value() { settings notremovable.ini ''; expect 0 -; }
case_section_without_key() {
  file notremovable.ini '[Settings]\r\nOther=1\r\n'
  expect 1 "$default_key"
  says '^value: "USB\\VID_0DB0&PID_A871" \(21 characters, the built-in default'
  fleet --json 1 settings.value_source=default_no_devid 'verdict.id=USB\VID_0DB0&PID_A871'
}
# Only the first [Settings] section counts, as the profile reader reads it.
case_devid_in_a_second_section() {
  file notremovable.ini '[Settings]\r\nOther=1\r\n[Settings]\r\nDevID=USB\\VID_1111&PID_2222\r\n'
  expect 1 "$default_key"
  says 'the built-in default: the settings file has no \[Settings\] section, or no DevID in the first one\)$'
}
case_fourth_character_not_backslash() {
  settings notremovable.ini 'USB_VID_0DB0&PID_A871'
  expect 1 "$default_key"
  says '^warning: the value is not written as a hardware ID'
  fleet --json 1 warnings~=key_for_another_spelling
}
case_long_enumerator() {
  settings notremovable.ini 'HDAUDIO\FUNC_01&VEN_ABCD'
  expect 1 'HDA#DIO\FUNC_01&VEN_ABCD\LocationPaths\*'
  says '^warning: Windows looks up an override for this ID only under'
  fleet --json 1 warnings~=key_never_read \
    'verdict.windows_key=HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control\DeviceOverrides\HDAUDIO#FUNC_01&VEN_ABCD\LocationPaths\*'
}
case_several_dots_in_exe_name() {
  exe_at mark.v2.exe
  settings mark.v2.ini "$configured_id"
  decoy mark.ini
  expect 1 "$configured_key"
  says '^value: "USB\\VID_1111&PID_2222" \(21 characters\)$'
  # Wine's files belong to the account that runs the check, which SYSTEM is not.
  says '^warning: C:\\e2e\\several_dots_in_exe_name\\ is trusted only because it belongs to '
  fleet --json 1 warnings~=folder_trusted_only_for_account warnings~=exe_trusted_only_for_account
}
case_existing_value_of_other_type() {
  removable_before REG_SZ yes
  expect 1 "$default_key"
  says '^key now: Removable of another type'
  # "yes" in UTF-16 with its terminator.
  fleet '--compliance --json' 1 verdict.key_now.state=other_type verdict.key_now.type=1 verdict.key_now.size=8 \
    'verdict.key_now.data="7900650073000000"'
}
case_already_marked() {
  removable_before REG_DWORD 0
  expect 1 "$default_key"
  says '^key now: Removable = 0 already$'
  # Without --compliance, the exe's status.
  fleet --json 1 verdict.key_now.state=removable_0 summary.compliant=true summary.compliance_status=0
}
# Compliant only once the exe has run.
case_second_run() {
  runs 2
  expect 1 "$default_key"
  fleet '--compliance --json' 1 summary.compliant=false
  fleet after '--json --compliance' 0 summary.compliant=true verdict.key_now.state=removable_0 \
    verdict.key_now.value=0
}
case_arguments_ignored() {
  settings notremovable.ini "$configured_id"
  args /f x.ini '--DevID=HDAUDIO\X'
  expect 1 "$configured_key"
}
case_key_cannot_be_created() {
  wine "$helpers/create_volatile_key.exe" 'SYSTEM\CurrentControlSet\Control\DeviceOverrides\USB#VID_0DB0&PID_A871'
  expect 1 'only:USB#VID_0DB0&PID_A871'
}
# IDs of 21 to 254 characters are acted on; Wine refuses key paths past 260
# characters (IDs of 196 and more), so those writes fail with status 1.
case_id_62_characters() { settings notremovable.ini "$(id_of_length 62)"; expect 1 "$(key_of_length 62)"; }
case_id_100_characters() { settings notremovable.ini "$(id_of_length 100)"; expect 1 "$(key_of_length 100)"; }
case_id_195_characters() { settings notremovable.ini "$(id_of_length 195)"; expect 1 "$(key_of_length 195)"; }
case_id_196_characters_refused_by_platform() { settings notremovable.ini "$(id_of_length 196)"; expect 1 -; }
case_id_254_characters_refused_by_platform() { settings notremovable.ini "$(id_of_length 254)"; expect 1 -; }
# An empty key level: the exe writes as it always has (Wine merges the level
# away); the check warns, lists the devices the merged key reaches, and never
# calls the PC compliant.
case_id_with_empty_key_level() {
  devices add Dock "$configured_id" - own removable -
  settings notremovable.ini 'USB\VID_1111&PID_2222\'
  expect 1 "$configured_key"
  fleet after '--compliance --json' 1 summary.compliant=false verdict.key_now.state=removable_0 \
    warnings.3=value_third_part warnings.4=key_empty_level summary.devices=1 devices.0.name=Dock
}
case_id_255_characters() { settings notremovable.ini "$(id_of_length 255)"; expect 0 -; }
case_id_300_characters() { settings notremovable.ini "$(id_of_length 300)"; expect 0 -; }
case_dot_in_folder_only() {
  exe_at My.Tools/mark
  settings My.Tools/mark.ini "$configured_id"
  decoy My.ini
  expect 1 "$configured_key"
}
case_short_extension() { exe_at mark.x; settings mark.ini "$configured_id"; expect 1 "$configured_key"; }
case_exe_path_too_long() { exe_at "$(repeat d 120)/$(repeat e 120)/notremovable.exe"; expect 0 -; }
case_settings_path_too_long() { exe_at "$(path_of_length 254 .x)"; expect 0 -; }
case_settings_path_at_bound() {
  local exe_path
  exe_path=$(path_of_length 253 .x)
  exe_at "$exe_path"
  settings "${exe_path%.x}.ini" "$configured_id"
  expect 1 "$configured_key"
}
# Bad settings files: they must never crash or hang the program.
case_settings_binary_garbage() { head -c 8192 "$exe" >"$dir/notremovable.ini"; expect 1 "$default_key"; }
case_settings_of_1_mib() {
  { printf '[Padding]\r\n'
    printf 'Key=%26s\r\n' $(seq 32768)
    printf '[Settings]\r\nDevID=USB\\VID_1111&PID_2222\r\n'
  } >"$dir/notremovable.ini"
  expect 1 "$configured_key"
}
case_value_over_300_characters() { settings notremovable.ini "$(id_of_length 400)"; expect 0 -; }
case_value_in_spaces() { settings notremovable.ini "   $configured_id   "; expect 1 "$configured_key"; }
case_value_in_quotes() { settings notremovable.ini "\"$configured_id\""; expect 1 "$configured_key"; }
case_value_in_quotes_255_characters() { settings notremovable.ini "\"$(id_of_length 255)\""; expect 0 -; }
case_value_in_quotes_254_characters() { settings notremovable.ini "\"$(id_of_length 254)\""; expect 1 -; }
case_settings_is_a_directory() { mkdir "$dir/notremovable.ini"; expect 1 "$default_key"; }
case_settings_with_lf_line_ends() {
  file notremovable.ini '[Settings]\nDevID=USB\\VID_1111&PID_2222\n'
  expect 1 "$configured_key"
}
# The exe's ANSI read of a UTF-16 file turns the Kelvin sign into a K.
case_settings_in_utf16_with_letter_outside_ascii() {
  { printf '\xff\xfe'
    printf '[Settings]\r\nDevID=USB\\VID_1111&PID_222\u212A\r\n' | iconv -f UTF-8 -t UTF-16LE
  } >"$dir/notremovable.ini"
  expect 1 'USB#VID_1111&PID_222K\LocationPaths\*'
  says '^warning: the settings file is UTF-16 and its value holds letters outside ASCII'
}
case_settings_in_utf16_with_bom() {
  { printf '\xff\xfe'
    printf '[Settings]\r\nDevID=USB\\VID_1111&PID_2222\r\n' | iconv -f ASCII -t UTF-16LE
  } >"$dir/notremovable.ini"
  expect 1 "$configured_key"
}
# A file too large to be read whole is refused unread; one at the bound is read.
case_settings_over_size_bound() {
  settings notremovable.ini "$configured_id"
  truncate -s $((16 * 1024 * 1024 + 1)) "$dir/notremovable.ini"
  expect 0 -
  says '^settings file: .*: present, but it holds 16777217 bytes, more than the 16 MiB'
}
case_settings_at_size_bound() {
  settings notremovable.ini "$configured_id"
  truncate -s $((16 * 1024 * 1024)) "$dir/notremovable.ini"
  expect 1 "$configured_key"
}
case_shipped_example_settings() { cp "$root/res/notremovable.ini.example" "$dir/notremovable.ini"; expect 1 "$default_key"; }
# The settings file must be found exactly, or nothing is done. The ANSI calls
# render ł as l and fullwidth letters as ASCII ones: a decoy waits there.
case_folder_outside_code_page() {
  exe_at Тест/notremovable.exe
  settings Тест/notremovable.ini "$configured_id"
  expect 0 -
  says '^verdict: .*the ANSI code page'
  # The line in ASCII alone, its path exact all the same.
  fleet --json 0 'exe.path=C:\e2e\folder_outside_code_page\Тест\notremovable.exe'
}
case_folder_with_best_fit_letter() {
  exe_at Włodek/notremovable.exe
  settings Włodek/notremovable.ini "$configured_id"
  decoy_folder Wlodek/notremovable
  expect 0 -
  says '^judging: C:\\e2e\\folder_with_best_fit_letter\\W\?odek\\notremovable\.exe$'
}
case_folder_with_fullwidth_letters() {
  exe_at ＴＯＯＬＳ/notremovable.exe
  settings ＴＯＯＬＳ/notremovable.ini "$configured_id"
  decoy_folder TOOLS/notremovable
  expect 0 -
}
case_exe_name_with_fullwidth_letter() {
  exe_at ｍark.exe
  settings ｍark.ini "$configured_id"
  decoy_folder mark
  expect 0 -
}
case_folder_in_code_page() {
  exe_at 'Café Geräte/notremovable.exe'
  settings 'Café Geräte/notremovable.ini' "$configured_id"
  expect 1 "$configured_key"
  # Its path from the code page, exactly, in UTF-8.
  fleet --json 1 'exe.path=C:\e2e\folder_in_code_page\Café Geräte\notremovable.exe'
}
# The settings file's name on disk in another case of a letter outside ASCII:
# the exe compares exactly, and the check says so.
case_settings_name_in_another_case() {
  exe_at Gerät.exe
  settings GERÄT.ini "$configured_id"
  expect 0 -
  says '^settings file: .*: present, but where it really lies, '
  fleet --json 0 verdict.reason=settings_name_case settings.file=present
}
# A folder on the way that only lets the exe's own name be passed, not listed:
# its long path cannot be had, and the check says so rather than "no such exe".
case_traverse_only_folder_above_exe() {
  exe_at locked/notremovable.exe
  settings locked/notremovable.ini "$configured_id"
  chmod 311 "$dir/locked"
  after_run chmod 755 "$dir/locked"
  expect 0 -
  fleet --json 0 verdict.reason=exe_long_path_unknown
}
# Started by its verbatim path of 256 characters, as the plain one of 252.
verbatim() { wine "\\\\?\\$2"; }
verbatim_check() { wine "$1" "\\\\?\\$(windows_path "$exe")"; }
case_verbatim_path_of_256_characters() {
  # \\?\ C:\e2e\ NAME \ v... \ notremovable.exe
  exe_at "$(repeat v $((256 - 4 - 7 - ${#name} - 1 - 1 - 16)))/notremovable.exe"
  settings "$(dirname "${exe#"$dir/"}")/notremovable.ini" "$configured_id"
  exe_runs verbatim; check_runs verbatim_check
  expect 1 "$configured_key"
  says '^judging: C:\\e2e\\verbatim_path_of_256_characters\\v+\\notremovable\.exe$'
}
case_started_by_short_name() {
  exe_at 'long folder name/notremovable.exe'
  settings 'long folder name/notremovable.ini' "$configured_id"
  exe_runs by_short_name
  expect 1 "$configured_key"
}
case_settings_held_without_read_sharing() {
  settings notremovable.ini "$configured_id"
  exe_runs held unshared; check_runs held unshared
  expect 0 -
  says '^settings file: .*: held open by another program that is writing it, or that does not share reading$'
}
case_settings_released_after_hold() {
  settings notremovable.ini "$configured_id"
  exe_runs released_after_hold
  expect 1 "$configured_key"
}
case_settings_denied_by_permissions() {
  settings notremovable.ini "$configured_id"
  chmod 000 "$dir/notremovable.ini"
  expect 0 -
  says '^settings file: .*: unreadable: .*\(error 5\)$'
}
# On 64-bit Windows, nothing is read from the system folders or below them.
case_exe_in_system_folder() {
  win64_only || return 0
  exe_at C:/windows/system32/notremovable.exe
  settings C:/windows/system32/notremovable.ini "$configured_id"
  wow64_decoy
  expect 0 -
  says '^verdict: .*System32 or SysWOW64'
}
case_exe_below_system_folder() {
  win64_only || return 0
  exe_at C:/windows/system32/nrtools/notremovable.exe
  settings C:/windows/system32/nrtools/notremovable.ini "$configured_id"
  wow64_decoy nrtools
  expect 0 -
}
# An x86-64 build's reads are never redirected: it reads its own folder there too.
case_x64_exe_below_system_folder() {
  x64_only || return 0
  exe_at C:/windows/system32/nrtools/notremovable.exe
  settings C:/windows/system32/nrtools/notremovable.ini "$configured_id"
  wow64_decoy nrtools
  expect 1 "$configured_key"
}
case_exe_in_wow64_system_folder() {
  win64_only || return 0
  exe_at C:/windows/syswow64/notremovable.exe
  settings C:/windows/syswow64/notremovable.ini "$configured_id"
  expect 0 -
}
# Only what no one but trusted principals could change is acted on, and only
# a whole read of it. Wine shows the Unix "other" bits as an Everyone entry,
# and another uid as the owner ANONYMOUS LOGON.
case_folder_world_writable() {
  settings notremovable.ini "$configured_id"
  chmod o+w "$dir"
  expect 0 -
  says '^folder: Everyone may add files to C:\\e2e\\folder_world_writable\\$'
  fleet '--compliance --json' 1 verdict.outcome=would_do_nothing verdict.status=0 verdict.reason=folder_untrusted \
    'verdict.reason_text=Everyone may add files to C:\e2e\folder_world_writable\' trust.folder.verdict=writer_untrusted \
    trust.folder.principal=Everyone verdict.key_now=null
}
case_folder_world_writable_without_settings() { chmod o+w "$dir"; expect 0 -; }
case_exe_world_writable() {
  settings notremovable.ini "$configured_id"
  chmod o+w "$exe"
  expect 0 -
}
case_settings_world_writable() {
  settings notremovable.ini "$configured_id"
  chmod o+w "$dir/notremovable.ini"
  expect 0 -
}
case_settings_of_another_owner() {
  settings notremovable.ini "$configured_id"
  chown 12345 "$dir/notremovable.ini"
  expect 0 -
  says '^settings file: C:.* is owned by .*ANONYMOUS LOGON, who is not trusted'
}
case_settings_held_for_writing() {
  settings notremovable.ini "$configured_id"
  exe_runs held writing
  expect 0 -
}
case_settings_held_for_reading() {
  settings notremovable.ini "$configured_id"
  exe_runs held reading
  expect 1 "$configured_key"
}
case_settings_link_to_nothing() {
  ln -s missing.ini "$dir/notremovable.ini"
  expect 0 -
  says '^settings file: .*: a link to nothing'
}
case_other_file_world_writable() {
  settings notremovable.ini "$configured_id"
  decoy other.ini && chmod o+w "$dir/other.ini"
  expect 1 "$configured_key"
}
case_settings_read_only() {
  settings notremovable.ini "$configured_id"
  chmod 444 "$dir/notremovable.ini"
  expect 1 "$configured_key"
}
# An exe that really lies elsewhere is judged where it lies: a link to it in a
# trusted folder does not make a folder others may change trusted.
link_exe() {  # MODE
  mkdir -m "$1" "$dir/real" && mv "$exe" "$dir/real/" && ln -s real/notremovable.exe "$exe" &&
    settings notremovable.ini "$configured_id"
}
case_exe_link_into_open_folder() {
  link_exe 777
  expect 0 -
  says '^exe: really lies at .*\\exe_link_into_open_folder\\real\\notremovable\.exe \(reached through a link'
  fleet --json 0 verdict.reason=real_folder_untrusted trust.real_folder.verdict=writer_untrusted \
    trust.real_folder.principal=Everyone exe.place=elsewhere
}
case_exe_link_into_trusted_folder() {
  link_exe 755
  expect 1 "$configured_key"
  says '^real folder: trusted '
  fleet --json 1 trust.real_folder.verdict=trusted exe.place=elsewhere
}
# A settings file that really lies elsewhere is refused, wherever it leads.
case_settings_link_into_open_folder() { link_settings 777; expect 0 -; }
case_settings_link_into_trusted_folder() {
  link_settings 755
  expect 0 -
  says '^settings file: .*: present, but it really lies at .*\\elsewhere\\real\.ini '
}
# Devices, as the check program finds them.
case_device_present() {
  settings notremovable.ini "$wine_hid_id"
  expect 1 'HID#VID_845E&PID_0001\LocationPaths\*'
  says '^device: "Wine HID device": its most specific hardware ID; '
  fleet --json 1 devices.0.name='Wine HID device' devices.0.most_specific=true devices.0.removable=null \
    devices.0.override_changes=null devices.0.container=cannot_tell
}
case_device_absent() {
  settings notremovable.ini "$configured_id"
  expect 1 "$configured_key"
  says '^devices: no device has this ID$'
}
case_device_instance_path() {
  settings notremovable.ini "$wine_hid_id\\0&0000&0&0"
  expect 1 'HID#VID_845E&PID_0001\0&0000&0&0\LocationPaths\*'
  says '^device: this is the instance path of "Wine HID device"'
  says '^devices: no device has this ID$'
  # The device it names is listed, and counted.
  fleet --json 1 summary.devices=1 devices.0.match=instance_path devices.0.name='Wine HID device' \
    'devices.0.id=HID\VID_845E&PID_0001' warnings~=key_never_read
}
case_device_id_in_lower_case() {
  settings notremovable.ini 'hid\vid_845e&pid_0001'
  expect 1 'hid#vid_845e&pid_0001\LocationPaths\*'
  says '^device: "Wine HID device": its most specific hardware ID; whether the override can change it cannot be told'
}
# Devices registered as an installer does; the ending of a line for a device
# that reports itself removable:
removable='it reports itself removable, so the override decides its container: '
case_device_compatible_id() {
  devices add Stick 'USB\VID_5555&PID_6666' "$storage_class_id" none removable - &&
    devices add Card 'USB\VID_7777&PID_8888' "$storage_class_id" none removable -
  settings notremovable.ini "$storage_class_id"
  expect 1 'USB#Class_08&SubClass_06&Prot_50\LocationPaths\*'
  says '^warning: the override applies to every device with this ID, not to one device: 2 here$'
}
case_device_less_specific_id() {
  devices add Reader "$configured_id&REV_0100,$configured_id" - none - -
  settings notremovable.ini "$configured_id"
  expect 1 "$configured_key"
  says '^device: "Reader": a less specific hardware ID of it; '
  fleet --json 1 devices.0.match=hardware devices.0.most_specific=false 'devices.0.id=USB\VID_1111&PID_2222&REV_0100' \
    devices.0.removable=null devices.0.container=cannot_tell
}
case_device_in_computer_container() {
  devices add Dock "$configured_id" - computer removable -
  settings notremovable.ini "$configured_id"
  expect 1 "$configured_key"
  says "^device: \"Dock\": its most specific hardware ID; ${removable}in the computer's container\$"
  fleet '--compliance --json' 1 summary.effect=in_effect summary.in_computer_container=1 devices.0.name=Dock \
    devices.0.match=hardware devices.0.most_specific=true devices.0.removable=true devices.0.override_changes=true \
    devices.0.container=computer devices.0.pending=false
}
case_device_in_computer_container_by_its_id() {
  devices add Dock "$configured_id" - computer-id removable -
  settings notremovable.ini "$configured_id"
  expect 1 "$configured_key"
  says "^device: \"Dock\": its most specific hardware ID; ${removable}in the computer's container\$"
}
case_device_in_own_container() {
  devices add Dock "$configured_id" - own removable -
  settings notremovable.ini "$configured_id"
  expect 1 "$configured_key"
  says "^device: \"Dock\": its most specific hardware ID; ${removable}in a container of its own\$"
  says '^note: Windows applies the override when it next sets the device up'
  # Marked, but not yet in effect: a restart or replug is pending.
  fleet after '--compliance --json' 0 summary.compliant=true summary.effect=pending summary.pending=1 \
    devices.0.container=own devices.0.pending=true notes.0=restart_or_replug
}
# A function below a USB device takes its container anyway: the check names
# the device above it as the one to mark.
case_device_below_its_parent() {
  local parent
  parent=$(devices add 'USB Composite Device' "$configured_id&REV_0100,$configured_id" - computer removable - | tr -d '\r')
  devices add 'HID Keyboard' 'HID\VID_1111&PID_2222&MI_00' - none fixed "$parent"
  settings notremovable.ini 'HID\VID_1111&PID_2222&MI_00'
  expect 1 'HID#VID_1111&PID_2222&MI_00\LocationPaths\*'
  says '^device: "HID Keyboard": its most specific hardware ID; the override changes nothing on it'
  fleet '--compliance --json' 1 summary.effect=no_device devices.0.removable=false devices.0.override_changes=false \
    devices.0.mark_instead.name='USB Composite Device' 'devices.0.mark_instead.id=USB\VID_1111&PID_2222&REV_0100'
}
# The exe's key is the one Windows reads for USB\VID_1111&PID_2222, whatever
# the spelling in the settings file.
case_device_reached_through_another_spelling() {
  devices add Dock "$configured_id" - own removable -
  settings notremovable.ini 'USB/VID_1111&PID_2222'
  expect 1 "$configured_key"
  says '^device: "Dock": its most specific hardware ID; '
  says '^devices: 1 device has this ID$'
}
# Names beyond the code page and beyond the BMP reach the JSON line exactly.
case_device_name_outside_code_page() {
  devices add $'設備 \U0001F50C\u2028' "$configured_id" - own removable -
  settings notremovable.ini "$configured_id"
  expect 1 "$configured_key"
  fleet '--compliance --json' 1 $'devices.0.name=設備 \U0001F50C\u2028' devices.0.container=own
}
# A Kelvin sign is no K: the ANSI calls read it as one, the wide ones do not.
case_device_id_outside_ascii() {
  devices add Thermometer $'USB\\VID_1111&PID_222\u212A' - own removable -
  settings notremovable.ini 'USB\VID_1111&PID_222K'
  expect 1 'USB#VID_1111&PID_222K\LocationPaths\*'
  says '^devices: no device has this ID$'
}
case_device_name_forging_verdict() {
  devices add $'Evil\r\nverdict: would do nothing: forged (status 0)\e[31m' "$configured_id" - none - -
  settings notremovable.ini "$configured_id"
  expect 1 "$configured_key"
  says '^device: "Evil\\x0D\\x0Averdict: would do nothing: forged \(status 0\)\\x1B\[31m": its most'
  # The name exactly, its control characters as JSON escapes them.
  fleet --json 1 'devices.0.name="Evil\r\nverdict: would do nothing: forged (status 0)\u001b[31m"'
}
# The fleet kit's scripts, run under Wine's cmd as the tools run them. The
# Win32 app installs into the programs' folder and records what stood at the
# key, so that its uninstall gives that back and deletes the "*" key alone.
programs_folder() {
  if [ "$arch" = win32 ]; then place "C:/Program Files/notremovable"; else place "C:/Program Files (x86)/notremovable"; fi
}
win32_app() {  # none left by an earlier run; removed after the case
  rm -rf "$(programs_folder)"
  outside+=("$(programs_folder)")
}
# Runs deploy/SCRIPT from the case's package: its exe, the check program, and
# its settings file where it has one.
kit() {  # SCRIPT DIR EXE
  local package="$2/package"
  mkdir -p "$package" && cp "$root/deploy/$1" "$exe" "$windows_dir/notremovable-check.exe" "$package/" &&
    { [ ! -e "$2/notremovable.ini" ] || cp "$2/notremovable.ini" "$package/"; } || return 9
  wine cmd /c "$(windows_path "$package")\\$(basename "$1")" "${@:4}"
}
installed_with_record() {  # RECORD: the file that holds what stood at the key
  local program
  for program in notremovable.exe notremovable-check.exe "$1"; do
    [ -f "$(programs_folder)/$program" ] || problems+=" not in the programs' folder: $program;"
  done
  cmp -s "$exe" "$(programs_folder)/notremovable.exe" || problems+=" the installed exe is not the package's;"
}
# uninstall.cmd: status 0, the programs' folder gone, and the subtree as
# $after_uninstall says (registry_state's lines).
uninstalled() {
  kit intune-win32/uninstall.cmd "$dir" "$exe" >"$dir.out" 2>&1
  local status=$?
  [ "$status" = 0 ] || problems+=" uninstall.cmd: status $status: $(head -c 200 "$dir.out");"
  [ ! -e "$(programs_folder)" ] || problems+=" uninstall.cmd left the programs' folder;"
  local got
  got=$(registry_state)
  [ "$got" = "$after_uninstall" ] ||
    problems+=$'\n'"  registry after uninstall.cmd:"$'\n'"$got"$'\n'"  expected:"$'\n'"$after_uninstall"
}
case_win32_app_restores_earlier_value() {
  win32_app
  removable_before REG_DWORD 1
  exe_runs kit intune-win32/install.cmd
  expect 0 "$default_key"
  after_run installed_with_record key-before.reg
  after_uninstall=$(expected_state "$default_key" | sed 's/0x0$/0x1/')
  after_run uninstalled
}
case_win32_app_leaves_sibling_override() {
  local sibling='USB#VID_0DB0&PID_A871\LocationPaths\PCIROOT(0)#PCI(1400)#USBROOT(0)#USB(3)'
  win32_app
  "${native_reg[@]}" add "$overrides_key\\$sibling" /v Removable /t REG_DWORD /d 0 /f >/dev/null
  exe_runs kit intune-win32/install.cmd
  expect 0 "+$default_key"
  after_run installed_with_record key.txt
  after_uninstall=$(expected_state "$sibling")
  after_run uninstalled
}
# A baseline: installed and recorded, nothing written; nothing left after.
case_win32_app_record_only() {
  win32_app
  args /record-only
  exe_runs kit intune-win32/install.cmd
  expect 0 -
  after_run installed_with_record key.txt
  after_uninstall=""
  after_run uninstalled
}
# An exe that does nothing fails the install, as Intune's return codes read it.
case_win32_app_install_maps_nothing_done() {
  win32_app
  settings notremovable.ini 'USB\VID_0DB0&PID_A87'
  exe_runs kit intune-win32/install.cmd
  expect 1 -
}
case_startup_script_runs_installed_exe() {
  win32_app
  mkdir -p "$(programs_folder)" && cp "$exe" "$(programs_folder)/"
  exe_runs kit group-policy/startup.cmd
  expect 1 "$default_key"
}

# What the check program cannot judge: status 2 and one line, nothing else.
case_check_missing_exe() { cannot_judge 'C:\e2e\check_missing_exe\missing.exe'; }
case_check_folder() { cannot_judge 'C:\e2e\check_folder'; }
case_check_two_arguments() { cannot_judge one two; }
case_check_help() { cannot_judge --help; }
case_check_h() { cannot_judge -h; }
case_check_slash_question_mark() { cannot_judge '/?'; }
case_check_device_name() { cannot_judge CON; }
# Bad input, in both forms: status 2, one line on stderr, nothing on stdout.
case_check_unknown_option() { cannot_judge --jsn; }
case_check_option_twice() { cannot_judge --compliance --json --compliance; }
case_check_option_after_exe() { cannot_judge 'C:\e2e\check_option_after_exe\notremovable.exe' --json; }
case_check_help_with_json() { cannot_judge --json -h; }
# What it cannot judge, in JSON too.
case_check_missing_exe_in_json() {
  cannot_judge --compliance --json 'C:\e2e\check_missing_exe_in_json\missing.exe'
  judged_json verdict.outcome=cannot_judge verdict.status=2 verdict.reason=no_such_exe summary.compliance_status=2
}
# A copy of the exe that would not run as the exe: cut short, or with bits
# flipped in one byte of its headers (at an offset from its "PE\0\0" header),
# as another linker would have written it.
damaged_copy() {  # NAME [OFFSET BITS]
  local copy="$dir/$1" pe byte
  if [ $# -eq 1 ]; then
    head -c 10000 "$exe" >"$copy.part"
  else
    cp "$exe" "$copy.part" && pe=$(od -An -tu4 -j60 -N4 "$copy.part") &&
      byte=$(od -An -tu1 -j$((pe + $2)) -N1 "$copy.part") &&
      printf "\\x$(printf %02x $((byte ^ $3)))" | dd of="$copy.part" bs=1 seek=$((pe + $2)) conv=notrunc status=none
  fi && mv "$copy.part" "$copy"
}
case_check_truncated_exe() {
  damaged_copy cut.exe
  cannot_judge --compliance --json 'C:\e2e\check_truncated_exe\cut.exe'
  judged_json verdict.outcome=cannot_judge verdict.reason=target_truncated summary.compliance_status=2
}
case_check_exe_for_another_machine() {
  damaged_copy other.exe 5 0x80  # the machine's high byte: neither x86 nor x86-64 then
  cannot_judge --compliance --json 'C:\e2e\check_exe_for_another_machine\other.exe'
  judged_json verdict.reason=target_other_machine
}
case_check_dll_named_exe() {
  damaged_copy notremovable.exe 23 0x20  # the file header's DLL flag, clear in an exe
  cannot_judge --compliance --json
  judged_json verdict.reason=target_dll
}
case_check_windows_program() {
  damaged_copy gui.exe 92 0x01  # the optional header's subsystem: 3, console, becomes 2, Windows GUI
  cannot_judge --compliance 'C:\e2e\check_windows_program\gui.exe'
}
# A verdict whose report cannot be written does not stand: no compliance
# without its line.
case_check_report_not_written() {
  removable_before REG_DWORD 0
  cannot_judge --compliance --json
  judged_into /dev/full
}
case_check_not_a_program() {
  file fake.exe 'not a program\r\n'
  cannot_judge 'C:\e2e\check_not_a_program\fake.exe'
}

# The DeviceOverrides subtree as "[key]" and " name type data" lines.
# Where reg fails (other than finding nothing), a line that says so, with what
# reg said, which no expected state holds.
registry_state() {
  local listed="$dir.listed" status=0
  overrides_query "$listed" /s || status=$?
  if [ "$status" = 2 ]; then
    echo "(reg failed: $(tr -d '\r' <"$listed" | head -c 300))"
    return
  fi
  tr -d '\r' <"$listed" |
    sed -n -e 's/^HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\DeviceOverrides\\\(.*\)$/[\1]/p' \
           -e 's/^ \{4\}\([^ ].*\)$/  \1/p' | tr -s ' '
}

expected_state() {
  case $1 in
    -) ;;
    only:*) echo "[${1#only:}]" ;;
    *) local level="" part
       local IFS='\'
       set -f  # the key's last level is "*"
       for part in ${1#+}; do
         level=${level:+$level\\}$part
         echo "[$level]"
       done
       set +f
       echo " Removable REG_DWORD 0x0" ;;
  esac
}

# Runs the check program beside the exe (by default it judges notremovable.exe
# there; any other exe is named): its verdict and status must be what the exe
# then does, it must leave the registry and the folder as they were, and it
# must say each fact of the case.
# The check program beside the exe, in $check, and the exe named where the
# check would not find it by its default name, in $named.
place_check() {
  check="$(dirname "$exe")/notremovable-check.exe"
  cp "$windows_dir/notremovable-check.exe" "$check"
  [[ $check == "$dir"/* ]] || outside+=("$check")
  named=()
  [ "$(basename "$exe")" = notremovable.exe ] || named=("$(windows_path "$exe")")
}
# Checks one JSON line the check printed (in FILE) against the schema and the facts.
json_holds() {  # FILE BOUND FACT...
  local file=$1 bound=$2
  shift 2
  /usr/bin/python3 "$root/tests/json_line.py" "$root/res/notremovable-check.schema.json" "$bound" "$@" <"$file"
}
run_check_program() {
  local folder output status before check named
  folder=$(dirname "$exe")
  place_check
  before=$(registry_state; ls -la --time-style=full-iso "$folder" 2>&1)
  output=$("${check_runner[@]}" "$(windows_path "$check")" "${named[@]}" 2>&1 | tr -d '\r')
  status=$?
  [ "$before" = "$(registry_state; ls -la --time-style=full-iso "$folder" 2>&1)" ] ||
    problems+=" the check program changed the registry or the folder;"
  local verdict
  verdict=$(tail -n 1 <<<"$output")
  # Status 1: the very key the exe is expected to write; status 0: any reason.
  if [ "$want_status" = 1 ]; then
    [ "$verdict" = "verdict: would mark HKEY_LOCAL_MACHINE\\${overrides_key#HKLM\\}\\$want_key (status 1)" ]
  else
    [[ $verdict =~ ^verdict:\ would\ do\ nothing:\ .*\ \(status\ 0\)$ ]]
  fi || problems+=" check verdict: $verdict;"
  [ "$status" = "$want_status" ] || problems+=" check status $status, expected $want_status;"
  # Text from outside is escaped: one verdict line, and no control character raw.
  [ "$(grep -c '^verdict:' <<<"$output")" = 1 ] || problems+=" more than one verdict line;"
  ! LC_ALL=C grep -q '[[:cntrl:]]' <<<"$output" || problems+=" a control character reached the output;"
  local fact
  for fact in "${facts[@]}"; do
    # Byte for byte: the output is in the ANSI code page.
    LC_ALL=C grep -qE -- "$fact" <<<"$output" || problems+=$'\n'"  check output lacks /$fact/:"$'\n'"$output"
  done
}

# The check program for the fleet's tools, as the case says, before or after the exe.
run_fleet_checks() {  # before|after
  local entry parts check named status bound
  for entry in "${fleets[@]}"; do
    IFS=$'\x1f' read -ra parts <<<"$entry"
    [ "${parts[0]}" = "$1" ] || continue
    place_check
    local options
    read -ra options <<<"${parts[1]}"
    wine "$(windows_path "$check")" "${options[@]}" "${named[@]}" >"$dir.json" 2>"$dir.err"
    status=$?
    [ "$status" = "${parts[2]}" ] || problems+=" ${parts[1]} $1 the exe: status $status, expected ${parts[2]};"
    [ ! -s "$dir.err" ] || problems+=" ${parts[1]} wrote to stderr: $(head -c 200 "$dir.err");"
    bound=0
    [[ " ${parts[1]} " != *" --compliance "* ]] || bound=2048
    json_holds "$dir.json" "$bound" "${parts[@]:3}" >"$dir.problem" ||
      problems+=$'\n'"  ${parts[1]} $1 the exe: $(cat "$dir.problem")"
  done
}

# The check program alone, on what it cannot judge: one line on stderr, and on
# stdout nothing, or one JSON line where the case says.
run_cannot_judge() {
  cp "$windows_dir/notremovable-check.exe" "$dir/"
  wine "$(windows_path "$dir")\\notremovable-check.exe" "${judge_args[@]}" >"${judge_output:-$dir.out}" 2>"$dir.err"
  local status=$?
  if [ ${#judge_json[@]} -gt 0 ]; then
    json_holds "$dir.out" 0 "${judge_json[@]}" >"$dir.problem" || problems+=" $(cat "$dir.problem")"
  else
    [ ! -s "$dir.out" ] || problems+=" wrote to stdout: $(cat "$dir.out");"
  fi
  [ "$status" = 2 ] && [ "$(wc -l <"$dir.err")" = 1 ] || problems+=" status $status, $(cat "$dir.err")"
}

# The exe's runs, as the case says; the last status counts.
run_exe() {
  local status="" _
  for _ in $(seq "$exe_runs_count"); do
    "${exe_runner[@]}" "$dir" "$(windows_path "$exe")" "${exe_args[@]}" >"$dir.out" 2>"$dir.err"
    status=$?
    [ -s "$dir.out" ] && problems+=" wrote to stdout: $(head -c 200 "$dir.out");"
    [ -s "$dir.err" ] && problems+=" wrote to stderr: $(head -c 200 "$dir.err");"
  done
  [ "$status" = "$want_status" ] || problems+=" status $status, expected $want_status;"
  local got want
  got=$(registry_state)
  want=$(expected_state "$want_key")
  if [[ $want_key == +* ]]; then
    local nl=$'\n'  # that key's lines among others
    [[ $nl$got$nl == *"$nl$want$nl"* ]]
  else
    [ "$got" = "$want" ]
  fi || problems+=$'\n'"  registry:"$'\n'"$got"$'\n'"  expected:"$'\n'"$want"
}
plainly() { wine "${@:2}"; }

# Counts and prints a case's result: ok, or FAILED with what was wrong.
record() {  # NAME PROBLEMS
  if [ -z "$2" ]; then
    echo "ok      $1"
    passed=$((passed + 1))
  else
    echo "FAILED  $1:$2"
    failed=$((failed + 1))
  fi
}
# The wineservers running now for this prefix, by pid (another table may run
# in another prefix meanwhile).
wineservers() {
  local pid
  for pid in $(pgrep -x 'wineserver(64)?' | sort); do
    ! tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" || printf '%s ' "$pid"
  done
}
# What a failed case leaves to find why: each Wine program's status, the
# wineservers before and after it, the Wine programs alive, what reg says.
failure_evidence() {  # SERVERS_BEFORE
  echo "  Wine's calls in this case:"
  sed 's/^/    /' "$wine_call_log"
  echo "  wineservers before: $1; after: $(wineservers)(this run's: $wine_server_pid; TMPDIR $TMPDIR)"
  echo "  Wine programs alive:"
  pgrep -a -f '\.exe|wine' | grep -v pgrep | sed 's/^/    /'
  echo "  reg query $overrides_key /s said:"
  overrides_query "$dir.evidence" /s
  tr -d '\r' <"$dir.evidence" | sed 's/^/    /'
}

start_wine
trap stop_wine EXIT
devices clear  # none left by an earlier run
mkdir -p "$cases_dir"

passed=0
failed=0
skipped=0
for name in $(declare -F | sed -n 's/^declare -f case_//p'); do
  # A clean slate: no device overrides, and the case folder laid anew with the exe in it.
  dir="$cases_dir/$name"
  exe="$dir/notremovable.exe"
  servers_before=$(wineservers)
  wine_call_log="$dir.wine-calls" && : >"$wine_call_log"
  fresh_exe_folder "$dir" 2>"$dir.slate"
  outside=() facts=() afterwards=() exe_args=() judge_args=() judge_json=() judge_output="" fleets=()
  exe_runner=(plainly) check_runner=(wine)
  exe_runs_count=1 want_status="" want_key="" skip="" registered="" problems=""
  [ ! -s "$dir.slate" ] || problems+=" $(cat "$dir.slate");"
  "case_$name" >/dev/null || problems+=" preparation failed;"
  if [ -n "$skip" ]; then
    skipped=$((skipped + 1))
  elif [ ${#judge_args[@]} -gt 0 ]; then
    run_cannot_judge
  else
    [ ${#facts[@]} -eq 0 ] || run_check_program
    run_fleet_checks before
    run_exe
    run_fleet_checks after
    for assertion in "${afterwards[@]}"; do
      $assertion
    done
  fi
  rm -rf "${outside[@]}"
  [ -z "$registered" ] || devices clear
  [ "$(wineservers)" = "$servers_before" ] || problems+=" the wineservers changed during the case;"
  [ -z "$problems" ] || problems+=$'\n'"$(failure_evidence "$servers_before")"
  wine_call_log=""
  [ -n "$skip" ] || record "$name" "$problems"
done
"${native_reg[@]}" delete "$overrides_key" /f >/dev/null 2>&1
# The trust check's own code on the descriptors that Windows gives: a row a line.
descriptors=$(wine "$helpers/judge_descriptors.exe" | tr -d '\r')
status=$?
while read -r result row detail; do
  if [ "$result" = ok ]; then record "descriptor $row" ""; else record "descriptor ${row%:}" " $detail"; fi
done <<<"$descriptors"
[ "$status" = 0 ] && [ -n "$descriptors" ] || record "descriptors judged" " status $status"

echo "end_to_end_$arch: $passed passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ]
