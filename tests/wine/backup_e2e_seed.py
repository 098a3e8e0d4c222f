#!/usr/bin/env python3
"""Writes the .reg file of the backup end-to-end test: an Outlook 2010 profile "E2E"
whose data files and address book lie under the given root folder, one account, the
Outlook options and the shared-files folder that holds the stationery."""
import sys

BS = "\\"
HEAD = (bytes(4) + bytes.fromhex("38A1BB1005E5101AA1BB08002B2A56C2") + b"\0\0mspst.dll\0" + bytes(4)
        + bytes.fromhex("4E495441F9BFB80100AA0037D96E0000") + b"\0\0")


def hexs(data):
    return "hex:" + ",".join("%02x" % b for b in data)


def text(s):
    return '"' + s.replace(BS, BS + BS) + '"'


def key(*parts):
    return "[" + BS.join(parts) + "]"


def main(out, root):
    profile = BS.join(["HKEY_CURRENT_USER", "Software", "Microsoft", "Windows NT", "CurrentVersion",
                       "Windows Messaging Subsystem", "Profiles", "E2E"])

    def store(name):
        # A Unicode PST store entry ID: its 54-byte head, then the path in UTF-16.
        return hexs(HEAD + BS.join([root, "mail", name]).encode("utf-16-le") + b"\0\0")

    # The address book path as some profiles store it: every separator doubled.
    pab = (BS + BS).join(root.split(BS) + ["mail", "E2E.pab"])
    lines = ["REGEDIT4", "", key(profile), "",
             key(profile, "0a0d020000000000c000000000000046"), '"001e023d"="E2E"', "",
             key(profile, "1a6e"), '"001e3001"="E2E Mail"', '"01020fff"=' + store("E2E Mail.pst"), "",
             key(profile, "2b7f"), '"001e3001"="Archive"', '"01020fff"=' + store("Archive.pst"), "",
             key(profile, "3c80"), '"001e3001"="Gone"', '"01020fff"=' + store("Gone.pst"), "",
             key(profile, "4d91"), '"001e3001"="Personal Address Book"', '"001e6600"=' + text(pab), "",
             key(profile, "9375CFF0413111d3B88A00104B2A6676", "00000002"), '"Account Name"="e2e@example.org"',
             '"POP3 Port"=dword:0000006e', "",
             key("HKEY_CURRENT_USER", "Software", "Microsoft", "Office", "14.0", "Outlook", "Options", "Mail"),
             '"EditorPreference"=dword:00020001', '"Signature"="E2E"', "",
             key("HKEY_LOCAL_MACHINE", "SOFTWARE", "Microsoft", "Shared Tools"),
             '"SharedFilesDir"=' + text(BS.join([root, "shared", ""])), ""]
    with open(out, "w", newline="\r\n") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
