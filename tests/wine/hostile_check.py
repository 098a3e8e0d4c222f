#!/usr/bin/env python3
"""Host-side part of the hostile restore test: the seeded registry, snapshots of drive_c
and of registry exports, and the judgement of what a restore changed.

  seed-reg OUT.reg TARGET BYSTANDER OPTIONS_KEY BYSTANDER_KEY
  snapshot DRIVE_C OUT.json                  every file with its digest (Wine's own folders left out)
  keep DRIVE_C OUT.json DIR...               the names directly in each watched folder
  prune DRIVE_C KEPT.json                    removes what appeared in the watched folders since
  judge BEFORE AFTER REG_BEFORE REG_AFTER EXPECT TARGET ITEMS MAY_PLACE DATA_DIR USER_DIR OWN_KEY...
      prints one line per change the case does not allow; exit 1 when there is any
"""
import hashlib
import json
import os
import shutil
import sys

from restore_helper import PROFILES, data_section, reg_text

HASH_LIMIT = 32 << 20
# Folders under drive_c that Wine itself keeps changing.
CHURN = ("windows/", "programdata/", "users/public/")
CHURN_PARTS = ("/appdata/local/temp/", "/temp/", "/appdata/local/microsoft/windows/")


def churn(rel):
    low = rel.lower() + "/"
    return low.startswith(CHURN) or any(part in "/" + low for part in CHURN_PARTS)


def digest(path):
    st = os.lstat(path)
    if os.path.islink(path):
        return "link:" + os.readlink(path)
    if st.st_size > HASH_LIMIT:
        return f"size:{st.st_size}:{st.st_mtime_ns}"
    with open(path, "rb") as f:
        return f"{st.st_size}:" + hashlib.sha256(f.read()).hexdigest()


def snapshot(drive_c, out):
    files = {}
    for top, dirs, names in os.walk(drive_c):
        rel_top = os.path.relpath(top, drive_c)
        rel_top = "" if rel_top == "." else rel_top + "/"
        dirs[:] = [d for d in dirs if not churn(rel_top + d) and not os.path.islink(os.path.join(top, d))]
        for d in dirs:
            files[rel_top + d + "/"] = "dir"
        for n in names:
            if not churn(rel_top + n):
                files[rel_top + n] = digest(os.path.join(top, n))
    with open(out, "w") as f:
        json.dump(files, f)


def keep(drive_c, out, dirs):
    kept = {d: sorted(os.listdir(os.path.join(drive_c, d))) if os.path.isdir(os.path.join(drive_c, d)) else None
            for d in dirs}
    with open(out, "w") as f:
        json.dump(kept, f)


def prune(drive_c, kept_file):
    with open(kept_file) as f:
        kept = json.load(f)
    # Deepest first, so a folder that did not exist goes after what it holds.
    for d in sorted(kept, key=len, reverse=True):
        path = os.path.join(drive_c, d)
        if kept[d] is None:
            shutil.rmtree(path, ignore_errors=True)
            continue
        for name in os.listdir(path) if os.path.isdir(path) else []:
            if name not in kept[d]:
                victim = os.path.join(path, name)
                if os.path.isdir(victim) and not os.path.islink(victim):
                    shutil.rmtree(victim, ignore_errors=True)
                else:
                    os.remove(victim)


def seed_reg(out, target, bystander, options_key, bystander_key):
    work = f"{PROFILES}\\{target}"
    # Each import first deletes what the last case left.
    lines = ["REGEDIT4", ""] + [f"[-{key}]" for key in (work, f"{PROFILES}\\{bystander}", options_key, bystander_key)]
    lines += [""]
    lines += [l.replace("{p}", work) for l in data_section("8da5510c0f433a44b3a46d6e4c2b7d45", "Personal Folders",
                                                            "C:\\mail\\Home.pst")] + [""]
    pab = reg_text("C:\\mail\\Contacts.pab")
    lines += [f"[{work}\\c8a2f2e6b2a8d14a9c0e1f5b4d3a2c10]", f'"001e6600"={pab}', ""]
    lines += [f"[{work}\\9375CFF0413111d3B88A00104B2A6676]", '"Account Name"="old"', ""]
    lines += [f"[{work}\\0a0d020000000000c000000000000046]", f'"001e023d"={reg_text(target)}', ""]
    lines += [f"[{PROFILES}\\{bystander}\\9375CFF0413111d3B88A00104B2A6676]", '"Account Name"="home"', ""]
    lines += [f"[{options_key}]", '"Keep"=dword:00000001', ""]
    lines += [f"[{bystander_key}]", '"Keep"="yes"', ""]
    with open(out, "w", newline="\r\n") as f:
        f.write("\n".join(lines) + "\n")


