#!/usr/bin/env bash
# End to end, driven from outside on a virtual display of its own, the way a user meets it with
# `make run`: open a target's folder with a click, close the file explorer, wait past the moment
# Wine's desktop process would end, move the window by its caption, close it with Alt+F4. The
# program must end normally and write both files.
#
#   DesktopLifetimeTest.sh PERCHPOINTS.EXE WINE-RUN WORK-DIR [PREFIX]
#
# WORK-DIR gets a Wine prefix of its own, so that the desktop seen here is not the one the other
# tests share: a copy of PREFIX (the build's) when there is one, else made on the first run.
set -uo pipefail

exe=$1
wine_run=$2
work=$3
seed=${4:-}
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
for tool in xdotool Xvfb; do
    command -v $tool >/dev/null || fail "$tool is not installed (run scripts/setup.sh)"
done

mkdir -p "$work"
if [[ ! -f $work/wineprefix/.pp-ready && -n $seed && -f $seed/.pp-ready ]]; then
    rm -rf "$work/wineprefix"
    cp -a --reflink=auto "$seed" "$work/wineprefix" || rm -rf "$work/wineprefix"
fi
run=$work/run
rm -rf "$run"
mkdir -p "$run/Target folder"
cp "$exe" "$run/perchpoints.exe"
target_win="Z:$(echo "$run/Target folder" | tr / '\\')"
printf '%s=Target\r\n' "$target_win" >"$run/perchpoints.dat"
cp "$run/perchpoints.dat" "$work/expected.dat"

xvfb_pid=
program=
cleanup() {
    [[ -n $program ]] && kill -TERM "$program" 2>/dev/null
    [[ -n $program ]] && wait "$program" 2>/dev/null
    WINEPREFIX=$work/wineprefix timeout 20 wineserver -k >/dev/null 2>&1
    [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null
}
trap cleanup EXIT

fdfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fdfile" </dev/null >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
    display=$(tr -dc 0-9 <"$fdfile")
    [[ -n $display ]] && break
    sleep 0.1
done
rm -f "$fdfile"
[[ -n $display ]] || fail "no virtual display"
export DISPLAY=:$display

# Started as `make run` starts it. Nothing of the test run's own Wine set-up is passed on.
env -u PP_DESKTOP_KEEPER PP_BUILD_DIR="$work" "$wine_run" "$run/perchpoints.exe" </dev/null >"$run/wine.log" 2>&1 &
program=$!

find_window() { # NAME-REGEX [TRIES]
    local id
    for _ in $(seq "${2:-240}"); do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1)
        [[ -n $id ]] && {
            echo "$id"
            return 0
        }
        kill -0 "$program" 2>/dev/null || return 1
        sleep 0.5
    done
    return 1
}
window=$(find_window '^Perchpoints$') || fail "the Perchpoints window did not appear"
sleep 1
eval "$(xdotool getwindowgeometry --shell "$window")"
left=$X top=$Y

# A click on the only target button opens its folder in the file explorer.
xdotool mousemove $((left + 60)) $((top + 60)) click 1
explorer=$(find_window '^Target folder$' 60) || fail "no explorer window for the target"
sleep 2
# Closed with its close box, at the right of the caption that Wine draws.
eval "$(xdotool getwindowgeometry --shell --prefix E "$explorer")"
xdotool mousemove $((EX + EWIDTH - 12)) $((EY + 10)) click 1
for _ in $(seq 40); do
    xdotool search --onlyvisible --name '^Target folder$' >/dev/null 2>&1 || break
    sleep 0.25
done
xdotool search --onlyvisible --name '^Target folder$' >/dev/null 2>&1 && fail "the explorer window did not close"

# Wine's desktop process used to end about 5 to 7 seconds after that.
sleep 12
kill -0 "$program" 2>/dev/null || fail "the program ended while nothing happened: $(tail -n 3 "$run/wine.log")"

# Moved by its caption (drawn by Wine itself: the top 20 pixels of the window).
xdotool mousemove $((left + 100)) $((top + 10)) mousedown 1
for step in 1 2 3 4 5 6; do
    xdotool mousemove $((left + 100 - step * 10)) $((top + 10 + step * 10))
    sleep 0.1
done
xdotool mouseup 1
sleep 1
kill -0 "$program" 2>/dev/null || fail "moving the window ended the program: $(tail -n 3 "$run/wine.log")"
eval "$(xdotool getwindowgeometry --shell "$window")"
[[ $X -ne $left || $Y -ne $top ]] || fail "the window did not move"
moved_left=$X

xdotool key --window "$window" alt+F4
for _ in $(seq 60); do
    kill -0 "$program" 2>/dev/null || break
    sleep 0.5
done
kill -0 "$program" 2>/dev/null && fail "Alt+F4 did not end the program"
wait "$program"
rc=$?
program=
[[ $rc -eq 0 ]] || fail "the program ended with code $rc: $(tail -n 3 "$run/wine.log")"
cmp -s "$run/perchpoints.dat" "$work/expected.dat" || fail "perchpoints.dat is not the list it read"
grep -q "^Left=$moved_left"$'\r'"\?$" "$run/perchpoints.ini" ||
    fail "perchpoints.ini does not hold the moved position: $(tr '\r\n' ' ' <"$run/perchpoints.ini" 2>/dev/null)"
echo "desktop lifetime: the program outlived the explorer's exit, moved, and saved both files"
