#!/usr/bin/env bash
# A walk through the designer's main window in a real window, driven with xdotool as a user
# would. After every step the preview (Image1, 350 x 20 at (53, 398) in the window) must equal,
# pixel for pixel, what the command-line renderer makes of the same design:
#  - the "+"/"-" buttons and the arrow buttons nudge the text; holding an arrow repeats;
#  - an entry picked in each list box, a slider dragged with a pause, the check boxes toggled;
#  - a colour picked in a colour box's palette pop-up;
#  - an overlay picture loaded through the open dialog, hidden and shown with its check box, its
#    opacity dragged, moved and resized with its buttons;
#  - a project saved through the save dialog, "New", then opened again through the open dialog;
#  - the banner exported as PNG, JPEG, GIF and BMP, the format chosen in the dialog's file-type
#    list, each file checked against the renderer's; exported again under a name whose file
#    exists, replaced only after a yes;
#  - the banner exported before the "Effects" page has first shown (whose lists switch the
#    controls' rounding) and again after a pattern picked there and the design's own picked back:
#    the same bytes, as one design has one banner;
#  - the title bar's close button ends the program.
#   main_window_walk_test.sh VESKEL VESKEL_RENDER OUTDIR
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=xvfb_lib.sh
. "$here/xvfb_lib.sh"

