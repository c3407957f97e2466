#!/bin/bash
# End-to-end run of the scene editor, the title editor and the inlay editor in the camlog window
# under Xvfb, driven from outside with xdotool; results are read from the files the program writes
# (the scn file read back by the text export of the batch mode, the settings file) and from
# screenshots.
# Usage: editors_e2e.sh CAMLOG WORK_DIR [SCREEN_DIR]
set -u
camlog=$1 work=$2 screens=${3:-}
caption="Camlog 7.0.9En by Ovrand"
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }

rm -rf "$work"
mkdir -p "$work/home/.config" "$work/tape"
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
wait_exit() {
    wait_for '! kill -0 $app_pid 2>/dev/null' "${1:-20}" || { fail "camlog did not end"; kill "$app_pid"; }
    wait "$app_pid" 2>/dev/null
    app_pid=
}
# The window's place on the screen: X, Y, WIDTH, HEIGHT.
window_geometry() {
    eval "$(xdotool getwindowgeometry --shell "$(window_of "$caption")" 2>/dev/null)"
}
# The scene lines of the scn file as the text export of the batch mode reads it back.
scene_lines() {
    rm -f "$work/tape/tape_scn.txt"
    "$camlog" --batch --yes "/o=$work/tape/tape.avi" /x >"$work/batch.out" 2>&1
    grep '^  [0-9]' "$work/tape/tape_scn.txt" 2>/dev/null | tr -d '\r'
}
# The starts and ends of the scenes, "start-end start-end ...".
scene_spans() {
    scene_lines | awk -F', ' '{ printf "%s%s-%s", sep, $2, $3; sep = " " }'
}
ini="$XDG_CONFIG_HOME/Ovrand/Camlog.ini"

# ---- The tape: two recordings of 2 seconds whose frames show their own number ------------------------
numbered() {
    ffmpeg -nostdin -v error -y -f lavfi -i "color=white:size=720x576:rate=25:duration=2" \
        -f lavfi -i "sine=frequency=440:duration=2:sample_rate=48000" \
        -vf "drawtext=fontfile=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf:text='%{frame_num}':start_number=$1:fontsize=220:fontcolor=black:x=(w-tw)/2:y=(h-th)/2" \
        -target pal-dv -f dv -metadata creation_time="$2" "$3"
}
numbered 0 2024-05-01T10:00:00Z "$work/tape/a.dv"
numbered 50 2024-05-01T11:00:00Z "$work/tape/b.dv"
cat "$work/tape/a.dv" "$work/tape/b.dv" >"$work/tape/t.dv"
ffmpeg -nostdin -v error -y -f dv -i "$work/tape/t.dv" -c copy -f avi "$work/tape/tape.avi"
rm -f "$work/tape/"*.dv
# Its scn file by datecode: [0, 50) and [50, 100).
"$camlog" --batch --yes "/o=$work/tape/tape.avi" /cd >"$work/batch.out" 2>&1
spans=$(scene_spans)
[ "$spans" = "0:00:00:00-0:00:01:24 0:00:02:00-0:00:03:24" ] && pass "the tape has two scenes" ||
    fail "the tape's scenes are '$spans'"

# ---- 1. The arguments open the editor, step one second, cut there and save -----------------------------
before=$(stat -c %Y.%s "$work/tape/tape.scn")
start_camlog "/o=$work/tape/tape.avi" /es /ns /is /scn
wait_for '[ "$(stat -c %Y.%s "$work/tape/tape.scn")" != "$before" ]' 30 || fail "the scn file was not saved"
sleep 1
spans=$(scene_spans)
[ "$spans" = "0:00:00:00-0:00:00:24 0:00:01:00-0:00:01:24 0:00:02:00-0:00:03:24" ] &&
    pass "/es /ns /is /scn cut the first scene at frame 25 and saved [0,25) [25,50) [50,100)" ||
    fail "after /es /ns /is /scn the scenes are '$spans'"
shot scene-editor
window_geometry
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage -resize 200% "$work/editor-text.png" 2>/dev/null
panel=$(tesseract "$work/editor-text.png" - --psm 3 2>/dev/null | tr '\n' ' ')
case "$panel" in
*"Scenes Editor"*"Scene 2"*"10:00:01"*) pass "the editor's panel shows the new scene 2 and its datecode" ;;
*) fail "the editor's panel reads: $panel" ;;
esac
case "$panel" in
*"Scene 1"*"Scene 3"*) pass "the scene list shows the three scenes" ;;
*) fail "the scene list reads: $panel" ;;
esac

# ---- 2. The title editor: a click on the caption, a title typed, Return applies -----------------------
# The caption (memo) lies in the scene panel of the right column, under the picture.
window_geometry
for attempt in 1 2 3; do
    xdotool mousemove $((X + WIDTH - 150)) $((Y + 232)) click 1
    wait_for '[ -n "$(window_of "Edit the title of a scene")" ]' 5 && break
done
if [ -n "$(window_of "Edit the title of a scene")" ]; then
    pass "a click on the caption opens \"Edit the title of a scene\""
    titles=$(window_of "Edit the title of a scene")
    xdotool windowfocus --sync "$titles" 2>/dev/null
    xdotool key --clearmodifiers ctrl+a
    xdotool type --delay 30 "Fête %N at %D"
    xdotool key --clearmodifiers Tab
    xdotool type --delay 30 "Durée %U"
    # Space types into the edit: it does not play the tape.
    sleep 0.5
    shot title-editor
    xdotool key --clearmodifiers Return
    wait_for '[ -z "$(window_of "Edit the title of a scene")" ]' 10 && pass "Return applies the title" ||
        fail "the title editor stayed open"
