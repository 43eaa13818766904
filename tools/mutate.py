#!/usr/bin/env python3
"""Mutation sample of the core: which faults do the tests catch?

Draws mutation sites from the core's sources (the files of fenwarde_core) with a fixed seed,
spread over every source folder, and for each one: changes that one place, rebuilds the core
and the folder's core test executable, runs it and records which tests failed. A mutant that
does not compile is replaced by the next site of its folder, so the sample keeps its size.

    tools/mutate.py run [--count 120] [--seed 1] [--folders a,b] [--out mutants.json] [--build DIR]
    tools/mutate.py compare before.json after.json

The build directory is configured without the Qt shell (core tests only) at -O1 without debug
information: a mutant costs one object, one archive and one link. The source tree is restored
after every mutant, also on Ctrl-C; since it is changed while the run lasts, run it in a
worktree of its own (git worktree add) and commit nothing there meanwhile. It refuses a tree
with uncommitted changes to the core, so that a restored file is always the committed one.
"""
import argparse
import collections
import json
import os
import random
import re
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# Binary operators are spaced by the project's format, so " < " is never a template bracket
# and " - " never a unary minus.
SWAPS = [
    (" < ", " <= "), (" <= ", " < "), (" > ", " >= "), (" >= ", " > "),
    (" == ", " != "), (" != ", " == "),
    (" && ", " || "), (" || ", " && "),
    (" + ", " - "), (" - ", " + "),
]
IF_RE = re.compile(r"\bif \(")
TEST_ENV = {"QT_QPA_PLATFORM": "offscreen", "LANG": "C.UTF-8", "LC_ALL": "C.UTF-8",
            "TZ": "Asia/Shanghai", "QTWEBENGINE_DISABLE_SANDBOX": "1", "FENWARDE_SOURCE_DIR": ROOT}


def blank_strings(line):
    """The line with string and character literals and a trailing comment blanked out, same length."""
    out, i, quote = [], 0, None
    while i < len(line):
        c = line[i]
        if quote:
            if c == "\\":
                out.append("  ")
                i += 2
                continue
            out.append(" " if c != quote else c)
            if c == quote:
                quote = None
        elif c in "\"'":
            quote = c
            out.append(c)
        elif line.startswith("//", i):
            out.append(" " * (len(line) - i))
            break
        else:
            out.append(c)
        i += 1
    return "".join(out)[:len(line)]


def sites_of(path):
    """Every place in a file where one operator can be changed: (line number, column, old, new)."""
    sites = []
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    in_block = False
    for number, line in enumerate(lines):
        code = blank_strings(line)
        stripped = code.strip()
        if in_block:
            if "*/" in stripped:
                in_block = False
            continue
        if stripped.startswith("/*"):
            in_block = "*/" not in stripped
            continue
        if not stripped or stripped.startswith(("#", "*", "static_assert", "template")):
            continue
        for old, new in SWAPS:
            start = 0
            while (at := code.find(old, start)) >= 0:
                sites.append((number, at, old, new))
                start = at + 1
        for m in IF_RE.finditer(code):
            open_at = m.end() - 1
            depth, close_at = 0, None
            for j in range(open_at, len(code)):
                depth += code[j] == "("
                depth -= code[j] == ")"
                if depth == 0:
                    close_at = j
                    break
            if close_at is not None:
                cond = line[open_at + 1:close_at]
                sites.append((number, open_at, "(" + cond + ")", "(!(" + cond + "))"))
    return sites


def apply(path, site):
    number, column, old, new = site
    with open(path, encoding="utf-8") as f:
        text = f.read()
    lines = text.split("\n")
    line = lines[number]
    assert line[column:column + len(old)] == old, (path, site)
    lines[number] = line[:column] + new + line[column + len(old):]
    with open(path, "w", encoding="utf-8") as f:
        f.write("\n".join(lines))
    return text


def core_sources(build):
    with open(os.path.join(build, "compile_commands.json")) as f:
        entries = json.load(f)
    files = sorted({e["file"] for e in entries if "fenwarde_core.dir" in e["command"]})
    return [os.path.relpath(f, ROOT) for f in files]


def configure(build):
    if os.path.exists(os.path.join(build, "build.ninja")):
        return
    subprocess.run(["cmake", "-S", ROOT, "-B", build, "-G", "Ninja", "-DFENWARDE_BUILD_UI=OFF",
                    "-DCMAKE_BUILD_TYPE=Release", "-DCMAKE_CXX_FLAGS_RELEASE=-O1 -g0",
                    "-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"], check=True, stdout=subprocess.DEVNULL)


def test_executables(build, folder):
    d = os.path.join(build, "tests", folder)
    if not os.path.isdir(d):
        return []
    return sorted(os.path.join(d, n) for n in os.listdir(d)
                  if n.startswith("test_") and os.access(os.path.join(d, n), os.X_OK)
                  and os.path.isfile(os.path.join(d, n)))


def run_tests(build, executables):
    """Names of the tests that failed (or the executable, when it crashed or hung)."""
    failed = []
    for exe in executables:
        name = os.path.basename(exe)
        home = tempfile.mkdtemp(prefix="mutate-home-")
        env = dict(os.environ, **TEST_ENV, FENWARDE_HOME=home)
        report = os.path.join(home, "report.json")
        try:
            r = subprocess.run([exe, "--gtest_output=json:" + report], env=env, cwd=home,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=300)
        except subprocess.TimeoutExpired:
            failed.append(name + ":timeout")
            continue
        if r.returncode == 0:
            continue
        try:
            with open(report) as f:
                suites = json.load(f)["testsuites"]
            names = [s["name"] + "." + t["name"] for s in suites for t in s["testsuite"]
                     if t.get("failures")]
        except (OSError, ValueError, KeyError):
            names = []
        failed.extend(names or [name + ":crashed"])
    return failed


