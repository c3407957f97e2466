#!/bin/bash
# End-to-end runs of the camlog window under Xvfb, driven from outside with xdotool as a person
# would: keys go to the window, results are read from the files on disk and the settings file.
# Usage: window_e2e.sh CAMLOG FIXTURE_DIR WORK_DIR [SCREEN_DIR]
# SCREEN_DIR, when given, receives a screenshot (PNG) of each layout seen.
set -u
camlog=$1 fixtures=$2 work=$3 screens=${4:-}
caption="Camlog 7.0.9En by Ovrand"
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }

rm -rf "$work"
mkdir -p "$work/home/.config" "$work/tapes"
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb

# A display of our own, on the first free number (another run may take one at the same moment).
xvfb_pid=
for n in $(seq 90 160); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 50); do
        [ -e "/tmp/.X11-unix/X$n" ] && break
        kill -0 $xvfb_pid 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 $xvfb_pid 2>/dev/null && [ -e "/tmp/.X11-unix/X$n" ]; then
        export DISPLAY=":$n"
        break
    fi
    xvfb_pid=
done
[ -n "$xvfb_pid" ] || { echo "FAIL: no Xvfb display could be started"; exit 1; }
cleanup() {
    [ -n "${app_pid:-}" ] && kill "$app_pid" 2>/dev/null
    kill "$xvfb_pid" 2>/dev/null
}
trap cleanup EXIT

# Waits (up to $2 seconds, default 20) until the condition command $1 succeeds.
wait_for() {
    local condition=$1 limit=${2:-20} i
    for i in $(seq $((limit * 10))); do
        eval "$condition" && return 0
        sleep 0.1
    done
    return 1
}
window_of() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1; }
press() {
    local win
    win=$(window_of "$caption")
    [ -n "$win" ] && xdotool windowfocus --sync "$win" 2>/dev/null
    xdotool key --clearmodifiers "$@"
    sleep 0.3
}
shot() {
    [ -n "$screens" ] || return 0
    mkdir -p "$screens"
    import -window root "$screens/$1.png" 2>/dev/null
}
# Starts camlog with the arguments and waits for its window. A program that ends before its
# window appears has its output printed (what it said is the clue to why), and is started once
# more: a second such end fails the run.
start_camlog() {
    local attempt
    for attempt in 1 2; do
        "$camlog" "$@" >"$work/camlog.out" 2>&1 &
        app_pid=$!
        wait_for '[ -n "$(window_of "$caption")" ] || ! kill -0 $app_pid 2>/dev/null' 30
        if [ -n "$(window_of "$caption")" ]; then
            xdotool windowfocus --sync "$(window_of "$caption")" 2>/dev/null
            sleep 0.5
            return 0
        fi
        if kill -0 $app_pid 2>/dev/null; then
            fail "the window did not appear"
            return 1
        fi
        wait "$app_pid" 2>/dev/null
        echo "NOTE: camlog ended (status $?) before its window appeared (start $attempt); it said:"
        tail -n 20 "$work/camlog.out" | sed 's/^/    /'
    done
    app_pid=
    fail "the window did not appear"
    return 1
}
wait_exit() {
    wait_for '! kill -0 $app_pid 2>/dev/null' "${1:-20}" || { fail "camlog did not end"; kill "$app_pid"; }
    wait "$app_pid" 2>/dev/null
    app_pid=
}
ini="$XDG_CONFIG_HOME/Ovrand/Camlog.ini"

# ---- 1. Start empty, the shortcut table, quit with the storage question ----------------------------
start_camlog
geometry=$(xdotool getwindowgeometry "$(window_of "$caption")" | sed -n 's/.*Geometry: //p')
[ "$geometry" = "304x546" ] && pass "empty start in the narrow layout" || fail "empty start is $geometry, not 304x546"
shot layout1-empty
press F11
if wait_for '[ -n "$(window_of "Shortcuts and switches")" ]' 10; then
    pass "F11 shows the shortcut table"
    shot shortcuts-table
    xdotool windowclose "$(window_of "Shortcuts and switches")" 2>/dev/null || press F11
else
    fail "F11 showed no \"Shortcuts and switches\" window"
fi
press ctrl+q
# Nothing is stored yet: the storage question comes first; "Normal" is its first button.
if wait_for '[ -n "$(window_of "Saving the preferences of Camlog")" ]' 10; then
    shot save-prefs-question
    xdotool windowfocus --sync "$(window_of "Saving the preferences of Camlog")" 2>/dev/null
    xdotool key --clearmodifiers Return
else
    fail "no storage question at the first quit"
fi
wait_exit
# The stored settings are a registry export: UTF-16 text, one name=value line per setting.
[ -f "$ini" ] && iconv -f UTF-16 -t UTF-8 "$ini" | grep -q '^Vue=' && pass "quitting saved the settings" ||
    fail "no settings saved in $ini"

