#!/bin/bash
# End-to-end run of "Export a share copy" and "Export a share copy of each scene" in the camlog
# window under Xvfb, driven from outside with xdotool as a person would: the menus are opened by
# clicks on their texts (found on a screenshot by tesseract), the replace question answered with its
# key, Escape pressed during the copy. The MP4 files are read back with ffprobe.
# Usage: sharecopy_e2e.sh CAMLOG WORK_DIR [SCREEN_DIR]
set -u
camlog=$1 work=$2 screens=${3:-}
caption="Camlog 7.0.9En by Ovrand"
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }

rm -rf "$work"
mkdir -p "$work/home/.config/Ovrand" "$work/tape"
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb

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
    exit 1
fi
cleanup() {
    [ -n "${app_pid:-}" ] && kill "$app_pid" 2>/dev/null
    kill "$xvfb_pid" 2>/dev/null
}
trap cleanup EXIT

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
    import -window root "$work/$1.png" 2>/dev/null
    [ -n "$screens" ] && mkdir -p "$screens" && cp "$work/$1.png" "$screens/$1.png"
}
start_camlog() {
    "$camlog" "$@" >"$work/camlog.out" 2>&1 &
    app_pid=$!
    if wait_for '[ -n "$(window_of "$caption")" ]' 30; then
        xdotool windowfocus --sync "$(window_of "$caption")" 2>/dev/null
        sleep 0.5
        return 0
    fi
    fail "the window did not appear"
    tail -n 20 "$work/camlog.out"
    return 1
}
# Ctrl+Q; the storage question, when it comes, gets its first button ("Normal").
quit_camlog() {
    press ctrl+q
    if wait_for '[ -n "$(window_of "Saving the preferences of Camlog")" ]' 3; then
        xdotool windowfocus --sync "$(window_of "Saving the preferences of Camlog")" 2>/dev/null
        xdotool key --clearmodifiers Return
    fi
    if ! wait_for '! kill -0 $app_pid 2>/dev/null' 30; then
        fail "camlog did not end"
        shot did-not-end
        # A second signal ends the program even while one of its message boxes waits.
        kill "$app_pid"
        wait_for '! kill -0 $app_pid 2>/dev/null' 5 || kill "$app_pid"
    fi
    wait "$app_pid" 2>/dev/null
    app_pid=
}
ini="$XDG_CONFIG_HOME/Ovrand/Camlog.ini"
# Sets settings in the stored file (a hand edit, as a user could make it); the file is UTF-16.
set_settings() {
    iconv -f UTF-16 -t UTF-8 "$ini" | tr -d '\r' >"$work/ini.txt"
    local pair
    for pair in "$@"; do
        grep -v "^${pair%%=*}=" "$work/ini.txt" >"$work/ini.tmp"
        echo "$pair" >>"$work/ini.tmp"
        mv "$work/ini.tmp" "$work/ini.txt"
    done
    sed 's/$/\r/' "$work/ini.txt" | iconv -f UTF-8 -t UTF-16 >"$ini"
}

