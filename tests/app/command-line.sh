#!/bin/sh
# zorvane --help, --version and wrong arguments with no display at all: had Qt been started,
# it would abort (status 134) for want of an X server. And without a display, or with one that
# cannot be reached, it says so and ends with status 1.
# Usage: command-line.sh ZORVANE_BINARY VERSION
set -u
bin=$1
version=$2
unset DISPLAY WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb
failed=0
fail() {
    echo "FAIL: $*" >&2
    failed=1
}

out=$("$bin" --version)
status=$?
[ $status -eq 0 ] && [ "$out" = "zorvane $version" ] ||
    fail "--version: status $status, printed '$out'"

for help in --help -h; do
    out=$("$bin" $help)
    status=$?
    [ $status -eq 0 ] || fail "$help: status $status"
    for needed in 'Usage: zorvane [--names FILE] [PORT]' names.ini COM1 'zorvane(1)'; do
        case $out in *"$needed"*) ;; *) fail "$help does not mention $needed" ;; esac
    done
done

# Each case: the arguments, then the one the message must name. --help and --version win
# wherever they stand, as in every program of the package.
for case in '-x|-x' '--port=COM1|--port=COM1' '|' 'COM1 COM2|COM2' '--bogus COM1|--bogus' \
    '--names|--names'; do
    args=${case%|*}
    wrong=${case#*|}
    # shellcheck disable=SC2086  # the words of a case are the arguments
    if [ -z "$args" ]; then set -- ""; else set -- $args; fi
    err=$("$bin" "$@" 2>&1 >/dev/null)
    status=$?
    [ $status -eq 2 ] || fail "'$args': status $status, expected 2"
    first=$(printf '%s\n' "$err" | sed -n 1p)
    second=$(printf '%s\n' "$err" | sed -n 2p)
    [ "$(printf '%s\n' "$err" | wc -l)" -eq 2 ] && [ "$second" = "Try 'zorvane --help'." ] &&
        case $first in "zorvane: "*"'$wrong'"*) true ;; *) false ;; esac ||
        fail "'$args': wanted a line naming '$wrong', then \"Try 'zorvane --help'.\"; got '$err'"
    out=$("$bin" "$@" 2>/dev/null)
    [ -z "$out" ] || fail "'$args': printed '$out' on standard output"
done
# No display named (said before Qt, in one line), then one named that is not there (65000, far
# above any in use).
for display in '' :65000; do
    err=$(env DISPLAY="$display" "$bin" --names names.ini COM1 2>&1 >/dev/null)
    status=$?
    [ $status -eq 1 ] || fail "DISPLAY='$display': status $status, expected 1"
    case $err in
    *"zorvane: no display to show the window on: "*DISPLAY*WAYLAND_DISPLAY*) ;;
    *) fail "DISPLAY='$display': no word of the display: '$err'" ;;
    esac
    [ -n "$display" ] || [ "$(printf '%s\n' "$err" | wc -l)" -eq 1 ] || fail "more than a line: '$err'"
done
exit $failed