def build_target(build, targets):
    r = subprocess.run(["cmake", "--build", build, "-j2", "--target", *targets],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return r.returncode == 0


def draw_sample(build, count, seed):
    """Sites per folder in a fixed order: every folder gets its share, at least three. Each folder
    shuffles with a generator of its own, so a change elsewhere leaves its sample as it was."""
    by_folder = collections.defaultdict(list)
    for rel in core_sources(build):
        for site in sites_of(os.path.join(ROOT, rel)):
            by_folder[rel.split("/")[0]].append((rel, site))
    total = sum(len(v) for v in by_folder.values())
    plan = {}
    for folder, sites in sorted(by_folder.items()):
        random.Random("%d/%s" % (seed, folder)).shuffle(sites)
        plan[folder] = (max(3, round(count * len(sites) / total)), sites)
    return plan


def run(args):
    dirty = subprocess.run(["git", "-C", ROOT, "status", "--porcelain", "--untracked-files=no"],
                           capture_output=True, text=True).stdout
    if dirty.strip():
        sys.exit("uncommitted changes in " + ROOT + "; commit them or run in a clean worktree:\n" + dirty)
    build = os.path.abspath(args.build)
    configure(build)
    if not build_target(build, ["all"]):
        sys.exit("the unmutated tree does not build in " + build)
    plan = draw_sample(build, args.count, args.seed)
    if args.folders:
        plan = {f: p for f, p in plan.items() if f in args.folders.split(",")}
    baseline = {}
    for folder in plan:
        exes = test_executables(build, folder)
        baseline[folder] = run_tests(build, exes)
        if baseline[folder]:
            sys.exit("tests fail without a mutant in %s: %s" % (folder, baseline[folder]))
    results = []
    for folder, (wanted, sites) in plan.items():
        exes = test_executables(build, folder)
        if not exes:
            print("%s: no core test executable; skipped" % folder, file=sys.stderr)
            continue
        targets = [os.path.basename(e) for e in exes]
        taken = 0
        for rel, site in sites:
            if taken == wanted:
                break
            path = os.path.join(ROOT, rel)
            original = apply(path, site)
            try:
                if not build_target(build, targets):
                    continue
                failed = run_tests(build, exes)
            finally:
                with open(path, "w", encoding="utf-8") as f:
                    f.write(original)
            taken += 1
            number, column, old, new = site
            results.append({"file": rel, "line": number + 1, "column": column + 1,
                            "from": old.strip(), "to": new.strip(), "killed_by": failed})
            print("%-4d %-8s %s:%d %s -> %s" % (len(results), "killed" if failed else "SURVIVED",
                  rel, number + 1, old.strip(), new.strip()), flush=True)
    build_target(build, ["all"])  # leave the build matching the restored tree
    killed = sum(1 for r in results if r["killed_by"])
    summary = {"seed": args.seed, "mutants": len(results), "killed": killed,
               "kill_rate": round(killed / len(results), 4) if results else 0.0}
    with open(args.out, "w", encoding="utf-8") as f:
        json.dump({"summary": summary, "mutants": results}, f, ensure_ascii=False, indent=1)
    print(json.dumps(summary))
    sole = collections.Counter()
    for r in results:
        if len(r["killed_by"]) == 1:
            sole[r["killed_by"][0]] += 1
    if sole:
        print("tests that alone kill a mutant:", ", ".join("%s (%d)" % kv for kv in sole.most_common()))


def key(m):
    return (m["file"], m["line"], m["column"], m["from"], m["to"])


def compare(args):
    with open(args.before) as f:
        before = {key(m): m for m in json.load(f)["mutants"]}
    with open(args.after) as f:
        after = {key(m): m for m in json.load(f)["mutants"]}
    common = before.keys() & after.keys()
    lost = [k for k in common if before[k]["killed_by"] and not after[k]["killed_by"]]
    for kind, data in (("before", before), ("after", after)):
        k = sum(1 for m in data.values() if m["killed_by"])
        print("%s: %d of %d killed (%.1f %%)" % (kind, k, len(data), 100.0 * k / max(1, len(data))))
    print("same mutants: %d; killed before, surviving after: %d" % (len(common), len(lost)))
    for k in lost:
        print("  %s:%d %s -> %s (was killed by %s)" % (k[0], k[1], k[3], k[4], ", ".join(before[k]["killed_by"])))
    return 1 if len(lost) > 1 else 0


def main():
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    sub = p.add_subparsers(dest="command", required=True)
    r = sub.add_parser("run")
    r.add_argument("--count", type=int, default=120)
    r.add_argument("--seed", type=int, default=1)
    r.add_argument("--out", default="mutants.json")
    r.add_argument("--folders", help="only these source folders, separated by commas")
    r.add_argument("--build", default=os.path.join(ROOT, "build-mutate"))
    c = sub.add_parser("compare")
    c.add_argument("before")
    c.add_argument("after")
    args = p.parse_args()
    if args.command == "run":
        run(args)
    else:
        sys.exit(compare(args))


if __name__ == "__main__":
    main()
