#!/usr/bin/env bash
# The designer's typing and file work in a real window under Xvfb, each state of the preview
# checked against the command-line renderer:
#  - a text far too wide is refused: the field shows what the banner holds, and Ctrl+S saves that;
#  - "15" typed into the cleared X field is 15 (not 150);
#  - an export typed as "banner.png" with the PNG type writes banner.png, and asks before
#    replacing it;
#  - unsaved work is let go only after "save changes?": "New" with Cancel keeps it and with No
#    lets it go, "Open..." with Yes saves it first, the close button with Cancel keeps the window
#    and with No closes it;
#  - the task bar title names the current file, with "*" while it is unsaved;
#  - the next run's open dialog starts in the folder last used.
#   designer_files_test.sh VESKEL VESKEL_RENDER OUTDIR
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=xvfb_lib.sh
. "$here/xvfb_lib.sh"

[ $# -ge 3 ] || { echo "usage: $0 VESKEL VESKEL_RENDER OUTDIR" >&2; exit 2; }
VESKEL=$(readlink -f "$1")
RENDER=$(readlink -f "$2")
WORK=$(readlink -m "$3")
rm -rf "$WORK"
mkdir -p "$WORK/config" "$WORK/data"
need_tools xprop
# The dialogs' folders and the desktop's recent files stay inside the test's folder.
export XDG_CONFIG_HOME=$WORK/config XDG_DATA_HOME=$WORK/data

render() {
    local out=$1
    shift
    "$RENDER" "$@" -o "$out" 2>"$WORK/render.err" || fail "veskel-render $* failed: $(head -c 500 "$WORK/render.err")"
}
crop() { convert "$1" -crop "$2" +repage "png24:$3"; }
same_pixels() { [ "$(pixel_difference "$1" "$2" "${3:-null:}")" = "0" ]; }

# Waits (up to 10 s) until the preview (350 x 20 at 53, 398) equals an image.
expect_preview() {
    local name=$1 expected=$2 d="" i
    for i in $(seq 50); do
        app_alive || fail "the program ended before '$name'; stderr: $(head -c 2000 "$WORK/app.err")"
        if shoot "$WORK/$name-window.png" && crop "$WORK/$name-window.png" 350x20+53+398 "$WORK/$name-preview.png"; then
            d=$(pixel_difference "$expected" "$WORK/$name-preview.png" "$WORK/$name-diff.png")
            [ "$d" = "0" ] && { rm -f "$WORK/$name-diff.png"; log "ok: $name"; return 0; }
        fi
        sleep 0.2
    done
    fail "'$name': the preview differs from $expected ($d pixels); see $WORK/$name-preview.png"
}
# Waits (up to 10 s) until the native window's title is the one given.
expect_title() {
    local title="" i
    for i in $(seq 50); do
        title=$(timeout 5 xprop -id "$MAIN" _NET_WM_NAME 2>/dev/null | sed -n 's/^_NET_WM_NAME(UTF8_STRING) = "\(.*\)"$/\1/p')
        [ "$title" = "$1" ] && { log "ok: title '$title'"; return 0; }
        sleep 0.2
    done
    fail "the window's title is '$title', not '$1'"
}
# Moves the pointer to a point of the window (xdotool's --sync waits for a movement, which never
# comes when the pointer is already there).
move_to() {
    local at
    at=$(timeout 5 xdotool getmouselocation 2>/dev/null | sed -n 's/^x:\([0-9]*\) y:\([0-9]*\).*/\1 \2/p')
    [ "$at" = "$((WIN_X + $1)) $((WIN_Y + $2))" ] || pointer_to "$1" "$2"
}
# A left click at a point of the window, well apart in time from the one before.
click() {
    sleep 0.6
    move_to "$1" "$2"
    xdo click 1
}
show_page() {
    local centres=(0 38 103 177 266)
    click $((28 + centres[$1])) 62
    move_to 5 470
}
# The program's shown windows other than the main one (dialogs and questions).
other_windows() { timeout 5 xdotool search --onlyvisible --pid "$APP_PID" 2>/dev/null | grep -vx "$MAIN"; }
# Waits (up to 10 s) until another window of the program (not the one given, a dialog that is
# closing) has the keyboard focus: a dialog or a question ready for keys. Sets OTHER.
wait_dialog() {
    local what=$1 except=${2:-none} focus="" i
    for i in $(seq 50); do
        app_alive || fail "the program ended while waiting for the $what"
        focus=$(timeout 5 xdotool getwindowfocus 2>/dev/null)
        if [ -n "$focus" ] && [ "$focus" != "$MAIN" ] && [ "$focus" != "$except" ] && other_windows | grep -qx "$focus"; then
            OTHER=$focus
            log "$what: window $OTHER"
            return 0
        fi
        sleep 0.2
    done
    fail "no $what with the keyboard focus appeared within 10 s"
}
# Waits (up to 10 s) until only the main window is shown.
wait_main() {
    local i
    for i in $(seq 50); do
        [ -z "$(other_windows)" ] && return 0
        sleep 0.2
    done
    fail "$1 is still open after 10 s"
}
# A file dialog: a full path typed into its name field, accepted with Return.
accept_path() {
    xdo key ctrl+a
    xdo type --delay 10 "$1"
    xdo key Return
}
# "save changes?" appears; the key given answers it (Escape: Cancel, n: No, y: Yes).
answer_question() {
    wait_dialog "save-changes question"
    xdo key "$1"
}
wait_file() {
    for _ in $(seq 50); do [ -s "$1" ] && return 0; sleep 0.2; done
    fail "$1 was not written"
}
# The banner text stored in a project (a length byte, then the characters).
project_text() { tail -c +2 "$1" | head -c "$(od -An -t u1 -N 1 "$1" | tr -d ' ')"; }

# ---------------------------------------------------------------- start

render "$WORK/default.png"
start_xvfb
xdo mousemove --sync 1020 760
cd "$WORK" || fail "no $WORK"
start_app "$VESKEL"
MAIN=$WINDOW
expect_preview start "$WORK/default.png"
expect_title "Без имени — Veskel"

# ---------------------------------------------------------------- a refused text
# The text field (page at (28, 72), field at (8, 28), 389 x 18): 60 more letters than fit.
field=389x18+36+100
click 200 109
xdo key End
xdo type --delay 15 "$(printf 'B%.0s' $(seq 60))"
expect_title "*Без имени — Veskel"
sleep 0.5
shoot "$WORK/refused-window.png" && crop "$WORK/refused-window.png" "$field" "$WORK/refused-field.png"
xdo key ctrl+s                   # a design without a file: the save dialog
wait_dialog "project save dialog"
accept_path "$WORK/refused"
wait_main "the project save dialog"
wait_file "$WORK/refused.vzk"
expect_title "refused.vzk — Veskel"
stored=$(project_text "$WORK/refused.vzk")
case "$stored" in
    "Brannock veskel generatorB"*B) ;;
    *) fail "the saved project holds the text '$stored'" ;;