[ $# -ge 3 ] || { echo "usage: $0 VESKEL VESKEL_RENDER OUTDIR" >&2; exit 2; }
# Absolute paths: the program runs in the output folder.
VESKEL=$(readlink -f "$1")
RENDER=$(readlink -f "$2")
WORK=$(readlink -m "$3")
rm -rf "$WORK"
mkdir -p "$WORK/config"
need_tools identify
# Qt's file dialog keeps its history in the user's settings: keep it inside the test's folder.
export XDG_CONFIG_HOME=$WORK/config
started=$(date +%s%3N)
# Every line of the log says when it happened (seconds from the start), to see what is slow.
log() { local t=$(($(date +%s%3N) - started)); printf '%3d.%03d %s\n' $((t / 1000)) $((t % 1000)) "$*" >&2; }

# The design as veskel-render arguments; later arguments override earlier ones, so each step
# appends what it changes.
design=()
render() {
    local out=$1
    shift
    "$RENDER" "$@" -o "$out" 2>"$WORK/render.err" || fail "veskel-render $* failed: $(head -c 500 "$WORK/render.err")"
}

# The renderer's default design, and the text position it starts with (TextX at offset 513 of
# the project record).
render "$WORK/default.png" --save-project "$WORK/default"
x0=$(od -An -t d4 -j 513 -N 4 "$WORK/default.vzk" | tr -d ' ')
[ -n "$x0" ] || fail "no TextX in the default project"

# The preview cut from a screenshot of the window.
preview_now() {
    shoot "$WORK/$1-window.png" && convert "$WORK/$1-window.png" -crop 350x20+53+398 +repage "png24:$WORK/$1-preview.png"
}
same_pixels() { [ "$(pixel_difference "$1" "$2" "${3:-null:}")" = "0" ]; }

# Waits (up to 10 s) until the preview equals an image.
expect_preview_image() {
    local name=$1 expected=$2 d="" deadline=$(($(date +%s) + 10))
    while :; do
        app_alive || fail "the program ended before '$name'; stderr: $(head -c 2000 "$WORK/app.err")"
        if preview_now "$name"; then
            d=$(pixel_difference "$expected" "$WORK/$name-preview.png" "$WORK/$name-diff.png")
            if [ "$d" = "0" ]; then
                rm -f "$WORK/$name-diff.png"
                log "ok: $name"
                return 0
            fi
        fi
        [ "$(date +%s)" -lt "$deadline" ] || break
        sleep 0.2
    done
    fail "'$name': after 10 s the preview still differs from $expected ($d pixels); see $WORK/$name-preview.png, $WORK/$name-diff.png and $(shoot_screen "$name")"
}
# Waits until the preview equals the renderer's image of the design with extra arguments.
expect_preview() {
    local name=$1
    shift
    design+=("$@")
    render "$WORK/$name-expected.png" "${design[@]}"
    expect_preview_image "$name" "$WORK/$name-expected.png"
}
# Saves the whole screen for a failure report (named after the step) and prints its path.
shoot_screen() {
    local path="$WORK/${1// /-}-screen.png"
    timeout 10 import -window root "png24:$path" 2>>"$WORK/import.log"
    echo "$path"
}

# Moves the pointer to a point of the window. (xdotool's --sync waits for a movement, which
# never comes when the pointer is already there.)
move_to() {
    local here
    here=$(timeout 5 xdotool getmouselocation 2>/dev/null | sed -n 's/^x:\([0-9]*\) y:\([0-9]*\).*/\1 \2/p')
    [ "$here" = "$((WIN_X + $1)) $((WIN_Y + $2))" ] || pointer_to "$1" "$2"
}
# A left click at a point of the window. Two clicks at one place closer together than the
# double-click time would make a double click, so such a click waits.
last_click="" last_click_ms=0
click() {
    local now
    now=$(date +%s%3N)
    if [ "$last_click" = "$1,$2" ] && [ $((now - last_click_ms)) -lt 600 ]; then
        sleep "0.$(printf '%03d' $((600 - (now - last_click_ms))))"
    fi
    move_to "$1" "$2"
    xdo click 1
    last_click="$1,$2" last_click_ms=$(date +%s%3N)
}
# The tabs of the paged container (tab centres on the tab row at y 62), then off every control.
show_page() {
    local centres=(0 38 103 177 266)
    click $((28 + centres[$1])) 62
    move_to 5 470
}

# The program's windows other than the main one that are shown (pop-ups and dialogs).
other_windows() {
    timeout 5 xdotool search --onlyvisible --pid "$APP_PID" 2>/dev/null | grep -vx "$MAIN"
}
# Waits (up to 10 s) for another window of the program; sets OTHER.
wait_other_window() {
    local what=$1 i
    OTHER=""
    for i in $(seq 50); do
        app_alive || fail "the program ended while waiting for $what"
        OTHER=$(other_windows | head -n 1)
        [ -n "$OTHER" ] && { log "$what: window $OTHER"; return 0; }
        sleep 0.2
    done
    fail "no $what appeared within 10 s (screen in $(shoot_screen "$what"))"
}
# Waits (up to 10 s) until only the main window is shown.
wait_others_gone() {
    local what=$1 i
    for i in $(seq 50); do
        [ -z "$(other_windows)" ] && return 0
        sleep 0.2
    done
    fail "$what is still open after 10 s (screen in $(shoot_screen "$what"))"
}
# Waits (up to 10 s) until another shown window of the program, other than the one given (a
# dialog that is closing), has the keyboard focus: a dialog ready for typing. (A dialog can show
# pop-ups of its own, such as the file-name completer, which never take the focus.) Sets OTHER.
wait_dialog() {
    local what=$1 except=${2:-none} i focus=""
    OTHER=""
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
    fail "no $what with the keyboard focus appeared within 10 s (focus: $focus; screen in $(shoot_screen "$what"))"
}
# In a file dialog (Qt's own): the file-name field has the focus; select what it holds, type a
# full path and accept with Return.
dialog_accept_path() {
    xdo key ctrl+a
    xdo type --delay 10 "$1"
    xdo key Return
}

# ---------------------------------------------------------------- start

start_xvfb
xdo mousemove --sync 1020 760
cd "$WORK" || fail "no $WORK"
start_app "$VESKEL"
MAIN=$WINDOW
[ "$WIN_W" = 462 ] && [ "$WIN_H" = 480 ] || fail "the window is ${WIN_W}x$WIN_H, not 462x480"
expect_preview start

# ---------------------------------------------------------------- page 1: text position
# Page 1 starts at (28, 72) in the window. "+" and "-" beside X (334/362, 84) and Y (334/362, 112).
click 376 165; expect_preview x-plus --set TextX=$((x0 + 1))
click 376 193; expect_preview y-plus --set TextY=6
click 404 165; expect_preview x-minus --set TextX="$x0"
click 404 193; expect_preview y-minus --set TextY=5
# The arrows: right (79, 116), up (58, 78), down (58, 136), left (20, 116).
click 127 200; expect_preview arrow-right --set TextX=$((x0 + 1))
click 98 170; expect_preview arrow-up --set TextY=4
click 98 228; expect_preview arrow-down --set TextY=5

# Held down, the left arrow repeats (after 400 ms, every 20 ms) until released, and the release
# over the button clicks once more. How many steps a loaded machine fits in is not fixed: find
# the one position that a preview shows, among those the time held allows.
#   steps_in PREVIEW MOST GUESS: the number of steps (0..MOST) that PREVIEW shows, tried outward
#   from the likeliest.
steps_in() {
    local preview=$1 most=$2 guess=$3 d n
    [ "$guess" -le "$most" ] || guess=$most
    for d in $(seq 0 "$most"); do
        for n in $((guess - d)) $((guess + d)); do
            [ "$n" -ge 0 ] && [ "$n" -le "$most" ] || continue
            render "$WORK/held-candidate.png" "${design[@]}" --set TextX=$((x0 + 1 - n))
            same_pixels "$WORK/held-candidate.png" "$preview" && { echo "$n"; return 0; }
            [ "$d" = 0 ] && break
        done
    done
    return 1
}
move_to 68 200
t0=$(date +%s%3N)
xdo mousedown 1
sleep 0.8
preview_now held-midway                 # a look while the button is still down
sleep 0.4
xdo mouseup 1
held=$(($(date +%s%3N) - t0))
move_to 5 470
# Settled: two looks a moment apart show the same preview.
preview_now held-a
for _ in $(seq 50); do
    sleep 0.2
    preview_now held-b
    same_pixels "$WORK/held-a-preview.png" "$WORK/held-b-preview.png" && break
    cp "$WORK/held-b-preview.png" "$WORK/held-a-preview.png"
done
# A timer may fire up to 5 % early (19 ms), and the time measured includes starting xdotool.
most=$(((held - 380) / 19 + 3))
steps=$(steps_in "$WORK/held-b-preview.png" "$most" $(((held - 400) / 20 + 1))) ||
    fail "after holding the left arrow for $held ms the preview shows no text position from $((x0 + 1)) to $((x0 + 1 - most))"
[ "$steps" -ge 5 ] || fail "holding the left arrow for $held ms moved the text $steps steps, expected several"
midway=$(steps_in "$WORK/held-midway-preview.png" "$steps" 20) ||
    fail "while the left arrow was held the preview showed no text position from $((x0 + 1)) to $((x0 + 1 - steps))"
[ "$midway" -ge 1 ] && [ "$midway" -lt "$steps" ] ||
    fail "while the left arrow was held the text had moved $midway steps, and $steps after the release"
design+=(--set TextX=$((x0 + 1 - steps)))
log "ok: holding the left arrow for $held ms moved the text $steps steps ($midway while still held)"

click 373 228; expect_preview text-reset --set TextX="$x0" --set TextY=5

# ---------------------------------------------------------------- page 1: gradient
click 47 319; expect_preview horizontal-off --set Horizontal=0

# Rest the pointer on ClrBox1 (144, 220): its palette pop-up opens after 300 ms.
move_to 178 296
move_to 181 300
wait_other_window "palette pop-up"
POPUP=$OTHER
# (The shell form also sets WINDOW, which must keep naming the main window.)
eval "$(timeout 10 xdotool getwindowgeometry --shell "$POPUP")"
WINDOW=$MAIN
# A click in the HLS table (panel (18, 18) in the pop-up, table at (72, 24) in the panel).
xdo mousemove --sync $((X + 18 + 72 + 150)) $((Y + 18 + 24 + 90))
xdo click 1
# Away from the box and the pop-up: it closes at its next 300 ms look at the pointer.
xdo mousemove --sync 1020 760
wait_others_gone "the palette pop-up"
# The box shows the colour picked; the preview must show the same colour as Color1.
colour=""
for _ in $(seq 25); do
    shoot "$WORK/picked-window.png" &&
        colour=$(convert "$WORK/picked-window.png" -format '%[fx:int(255*p{181,300}.r+0.5)] %[fx:int(255*p{181,300}.g+0.5)] %[fx:int(255*p{181,300}.b+0.5)]' info:)
    [ -n "$colour" ] && [ "$colour" != "241 77 33" ] && break
    sleep 0.2
done
read -r cr cg cb <<<"$colour"
[ -n "${cb:-}" ] && [ "$colour" != "241 77 33" ] || fail "the colour box does not show a new colour (it shows '$colour')"
expect_preview palette-colour --set Color1="$(printf '#%02X%02X%02X' "$cr" "$cg" "$cb")"

# ---------------------------------------------------------------- page 2: effects
# The banner through the image "Save..." on page 4 (32, 180) as NAME.png, the PNG type (the
# first) chosen in the dialog.
export_png() {
    show_page 4
    click 105 264
    wait_dialog "export dialog ($1)"
    xdo key Tab Home shift+Tab
    dialog_accept_path "$WORK/$1"
    wait_others_gone "the export dialog ($1)"
    for _ in $(seq 50); do [ -s "$WORK/$1.png" ] && break; sleep 0.2; done
    [ -s "$WORK/$1.png" ] || fail "Ctrl+E did not write $WORK/$1.png"
}
# Exported before the lists first paint (which switches the controls' rounding for good), then
# after "Diagonal cross" and the design's own pattern again: nothing changed, the same bytes.
export_png lists-unseen
show_page 2
click 126 $((141 + 18 * 4 + 9)); expect_preview diagonal-cross --set Pattern=4
click 126 $((141 + 18 * 2 + 9)); expect_preview pattern-back --set Pattern=2
export_png lists-seen
cmp -s "$WORK/lists-unseen.png" "$WORK/lists-seen.png" ||
    fail "the same design exported different pixels after the Effects page had shown (see $WORK/lists-*.png)"
log "ok: the banner exported before and after the Effects page is the same file"
show_page 2
# The lists (in panels at (12, 68) and (216, 68), one pixel in; entries 18 high).
click 126 $((141 + 18 * 3 + 9)); expect_preview pattern-3 --set Pattern=3
click 330 $((141 + 18 * 1 + 9)); expect_preview mirror-1 --set MirrorPattern=1

# GlassSlider1 (5, 32, 180 wide, maximum 99): value = round((x - 9) x 99 / 162) at x in the
# control. The points chosen give the same value whichever way the window rounds.
move_to $((33 + 164)) 116
xdo mousedown 1
xdo mousemove --sync $((WIN_X + 33 + 140)) $((WIN_Y + 116))
xdo mousemove --sync $((WIN_X + 33 + 104)) $((WIN_Y + 116))
expect_preview slider-pause --set PatternStrength=58      # x 104: 58.06
xdo mousemove --sync $((WIN_X + 33 + 70)) $((WIN_Y + 116))
xdo mousemove --sync $((WIN_X + 33 + 50)) $((WIN_Y + 116))
expect_preview slider-second-pause --set PatternStrength=25  # x 50: 25.06
xdo mouseup 1
move_to 5 470
expect_preview slider-released

# Check boxes "Добавить эффект свечения" (28, 248) and "Добавить рамку:" (28, 220).
click 63 327; expect_preview glow-off --set Glow=0
click 63 300; expect_preview border-off --set Border=0

# ---------------------------------------------------------------- page 3: overlay picture
show_page 3
convert -size 60x16 gradient:'#ff2000-#2040ff' \( -size 60x16 gradient:'#ffffff-#606060' -rotate 90 -resize 60x16\! \) \
    -alpha off -compose CopyOpacity -composite "png32:$WORK/overlay.png" || fail "could not make the overlay picture"
click 89 116   # "Choose..." (16, 32)
wait_dialog "open-picture dialog"
dialog_accept_path "$WORK/overlay.png"
wait_others_gone "the open-picture dialog"
expect_preview overlay-loaded --overlay "$WORK/overlay.png"
# "Добавить изображение" (16, 72) hides the picture and shows it again.
click 51 151; expect_preview overlay-hidden --set Overlay=0
click 51 151; expect_preview overlay-shown --set Overlay=1
# The opacity slider GlassSlider4 (160, 40, 213 wide, maximum 200): value = round((x - 9) x 200
# / 195); x 100 gives 93.3.
move_to $((188 + 184)) 124
xdo mousedown 1
xdo mousemove --sync $((WIN_X + 188 + 140)) $((WIN_Y + 124))
xdo mousemove --sync $((WIN_X + 188 + 100)) $((WIN_Y + 124))
expect_preview overlay-opacity --set OverlayOpacity=93
xdo mouseup 1
move_to 5 470
# Position arrows: right (103, 164), down (82, 184); size arrows: right (303, 164), down (282, 184);
# the top-left corner (250, 132); size "Reset" (300, 240).
click 151 248; expect_preview overlay-right --set OverlayX=1
click 122 276; expect_preview overlay-down --set OverlayY=1
click 351 248; expect_preview overlay-wider --set OverlayWidth=61
click 322 276; expect_preview overlay-taller --set OverlayHeight=17
click 294 220; expect_preview overlay-corner --set OverlayX=0 --set OverlayY=0 --set OverlayWidth=62 --set OverlayHeight=18
# Back to the picture's own size, then one wider: the project saved below stores a size other than
# the picture's own, which it shows again when reopened.
click 373 324; expect_preview overlay-size-reset --set OverlayWidth=60 --set OverlayHeight=16
click 151 248; expect_preview overlay-right-again --set OverlayX=1
click 351 248; expect_preview overlay-wider-again --set OverlayWidth=61

# ---------------------------------------------------------------- page 4: project and export
show_page 4
cp "$WORK/overlay-wider-again-preview.png" "$WORK/saved-preview.png"
click 105 200   # project "Save..." (32, 116)
wait_dialog "project save dialog"
dialog_accept_path "$WORK/design"
wait_others_gone "the project save dialog"
for _ in $(seq 50); do [ -s "$WORK/design.vzk" ] && break; sleep 0.2; done
[ -s "$WORK/design.vzk" ] || fail "saving did not write $WORK/design.vzk"
log "ok: saved $WORK/design.vzk ($(stat -c %s "$WORK/design.vzk") bytes)"

click 105 120   # "New" (32, 36)
expect_preview_image new "$WORK/default.png"

click 105 160   # "Open..." (32, 76)
wait_dialog "project open dialog"
dialog_accept_path "$WORK/design.vzk"
wait_others_gone "the project open dialog"
expect_preview_image reopened "$WORK/saved-preview.png"
render "$WORK/project-expected.png" --project "$WORK/design.vzk"
same_pixels "$WORK/project-expected.png" "$WORK/reopened-preview.png" ||
    fail "the reopened preview differs from veskel-render --project $WORK/design.vzk"
log "ok: the reopened project shows the saved preview, as veskel-render does"

# Export in each format: the format is the entry chosen in the dialog's file-type list (the
# field after the name field), and its extension is appended to the name typed.
exts=(png jpg gif bmp)
kinds=(PNG JPEG GIF BMP)
for i in 0 1 2 3; do
    ext=${exts[$i]}
    click 105 264   # image "Save..." (32, 180)
    wait_dialog "export dialog ($ext)"
    xdo key Tab Home
    for _ in $(seq "$i"); do xdo key Down; done
    xdo key shift+Tab
    dialog_accept_path "$WORK/export-$ext"
    wait_others_gone "the export dialog ($ext)"
    file=$WORK/export-$ext.$ext
    for _ in $(seq 50); do [ -s "$file" ] && break; sleep 0.2; done
    [ -s "$file" ] || fail "the export as ${kinds[$i]} did not write $file: there are $(cd "$WORK" && echo export-*)"
    format=$(identify -format '%m %wx%h' "$file" 2>&1)
    case "$format" in
        "${kinds[$i]} 350x20" | "${kinds[$i]}3 350x20") ;;
        *) fail "$file is '$format', not a 350x20 ${kinds[$i]}" ;;
    esac
    render "$WORK/export-expected.$ext" --project "$WORK/design.vzk"
    if [ "$ext" = png ] || [ "$ext" = bmp ]; then
        same_pixels "$WORK/export-expected.$ext" "$file" "$WORK/export-$ext-diff.png" ||
            fail "the exported $ext differs from veskel-render's (see $WORK/export-$ext-diff.png)"
        same_pixels "$WORK/saved-preview.png" "$file" || fail "the exported $ext differs from the preview"
    elif cmp -s "$WORK/export-expected.$ext" "$file"; then
        format="$format, the same bytes as veskel-render's"
    else
        same_pixels "$WORK/export-expected.$ext" "$file" "$WORK/export-$ext-diff.png" ||
            fail "the exported $ext differs from veskel-render's (see $WORK/export-$ext-diff.png)"
        format="$format, the same pixels as veskel-render's"
    fi
    log "ok: exported $file ($format)"
