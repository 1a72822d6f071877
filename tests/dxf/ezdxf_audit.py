"""Audits DXF files with ezdxf: reads each strictly and runs its auditor.

Prints one line per problem and exits 0 when every file reads and audits without errors, 1 when
one does not, 2 when ezdxf is not installed (the tests treat that as a failure too).
"""
import sys

try:
    import ezdxf
except ImportError:
    print("ezdxf is not installed")
    sys.exit(2)


def audit(path):
    try:
        doc = ezdxf.readfile(path)
    except Exception as error:  # every reading failure is a finding
        return [f"{path}: cannot read: {type(error).__name__}: {error}"]
    auditor = doc.audit()
    return [f"{path}: {e.code}: {e.message}" for e in auditor.errors]


def main(paths):
    problems = [p for path in paths for p in audit(path)]
    for p in problems:
        print(p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