def reg_sections(path):
    """A regedit export as {key: [value lines]}, keys upper-cased."""
    if not os.path.exists(path) or os.path.getsize(path) == 0:
        return {}
    raw = open(path, "rb").read()
    text = raw.decode("utf-16") if raw[:2] in (b"\xff\xfe", b"\xfe\xff") else raw.decode("latin-1")
    sections, key = {}, None
    for line in text.replace("\r\n", "\n").split("\n"):
        if line.startswith("[") and line.endswith("]"):
            key = line[1:-1].upper()
            sections[key] = []
        elif key is not None and line.strip():
            sections[key].append(line)
    return sections


# Wine's own settings, the word processor stand-in's record of its calls, and the shell's
# own state that the window's open dialog keeps (its folder list) change under any run.
WINE_KEYS = ["HKEY_CURRENT_USER\\SOFTWARE\\WINE", "HKEY_CURRENT_USER\\SOFTWARE\\TARVOTEST\\WORDSTUB",
             "HKEY_CURRENT_USER\\SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\EXPLORER"]


def under_key(key, prefixes):
    return any(key == p or key.startswith(p + "\\") for p in prefixes)


def destinations(item, user):
    roaming = user + "/AppData/Roaming/Microsoft/"
    local = user + "/AppData/Local/Microsoft/Outlook"
    return {"datas": [local, roaming + "Outlook"], "pab": [local], "signatures": [roaming + "Signatures"],
            "templates": [roaming + "Templates"], "preferences": [roaming + "Outlook"],
            "contacts": [user + "/Contacts"]}.get(item, [])


def log_grew(drive_c, rel, before, after):
    """The run log may only have lines added at its end."""
    if after is None:
        return False
    if before is None:
        return True
    size = int(before.split(":")[0])
    with open(os.path.join(drive_c, rel), "rb") as f:
        head = f.read(size)
    return f"{size}:" + hashlib.sha256(head).hexdigest() == before


def file_allowed(rel, before, after, case):
    low, folder, name = rel.lower(), rel.rsplit("/", 1)[0].lower(), rel.rsplit("/", 1)[-1].lower()
    if low == case["data"].lower() + "/brlog.dat":
        return log_grew(case["drive_c"], rel, before, after)
    if case["expect"] == "refused":
        return False
    target = case["target"].lower()
    if "datas" in case["items"] and name == target + ".fav" and after is None:
        return True
    for item in case["items"]:
        for dest in destinations(item, case["user"]):
            if folder == dest.lower() and after is not None and after != "dir" and (
                    name in case["may"] or (item == "datas" and name == target + ".rwz")):
                return True
            if low.rstrip("/") == dest.lower() and after == "dir":
                return True
    return False


def judge(argv):
    before_file, after_file, reg_before, reg_after, expect, target, items, may, data, user, drive_c = argv[:11]
    own_keys = [k.upper() for k in argv[11:]]
    case = {"expect": expect, "target": target, "items": [i for i in items.split(",") if i],
            "may": [m.lower() for m in may.split(";") if m], "data": data, "user": user, "drive_c": drive_c}
    before, after = json.load(open(before_file)), json.load(open(after_file))
    problems = []
    for rel in sorted(set(before) | set(after)):
        b, a = before.get(rel), after.get(rel)
        if b != a and not file_allowed(rel, b, a, case):
            what = "created" if b is None else "deleted" if a is None else "changed"
            problems.append(f"{what} C:\\{rel.rstrip('/')}".replace("/", "\\"))
    rb, ra = reg_sections(reg_before), reg_sections(reg_after)
    own = own_keys if expect != "refused" else []
    for key in sorted(set(rb) | set(ra)):
        if rb.get(key) != ra.get(key) and not under_key(key, own + WINE_KEYS):
            what = "created key" if key not in rb else "deleted key" if key not in ra else "changed values of"
            problems.append(f"registry: {what} {key}")
    for p in problems:
        print(p)
    return 1 if problems else 0


def main(argv):
    cmd, args = argv[1], argv[2:]
    if cmd == "seed-reg":
        seed_reg(*args)
    elif cmd == "snapshot":
        snapshot(*args)
    elif cmd == "keep":
        keep(args[0], args[1], args[2:])
    elif cmd == "prune":
        prune(*args)
    elif cmd == "judge":
        return judge(args)
    else:
        raise SystemExit(f"unknown command {cmd}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
