# Shared pieces of the real-window tests (sourced by the test scripts; bash).
# Every step has a time limit; the X server and the program under test are always stopped, and
# the images of a failed comparison stay in the output folder.

# The reviewed images show the window on a Russian desktop (VESKEL_TEST_LANGUAGE=en shows the
# English one); nothing else of the environment may choose another language. C.UTF-8 is the one
# locale every machine has, and xdotool needs UTF-8 to type Russian.
export LANG=C.UTF-8 LANGUAGE="${VESKEL_TEST_LANGUAGE:-ru}"
unset LC_ALL LC_MESSAGES
# The keys that answer a question Yes and No: the underlined letters of its buttons, which Qt
# words in the window's language.
if [ "$LANGUAGE" = ru ]; then KEY_YES=Cyrillic_de KEY_NO=Cyrillic_en; else KEY_YES=y KEY_NO=n; fi

XVFB_PID=""
APP_PID=""
WORK=""

log() { printf '%s\n' "$*" >&2; }

fail() {
    log "FAIL: $*"
    [ -n "$WORK" ] && log "(images and logs kept in $WORK)"
    exit 1
}

cleanup() {
    local rc=$?
    if [ -n "$APP_PID" ] && kill -0 "$APP_PID" 2>/dev/null; then
        kill "$APP_PID" 2>/dev/null
        for _ in $(seq 20); do kill -0 "$APP_PID" 2>/dev/null || break; sleep 0.1; done
        kill -9 "$APP_PID" 2>/dev/null
    fi
    if [ -n "$XVFB_PID" ] && kill -0 "$XVFB_PID" 2>/dev/null; then
        kill "$XVFB_PID" 2>/dev/null
        for _ in $(seq 20); do kill -0 "$XVFB_PID" 2>/dev/null || break; sleep 0.1; done
        kill -9 "$XVFB_PID" 2>/dev/null
    fi
    wait 2>/dev/null
    exit $rc
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# The usual start of a designer test run as `TEST VESKEL VESKEL_RENDER OUTDIR`: sets VESKEL,
# RENDER and WORK, empties WORK, and keeps the dialogs' folders and the desktop's recent files in
# its config/ and data/.
designer_test_start() {
    [ $# -ge 3 ] || { echo "usage: $0 VESKEL VESKEL_RENDER OUTDIR" >&2; exit 2; }
    VESKEL=$(readlink -f "$1") RENDER=$(readlink -f "$2") WORK=$(readlink -m "$3")
    rm -rf "$WORK"
    mkdir -p "$WORK/config" "$WORK/data"
    export XDG_CONFIG_HOME=$WORK/config XDG_DATA_HOME=$WORK/data
}

need_tools() {
    local t
    for t in Xvfb xdotool setxkbmap import compare convert "$@"; do
        command -v "$t" >/dev/null 2>&1 || fail "$t is not installed"
    done
}

# Starts Xvfb on the first free display from :99 up (1024 x 768, 24 bits, or XVFB_SCREEN when
# set, e.g. 2048x1536x24) and exports DISPLAY.
start_xvfb() {
    local n i
    for n in $(seq 99 199); do
        [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
        Xvfb ":$n" -screen 0 "${XVFB_SCREEN:-1024x768x24}" -nolisten tcp -noreset >"$WORK/xvfb-$n.log" 2>&1 &
        XVFB_PID=$!
        for i in $(seq 50); do
            kill -0 "$XVFB_PID" 2>/dev/null || break
            if DISPLAY=":$n" xdotool getdisplaygeometry >/dev/null 2>&1; then
                # Still ours? Another test may have won the race for this display.
                if kill -0 "$XVFB_PID" 2>/dev/null; then
                    export DISPLAY=":$n"
                    # Cyrillic in the keymap's second group: xdotool then types it with keys
                    # that exist, instead of remapping a spare key for each letter, which loses
                    # letters when the program reads the event after the mapping moved on.
                    setxkbmap -layout us,ru || fail "setxkbmap failed"
                    log "Xvfb on $DISPLAY"
                    return 0
                fi
                break
            fi
            sleep 0.1
        done
        kill "$XVFB_PID" 2>/dev/null
        wait "$XVFB_PID" 2>/dev/null
        XVFB_PID=""
    done
    fail "could not start Xvfb on any display from :99 to :199"
}

# Starts the program under test in the background (stdout and stderr into $WORK) and waits for
# its visible window. Sets APP_PID and WINDOW.
start_app() {
    QT_QPA_PLATFORM=xcb "$@" >"$WORK/app.out" 2>"$WORK/app.err" &
    APP_PID=$!
    WINDOW=$(timeout 15 xdotool search --sync --onlyvisible --pid "$APP_PID" 2>/dev/null | head -n 1)
    [ -n "$WINDOW" ] || fail "no window of $1 appeared within 15 s; stderr: $(head -c 2000 "$WORK/app.err")"
    eval "$(timeout 10 xdotool getwindowgeometry --shell "$WINDOW")"
    WIN_X=$X
    WIN_Y=$Y
    WIN_W=$WIDTH
    WIN_H=$HEIGHT
    log "window $WINDOW at $WIN_X,$WIN_Y size ${WIN_W}x$WIN_H"
}

app_alive() { kill -0 "$APP_PID" 2>/dev/null; }

# Saves the window's pixels as a PNG.
shoot() {
    timeout 10 import -window "$WINDOW" "png24:$1" 2>>"$WORK/import.log"
}

# Number of differing pixels between two images ("size" when their sizes differ).
pixel_difference() {
    local out
    out=$(compare -metric AE "$1" "$2" "$3" 2>&1 >/dev/null)
    case "$out" in
        ''|*[!0-9.e+]*) echo "size" ;;
        *) printf '%.0f\n' "$out" ;;
    esac
}

# Waits (up to 10 s) until the window shows exactly the expected image.
#   expect_window <name> <expected.png>
# Keeps the last screenshot as $WORK/<name>-window.png and, on failure, $WORK/<name>-diff.png.
expect_window() {
    local name=$1 expected=$2 shot="$WORK/$1-window.png" diff="$WORK/$1-diff.png" d="" i
    for i in $(seq 50); do
        app_alive || fail "the program ended before the '$name' state; stderr: $(head -c 2000 "$WORK/app.err")"
        if shoot "$shot"; then
            d=$(pixel_difference "$expected" "$shot" "$diff")
            if [ "$d" = "0" ]; then
                rm -f "$diff"
                log "ok: window equals $expected ($name)"
                return 0
            fi
        fi
        sleep 0.2
    done
    fail "state '$name': the window differs from the headless rendering ($d pixels): expected $expected, got $shot, differences in $diff"
}

# Waits (up to 10 s) until the program has printed a line matching the pattern (grep -E).
expect_output() {
    local pattern=$1 i
    for i in $(seq 50); do
        grep -Eq -- "$pattern" "$WORK/app.out" 2>/dev/null && { log "ok: output has '$pattern'"; return 0; }
        sleep 0.2
    done
    fail "the program did not print '$pattern'; it printed: $(head -c 2000 "$WORK/app.out")"
}

# xdotool with a time limit: a pointer move that never completes must not hang the test.
xdo() {
    timeout 10 xdotool "$@" || fail "xdotool $* failed or timed out"
}

# Moves the pointer to a point given in window coordinates.
pointer_to() {
    xdo mousemove --sync $((WIN_X + $1)) $((WIN_Y + $2))
}
