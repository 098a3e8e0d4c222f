#!/usr/bin/env python3
"""Lists source files over 500 lines and function bodies over 60 lines under src/.

A function body is a brace block whose signature starts at column 0 or at a member's
indentation and holds "(" before any "="; tables (initialisers) are not functions.
"""
import pathlib
import sys

MAX_FILE, MAX_FUNCTION = 500, 60


def definition_starts(lines):
    """Lines that open a function body, with the statement that began the signature."""
    start = 0
    for i, line in enumerate(lines):
        stripped = line.strip()
        if not stripped or stripped.startswith(("//", "#")):
            start = i + 1
            continue
        if stripped.endswith("{"):
            head = " ".join(l.strip() for l in lines[start:i + 1])
            first = lines[start]
            indent = len(first) - len(first.lstrip())
            keyword = head.startswith(("if ", "for ", "while ", "switch ", "else", "namespace", "struct", "class",
                                       "enum", "case ", "do", "try", "catch", "return", "static const", "const "))
            if indent <= 2 and "(" in head and "=" not in head.split("(")[0] and not keyword:
                yield i, head
        if stripped.endswith((";", "{", "}")) or stripped.endswith(":"):
            start = i + 1


def long_functions(lines):
    for i, line in definition_starts(lines):
        depth, j = 0, i
        while j < len(lines):
            depth += lines[j].count("{") - lines[j].count("}")
            if depth <= 0:
                break
            j += 1
        if j - i - 1 > MAX_FUNCTION:
            yield i + 1, j - i - 1, line[:100]


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "src")
    bad = 0
    for path in sorted(root.rglob("*")):
        if path.suffix not in (".cpp", ".h"):
            continue
        lines = path.read_text(errors="replace").splitlines()
        if len(lines) > MAX_FILE:
            print(f"{path}: {len(lines)} lines")
            bad += 1
        for at, length, text in long_functions(lines):
            print(f"{path}:{at}: {length}-line function: {text}")
            bad += 1
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())
