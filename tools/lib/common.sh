# shellcheck shell=bash
# Shared by the tools and the end-to-end checks: packages, builds, a Wine prefix
# under Xvfb, a simulated battery. Source it; it defines names and functions only.

SORVANE_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
# SORVANE_BUILD_DIR moves the whole build tree (builds, logs, Wine prefix) elsewhere.
SORVANE_BUILD="${SORVANE_BUILD_DIR:-$SORVANE_ROOT/build}"
SORVANE_SCREEN="1024x768x24"
# Wine without the .NET and HTML installers, and a crash ends the process instead
# of waiting for a debugger nobody attends.
SORVANE_WINE_OVERRIDES="mscoree,mshtml=;winedbg.exe=d"

SORVANE_PACKAGES=(
    cmake g++ make googletest libgtest-dev
    g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-i686
    binutils-mingw-w64-x86-64 wine wine64 xvfb xserver-xephyr xauth fonts-liberation2 xdotool imagemagick x11-xserver-utils
    x11-apps python3-pil
    util-linux shellcheck debootstrap
    # The release: its zip, its signature and the checks of its manifests.
    zip unzip osslsigncode openssl python3-yaml
    # The 32-bit program's Wine and the X libraries it loads at run time (only recommended).
    wine32:i386 libxrandr2:i386 libxinerama1:i386 libxrender1:i386
)

sorvane_log() { printf '== %s\n' "$*" >&2; }

# The running script's help: its top comment, down to "set -u".
sorvane_help() { sed -n '2,/^set -u$/p' "$0" | sed '$d; s/^# \{0,1\}//'; }

# Ends the script over a wrong argument.
sorvane_refuse() { echo "tools/${0##*/}: $* (see tools/${0##*/} --help)" >&2; exit 2; }

# A script's arguments, read by getopt(1): for each "NAME=" given, --NAME VALUE or
# --NAME=VALUE sets the variable NAME (dashes as underscores); for each plain NAME, --NAME
# sets it to 1; with "..." other words land in SORVANE_ARGS. --help is answered, anything
# else refused.
sorvane_options() { # names..., --, arguments...
    local long=help words=0 name
    for name in "$@"; do
        shift
        case "$name" in --) break ;; ...) words=1 ;; *=) long+=",${name%=}:" ;; *) long+=",$name" ;; esac
    done
    name="$(getopt -n "tools/${0##*/}" -o h -l "$long" -- "$@")" || exit 2
    eval set -- "$name"
    while name="${1#--}" && [ "$1" != -- ]; do
        case "$1" in -h | --help) sorvane_help && exit 0 ;; esac
        [[ ,$long, == *",$name:,"* ]] && printf -v "${name//-/_}" %s "$2" && shift 2 && continue
        printf -v "${name//-/_}" 1 && shift
    done
    shift
    # shellcheck disable=SC2034 # read by the script
    SORVANE_ARGS=("$@")
    [ $# -eq 0 ] || [ $words -eq 1 ] || sorvane_refuse "unknown argument: $1"
}

# For a script that takes no arguments.
sorvane_no_arguments() { sorvane_options -- "$@"; }

# Installs what is missing when root; otherwise says exactly what to run.
sorvane_ensure_packages() {
    local missing=() p
    for p in "${SORVANE_PACKAGES[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$p")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        printf 'missing packages; run as root:\n  apt-get update && apt-get install -y --no-install-recommends %s\n' \
            "${missing[*]}" >&2
        return 1
    fi
    sorvane_log "installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
    apt-get update -qq >&2 && apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
}

# Configures (once) and builds one preset, all of it or the targets named; the log
# goes to build/logs.
sorvane_build() { # preset, targets...
    local preset="$1" log="$SORVANE_BUILD/logs/build-$1.log"
    shift
    mkdir -p "$SORVANE_BUILD/logs"
    (cd "$SORVANE_ROOT" && cmake --preset "$preset" -B "$SORVANE_BUILD/$preset" &&
        cmake --build "$SORVANE_BUILD/$preset" -j"$(nproc)" ${1:+--target "$@"}) \
        >"$log" 2>&1
    local rc=$?
    [ $rc -ne 0 ] && tail -40 "$log" >&2
    return $rc
}

