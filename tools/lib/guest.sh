# shellcheck shell=bash
# The emulated i386 Debian machine of tools/guest: its recipe, its cache and one
# boot of it. Source after common.sh; it defines names and functions only.

# --- What goes into the image (all of it is hashed into the cache key) ---
GUEST_SUITE=bookworm
GUEST_MIRROR=http://deb.debian.org/debian
GUEST_KERNEL_PACKAGE=linux-image-686
# Only what finds the root disk and the shares: the default initrd (most of the
# module tree) takes a quarter of an hour to pack under emulation.
GUEST_INITRD_MODULES=(virtio_pci virtio_blk ext4 9pnet_virtio 9p)
GUEST_PACKAGES=(wine wine32 xvfb xauth x11-utils x11-apps xdotool fonts-liberation2 procps)
GUEST_IMAGE_SIZE=4G
GUEST_INIT_PATH=/sbin/sorvane-init
GUEST_HOME=/root
GUEST_WINEPREFIX=/root/.wine

# --- Where it lives and what builds it ---
GUEST_CACHE_ROOT="${XDG_CACHE_HOME:-$HOME/.cache}/sorvane-guest"
GUEST_INIT="$SORVANE_ROOT/tools/guest-init"
GUEST_RUN_HOST_PACKAGES=(qemu-system-x86)
GUEST_BUILD_HOST_PACKAGES=(qemu-user-static debootstrap e2fsprogs)
GUEST_QEMU_USER=/usr/bin/qemu-i386-static
GUEST_BINFMT_DIR=/proc/sys/fs/binfmt_misc
GUEST_BINFMT_NAME=sorvane-i386
GUEST_ELF32_MAGIC='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
GUEST_ELF32_MASK='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'

# --- How it runs ---
GUEST_QEMU=qemu-system-i386
GUEST_RUN_TIMEOUT=1200    # seconds for one boot-and-run, boot included
GUEST_PREFIX_TIMEOUT=1200 # seconds for the one boot that runs wineboot
GUEST_KILL_GRACE=10       # seconds between TERM and KILL when time is up
GUEST_SHARE_OPTIONS=security_model=none,multidevs=remap
# -cpu max alone makes every 32-bit Wine process oops at its iret (SMAP).
GUEST_QEMU_ARGS=(-machine "pc,accel=tcg" -cpu "max,-smap" -m 2048 -smp 2
    -display none -monitor none -nic none -no-reboot)
GUEST_KERNEL_ARGS="root=/dev/vda rw console=ttyS0 panic=1 fsck.mode=skip mitigations=off init=$GUEST_INIT_PATH"
# What the guest's init runs in front of the command.
GUEST_COMMAND_PREFIX=(env HOME="$GUEST_HOME" WINEPREFIX="$GUEST_WINEPREFIX" WINEDEBUG=-all
    WINEDLLOVERRIDES="$SORVANE_WINE_OVERRIDES" xvfb-run -a -s "-screen 0 $SORVANE_SCREEN -nolisten tcp")
# The tool's own failures, told apart from the command's exit codes.
GUEST_FAILED=125

# Failures are told on the tool's own stderr even while a step's output goes to a log.
exec {guest_err}>&2
GUEST_DIR="" guest_t0=$SECONDS guest_qemu_pid="" guest_cat_pids=() guest_run_dir=""
guest_chroot_root="" guest_binfmt_mounted="" guest_binfmt_registered=""

guest_log() { printf '== guest: %s (%ss)\n' "$*" "$((SECONDS - guest_t0))" >&2; }
guest_die() { printf 'guest: %s\n' "$*" >&"$guest_err"; exit "$GUEST_FAILED"; }

guest_cache_key() {
    {
        declare -p GUEST_SUITE GUEST_MIRROR GUEST_KERNEL_PACKAGE GUEST_INITRD_MODULES \
            GUEST_PACKAGES GUEST_IMAGE_SIZE GUEST_INIT_PATH GUEST_HOME GUEST_WINEPREFIX
        declare -f guest_build guest_configure guest_make_disk guest_prefix_script guest_make_prefix
        cat "$GUEST_INIT"
    } | sha256sum | cut -c1-16
}

