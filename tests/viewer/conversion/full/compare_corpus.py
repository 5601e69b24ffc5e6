#!/usr/bin/python3
"""Compares the viewer's full-mode pictures of real drawings with ezdxf's.

Each drawing is packed into a library of its own (tvl pack), drawn by
`tvl render --mode full --view plan` and by ezdxf's drawing add-on at the same
size, and the two pictures' drawn pixels are compared (see ezdxf_picture.py).

    compare_corpus.py --tvl PATH [--corpus DIR] [--list FILE | --every K]
                      [--limit N] [--size 256] [--reach 2] [--min-share 0.9]
                      [--jobs N] [--work DIR]

Prints one line per drawing ("ours_in_theirs theirs_in_ours path") and a
summary; exits 1 when a drawing's picture could not be made or, with
--require, when any drawing falls below --min-share either way.
"""
import argparse
import concurrent.futures
import os
import statistics
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import ezdxf_picture  # noqa: E402


def drawings(args):
    if args.list:
        with open(args.list) as f:
            names = [line.strip() for line in f if line.strip() and not line.startswith("#")]
        return [os.path.join(args.corpus, n) for n in names]
    found = []
    for root, _, files in os.walk(args.corpus):
        found += [os.path.join(root, f) for f in files if f.lower().endswith(".dxf")]
    found.sort()
    found = found[::args.every]
    return found[:args.limit] if args.limit else found


def compare(tvl, path, work, size, reach):
    base = os.path.join(work, str(abs(hash(path))))
    library = base + ".tvl"
    ours = base + "_ours.png"
    theirs = base + "_theirs.png"
    run = lambda *cmd: subprocess.run(cmd, capture_output=True, text=True, timeout=120)
    packed = run(tvl, "pack", "--quiet", library, path)
    if packed.returncode != 0:
        return path, None, "pack: " + packed.stderr.strip()
    names = run(tvl, "list", library).stdout.split()
    if len(names) != 1:
        return path, None, "list: no single symbol"
    drawn = run(tvl, "render", library, names[0], "-o", ours, "--size", str(size),
                "--view", "plan", "--mode", "full")
    if drawn.returncode != 0:
        return path, None, "render: " + drawn.stderr.strip()
    try:
        ezdxf_picture.render(path, theirs, size)
    except Exception as e:  # the reference cannot read every drawing
        return path, None, f"ezdxf: {e}"
    return path, ezdxf_picture.overlap(ours, theirs, size, reach), ""


def main():
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("--tvl", required=True)
    p.add_argument("--corpus", default="/usr/share/librecad/library")
    p.add_argument("--list", help="drawings to compare, paths relative to the corpus, one a line")
    p.add_argument("--every", type=int, default=1, help="take every K-th drawing of the corpus")
    p.add_argument("--limit", type=int, default=0)
    p.add_argument("--size", type=int, default=256)
    p.add_argument("--reach", type=int, default=2)
    p.add_argument("--min-share", type=float, default=0.9)
    p.add_argument("--require", action="store_true", help="fail when a drawing is below --min-share")
    p.add_argument("--jobs", type=int, default=2)
    p.add_argument("--work")
    p.add_argument("--skip-missing", action="store_true",
                   help="exit 77 (skipped) when ezdxf, Matplotlib or the corpus is not installed")
    args = p.parse_args()

    if args.skip_missing:
        try:
            import ezdxf  # noqa: F401
            import matplotlib  # noqa: F401
        except ImportError as e:
            print(f"skipped: {e}")
            return 77
        if not os.path.isdir(args.corpus):
            print(f"skipped: no corpus at {args.corpus}")
            return 77

    work = args.work or tempfile.mkdtemp(prefix="compare_corpus_")
    os.makedirs(work, exist_ok=True)
    items = drawings(args)
    results, failures = [], []
    with concurrent.futures.ProcessPoolExecutor(max_workers=args.jobs) as pool:
        futures = [pool.submit(compare, args.tvl, d, work, args.size, args.reach) for d in items]
        for n, future in enumerate(concurrent.futures.as_completed(futures), 1):
            path, shares, problem = future.result()
            rel = os.path.relpath(path, args.corpus)
            if shares is None:
                failures.append((rel, problem))
                print(f"FAILED {rel}: {problem}", flush=True)
                continue
            results.append((shares[0], shares[1], rel))
            print(f"{shares[0]:.4f} {shares[1]:.4f} {rel}  [{n}/{len(items)}]", flush=True)

    below = [r for r in results if min(r[0], r[1]) < args.min_share]
    if results:
        ours = [r[0] for r in results]
        theirs = [r[1] for r in results]
        print(f"drawings {len(results)} (+{len(failures)} not compared); "
              f"ours within {args.reach} px of ezdxf's: median {statistics.median(ours):.3f}, mean {statistics.mean(ours):.3f}; "
              f"ezdxf's within {args.reach} px of ours: median {statistics.median(theirs):.3f}, mean {statistics.mean(theirs):.3f}; "
              f"both >= {args.min_share}: {len(results) - len(below)} of {len(results)}")
        for r in sorted(below)[:20]:
            print(f"below: {r[0]:.3f} {r[1]:.3f} {r[2]}")
    if failures or (args.require and below) or not results:
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