# The packages and a build, or the script ends saying which build failed.
sorvane_build_or_exit() { # preset, targets...
    sorvane_ensure_packages || exit 1
    sorvane_log "building the $1 preset"
    sorvane_build "$@" ||
        { echo "tools/${0##*/}: the $1 build failed (see $SORVANE_BUILD/logs/build-$1.log)" >&2; exit 1; }
}

# Wine's loader is a 32-bit program. Where this kernel runs none (it lacks IA32 emulation,
# as on some virtual machines), Debian 13's static qemu-i386 from the Wine 10 chroot runs
# them: registered with binfmt_misc for the whole machine and opened at once ("F"), so that
# it serves inside chroots and namespaces too. Says why when it cannot.
sorvane_i386() {
    local misc=/proc/sys/fs/binfmt_misc root
    /lib/ld-linux.so.2 --version >/dev/null 2>&1 && return 0
    [ "$(id -u)" -eq 0 ] || { echo "this kernel runs no 32-bit program, and only root can lend it qemu"; return 1; }
    root="$(wine10_root)" || return 1
    [ -e $misc/register ] || mount -t binfmt_misc binfmt_misc $misc || return 1
    [ -e $misc/sorvane-i386 ] || echo ":sorvane-i386:M::$SORVANE_ELF32:$SORVANE_ELF32_MASK:$root/usr/bin/qemu-i386:F" >$misc/register
    /lib/ld-linux.so.2 --version >/dev/null 2>&1 || { echo "no 32-bit program runs, even through qemu-i386"; return 1; }
}
# An i386 executable or shared object, as binfmt_misc matches it.
SORVANE_ELF32='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
SORVANE_ELF32_MASK='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'

# A fresh Wine prefix inside the build tree. No window manager runs on Xvfb, so
# Wine is told not to wait for one whenever a window is shown or hidden.
sorvane_wine_env() {
    sorvane_i386 >&2
    export WINEPREFIX="${WINEPREFIX_OVERRIDE:-$SORVANE_BUILD/wine/prefix}"
    export WINEDEBUG="${WINEDEBUG:--all}"
    export WINEDLLOVERRIDES="$SORVANE_WINE_OVERRIDES"
    export WINEARCH=win64
}

sorvane_fresh_prefix() {
    sorvane_wine_env
    rm -rf "$WINEPREFIX"
    mkdir -p "$(dirname "$WINEPREFIX")"
    wineboot -i >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    wineserver -w
}

# The Wine environment, with a fresh prefix when there is none yet.
sorvane_prefix() {
    sorvane_wine_env
    [ -d "$WINEPREFIX" ] || sorvane_fresh_prefix
}

# The scale of every Wine process started after it: 96 is 100 %, 144 is 150 %.
sorvane_logpixels() {
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
    wineserver -w
}

# Runs a command under a private Xvfb of the standard screen size, on the first free
# display from $SORVANE_DISPLAY (99): runs at the same time start far apart.
sorvane_xvfb() {
    xvfb-run -a -n "${SORVANE_DISPLAY:-99}" -s "-screen 0 $SORVANE_SCREEN -nolisten tcp" "$@"
}

# Runs a command on a private Xephyr display nested in the current one, made with the
# options given before "--": two monitors, or a screen whose resolution may change.
sorvane_nested() { # Xephyr options..., --, command...
    local number pid rc options=()
    while [ "$1" != -- ]; do options+=("$1") && shift; done
    shift
    number="$(mktemp)"
    Xephyr -displayfd 3 "${options[@]}" -nolisten tcp 3>"$number" 2>/dev/null &
    pid=$!
    for _ in $(seq 100); do [ -s "$number" ] && break; sleep 0.1; done
    DISPLAY=":$(cat "$number")" "$@"
    rc=$?
    kill $pid
    wait $pid 2>/dev/null
    rm -f "$number"
    return $rc
}

