# The machine after a chain of scenarios compared with the machine before
# its first one (a scenario with an "# after:" line), for NAME.check:
#
#   . "$(dirname "$0")/lib/snapshot.sh"
#   expect_machine_as_before 'file C/windows/UNINSTX$.EXE *' 'HKLM\SOFTWARE\Dastrel*'
#
# The runner scripts (scripts/sim-scenario.sh, scripts/wine-run.sh) take
# the snapshots (scripts/machine-snapshot.sh) and name their folder in
# MACHINE_SNAPSHOTS: before/ and after/, each with `files` ("dir C/<path>",
# "file C/<path> <size> <sha1>") and `registry` ("HKLM\<key>",
# "HKLM\<key>: "name"=<value>"), `groups` ("group <name>",
# "item <group>/<caption>"). Each argument is a shell pattern (a
# backslash in it stands for itself) for a line that may differ (be added, removed or changed); every other difference is
# printed and fails the check.

expect_machine_as_before() {
  if [ -z "${MACHINE_SNAPSHOTS:-}" ] || [ ! -d "$MACHINE_SNAPSHOTS/before" ]; then
    echo "expect_machine_as_before: no snapshot before the run (the scenario needs an '# after:' line)" >&2
    return 1
  fi
  machine_differences before "$@"
}

# The same against the machine as the earlier scenarios of the chain left
# it, before the last one's set-up (the scenario needs, besides its
# "# after:" line, a line "# snapshot: previous"):
#
#   expect_machine_as_previous 'file C/Program Files/Halvorn+*'
expect_machine_as_previous() {
  if [ -z "${MACHINE_SNAPSHOTS:-}" ] || [ ! -d "$MACHINE_SNAPSHOTS/previous" ]; then
    echo "expect_machine_as_previous: no snapshot between the runs (the scenario needs '# after:' and '# snapshot: previous')" >&2
    return 1
  fi
  machine_differences previous "$@"
}

# Prints every difference between the snapshot BASE and after that no
# pattern allows; 1 when there is one.
machine_differences() {  # BASE PATTERN...
  local base=$1
  shift
  local part line pattern allowed bad=0 nocase
  # Windows compares file and key names without regard to case.
  nocase=$(shopt -p nocasematch || true)
  shopt -s nocasematch
  for part in files registry groups; do
    while IFS= read -r line; do
      allowed=no
      for pattern in "$@"; do
        # A backslash in a pattern stands for itself (registry paths).
        pattern=${pattern//\\/\\\\}
        # shellcheck disable=SC2254
        case ${line:1} in $pattern) allowed=yes; break ;; esac
      done
      if [ $allowed = no ]; then
        if [ "$base" = before ]; then
          echo "machine differs from before the run ($part): $line" >&2
        else
          echo "machine differs from the $base snapshot ($part): $line" >&2
        fi
        bad=1
      fi
    done < <(diff "$MACHINE_SNAPSHOTS/$base/$part" "$MACHINE_SNAPSHOTS/after/$part" |
      sed -n 's/^< /-/p; s/^> /+/p')
  done
  eval "$nocase"
  return $bad
}
