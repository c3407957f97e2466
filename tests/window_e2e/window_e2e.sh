#!/bin/bash
# End-to-end runs of the camlog window under Xvfb, driven from outside with xdotool as a person
# would: keys go to the window, results are read from the files on disk and the settings file.
# Usage: window_e2e.sh CAMLOG FIXTURE_DIR WORK_DIR [SCREEN_DIR [SAMPLES_DIR]]
# SCREEN_DIR, when given, receives a screenshot (PNG) of each layout seen; SAMPLES_DIR, when given,
# holds real camcorder samples (raw DV) that join the list of raw DV files.
set -u
camlog=$1 fixtures=$2 work=$3 screens=${4:-} samples=${5:-}
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

# A display of our own. Xvfb picks a free number itself and writes it once it accepts clients
# (probing numbers from here raced with other runs starting at the same moment). -noreset: by
# default the server resets when its last client leaves, and a camlog started during that reset
# (the next start right after a quit) ends on SIGABRT, Qt's fatal "could not connect to display",
# before its window appears: 2 starts in 50 under load did, none with -noreset.
xvfb_pid=
exec 9>"$work/display"
Xvfb -displayfd 9 -noreset -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 9>&-
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    kill -0 $xvfb_pid 2>/dev/null || break
    sleep 0.1
done
if [ -s "$work/display" ] && kill -0 $xvfb_pid 2>/dev/null; then
    export DISPLAY=":$(head -1 "$work/display")"
else
    echo "FAIL: no Xvfb display could be started"
    cat "$work/xvfb.log"
    exit 1
fi
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
# The narrow layout without a list keeps the window's own size (the default one here).
[ "$geometry" = "596x546" ] && pass "empty start keeps the window's size" || fail "empty start is $geometry, not 596x546"
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

