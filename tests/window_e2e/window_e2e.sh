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

# ---- 3. The preview: a tape whose frames show their own number --------------------------------------
# Two recordings of 2 seconds (frames 0-49 at 10:00, 50-99 at 11:00), black numbers on white.
mkdir -p "$work/preview"
numbered() {
    ffmpeg -nostdin -v error -y -f lavfi -i "color=white:size=720x576:rate=25:duration=2" \
        -f lavfi -i "sine=frequency=440:duration=2:sample_rate=48000" \
        -vf "drawtext=fontfile=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf:text='%{frame_num}':start_number=$1:fontsize=220:fontcolor=black:x=(w-tw)/2:y=(h-th)/2" \
        -target pal-dv -f dv -metadata creation_time="$2" "$3"
}
numbered 0 2024-05-01T10:00:00Z "$work/preview/a.dv"
numbered 50 2024-05-01T11:00:00Z "$work/preview/b.dv"
cat "$work/preview/a.dv" "$work/preview/b.dv" > "$work/preview/tape.dv"
ffmpeg -nostdin -v error -y -f dv -i "$work/preview/tape.dv" -c copy -f avi "$work/preview/numbered.avi"
rm -f "$work/preview/"*.dv
# The number in the picture F12 copies, read by tesseract from the clipboard.
copied_number() {
    rm -f "$work/copy.png"
    press F12
    xclip -selection clipboard -t image/png -o >"$work/copy.png" 2>/dev/null
    tesseract "$work/copy.png" - --psm 7 2>/dev/null | tr -dc '0-9'
}
expect_frame() {
    local got
    got=$(copied_number)
    [ "$got" = "$1" ] && pass "$2 shows frame $1" || fail "$2 shows '$got', not frame $1"
}
# The scn file by datecode first (two scenes), then the keys.
start_camlog "/o=$work/preview/numbered.avi" "/cd"
wait_for '[ -s "$work/preview/numbered.scn" ]' 30 || fail "no scn file for the numbered tape"
sleep 1
expect_frame 0 "the opened tape"
press ctrl+Down
expect_frame 25 "Ctrl+Down"
press ctrl+Right
expect_frame 26 "Ctrl+Right"
press ctrl+Left
expect_frame 25 "Ctrl+Left"
press F9
expect_frame 50 "F9"
press F8
expect_frame 0 "F8"
press F9
press F9
expect_frame 99 "F9 past the last scene"
press ctrl+Home
expect_frame 0 "Ctrl+Home"
# The copy is the picture at its own size.
size=$(identify -format '%wx%h' "$work/copy.png" 2>/dev/null)
[ "$size" = 720x576 ] && pass "the copied picture is 720x576" || fail "the copied picture is '$size'"
# The inlay: the recording's date drawn into the picture, read back from the copy.
press alt+i
sleep 0.5
press F12
xclip -selection clipboard -t image/png -o >"$work/inlay.png" 2>/dev/null
# White letters outlined in black near the bottom right: the background filled black, then
# negated, leaves black letters on white for tesseract.
convert "$work/inlay.png" -crop 240x120+480+440 +repage -fuzz 20% -fill black -draw "color 0,0 floodfill" \
    -negate -resize 300% -threshold 50% "$work/inlay-text.png" 2>/dev/null
inlay_text=$(tesseract "$work/inlay-text.png" - --psm 6 2>/dev/null | tr -d '\n')
case "$inlay_text" in
*2024*) pass "Alt+I draws the date in the copied picture ($inlay_text)" ;;
*) fail "the copied picture's inlay reads '$inlay_text'" ;;
esac
press alt+i
# Playing, with no sound device here: the picture moves and the status bar says the sound is off.
press space
sleep 1.5
shot preview-playing
# The status bar: the bottom of the window.
geometry=$(xdotool getwindowgeometry --shell "$(window_of "$caption")" 2>/dev/null)
eval "$geometry"
import -window root -crop "${WIDTH}x40+${X}+$((Y + HEIGHT - 40))" +repage "$work/screen.png" 2>/dev/null
press space
case "$(tesseract "$work/screen.png" - --psm 6 2>/dev/null)" in
*"Sound is off"*) pass "the status bar says the sound is off" ;;
*) fail "no word of the sound being off" ;;
esac
moved=$(copied_number)
[ -n "$moved" ] && [ "$moved" -gt 10 ] && pass "Space played the tape to frame $moved" || fail "after playing: frame '$moved'"
# Full screen: the backdrop fills the screen, the keys still work there, Escape leaves.
press alt+Return
sleep 0.5
backdrop=$(window_of Fullscreen)
backdrop_size=$(xdotool getwindowgeometry "$backdrop" 2>/dev/null | grep -o 'Geometry: [0-9x]*')
[ "$backdrop_size" = "Geometry: 1280x1024" ] && pass "Alt+Enter shows the picture full screen" ||
    fail "full screen: '$backdrop_size'"
shot preview-fullscreen
xdotool key --clearmodifiers ctrl+Home
sleep 0.3
xdotool key --clearmodifiers ctrl+Right
sleep 0.3
xdotool key --clearmodifiers F12
sleep 0.3
xclip -selection clipboard -t image/png -o >"$work/copy.png" 2>/dev/null
got=$(tesseract "$work/copy.png" - --psm 7 2>/dev/null | tr -dc '0-9')
[ "$got" = 1 ] && pass "the keys reach the window's shortcuts in full screen" || fail "in full screen Ctrl+Right gave '$got'"
xdotool key --clearmodifiers Escape
sleep 0.5
[ -z "$(window_of Fullscreen)" ] && pass "Escape leaves full screen" || fail "the backdrop stayed after Escape"
press alt+F4
wait_exit
# A file that is no video: the panel explains instead of showing a picture.
printf 'only words, no video\n' >"$work/preview/words.avi"
start_camlog "/o=$work/preview/words.avi"
sleep 1
shot preview-message
import -window root "$work/screen.png" 2>/dev/null
message=$(tesseract "$work/screen.png" - --psm 11 2>/dev/null | tr '\n' ' ')
case "$message" in
*"AVI file"*) pass "a file that is no AVI shows its message" ;;
*) fail "the message panel reads: $message" ;;
esac
press alt+F4
wait_exit

echo "$failures failure(s)"
[ $failures = 0 ]
