#!/usr/bin/python3
"""The parts library as a corpus for tvl pack and tvl export.

  corpus_check.py TVL LIBRARY_FOLDER WORK_FOLDER

Packs every drawing in one command, lists the library, exports every symbol as
DXF and has the independent reader audit each one, packs the exports again (in
the library's order, so that the first drawing of a table record's name stays
the first) and requires the second library to export byte for byte the same
drawings, compares the dump of a sample, and renders and exports a sample as
PNG, SVG (well-formed by xmllint) and OBJ.  Exits 77 when the corpus is missing.
"""
import gzip
import multiprocessing
import os
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))


def run(*args, **kw):
    result = subprocess.run(args, capture_output=True, text=True, errors="replace", **kw)
    if result.returncode != 0:
        raise SystemExit("FAILED: %s\n%s%s" % (" ".join(args), result.stdout[-2000:], result.stderr[-2000:]))
    return result


def audit_one(path):
    import dxf_check
    try:
        return [(path, p) for p in dxf_check.audit(path)]
    except Exception as e:  # the reader could not load it at all
        return [(path, "cannot load: %s" % e)]


def main():
    if len(sys.argv) != 4:
        print(__doc__, file=sys.stderr)
        return 2
    tvl, corpus, work = sys.argv[1:]
    drawings = sorted(os.path.join(r, f) for r, _, fs in os.walk(corpus) for f in fs if f.lower().endswith(".dxf"))
    if not drawings:
        print("corpus %s not installed; skipped" % corpus)
        return 77
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    lib = os.path.join(work, "parts.tvl")

    start = time.monotonic()
    run(tvl, "pack", lib, corpus, "--quiet")
    pack_seconds = time.monotonic() - start
    dxf_bytes = sum(os.path.getsize(d) for d in drawings)
    gzip_each = sum(len(gzip.compress(open(d, "rb").read(), 9)) for d in drawings)
    packed = os.path.getsize(lib)
    print("packed %d drawings, %.2f MB of DXF, in %.1f s: %d bytes; gzip -9 of each file %d bytes (%.2f)"
          % (len(drawings), dxf_bytes / 1e6, pack_seconds, packed, gzip_each, packed / gzip_each))
    failures = []
    if packed >= gzip_each:
        failures.append("the library is not smaller than gzip -9 of the drawings")

    names = run(tvl, "list", lib).stdout.split()
    if len(names) != len(drawings):
        failures.append("%d symbols listed for %d drawings" % (len(names), len(drawings)))

    first = os.path.join(work, "dxf")
    run(tvl, "export", lib, "--all", "-o", first, "--quiet")
    exported = [os.path.join(first, n + ".dxf") for n in names]
    with multiprocessing.Pool(2) as pool:
        problems = [p for found in pool.map(audit_one, exported, chunksize=16) for p in found]
    for path, problem in problems[:20]:
        failures.append("%s: %s" % (os.path.basename(path), problem))
    print("audited %d exported drawings: %d problems" % (len(exported), len(problems)))

    again = os.path.join(work, "again.tvl")
    run(tvl, "pack", again, *exported, "--quiet")
    second = os.path.join(work, "dxf2")
    run(tvl, "export", again, "--all", "-o", second, "--quiet")
    differ = [n for n in names
              if open(os.path.join(first, n + ".dxf"), "rb").read() != open(os.path.join(second, n + ".dxf"), "rb").read()]
    print("packed the exports again: %d of %d symbols differ" % (len(differ), len(names)))
    failures += ["%s does not come back the same" % n for n in differ[:20]]
    for n in names[:: max(1, len(names) // 20)]:
        if run(tvl, "dump", lib, n, "--exact").stdout != run(tvl, "dump", again, n, "--exact").stdout:
            failures.append("the dump of %s differs after the round trip" % n)

    sample = names[:: max(1, len(names) // 12)][:12]
    pictures = os.path.join(work, "sample")
    os.makedirs(pictures)
    for n in sample:
        run(tvl, "export", lib, n, "-o", os.path.join(pictures, n + ".svg"))
        run("xmllint", "--noout", os.path.join(pictures, n + ".svg"))
    for n in sample[:3]:
        run(tvl, "export", lib, n, "-o", os.path.join(pictures, n + ".obj"))
        run(tvl, "render", lib, n, "-o", os.path.join(pictures, n + ".png"), "--size", "128")
    print("sample of %d symbols exported as SVG, 3 as OBJ and PNG in %s" % (len(sample), pictures))

    for f in failures:
        print("FAILED: " + f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
