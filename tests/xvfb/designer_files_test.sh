#!/usr/bin/env bash
# The designer's typing and file work in a real window under Xvfb, the preview checked against
# the command-line renderer: a text far too wide is refused and the field shows what is kept;
# "15" typed into the cleared X field is 15; "banner.png" exported with the PNG type writes
# banner.png; "save changes?" before New (Cancel, No), Open (Yes) and the close button (Cancel,
# No); the task bar title names the current file, "*" while unsaved, and undo and redo bring back
# the file of the design they restore (after New, the work undone is its file's again; an Open
# undone leaves a design that Ctrl+S does not write into the opened file); the next run's open
# dialog starts in the projects' folder.
#   designer_files_test.sh VESKEL VESKEL_RENDER OUTDIR
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=xvfb_lib.sh
. "$here/xvfb_lib.sh"
designer_test_start "$@"
mkdir -p "$WORK/exports"
need_tools xprop

render() { "$RENDER" "$@" 2>"$WORK/render.err" || fail "veskel-render $* failed: $(head -c 500 "$WORK/render.err")"; }
same_pixels() { [ "$(pixel_difference "$1" "$2" null:)" = "0" ]; }
# Retries a check for up to 10 s: retry WHAT COMMAND...
retry() {
    local what=$1
    shift
    for _ in $(seq 50); do "$@" && { log "ok: $what"; return 0; }; sleep 0.2; done
    fail "$what: not so after 10 s (last look in $WORK)"
}
# Cuts an area (WxH+X+Y) of the window into a PNG.
cut_window() { shoot "$WORK/shot.png" && convert "$WORK/shot.png" -crop "$1" +repage "png24:$2"; }
preview_is() { cut_window 350x20+53+398 "$WORK/preview-$1.png" && same_pixels "$2" "$WORK/preview-$1.png"; }
expect_preview() { retry "preview $1" preview_is "$@"; }
title_is() { [ "$(timeout 5 xprop -id "$MAIN" _NET_WM_NAME 2>/dev/null)" = "_NET_WM_NAME(UTF8_STRING) = \"$1\"" ]; }
expect_title() { retry "title '$1'" title_is "$1"; }
move_to() {  # (xdotool's --sync waits for a movement, which never comes when already there)
    [ "$(timeout 5 xdotool getmouselocation | cut -d' ' -f1-2)" = "x:$((WIN_X + $1)) y:$((WIN_Y + $2))" ] || pointer_to "$1" "$2"
}
click() { sleep 0.6; move_to "$1" "$2"; xdo click 1; }
others() { timeout 5 xdotool search --onlyvisible --pid "$APP_PID" 2>/dev/null | grep -vx "$MAIN"; }
# A dialog or question of the program other than $1 (one that is closing) has the keyboard focus.
dialog_focused() {
    OTHER=$(timeout 5 xdotool getwindowfocus 2>/dev/null)
    [ -n "$OTHER" ] && [ "$OTHER" != "$MAIN" ] && [ "$OTHER" != "${1:-none}" ] && others | grep -qx "$OTHER"
}
only_main() { [ -z "$(others)" ]; }
# Types a full path into a file dialog's name field and accepts it.
accept_path() { retry "a dialog for $1" dialog_focused "${2:-}"; xdo key ctrl+a; xdo type --delay 10 "$1"; xdo key Return; }
answer() { retry "the question" dialog_focused "${2:-}"; xdo key "$1"; }
written() { [ -s "$1" ]; }

render -o "$WORK/default.png"
start_xvfb
xdo mousemove --sync 1020 760
cd "$WORK" || fail "no $WORK"
start_app "$VESKEL"
MAIN=$WINDOW
expect_preview start "$WORK/default.png"
expect_title "Без имени — Veskel"

