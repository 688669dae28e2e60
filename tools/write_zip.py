"""Zips a folder the same way every time: the folder itself as the zip's
one top entry, then everything under it in byte order of the paths, each
entry dated SOURCE_DATE_EPOCH (UTC), with mode 0755 for folders and
executables and 0644 for other files, deflated at level 9, with no extra
fields. Same files in, same bytes out.
  SOURCE_DATE_EPOCH=... python3 tools/write_zip.py FOLDER OUTPUT.zip"""

import os
import stat
import sys
import time
import zipfile

DOS_EPOCH, DOS_END = 315532800, 4354819199  # 1980-01-01 and 2107-12-31, what a zip can date


def entry(name, epoch, mode):
    info = zipfile.ZipInfo(name, time.gmtime(min(max(epoch, DOS_EPOCH), DOS_END))[:6])
    info.create_system = 3  # Unix, so that the modes are read
    info.external_attr = mode << 16
    return info


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: SOURCE_DATE_EPOCH=SECONDS write_zip.py FOLDER OUTPUT.zip")
    folder, output = sys.argv[1], sys.argv[2]
    epoch = os.environ.get("SOURCE_DATE_EPOCH", "")
    if not epoch.isdigit():
        sys.exit(f"write_zip.py: SOURCE_DATE_EPOCH must be a whole number of seconds, not {epoch!r}")
    if not os.path.isdir(folder):
        sys.exit(f"write_zip.py: no folder {folder}")
    top = os.path.basename(os.path.normpath(folder))
    paths = []
    for parent, folders, files in os.walk(folder):
        for name in folders + files:
            paths.append(os.path.relpath(os.path.join(parent, name), folder))
    with zipfile.ZipFile(output, "w") as archive:
        archive.writestr(entry(top + "/", int(epoch), stat.S_IFDIR | 0o755), b"")
        for path in sorted(paths, key=lambda p: p.encode()):
            full = os.path.join(folder, path)
            name = top + "/" + path.replace(os.sep, "/")
            if os.path.isdir(full):
                archive.writestr(entry(name + "/", int(epoch), stat.S_IFDIR | 0o755), b"")
                continue
            executable = os.stat(full).st_mode & stat.S_IXUSR
            info = entry(name, int(epoch), stat.S_IFREG | (0o755 if executable else 0o644))
            info.compress_type = zipfile.ZIP_DEFLATED
            with open(full, "rb") as f:
                archive.writestr(info, f.read(), compresslevel=9)


if __name__ == "__main__":
    main()
