#!/usr/bin/env bash
# The bash completion of hanlabel-batch, as bash-completion loads it: each row of the table is a
# command line typed so far and the candidates expected, sorted; and every option that
# hanlabel-batch --help lists is completed.
# Usage: check-completion.sh COMPLETION_FILE HANLABEL_BATCH
set -uo pipefail
completion=$(realpath "$1")
batch=$(realpath "$2")
[ -f /usr/share/bash-completion/bash_completion ] || {
    echo "SKIP: bash-completion is not installed"
    exit 77
}
# shellcheck source=/dev/null
. /usr/share/bash-completion/bash_completion
# shellcheck source=/dev/null
. "$completion"

work=$(mktemp -d /tmp/hanlabel-completion.XXXXXX)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
touch 신입생.csv list.CSV tabs.tsv sheet.xlsx sheet.ods notes.txt picture.png run.zpl
mkdir folder

failures=0
# Completes LINE (words split at blanks; a trailing blank starts an empty word) and prints the
# candidates sorted on one line.
candidates() {
    local line=$1
    read -ra COMP_WORDS <<<"$line"
    [[ $line == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMP_LINE=$line
    COMP_POINT=${#line}
    COMPREPLY=()
    _hanlabel_batch hanlabel-batch "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    printf '%s\n' "${COMPREPLY[@]}" | LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//'
}

while IFS='|' read -r line expected; do
    [ -z "$line" ] && continue
    got=$(candidates "$line")
    if [ "$got" != "$expected" ]; then
        echo "FAIL: '$line': expected '$expected', got '$got'"
        failures=$((failures + 1))
    fi
done <<'TABLE'
hanlabel-batch |book members
hanlabel-batch --|--help --version
hanlabel-batch mem|members
hanlabel-batch members |folder list.CSV notes.txt sheet.ods sheet.xlsx tabs.tsv 신입생.csv
hanlabel-batch members 신입생.csv --g|--glyphs-every-card
hanlabel-batch members 신입생.csv --s|--skip-uncertain --stall-limit
hanlabel-batch members 신입생.csv --a|--affiliation --again
hanlabel-batch members 신입생.csv --from |
hanlabel-batch --port LPT1 members 신입생.csv --un|--unmasked
hanlabel-batch book --|--descending --framing --help --port --quantity --serial --stall-limit --text --to --version
hanlabel-batch book --fr|--framing
hanlabel-batch book --framing |1 2 9600,E,7,1 9600,N,8,1
hanlabel-batch book --framing 9600,|9600,E,7,1 9600,N,8,1
hanlabel-batch members 신입생.csv --port |COM1 LPT1
hanlabel-batch book --quantity 3 --to pre|preview:
hanlabel-batch book --quantity 3 --to ru|run.zpl
TABLE

# Every option of the help text is completed.
help=$("$batch" --help) || {
    echo "FAIL: $batch --help ended with $?"
    exit 1
}
for option in $(grep -o -- '--[a-z][a-z-]*' <<<"$help" | sort -u); do
    grep -q -- "$option\b" "$completion" || {
        echo "FAIL: $option of --help is not completed"
        failures=$((failures + 1))
    }
done

[ "$failures" -eq 0 ] || exit 1
echo "completion test passed"
