#!/usr/bin/env python3
"""Mutation check: do the unit tests notice small, plausible faults in src/?

Each mutant in the list replaces one snippet of source by a faulty version.
The snippet is looked for anywhere under src/, so a mutant survives files
being moved or renamed; it must occur exactly once there (whitespace runs may
differ), else the mutant is "not applicable". Every mutant is applied in a
scratch copy of the tree, the Debug build there is rebuilt incrementally, the
unit tests run under ctest, and the file is restored.

  scripts/mutation_check.py [--mutants tests/mutants.txt] [--only ID,ID]
                            [--check] [--every-test] [--output FILE]

--every-test runs every test on each mutant and names all that catch it, and
then the tests that catch no mutant alone: a guide to where the suite is
redundant (slower: no test run stops early).

Results, one line per mutant:
  caught             a test failed, crashed or hung (the first one is named)
  survived           every test passed
  not applicable     the snippet is missing from src/ or not unique there
  does not compile   the mutant did not build (not counted either way)

Mutant list format (lines starting with '#' outside a block are comments):

  @@ id | what the fault is
  <<<
  exact original code, one or more lines
  ===
  the faulty replacement (may be empty)
  >>>
"""

import argparse
import hashlib
import os
import re
import shutil
import signal
import subprocess
import sys
import time
from pathlib import Path

BUILD_DIR = "build"  # inside the scratch tree; the debug preset builds in build/debug


class Mutant:
    def __init__(self, ident, what, original, replacement, line):
        self.ident = ident
        self.what = what
        self.original = original
        self.replacement = replacement
        self.line = line


def parse_mutants(path):
    mutants = []
    lines = Path(path).read_text(encoding="utf-8").split("\n")
    i = 0

    def fail(n, message):
        sys.exit(f"{path}:{n + 1}: {message}")

    while i < len(lines):
        line = lines[i]
        if not line.strip() or line.startswith("#"):
            i += 1
            continue
        if not line.startswith("@@"):
            fail(i, "expected '@@ id | description'")
        head = line[2:].split("|", 1)
        ident = head[0].strip()
        what = head[1].strip() if len(head) > 1 else ""
        if not ident:
            fail(i, "mutant without an id")
        start = i
        if i + 1 >= len(lines) or lines[i + 1].rstrip() != "<<<":
            fail(i + 1, "expected '<<<'")
        i += 2
        original = []
        while i < len(lines) and lines[i].rstrip() != "===":
            original.append(lines[i])
            i += 1
        if i >= len(lines):
            fail(start, "block without '==='")
        i += 1
        replacement = []
        while i < len(lines) and lines[i].rstrip() != ">>>":
            replacement.append(lines[i])
            i += 1
        if i >= len(lines):
            fail(start, "block without '>>>'")
        i += 1
        text = "\n".join(original)
        if not text.strip():
            fail(start, "empty original snippet")
        mutants.append(Mutant(ident, what, text, "\n".join(replacement), start + 1))
    seen = set()
    for m in mutants:
        if m.ident in seen:
            sys.exit(f"{path}:{m.line}: duplicate mutant id {m.ident}")
        seen.add(m.ident)
    return mutants


def snippet_pattern(snippet):
    # Whitespace runs match any whitespace run, so re-indented or re-wrapped
    # code still matches; everything else must be exact.
    tokens = snippet.split()
    return re.compile(r"\s+".join(re.escape(t) for t in tokens))


def source_files(tree):
    out = []
    for root, _, files in os.walk(tree / "src"):
        for name in files:
            if name.endswith((".cpp", ".h", ".hpp", ".cc", ".inl")):
                out.append(Path(root) / name)
    return sorted(out)


def locate(mutant, tree):
    """(file, start, end) of the one match under src/, or (None, reason)."""
    pattern = snippet_pattern(mutant.original)
    hits = []
    for f in source_files(tree):
        text = f.read_text(encoding="utf-8", errors="surrogateescape")
        for m in pattern.finditer(text):
            hits.append((f, m.start(), m.end()))
    if not hits:
        return None, "snippet not found under src/"
    if len(hits) > 1:
        where = ", ".join(sorted({str(h[0].relative_to(tree)) for h in hits}))
        return None, f"snippet found {len(hits)} times ({where})"
    return hits[0], None