else
    fail "no title editor after a click on the caption"
fi
sleep 0.5
shot scene-editor-titled
# While the editor is open the text export works on its list, saved or not.
rm -f "$work/tape/tape_scn.txt"
press ctrl+x
wait_for 'grep -q "^// Terminated" "$work/tape/tape_scn.txt" 2>/dev/null' 20
line=$(grep '^  2,' "$work/tape/tape_scn.txt" 2>/dev/null | tr -d '\r')
case "$line" in
*"Fête 2 at 01/05/2024 10:00:01, Durée 01.00") pass "the export of the open editor has the new title: $line" ;;
*) fail "the export of the open editor gives '$line'" ;;
esac
# Closing the editor asks about the changes; Yes saves them.
press alt+e
if wait_for '[ -n "$(window_of "Camlog")" ]' 10; then
    shot save-scenes-question
    xdotool windowfocus --sync "$(window_of "Camlog")" 2>/dev/null
    xdotool key --clearmodifiers Return
    sleep 1
    line=$(scene_lines | sed -n 2p)
    case "$line" in
    *"Fête 2 at 01/05/2024 10:00:01, Durée 01.00") pass "Yes saved the title into the scn file" ;;
    *) fail "after Yes the scn file's scene 2 reads '$line'" ;;
    esac
else
    fail "closing the modified editor asked nothing"
fi

# ---- 3. The inlay editor: Alt+J, the horizontal slider moves the text, the settings keep it ------------
press alt+j
if wait_for '[ -n "$(window_of "Edit the inlay")" ]' 10; then
    pass "Alt+J opens \"Edit the inlay\""
else
    fail "Alt+J showed no inlay editor"
fi
sleep 1
shot inlay-editor
window_geometry
# The picture: the white area of the video panel (the left part of the window), thin slider
# grooves eroded away.
convert "$work/inlay-editor.png" -crop "$((WIDTH - 310))x$((HEIGHT - 60))+${X}+$((Y + 50))" +repage \
    -fill black -fuzz 2% +opaque white -morphology Erode Square:6 -trim "$work/picture.png" 2>/dev/null
picture=$(identify -format '%w %h %X %Y' "$work/picture.png" 2>/dev/null | tr -d '+')
read -r pw ph px py <<<"$picture"
pw=$((pw + 12)) ph=$((ph + 12)) px=$((X + px - 6)) py=$((Y + 50 + py - 6))
crop="${pw}x${ph}+${px}+${py}"
import -window root -crop "$crop" +repage "$work/inlay-before.png" 2>/dev/null
# The handle of the horizontal slider lies under the picture at X (thousandths of its width).
x_before=$(iconv -f UTF-16 -t UTF-8 "$ini" 2>/dev/null | sed -n 's/^Incrust positionX=\([0-9]*\).*/\1/p')
x_before=${x_before:-900}
handle_x=$((px + pw * x_before / 1000)) handle_y=$((py + ph + 9))
xdotool mousemove "$handle_x" "$handle_y" mousedown 1
sleep 0.2
for step in 1 2 3 4 5; do
    xdotool mousemove $((handle_x - step * (pw * 6 / 10) / 5)) "$handle_y"
    sleep 0.1
done
xdotool mouseup 1
sleep 1
import -window root -crop "$crop" +repage "$work/inlay-after.png" 2>/dev/null
shot inlay-moved
cp "$work/inlay-before.png" "$work/inlay-after.png" "${screens:-$work}/" 2>/dev/null
changed=$(compare -metric AE -fuzz 10% "$work/inlay-before.png" "$work/inlay-after.png" null: 2>&1)
[ "${changed%%.*}" -gt 200 ] 2>/dev/null && pass "the slider moved the inlay on the preview ($changed pixels changed)" ||
    fail "the preview did not change with the slider ($changed)"
# The text stood in the right part of the picture and now stands in the left part.
dark() { convert "$1" -crop "$2" +repage -fuzz 30% -fill white +opaque black -fill black -opaque black -format '%[fx:round(w*h*(1-mean))]' info: 2>/dev/null; }
half=$((pw / 2))
right_before=$(dark "$work/inlay-before.png" "${half}x$((ph / 4))+${half}+$((ph * 3 / 4))")
left_after=$(dark "$work/inlay-after.png" "${half}x$((ph / 4))+0+$((ph * 3 / 4))")
[ "${right_before:-0}" -gt 20 ] && [ "${left_after:-0}" -gt 20 ] &&
    pass "the inlay went from the right ($right_before dark pixels) to the left ($left_after)" ||
    fail "the inlay's outline: right before $right_before, left after $left_after"
press ctrl+q
if wait_for '[ -n "$(window_of "Saving the preferences of Camlog")" ]' 10; then
    xdotool windowfocus --sync "$(window_of "Saving the preferences of Camlog")" 2>/dev/null
    xdotool key --clearmodifiers Return
fi
wait_exit
x_after=$(iconv -f UTF-16 -t UTF-8 "$ini" 2>/dev/null | sed -n 's/^Incrust positionX=\([0-9]*\).*/\1/p')
[ -n "$x_after" ] && [ "$x_after" -lt $((x_before - 300)) ] &&
    pass "the settings file holds the new position (Incrust positionX=$x_after, was $x_before)" ||
    fail "the settings file holds Incrust positionX='$x_after' (was $x_before)"

echo "$failures failure(s)"
if [ $failures = 0 ]; then
    cleanup
    trap - EXIT
    rm -rf "$work"
fi
[ $failures = 0 ]
