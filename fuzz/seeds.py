#!/usr/bin/env python3
"""Writes the seed corpus of one fuzz target into a folder: texts the tests already use (raw
string literals, string literals, data files), the shared drawings that are small enough, the
module's dialog file, and the hand-written seeds of fuzz/seeds/<target>/."""
import hashlib
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
SHARED = ROOT.parent / "shared"
MAX_DXF = 64 * 1024

RAW = re.compile(r'R"([^(\s]{0,16})\((.*?)\)\1"', re.S)
LITERAL = re.compile(r'"((?:[^"\\\n]|\\.)*)"')
LINES = re.compile(r"dxf_lines\(\{(.*?)\}\)", re.S)
CASE = re.compile(r'\{\s*"((?:[^"\\]|\\.)*)",\s*"((?:[^"\\]|\\.)*)",\s*(?:true|false)\s*\}')


def c_string(text):
    """The bytes of a C string literal's body."""
    out = bytearray()
    i = 0
    simple = {"n": 10, "t": 9, "r": 13, "\\": 92, '"': 34, "'": 39, "0": 0, "a": 7}
    while i < len(text):
        c = text[i]
        if c != "\\" or i + 1 == len(text):
            out += c.encode()
            i += 1
            continue
        e = text[i + 1]
        if e in "uU":
            n = 4 if e == "u" else 8
            out += chr(int(text[i + 2:i + 2 + n], 16)).encode()
            i += 2 + n
        elif e == "x":
            j = i + 2
            while j < len(text) and text[j] in "0123456789abcdefABCDEF":
                j += 1
            out.append(int(text[i + 2:j], 16) & 0xFF)
            i = j
        else:
            out.append(simple.get(e, ord(e)))
            i += 2
    return bytes(out)


def sources(*folders):
    for folder in folders:
        base = ROOT / "tests" / folder
        if base.is_dir():
            for path in sorted(base.rglob("*")):
                if path.suffix in (".cpp", ".h"):
                    yield path.read_text(errors="replace")


def raw_strings(*folders):
    for text in sources(*folders):
        for m in RAW.finditer(text):
            yield m.group(2).encode()


def literals(*folders):
    for text in sources(*folders):
        for m in LITERAL.finditer(RAW.sub("", text)):
            yield c_string(m.group(1))


def dxf_line_lists(*folders):
    """Files the tests write as lists of lines (dxf_lines({"0", "SECTION", ...}))."""
    for text in sources(*folders):
        for m in LINES.finditer(text):
            yield b"\n".join(c_string(v) for v in LITERAL.findall(m.group(1))) + b"\n"


def shrunk(data, keep=40):
    """An ASCII drawing cut down to its first records in each section (whole blocks in BLOCKS),
    so that a large file still gives a seed of every section it has."""
    lines = data.split(b"\n")
    if lines[0].startswith(b"AutoCAD Binary DXF"):
        return None
    out, count, section, in_block = [], 0, b"", False
    for i in range(0, len(lines) - 1, 2):
        code, value = lines[i].strip(), lines[i + 1].rstrip(b"\r").strip()
        if code == b"0" and value == b"SECTION":
            count, section = 0, b""
        elif code == b"2" and section == b"" and out and out[-1][1] == b"SECTION":
            section = value
        elif code == b"0" and value not in (b"ENDSEC", b"EOF"):
            count += 1
            if section == b"BLOCKS":
                in_block = value != b"ENDBLK" and (value == b"BLOCK" or in_block)
        keeps = value in (b"ENDSEC", b"EOF") or count <= keep or section == b"HEADER"
        keeps = keeps or (section == b"BLOCKS" and (in_block or value == b"ENDBLK"))
        if code == b"0" or not out or out[-1][2]:
            out.append((code, value, keeps))
        else:
            out.append((code, value, out[-1][2]))
    return b"".join(c + b"\n" + v + b"\n" for c, v, k in out if k)


def fdp_string(data):
    """A string as FuzzedDataProvider.ConsumeRandomLengthString reads it back."""
    return data.replace(b"\\", b"\\\\") + b"\\;"


def seeds(target):
    hand = ROOT / "fuzz" / "seeds" / target
    if hand.is_dir():
        for path in sorted(hand.iterdir()):
            yield path.read_bytes()
    if target == "fuzz_dxf_reader":
        files = list((ROOT / "tests").rglob("*.dxf"))
        files += list(SHARED.glob("dxf*/*.dxf"))
        for path in sorted(files):
            data = path.read_bytes()
            if len(data) > MAX_DXF:
                data = shrunk(data)
            if data and len(data) <= MAX_DXF:
                yield data
        yield from dxf_line_lists("dxf", "db", "host", "builtins")
        for text in raw_strings("dxf", "db", "host", "builtins"):
            if b"SECTION" in text or b"EOF" in text:
                yield text
    elif target == "fuzz_script_replies":
        keywords = [b"Ja Nein _Yes No", b"aUssen Innen 2Punkte Zur\xc3\xbcck", b"LType _LType"]
        scripts = [t for t in literals("input", "host", "builtins", "module") if b"\n" in t]
        scripts += list(raw_strings("input", "host"))
        for k, script in enumerate(scripts):
            yield keywords[k % len(keywords)] + b"\n" + script
    elif target == "fuzz_dcl":
        yield (ROOT / "frame" / "dulk.dcl").read_bytes()
        for path in sorted((ROOT / "tests").rglob("*.dcl")):
            yield path.read_bytes()
        for text in raw_strings("dialogs", "host"):
            if b"{" in text:
                yield text
    elif target == "fuzz_wildcard_filter":
        for text in sources("select"):
            for m in CASE.finditer(text):
                yield fdp_string(c_string(m.group(1))) + fdp_string(c_string(m.group(2)))


def main():
    target, out = sys.argv[1], pathlib.Path(sys.argv[2])
    out.mkdir(parents=True, exist_ok=True)
    count = 0
    for data in seeds(target):
        (out / hashlib.sha1(data).hexdigest()).write_bytes(data)
        count += 1
    print(f"{count} seeds for {target} in {out}")


if __name__ == "__main__":
    main()