def tracked_files(source):
    try:
        out = subprocess.run(
            ["git", "-C", str(source), "ls-files", "-z", "--cached", "--others",
             "--exclude-standard"],
            check=True, capture_output=True).stdout
        names = [n for n in out.decode("utf-8", "surrogateescape").split("\0") if n]
    except (OSError, subprocess.CalledProcessError):
        names = []
        for root, dirs, files in os.walk(source):
            dirs[:] = [d for d in dirs if d not in (".git", BUILD_DIR)]
            for name in files:
                names.append(str((Path(root) / name).relative_to(source)))
    return sorted(n for n in names if (source / n).is_file() and n.split("/")[0] != BUILD_DIR)


def sync_tree(source, tree):
    """Makes `tree` (build folder aside) hold exactly the source's files.

    Unchanged files keep their times so the build stays incremental; changed
    ones get a fresh time (never the source's, which may be older than an
    object built from other content)."""
    wanted = set(tracked_files(source))
    copied = 0
    for name in sorted(wanted):
        src, dst = source / name, tree / name
        if dst.is_file() and dst.read_bytes() == src.read_bytes():
            continue
        dst.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(src, dst)
        shutil.copymode(src, dst)
        copied += 1
    removed = 0
    for root, dirs, files in os.walk(tree, topdown=True):
        rel_root = Path(root).relative_to(tree)
        if rel_root == Path("."):
            dirs[:] = [d for d in dirs if d != BUILD_DIR]
        for name in files:
            rel = str(rel_root / name) if rel_root != Path(".") else name
            if rel not in wanted:
                (Path(root) / name).unlink()
                removed += 1
    # Folders left empty by a move; CMake globs would not mind, people would.
    for root, _, _ in os.walk(tree, topdown=False):
        rel = Path(root).relative_to(tree)
        if rel.parts and rel.parts[0] != BUILD_DIR and not os.listdir(root):
            os.rmdir(root)
    return copied, removed


def run_logged(cmd, cwd, log, timeout):
    """Runs `cmd` in its own process group with output to `log`.
    Returns (exit code or None on timeout, seconds)."""
    start = time.monotonic()
    with open(log, "wb") as out:
        proc = subprocess.Popen(cmd, cwd=cwd, stdout=out, stderr=subprocess.STDOUT,
                                start_new_session=True)
        try:
            code = proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            os.killpg(proc.pid, signal.SIGKILL)
            proc.wait()
            code = None
        except BaseException:
            os.killpg(proc.pid, signal.SIGKILL)
            proc.wait()
            raise
    return code, time.monotonic() - start


RESULT_LINE = re.compile(r"^\s*\d+/\d+ Test\s+#(\d+): (.+?) \.{3,}\s*(.*?)\s+([\d.]+) sec\s*$")
START_LINE = re.compile(r"^\s*Start\s+(\d+): (.+?)\s*$")


def test_times(log):
    """Seconds each test took in a ctest log, by name."""
    times = {}
    for line in Path(log).read_text(encoding="utf-8", errors="replace").splitlines():
        m = RESULT_LINE.match(line)
        if m:
            times[m.group(2)] = float(m.group(4))
    return times


def run_tests(cmd, cwd, log, per_test_limit, total_limit, failed=None):
    """Runs ctest, watching its output as it comes.

    Stops at the first failed test (or, given a `failed` list, collects every
    failed test there and goes on), or when one test runs past its own limit
    or the whole run past `total_limit` (a hang). Returns (outcome, detail,
    tests passed) with outcome "passed", "failed", "hung" or "error"."""
    started, passed = {}, 0
    pending = b""
    begin = time.monotonic()
    with open(log, "wb") as out, open(log, "rb") as tail:
        proc = subprocess.Popen(cmd, cwd=cwd, stdout=out, stderr=subprocess.STDOUT,
                                start_new_session=True)

        def stop():
            os.killpg(proc.pid, signal.SIGKILL)
            proc.wait()

        try:
            while True:
                code = proc.poll()
                pending += tail.read()
                *lines, pending = pending.split(b"\n")
                now = time.monotonic()
                for raw in lines:
                    line = raw.decode("utf-8", "replace")
                    m = START_LINE.match(line)
                    if m:
                        started[m.group(1)] = (m.group(2), now)
                        continue
                    m = RESULT_LINE.match(line)
                    if m:
                        started.pop(m.group(1), None)
                        status = " ".join(m.group(3).replace("*", " ").split())
                        if status == "Passed":
                            passed += 1
                        elif failed is not None:
                            failed.append(m.group(2))
                        else:
                            if code is None:
                                stop()
                            return "failed", f"{m.group(2)} ({status})", passed
                if code is not None:
                    if failed:
                        return "failed", ", ".join(failed), passed
                    if code == 0:
                        return "passed", "", passed
                    return "error", f"ctest exit {code}", passed
                for name, since in started.values():
                    if now - since > per_test_limit(name):
                        stop()
                        if failed is not None:
                            failed.append(name)
                        return "hung", name, passed
                if now - begin > total_limit:
                    stop()
                    running = sorted(started.values(), key=lambda v: v[1])
                    return "hung", running[0][0] if running else "ctest", passed
                time.sleep(0.5)
        except BaseException:
            if proc.poll() is None:
                stop()
            raise


