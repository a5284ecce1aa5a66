#!/usr/bin/python3
"""Runs the workbook benchmark: our reader and writer against openpyxl.

  bench/run_spreadsheet_bench.py <build folder with bin/spreadsheet_bench>

Each case runs three times, each in its own process; the best time (measured
inside the process, start-up and imports excluded) and the largest peak RSS
of the runs are reported, with the ratio openpyxl / ours.
"""
import os
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
PEER = os.path.join(HERE, "spreadsheet_peer.py")


def best_of_three(argv):
    best, rss, fields = None, 0.0, None
    for _ in range(3):
        seconds, f = run_with_rss(argv)
        rss = max(rss, f.pop("_rss"))
        if best is None or seconds < best:
            best, fields = seconds, f
    return best, rss, fields


def run_with_rss(argv):
    """One process: the seconds it reported, its other fields and its peak RSS (MB)."""
    with tempfile.TemporaryFile() as errors:
        proc = subprocess.Popen(argv, stdout=subprocess.PIPE, stderr=errors)
        out = proc.stdout.read()
        _, status, usage = os.wait4(proc.pid, 0)
        proc.returncode = status  # reaped here, so Popen must not wait again
        if status != 0:
            errors.seek(0)
            sys.exit("failed: %s\n%s%s" % (" ".join(argv), out.decode(), errors.read().decode()))
    fields = dict(f.split("=", 1) for f in out.decode().split())
    fields["_rss"] = usage.ru_maxrss / 1024.0
    return float(fields["seconds"]), fields


def main():
    build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build-bench")
    ours = os.path.join(build, "bin", "spreadsheet_bench")
    share = os.path.join(build, "share", "cardwright")
    with tempfile.TemporaryDirectory() as tmp:
        book = os.path.join(tmp, "bench.xlsx")
        subprocess.run(["/usr/bin/python3", PEER, "fixture", book], check=True)
        cases = [
            ("read", [ours, "read", book], ["/usr/bin/python3", PEER, "read", book], 150),
            ("write", [ours, "write", os.path.join(tmp, "ours.xlsx"), share],
             ["/usr/bin/python3", PEER, "write", os.path.join(tmp, "peer.xlsx")], 100),
        ]
        print("fixture: %s (%.1f MB)" % (os.path.basename(book), os.path.getsize(book) / 1e6))
        for name, mine, peer, rss_limit in cases:
            t_ours, rss_ours, f_ours = best_of_three(mine)
            t_peer, rss_peer, _ = best_of_three(peer)
            ratio = t_peer / t_ours
            detail = " ".join("%s=%s" % kv for kv in f_ours.items() if kv[0] != "seconds")
            print("%-5s ours %.3f s (%s), peak %.0f MB | openpyxl %.3f s, peak %.0f MB | %.1fx %s, RSS %s"
                  % (name, t_ours, detail, rss_ours, t_peer, rss_peer, ratio,
                     "ok" if ratio >= 10 else "BELOW 10x", "ok" if rss_ours <= rss_limit else "OVER %d MB" % rss_limit))


if __name__ == "__main__":
    main()
