#!/usr/bin/env python3
"""scale.py - book commands as books grow: synthetic books of 50, 200 and 1,000 chapters (the
largest about 1 GB of MIF), each timed with the tagwright tool end to end: `usage`, `usage
--by-tag` (and its ratio to `usage`) and `--dry-run delete-unused`, wall and CPU time and peak
resident memory of each, beside the document cache's budget. Prints one table; not a test.

    bench/scale.py [--build build/default] [--chapters 50,200,1000] [--paragraphs 2500]
"""
import argparse
import os
import shutil
import sys
import tempfile
import time

import real_books
from real_books import CPU, GNU_TIME, timed

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)


def measure(tool, book, files, repeats, cache_mb):
    env = dict(os.environ)
    if cache_mb is not None:
        env["TAGWRIGHT_CACHE_MB"] = str(cache_mb)
    row = {"chapters": len(files), "MB": sum(os.path.getsize(f) for f in files) / 1e6,
           "largest": max(os.path.getsize(f) for f in files) / 1e6}
    runs = (("usage", ["usage", book]), ("bytag", ["usage", "--by-tag", book]),
            ("dry", ["--dry-run", "delete-unused", book]))
    for key, args in runs:
        print("  %s ..." % " ".join(args[:-1]), file=sys.stderr, flush=True)
        row[key], row[key + "_peak"] = timed([tool, "--quiet"] + args, repeats, env=env, key=key)
        row[key + "_cpu"] = CPU[key]
    return row


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--build", default=os.path.join(ROOT, "build", "default"))
    ap.add_argument("--chapters", default="50,200,1000", help="book sizes, comma-separated")
    ap.add_argument("--paragraphs", type=int, default=2500, help="main-flow paragraphs per chapter")
    ap.add_argument("--tags", type=int, default=12, help="main-flow tags (tw_generate --tags)")
    ap.add_argument("--cache-mb", type=int, help="cache budget (TAGWRIGHT_CACHE_MB); default: the tool's")
    ap.add_argument("--repeats", type=int, default=1, help="runs of each command (median wall, largest peak)")
    ap.add_argument("--work", help="folder for the generated books (default: a temporary one)")
    a = ap.parse_args()
    if not os.path.exists(GNU_TIME):
        sys.exit("scale: needs GNU time (%s; Debian package time, installed by scripts/setup)" % GNU_TIME)
    build = os.path.abspath(a.build)
    tool = os.path.join(build, "cli", "tagwright")
    for exe in (tool, os.path.join(build, "bench", "tw_generate")):
        if not os.path.exists(exe):
            sys.exit("scale: %s is missing; build first: cmake --preset default && "
                     "cmake --build build/default -j2 --target tagwright Tagwright tw_generate" % exe)
    budget = a.cache_mb
    if budget is None:
        env_mb = os.environ.get("TAGWRIGHT_CACHE_MB")
        budget = int(env_mb) if env_mb else 256
    t0 = time.perf_counter()
    _, idle, _, _ = real_books.run([tool, "about"])
    rows = []
    for chapters in (int(c) for c in a.chapters.split(",")):
        work = tempfile.mkdtemp(prefix="tw-scale-", dir=a.work)
        try:
            print("generating %d x %d ..." % (chapters, a.paragraphs), file=sys.stderr, flush=True)
            book, files = real_books.synthetic_book(build, work, chapters, a.paragraphs, a.tags)
            print("measuring %d chapters ..." % chapters, file=sys.stderr, flush=True)
            rows.append(measure(tool, book, files, a.repeats, a.cache_mb))
        finally:
            shutil.rmtree(work, ignore_errors=True)

    def fmt(s):
        return "%.2f s" % s if s >= 1 else "%.0f ms" % (s * 1e3)

    print("Book commands as books grow: %d paragraphs a chapter, %d main-flow tags; cache budget %d MB; "
          "median of %d run(s); machine %s, %d cores" % (a.paragraphs, a.tags, budget, a.repeats, os.uname().nodename,
                                                         os.cpu_count()))
    print("wall: elapsed, process start included; cpu: user + system; peak: peak resident memory (MB)")
    head = ("chapters", "MB", "usage", "cpu", "peak", "by-tag", "cpu", "x usage", "cpu x", "peak", "dry delete",
            "cpu", "peak", "limit")
    line = "%8s %7s %8s %8s %6s %8s %8s %7s %6s %6s %10s %8s %6s %6s"
    print(line % head)
    for r in rows:
        # What a command may hold: the tool with no document, the budget, and three times a
        # chapter as read (`usage` keeps no document: its peak less the tool's is one chapter).
        chapter = max(r["usage_peak"] - idle, 0) / 1e6
        limit = idle / 1e6 + budget * 1.048576 + 3 * chapter
        print(line % (
            r["chapters"], "%.0f" % r["MB"], fmt(r["usage"]), fmt(r["usage_cpu"]), "%.0f" % (r["usage_peak"] / 1e6),
            fmt(r["bytag"]), fmt(r["bytag_cpu"]), "%.1f" % (r["bytag"] / r["usage"]),
            "%.1f" % (r["bytag_cpu"] / max(r["usage_cpu"], 1e-3)), "%.0f" % (r["bytag_peak"] / 1e6),
            fmt(r["dry"]), fmt(r["dry_cpu"]), "%.0f" % (r["dry_peak"] / 1e6), "%.0f" % limit))
    print("limit: the tool with no document (%.0f MB) + the cache budget + 3 x one chapter as read (peak of "
          "`usage` less the tool's; the largest chapter file: %.1f MB)" % (idle / 1e6, max(r["largest"] for r in rows)))
    print("total %.0f s" % (time.perf_counter() - t0))


if __name__ == "__main__":
    main()
