"""Debian packages fetched and unpacked into a cache folder, never installed.

Only the packages' files are wanted, so `apt-get download` and `dpkg-deb` do: nothing on the
system changes, no root is needed, and a package's dependencies (LibreOffice for its message
catalogues) are not pulled in. Each package is unpacked into a folder named after its exact
version. A package once fetched is used until the cache folder is removed, so later runs give
the same text; the versions used are recorded where the text goes.
"""
import fnmatch
import glob
import hashlib
import os
import shutil
import subprocess
import tarfile
import tempfile


class PackageCache:
    def __init__(self, folder: str):
        self.folder = os.path.abspath(folder)
        self.debs = os.path.join(self.folder, "debs")
        os.makedirs(self.debs, exist_ok=True)
        self.versions: dict[str, str] = {}
        self.roots: dict[tuple[str, tuple[str, ...]], str] = {}

    def unpacked(self, package: str, members: tuple[str, ...]) -> str:
        """A folder holding the package's files whose paths match one of `members` (shell
        patterns such as "usr/share/man/ru/*"), fetching and unpacking them when needed. Only
        those are unpacked: whole packages of pictures and programs would take half a
        gigabyte for a few megabytes of text."""
        if (package, members) in self.roots:
            return self.roots[(package, members)]
        deb = self._deb(package)
        version = _field(deb, "Version")
        self.versions[package] = version
        digest = hashlib.sha1("\n".join(members).encode()).hexdigest()[:12]
        root = os.path.join(self.folder, "root", f"{package}_{version.replace(':', '%3a')}",
                            digest)
        if not os.path.isdir(root):
            os.makedirs(os.path.dirname(root), exist_ok=True)
            # Unpacked under another name first, so that an interrupted run leaves no half.
            partial = tempfile.mkdtemp(dir=os.path.dirname(root))
            _unpack(deb, members, partial)
            os.rename(partial, root)
        self.roots[(package, members)] = root
        return root

    def _deb(self, package: str) -> str:
        found = glob.glob(os.path.join(self.debs, f"{package}_*.deb"))
        if not found:
            _download(package, self.debs)
            found = glob.glob(os.path.join(self.debs, f"{package}_*.deb"))
        if len(found) != 1:
            raise RuntimeError(f"{self.debs} holds {len(found)} files of {package}, not one")
        return found[0]


def _unpack(deb: str, members: tuple[str, ...], folder: str) -> None:
    contents = subprocess.Popen(["dpkg-deb", "--fsys-tarfile", deb], stdout=subprocess.PIPE)
    with tarfile.open(fileobj=contents.stdout, mode="r|") as archive:
        for member in archive:
            path = os.path.normpath(member.name)
            if path.startswith("..") or os.path.isabs(path):
                raise RuntimeError(f"{deb} holds a file outside its root: {member.name}")
            if any(fnmatch.fnmatchcase(path, pattern) for pattern in members):
                archive.extract(member, folder)
    if contents.wait() != 0:
        raise RuntimeError(f"dpkg-deb --fsys-tarfile {deb} failed")


def _field(deb: str, name: str) -> str:
    return subprocess.run(["dpkg-deb", "-f", deb, name], check=True, capture_output=True,
                          text=True).stdout.strip()


def _download(package: str, folder: str) -> None:
    # As root, apt hands the download to its own unprivileged user, which may not write here.
    command = ["apt-get", "-q", "download", package]
    if os.geteuid() == 0:
        command[1:1] = ["-o", "APT::Sandbox::User=root"]
    if subprocess.run(command, cwd=folder, stdout=subprocess.DEVNULL).returncode == 0:
        return
    if os.geteuid() == 0 and shutil.which("apt-get"):
        # A machine that never read the package lists knows no package yet.
        subprocess.run(["apt-get", "-q", "update"], check=True, stdout=subprocess.DEVNULL)
        subprocess.run(command, cwd=folder, check=True, stdout=subprocess.DEVNULL)
        return
    raise RuntimeError(f"apt-get download {package} failed; as root, run apt-get update first")