esac
[ ${#stored} -lt $((25 + 60)) ] || fail "the saved project holds all ${#stored} letters"
render "$WORK/refused-expected.png" --project "$WORK/refused.vzk"
expect_preview refused "$WORK/refused-expected.png"
# The field shows exactly that text: typed afresh, it looks the same.
xdo key ctrl+a
xdo type --delay 10 "$stored"
sleep 0.5
shoot "$WORK/retyped-window.png" && crop "$WORK/retyped-window.png" "$field" "$WORK/retyped-field.png"
same_pixels "$WORK/refused-field.png" "$WORK/retyped-field.png" "$WORK/refused-field-diff.png" ||
    fail "after the refusal the field did not show the stored text (see $WORK/refused-field-diff.png)"
log "ok: the field gave back the refused letters (${#stored} characters kept)"

# ---------------------------------------------------------------- "15" into the X field
click 318 165                    # GlassEdit2 (250, 84)
xdo key ctrl+a BackSpace
xdo type --delay 50 "15"
render "$WORK/x15.png" --project "$WORK/refused.vzk" --set TextX=15
expect_preview x-15 "$WORK/x15.png"
expect_title "*refused.vzk — Veskel"

# ---------------------------------------------------------------- export "banner.png"
show_page 4
export_png() {
    click 105 264                # image "Save..." (32, 180); the PNG type is the first
    wait_dialog "export dialog"
    accept_path "$WORK/banner.png"
}
export_png
wait_main "the export dialog"
wait_file "$WORK/banner.png"
[ -e "$WORK/banner.png.png" ] && fail "the export wrote banner.png.png"
same_pixels "$WORK/x15.png" "$WORK/banner.png" || fail "banner.png is not the banner shown"
inode=$(stat -c %i "$WORK/banner.png")
export_png
dialog=$OTHER
wait_dialog "question before replacing banner.png" "$dialog"
xdo key y
wait_main "the question before replacing"
for _ in $(seq 50); do [ "$(stat -c %i "$WORK/banner.png")" != "$inode" ] && break; sleep 0.2; done
[ "$(stat -c %i "$WORK/banner.png")" != "$inode" ] || fail "banner.png was not replaced after a yes"
[ -e "$WORK/banner.png.png" ] && fail "the export wrote banner.png.png"
log "ok: \"banner.png\" with the PNG type writes banner.png, replaced after a yes"

# ---------------------------------------------------------------- unsaved work
click 105 120                    # "New" (32, 36)
answer_question Escape           # Cancel: everything stays
wait_main "the question"
sleep 0.5
expect_preview new-cancelled "$WORK/x15.png"
expect_title "*refused.vzk — Veskel"
click 105 120
answer_question n                # No: the new design
expect_preview new "$WORK/default.png"
expect_title "Без имени — Veskel"

xdo key ctrl+z                   # the work before "New" is back, unsaved
expect_preview undone "$WORK/x15.png"
click 105 160                    # "Open..." (32, 76)
answer_question y                # Yes: saved first (a new design: the save dialog)
question=$OTHER
wait_dialog "project save dialog" "$question"
accept_path "$WORK/kept"
wait_file "$WORK/kept.vzk"
wait_dialog "project open dialog" "$OTHER"
accept_path "$WORK/refused.vzk"
expect_preview opened "$WORK/refused-expected.png"
expect_title "refused.vzk — Veskel"
render "$WORK/kept-expected.png" --project "$WORK/kept.vzk"
same_pixels "$WORK/kept-expected.png" "$WORK/x15.png" || fail "kept.vzk does not hold the work saved before Open"
log "ok: \"Open...\" saved the unsaved work first"
grep -q "file://$WORK/refused.vzk" "$WORK/data/recently-used.xbel" ||
    fail "refused.vzk is not among the desktop's recent files"

xdo key ctrl+z                   # unsaved again
expect_title "*refused.vzk — Veskel"
# The last dialog of this run is an export into another folder: Qt's own memory of the last
# folder then points there, and only the projects' own folder leads the next run to refused.vzk.
mkdir -p "$WORK/exports"
xdo key ctrl+e
wait_dialog "export dialog"
accept_path "$WORK/exports/last.png"
wait_file "$WORK/exports/last.png"
wait_main "the export dialog"
close_button() {
    sleep 0.6
    move_to $((12 + 445 - 3 - 9)) $((13 + 12))
    sleep 0.3
    xdo click 1
}
close_button
answer_question Escape
wait_main "the question"
sleep 0.5
app_alive || fail "Cancel closed the window"
close_button
answer_question n
for _ in $(seq 50); do app_alive || break; sleep 0.1; done
app_alive && fail "the window did not close after No"
APP_PID=""
log "ok: the close button asked; Cancel kept the window, No closed it"

# ---------------------------------------------------------------- the next run
# Started from another folder, the open dialog is where projects were last opened: a bare name
# finds the project.
cd "$WORK/data" || fail "no $WORK/data"
start_app "$VESKEL"
MAIN=$WINDOW
xdo key ctrl+o
wait_dialog "project open dialog"
accept_path "refused.vzk"
expect_preview reopened-next-run "$WORK/refused-expected.png"
log "PASS"
exit 0
