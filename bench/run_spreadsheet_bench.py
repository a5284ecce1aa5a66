#!/usr/bin/python3
"""Runs the workbook benchmark: our reader and writer against openpyxl.

  bench/run_spreadsheet_bench.py <build folder with bin/spreadsheet_bench>

Each case runs five times on each side (the large reads fewer), each run
in its own process and the two sides taking turns; the median time
(measured inside the process, start-up and imports excluded), the largest
peak RSS of the runs and the ratio openpyxl / ours are reported, with the
load average before and after and the size of the written workbooks. The
large reads are 400,000 rows of the 10-column fixture, 300,000 rows of ten
number columns, and 1,000,000 rows, which our reader refuses for its memory
budget (openpyxl is not run on that one).

  bench/run_spreadsheet_bench.py <build folder> read-only
      runs the reads of our side alone, for comparing two builds.
"""
import os
import statistics
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
PEER = os.path.join(HERE, "spreadsheet_peer.py")
RUNS = 5


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
    return float(fields.pop("seconds")), usage.ru_maxrss / 1024.0, fields


def load():
    return "%.2f %.2f %.2f" % os.getloadavg()


def main():
    build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build-bench")
    ours = os.path.join(build, "bin", "spreadsheet_bench")
    share = os.path.join(build, "share", "cardwright")
    print("machine: %d cores, load average before: %s" % (os.cpu_count(), load()))
    reads_only = len(sys.argv) > 2 and sys.argv[2] == "read-only"
    with tempfile.TemporaryDirectory() as tmp:
        def fixture(name, rows, kind):
            path = os.path.join(tmp, name)
            subprocess.run(["/usr/bin/python3", PEER, "fixture", path, str(rows), kind], check=True)
            print("read fixture %s: %d x 10 %s (%.1f MB)" % (name, rows, kind, os.path.getsize(path) / 1e6))
            return path
        book = fixture("bench.xlsx", 100000, "mixed")
        large = fixture("large.xlsx", 400000, "mixed")
        numbers = fixture("numbers.xlsx", 300000, "numbers")
        refused = fixture("refused.xlsx", 1000000, "mixed")
        out = lambda name: os.path.join(tmp, name)
        peer_read = lambda path: ["/usr/bin/python3", PEER, "read", path]
        # name, our command, peer command (None: ours alone), files written
        # (ours, peer), goal: seconds, MB, ratio, and runs of each side
        cases = [
            ("read 100000x10", [ours, "read", book], peer_read(book), None, (0.25, None, 15), 5),
            ("read 400000x10", [ours, "read", large, "400001"], peer_read(large), None, (None, 175, 15), 3),
            ("read 300000x10n", [ours, "read", numbers, "300001"], peer_read(numbers), None, (None, 145, 15), 3),
            ("read refused", [ours, "read", refused, "0"], None, None, (None, None, None), 3),
            ("write 100000x10", [ours, "write", out("ours10.xlsx"), share, "10"],
             ["/usr/bin/python3", PEER, "write", out("peer10.xlsx"), "10"], ("ours10.xlsx", "peer10.xlsx"), (0.3, 60, 10),
             RUNS),
            ("write 100000x1", [ours, "write", out("ours1.xlsx"), share, "1"],
             ["/usr/bin/python3", PEER, "write", out("peer1.xlsx"), "1"], ("ours1.xlsx", "peer1.xlsx"), (None, None, 10),
             RUNS),
        ]
        for name, mine, peer, files, (goal_s, goal_mb, goal_ratio), runs in cases:
            if reads_only:
                if files:
                    continue
                peer = None
            t_ours, t_peer, rss_ours, rss_peer, base = [], [], 0.0, 0.0, 0.0
            for _ in range(runs):
                s, rss, fields = run_with_rss(mine)
                t_ours.append(s)
                rss_ours = max(rss_ours, rss)
                base = float(fields.get("base", 0))
                if peer:
                    s, rss, _ = run_with_rss(peer)
                    t_peer.append(s)
                    rss_peer = max(rss_peer, rss)
            m_ours = statistics.median(t_ours)
            verdict = []
            if goal_s:
                verdict.append("time %s" % ("ok" if m_ours < goal_s else "OVER %.2f s" % goal_s))
            if goal_mb:
                verdict.append("memory %s" % ("ok" if rss_ours <= goal_mb else "OVER %d MB" % goal_mb))
            print("%-16s ours %.3f s (runs %s), peak %.0f MB (%.0f MB before the timed step)"
                  % (name, m_ours, " ".join("%.3f" % t for t in t_ours), rss_ours, base))
            if peer:
                m_peer = statistics.median(t_peer)
                ratio = m_peer / m_ours
                verdict.append("ratio %s" % ("ok" if ratio >= goal_ratio else "BELOW %dx" % goal_ratio))
                print("%-16s openpyxl %.3f s (runs %s), peak %.0f MB | %.1fx | %s"
                      % ("", m_peer, " ".join("%.3f" % t for t in t_peer), rss_peer, ratio, ", ".join(verdict)))
            elif verdict:
                print("%-16s %s" % ("", ", ".join(verdict)))
            if files:
                print("%-16s sizes: ours %.2f MB, openpyxl %.2f MB"
                      % ("", os.path.getsize(out(files[0])) / 1e6, os.path.getsize(out(files[1])) / 1e6))
    print("load average after: %s" % load())


if __name__ == "__main__":
    main()
