# Sourced by the tests that run Tramsel on a real X display: a display of our
# own (Xvfb, whichever number is free) with openbox managing it, and helpers
# to wait, to find windows, to give them the keyboard, to read and set the
# clipboard, to start and quit Tramsel, and to fail. Everything started is
# stopped when the test exits.
# Sets: work (a scratch folder), pids (what cleanup stops), DISPLAY; start: tramsel.
# Each helper waits on what it needs (a window mapped, focused or gone, the
# clipboard's text), with a bound, and none takes a half-done answer for one:
# a loaded machine makes the tests slower, never red.

. "$(dirname "${BASH_SOURCE[0]}")/wait.sh"
. "$(dirname "${BASH_SOURCE[0]}")/failure_text.sh"

work=$(mktemp -d)
pids=()
cleanup() { kill "${pids[@]}" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT

fail() { echo "FAIL: $*"; exit 1; }

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
wait_until 20 test -s "$work/display" || fail "Xvfb did not start"
unset WAYLAND_DISPLAY
export DISPLAY=":$(cat "$work/display")" QT_QPA_PLATFORM=xcb

openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
wm_ready() { xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'; }
wait_until 20 wm_ready || fail "openbox did not start"

# x_search ARGS...: xdotool search's ids; status 1 when it found none. This
# xdotool dies of BadWindow when any window goes away while it walks the tree
# (a dialog closing, fixed upstream after 3.20160805): such a search is no
# answer, so it is run again; status 2 when it never ran to the end.
x_search() {
    local ids try
    for try in 1 2 3 4 5 6 7 8 9 10; do
        if ids=$(xdotool search "$@" 2>"$work/x_search.err"); then
            printf '%s\n' "$ids"
            return 0
        fi
        [ -s "$work/x_search.err" ] || return 1
    done
    cat "$work/x_search.err" >&2
    return 2
}
# visible TITLE-PATTERN: the first mapped window so titled; fails if none is.
visible() { local ids; ids=$(x_search --onlyvisible --name "$1") && echo "${ids%%$'\n'*}"; }
# gone TITLE-PATTERN: no window so titled is mapped (hidden or destroyed);
# destroyed TITLE-PATTERN: none exists at all.
gone() { local status=0; x_search --onlyvisible --name "$1" >/dev/null || status=$?; [ "$status" -eq 1 ]; }
destroyed() { local status=0; x_search --name "$1" >/dev/null || status=$?; [ "$status" -eq 1 ]; }

# activate ID: gives the window the keyboard. The window manager names the
# active window before the program has taken the X input focus, and keys sent
# in between go elsewhere: so it waits for both, asking again meanwhile.
focused() { [ "$(xdotool getactivewindow)" = "$1" ] && [ "$(xdotool getwindowfocus -f)" = "$1" ]; }
focus_to() { focused "$1" || { xdotool windowactivate "$1"; false; }; }
activate() {
    [ -n "$1" ] || fail "no window to activate"
    wait_until 20 focus_to "$1" || fail "window $1 did not get the keyboard"
}

# clipboard: the clipboard's text, byte for byte. Its owner may never answer (one that is
# giving the clipboard up as it is asked), so each read is bounded.
clipboard() { timeout 5 xclip -o -selection clipboard 2>/dev/null; }
clipboard_is() { [ "$(clipboard; echo x)" = "${1}x" ]; }
# set_clipboard TEXT: xclip takes the clipboard from a child it forks, at a
# moment of its own, so this waits until the text reads back.
set_clipboard() {
    printf '%s' "$1" | xclip -i -selection clipboard 2>/dev/null
    wait_until 20 clipboard_is "$1" || fail "the clipboard does not take '$1'"
}

# start COMMAND...: Tramsel (the command that runs it), until its main window shows.
main_window() { visible '^Tramsel V\. 2\.0$'; }
start() {
    "$@" >"$work/tramsel.log" 2>&1 &
    tramsel=$!
    pids+=("$tramsel")
    wait_until 90 main_window || { cat "$work/tramsel.log"; fail "the main window did not show"; }
}
# quit: Ctrl+Q in the main window ends the program, with status 0.
quit() {
    activate "$(main_window)"
    xdotool key --clearmodifiers ctrl+q
    wait_until 30 eval "! kill -0 $tramsel" || fail "Ctrl+Q did not end the program"
    local status=0
    wait "$tramsel" || status=$?
    [ "$status" -eq 0 ] || { cat "$work/tramsel.log"; fail "the program ended with status $status"; }
}