# ---- Reading the screen -----------------------------------------------------------------------------
# The window's place on the screen: X, Y, WIDTH, HEIGHT.
window_geometry() {
    eval "$(xdotool getwindowgeometry --shell "$(window_of "$caption")" 2>/dev/null)"
}
# The words tesseract reads on a part of the screen (WxH+X+Y), one per line: "LINE X Y W H WORD"
# in screen coordinates, LINE naming the text line the word belongs to. Read at twice the size,
# from the screen as it is now or from a screenshot taken before ($2).
screen_words() {
    local region=$1 ox oy
    ox=${region#*+} oy=${ox#*+} ox=${ox%%+*}
    if [ -n "${2:-}" ]; then
        convert "$2" -crop "$region" +repage -resize 200% "$work/ocr.png" 2>/dev/null
    else
        import -window root -crop "$region" +repage -resize 200% "$work/ocr.png" 2>/dev/null
    fi
    tesseract "$work/ocr.png" - --psm 11 tsv 2>/dev/null | awk -F'\t' -v ox="$ox" -v oy="$oy" \
        'NR > 1 && $1 == 5 && $12 != "" { printf "%s.%s.%s %d %d %d %d %s\n", $3, $4, $5, ox + $7 / 2, oy + $8 / 2, $9 / 2, $10 / 2, $12 }'
}
# The text lines of a part of the screen: "X Y W H TEXT" per line.
screen_lines() {
    screen_words "$@" | awk '{
        k = $1; if (!(k in text)) { order[++n] = k; l[k] = $2; t[k] = $3; r[k] = $2 + $4; b[k] = $3 + $5 }
        word = $6; for (i = 7; i <= NF; i++) word = word " " $i
        text[k] = (k in text) ? text[k] " " word : word
        if ($2 < l[k]) l[k] = $2; if ($3 < t[k]) t[k] = $3
        if ($2 + $4 > r[k]) r[k] = $2 + $4; if ($3 + $5 > b[k]) b[k] = $3 + $5 }
        END { for (i = 1; i <= n; i++) { k = order[i]; printf "%d %d %d %d %s\n", l[k], t[k], r[k] - l[k], b[k] - t[k], text[k] } }'
}
# Clicks the middle of the text matching the extended regular expression $1 in the part of the
# screen $2 (lines, or single words with $3 = word); a menu that is still opening is read again.
click_text() {
    local pattern=$1 region=$2 unit=${3:-line} found='' _
    for _ in 1 2 3 4 5; do
        if [ "$unit" = word ]; then
            found=$(screen_words "$region" | awk -v p="$pattern" '{ w = $6; if (w ~ p) { print $2 + $4 / 2, $3 + $5 / 2; exit } }')
        else
            found=$(screen_lines "$region" | awk -v p="$pattern" '{ s = $5; for (i = 6; i <= NF; i++) s = s " " $i
                if (s ~ p) { print $1 + $3 / 2, $2 + $4 / 2; exit } }')
        fi
        [ -n "$found" ] && break
        sleep 0.5
    done
    [ -n "$found" ] || return 1
    # shellcheck disable=SC2086
    xdotool mousemove $found click 1
    sleep 0.3
}
# The status bar's text (the bottom of the window) in the screenshot named $1.
status_text() {
    window_geometry
    screen_lines "${WIDTH}x30+${X}+$((Y + HEIGHT - 30))" "$work/$1.png" | cut -d' ' -f5- | tr '\n' ' '
}
# Opens the "Convert" menu from the menu bar and chooses the entry $1 (a regular expression).
convert_menu() {
    window_geometry
    click_text '^Convert$' "${WIDTH}x24+${X}+${Y}" word || { fail "no \"Convert\" in the menu bar"; return 1; }
    [ -n "${2:-}" ] && shot "$2"
    click_text "$1" "${WIDTH}x400+${X}+${Y}" || { fail "no entry /$1/ in the Convert menu"; return 1; }
}

# ---- The tape: three recordings of a few seconds, the last one earlier than the first ------------
# "START SECONDS" of each recording, as ffmpeg stamps them into every frame's date packs.
recordings=("2024-05-01 10:00:00 4" "2024-05-01 10:05:00 4" "2024-05-01 09:00:00 2")
parts=()
n=0
for recording in "${recordings[@]}"; do
    n=$((n + 1))
    set -- $recording
    TZ=UTC ffmpeg -nostdin -v error -y -f lavfi -i "testsrc=size=720x576:rate=25:duration=$3" \
        -f lavfi -i "sine=frequency=440:duration=$3:sample_rate=48000" \
        -target pal-dv -f dv -metadata creation_time="${1}T${2}Z" "$work/tape/r$n.dv"
    parts+=("$work/tape/r$n.dv")
done
cat "${parts[@]}" >"$work/tape/t.dv"
ffmpeg -nostdin -v error -y -f dv -i "$work/tape/t.dv" -c copy -f avi "$work/tape/tape.avi"
rm -f "$work/tape/"*.dv
tape=$work/tape/tape.avi copy=$work/tape/tape.mp4
# Beside it, one wide-screen recording of 2 seconds.
TZ=UTC ffmpeg -nostdin -v error -y -f lavfi -i "testsrc=size=720x576:rate=25:duration=2" \
    -f lavfi -i "sine=frequency=440:duration=2:sample_rate=48000" -target pal-dv -aspect 16:9 \
    -f dv -metadata creation_time="2010-02-16T21:36:28Z" "$work/tape/wide.dv"
ffmpeg -nostdin -v error -y -f dv -i "$work/tape/wide.dv" -c copy -f avi "$work/tape/wide.avi"
rm -f "$work/tape/wide.dv"
# The program reads the datecode as the local time of the machine: here Paris, two hours ahead of
# UTC in May, so the copy's creation time (UTC) is two hours before its recording's datecode.
export TZ=Europe/Paris
utc_of() { date -u -d "@$(date -d "$1 $2" +%s)" +%Y-%m-%dT%H:%M:%S.000000Z; }
title_of() { date -d "$1 $2" +"%d/%m/%Y %H:%M:%S"; }
hidden_files() { ls -A "$work/tape" | grep '^\.'; }