# ---- 2. Open a folder from the command line, srt for every DV file, rename by datecode --------------
for f in pal_16x9_32k-type1.avi pal_16x9_32k-type2.avi tape_three-type2.avi ntsc_nodate-ffmpeg.avi nondv_mpeg4.avi; do
    cp "$fixtures/$f" "$work/tapes/"
done
dv_files="pal_16x9_32k-type1 pal_16x9_32k-type2 tape_three-type2"
start_camlog "/l=$work/tapes"
sleep 2
shot layout0-list
press ctrl+a
press ctrl+shift+s
srt_count() { ls "$work/tapes"/*.srt 2>/dev/null | wc -l; }
if wait_for '[ "$(srt_count)" -ge 3 ]' 60; then
    all=1
    for f in $dv_files; do [ -s "$work/tapes/$f.srt" ] || all=0; done
    [ $all = 1 ] && pass "Ctrl+Shift+S wrote an srt for every DV file" || fail "srt files: $(ls "$work/tapes")"
else
    fail "srt files after Ctrl+Shift+S: $(ls "$work/tapes")"
fi
shot layout0-srt
press ctrl+a
press ctrl+d
# Several files: the rename question offers "Yes to All".
if wait_for '[ -n "$(xdotool search --onlyvisible --name "^Camlog$" 2>/dev/null | head -1)" ]' 15; then
    shot rename-question
    box=$(xdotool search --onlyvisible --name "^Camlog$" | head -1)
    xdotool windowfocus --sync "$box" 2>/dev/null
    xdotool key --clearmodifiers alt+a
else
    fail "no rename question after Ctrl+D"
fi
renamed() { ls "$work/tapes" | grep -c '^pal_16x9_32k-type1.*20.*\.avi$'; }
if wait_for '[ ! -e "$work/tapes/pal_16x9_32k-type1.avi" ] && [ ! -e "$work/tapes/tape_three-type2.avi" ]' 30; then
    pass "Ctrl+D renamed the DV files"
    followed=1
    for f in $dv_files; do
        video=$(ls "$work/tapes" | grep "^$f.*\.avi$" | head -1)
        [ -n "$video" ] && [ -s "$work/tapes/${video%.avi}.srt" ] || followed=0
    done
    [ $followed = 1 ] && pass "the srt files followed their videos" || fail "srt files did not follow: $(ls "$work/tapes")"
else
    fail "files after Ctrl+D: $(ls "$work/tapes")"
fi
shot layout0-renamed
# The other layouts, each seen once: the list at left, the video only, the list hidden.
press alt+w
shot layout0-list-left
press alt+w
press ctrl+Return
shot layout3-video-only
press ctrl+Return
press F6
shot layout1-list-hidden
press F6
shot layout0-back

# Paste: a file URL put on the clipboard by another program; Ctrl+V adds the file to the emptied
# list, and the srt written for the whole list is that file's alone.
mkdir -p "$work/pasted"
cp "$fixtures/pal_16x9_32k-type2.avi" "$work/pasted/from_clipboard.avi"
press ctrl+Delete
printf 'file://%s\r\n' "$work/pasted/from_clipboard.avi" | xclip -selection clipboard -t text/uri-list -i
sleep 0.5
press ctrl+v
sleep 1
shot layout0-pasted
press ctrl+a
press ctrl+shift+s
if wait_for '[ -s "$work/pasted/from_clipboard.srt" ]' 30; then
    pass "Ctrl+V pasted the file from the clipboard"
    [ "$(ls "$work/tapes"/*.srt | wc -l)" = 4 ] && pass "only the pasted file was in the list" ||
        fail "srt files in the emptied folder: $(ls "$work/tapes")"
else
    fail "no srt for the pasted file: $(ls "$work/pasted")"
fi

# Alt+F4, the other key of "Quit"; the storage mode is known now, so no question comes.
press alt+F4
wait_exit

# ---- 3. The settings and about panels, the dialogs of single commands ------------------------------
# Keys typed into a dialog go to the dialog itself, not to the main window.
dialog_keys() {
    local win
    win=$(window_of "$1")
    shift
    [ -n "$win" ] && xdotool windowfocus --sync "$win" 2>/dev/null
    xdotool key --clearmodifiers "$@"
    sleep 0.3
}
dialog_type() {
    local win
    win=$(window_of "$1")
    [ -n "$win" ] && xdotool windowfocus --sync "$win" 2>/dev/null
    xdotool type --delay 50 "$2"
    sleep 0.3
}
ini_value() { iconv -f UTF-16 -t UTF-8 "$ini" | tr -d '\r' | sed -n "s/^$1=//p"; }
window_size() { xdotool getwindowgeometry "$(window_of "$caption")" | sed -n 's/.*Geometry: //p'; }
mkdir -p "$work/tapes3"
cp "$fixtures/tape_three-type2.avi" "$fixtures/pal_16x9_32k-type2.avi" "$work/tapes3/"
start_camlog "/l=$work/tapes3"
sleep 2
before=$(window_size)
press F10
wait_for '[ "$(window_size)" = "600x546" ]' 5 && pass "F10 opens the settings in layout 2" ||
    fail "F10: the window is $(window_size)"
shot settings-1-preferences
tabs="formats folders files dv"
n=2
for tab in $tabs; do
    press Right
    shot "settings-$n-$tab"
    n=$((n + 1))
done
# Back to "Formats"; its first field is the display format of the datecode.
press Left Left Left
press Tab
press ctrl+a
xdotool type --delay 50 "yyyy"
press Tab
shot settings-format-changed
press F10
wait_for '[ "$(window_size)" = "$before" ]' 5 && pass "F10 closes the settings and the layout before returns" ||
    fail "after F10 the window is $(window_size), before $before"
shot layout0-display-format-yyyy
press F1
shot about-panel
press F1
[ "$(window_size)" = "$before" ] && pass "F1 toggles the about panel" || fail "after F1 twice: $(window_size)"

press ctrl+a
# Ctrl+Shift+$ is the key right of P on a French keyboard.
setxkbmap fr 2>/dev/null
press ctrl+shift+dollar
setxkbmap us 2>/dev/null
if wait_for '[ -n "$(window_of "Split in scenes")" ]' 10; then
    shot dialog-split-in-scenes
    dialog_type "Split in scenes" "2"
    dialog_keys "Split in scenes" Return
    if wait_for '[ -s "$work/tapes3/tape_three-type2.scn" ] && [ -s "$work/tapes3/pal_16x9_32k-type2.scn" ]' 30; then
        scenes=$("$camlog" --list --scenes "$work/tapes3/tape_three-type2.avi" | grep -c 'scene [0-9]*: .* 50 frames')
        [ "$scenes" = 2 ] && pass "Ctrl+Shift+\$ with 2 cut the tape in 2-second scenes" ||
            fail "scenes after Ctrl+Shift+\$: $("$camlog" --list --scenes "$work/tapes3/tape_three-type2.avi")"
    else
        fail "no scn files after Ctrl+Shift+\$: $(ls "$work/tapes3")"
    fi
else
    fail "Ctrl+Shift+\$ showed no \"Split in scenes\" dialog"
fi

press ctrl+e
if wait_for '[ -n "$(window_of "Fix a time difference")" ]' 10; then
    dialog_type "Fix a time difference" "3"
    shot dialog-time-difference
    dialog_keys "Fix a time difference" Return
    shifted="$work/tapes3/tape_three-type2_(+3h).avi"
    if wait_for '[ -s "$shifted" ]' 60 &&
        wait_for '"$camlog" --list "$shifted" 2>/dev/null | grep -q "datecode 01/05/2024 13:00:00"' 30; then
        pass "Ctrl+E with 3 hours wrote the _(+3h).avi copy three hours later"
    else
        fail "Ctrl+E: $(ls "$work/tapes3"); $("$camlog" --list "$shifted" 2>&1 | head -2)"
    fi
else
    fail "Ctrl+E showed no \"Fix a time difference\" dialog"
fi

sum_before=$(md5sum "$work/tapes3/pal_16x9_32k-type2.avi" | cut -d' ' -f1)
press ctrl+k
if wait_for '[ -n "$(window_of "Change the video codec")" ]' 10; then
    shot dialog-codec
    dialog_keys "Change the video codec" Escape
    sleep 1
    [ -z "$(window_of "Change the video codec")" ] && [ -z "$(window_of "Camlog")" ] &&
        [ "$(md5sum "$work/tapes3/pal_16x9_32k-type2.avi" | cut -d' ' -f1)" = "$sum_before" ] &&
        pass "Escape in the codec dialog changes nothing" || fail "Escape in the codec dialog"
else
    fail "Ctrl+K showed no \"Change the video codec\" dialog"
fi
press ctrl+y
if wait_for '[ -n "$(window_of "Fix the video framerate")" ]' 10; then
    shot dialog-framerate
    dialog_keys "Fix the video framerate" Escape
else
    fail "Ctrl+Y showed no \"Fix the video framerate\" dialog"
fi
press ctrl+h
if wait_for '[ -n "$(xdotool search --onlyvisible --name "^Header of the file " 2>/dev/null | head -1)" ]' 10; then
    pass "Ctrl+H shows the report window"
    shot riff-report
    xdotool windowclose "$(xdotool search --onlyvisible --name "^Header of the file " | head -1)" 2>/dev/null
else
    fail "Ctrl+H showed no report window"
fi
press ctrl+q
wait_exit
[ "$(ini_value 'Format pour Afficher Datecode')" = "yyyy" ] && pass "the display format was saved" ||
    fail "saved display format: $(ini_value 'Format pour Afficher Datecode')"
[ "$(ini_value intervalle)" = "2" ] && pass "the interval 2 was kept" || fail "saved interval: $(ini_value intervalle)"

echo "$failures failure(s)"
[ $failures = 0 ]
