#!/usr/bin/env bash
# Renders the program's windows under Xvfb, driven by real key and mouse
# events, into a folder: scripts/screenshots.sh [FOLDER] (default screenshots/).
# SCORVISTA_BUILD names another build folder (default build/release, built
# here when needed). The program runs with -DEBUG and a private home folder,
# so no settings or file associations of the user are touched.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=${1:-screenshots}
mkdir -p "$out"
out=$(cd "$out" && pwd)
build=${SCORVISTA_BUILD:-build/release}

# The build's dependencies and the tools that drive and photograph the program.
scripts/deps.sh xdotool imagemagick

if [ -f "$build/build.ninja" ]; then
  cmake --build "$build" --target Scorvista2001 -j"$(nproc)"
else
  scripts/deps.sh
  scripts/build.sh "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSCORVISTA_TESTS=OFF
fi
built=$(cd "$build" && pwd)/app

work=$(mktemp -d)
xvfb_pid=
program_pid=
finish() {
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap finish EXIT

export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
export XDG_CACHE_HOME=$work/home/.cache XDG_RUNTIME_DIR=$work/run
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb LANG=C.UTF-8

# A free display, told by Xvfb itself.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1280x900x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
exec 3>&-
export DISPLAY=:$(cat "$work/display")

# The program runs from a folder of its own that also holds reference
# images (pictures drawn here), so that the image views have something to show.
mkdir -p "$work/program/Quality/Reference"
cp "$built/Scorvista2001" "$built"/lib*.so "$work/program/"
cp -r "$built/Help" "$work/program/"
program=$work/program/Scorvista2001
for n in 1 2 3 4; do
  base=$work/program/Quality/Reference/IQ0$n
  convert -seed "$n" -size 640x480 plasma:fractal -blur 0x2 "$base"I_Reference.PNG
  convert "$base"I_Reference.PNG -blur 0x6 "$base"A_Reference.PNG
  convert "$base"I_Reference.PNG -resize 80x60 "$base"T_Reference.PNG
done
cp samples/sample-machines.prb "$work/"
"$program" -DEBUG "$work/sample-machines.prb" >"$work/program.log" 2>&1 &
program_pid=$!

# The visible windows of the program, largest first: "id width height name".
windows() {
  { xdotool search --onlyvisible --pid "$program_pid" --name '.' 2>/dev/null || true; } | while read -r w; do
    eval "$(xdotool getwindowgeometry --shell "$w")"
    echo "$w $WIDTH $HEIGHT $(xdotool getwindowname "$w")"
  done | sort -k2,2nr -k3,3nr
}
# Waits until a visible window's name matches; prints its id.
wait_window() {
  for _ in $(seq 100); do
    id=$(windows | awk -v re="$1" '{ n = $0; sub(/^[^ ]+ [^ ]+ [^ ]+ /, "", n); if (n ~ re) { print $1; exit } }')
    [ -n "$id" ] && { echo "$id"; return; }
    sleep 0.1
  done
  echo "no window named like $1" >&2
  exit 1
}
shot() { # window name [crop]
  sleep 0.7
  import -window "$1" ${3:+-crop "$3" +repage} "$out/$2.png"
  echo "$out/$2.png"
}
click() { # window x y [repeat]
  xdotool mousemove --window "$1" "$2" "$3" click --repeat "${4:-1}" --delay 120 1
  sleep 0.4
}

# The boxes of the start (the viewer library is not beside the program, the
# reference images are missing) are answered until the main window is up
# with the database's window in it.
main=
for _ in $(seq 100); do
  main=$(windows | awk '$2 >= 500 && $3 >= 400 { print $1; exit }')
  [ -n "$main" ] && break
  if focus=$(xdotool getwindowfocus 2>/dev/null) && [ "$focus" != "$main" ]; then
    xdotool key --clearmodifiers Return 2>/dev/null || true
  fi
  sleep 0.3
done
[ -n "$main" ] || { echo "the main window did not appear" >&2; exit 1; }
xdotool windowmove "$main" 0 0 windowsize "$main" 1100 760
sleep 1
xdotool windowfocus "$main"

# The places clicked are those of this layout: the main window at 1100 x 760
# with the default tree width, the database window maximised in it. The
# tabs (Details, Results, Projects, Image Quality, Properties) stand at its
# top left; the tree's fourth row is the database's first project.
eval "$(xdotool getwindowgeometry --shell "$main")"
details_tab="185 91"
images_tab="413 91"
reference_picture="326 317"
first_project="110 109"
shot "$main" database-details

# With the focus on the tab bar, the arrow keys step through the tabs.
click "$main" $details_tab
xdotool key Right
shot "$main" database-results
xdotool key Right
shot "$main" database-projects
xdotool key Right Right
shot "$main" database-properties

# A double click on a project in the tree opens the project window, centred
# on the screen over the main window (the screen has no window manager, so
# no frames).
click "$main" $details_tab
click "$main" $first_project 2
wait_window '^Project:' >/dev/null
shot root project-window "${WIDTH}x${HEIGHT}+0+0"

# Cancel closes the project window (its button stands near its bottom right
# corner). Then the tree's popup on that project: its eleventh enabled item is
# System Info, which opens the viewer library's dialog.
project_window=$(wait_window '^Project:')
eval "$(xdotool getwindowgeometry --shell "$project_window")"
click "$project_window" $((WIDTH - 40)) $((HEIGHT - 12))
eval "$(xdotool getwindowgeometry --shell "$main")"
xdotool mousemove --window "$main" $first_project click 3
sleep 0.5
for _ in $(seq 11); do xdotool key Down; done
xdotool key Return
system_info=$(wait_window '^CorvalinSoft System Info')
shot root system-info "${WIDTH}x${HEIGHT}+0+0"
xdotool windowfocus "$system_info" key Escape
sleep 0.5

# The first project selected in the tree, then the toolbar's Print Preview
# button: the report's preview.
xdotool windowfocus "$main"
click "$main" $first_project
click "$main" 234 35
preview=$(wait_window '^Preview$')
shot root report-preview "${WIDTH}x${HEIGHT}+0+0"
xdotool windowfocus "$preview" key Escape
sleep 0.5

# Help, About.
xdotool windowfocus "$main" key alt+h
sleep 0.3
xdotool key a
about=$(wait_window '^About Scorvista2000$')
shot root about-box "${WIDTH}x${HEIGHT}+0+0"
xdotool windowfocus "$about" key Return
sleep 0.5

# The Image Quality tab, then a double click on the reference picture of the
# first game test opens the picture viewer inside the main window.
xdotool windowfocus "$main"
click "$main" $images_tab
shot "$main" database-images
click "$main" $reference_picture 2
sleep 1
shot "$main" picture-viewer