printf '[\\Software\\Ovrand\\Camlog]\r\nExename=%s\r\nWidth=600\r\nHeight=546\r\nLeft=0\r\nTop=0\r\n' \
    "$(readlink -f "$camlog")" | iconv -f UTF-8 -t UTF-16 >"$ini"

# ---- 1. The Convert menu, "Export a share copy" of both files, the copies read back -----------------
# The default preset ("medium") keeps the copy running long enough to be seen.
start_camlog "/l=$work/tape"
press ctrl+a
if convert_menu '^[^ ]* ?Export a share copy$' convert-menu; then
    # The hidden temporary beside the destination, once it holds some pictures.
    if wait_for '[ "$(du -b "$work/tape"/.tape.mp4.~* 2>/dev/null | cut -f1 | head -1)" -gt 50000 ] 2>/dev/null' 60; then
        shot copy-running
        text=$(status_text copy-running)
        case "$text" in
        *"Making a share copy of tape.avi"*) pass "the status bar says the copy is being made" ;;
        *) fail "the status bar during the copy reads: $text" ;;
        esac
    else
        fail "the copy was not seen writing: $(ls -A "$work/tape")"
    fi
    if wait_for '[ -s "$copy" ] && [ -s "$work/tape/wide.mp4" ] && [ -z "$(hidden_files)" ]' 120; then
        sleep 0.5
        shot copy-done
        text=$(status_text copy-done)
        case "$text" in
        *"Export a share copy: 2 files done"*) pass "the status bar says the copies are done" ;;
        *) fail "the status bar after the copy reads: $text" ;;
        esac
    else
        fail "no share copy: $(ls -A "$work/tape")"
    fi
fi
probe() { ffprobe -v error "$@" -of csv=p=0 2>&1; }
video=$(probe -select_streams v:0 -show_entries stream=codec_name,width,height,sample_aspect_ratio,avg_frame_rate,field_order,nb_frames "$copy")
seconds=0
for recording in "${recordings[@]}"; do set -- $recording; seconds=$((seconds + $3)); done
[ "$video" = "h264,768,576,1:1,progressive,50/1,$((seconds * 50))" ] &&
    pass "the copy is H.264 768x576 square pixels, $((seconds * 50)) progressive pictures at 50 a second" ||
    fail "the copy's video: $video"
audio=$(probe -select_streams a:0 -show_entries stream=codec_name,sample_rate "$copy")
[ "$audio" = "aac,48000" ] && pass "the copy's sound is AAC at 48 kHz" || fail "the copy's sound: $audio"
expected='' at=0
for recording in "${recordings[@]}"; do
    set -- $recording
    expected+="$at.000000,$(title_of "$1" "$2")|"
    at=$((at + $3))
done
chapters=$(probe -show_entries chapter=start_time:chapter_tags=title "$copy" | tr '\n' '|')
[ "$chapters" = "$expected" ] && pass "a chapter per recording, titled by its datecode: $chapters" ||
    fail "chapters: '$chapters', expected '$expected'"
set -- ${recordings[0]}
created=$(probe -show_entries format_tags=creation_time "$copy")
[ "$created" = "$(utc_of "$1" "$2")" ] && pass "the copy was created at its first recording ($created)" ||
    fail "the copy's creation_time is '$created', expected $(utc_of "$1" "$2")"
wide=$(probe -select_streams v:0 -show_entries stream=width,height,sample_aspect_ratio,avg_frame_rate,nb_frames:format_tags=creation_time "$work/tape/wide.mp4" | tr '\n' ' ')
[ "$wide" = "1024,576,1:1,50/1,100 $(utc_of 2010-02-16 21:36:28) " ] &&
    pass "the wide-screen copy is 1024x576, 100 pictures, created at its recording" || fail "the wide-screen copy: $wide"
quit_camlog

