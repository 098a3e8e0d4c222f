#!/usr/bin/python3
"""Disc images of every volume type made by `tvo disc-image`, read back file by file by
outside readers: 7z, isoinfo and isovfy, xorriso, udfinfo and pycdlib.

usage: outside_readers_test.py TVO              (TARVO_SLOW_TESTS=1 adds a sparse 5 GiB file)
       outside_readers_test.py --wine TVO.EXE   (through $TARVO_WINE; host paths as Z:)
"""
import hashlib
import os
import re
import subprocess
import sys
import tempfile
from collections import Counter

import pycdlib

WINE = sys.argv[1] == "--wine"
TVO = sys.argv[-1]
SLOW = os.environ.get("TARVO_SLOW_TESTS") == "1"
HUGE = 5 << 30
failures = []


def check(ok, what):
    print(("ok   " if ok else "FAIL ") + what, flush=True)
    if not ok:
        failures.append(what)


def digest_stream(read):
    h, size = hashlib.sha256(), 0
    for chunk in iter(lambda: read(1 << 20), b""):
        h.update(chunk)
        size += len(chunk)
    return size, h.hexdigest()


def digest_file(path):
    with open(path, "rb") as f:
        return digest_stream(f.read)


def make_tree(root):
    files = {
        "readme.txt": b"plain text\r\n",
        "empty.dat": b"",
        "noext": os.urandom(100),
        "Données/naïve café.txt": "élan".encode(),
        "Données/日本語のファイル.txt": os.urandom(3000),
        "Ordner/tief/tiefer/am tiefsten/deep.bin": os.urandom(70000),
        "Ordner/Sub.Dir/x.y.z.txt": b"dots",
        "Ordner/big.dat": os.urandom(3 * 1024 * 1024 + 5),
        "L" * 70 + " long name.txt": os.urandom(2049),
        "Mixed Case.TXT": b"a",
        "mixed case!.txt": b"b",
    }
    for rel, data in files.items():
        path = os.path.join(root, rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)
    if SLOW:  # sparse, with marks at both ends and across the 4 GiB line
        with open(os.path.join(root, "Ordner/huge.bin"), "wb") as f:
            for at, mark in ((0, b"head"), ((4 << 30) - 2, b"four-gib"), (HUGE - 4, b"tail")):
                f.seek(at)
                f.write(mark)
    expected = {}
    for dirpath, _, names in os.walk(root):
        for n in names:
            full = os.path.join(dirpath, n)
            expected[os.path.relpath(full, root)] = digest_file(full)
    folders = sum(len(d) for _, d, _ in os.walk(root))
    return expected, folders


def walk_digests(root):
    out = {}
    for dirpath, _, names in os.walk(root):
        for n in names:
            full = os.path.join(dirpath, n)
            out[os.path.relpath(full, root)] = digest_file(full)
    return out


def same_files(found, expected, exact):
    """exact: names as in the source; otherwise (ISO 9660 names) the same contents."""
    if exact:
        return found == expected
    return Counter(found.values()) == Counter(expected.values())


def run(args, **kw):
    return subprocess.run(args, capture_output=True, **kw)


def check_7z(img, work, expected, exact):
    out = os.path.join(work, "7z")
    r = run(["7z", "x", "-y", "-o" + out, img])
    check(r.returncode == 0 and same_files(walk_digests(out), expected, exact), "7z x")
    run(["rm", "-rf", out])


ISO_EXTENT = 0xFFFFF800  # the largest extent of one ISO 9660 directory record


def isoinfo_files(img, joliet):
    """Files by name, and the record count of each file stored in several extents: isoinfo
    lists such a file once per record and extracts only its last extent."""
    flags = ["-J", "-j", "iso8859-1"] if joliet else []
    listing = Counter(filter(None, run(["isoinfo", "-i", img, "-f"] + flags).stdout.split(b"\n")))
    found, records = {}, {}
    for path, count in listing.items():
        name = path.decode("latin-1").lstrip("/")
        if not joliet and not name.endswith(";1"):
            continue  # a folder
        if count > 1:
            records[name.removesuffix(";1")] = count
            continue
        r = subprocess.Popen(["isoinfo", "-i", img, "-x", path] + flags, stdout=subprocess.PIPE)
        found[name.removesuffix(";1")] = digest_stream(r.stdout.read)
        r.wait()
    return found, records


