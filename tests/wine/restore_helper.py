#!/usr/bin/env python3
"""Host-side helpers of the Wine restore test: the seeded profiles, damaged and hostile
archives, and the comparison of a restored profile with its source."""
import re
import sys
import zipfile

PROFILES = r"HKEY_CURRENT_USER\Software\Microsoft\Windows NT\CurrentVersion\Windows Messaging Subsystem\Profiles"
ACCOUNTS = "9375CFF0413111d3B88A00104B2A6676"
GLOBAL = "0a0d020000000000c000000000000046"
# The 54-byte head of a Unicode PST store entry ID, before the path.
ENTRY_HEAD = (bytes(4) + bytes.fromhex("38A1BB1005E5101AA1BB08002B2A56C2") + b"\0\0" + b"mspst.dll\0" + bytes(4)
              + bytes.fromhex("4E495441F9BFB80100AA0037D96E0000") + b"\0\0")


def wide(path):
    return path.encode("utf-16-le") + b"\0\0"


def reg_hex(data):
    return "hex:" + ",".join(f"{b:02x}" for b in data)


def reg_text(text):
    return '"' + text.replace("\\", "\\\\") + '"'


def data_section(guid, display, path):
    assert len(ENTRY_HEAD) == 54
    return [f"[{{p}}\\{guid}]", f'"001e3001"={reg_text(display)}', '"001e3d09"="MSUPST MS"',
            f'"01020fff"={reg_hex(ENTRY_HEAD + wide(path))}', f'"001f6700"={reg_hex(wide(path))}',
            f'"001e6700"={reg_text(path)}', '"00036601"=dword:00000000']


def profile_lines(name, stores, account, extra_accounts):
    lines = [f"[{{p}}]", "", f"[{{p}}\\{GLOBAL}]", f'"001e023d"={reg_text(name)}', '"1102039b"=hex:0c,00,00,00',
             '"00036601"=dword:00000000', ""]
    for guid, display, path in stores:
        lines += data_section(guid, display, path) + [""]
    lines += [f"[{{p}}\\{ACCOUNTS}]", '"LastChangeVer"=hex:05,00,00,00,00,00,00,00', "",
              f"[{{p}}\\{ACCOUNTS}\\00000002]", f'"Account Name"={reg_text(account)}',
              f'"Email"={reg_text(account)}', '"POP3 Server"="pop.example.org"', '"POP3 Port"=dword:0000006e', "",
              f"[{{p}}\\{ACCOUNTS}\\00000005]", f'"Delivery Store EntryID"={reg_hex(ENTRY_HEAD + wide(stores[0][2]))}',
              '"Service Name"="MSEMS"', ""]
    for key in extra_accounts:
        lines += [f"[{{p}}\\{ACCOUNTS}\\{key}]", f'"Account Name"={reg_text(name + " " + key)}', ""]
    prefix = PROFILES + "\\" + name
    return [line.replace("{p}", prefix) for line in lines]


def seed(out, home_dir, work_dir, home="Home", home_file="Home Mail.pst"):
    """Profiles Home (two data files) and Work (one other data file, one more account).
    Written as an ANSI REGEDIT4 file, or as UTF-8 text of a version 5 file to standard
    output when out is "-" (for names outside the ANSI code page; see write_reg_utf16)."""
    lines = ["REGEDIT4" if out != "-" else "Windows Registry Editor Version 5.00", ""]
    lines += profile_lines(home, [("8da5510c0f433a44b3a46d6e4c2b7d45", "Personal Folders", home_dir + "\\" + home_file),
                                    ("a4b6191a917cb24c9d1dbde8e620f6a8", "Archive Folders",
                                     home_dir + r"\Archive - 2010.pst")], "home@example.org", [])
    lines += profile_lines("Work", [("11112222333344445555666677778888", "Work Folders", work_dir + r"\Work Mail.pst")],
                           "work@example.org", ["00000003"])
    lines += [rf"[HKEY_CURRENT_USER\Software\Microsoft\Office\14.0\Outlook\Options\Mail]", '"EditorPreference"=dword:00020001',
              '"Send Mail Immediately"=dword:00000001', rf"[HKEY_CURRENT_USER\Software\Microsoft\Office\14.0\Outlook\Options\Calendar]",
              '"FirstDOW"=dword:00000001', ""]
    if out == "-":
        sys.stdout.write("\n".join(lines) + "\n")
        return
    with open(out, "w", encoding="latin-1", newline="\r\n") as f:
        f.write("\n".join(lines) + "\n")


def parse_query(path, root):
    """reg query /s output -> {relative key: {value name: (type, data)}}, names lower-cased."""
    keys, current = {}, None
    root = root.lower()
    with open(path, encoding="utf-8", errors="replace") as f:
        for line in f.read().splitlines():
            if line.startswith("HKEY_"):
                low = line.lower()
                if not low.startswith(root):
                    raise SystemExit(f"unexpected key {line}")
                current = keys.setdefault(low[len(root):].lstrip("\\"), {})
            elif line.startswith("    ") and current is not None:
                parts = line[4:].split("    ", 2)
                current[parts[0].lower()] = (parts[1], parts[2] if len(parts) > 2 else "")
    return keys


