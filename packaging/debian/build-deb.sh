#!/usr/bin/env bash
# Builds kelmora_<version>_amd64.deb from a Linux build tree:
#
#   build-deb.sh VERSION BUILD_DIR OUT_DIR
#
# The programs, the desktop entry and the icons come from the build's own
# install rules (prefix /usr); this adds what only the Debian package has:
# the service, its conffiles (the configuration, the event log's logrotate
# rule), the documentation, the maintainer scripts and the control file,
# whose Depends come from the shared libraries the programs actually use
# (dpkg-shlibdeps).
set -euo pipefail

if [ $# -ne 3 ]; then
    echo "usage: $0 VERSION BUILD_DIR OUT_DIR" >&2
    exit 2
fi
version=$1
build=$(cd "$2" && pwd)
mkdir -p "$3"
out=$(cd "$3" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(cd "$here/../.." && pwd)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root=$work/root
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git -C "$source_dir" log -1 --format=%ct 2>/dev/null || date +%s)}

DESTDIR=$root cmake --install "$build" --prefix /usr >/dev/null
# As dh_strip does it: no debugging data, no compiler notes.
strip --remove-section=.comment --remove-section=.note "$root"/usr/bin/*
gzip -9n "$root"/usr/share/man/man1/*.1 "$root"/usr/share/man/man5/*.5

install -D -m 0644 "$here/kelmora.ini" "$root/etc/kelmora/kelmora.ini"
install -D -m 0644 "$here/kelmora.logrotate" "$root/etc/logrotate.d/kelmora"
install -D -m 0644 "$here/kelmora.service" "$root/lib/systemd/system/kelmora.service"
doc=$root/usr/share/doc/kelmora
install -D -m 0644 "$here/copyright" "$doc/copyright"
install -D -m 0644 "$source_dir/README.md" "$doc/README.md"
sed -e "s/@VERSION@/$version/g" -e "s/@DATE@/$(date -R -u -d "@$SOURCE_DATE_EPOCH")/" \
    "$here/changelog.in" | gzip -9n >"$doc/changelog.gz"

# Depends from the programs' shared libraries; dpkg-shlibdeps reads the
# source package's control file, which a binary-only build has to make up.
mkdir -p "$work/src/debian"
printf 'Source: kelmora\n\nPackage: kelmora\nArchitecture: amd64\n' >"$work/src/debian/control"
shlibs=$(cd "$work/src" && dpkg-shlibdeps -O "$root/usr/bin/kelmora" "$root/usr/bin/tobrin-sim" |
    sed -n 's/^shlibs:Depends=//p')
[ -n "$shlibs" ] || { echo "build-deb: dpkg-shlibdeps found no libraries" >&2; exit 1; }

find "$root" -type d -exec chmod 0755 {} +
find "$root" -type f -exec chmod go-w {} +
mkdir -p "$root/DEBIAN"
installed_size=$(du -sk --apparent-size "$root" | cut -f1)
sed -e "s/@VERSION@/$version/" -e "s/@INSTALLED_SIZE@/$installed_size/" -e "s/@SHLIBS@/$shlibs/" \
    "$here/control.in" >"$root/DEBIAN/control"
printf '%s\n' /etc/kelmora/kelmora.ini /etc/logrotate.d/kelmora >"$root/DEBIAN/conffiles"
for script in postinst prerm postrm; do
    install -m 0755 "$here/$script" "$root/DEBIAN/$script"
done
(cd "$root" && find . -path ./DEBIAN -prune -o -type f -printf '%P\0' | sort -z |
    xargs -0 md5sum) >"$root/DEBIAN/md5sums"
chmod 0644 "$root/DEBIAN/control" "$root/DEBIAN/conffiles" "$root/DEBIAN/md5sums"
# Every file stamped with the commit's time, so one commit gives one package.
find "$root" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +

deb=$out/kelmora_${version}_amd64.deb
dpkg-deb --root-owner-group -Zxz --build "$root" "$deb" >/dev/null
echo "build-deb: $deb ($(du -k "$deb" | cut -f1) KiB)"
