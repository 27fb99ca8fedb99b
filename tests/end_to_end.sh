#!/usr/bin/env bash
# End to end: runs the real notremovable.exe under Wine, one case a row, and
# reads back what it left under DeviceOverrides with that Windows' own reg.
# Usage: end_to_end.sh WINDOWS_BUILD_DIR win32|win64
set -uo pipefail
# Root reads any file, whatever its permissions: drop that power (for this
# script, the wineserver and every program it starts), so that a settings file
# can really be denied.
capabilities=$(awk '/^CapEff:/ {print $2}' /proc/self/status)
if (( 0x$capabilities & 0x2 )) && [ -z "${E2E_NO_DAC_OVERRIDE:-}" ]; then
  E2E_NO_DAC_OVERRIDE=1 exec setpriv --bounding-set=-dac_override,-dac_read_search -- bash "$0" "$@"
fi
source "$(dirname "$0")/../scripts/lib/common.sh"
# Modes as a careful administrator's: the rows that open files to others say so.
umask 022
windows_dir=$1  # after the shared library, which sets its own default
arch=$2
use_prefix "$arch"

exe="$windows_dir/notremovable.exe"
helpers="$windows_dir/tests"
cases_dir="$WINEPREFIX/drive_c/e2e"
default_key='USB#VID_0DB0&PID_A871\LocationPaths\*'
configured_key='USB#VID_1111&PID_2222\LocationPaths\*'