def short(name, width=90):
    return name if len(name) <= width else name[: width - 3] + "..."


def build(tree, jobs, log, timeout):
    return run_logged(["nice", "-n", "10", "cmake", "--build", "--preset", "debug", "-j",
                       str(jobs)], tree, log, timeout)


def compile_error(log):
    text = Path(log).read_text(encoding="utf-8", errors="replace")
    for line in text.splitlines():
        if re.search(r"\berror\b:", line) and not line.startswith("gmake"):
            return line.strip()
    return None


def main():
    root = Path(__file__).resolve().parent.parent
    p = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    p.add_argument("--source", default=str(root), help="tree to test (default: this checkout)")
    p.add_argument("--mutants", default=None, help="mutant list (default: SOURCE/tests/mutants.txt)")
    p.add_argument("--scratch", default=None,
                   help="scratch copy and its build (default: a folder in /tmp named for SOURCE)")
    p.add_argument("--only", default="", help="comma-separated mutant ids to run")
    p.add_argument("--check", action="store_true",
                   help="only report which mutants apply; build and run nothing")
    p.add_argument("--jobs", type=int, default=2)
    p.add_argument("--hang-seconds", type=float, default=45,
                   help="a test running longer than this and 10 x its unmutated time hangs")
    p.add_argument("--build-timeout", type=float, default=1800)
    p.add_argument("--every-test", action="store_true",
                   help="run every test on each mutant and name all that catch it")
    p.add_argument("--output", default=None, help="also write the report to this file")
    args = p.parse_args()

    source = Path(args.source).resolve()
    mutants = parse_mutants(args.mutants or source / "tests" / "mutants.txt")
    if args.only:
        chosen = {s.strip() for s in args.only.split(",") if s.strip()}
        unknown = chosen - {m.ident for m in mutants}
        if unknown:
            sys.exit(f"unknown mutant ids: {', '.join(sorted(unknown))}")
        mutants = [m for m in mutants if m.ident in chosen]

    digest = hashlib.sha1(str(source).encode()).hexdigest()[:8]
    scratch = Path(args.scratch or f"/tmp/zentrov_mutation_{source.name}_{digest}").resolve()
    if scratch == source or source in scratch.parents or scratch in source.parents:
        sys.exit("the scratch folder must lie outside the source tree")
    tree = scratch / "tree"
    logs = scratch / "logs"
    tree.mkdir(parents=True, exist_ok=True)
    logs.mkdir(parents=True, exist_ok=True)

    report = []
    width = max([len(m.ident) for m in mutants] + [10]) + 1

    def say(line=""):
        print(line, flush=True)
        report.append(line)

    copied, removed = sync_tree(source, tree)
    head = subprocess.run(["git", "-C", str(source), "rev-parse", "--short", "HEAD"],
                          capture_output=True, text=True).stdout.strip() or "?"
    dirty = subprocess.run(["git", "-C", str(source), "status", "--porcelain", "--untracked-files=no"],
                           capture_output=True, text=True).stdout.strip()
    say(f"# mutation check of {source} at {head}{' (with uncommitted changes)' if dirty else ''}")
    say(f"# scratch tree {tree} ({copied} files copied, {removed} removed)")

    if args.check:
        ok = 0
        for m in mutants:
            hit, reason = locate(m, tree)
            if hit:
                ok += 1
                line_no = hit[0].read_text(encoding="utf-8", errors="surrogateescape")[: hit[1]].count("\n") + 1
                say(f"{m.ident:<{width}} applies at {hit[0].relative_to(tree)}:{line_no}")
            else:
                say(f"{m.ident:<{width}} not applicable: {reason}")
        say(f"# {ok} of {len(mutants)} mutants apply")
        return 0

    if not (tree / BUILD_DIR / "debug" / "CMakeCache.txt").exists() or copied or removed:
        code, _ = run_logged(["nice", "-n", "10", "cmake", "--preset", "debug"], tree,
                             logs / "configure.log", args.build_timeout)
        if code != 0:
            sys.exit(f"configure failed, see {logs / 'configure.log'}")
    code, secs = build(tree, args.jobs, logs / "baseline_build.log", args.build_timeout)
    if code != 0:
        sys.exit(f"the unmutated tree does not build, see {logs / 'baseline_build.log'}")
    ctest = ["nice", "-n", "10", "ctest", "--preset", "debug", "-j", str(args.jobs)]
    outcome, detail, passed = run_tests(ctest, tree, logs / "baseline_ctest.log",
                                        lambda name: 3600, 3600)
    if outcome != "passed":
        sys.exit(f"the unmutated tree fails its tests ({detail}), see {logs / 'baseline_ctest.log'}")
    base_times = test_times(logs / "baseline_ctest.log")
    base_secs = sum(base_times.values())

    # A hung test is one running far longer than it did unmutated; other
    # builds on the machine may slow everything down a few times over.
    def per_test_limit(name):
        return max(args.hang_seconds, 10 * base_times.get(name, 0.0))

    total_limit = max(600.0, 4 * base_secs)
    say(f"# baseline: {passed} tests pass ({base_secs:.0f} s of test time); a test running"
        f" over {args.hang_seconds:.0f} s (or 10 x its own time) counts as hung")
    say()

    counts = {"caught": 0, "survived": 0, "not applicable": 0, "does not compile": 0}
    hangs = 0
    survivors = []
    catchers = {}  # mutant id -> the tests that caught it, with --every-test
    for m in mutants:
        hit, reason = locate(m, tree)
        if not hit:
            counts["not applicable"] += 1
            say(f"{m.ident:<{width}} {'not applicable':<17} {reason}")
            continue
        path, start, end = hit
        original = path.read_bytes()
        text = original.decode("utf-8", "surrogateescape")
        mutated = text[:start] + m.replacement.strip() + text[end:]
        started = time.monotonic()
        try:
            path.write_bytes(mutated.encode("utf-8", "surrogateescape"))
            blog = logs / f"{m.ident}.build.log"
            code, _ = build(tree, args.jobs, blog, args.build_timeout)
            if code != 0:
                err = compile_error(blog)
                if err or code is None:
                    status = "does not compile"
                    detail = short(err or "build timed out", 120)
                else:
                    status = "caught"
                    detail = f"build step failed (see {blog.name})"
            else:
                tlog = logs / f"{m.ident}.ctest.log"
                failed = [] if args.every_test else None
                outcome, detail, _ = run_tests(ctest + ([] if failed is not None else ["--stop-on-failure"]),
                                               tree, tlog, per_test_limit, total_limit, failed)
                if failed:
                    catchers[m.ident] = set(failed)
                if outcome == "passed":
                    status = "survived"
                    detail = m.what
                    survivors.append(m)
                elif outcome == "hung":
                    status = "caught"
                    hangs += 1
                    detail = "hung: " + short(detail)
                else:
                    status = "caught"
                    detail = short(detail) if outcome == "failed" else f"{detail} (see {tlog.name})"
                if failed:
                    detail = ", ".join(failed)
        finally:
            path.write_bytes(original)
        counts[status] += 1
        say(f"{m.ident:<{width}} {status:<17} {detail}  [{time.monotonic() - started:.0f} s]")

    considered = counts["caught"] + counts["survived"]
    say()
    say(f"# totals: {len(mutants)} mutants: {counts['caught']} caught"
        f" ({hangs} by a hang), {counts['survived']} survived,"
        f" {counts['not applicable']} not applicable, {counts['does not compile']} do not compile")
    if considered:
        say(f"# caught {counts['caught']} of {considered} that ran"
            f" ({100.0 * counts['caught'] / considered:.0f}%)")
    if survivors:
        say("# survivors:")
        for m in survivors:
            say(f"#   {m.ident}: {m.what}")
    if args.every_test:
        alone = {t for names in catchers.values() if len(names) == 1 for t in names}
        others = sorted(set(base_times) - alone)
        say("# tests that catch no mutant alone (each of their catches is also another test's):")
        for name in others:
            n = sum(name in names for names in catchers.values())
            say(f"#   {name} (catches {n})")
    if args.output:
        Path(args.output).write_text("\n".join(report) + "\n", encoding="utf-8")
    return 0


if __name__ == "__main__":
    sys.exit(main())