# Installs what is missing when root, else prints the command (common.sh does both).
guest_need_packages() {
    command -v dpkg-query >/dev/null ||
        guest_die "no dpkg/apt on this machine; install by hand: $*"
    # shellcheck disable=SC2034 # the list sorvane_ensure_packages reads
    local SORVANE_PACKAGES=("$@")
    sorvane_ensure_packages || guest_die "host packages missing: $*"
}

guest_ensure() {
    guest_need_packages "${GUEST_RUN_HOST_PACKAGES[@]}"
    GUEST_DIR="$GUEST_CACHE_ROOT/$(guest_cache_key)"
    [ -f "$GUEST_DIR/root.img" ] && return 0
    [ "$(id -u)" -eq 0 ] || guest_die "building the guest image needs root (debootstrap, chroot, binfmt_misc)"
    guest_need_packages "${GUEST_BUILD_HOST_PACKAGES[@]}"
    mkdir -p "$GUEST_CACHE_ROOT"
    local lock
    exec {lock}>"$GUEST_CACHE_ROOT/.lock"
    flock -n "$lock" || { guest_log "waiting for another build of the guest"; flock "$lock"; }
    [ -f "$GUEST_DIR/root.img" ] || guest_build
    exec {lock}>&-
}

# Runs one build step with its output in the build log.
guest_step() {
    local what="$1"
    shift
    guest_log "$what"
    "$@" >>"$guest_build_log" 2>&1 && return 0
    tail -n 25 "$guest_build_log" | sed 's/^/guest: /' >&"$guest_err"
    guest_die "$what failed; the whole log: $guest_build_log"
}

guest_in_chroot() {
    env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LC_ALL=C DEBIAN_FRONTEND=noninteractive \
        chroot "$guest_chroot_root" "$@"
}

guest_apt_install() {
    guest_in_chroot apt-get install -y -q --no-install-recommends "$@"
}

guest_build() {
    local work="$GUEST_DIR.part"
    local root="$work/root"
    guest_t0=$SECONDS
    guest_remove_tree "$work"
    mkdir -p "$root"
    guest_build_log="$work/build.log"
    guest_step "debootstrap, first stage" \
        debootstrap --arch=i386 --variant=minbase --foreign "$GUEST_SUITE" "$root" "$GUEST_MIRROR"
    guest_binfmt_on
    guest_chroot_root="$root"
    guest_step "debootstrap, second stage" guest_in_chroot /debootstrap/debootstrap --second-stage
    guest_mount_chroot
    guest_step "apt-get update" guest_in_chroot apt-get update -q
    guest_step "initramfs-tools" guest_apt_install initramfs-tools
    guest_configure "$root"
    guest_step "kernel and initrd" guest_apt_install "$GUEST_KERNEL_PACKAGE"
    guest_step "guest packages" guest_apt_install "${GUEST_PACKAGES[@]}"
    guest_in_chroot apt-get clean
    guest_umount_chroot
    guest_binfmt_off
    if ! cp "$root"/boot/vmlinuz-* "$work/vmlinuz" || ! cp "$root"/boot/initrd.img-* "$work/initrd.img"; then
        guest_die "no kernel or initrd in $root/boot"
    fi
    install -m 755 "$GUEST_INIT" "$root$GUEST_INIT_PATH"
    guest_step "disk image" guest_make_disk "$root" "$work/root.img"
    guest_remove_tree "$root"
    guest_step "wine prefix (wineboot)" guest_make_prefix "$work"
    mv "$work" "$GUEST_DIR"
    guest_log "ready: $GUEST_DIR"
}

guest_configure() {
    local root="$1"
    printf 'MODULES=list\nRESUME=none\n' >"$root/etc/initramfs-tools/conf.d/sorvane"
    printf '%s\n' "${GUEST_INITRD_MODULES[@]}" >>"$root/etc/initramfs-tools/modules"
    echo sorvane-guest >"$root/etc/hostname"
}

