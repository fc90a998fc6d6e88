#!/bin/bash
# End-to-end run of the real program on its own X server, driven like a
# person with xdotool: first start in an empty folder, import through the
# open-file dialog, search, open a recipe, rate it, quit, start again and find
# the rating kept; the table files are checked on disk.
#
#   e2e_test.sh <path of the built mixolino> <sample recipe file>
#
# Needs Xvfb, openbox and xdotool; uses no display from outside.
set -u

program=$1
sample=${2:-}

work=$(mktemp -d)
app=$work/app
mkdir -p "$app"
cp "$program" "$app/mixolino"

xvfb_pid=
openbox_pid=
program_pid=

cleanup() {
  for pid in $program_pid $openbox_pid $xvfb_pid; do
    kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  done
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP PIPE

step() { echo "--- $*"; }

fail() {
  echo "FAIL: $*" >&2
  for log in "$work"/*.log; do [ -s "$log" ] && { echo "$log:"; cat "$log"; } >&2; done
  if [ -n "${DISPLAY:-}" ] && [ -n "${MIXOLINO_E2E_SHOT:-}" ]; then import -window root "$MIXOLINO_E2E_SHOT"; fi
  exit 1
}

# Runs a test command every 50 ms until it succeeds; fails after $1 seconds.
waitfor() {
  local seconds=$1 what=$2
  shift 2
  local tries=$((seconds * 20))
  until "$@"; do
    tries=$((tries - 1))
    [ "$tries" -gt 0 ] || fail "timed out waiting for $what"
    sleep 0.05
  done
}

visible() { xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1; }
focused() { [ "$(xdotool getwindowfocus -f getwindowname 2>/dev/null)" = "$1" ]; }
running() { [ -d "/proc/$program_pid" ] && ! grep -q '^[^)]*) Z' "/proc/$program_pid/stat" 2>/dev/null; }
notrunning() { ! running; }
hasbytes() { LC_ALL=C grep -qaF "$(printf "$2")" "$1"; }

# --- an X server and a window manager of our own -------------------------
for tool in Xvfb openbox xdotool; do
  command -v "$tool" >/dev/null || fail "$tool is not installed"
done
unset DISPLAY
# Xvfb picks a free display itself and writes its number once it is ready.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
displayready() { [ -s "$work/display" ]; }
waitfor 10 "the X server" displayready
export DISPLAY=":$(head -1 "$work/display")"
# Without a window manager the program's windows never get the keyboard.
openbox >"$work/openbox.log" 2>&1 &
openbox_pid=$!
wmready() { xdotool search --classname '^OPENBOX' >/dev/null 2>&1; }
waitfor 10 "the window manager" wmready
export QT_QPA_PLATFORM=xcb
# In sanitizer builds: the desktop's system libraries keep a few blocks to
# the end; those are not the program's leaks.
printf 'leak:libdbus-1.so\nleak:libfontconfig.so\n' >"$work/lsan.supp"
export LSAN_OPTIONS="suppressions=$work/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"

# --- the import file ------------------------------------------------------
importfile=$work/rezepte.txt
if [ -n "$sample" ] && [ -f "$sample" ]; then
  cp "$sample" "$importfile"
else
  printf 'Mojito\r\nZutaten:\r\n5 cl Wei\xdfer Rum\r\n3 cl Limettensaft\r\nCrushed-Eis\r\n\r\n' >"$importfile"
  printf 'Mojito Royal\r\nZutaten:\r\n4 cl Wei\xdfer Rum\r\n6 cl Sekt\r\n\r\n' >>"$importfile"
  printf 'Caipirinha\r\nZutaten:\r\n5 cl Cacha\xe7a\r\n1 St\xfcck Limette\r\n' >>"$importfile"
fi

# --- driving the program --------------------------------------------------
main='Mixolino - v1.01'

start() {
  (cd "$app" && exec ./mixolino >>"$work/program.log" 2>&1) &
  program_pid=$!
  waitfor 20 "the main window" visible "$main"
  mainwindow=$(xdotool search --onlyvisible --name "^$main\$" | head -1)
  # The start-up shows the splash for at least a second, then loads.
  waitfor 5 "the splash window" visible "Mixolino"
  waitfor 20 "the splash to close" eval '! visible Mixolino'
}

activate() {
  xdotool windowactivate --sync "$mainwindow" >/dev/null 2>&1
  waitfor 10 "the main window to have the focus" focused "$main"
}

# A menu pops up as a second window of the program; keys typed before it is
# there would go to the main window. The progress window of a search that is
# still running counts as well, so wait for that to close first.
windows() { xdotool search --onlyvisible --pid "$program_pid" 2>/dev/null | wc -l; }
onlymain() { [ "$(windows)" -eq 1 ]; }
popupopen() { [ "$(windows)" -gt 1 ]; }
popupafter() {  # runs an xdotool command that opens a pop-up and waits for it
  waitfor 20 "the main window alone" onlymain
  xdotool "$@"
  waitfor 10 "a pop-up menu" popupopen
}

# Positions inside the main window (below its title bar): the menu bar is the
# top line; the layout's controls lie below it at fixed places.
menubar_y=10
clickmenu() {  # opens "Programm" and walks right through $1 menus
  activate
  popupafter mousemove --window "$mainwindow" 25 $menubar_y click 1
  local i
  for ((i = 0; i < $1; i++)); do xdotool key Right; done
}
suchfeld() { xdotool mousemove --window "$mainwindow" 130 56 click 1; }
firstrow() {  # once a search has closed its progress window
  waitfor 20 "the main window alone" onlymain
  xdotool mousemove --window "$mainwindow" 60 144
}

search() {
  activate
  suchfeld
  xdotool key ctrl+a
  xdotool type --delay 20 "$1"
  xdotool key Return
}

quit() {  # "Programm" > "beenden"
  clickmenu 0
  xdotool key Up Return
  waitfor 20 "the program to end" notrunning
  wait "$program_pid" || fail "the program ended with status $?"
  program_pid=
}

# --- first start in an empty folder --------------------------------------
step "first start"
start
# The empty database is offered the sample; "Nein" keeps it empty.
waitfor 10 "the question about the sample" focused "Bestätigung"
xdotool key Escape
[ -f "$app/db/status.txt" ] || fail "no status file after the first start"
for table in c_zutaten c_rezeptezutaten c_rezepte c_zubereitungen c_ersatz; do
  [ -f "$app/db/$table.db" ] || fail "db/$table.db missing after the first start"
  hasbytes "$app/db/$table.db" '#DB\xa1' || fail "db/$table.db has no table header"
done
LC_ALL=C grep -qaE '^erstellt: [0-9]{2}\.[0-9]{2}\.[0-9]{4} [0-9]{2}:[0-9]{2}:[0-9]{2}' "$app/db/status.txt" ||
  fail "status.txt: $(cat "$app/db/status.txt")"
status=$(cat "$app/db/status.txt")

step "menu Rezepte and import"
clickmenu 2  # Programm > Zutaten > Rezepte
xdotool key i  # "Rezepte &importieren…", by its underlined letter
waitfor 10 "the open-file dialog" focused "Öffnen"
xdotool type --delay 10 "$importfile"
xdotool key Return
waitfor 30 "the import's report" focused "Information"
xdotool key Return
hasbytes "$app/db/c_rezepte.db" 'Mojito\xbf0\xbf' || fail "the recipe Mojito was not stored"
hasbytes "$app/db/c_zutaten.db" 'Limettensaft\xbf0\xbf0\xbf' || fail "the ingredient Limettensaft was not stored"
[ "$(stat -c %s "$app/db/c_rezeptezutaten.db")" -gt 100 ] || fail "no recipe lines were stored"

step "search, recipe view, rating"
search mojito
firstrow
xdotool click --repeat 2 --delay 80 1  # the recipe in the info box
xdotool key Escape
firstrow
popupafter click 3
xdotool key Down Return  # "Wertung ändern", the first entry
waitfor 10 "the rating dialog" focused "Bewertung"
xdotool key Right Return  # from 3 (never rated) to 4
waitfor 10 "the rating to be stored" hasbytes "$app/db/c_rezepte.db" 'Mojito\xbf4\xbf'
quit

# --- second start: nothing is recreated, the rating is read back ----------
step "second start"
start
[ "$(cat "$app/db/status.txt")" = "$status" ] || fail "status.txt was rewritten on the second start"
search mojito
before=$(stat -c %y "$app/db/c_rezepte.db")
firstrow
popupafter click 3
xdotool key Down Return
waitfor 10 "the rating dialog" focused "Bewertung"
# Confirmed unchanged, the dialog writes what it showed: 4 only when the
# stored rating was read back (a recipe never rated would show 3).
xdotool key Return
waitfor 10 "the rating to be written again" eval '[ "$(stat -c %y "$app/db/c_rezepte.db")" != "$before" ]'
hasbytes "$app/db/c_rezepte.db" 'Mojito\xbf4\xbf' || fail "the rating 4 was not kept"
hasbytes "$app/db/c_rezepte.db" 'Mojito\xbf3\xbf' && fail "the kept rating was not shown"
quit

step "passed"
exit 0
