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


MAX_SEED = 2048  # bytes: small inputs run many times a second, and mutate in few steps


class Cut(bytes):
    """A seed cut from a drawing; its file's name begins "cut-" (tests/fuzz_regressions reads
    them all)."""


def pairs_of(data):
    """An ASCII drawing as (code, value) pairs, line ends and blanks around codes dropped; None for
    a binary one."""
    if data.startswith(b"AutoCAD Binary DXF"):
        return None
    lines = data.replace(b"\r\n", b"\n").split(b"\n")
    return [(lines[i].strip(), lines[i + 1]) for i in range(0, len(lines) - 1, 2)]


def records_of(pairs):
    """Records (lists of pairs, each starting with its 0 group) by section name, in file order."""
    sections, name, record = {}, None, None
    for code, value in pairs:
        if code == b"0" and value == b"SECTION":
            name, record = b"", None
        elif code == b"2" and name == b"":
            name = value
            sections.setdefault(name, [])
        elif code == b"0" and value in (b"ENDSEC", b"EOF"):
            name, record = None, None
        elif name and code == b"0":
            record = [(code, value)]
            sections[name].append(record)
        elif name == b"HEADER" and code == b"9":
            record = [(code, value)]
            sections[name].append(record)
        elif record is not None:
            record.append((code, value))
    return sections


def text_of(sections):
    """A drawing of these sections, each a list of records."""
    out = []
    for name, records in sections:
        out.append((b"0", b"SECTION"))
        out.append((b"2", name))
        for record in records:
            out += record
        out.append((b"0", b"ENDSEC"))
    out.append((b"0", b"EOF"))
    return b"".join(c + b"\n" + v + b"\n" for c, v in out)


def grouped(records, starts, ends):
    """Records gathered into runs from a record whose type is in starts to one in ends (a table,
    a block, a polyline with its vertices), single records as runs of one."""
    runs, run = [], None
    for record in records:
        kind = record[0][1]
        if run is not None:
            run.append(record)
            if kind in ends:
                runs.append(run)
                run = None
        elif kind in starts:
            run = [record]
        else:
            runs.append([record])
    return runs


def cut(data):
    """Small seeds cut from a drawing: its header alone, and each table, block, entity (with its
    vertices or attributes), class and object apart, each after the header variables that say how
    the file reads ($ACADVER, $DWGCODEPAGE, $HANDSEED). Pieces that are still too large are cut
    down to their first records."""
    pairs = pairs_of(data)
    if not pairs:
        return
    sections = records_of(pairs)
    header = sections.get(b"HEADER", [])
    lead = [r for r in header if r[0][1] in (b"$ACADVER", b"$DWGCODEPAGE", b"$HANDSEED")]
    before = [(b"HEADER", lead)] if lead else []
    yield Cut(text_of([(b"HEADER", header[:60])]))
    pieces = []
    for run in grouped(sections.get(b"TABLES", []), {b"TABLE"}, {b"ENDTAB"}):
        pieces.append((b"TABLES", run))
    for run in grouped(sections.get(b"BLOCKS", []), {b"BLOCK"}, {b"ENDBLK"}):
        pieces.append((b"BLOCKS", run))
    seen = {}
    for run in grouped(sections.get(b"ENTITIES", []), {b"POLYLINE", b"INSERT"}, {b"SEQEND"}):
        # The first few entities of each type: a plan holds thousands of one kind.
        kind = run[0][0][1]
        seen[kind] = seen.get(kind, 0) + 1
        if seen[kind] <= 3:
            pieces.append((b"ENTITIES", run))
    for name in (b"CLASSES", b"OBJECTS"):
        records = sections.get(name, [])
        for k in range(0, min(len(records), 40), 4):
            pieces.append((name, records[k:k + 4]))
    for name, run in pieces:
        for keep in (len(run), 12, 4, 2):
            seed = text_of(before + [(name, run[:keep] + run[-1:] if keep < len(run) else run)])
            if len(seed) <= MAX_SEED:
                yield Cut(seed)
                break


def fdp_string(data):
    """A string as FuzzedDataProvider.ConsumeRandomLengthString reads it back."""
    return data.replace(b"\\", b"\\\\") + b"\\;"


def seeds(target):
    hand = ROOT / "fuzz" / "seeds" / target
    if hand.is_dir():
        for path in sorted(hand.iterdir()):
            yield path.read_bytes()
    if target in ("fuzz_dxf_reader", "fuzz_dxf_recover"):
        files = list((ROOT / "tests").rglob("*.dxf"))
        files += list(SHARED.glob("dxf*/*.dxf"))
        for path in sorted(files):
            data = path.read_bytes()
            if len(data) <= MAX_SEED:
                yield data
            else:
                yield from cut(data)
        texts = list(dxf_line_lists("dxf", "db", "host", "builtins"))
        texts += [t for t in raw_strings("dxf", "db", "host", "builtins")
                  if b"SECTION" in t or b"EOF" in t]
        yield from (t for t in texts if len(t) <= MAX_SEED)
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
        prefix = "cut-" if isinstance(data, Cut) else ""
        (out / (prefix + hashlib.sha1(data).hexdigest())).write_bytes(data)
        count += 1
    print(f"{count} seeds for {target} in {out}")


if __name__ == "__main__":
    main()