# ---- 3. Raw DV beside AVI, long names, a No and the counter, F6 twice, Ctrl+Q twice -----------------
# The window's own picture, and its text read back by OCR (the status bar, the counter).
window_shot() {
    local win
    win=$(window_of "$caption")
    [ -n "$win" ] && import -window "$win" "$1" 2>/dev/null
}
window_text() {
    window_shot "$work/ocr.png" && convert "$work/ocr.png" -resize 200% "$work/ocr-big.png" 2>/dev/null &&
        tesseract "$work/ocr-big.png" stdout 2>/dev/null | tr '\n' ' '
}
keep_shot() { [ -n "$screens" ] && mkdir -p "$screens" && cp "$1" "$screens/$2.png"; }
# Sets settings in the stored file (a hand edit, as a user could make it).
set_settings() {
    iconv -f UTF-16 -t UTF-8 "$ini" | tr -d '\r' > "$work/ini.txt"
    local pair
    for pair in "$@"; do
        grep -v "^${pair%%=*}=" "$work/ini.txt" > "$work/ini.tmp"
        echo "$pair" >> "$work/ini.tmp"
        mv "$work/ini.tmp" "$work/ini.txt"
    done
    cp "$work/ini.txt" "$ini"
}
raw="$work/raw"
mkdir -p "$raw" "$work/playlists"
cp "$fixtures/pal_4x3_48k.dv" "$raw/"
cp "$fixtures/ntsc_4x3_48k.dv" "$raw/ntsc_capture.DIF"
long_name=holiday_in_the_mountains_with_the_whole_family_summer_2004_tape_3_part_2_final_cut.avi
cp "$fixtures/tape_three-type2.avi" "$raw/$long_name"
[ -n "$samples" ] && [ -d "$samples" ] && cp "$samples"/*.dv "$raw/" 2>/dev/null
videos=$(ls "$raw" | wc -l)
set_settings "Save list when quit=1" "Dossier des PlayList=$work/playlists" "Width=1200" "Height=800" "Vue=0" \
    "Left=0" "Top=0"
start_camlog "/l=$raw"
sleep 2
geometry=$(xdotool getwindowgeometry "$(window_of "$caption")" | sed -n 's/.*Geometry: //p')
[ "$geometry" = "1200x800" ] && pass "the window opens at the stored 1200x800" || fail "the window is $geometry"
window_shot "$work/with-list.png"
keep_shot "$work/with-list.png" list-long-names
convert "$work/with-list.png" -crop x70+0+0 "$work/toolbars-1200.png" && keep_shot "$work/toolbars-1200.png" toolbars-1200
# F6 hides the list and keeps the size; F6 again shows the very same window as before.
press F6
sleep 0.5
geometry=$(xdotool getwindowgeometry "$(window_of "$caption")" | sed -n 's/.*Geometry: //p')
[ "$geometry" = "1200x800" ] && pass "F6 hides the list in the same window size" || fail "F6 made the window $geometry"
window_shot "$work/list-hidden.png"
keep_shot "$work/list-hidden.png" f6-list-hidden
press F6
sleep 0.5
window_shot "$work/list-back.png"
keep_shot "$work/list-back.png" f6-list-back
if [ "$(compare -metric AE "$work/with-list.png" "$work/list-hidden.png" null: 2>&1)" != 0 ] &&
    [ "$(compare -metric AE "$work/with-list.png" "$work/list-back.png" null: 2>&1)" = 0 ]; then
    pass "a second F6 brings the list back as it was"
else
    fail "F6 twice does not give the window back as it was"
fi
# A No to every file of "Delete the files": the run's selection is emptied and the counter says so.
press ctrl+a
press shift+Delete
if wait_for '[ -n "$(xdotool search --onlyvisible --name "^Camlog$" 2>/dev/null | head -1)" ]' 15; then
    box=$(xdotool search --onlyvisible --name "^Camlog$" | head -1)
    xdotool windowfocus --sync "$box" 2>/dev/null
    xdotool key --clearmodifiers alt+o
    sleep 1
    text=$(window_text)
    keep_shot "$work/ocr.png" counter-after-no
    # The run took the selection away file by file; what is left selected (the active entry,
    # which the list shows selected) is what the counter counts, not the nine of before.
    counter=$(echo "$text" | grep -o "[0-9]* files\? on $videos")
    case "$counter" in
    "0 file on $videos" | "1 file on $videos") pass "after No to All the counter reads $counter" ;;
    *) fail "the counter after No to All: $text" ;;
    esac
    echo "$text" | grep -q "$videos skipped" && pass "the status bar says the files were skipped" ||
        fail "the status bar after No to All: $text"
else
    fail "no delete question after Shift+Del"
fi
[ "$(ls "$raw" | wc -l)" = "$videos" ] && pass "No to All deleted nothing" || fail "files after No to All: $(ls "$raw")"
# Ctrl+Q twice (two sessions): the list is saved to the default playlist without a question.
playlist_videos() { iconv -f UTF-16 -t UTF-8 "$work/playlists/PlayList.txt" 2>/dev/null | tr -d '\r' | grep -c '^ */'; }
quit_without_question() {
    press ctrl+q
    if wait_for '[ -n "$(xdotool search --onlyvisible --name "^Camlog$" 2>/dev/null | head -1)" ]' 3; then
        fail "quitting asked a question ($1)"
        xdotool key --clearmodifiers Return
    fi
    wait_exit
}
quit_without_question "first quit"
[ "$(playlist_videos)" = "$videos" ] && pass "the default playlist holds the $videos videos, raw DV among them" ||
    fail "the default playlist holds $(playlist_videos) of $videos videos"
start_camlog
sleep 2
quit_without_question "second quit"
[ "$(playlist_videos)" = "$videos" ] && pass "the second quit replaced the playlist without a question" ||
    fail "after the second quit the playlist holds $(playlist_videos) videos"

# ---- 4. Escape during a conversion, at the least normal width ------------------------------------
mkdir -p "$work/convert"
ffmpeg -nostdin -v error -y -f lavfi -i "testsrc=size=720x576:rate=25:duration=40" \
    -f lavfi -i "sine=frequency=440:duration=40:sample_rate=48000" -target pal-dv -c:v dvvideo -c:a pcm_s16le -f avi \
    "$work/convert/long.avi"
set_settings "Save list when quit=0" "Width=600" "Height=546"
start_camlog "/o=$work/convert/long.avi"
sleep 2
window_shot "$work/at-600.png"
convert "$work/at-600.png" -crop x70+0+0 "$work/toolbars-600.png" && keep_shot "$work/toolbars-600.png" toolbars-600
# "Convert in NTSC", and Escape while it writes (the whole conversion takes a few seconds).
win=$(window_of "$caption")
xdotool windowfocus --sync "$win" 2>/dev/null
xdotool key --clearmodifiers ctrl+n sleep 0.7 key --clearmodifiers Escape
sleep 0.5
# Reading the window takes a second or two: a few tries, not a tight loop.
kept=
for _ in 1 2 3 4 5; do
    text=$(window_text)
    echo "$text" >> "$work/ocr.log"
    kept=$(echo "$text" | grep -o "kept: [^;]* of 40 *s")
    [ -n "$kept" ] && break
    sleep 0.5
