# Sourced by the end-to-end tests: waiting on a state, with a bound, instead
# of sleeping. A loaded machine makes them slower, never red.

# wait_until SECONDS COMMAND...: runs the command until it succeeds; fails
# when it has not within that many seconds.
wait_until() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@" >/dev/null 2>&1; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.2
    done
}

# holds SECONDS COMMAND...: the command succeeds throughout, for what must
# not happen; a correct program passes however slow the machine.
holds() {
    local deadline=$((SECONDS + $1))
    shift
    while [ "$SECONDS" -lt "$deadline" ]; do
        "$@" >/dev/null 2>&1 || return 1
        sleep 0.2
    done
}