def check_isoinfo(img, expected, joliet):
    r = run(["isoinfo", "-i", img, "-l"] + (["-J"] if joliet else []))
    check(r.returncode == 0, "isoinfo -l" + (" -J" if joliet else ""))
    found, records = isoinfo_files(img, joliet)
    huge = {k: v for k, v in expected.items() if v[0] > ISO_EXTENT}
    check(sorted(records.values()) == sorted(-(-v[0] // ISO_EXTENT) for v in huge.values()),
          "isoinfo -f, records of files over 4 GiB")
    expected = {k: v for k, v in expected.items() if k not in huge}
    if not joliet:
        check(same_files(found, expected, False), "isoinfo -x, ISO 9660 tree")
        return
    # isoinfo prints Joliet names in a single-byte charset: names within Latin-1 must
    # match exactly, the rest by contents.
    def latin1(name):
        try:
            name.encode("latin-1")
            return True
        except UnicodeEncodeError:
            return False
    for f in [f for f in found if f not in expected and any(e.startswith(f + "/") for e in expected)]:
        found.pop(f)  # a folder
    exact = {k: v for k, v in expected.items() if latin1(k)}
    check(all(found.get(k) == v for k, v in exact.items()), "isoinfo -J -x, names within Latin-1")
    check(Counter(found.values()) == Counter(expected.values()), "isoinfo -J -x, all contents")


def check_isovfy(img):
    text = run(["isovfy", img]).stdout.decode("latin-1")
    # isovfy lists each record of a multi-extent file (flag 0x80) as unknown to it.
    problems = [l for l in text.splitlines()[2:] if l.strip() and "No errors found" not in l
                and "Flags=(80)" not in l]
    check(not problems, "isovfy " + "; ".join(problems[:3]))


def check_xorriso(img, src, work, expected, exact):
    if exact:
        r = run(["xorriso", "-indev", img, "-compare_r", src, "/"])
        text = (r.stdout + r.stderr).decode("utf-8", "replace")
        diffs = [l for l in text.splitlines() if "(DISK)" in l or "(ISO)" in l]
        # Modes are not recorded without Rock Ridge; only the root, which no source
        # folder stands for, may differ in its times.
        bad = [l for l in diffs if "st_mode" not in l and not l.startswith("d '%s' " % src)]
        check(not bad, "xorriso -compare_r " + "; ".join(bad[:3]))
    else:
        out = os.path.join(work, "xo")
        r = run(["xorriso", "-osirrox", "on", "-indev", img, "-extract", "/", out])
        run(["chmod", "-R", "u+rwx", out])
        check(r.returncode == 0 and same_files(walk_digests(out), expected, False), "xorriso -extract")
        run(["rm", "-rf", out])


def check_udfinfo(img, expected, folders):
    r = run(["udfinfo", img])
    info = dict(re.findall(r"^(\w+)=(.*)$", r.stdout.decode("utf-8", "replace"), re.M))
    check(r.returncode == 0 and info.get("numfiles") == str(len(expected))
          and info.get("numdirs") == str(folders + 1) and info.get("label") == "Tarvo Test Disc",
          "udfinfo (%s files, %s folders)" % (info.get("numfiles"), info.get("numdirs")))


class Digest:
    def __init__(self):
        self.h, self.size = hashlib.sha256(), 0

    def write(self, data):
        self.h.update(data)
        self.size += len(data)


def udf_allocations_digest(iso, img, path):
    """The file's bytes through the allocations pycdlib parsed from its UDF file entry."""
    rec = iso.get_record(udf_path=path)
    start = iso.udf_main_descs.partitions[0].part_start_location
    h, size = hashlib.sha256(), 0
    with open(img, "rb") as f:
        for ad in rec.alloc_descs:
            f.seek((start + ad.log_block_num) * 2048)
            left = ad.extent_length
            while left:
                chunk = f.read(min(left, 1 << 20))
                h.update(chunk)
                size += len(chunk)
                left -= len(chunk)
    return (size, h.hexdigest()) if size == rec.get_data_length() else (size, "length differs")


def check_pycdlib(img, expected, kind):
    iso = pycdlib.PyCdlib()
    iso.open(img)
    found = {}
    for root, _, names in iso.walk(**{kind + "_path": "/"}):
        for n in names:
            path = root.rstrip("/") + "/" + n
            key = path.lstrip("/").removesuffix(";1")
            if kind == "udf" and iso.get_record(udf_path=path).get_data_length() > ISO_EXTENT:
                # pycdlib hands out such a file only as far as the first extent of the ISO
                # 9660 record that shares its data.
                found[key] = udf_allocations_digest(iso, img, path)
                continue
            d = Digest()
            iso.get_file_from_iso_fp(d, **{kind + "_path": path})
            found[key] = (d.size, d.h.hexdigest())
    iso.close()
    check(same_files(found, expected, kind != "iso"), "pycdlib " + kind + " path")


def tvo_command(src, img):
    if not WINE:
        return [TVO, "disc-image", src, img]
    def z(path):
        return "Z:" + os.path.abspath(path).replace("/", "\\")
    return [os.environ["TARVO_WINE"], TVO, "disc-image", z(src), z(img)]


def main():
    with tempfile.TemporaryDirectory() as work:
        src = os.path.join(work, "src")
        os.makedirs(src)
        expected, folders = make_tree(src)
        for vtype in (1, 3, 4, 5, 7):
            print("volume type %d" % vtype, flush=True)
            img = os.path.join(work, "t%d.iso" % vtype)
            r = run(tvo_command(src, img) + ["--type", str(vtype), "--label", "Tarvo Test Disc"])
            check(r.returncode == 0, "tvo disc-image " + r.stderr.decode())
            iso, joliet, udf = vtype & 1, vtype & 2, vtype & 4
            real_names = bool(joliet or udf)
            check_7z(img, work, expected, real_names)
            if iso:
                check_isoinfo(img, expected, False)
                check_isovfy(img)
                check_xorriso(img, src, work, expected, bool(joliet))
                check_pycdlib(img, expected, "iso")
            if joliet:
                check_isoinfo(img, expected, True)
                check_pycdlib(img, expected, "joliet")
            if udf:
                check_udfinfo(img, expected, folders)
                if iso:  # pycdlib opens only images with an ISO 9660 volume descriptor
                    check_pycdlib(img, expected, "udf")
            os.remove(img)
    if failures:
        print("%d check(s) failed" % len(failures))
        return 1
    print("all checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