# A refused text: 60 letters more than fit, typed at the end of the text field (36, 100 in the
# window, 389 x 18). Ctrl+S saves what the banner holds; typed afresh, the field looks the same.
click 200 109
xdo key End
xdo type --delay 15 "$(printf 'B%.0s' $(seq 60))"
expect_title "*Без имени — Veskel"
sleep 0.5
cut_window 389x18+36+100 "$WORK/refused-field.png"
xdo key ctrl+s
accept_path "$WORK/refused"
retry "refused.vzk written" written "$WORK/refused.vzk"
expect_title "refused.vzk — Veskel"
stored=$(tail -c +2 "$WORK/refused.vzk" | head -c "$(od -An -t u1 -N 1 "$WORK/refused.vzk" | tr -d ' ')")
[[ "$stored" == "Brannock veskel generatorB"*B ]] && [ ${#stored} -lt 85 ] || fail "the project holds '$stored'"
render --project "$WORK/refused.vzk" -o "$WORK/refused.png"
expect_preview refused "$WORK/refused.png"
xdo key ctrl+a
xdo type --delay 10 "$stored"
sleep 0.5
cut_window 389x18+36+100 "$WORK/retyped-field.png"
same_pixels "$WORK/refused-field.png" "$WORK/retyped-field.png" || fail "the field kept letters the banner refused"

# "15" into the cleared X field (GlassEdit2 at 250, 84).
click 318 165
xdo key ctrl+a BackSpace
xdo type --delay 50 "15"
render --project "$WORK/refused.vzk" --set TextX=15 -o "$WORK/x15.png"
expect_preview x-15 "$WORK/x15.png"
expect_title "*refused.vzk — Veskel"

# Export "banner.png" with the PNG type (the first): written as typed, replaced after a yes.
click 294 62                         # page 4
click 105 264
accept_path "$WORK/banner.png"
retry "banner.png written" written "$WORK/banner.png"
same_pixels "$WORK/x15.png" "$WORK/banner.png" || fail "banner.png is not the banner shown"
inode=$(stat -c %i "$WORK/banner.png")
retry "the export dialog closed" only_main
click 105 264
accept_path "$WORK/banner.png"
answer "$KEY_YES" "$OTHER"
replaced() { [ "$(stat -c %i "$WORK/banner.png")" != "$inode" ]; }
retry "banner.png replaced after a yes" replaced
[ -e "$WORK/banner.png.png" ] && fail "the export wrote banner.png.png"

# "New": Cancel keeps the work, No lets it go.
click 105 120
answer Escape
retry "the question closed" only_main
expect_preview new-cancelled "$WORK/x15.png"
expect_title "*refused.vzk — Veskel"
click 105 120
answer "$KEY_NO"
expect_preview new "$WORK/default.png"
expect_title "Без имени — Veskel"
# Ctrl+Z brings back the work under its own file; "Open..." over it: Yes saves it there first.
xdo key ctrl+z
expect_preview undone "$WORK/x15.png"
expect_title "*refused.vzk — Veskel"
click 105 160
answer "$KEY_YES"
accept_path "$WORK/refused.vzk" "$OTHER"
expect_preview opened "$WORK/x15.png"
expect_title "refused.vzk — Veskel"
render --project "$WORK/refused.vzk" -o "$WORK/kept.png"
same_pixels "$WORK/kept.png" "$WORK/x15.png" || fail "refused.vzk does not hold the work saved before Open"
grep -q "file://$WORK/refused.vzk" "$WORK/data/recently-used.xbel" || fail "refused.vzk is not among the recent files"
# Unsaved again; the last dialog exports elsewhere, so that Qt's own memory of the last folder
# points away from the projects.
xdo key ctrl+z
expect_title "*refused.vzk — Veskel"
xdo key ctrl+e
accept_path "$WORK/exports/last.png"
retry "the export dialog closed" only_main
# The close button: Cancel keeps the window, No closes it.
click $((12 + 445 - 12)) 25
answer Escape
retry "the question closed" only_main
app_alive || fail "Cancel closed the window"
click $((12 + 445 - 12)) 25
answer "$KEY_NO"
ended() { ! app_alive; }
retry "the window closed after No" ended
APP_PID=""

# The next run, started elsewhere: the open dialog is in the projects' folder.
cd "$WORK/data" || fail "no $WORK/data"
start_app "$VESKEL"
MAIN=$WINDOW
xdo key ctrl+o
accept_path refused.vzk
expect_preview reopened-next-run "$WORK/x15.png"
expect_title "refused.vzk — Veskel"
# The Open undone: the new design is back, no file's and unmodified, and Ctrl+S asks for a name
# instead of writing it into refused.vzk; redone, the project is refused.vzk's again.
cp "$WORK/refused.vzk" "$WORK/refused-before.vzk"
xdo key ctrl+z
expect_preview open-undone "$WORK/default.png"
expect_title "Без имени — Veskel"
xdo key ctrl+s
retry "a save dialog" dialog_focused
xdo key Escape
retry "the save dialog closed" only_main
cmp -s "$WORK/refused.vzk" "$WORK/refused-before.vzk" || fail "Ctrl+S after undoing the Open wrote into refused.vzk"
xdo key ctrl+y
expect_preview open-redone "$WORK/x15.png"
expect_title "refused.vzk — Veskel"
log "PASS"