guest_make_disk() {
    truncate -s "$GUEST_IMAGE_SIZE" "$2" && mkfs.ext4 -q -F -L sorvane-root -d "$1" "$2"
}

# Run once in the guest with the disk writable, so that no later run pays wineboot.
guest_prefix_script() {
    cat <<'EOF'
wineboot -i && wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f &&
    wineserver -w && test -f "$WINEPREFIX/system.reg"
EOF
}

guest_make_prefix() {
    local share
    share="$(mktemp -d)"
    guest_prefix_script >"$share/make-prefix.sh"
    guest_boot "$1" "$share" "$GUEST_PREFIX_TIMEOUT" writable sh ./make-prefix.sh
    local rc=$?
    rm -rf "$share"
    [ $rc -eq 0 ] || return $rc
    # The guest powers off without unmounting; replay the journal here once
    # rather than in every later boot. 1 means it did.
    e2fsck -fy "$1/root.img"
    [ $? -le 1 ]
}

# Mounts inside a tree: a build that was killed leaves its chroot's behind.
guest_mounts_in() {
    awk -v d="$1" '$2 == d || index($2, d "/") == 1 { print $2 }' /proc/self/mounts
}

# Unmounts what a killed build left, and never deletes through a mount.
guest_remove_tree() {
    [ -e "$1" ] || return 0
    guest_mounts_in "$1" | sort -r | xargs -r -n1 umount
    [ -z "$(guest_mounts_in "$1")" ] || guest_die "$1 still has mounts inside that cannot be unmounted"
    rm -rf "$1"
}

guest_mount_chroot() {
    local root="$guest_chroot_root"
    mountpoint -q "$root/proc" || mount -t proc proc "$root/proc" || guest_die "cannot mount proc in $root"
    mountpoint -q "$root/sys" || mount -t sysfs sys "$root/sys" || guest_die "cannot mount sysfs in $root"
    mountpoint -q "$root/dev" || mount --bind /dev "$root/dev" || guest_die "cannot bind /dev in $root"
}

guest_umount_chroot() {
    local root="$guest_chroot_root" m
    [ -n "$root" ] || return 0
    for m in dev sys proc; do
        mountpoint -q "$root/$m" && umount "$root/$m"
    done
    guest_chroot_root=""
}

# Lets the chroot's i386 programs run through qemu-user; F opens the interpreter
# now, so the chroot needs no copy of it.
guest_binfmt_on() {
    if [ ! -e "$GUEST_BINFMT_DIR/register" ]; then
        mount -t binfmt_misc binfmt_misc "$GUEST_BINFMT_DIR" 2>/dev/null ||
            guest_die "binfmt_misc cannot be mounted on $GUEST_BINFMT_DIR, so i386 programs cannot run here"
        guest_binfmt_mounted=1
    fi
    [ -e "$GUEST_BINFMT_DIR/$GUEST_BINFMT_NAME" ] && echo -1 >"$GUEST_BINFMT_DIR/$GUEST_BINFMT_NAME"
    printf '%s' ":$GUEST_BINFMT_NAME:M::$GUEST_ELF32_MAGIC:$GUEST_ELF32_MASK:$GUEST_QEMU_USER:F" \
        >"$GUEST_BINFMT_DIR/register" 2>/dev/null ||
        guest_die "binfmt_misc refused the i386 registration for $GUEST_QEMU_USER"
    guest_binfmt_registered=1
}

guest_binfmt_off() {
    if [ -n "$guest_binfmt_registered" ] && [ -e "$GUEST_BINFMT_DIR/$GUEST_BINFMT_NAME" ]; then
        echo -1 >"$GUEST_BINFMT_DIR/$GUEST_BINFMT_NAME"
    fi
    guest_binfmt_registered=""
    [ -n "$guest_binfmt_mounted" ] && umount "$GUEST_BINFMT_DIR"
    guest_binfmt_mounted=""
}

