# A clean Debian 12 root made with debootstrap, for the scripts that check the project the way a
# new machine meets it. Sourced by them, not run; needs root.
#
# The bare root is made once and kept as a tarball in the user's cache folder, outside every
# checkout, and the .deb files that runs inside it download are kept beside it: a later run
# unpacks the root in seconds and fetches only what changed since.

debian_cache=${XDG_CACHE_HOME:-$HOME/.cache}/lettermorph
debian_base=$debian_cache/debian-12-minbase.tar.gz
debian_debs=$debian_cache/debian-12-debs
# A month-old base still works, but a newcomer's machine has this month's packages.
debian_base_days=30

# The host's own Debian mirror, or the main one.
debian_mirror() {
  local mirror
  mirror=$(grep -hsE '^(URIs:|deb )' /etc/apt/sources.list /etc/apt/sources.list.d/* |
             grep -oE 'https?://[^ ]+/debian/?( |$)' | head -n 1 | tr -d ' ' || true)
  echo "${mirror:-http://deb.debian.org/debian}"
}

# Makes the tarball of a bare minimal root, unless a recent one is there. Runs side by side are
# safe: each makes its own and the last to finish puts it in place.
debian_base_tarball() {
  if [ -f "$debian_base" ] && [ -z "$(find "$debian_base" -mtime +"$debian_base_days")" ]; then
    return 0
  fi
  mkdir -p "$debian_cache"
  local work mirror
  # What a run killed while making the base left behind.
  for work in $(find "$debian_cache" -maxdepth 1 -name 'base.*' -mtime +0); do
    debian_root_remove "$work/root"
    rm -rf "$work"
  done
  work=$(mktemp -d "$debian_cache/base.XXXXXX")
  mirror=$(debian_mirror)
  echo "making a bare Debian 12 root with debootstrap from $mirror"
  if ! debootstrap --variant=minbase bookworm "$work/root" "$mirror" \
      >"$work/debootstrap.log" 2>&1; then
    tail -n 20 "$work/debootstrap.log" >&2
    debian_root_remove "$work/root"
    rm -rf "$work"
    return 1
  fi
  tar -C "$work/root" --numeric-owner -czf "$work/base.tar.gz" .
  mv "$work/base.tar.gz" "$debian_base"
  debian_root_remove "$work/root"
  rm -rf "$work"
}

# Unpacks the bare root into ROOT, a folder that must not exist yet, and makes it usable:
# network names from the host, and the kept .deb files where apt looks for them first. With
# IN_MEMORY set, ROOT is a tmpfs, where installing and removing thousands of files takes seconds
# rather than the minutes a slow disk may take.
debian_root_unpack() {
  local root=$1 in_memory=${2:-}
  mkdir "$root"
  [ -n "$in_memory" ] && mount -t tmpfs -o mode=755,size="$in_memory" debian-root "$root"
  tar -C "$root" --numeric-owner -xzf "$debian_base"
  cp /etc/resolv.conf "$root/etc/resolv.conf"
  debian_debs_copy "$debian_debs" "$root/var/cache/apt/archives"
}

# Mounts in ROOT what a running system has: its processes, the kernel's objects, and a /dev
# of its own with terminals and shared memory. /dev is a fresh tmpfs rather than the host's,
# so that nothing done inside, nor a careless removal of the root, can touch the host's devices.
debian_root_mount() {
  local root=$1
  mount -t proc proc "$root/proc"
  mount -t sysfs -o ro sysfs "$root/sys"
  mount -t tmpfs -o mode=755,nosuid dev "$root/dev"
  local node name major minor
  for node in null:1:3 zero:1:5 full:1:7 random:1:8 urandom:1:9 tty:5:0; do
    IFS=: read -r name major minor <<<"$node"
    mknod -m 666 "$root/dev/$name" c "$major" "$minor"
  done
  mkdir "$root/dev/pts" "$root/dev/shm"
  mount -t devpts -o newinstance,ptmxmode=0666,mode=620,gid=5 devpts "$root/dev/pts"
  ln -s pts/ptmx "$root/dev/ptmx"
  mount -t tmpfs -o mode=1777,nosuid,nodev shm "$root/dev/shm"
  ln -s /proc/self/fd "$root/dev/fd"
  ln -s /proc/self/fd/0 "$root/dev/stdin"
  ln -s /proc/self/fd/1 "$root/dev/stdout"
  ln -s /proc/self/fd/2 "$root/dev/stderr"
}

# What a command run in the root starts with: root's fresh login, and apt that asks nothing.
debian_root_environment=(/usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root
                         LANG=C.UTF-8 TERM="${TERM:-dumb}" DEBIAN_FRONTEND=noninteractive)

# Runs a command in ROOT as root.
debian_root_run() {
  local root=$1
  shift
  chroot "$root" "${debian_root_environment[@]}" "$@"
}

# The mount points at or below PATH, the most recent first, as /proc/self/mountinfo lists them
# with its octal escapes undone.
mounts_under() {
  local path=$1 point
  while read -r _ _ _ _ point _; do
    point=$(printf '%b' "$point")
    [[ $point == "$path" || $point == "$path"/* ]] && printf '%s\n' "$point"
  done </proc/self/mountinfo | tac
}

# Ends every process whose root is ROOT, unmounts everything below it, then removes it. Safe on
# a root left behind by a run that was killed, and on one that never existed.
debian_root_remove() {
  local root=$1
  [ -e "$root" ] || return 0
  root=$(cd "$root" && pwd -P)
  local signal process found
  for signal in TERM KILL; do
    found=
    for process in /proc/[0-9]*; do
      if [ "$(readlink "$process/root" 2>/dev/null)" = "$root" ]; then
        kill -s "$signal" "${process#/proc/}" 2>/dev/null && found=yes
      fi
    done
    [ -z "$found" ] && break
    sleep 1
  done
  local point
  while read -r point; do
    umount "$point" 2>/dev/null || umount -l "$point"
  done < <(mounts_under "$root")
  rm -rf --one-file-system "$root"
}

# Copies the .deb files of FROM that TO lacks, as hard links where both are on one file system.
# A copy is made under another name and renamed, so that no run sees half a file.
debian_debs_copy() {
  local from=$1 to=$2 deb
  mkdir -p "$to"
  for deb in "$from"/*.deb; do
    [ -f "$deb" ] && [ ! -e "$to/${deb##*/}" ] || continue
    ln "$deb" "$to/" 2>/dev/null ||
      { cp "$deb" "$to/.${deb##*/}.part" && mv "$to/.${deb##*/}.part" "$to/${deb##*/}"; }
  done
}

# Keeps for later runs the .deb files that a run in ROOT downloaded, and drops the older versions
# of those packages, so that the cache does not pile up versions no longer current.
debian_debs_keep() {
  local archives=$1/var/cache/apt/archives deb name
  mkdir -p "$debian_debs"
  debian_debs_copy "$archives" "$debian_debs"
  for deb in "$debian_debs"/*.deb; do
    name=${deb##*/}
    if [ -f "$deb" ] && [ ! -e "$archives/$name" ] &&
        compgen -G "$archives/${name%%_*}_*.deb" >/dev/null; then
      rm -f "$deb"
    fi
  done
  return 0
}
