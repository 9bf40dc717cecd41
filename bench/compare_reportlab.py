#!/usr/bin/python3
"""Our whole road to PDF against ReportLab making the same pages, in one run.

Runs BM_PdfWholeRoad/1000 (elements built through their interfaces, their host objects, the
PDF written) and bench/reportlab_pages.py for 1000 pages, each a few times, and prints the
median pages per second of both, their ratio and the peak memory of each process.

    /usr/bin/python3 bench/compare_reportlab.py [--bench build/bin/zcnt_bench] [--runs 3]
"""

import argparse
import json
import os
import statistics
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))


def ours(bench, runs):
    out = subprocess.run(
        [bench, "--benchmark_filter=^BM_PdfWholeRoad/1000", "--benchmark_format=json",
         "--benchmark_repetitions=%d" % runs, "--benchmark_min_time=0.5"],
        check=True, capture_output=True, text=True).stdout
    rows = [b for b in json.loads(out)["benchmarks"] if b.get("run_type") == "iteration"]
    return {
        "pages_per_second": statistics.median(b["pages_per_second"] for b in rows),
        "peak_rss_kib": max(b["peak_rss_kib"] for b in rows),
        "heap_bytes_per_element": statistics.median(b["heap_bytes_per_element"] for b in rows),
        # Only the first repetition rises above the process's earlier high-water mark.
        "rss_per_element": max(b["peak_rss_bytes_per_element"] for b in rows),
        "bytes": rows[-1]["pdf_bytes"],
    }


def reportlab(runs):
    results = []
    with tempfile.TemporaryDirectory() as folder:
        for _ in range(runs):
            # A fresh process each time, so that its peak memory is its own.
            out = subprocess.run(
                ["/usr/bin/python3", os.path.join(HERE, "reportlab_pages.py"), "--pages", "1000",
                 "--out", os.path.join(folder, "rl.pdf"), "--json"],
                check=True, capture_output=True, text=True).stdout
            results.append(json.loads(out))
    return {
        "pages_per_second": statistics.median(r["pages_per_second"] for r in results),
        "peak_rss_kib": max(r["peak_rss_kib"] for r in results),
        # Ten elements a page, as in the benchmark.
        "rss_per_element": max((r["peak_rss_kib"] - r["baseline_rss_kib"]) * 1024.0 / (1000 * 10)
                               for r in results),
        "bytes": results[-1]["bytes"],
    }


def main(argv):
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--bench", default=os.path.join(HERE, "..", "build", "bin", "zcnt_bench"))
    ap.add_argument("--runs", type=int, default=3)
    args = ap.parse_args(argv)
    a, b = ours(args.bench, args.runs), reportlab(args.runs)
    print("%-10s %12s %14s %10s" % ("", "pages/s", "peak RSS KiB", "PDF bytes"))
    print("%-10s %12.0f %14.0f %10.0f" % ("ours", a["pages_per_second"], a["peak_rss_kib"], a["bytes"]))
    print("%-10s %12.0f %14.0f %10.0f" % ("reportlab", b["pages_per_second"], b["peak_rss_kib"], b["bytes"]))
    print("speed ratio (ours / reportlab): %.2f" % (a["pages_per_second"] / b["pages_per_second"]))
    print("heap per element after building: %.0f bytes" % a["heap_bytes_per_element"])
    print("peak RSS per element above the loaded fonts: ours %.0f bytes, reportlab %.0f bytes"
          % (a["rss_per_element"], b["rss_per_element"]))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
