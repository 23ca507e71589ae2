#!/usr/bin/env bash
# Refreshes po/en.po and po/ru.po from the texts in the code (Tr, TrLater and the codecs' Fail)
# and in the stored layouts, keeping every translation already made. Texts that left the code
# stay in the files as obsolete entries (#~) until removed by hand. Needs Debian's gettext.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
cd "$root"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

extract() {  # OUTPUT KEYWORD... -- FILE...
    local out="$1"; shift
    local keywords=()
    while [ "$1" != "--" ]; do keywords+=("--keyword=$1"); shift; done
    shift
    xgettext --language=C++ --from-code=UTF-8 --keyword= "${keywords[@]}" --package-name=veskel \
             --sort-by-file --no-wrap --output="$out" "$@"
}
# The command line speaks English and translates nothing; the codecs' causes pass through Fail.
extract "$work/code.pot" Tr:1 TrLater:1 -- $(git ls-files '*.cpp' '*.h' | grep -v '^tests/\|^bench/\|^fuzz/\|^cli/')
extract "$work/codecs.pot" Fail:1 -- $(git ls-files 'platform/codecs/*.cpp')
/usr/bin/python3 tools/i18n/extract_layout_texts.py $(git ls-files 'app/res/*.layout' 'Components/*.layout') \
    > "$work/layouts.pot"
msgcat --use-first --no-wrap "$work/layouts.pot" "$work/code.pot" "$work/codecs.pot" --output="$work/veskel.pot"

for language in en ru; do
    po="po/$language.po"
    if [ -f "$po" ]; then
        msgmerge --quiet --no-fuzzy-matching --no-wrap --update --backup=none "$po" "$work/veskel.pot"
    else
        msginit --no-translator --no-wrap --locale="$language" --input="$work/veskel.pot" --output-file="$po"
    fi
done