done
keep_shot "$work/ocr.png" escape-kept
[ -n "$kept" ] && pass "Escape: the status bar says what the partial file holds ($kept)" ||
    fail "no kept text after Escape: $text"
[ -s "$(ls "$work/convert"/long*ntsc*.avi "$work/convert"/long_*.avi 2>/dev/null | head -1)" ] &&
    pass "the partial output is kept" || fail "no partial output: $(ls "$work/convert")"
press ctrl+q
wait_exit

# ---- 5. SIGTERM, SIGHUP (a logout) and SIGINT during a conversion into NTSC ------------------------
# Each stops the run, removes its hidden temporary file, saves the settings and ends the program.
mkdir -p "$work/signals"
ffmpeg -nostdin -v error -y -stream_loop 5 -i "$fixtures/tape_three-type2.avi" -c copy "$work/signals/long.avi"
temporaries() { ls -A "$work/signals" | grep -c '^\.long_ntsc\.avi\.~' ; }
for signal in TERM HUP INT; do
    rm -f "$work/signals/long_ntsc.avi"
    start_camlog "/o=$work/signals/long.avi" "/n" || continue
    if wait_for '[ "$(temporaries)" -ge 1 ]' 60; then
        [ $signal = TERM ] && shot converting-before-sigterm
        touch "$work/signals/before-signal"
        kill -s $signal "$app_pid"
        wait_for '! kill -0 $app_pid 2>/dev/null' 30 && pass "SIG$signal ended the window" ||
            fail "the window did not end at SIG$signal"
        wait_exit 5
        [ "$(temporaries)" = 0 ] && pass "SIG$signal left no temporary file" ||
            fail "SIG$signal left a temporary file: $(ls -A "$work/signals")"
        [ "$ini" -nt "$work/signals/before-signal" ] && pass "SIG$signal saved the settings" ||
            fail "SIG$signal saved no settings"
    else
        fail "the conversion was not seen writing before SIG$signal"
        kill "$app_pid"
        wait_exit
    fi
done

# ---- 6. The settings and about panels, the dialogs of single commands ------------------------------
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
set_settings "Width=900" "Height=700" "Vue=0"
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
# The preview keeps its picture when the facts of the file are shown again in the new format.
import -window "$(window_of "$caption")" "$work/after-format.png" 2>/dev/null
brightness=$(convert "$work/after-format.png" -crop 50%x80%+0+60 +repage -colorspace gray -format '%[fx:mean]' info: 2>/dev/null)
awk "BEGIN { exit !(${brightness:-0} > 0.1) }" && pass "the preview keeps its picture after the format change" ||
    fail "the preview is empty after the format change (mean ${brightness:-none})"
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

# ---- 7. The preview: a tape whose frames show their own number --------------------------------------
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
# Which frame the copy is, found by picture: the frame FFmpeg decodes that looks most like it.
# Any frame number is found, where tesseract misreads some of them (54 as "4").
ffmpeg -nostdin -v error -y -i "$work/preview/numbered.avi" -vf scale=90:72 "$work/preview/thumb-%03d.png"
copied_frame() {
    rm -f "$work/copy.png"
    press F12
    xclip -selection clipboard -t image/png -o >"$work/copy.png" 2>/dev/null
    convert "$work/copy.png" -resize 90x72! "$work/copy-thumb.png" 2>/dev/null || return
    for thumb in "$work/preview/"thumb-*.png; do
        local n=${thumb##*thumb-}
        echo "$((10#${n%.png} - 1)) $(compare -metric RMSE "$work/copy-thumb.png" "$thumb" null: 2>&1 | cut -d' ' -f1)"
    done | sort -g -k2 | head -1 | cut -d' ' -f1
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
moved=$(copied_frame)
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
# The work folder holds copies of videos and a long conversion: a passing run leaves none of it
# (the screenshots stay in SCREEN_DIR).
if [ $failures = 0 ]; then
    cleanup
    trap - EXIT
    rm -rf "$work"
fi
[ $failures = 0 ]
