"""Audits DXF files with ezdxf: reads each strictly and runs its auditor.

Usage: ezdxf_audit.py [--version VERSION] [--against ORIGINAL] PATH ...
  --version VERSION    the paths after it must also read as that version (ezdxf's dxfversion,
                       which raises AC1003 to AC1009);
  --against ORIGINAL   the next path is ORIGINAL as another program saved it: it may have what
                       ORIGINAL has, but no error and no fix more. A problem is known by its code
                       and message, handles left out (a save may give records other handles); an
                       ORIGINAL that ezdxf cannot read counts as one without any.
A path without --against must audit without errors.

Prints one line per problem and exits 0 when every file reads and audits as it must, 1 when one
does not, 2 when ezdxf is not installed (the tests treat that as a failure too).
"""
import collections
import re
import sys

try:
    import ezdxf
except ImportError:
    print("ezdxf is not installed")
    sys.exit(2)

HANDLE = re.compile(r"#[0-9A-Fa-f]+\b")


def read(path):
    """The document and its auditor, or the reason it cannot be read."""
    try:
        doc = ezdxf.readfile(path)
    except Exception as error:  # every reading failure is a finding
        return None, None, f"cannot read: {type(error).__name__}: {error}"
    return doc, doc.audit(), None


def kinds(entries):
    """Problems counted by code and message without handles."""
    return collections.Counter((e.code, HANDLE.sub("#", e.message)) for e in entries)


def audit(path, version, original):
    doc, auditor, failure = read(path)
    if failure:
        return [f"{path}: {failure}"]
    problems = []
    if original is None:
        problems = [f"{path}: {e.code}: {e.message}" for e in auditor.errors]
    else:
        _, before, _ = read(original)
        # An auditor counts as false when it found no errors: "is None" tells it from none.
        known = before is not None
        for what, now, then in (("error", auditor.errors, before.errors if known else []),
                                ("fix", auditor.fixes, before.fixes if known else [])):
            for (code, message), n in (kinds(now) - kinds(then)).items():
                problems.append(f"{path}: new {what} ({n} times, not in {original}): "
                                f"{code}: {message}")
    if version and doc.dxfversion != version:
        problems.append(f"{path}: read as {doc.dxfversion}, not {version}")
    return problems


def main(args):
    problems = []
    version = None
    original = None
    args = iter(args)
    for arg in args:
        if arg == "--version":
            version = next(args)
        elif arg == "--against":
            original = next(args)
        else:
            problems += audit(arg, version, original)
            original = None
    for p in problems:
        print(p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
