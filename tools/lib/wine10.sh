# shellcheck shell=bash
# Wine 10 in a Debian 13 chroot, which keeps Windows 10's DPI rules (Wine 8 makes every program
# per-monitor aware), built on first use and cached by a hash of its recipe. Its static
# qemu-i386 runs 32-bit programs where the kernel cannot. common.sh sources this.

WINE10_SUITE=trixie
WINE10_MIRROR=http://deb.debian.org/debian
# --no-install-recommends leaves out the i386 X libraries Wine loads at run time.
WINE10_PACKAGES=(wine wine64 wine32:i386 libxrandr2:i386 libxinerama1:i386 libxrender1:i386
    xvfb xauth xdotool x11-apps fonts-liberation2 qemu-user imagemagick procps)
WINE10_CACHE="${XDG_CACHE_HOME:-$HOME/.cache}/sorvane-wine10"

# Runs a command chrooted into ROOT with /proc, /sys, /dev, /tmp, this checkout and its
# build tree at their own paths, in a mount namespace of its own: no mount outlives it.
# The root is a mount too, so that unshare works in there as well.
wine10_in() { # root, command...
    # shellcheck disable=SC2016 # expanded by the shell inside the namespace
    unshare -m --propagation private bash -c '
        mount --bind "$3" "$3" || exit 1
        for d in /proc /sys /dev /tmp "$1" "$2"; do
            mkdir -p "$3$d" && mount --rbind "$d" "$3$d" || exit 1
        done
        chroot "$3" "${@:4}"' bash "$SORVANE_ROOT" "$SORVANE_BUILD" "$@"
}

wine10_build() { # folder
    local part="$1.part" start=$SECONDS
    rm -rf "$part" && mkdir -p "$part" || return 1
    sorvane_log "Wine 10: debootstrap $WINE10_SUITE into $1 (once per recipe)"
    debootstrap --variant=minbase "$WINE10_SUITE" "$part" "$WINE10_MIRROR" >"$1.log" 2>&1 || return 1
    sorvane_log "Wine 10: installing ${WINE10_PACKAGES[*]}"
    # A chroot that is thrown away when it fails needs no fsync after every file.
    wine10_in "$part" env -i PATH=/usr/sbin:/usr/bin DEBIAN_FRONTEND=noninteractive sh -c "
        echo force-unsafe-io >/etc/dpkg/dpkg.cfg.d/unsafe-io &&
        dpkg --add-architecture i386 && apt-get update -q &&
        apt-get install -y -q --no-install-recommends ${WINE10_PACKAGES[*]} && apt-get clean" \
        >>"$1.log" 2>&1 && mv "$part" "$1" && sorvane_log "Wine 10: built in $((SECONDS - start)) s"
}

# The chroot's folder, built first when missing; progress lines go to stderr.
wine10_root() {
    local dir lock
    dir="$WINE10_CACHE/$({ declare -p WINE10_SUITE WINE10_MIRROR WINE10_PACKAGES
        declare -f wine10_in wine10_build; } | sha256sum | cut -c1-16)"
    mkdir -p "$WINE10_CACHE" && exec {lock}>"$WINE10_CACHE/.lock" && flock "$lock" || return 1
    if [ ! -d "$dir" ] && ! wine10_build "$dir"; then
        tail -n 5 "$dir.log" >&2
        echo "the Wine 10 chroot could not be built; the whole log: $dir.log" >&2
        dir=""
    fi
    exec {lock}>&-
    [ -n "$dir" ] && echo "$dir"
}