# guest_boot IMAGE_DIR SHARE_DIR TIMEOUT snapshot|writable COMMAND [ARGS...]
# Boots the image with SHARE_DIR as the command's working folder; the command's
# stdout and stderr arrive here live over the second and third serial ports, its
# exit code through a second share. Returns that exit code. The ports end in
# FIFOs copied by cat onto this shell's own descriptors: qemu reopening
# /proc/self/fd/1 would write past a redirected file's offset, not at it.
guest_boot() {
    local image="$1" share="$2" limit="$3" mode="$4"
    shift 4
    guest_run_dir="$(mktemp -d)"
    local ctl="$guest_run_dir/ctl" console="$guest_run_dir/console.log"
    mkdir "$ctl"
    mkfifo "$guest_run_dir/out" "$guest_run_dir/err"
    cat "$guest_run_dir/out" &
    guest_cat_pids=($!)
    cat "$guest_run_dir/err" >&2 &
    guest_cat_pids+=($!)
    printf '%s\0' "${GUEST_COMMAND_PREFIX[@]}" "$@" >"$ctl/argv"
    local args=("${GUEST_QEMU_ARGS[@]}"
        -kernel "$image/vmlinuz" -initrd "$image/initrd.img" -append "$GUEST_KERNEL_ARGS"
        -drive "file=$image/root.img,format=raw,if=virtio"
        -virtfs "local,path=${share//,/,,},mount_tag=share,$GUEST_SHARE_OPTIONS"
        -virtfs "local,path=$ctl,mount_tag=ctl,$GUEST_SHARE_OPTIONS"
        -chardev "file,id=console,path=$console"
        -chardev "file,id=out,path=$guest_run_dir/out"
        -chardev "file,id=err,path=$guest_run_dir/err"
        -serial chardev:console -serial chardev:out -serial chardev:err)
    [ "$mode" = snapshot ] && args+=(-snapshot)
    timeout -k "$GUEST_KILL_GRACE" "$limit" "$GUEST_QEMU" "${args[@]}" </dev/null &
    guest_qemu_pid=$!
    wait "$guest_qemu_pid"
    local qemu_rc=$?
    guest_qemu_pid=""
    if [ "$qemu_rc" -eq 124 ] || [ "$qemu_rc" -eq 137 ]; then
        guest_tell_console "$console"
        guest_die "no result within ${limit}s; qemu was killed"
    fi
    if [ ! -f "$ctl/rc" ]; then
        guest_tell_console "$console"
        guest_die "the guest ended without the command's exit code (qemu exited $qemu_rc)"
    fi
    # qemu has closed the FIFOs, so both copies end once they have passed on the rest.
    wait "${guest_cat_pids[@]}"
    guest_cat_pids=()
    local rc
    rc="$(cat "$ctl/rc")"
    rm -rf "$guest_run_dir"
    guest_run_dir=""
    return "$rc"
}

guest_tell_console() {
    echo "guest: the console's last lines:" >&"$guest_err"
    tail -n 30 "$1" | sed 's/^/guest: /' >&"$guest_err"
}

# guest_run DIR COMMAND [ARGS...]
guest_run() {
    local dir="$1"
    shift
    [ -d "$dir" ] || guest_die "not a folder: $dir"
    dir="$(cd "$dir" && pwd)"
    guest_ensure
    guest_boot "$GUEST_DIR" "$dir" "$GUEST_RUN_TIMEOUT" snapshot "$@"
}

# On any exit: no qemu left running, no chroot mounts, binfmt_misc as found.
guest_cleanup() {
    if [ -n "$guest_qemu_pid" ]; then
        kill "$guest_qemu_pid" 2>/dev/null
        wait "$guest_qemu_pid" 2>/dev/null
        echo "guest: stopped the emulator" >&2
    fi
    [ ${#guest_cat_pids[@]} -gt 0 ] && kill "${guest_cat_pids[@]}" 2>/dev/null
    guest_umount_chroot
    guest_binfmt_off
    [ -n "$guest_run_dir" ] && rm -rf "$guest_run_dir"
}