repeat() { printf "%${2}s" '' | tr ' ' "$1"; }   # repeat CHAR COUNT
# A path relative to a case folder that makes C:\e2e\CASE\... TOTAL characters long.
path_of_length() {  # CASE TOTAL EXTENSION
  local used=$((8 + ${#1} + 101 + ${#3}))
  echo "$(repeat p 100)/$(repeat m $(($2 - used)))$3"
}
id62="USB\\$(repeat A 58)"
id100="USB\\$(repeat A 96)"
id195="USB\\$(repeat A 191)"  # the key path's 260 characters: Wine's longest
id196="USB\\$(repeat A 192)"
id254="USB\\$(repeat A 250)"
id255="USB\\$(repeat A 251)"
id300="USB\\$(repeat A 296)"
id400="USB\\$(repeat A 396)"
configured_id='USB\VID_1111&PID_2222'
wine_hid_id='HID\VID_845E&PID_0001'  # a device Wine itself has
storage_class_id='USB\Class_08&SubClass_06&Prot_50'  # every USB stick's compatible ID
unreadable_exe="$(repeat d 120)/$(repeat e 120)/notremovable.exe"
settings_too_long=$(path_of_length settings_path_too_long 254 .x)
settings_at_bound=$(path_of_length settings_path_at_bound 253 .x)

# name | exe, relative to the case folder (or to C:\ as C:/...) | settings file
#   written beside it, the same way ("-": none) | its content (id:VALUE, or
#   nokey: the section without the key) | arguments | runs | expected status |
#   expected registry: "-" nothing, KEY that key holding Removable REG_DWORD 0,
#   or only:KEY that key alone. prepare_NAME, where defined, runs first; run_NAME
#   runs the exe in the row's own way.
cases=(
  "no_settings_file|notremovable.exe|-||||1|$default_key"
  "id_21_characters|notremovable.exe|notremovable.ini|id:USB\\VID_0DB0&PID_A872|||1|USB#VID_0DB0&PID_A872\\LocationPaths\\*"
  "id_20_characters|notremovable.exe|notremovable.ini|id:USB\\VID_0DB0&PID_A87|||0|-"
  "empty_value|notremovable.exe|notremovable.ini|id:|||0|-"
  "section_without_key|notremovable.exe|notremovable.ini|nokey|||1|$default_key"
  "fourth_character_not_backslash|notremovable.exe|notremovable.ini|id:USB_VID_0DB0&PID_A871|||1|$default_key"
  "long_enumerator|notremovable.exe|notremovable.ini|id:HDAUDIO\\FUNC_01&VEN_ABCD|||1|HDA#DIO\\FUNC_01&VEN_ABCD\\LocationPaths\\*"
  "several_dots_in_exe_name|mark.v2.exe|mark.v2.ini|id:$configured_id|||1|$configured_key"
  "existing_value_of_other_type|notremovable.exe|-||||1|$default_key"
  "already_marked|notremovable.exe|-||||1|$default_key"
  "second_run|notremovable.exe|-|||2|1|$default_key"
  "arguments_ignored|notremovable.exe|notremovable.ini|id:$configured_id|/f x.ini --DevID=HDAUDIO\\X||1|$configured_key"
  "key_cannot_be_created|notremovable.exe|-||||1|only:USB#VID_0DB0&PID_A871"
  "id_62_characters|notremovable.exe|notremovable.ini|id:$id62|||1|USB#$(repeat A 58)\\LocationPaths\\*"
  "id_100_characters|notremovable.exe|notremovable.ini|id:$id100|||1|USB#$(repeat A 96)\\LocationPaths\\*"
  "id_195_characters|notremovable.exe|notremovable.ini|id:$id195|||1|USB#$(repeat A 191)\\LocationPaths\\*"
  "id_196_characters_refused_by_platform|notremovable.exe|notremovable.ini|id:$id196|||1|-"
  "id_254_characters_refused_by_platform|notremovable.exe|notremovable.ini|id:$id254|||1|-"
  "id_255_characters|notremovable.exe|notremovable.ini|id:$id255|||0|-"
  "id_300_characters|notremovable.exe|notremovable.ini|id:$id300|||0|-"
  "dot_in_folder_only|My.Tools/mark|My.Tools/mark.ini|id:$configured_id|||1|$configured_key"
  "short_extension|mark.x|mark.ini|id:$configured_id|||1|$configured_key"
  "exe_path_too_long|$unreadable_exe|-||||0|-"
  "settings_path_too_long|$settings_too_long|-||||0|-"
  "settings_binary_garbage|notremovable.exe|-||||1|$default_key"
  "settings_of_1_mib|notremovable.exe|-||||1|$configured_key"
  "value_over_300_characters|notremovable.exe|notremovable.ini|id:$id400|||0|-"
  "value_in_spaces|notremovable.exe|notremovable.ini|id:   $configured_id   |||1|$configured_key"
  "value_in_quotes|notremovable.exe|notremovable.ini|id:\"$configured_id\"|||1|$configured_key"
  "value_in_quotes_255_characters|notremovable.exe|notremovable.ini|id:\"$id255\"|||0|-"
  "value_in_quotes_254_characters|notremovable.exe|notremovable.ini|id:\"$id254\"|||1|-"
  "settings_is_a_directory|notremovable.exe|-||||1|$default_key"
  "settings_with_lf_line_ends|notremovable.exe|-||||1|$configured_key"
  "settings_in_utf16_with_bom|notremovable.exe|-||||1|$configured_key"
  "shipped_example_settings|notremovable.exe|-||||1|$default_key"
  "settings_path_at_bound|$settings_at_bound|${settings_at_bound%.x}.ini|id:$configured_id|||1|$configured_key"
  # The settings file must be found exactly, or nothing is done.
  "folder_outside_code_page|Тест/notremovable.exe|Тест/notremovable.ini|id:$configured_id|||0|-"
  "folder_with_best_fit_letter|Włodek/notremovable.exe|Włodek/notremovable.ini|id:$configured_id|||0|-"
  "folder_with_fullwidth_letters|ＴＯＯＬＳ/notremovable.exe|ＴＯＯＬＳ/notremovable.ini|id:$configured_id|||0|-"
  "exe_name_with_fullwidth_letter|ｍark.exe|ｍark.ini|id:$configured_id|||0|-"
  "folder_in_code_page|Café Geräte/notremovable.exe|Café Geräte/notremovable.ini|id:$configured_id|||1|$configured_key"
  "started_by_short_name|long folder name/notremovable.exe|long folder name/notremovable.ini|id:$configured_id|||1|$configured_key"
  "settings_held_without_read_sharing|notremovable.exe|notremovable.ini|id:$configured_id|||0|-"
  "settings_released_after_hold|notremovable.exe|notremovable.ini|id:$configured_id|||1|$configured_key"
  "settings_denied_by_permissions|notremovable.exe|notremovable.ini|id:$configured_id|||0|-"
  "exe_in_system_folder|C:/windows/system32/notremovable.exe|C:/windows/system32/notremovable.ini|id:$configured_id|||0|-"
  "exe_below_system_folder|C:/windows/system32/nrtools/notremovable.exe|C:/windows/system32/nrtools/notremovable.ini|id:$configured_id|||0|-"
  "exe_in_wow64_system_folder|C:/windows/syswow64/notremovable.exe|C:/windows/syswow64/notremovable.ini|id:$configured_id|||0|-"
  # Only what no one but trusted principals could change is acted on, and only
  # a whole read of it.
  "folder_world_writable|notremovable.exe|notremovable.ini|id:$configured_id|||0|-"
  "folder_world_writable_without_settings|notremovable.exe|-||||0|-"
  "exe_world_writable|notremovable.exe|notremovable.ini|id:$configured_id|||0|-"
  "settings_world_writable|notremovable.exe|notremovable.ini|id:$configured_id|||0|-"
  "settings_of_another_owner|notremovable.exe|notremovable.ini|id:$configured_id|||0|-"
  "settings_held_for_writing|notremovable.exe|notremovable.ini|id:$configured_id|||0|-"
  "settings_held_for_reading|notremovable.exe|notremovable.ini|id:$configured_id|||1|$configured_key"
  "settings_link_to_nothing|notremovable.exe|-||||0|-"
  "other_file_world_writable|notremovable.exe|notremovable.ini|id:$configured_id|||1|$configured_key"
  "settings_read_only|notremovable.exe|notremovable.ini|id:$configured_id|||1|$configured_key"
  # A settings file that really lies elsewhere is refused, wherever it leads.
  "settings_link_into_open_folder|notremovable.exe|-||||0|-"
  "settings_link_into_trusted_folder|notremovable.exe|-||||0|-"
  # Present devices, as the check program finds them.
  "device_present|notremovable.exe|notremovable.ini|id:$wine_hid_id|||1|HID#VID_845E&PID_0001\\LocationPaths\\*"
  "device_absent|notremovable.exe|notremovable.ini|id:$configured_id|||1|$configured_key"
  "device_instance_path|notremovable.exe|notremovable.ini|id:$wine_hid_id\\0&0000&0&0|||1|HID#VID_845E&PID_0001\\0&0000&0&0\\LocationPaths\\*"
  "device_id_in_lower_case|notremovable.exe|notremovable.ini|id:hid\\vid_845e&pid_0001|||1|hid#vid_845e&pid_0001\\LocationPaths\\*"
  # Devices registered as an installer does (the last rows: they are removed at the end).
  "device_compatible_id|notremovable.exe|notremovable.ini|id:$storage_class_id|||1|USB#Class_08&SubClass_06&Prot_50\\LocationPaths\\*"
  "device_less_specific_id|notremovable.exe|notremovable.ini|id:$configured_id|||1|$configured_key"
  "device_in_computer_container|notremovable.exe|notremovable.ini|id:$configured_id|||1|$configured_key"
  "device_in_own_container|notremovable.exe|notremovable.ini|id:$configured_id|||1|$configured_key"
  "device_name_forging_verdict|notremovable.exe|notremovable.ini|id:$configured_id|||1|$configured_key"
)
# Rows where notremovable-check.exe runs first, beside the exe in the same
# setup: its verdict and status must be what the exe then does, it must leave
# the registry and the folder as they were, and it must say the one fact the
# row is about (an extended regular expression for one of its lines).
declare -A check_fact=(
  [no_settings_file]='^settings file: .*notremovable\.ini: missing'
  [several_dots_in_exe_name]='^value: "USB\\VID_1111&PID_2222" \(21 characters\)$'
  [id_20_characters]='^value: .* \(20 characters\)$'
  [existing_value_of_other_type]='^key now: Removable of another type'
  [already_marked]='^key now: Removable = 0 already$'
  [settings_denied_by_permissions]='^settings file: .*: unreadable: .*\(error 5\)$'
  [folder_world_writable]='^folder: Everyone may add files to C:\\e2e\\folder_world_writable\\$'
  [settings_of_another_owner]='^settings file: C:.* is owned by .*ANONYMOUS LOGON, who is not trusted'
  [settings_link_to_nothing]='^settings file: .*: a link to nothing'
  [folder_outside_code_page]='^verdict: .*the ANSI code page'
  [folder_with_best_fit_letter]='^judging: C:\\e2e\\folder_with_best_fit_letter\\W\?odek\\notremovable\.exe$'
  [exe_in_system_folder]='^verdict: .*System32 or SysWOW64'
  [device_present]='^device: "Wine HID device": its most specific hardware ID; cannot tell$'
  [device_absent]='^devices: no device has this ID$'
  [device_id_in_lower_case]='^device: "Wine HID device": its most specific hardware ID; cannot tell$'
  [device_compatible_id]='^warning: the override applies to every device with this ID, not to one device: 2 here$'
  [device_less_specific_id]='^device: "Reader": a less specific hardware ID of it; its most specific is USB\\VID_1111&PID_2222&REV_0100; cannot tell$'
  [device_in_computer_container]='^device: "Dock": its most specific hardware ID; in effect$'
  [device_in_own_container]='^device: "Dock": its most specific hardware ID; not in effect yet$'
  [device_name_forging_verdict]='^device: "Evil\\x0D\\x0Averdict: would do nothing: forged \(status 0\)\\x1B\[31m": its most'
  [long_enumerator]='^warning: Windows looks up an override for this ID only under .*\\DeviceOverrides\\HDAUDIO#FUNC_01&VEN_ABCD\\LocationPaths\\\*; the exe writes another key'
  [section_without_key]='^value: "USB\\VID_0DB0&PID_A871" \(21 characters, the built-in default: the settings file has no DevID in a \[Settings\] section\)$'
  [settings_held_without_read_sharing]='^settings file: .*: held open by a program'
  [settings_link_into_trusted_folder]='^settings file: .*: present, but it really lies at .*\\elsewhere\\real\.ini '
  [device_instance_path]='^device: this is the instance path of "Wine HID device", not a hardware ID; its hardware ID is HID\\VID_845E&PID_0001$'
)
# Rows that exist on 64-bit Windows only: its system folders under WOW64.
only_on_win64=" exe_in_system_folder exe_below_system_folder exe_in_wow64_system_folder "

decoy() { printf '[Settings]\r\nDevID=USB\\VID_DEC0&PID_DEC0\r\n' >"$1"; }
# A decoy settings file, and beside it a copy of the exe, so that the path the
# ANSI calls make up names a real file: only the exact comparison tells.
decoy_folder() { mkdir -p "$(dirname "$1")" && cp "$exe" "$1.exe" && decoy "$1.ini"; }
prepare_several_dots_in_exe_name() { decoy "$1/mark.ini"; }
prepare_dot_in_folder_only() { decoy "$1/My.ini"; }
# Bad settings files: they must never crash or hang the program.
prepare_settings_binary_garbage() { head -c 8192 "$exe" >"$1/notremovable.ini"; }
prepare_settings_of_1_mib() {
  { printf '[Padding]\r\n'
    printf 'Key=%26s\r\n' $(seq 32768)
    printf '[Settings]\r\nDevID=USB\\VID_1111&PID_2222\r\n'
  } >"$1/notremovable.ini"
}
prepare_settings_is_a_directory() { mkdir "$1/notremovable.ini"; }
prepare_settings_with_lf_line_ends() {
  printf '[Settings]\nDevID=USB\\VID_1111&PID_2222\n' >"$1/notremovable.ini"
}
prepare_settings_in_utf16_with_bom() {
  printf '\xff\xfe' >"$1/notremovable.ini"
  printf '[Settings]\r\nDevID=USB\\VID_1111&PID_2222\r\n' | iconv -f ASCII -t UTF-16LE >>"$1/notremovable.ini"
}
prepare_shipped_example_settings() { cp "$root/res/notremovable.ini.example" "$1/notremovable.ini"; }
# A Removable value under the default key before the run.
removable_before() {  # TYPE DATA
  "${native_reg[@]}" add "$overrides_key\\$default_key" /v Removable /t "$1" /d "$2" /f >/dev/null
}
prepare_existing_value_of_other_type() { removable_before REG_SZ yes; }
prepare_already_marked() { removable_before REG_DWORD 0; }
prepare_key_cannot_be_created() {
  wine "$helpers/create_volatile_key.exe" 'SYSTEM\CurrentControlSet\Control\DeviceOverrides\USB#VID_0DB0&PID_A871'
}
# The ANSI calls render ł as l and fullwidth letters as ASCII ones: a decoy waits there.
prepare_folder_with_best_fit_letter() { decoy_folder "$1/Wlodek/notremovable"; }
prepare_folder_with_fullwidth_letters() { decoy_folder "$1/TOOLS/notremovable"; }
prepare_exe_name_with_fullwidth_letter() { decoy_folder "$1/mark"; }
prepare_settings_denied_by_permissions() { chmod 000 "$1/notremovable.ini"; }
# Wine shows the Unix "other" bits as an Everyone entry, and another uid as the
# owner ANONYMOUS LOGON.
prepare_folder_world_writable() { chmod o+w "$1"; }
prepare_folder_world_writable_without_settings() { chmod o+w "$1"; }
prepare_exe_world_writable() { chmod o+w "$1/notremovable.exe"; }
prepare_settings_world_writable() { chmod o+w "$1/notremovable.ini"; }
prepare_settings_of_another_owner() { chown 12345 "$1/notremovable.ini"; }
prepare_settings_link_to_nothing() { ln -s missing.ini "$1/notremovable.ini"; }
prepare_other_file_world_writable() { decoy "$1/other.ini" && chmod o+w "$1/other.ini"; }
prepare_settings_read_only() { chmod 444 "$1/notremovable.ini"; }
# notremovable.ini links to a file in a folder of the given mode.
link_settings() {  # DIR MODE
  mkdir -m "$2" "$1/elsewhere" && printf '[Settings]\r\nDevID=%s\r\n' "$configured_id" >"$1/elsewhere/real.ini" &&
    ln -s elsewhere/real.ini "$1/notremovable.ini"
}
prepare_settings_link_into_open_folder() { link_settings "$1" 777; }
prepare_settings_link_into_trusted_folder() { link_settings "$1" 755; }
# Devices as an installer registers them: NAME HARDWARE_IDS COMPATIBLE_IDS CONTAINER.
devices() { wine "$helpers/register_devices.exe" "$@"; }
prepare_device_compatible_id() {
  devices clear && devices add Stick 'USB\VID_5555&PID_6666' "$storage_class_id" none &&
    devices add Card 'USB\VID_7777&PID_8888' "$storage_class_id" none
}
prepare_device_less_specific_id() {
  devices clear && devices add Reader "$configured_id&REV_0100,$configured_id" - none
}
prepare_device_in_computer_container() { devices clear && devices add Dock "$configured_id" - computer; }
prepare_device_in_own_container() { devices clear && devices add Dock "$configured_id" - own; }
prepare_device_name_forging_verdict() {
  devices clear && devices add $'Evil\r\nverdict: would do nothing: forged (status 0)\e[31m' "$configured_id" - none
}
# Under WOW64 a read from the system folder, or a folder below it, reaches the
# same place under the WOW64 system folder: a decoy waits there.
wow64_decoy() {  # FOLDER below the system folders, or nothing
  local windows="$WINEPREFIX/drive_c/windows" below=${1:+/$1}
  decoy_folder "$windows/syswow64$below/notremovable"
  outside+=("$windows/syswow64$below/notremovable.exe" "$windows/syswow64$below/notremovable.ini")
  [ -z "$below" ] || outside+=("$windows/syswow64$below" "$windows/system32$below")
}
prepare_exe_in_system_folder() { wow64_decoy; }
prepare_exe_below_system_folder() { wow64_decoy nrtools; }

# Runs a row's exe (a Windows path) as the row says; the last status counts.
# Under Wine's relay trace: the calls that the exe's own code (at 0x400000)
# made to open and close files and to the profile reader, in order, in DIR.calls.
run_traced() {  # DIR EXE
  WINEDEBUG=+relay wine "$2" 2>"$1.trace"
  local status=$?
  grep -E 'KERNEL32\.(CreateFileA|GetPrivateProfileStringA|CloseHandle)\(.* ret=004' "$1.trace" >"$1.calls"
  rm -f "$1.trace"
  return $status
}
# With nothing at the name the default is taken without asking the reader,
# which would read a file that appeared meanwhile, unheld and unjudged.
run_no_settings_file() {
  run_traced "$@"
  local status=$?
  ! grep -q GetPrivateProfileStringA "$1.calls" || problems+=" the profile reader was asked;"
  return $status
}
# The settings file's handle is closed only after the reader has read it.
run_id_21_characters() {
  run_traced "$@"
  local status=$?
  awk '/Call KERNEL32\.CreateFileA\(.*\.ini"/ {opened = 1; next}
       opened && !handle && /Ret  KERNEL32\.CreateFileA/ {match($0, /retval=[0-9a-f]+/); handle = substr($0, RSTART + 7, 8)}
       handle && /GetPrivateProfileStringA\(/ {read = 1}
       handle && index($0, "CloseHandle(" handle ")") {exit !read}
       END {exit !(handle && read)}' "$1.calls" || problems+=" the settings file was not held across the read;"
  return $status
}
run_started_by_short_name() {  # DIR EXE
  local short
  short=$(wine "$helpers/print_short_path.exe" "$2" | tr -d '\r') || return 1
  # What the exe would have read by its short name, had it not expanded it.
  local short_name=${short##*\\}
  decoy "$1/long folder name/${short_name%.*}.ini"
  wine "$short"
}
# Another program holds the settings file open while the exe runs: how, the row says.
run_settings_held_without_read_sharing() { wine "$helpers/hold_file_open.exe" unshared "${2%.exe}.ini" "$2"; }
run_settings_held_for_writing() { wine "$helpers/hold_file_open.exe" writing "${2%.exe}.ini" "$2"; }
run_settings_held_for_reading() { wine "$helpers/hold_file_open.exe" reading "${2%.exe}.ini" "$2"; }
run_settings_released_after_hold() {  # DIR EXE
  run_settings_held_without_read_sharing "$@"
  local held_status=$?
  [ "$held_status" = 0 ] && [ -z "$(registry_state)" ] || { echo "held: status $held_status" >&2; return 9; }
  wine "$2"
}

# The check program judges while another program holds the settings file, as
# the row's exe does.
check_settings_held_without_read_sharing() { wine "$helpers/hold_file_open.exe" unshared "${1%\\*}\\notremovable.ini" "$1"; }

# Runs the check program beside the row's exe (by default it judges
# notremovable.exe there; any other exe is named) and prints what is wrong.
run_check_program() {  # NAME EXE_PATH WANT_STATUS WANT_KEY
  local folder check output status before
  folder=$(dirname "$2")
  check="$folder/notremovable-check.exe"
  cp "$windows_dir/notremovable-check.exe" "$check"
  [[ $check == "$dir"/* ]] || outside+=("$check")
  local named=()
  [ "$(basename "$2")" = notremovable.exe ] || named=("$(windows_path "$2")")
  before=$(registry_state; ls -la --time-style=full-iso "$folder")
  if declare -F "check_$1" >/dev/null; then
    output=$("check_$1" "$(windows_path "$check")" 2>&1 | tr -d '\r')
  else
    output=$(wine "$(windows_path "$check")" "${named[@]}" 2>&1 | tr -d '\r')
  fi
  status=$?
  [ "$before" = "$(registry_state; ls -la --time-style=full-iso "$folder")" ] ||
    echo " the check program changed the registry or the folder;"
  local verdict
  verdict=$(tail -n 1 <<<"$output")
  # Status 1: the very key the exe is expected to write; status 0: any reason.
  if [ "$3" = 1 ]; then
    [ "$verdict" = "verdict: would mark HKEY_LOCAL_MACHINE\\${overrides_key#HKLM\\}\\$4 (status 1)" ]
  else
    [[ $verdict =~ ^verdict:\ would\ do\ nothing:\ .*\ \(status\ 0\)$ ]]
  fi || echo " check verdict: $verdict;"
  [ "$status" = "$3" ] || echo " check status $status, expected $3;"
  # Text from outside is escaped: one verdict line, and no control character raw.
  [ "$(grep -c '^verdict:' <<<"$output")" = 1 ] || echo " more than one verdict line;"
  ! LC_ALL=C grep -q '[[:cntrl:]]' <<<"$output" || echo " a control character reached the output;"
  grep -qE -- "${check_fact[$1]}" <<<"$output" || echo $'\n'"  check output lacks /${check_fact[$1]}/:"$'\n'"$output"
}

# The DeviceOverrides subtree as "[key]" and " name type data" lines.
registry_state() {
  "${native_reg[@]}" query "$overrides_key" /s 2>/dev/null | tr -d '\r' |
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
       for part in $1; do
         level=${level:+$level\\}$part
         echo "[$level]"
       done
       set +f
       echo " Removable REG_DWORD 0x0" ;;
  esac
}

# A row's file: relative to its case folder, or to drive C: as C:/...
place() {  # CASE_DIR PATH
  case $2 in
    C:/*) echo "$WINEPREFIX/drive_c/${2#C:/}" ;;
    *) echo "$1/$2" ;;
  esac
}
# The Windows path of a file in the prefix's drive C:.
windows_path() {
  local relative=${1#"$WINEPREFIX/drive_c/"}
  echo "C:\\${relative//\//\\}"
}

start_wine
trap stop_wine EXIT
devices clear  # none left by an earlier run

# Counts and prints a row's result: ok, or FAILED with what was wrong.
record() {  # NAME PROBLEMS
  if [ -z "$2" ]; then
    echo "ok      $1"
    passed=$((passed + 1))
  else
    echo "FAILED  $1:$2"
    failed=$((failed + 1))
  fi
}

passed=0
failed=0
skipped=0
for row in "${cases[@]}"; do
  IFS='|' read -r name exe_rel ini_rel content args runs want_status want_key <<<"$row"
  if [ "$arch" != win64 ] && [[ $only_on_win64 == *" $name "* ]]; then
    skipped=$((skipped + 1))
    continue
  fi
  dir="$cases_dir/$name"
  exe_path=$(place "$dir" "$exe_rel")
  outside=()  # files and folders laid outside the case folder, removed after the row
  [[ $exe_path == "$dir"/* ]] || outside+=("$exe_path")
  fresh_exe_folder "$dir" "$exe_path"
  if [ "$ini_rel" != "-" ]; then
    ini_path=$(place "$dir" "$ini_rel")
    [[ $ini_path == "$dir"/* ]] || outside+=("$ini_path")
    case $content in
      id:*) printf '[Settings]\r\nDevID=%s\r\n' "${content#id:}" ;;
      nokey) printf '[Settings]\r\nOther=1\r\n' ;;
    esac >"$ini_path"
  fi
  problems=""
  if declare -F "prepare_$name" >/dev/null && ! "prepare_$name" "$dir"; then
    problems+=" preparation failed;"
  fi

  if [ -n "${check_fact[$name]:-}" ]; then
    problems+=$(run_check_program "$name" "$exe_path" "$want_status" "$want_key")
  fi

  read -r -a argv <<<"$args"
  status=""
  for _ in $(seq "${runs:-1}"); do
    if declare -F "run_$name" >/dev/null; then
      "run_$name" "$dir" "$(windows_path "$exe_path")" >"$dir.out" 2>"$dir.err"
    else
      wine "$(windows_path "$exe_path")" "${argv[@]}" >"$dir.out" 2>"$dir.err"
    fi
    status=$?
    [ -s "$dir.out" ] && problems+=" wrote to stdout: $(head -c 200 "$dir.out");"
    [ -s "$dir.err" ] && problems+=" wrote to stderr: $(head -c 200 "$dir.err");"
  done
  [ "$status" = "$want_status" ] || problems+=" status $status, expected $want_status;"
  got=$(registry_state)
  want=$(expected_state "$want_key")
  [ "$got" = "$want" ] || problems+=$'\n'"  registry:"$'\n'"$got"$'\n'"  expected:"$'\n'"$want"
  rm -rf "${outside[@]}"
  record "$name" "$problems"
done
# What the check program cannot judge: status 2 and one line, nothing else.
dir="$cases_dir/check_cannot_judge"
fresh_exe_folder "$dir"
cp "$windows_dir/notremovable-check.exe" "$dir/"
for args in "C:\\e2e\\check_cannot_judge\\missing.exe" "C:\\e2e\\check_cannot_judge" "one two"; do
  read -r -a argv <<<"$args"
  wine "$(windows_path "$dir/notremovable-check.exe")" "${argv[@]}" >"$dir.out" 2>"$dir.err"
  status=$?
  problems=""
  [ "$status" = 2 ] && [ ! -s "$dir.out" ] && [ "$(wc -l <"$dir.err")" = 1 ] ||
    problems=" status $status, $(cat "$dir.out" "$dir.err")"
  record "check_cannot_judge $args" "$problems"
done
"${native_reg[@]}" delete "$overrides_key" /f >/dev/null 2>&1
devices clear
# The trust check's own code on the descriptors that Windows gives: a row a line.
descriptors=$(wine "$helpers/judge_descriptors.exe" | tr -d '\r')
status=$?
while read -r result name detail; do
  if [ "$result" = ok ]; then record "descriptor $name" ""; else record "descriptor ${name%:}" " $detail"; fi
done <<<"$descriptors"
[ "$status" = 0 ] && [ -n "$descriptors" ] || record "descriptors judged" " status $status"

echo "end_to_end_$arch: $passed passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ]
