# wine-diagnose.sh -- sourced by the stand-ins that run a Windows tool under
# wine: what to keep when wine ends a run without a word. With wine's own
# diagnostics off, a run that wine itself cannot start (its server gone or
# going, a server of its own that fails to start, the desktop process) ends
# with status 1 and nothing on stderr, which is not a status our tools end
# with silently. Such a run then says what the server did meanwhile and,
# run again with wine's diagnostics on, what wine reports.
#
# Needs $root (the repository) and AMBLER_WINEPREFIX; AMBLER_TRACE_LOG's
# folder keeps the full logs, which outlive the test's own work folder.

wine_prefix=$(realpath -m "${AMBLER_WINEPREFIX:-$root/build-windows/wineprefix}")

# The socket of the prefix's server. Debian's wine keeps the name of a
# private folder under TMPDIR in the prefix; upstream wine uses /tmp/.wine-UID.
wine_server_socket() {
    local base=/tmp/.wine-$(id -u) dev_ino
    [ -r "$wine_prefix/wineserver" ] && base=${TMPDIR:-/tmp}/$(cat "$wine_prefix/wineserver")
    dev_ino=$(stat -c '%d %i' "$wine_prefix" 2> /dev/null) || { echo none; return; }
    printf '%s/server-%x-%x/socket\n' "$base" $dev_ino
}

# Which server runs now: its socket's inode and time, or "none". A server
# that went away or started afresh during a run shows as a change.
wine_server_mark() {
    stat -c 'socket %i of %y' "$(wine_server_socket)" 2> /dev/null || echo none
}

# The prefix's wine processes (the server, its services, the desktop).
wine_prefix_processes() {
    local pid env
    for pid in $(ls /proc | grep -x '[0-9]*'); do
        env=$({ tr '\0' '\n' < "/proc/$pid/environ"; } 2> /dev/null | grep -x "WINEPREFIX=$wine_prefix")
        [ -n "$env" ] || continue
        ps -o pid=,etimes=,stat=,args= -p "$pid" 2> /dev/null | cut -c1-160
    done
}

# wine_silent_exit LABEL MS MARK_BEFORE COMMAND... -- reports on stderr a
# run of LABEL that ended with status 1 after MS ms with nothing said and
# nothing written: the server before and after, the prefix's processes, and
# COMMAND (the same run with outputs of its own) run again with wine's
# errors, process and module-load channels on. The full log stays beside the
# trace log.
wine_silent_exit() {
    local label=$1 ms=$2 before=$3 keep log status
    shift 3
    keep=${AMBLER_TRACE_LOG:+$(dirname "$AMBLER_TRACE_LOG")/wine-silent-exits}
    keep=${keep:-${TMPDIR:-/tmp}}
    mkdir -p "$keep"
    log=$(mktemp "$keep/$(date -u +%Y%m%dT%H%M%S)-XXXXXX.log")
    {
        echo "wine: $label ended with status 1 after $ms ms, said nothing and wrote nothing"
        echo "wine server before the run: $before"
        echo "wine server after the run:  $(wine_server_mark)"
        echo "load: $(cat /proc/loadavg)"
        echo "processes of $wine_prefix:"
        wine_prefix_processes | sed 's/^/  /'
    } > "$log"
    AMBLER_WINEDEBUG=err+all,+process,+loaddll "$@" > /dev/null 2> "$log.debug"
    status=$?
    {
        echo "run again with wine's diagnostics: status $status; its log:"
        cat "$log.debug"
    } >> "$log"
    rm -f "$log.debug"
    {
        sed -n '1,/^run again/p' "$log"
        sed '1,/^run again/d' "$log" |
            grep -E 'err:|^wine|wineserver|process:.*(exit|terminat|fail)' | head -30
        echo "(the whole log: $log)"
    } >&2
}
