#!/usr/bin/env bash
# Every program's options, three times over: what getopt_long accepts (its table in the sources),
# what --help lists and what the manual page lists, with the same argument names, and the same
# synopsis in --help and the page. A new option fails here until all three have it. And --help
# and --version fail alike when their text cannot be written.
# Usage: options-agree.sh SOURCE_DIR BIN_DIR PROGRAM...
set -u
src=$1
bin=$2
shift 2

# Where each program's getopt_long table lives.
declare -A sources=(
    [zorvane]=app
    [zorvane-sim]=tools/sim
    [zorvane-decode]=tools/decode
    [zorvane-names]=tools/names
)

failed=0
fail() {
    echo "FAIL: $*" >&2
    failed=1
}

# An option as it is written, "-h, --help" or "--names FILE", as its names and whether it takes
# a value: "-h --help", "--names =ARG".
signature() {
    sed -E 's/, / /g; s/^([^ ]*( -[^ ]*)*) [^-].*$/\1 =ARG/'
}

# getopt_long's tables: {"name", required_argument, nullptr, 'c'} and the short options string
# (given to getopt_long, or to ReadOptions, which hands it on).
accepted() {
    local text shorts
    text=$(cat "$src/$1"/*.cpp | tr '\n' ' ')
    shorts=$(grep -oE '(getopt_long|ReadOptions)\([^"]*"[^"]*"' <<<"$text" | sed -E 's/.*"([^"]*)"$/\1/; s/[+:]//g')
    grep -oE '\{"[a-z][a-z0-9-]*", *[a-z]+_argument, *[a-z]+, *'"'.'"'\}' <<<"$text" |
        sed -E "s/\\{\"([^\"]*)\", *([a-z]+)_argument, *[a-z]+, *'(.)'\\}/\\3 --\\1 \\2/" |
        while read -r code long arg; do
            short=
            [[ $shorts == *"$code"* ]] && short="-$code "
            value=
            [ "$arg" = no ] || value=" =ARG"
            echo "$short$long$value"
        done
}

# The options --help lists: lines indented at most six spaces that start with a dash, up to two
# spaces in a row.
help_options() {
    grep -E '^ {2,6}-' <<<"$1" | sed -E 's/^ +//; s/  .*$//'
}

# The page's text for one roff line: .B and .I join their words with spaces, .BR, .IR and the
# like join them without; quotes group words; \- is a dash.
roff_text() {
    awk '
    function plain(s) { gsub(/\\-/, "-", s); gsub(/\\f[BIRP]/, "", s); gsub(/\\e/, "\\", s); return s }
    !/^\./ || /^\.br/ { print plain($0); next }
    {
        macro = $1; rest = substr($0, length(macro) + 2); n = 0; word = ""; quoted = 0; open = 0
        for (i = 1; i <= length(rest); i++) {
            c = substr(rest, i, 1)
            if (c == "\"") { quoted = !quoted; open = 1; continue }
            if (c == " " && !quoted) { if (open) { words[++n] = word; word = ""; open = 0 } continue }
            word = word c; open = 1
        }
        if (open) words[++n] = word
        line = ""
        for (i = 1; i <= n; i++) line = line (i > 1 && length(macro) == 2 ? " " : "") words[i]
        print plain(line)
    }'
}

# The page's options: the tag after each .TP that starts with a dash.
page_options() {
    awk 'tag { print; tag = 0; next } /^\.TP/ { tag = 1 }' "$1" | grep -E '^\.[BIR]+ +\\-' | roff_text
}

# One line per synopsis form: the page's .br separates them, --help starts each with its name.
page_synopsis() {
    sed -n '/^\.SH SYNOPSIS/,/^\.SH/{/^\.SH/d;p}' "$1" | roff_text |
        awk '$0 == ".br" { print line; line = ""; next } { line = line (line == "" ? "" : " ") $0 }
             END { print line }'
}
help_synopsis() {
    awk -v p="$2" 'index($0, "Usage: " p) == 1 { on = 1; print substr($0, 8); next }
        on && $0 ~ "^ +" p "( |$)" { sub(/^ +/, ""); print; next } { on = 0 }' <<<"$1"
}

# Lines only in the first list, then only in the second, each said once.
differ() {
    comm -23 <(sort -u <<<"$2") <(sort -u <<<"$4") | awk -v p="$1" -v s="$3" 'NF { print p ": \047" $0 "\047 " s }'
}

for program in "$@"; do
    page=$src/man/$program.1
    help=$("$bin/$program" --help) || fail "$program --help failed"
    # Said the same way everywhere: a full disk or a closed pipe is a failure, status 1.
    for asked in --help --version; do
        "$bin/$program" $asked >/dev/full 2>/dev/null
        status=$?
        [ $status -eq 1 ] || fail "$program $asked into a full device: status $status, expected 1"
        # The reader is gone before anything is written.
        status=$({ { sleep 0.1; "$bin/$program" $asked 2>/dev/null; echo $? >&3; } | true; } 3>&1)
        [ "$status" = 1 ] || fail "$program $asked into a closed pipe: status $status, expected 1"
    done
    [ -n "${sources[$program]:-}" ] || { fail "$program: add its source folder to $0"; continue; }
    from_code=$(accepted "${sources[$program]}")
    from_help=$(help_options "$help")
    from_page=$(page_options "$page")
    [ -n "$from_code" ] || fail "$program: no getopt_long table found in ${sources[$program]}/"
    while read -r line; do [ -n "$line" ] && fail "$line"; done < <(
        differ "$program" "$from_code" "is accepted but not listed by --help" "$(signature <<<"$from_help")"
        differ "$program" "$(signature <<<"$from_help")" "is listed by --help but not accepted" "$from_code"
        differ "$program" "$from_help" "is in --help but not in man/$program.1" "$from_page"
        differ "$program" "$from_page" "is in man/$program.1 but not in --help" "$from_help"
        differ "$program" "$(help_synopsis "$help" "$program")" \
            "is a synopsis of --help but not of man/$program.1" "$(page_synopsis "$page")"
        differ "$program" "$(page_synopsis "$page")" \
            "is a synopsis of man/$program.1 but not of --help" "$(help_synopsis "$help" "$program")"
    )
done
if [ $failed -ne 0 ]; then
    cat >&2 <<'EOT'
An option lives in three places that must agree: the getopt_long table, the --help text (a line
"  --name ARG  what it does", indented two to six spaces) and the manual page (".TP" then
".BI \-\-name \" ARG\"", or ".B \-\-name" for an option without a value); and the synopsis of
--help ("Usage: ..." and the lines under it) matches the page's SYNOPSIS word for word.
EOT
fi
exit $failed