def repointed(keys, local_dir):
    """What the restore must make of the source profile: every data-file section pointed into
    local_dir, the ANSI path and the stale store references removed."""
    out = {k: dict(v) for k, v in keys.items()}
    for values in out.values():
        if "01020fff" not in values:
            continue
        entry = bytes.fromhex(values["01020fff"][1])
        old = entry[54:].decode("utf-16-le").split("\0")[0]
        new = local_dir + "\\" + old.rsplit("\\", 1)[-1]
        old_hex, new_hex = old.encode("utf-16-le").hex().upper(), new.encode("utf-16-le").hex().upper()
        for name in ("01020fff", "001f6700"):
            typ, data = values[name]
            values[name] = (typ, data.upper().replace(old_hex, new_hex))
        values.pop("001e6700", None)
    for key, name in ((GLOBAL, "1102039b"), (GLOBAL, "001e023d"),
                      (ACCOUNTS + "\\00000005", "delivery store entryid")):
        out.get(key.lower(), {}).pop(name, None)
    return out


def compare_profile(source_dump, source_root, target_dump, target_root, local_dir):
    want = repointed(parse_query(source_dump, source_root), local_dir)
    got = parse_query(target_dump, target_root)
    problems = []
    for key in sorted(set(want) | set(got)):
        if key not in got:
            problems.append(f"key missing: {key}")
        elif key not in want:
            problems.append(f"key left over: {key}")
        elif want[key] != got[key]:
            for name in sorted(set(want[key]) | set(got[key])):
                if want[key].get(name) != got[key].get(name):
                    problems.append(f"{key or '.'} {name}: want {want[key].get(name)} got {got[key].get(name)}")
    sections = [k for k, v in got.items() if "01020fff" in v]
    if len(sections) != 2:
        problems.append(f"expected two data-file sections, found {sections}")
    for key in sections:
        path = bytes.fromhex(got[key]["01020fff"][1])[54:].decode("utf-16-le").split("\0")[0]
        if not path.lower().startswith(local_dir.lower() + "\\"):
            problems.append(f"{key} still points at {path}")
    if problems:
        raise SystemExit("\n".join(problems))


def tamper(archive, entry_name):
    """Flips one byte in the middle of an entry's stored data."""
    with zipfile.ZipFile(archive) as z:
        info = z.getinfo(entry_name)
    with open(archive, "r+b") as f:
        f.seek(info.header_offset + 26)
        head = f.read(4)
        start = info.header_offset + 30 + int.from_bytes(head[:2], "little") + int.from_bytes(head[2:], "little")
        where = start + info.compress_size // 2
        f.seek(where)
        byte = f.read(1)[0]
        f.seek(where)
        f.write(bytes([byte ^ 0x5A]))


def record(items, lists):
    lines = ["BackupComputer=HOST", "BackupLogonUser=someone", "BackupIdentity=Home", "BackupTime=1/2/2024 10:00:00 AM",
             "Outlookversion=Outlook 2010", "BackupInformation=made by hand"]
    lines += [f"{k}={v}" for k, v in lists] + [f"BackupItem={items}"]
    return ("\r\n".join(lines) + "\r\n").encode("latin-1")


def hostile(archive):
    """An archive whose signatures list names entries that climb out of their folder."""
    with zipfile.ZipFile(archive, "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr("..\\evil.txt", b"should never be written")
        z.writestr("../evil2.txt", b"should never be written")
        z.writestr("mailvault.dat", record("00001000000", [("BackupSignatures", "..\\evil.txt;../evil2.txt")]))


def no_record(archive, items):
    """An archive with a signature but a record whose item flags have the wrong length (or none)."""
    with zipfile.ZipFile(archive, "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr("Home.htm", b"<p>hi</p>")
        if items is not None:
            z.writestr("mailvault.dat", record(items, [("BackupSignatures", "Home.htm")]))


def log_check(path, offset, target, archive, reported):
    """The restore run's log lines, byte for byte apart from the date at their start."""
    with open(path, "rb") as f:
        f.seek(int(offset))
        text = f.read().decode("latin-1")
    date = r"\d{1,2}/\d{1,2}/\d{4} \d{1,2}:\d{2}:\d{2}( [AP]M)?"
    want = [re.escape("." * 84 + "\r") + r"\r\n",
            date + re.escape(f" Start Retore Data to Profile {target}\n") + r"\r\n",
            date + re.escape(f" Restore File is {archive}\n") + r"\r\n"]
    want += [date + re.escape(f" Retore {item} {result}\n") + r"\r\n" for item, result in reported]
    want += [date + re.escape(f" Restore Data to Profile {target} was Completed!\r") + r"\r\n"]
    if not re.fullmatch("".join(want), text):
        raise SystemExit(f"log differs:\n{text!r}")


def main(argv):
    cmd, args = argv[1], argv[2:]
    if cmd == "seed":
        seed(*args)
    elif cmd == "compare-profile":
        compare_profile(*args)
    elif cmd == "tamper":
        tamper(*args)
    elif cmd == "hostile":
        hostile(*args)
    elif cmd == "no-record":
        no_record(args[0], args[1] if len(args) > 1 else None)
    elif cmd == "log-check":
        reported = [tuple(pair.split("=", 1)) for pair in args[4:]]
        log_check(args[0], args[1], args[2], args[3], reported)
    else:
        raise SystemExit(f"unknown command {cmd}")


if __name__ == "__main__":
    main(sys.argv)