# ---- 2. Again with the copy present: Yes to the replace question, then Escape -----------------------
# A slow preset keeps the copy running until Escape comes.
sum_before=$(md5sum "$copy" | cut -d' ' -f1)
set_settings "Share preset=veryslow"
start_camlog "/o=$tape"
if convert_menu '^[^ ]* ?Export a share copy$'; then
    if wait_for '[ -n "$(window_of Camlog)" ]' 10; then
        shot replace-question
        xdotool windowfocus --sync "$(window_of Camlog)" 2>/dev/null
        xdotool key --clearmodifiers alt+y
        if wait_for '[ -n "$(hidden_files)" ]' 60; then
            press Escape
            wait_for '[ -z "$(hidden_files)" ]' 30
            sleep 0.5
            shot copy-stopped
            text=$(status_text copy-stopped)
            case "$text" in
            *"0 files done, 1 stopped"*) pass "Escape stopped the copy and the status bar says so" ;;
            *) fail "the status bar after Escape reads: $text" ;;
            esac
        else
            fail "Yes to the question started no copy: $(ls -A "$work/tape")"
        fi
    else
        fail "no question about replacing the existing copy"
    fi
fi
[ "$(md5sum "$copy" | cut -d' ' -f1)" = "$sum_before" ] && pass "the existing copy is byte for byte as it was" ||
    fail "the existing copy changed"
[ -z "$(hidden_files)" ] && pass "the stopped copy left no temporary" || fail "left behind: $(hidden_files)"
quit_camlog

# ---- 3. "Export a share copy of each scene" from the list's pop-up menu ------------------------------
set_settings "Share preset=ultrafast"
start_camlog "/o=$tape"
window_geometry
# The entry in the list: the selected row, a wide band of the selection's blue (thinner blue
# things, the scroll bar's handle, are eroded away).
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$work/window.png" 2>/dev/null
band=$(convert "$work/window.png" -fill black -fuzz 10% +opaque "srgb(48,140,198)" \
    -morphology Erode Rectangle:150x1 -trim -format '%w %h %X %Y' info: 2>/dev/null | tr -d '+')
entry=
if read -r bw bh bx by <<<"$band" && [ "${bw:-0}" -gt 100 ] && [ "${bh:-0}" -lt 40 ]; then
    entry="$((X + bx + bw / 2)) $((Y + by + bh / 2))"
fi
if [ -n "$entry" ]; then
    # A right click on the entry opens the list's pop-up menu.
    # shellcheck disable=SC2086
    xdotool mousemove $entry click 3
    sleep 0.5
    shot list-popup
    if click_text '^[^ ]* ?Export a share copy of each scene$' "1280x1024+0+0"; then
        # A scene's copy on its way (the scn file is made first, its marker shows above the gauge).
        wait_for '[ -n "$(ls -A "$work/tape" | grep "^\.tape_scene_2\.mp4\.")" ]' 20 && shot scenes-running
        scenes=${#recordings[@]}
        if wait_for '[ "$(ls "$work/tape" | grep -c "^tape_scene_[0-9]*\.mp4$")" = '$scenes' ] && [ -z "$(hidden_files)" ]' 120; then
            sleep 0.5
            shot scenes-done
            pass "one copy per recording: $(ls "$work/tape" | grep -c '^tape_scene_[0-9]*\.mp4$')"
        else
            fail "scene copies: $(ls -A "$work/tape")"
        fi
        [ -s "$work/tape/tape.scn" ] && pass "the scn file was made by datecode first" || fail "no scn file"
        n=0
        for recording in "${recordings[@]}"; do
            n=$((n + 1))
            set -- $recording
            scene=$work/tape/tape_scene_$n.mp4
            got=$(probe -show_entries format=duration:format_tags=creation_time "$scene" | tr '\n' ' ')
            want="$3.000000,$(utc_of "$1" "$2") "
            [ "$got" = "$want" ] && pass "scene $n lasts $3 s and was created at its recording ($got)" ||
                fail "scene $n: '$got', expected '$want'"
            got=$(probe -show_entries chapter_tags=title "$scene")
            [ "$got" = "$(title_of "$1" "$2")" ] && pass "scene $n has one chapter titled $got" ||
                fail "scene $n's chapters: '$got'"
            got=$(probe -select_streams v:0 -show_entries stream=codec_name,width,height,avg_frame_rate "$scene")
            [ "$got" = "h264,768,576,50/1" ] || fail "scene $n's video: $got"
        done
    else
        fail "no \"Export a share copy of each scene\" in the list's pop-up menu"
    fi
else
    fail "the list's entry was not found on the screen"
fi
quit_camlog

echo "$failures failure(s)"
if [ $failures = 0 ]; then
    cleanup
    trap - EXIT
    rm -rf "$work"
fi
[ $failures = 0 ]
