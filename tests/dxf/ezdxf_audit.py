"""Audits DXF files with ezdxf: reads each strictly and runs its auditor.

Usage: ezdxf_audit.py PATH... [--version VERSION PATH...]: the paths after --version must also
read as that version (ezdxf's dxfversion, which raises AC1003 to AC1009).

Prints one line per problem and exits 0 when every file reads and audits without errors, 1 when
one does not, 2 when ezdxf is not installed (the tests treat that as a failure too).
"""
import sys

try:
    import ezdxf
except ImportError:
    print("ezdxf is not installed")
    sys.exit(2)


def audit(path, version):
    try:
        doc = ezdxf.readfile(path)
    except Exception as error:  # every reading failure is a finding
        return [f"{path}: cannot read: {type(error).__name__}: {error}"]
    auditor = doc.audit()
    problems = [f"{path}: {e.code}: {e.message}" for e in auditor.errors]
    if version and doc.dxfversion != version:
        problems.append(f"{path}: read as {doc.dxfversion}, not {version}")
    return problems


def main(args):
    problems = []
    version = None
    args = iter(args)
    for arg in args:
        if arg == "--version":
            version = next(args)
        else:
            problems += audit(arg, version)
    for p in problems:
        print(p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
