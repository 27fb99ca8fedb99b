# Shared by the shell tests that list named checks: each check prints a line
# "ok" or "FAILED" with its description, and report closes with the counts.
# Sourced, not run.
passed=0
failed=0
check() {  # DESCRIPTION COMMAND...
  local what=$1; shift
  if "$@"; then echo "ok      $what"; passed=$((passed + 1))
  else echo "FAILED  $what"; failed=$((failed + 1)); fi
}
quietly() { "$@" >/dev/null 2>&1; }
not() { ! "$@"; }
# Prints "NAME: N passed, N failed" and succeeds only when none failed.
report() {  # NAME
  echo "$1: $passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}
