#!/usr/bin/env bash
# End to end: runs the real notremovable.exe under Wine, one case a row, and
# reads back what it left under DeviceOverrides with Wine's own reg.
# Usage: end_to_end.sh WINDOWS_BUILD_DIR
set -uo pipefail
source "$(dirname "$0")/../scripts/lib/common.sh"
windows_dir=$1  # after the shared library, which sets its own default

exe="$windows_dir/notremovable.exe"
helper="$windows_dir/tests/create_volatile_key.exe"
cases_dir="$WINEPREFIX/drive_c/e2e"
default_key='USB#VID_0DB0&PID_A871\LocationPaths\*'

repeat() { printf "%${2}s" '' | tr ' ' "$1"; }   # repeat CHAR COUNT
# A path relative to a case folder that makes C:\e2e\CASE\... TOTAL characters long.
path_of_length() {  # CASE TOTAL EXTENSION
  local used=$((8 + ${#1} + 101 + ${#3}))
  echo "$(repeat p 100)/$(repeat m $(($2 - used)))$3"
}
id62="USB\\$(repeat A 58)"
id100="USB\\$(repeat A 96)"
id254="USB\\$(repeat A 250)"
id255="USB\\$(repeat A 251)"
id300="USB\\$(repeat A 296)"
id400="USB\\$(repeat A 396)"
unreadable_exe="$(repeat d 120)/$(repeat e 120)/notremovable.exe"
settings_too_long=$(path_of_length settings_path_too_long 254 .x)
settings_at_bound=$(path_of_length settings_path_at_bound 253 .x)

# name | exe, relative to the case folder | settings file written beside it ("-": none)
#   | its content (id:VALUE, or nokey: the section without the key) | arguments | runs
#   | expected status | expected registry: "-" nothing, KEY that key holding Removable
#   REG_DWORD 0, or only:KEY that key alone. prepare_NAME, where defined, runs first.
cases=(
  "no_settings_file|notremovable.exe|-||||1|$default_key"
  "id_21_characters|notremovable.exe|notremovable.ini|id:USB\\VID_0DB0&PID_A872|||1|USB#VID_0DB0&PID_A872\\LocationPaths\\*"
  "id_20_characters|notremovable.exe|notremovable.ini|id:USB\\VID_0DB0&PID_A87|||0|-"
  "empty_value|notremovable.exe|notremovable.ini|id:|||0|-"
  "section_without_key|notremovable.exe|notremovable.ini|nokey|||1|$default_key"
  "fourth_character_not_backslash|notremovable.exe|notremovable.ini|id:USB_VID_0DB0&PID_A871|||1|$default_key"
  "long_enumerator|notremovable.exe|notremovable.ini|id:HDAUDIO\\FUNC_01&VEN_ABCD|||1|HDA#DIO\\FUNC_01&VEN_ABCD\\LocationPaths\\*"
  "several_dots_in_exe_name|mark.v2.exe|mark.v2.ini|id:USB\\VID_1111&PID_2222|||1|USB#VID_1111&PID_2222\\LocationPaths\\*"
  "existing_value_of_other_type|notremovable.exe|-||||1|$default_key"
  "second_run|notremovable.exe|-|||2|1|$default_key"
  "arguments_ignored|notremovable.exe|notremovable.ini|id:USB\\VID_1111&PID_2222|/f x.ini --DevID=HDAUDIO\\X||1|USB#VID_1111&PID_2222\\LocationPaths\\*"
  "key_cannot_be_created|notremovable.exe|-||||1|only:USB#VID_0DB0&PID_A871"
  "id_62_characters|notremovable.exe|notremovable.ini|id:$id62|||1|USB#$(repeat A 58)\\LocationPaths\\*"
  "id_100_characters|notremovable.exe|notremovable.ini|id:$id100|||1|USB#$(repeat A 96)\\LocationPaths\\*"
  "id_254_characters_refused_by_platform|notremovable.exe|notremovable.ini|id:$id254|||1|-"
  "id_255_characters|notremovable.exe|notremovable.ini|id:$id255|||0|-"
  "id_300_characters|notremovable.exe|notremovable.ini|id:$id300|||0|-"
  "dot_in_folder_only|My.Tools/mark|My.Tools/mark.ini|id:USB\\VID_1111&PID_2222|||1|USB#VID_1111&PID_2222\\LocationPaths\\*"
  "short_extension|mark.x|mark.ini|id:USB\\VID_1111&PID_2222|||1|USB#VID_1111&PID_2222\\LocationPaths\\*"
  "exe_path_too_long|$unreadable_exe|-||||0|-"
  "settings_path_too_long|$settings_too_long|-||||0|-"
  "settings_binary_garbage|notremovable.exe|-||||1|$default_key"
  "settings_of_1_mib|notremovable.exe|-||||1|USB#VID_1111&PID_2222\\LocationPaths\\*"
  "value_over_300_characters|notremovable.exe|notremovable.ini|id:$id400|||0|-"
  "value_in_spaces|notremovable.exe|notremovable.ini|id:   USB\\VID_1111&PID_2222   |||1|USB#VID_1111&PID_2222\\LocationPaths\\*"
  "value_in_quotes|notremovable.exe|notremovable.ini|id:\"USB\\VID_1111&PID_2222\"|||1|USB#VID_1111&PID_2222\\LocationPaths\\*"
  "settings_is_a_directory|notremovable.exe|-||||1|$default_key"
  "settings_with_lf_line_ends|notremovable.exe|-||||1|USB#VID_1111&PID_2222\\LocationPaths\\*"
  "settings_in_utf16_with_bom|notremovable.exe|-||||1|USB#VID_1111&PID_2222\\LocationPaths\\*"
  "shipped_example_settings|notremovable.exe|-||||1|$default_key"
  "settings_path_at_bound|$settings_at_bound|${settings_at_bound%.x}.ini|id:USB\\VID_1111&PID_2222|||1|USB#VID_1111&PID_2222\\LocationPaths\\*"
)

decoy() { printf '[Settings]\r\nDevID=USB\\VID_DEC0&PID_DEC0\r\n' >"$1"; }
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
prepare_existing_value_of_other_type() {
  wine reg add "$overrides_key\\$default_key" /v Removable /t REG_SZ /d yes /f >/dev/null
}
prepare_key_cannot_be_created() {
  wine "$helper" 'SYSTEM\CurrentControlSet\Control\DeviceOverrides\USB#VID_0DB0&PID_A871'
}

# The DeviceOverrides subtree as "[key]" and " name type data" lines.
registry_state() {
  wine reg query "$overrides_key" /s 2>/dev/null | tr -d '\r' |
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

start_wine
trap stop_wine EXIT

passed=0
failed=0
for row in "${cases[@]}"; do
  IFS='|' read -r name exe_rel ini_rel content args runs want_status want_key <<<"$row"
  dir="$cases_dir/$name"
  fresh_exe_folder "$dir" "$exe_rel"
  if [ "$ini_rel" != "-" ]; then
    case $content in
      id:*) printf '[Settings]\r\nDevID=%s\r\n' "${content#id:}" ;;
      nokey) printf '[Settings]\r\nOther=1\r\n' ;;
    esac >"$dir/$ini_rel"
  fi
  problems=""
  if declare -F "prepare_$name" >/dev/null && ! "prepare_$name" "$dir"; then
    problems+=" preparation failed;"
  fi

  read -r -a argv <<<"$args"
  status=""
  for _ in $(seq "${runs:-1}"); do
    wine "$dir/$exe_rel" "${argv[@]}" >"$dir.out" 2>"$dir.err"
    status=$?
    [ -s "$dir.out" ] && problems+=" wrote to stdout: $(head -c 200 "$dir.out");"
    [ -s "$dir.err" ] && problems+=" wrote to stderr: $(head -c 200 "$dir.err");"
  done
  [ "$status" = "$want_status" ] || problems+=" status $status, expected $want_status;"
  got=$(registry_state)
  want=$(expected_state "$want_key")
  [ "$got" = "$want" ] || problems+=$'\n'"  registry:"$'\n'"$got"$'\n'"  expected:"$'\n'"$want"

  if [ -z "$problems" ]; then
    echo "ok      $name"
    passed=$((passed + 1))
  else
    echo "FAILED  $name:$problems"
    failed=$((failed + 1))
  fi
done
wine reg delete "$overrides_key" /f >/dev/null 2>&1

echo "end_to_end: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