# Writes a simulated battery into a power-supply folder (tmpfs).
# sorvane_write_battery DIR PERCENT STATE
#   STATE: charging | discharging | full | not-charging
sorvane_write_battery() {
    local dir="$1" percent="$2" state="$3" online=0 status=Discharging
    case "$state" in
        charging) online=1; status=Charging ;;
        full) online=1; status=Full ;;
        not-charging) online=1; status="Not charging" ;;  # a charge limit holds it
        discharging) ;;
        *) echo "unknown battery state: $state" >&2; return 1 ;;
    esac
    mkdir -p "$dir/AC" "$dir/BAT0"
    echo Mains >"$dir/AC/type"
    echo "$online" >"$dir/AC/online"
    echo Battery >"$dir/BAT0/type"
    echo "$status" >"$dir/BAT0/status"
    echo 5000000 >"$dir/BAT0/charge_full"
    echo $((percent * 50000)) >"$dir/BAT0/charge_now"
    echo 1000000 >"$dir/BAT0/current_now"
    echo 12000000 >"$dir/BAT0/voltage_now"
    echo 1 >"$dir/BAT0/present"
}

# Why a simulated battery cannot be had here, or nothing when it can.
sorvane_battery_unavailable() {
    if [ "$(id -u)" -ne 0 ]; then
        echo "not root: mounting a tmpfs over /sys/class/power_supply needs root"
    elif ! command -v unshare >/dev/null; then
        echo "unshare is not installed (util-linux)"
    elif ! unshare -m --propagation private true 2>/dev/null; then
        echo "unshare -m is refused here (no mount namespaces)"
    fi
}

# Runs a command where Wine reads a simulated battery: in a private mount namespace,
# whose tmpfs hides the machine's own power supply folder from this command and
# nothing else. This file is sourced in there, and exported functions survive. A
# Wine server from outside would serve the outside's folder, so none is left.
# sorvane_with_battery PERCENT STATE COMMAND [ARGS...]
sorvane_with_battery() {
    wineserver -k 2>/dev/null
    # shellcheck disable=SC2016 # expanded by the shell inside the namespace
    unshare -m --propagation private bash -c '
        . "$0" && mount -t tmpfs sorvane-power /sys/class/power_supply &&
            sorvane_write_battery /sys/class/power_supply "$1" "$2" || exit 3
        shift 2
        "$@"' "$SORVANE_ROOT/tools/lib/common.sh" "$@"
}

# The meter's visible windows, one X id a line.
sorvane_meter_windows() { xdotool search --onlyvisible --name "^$(sorvane_text METER_TITLE)\$" 2>/dev/null; }

# The id of the meter's window once it shows, within SECONDS and while PID (when
# given) runs; fails otherwise.
sorvane_wait_meter() { # seconds, [pid]
    local end=$((SECONDS + $1))
    while [ -z "${2:-}" ] || kill -0 "$2" 2>/dev/null; do
        sorvane_meter_windows | head -1 | grep . && return 0
        [ $SECONDS -lt $end ] && sleep 0.1 || return 1
    done
    return 1
}

# The tools' one picture writer: a PNG of SOURCE (a file, or ppm:- or xwd:- on
# stdin), cropped to WxH+X+Y and enlarged TIMES with hard pixels when asked, without
# date chunks, so that the same pixels give the same bytes.
sorvane_png() { # source, png, [crop], [times]
    convert "$1" ${3:+-crop "$3" +repage} ${4:+-filter point -resize "$(($4 * 100))%"} -strip "$2"
}

# The same of an X window as X has its pixels: -root, or -id and the window's id.
sorvane_shot() { # png, window...
    xwd -silent "${@:2}" | sorvane_png xwd:- "$1"
}

# "NAME VALUE" for each #define of resources/resource.h whose name matches a glob,
# VALUE in decimal: the scripts take the program's own numbers rather than copies.
sorvane_ids() {
    local name value
    while read -r _ name value; do
        # shellcheck disable=SC2053 # the argument is a glob
        [[ $name == $1 ]] && echo "$name $((value))"
    done < <(grep '^#define ' "$SORVANE_ROOT/resources/resource.h")
}

# The text of a string #define there, such as the meter's title.
sorvane_text() { sed -n "s/^#define $1 \"\(.*\)\"\$/\1/p" "$SORVANE_ROOT/resources/resource.h"; }

# The value of one of them.
sorvane_id() {
    local line
    line="$(sorvane_ids "$1")"
    [ -n "$line" ] || { echo "no $1 in resources/resource.h" >&2; return 1; }
    echo "${line#* }"
}

. "$SORVANE_ROOT/tools/lib/wine10.sh"