done

# Once more under the same name: the dialog judged the name typed ("export-png"), but the file
# that would be written ("export-png.png") is there, so the program asks first.
export_again() {
    local dialog
    click 105 264
    wait_dialog "export dialog (again)"
    dialog=$OTHER
    xdo key Tab Home shift+Tab
    dialog_accept_path "$WORK/export-png"
    wait_dialog "question before replacing" "$dialog"
    xdo key "$1"
    wait_others_gone "the question before replacing"
}
file=$WORK/export-png.png
inode=$(stat -c %i "$file")
cp "$file" "$WORK/export-png-first.png"
export_again Escape
sleep 0.5
[ "$(stat -c %i "$file")" = "$inode" ] && cmp -s "$file" "$WORK/export-png-first.png" ||
    fail "$file was replaced although the question was answered no"
log "ok: answering no keeps $file"
export_again "$KEY_YES"              # the "Yes" button's mnemonic
for _ in $(seq 50); do [ "$(stat -c %i "$file")" != "$inode" ] && break; sleep 0.2; done
[ "$(stat -c %i "$file")" != "$inode" ] || fail "$file was not written anew after a yes"
same_pixels "$WORK/export-png-first.png" "$file" || fail "the PNG written after a yes differs from the first one"
log "ok: answering yes replaces $file"

# ---------------------------------------------------------------- close
# The title bar's close button (bar at (12, 13), 445 wide; button 18 wide, 3 from the end).
move_to $((12 + 445 - 3 - 9)) $((13 + 12))
sleep 0.3
xdo click 1
for _ in $(seq 50); do app_alive || break; sleep 0.1; done
app_alive && fail "the window did not close through its title bar"
APP_PID=""
log "ok: closed through the title bar"
log "PASS"
exit 0
