#!/usr/bin/env python3
"""Which tests reach nothing that the other tests of their executable do not reach?

Builds the tree with coverage (build-cov/), runs every test of every test executable alone,
records the lines and branches of the program's own code (not of tests/) it covered, and lists
per executable the tests whose covered lines and branches all lie within the union of the
other tests'. These are candidates for deletion or folding, not verdicts: a test may check a
result that the others only pass through.

    tools/test-overlap.py [--build build-cov] [--only REGEX] [--out overlap.json]
"""
import argparse
import json
import os
import re
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
TEST_ENV = {"QT_QPA_PLATFORM": "offscreen", "LANG": "C.UTF-8", "LC_ALL": "C.UTF-8",
            "TZ": "Asia/Shanghai", "QTWEBENGINE_DISABLE_SANDBOX": "1", "FENWARDE_SOURCE_DIR": ROOT}


def configure_and_build(build):
    if not os.path.exists(os.path.join(build, "build.ninja")):
        subprocess.run(["cmake", "-S", ROOT, "-B", build, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Debug",
                        "-DCMAKE_CXX_FLAGS_DEBUG=-O0 -g0 --coverage",
                        "-DCMAKE_EXE_LINKER_FLAGS=--coverage",
                        "-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"], check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", build, "-j2"], check=True, stdout=subprocess.DEVNULL)


def executables(build):
    found = []
    for folder, _, names in os.walk(os.path.join(build, "tests")):
        for n in names:
            p = os.path.join(folder, n)
            if n.startswith("test_") and os.access(p, os.X_OK) and "." not in n:
                found.append(p)
    return sorted(found)


def list_tests(exe, env):
    out = subprocess.run([exe, "--gtest_list_tests"], env=env, capture_output=True, text=True).stdout
    tests, suite = [], None
    for line in out.splitlines():
        if not line.strip() or line.startswith(("Running", "Note")):
            continue
        if not line.startswith(" "):
            suite = line.split("#")[0].strip()
        else:
            tests.append(suite + line.split("#")[0].strip())
    return tests


def clear_counters(build):
    for folder, _, names in os.walk(build):
        for n in names:
            if n.endswith(".gcda"):
                os.unlink(os.path.join(folder, n))


def covered(build):
    """(file, line) and (file, line, branch) reached since the counters were cleared."""
    gcdas = [os.path.join(f, n) for f, _, names in os.walk(build) for n in names if n.endswith(".gcda")]
    lines, branches = set(), set()
    for i in range(0, len(gcdas), 64):
        out = subprocess.run(["gcov", "--json-format", "--stdout", *gcdas[i:i + 64]],
                             cwd=build, capture_output=True, text=True).stdout
        for doc in out.splitlines():
            if not doc.startswith("{"):
                continue
            for f in json.loads(doc).get("files", []):
                path = os.path.relpath(os.path.join(build, f["file"]), ROOT)
                if path.startswith(("..", "tests/", "build")):
                    continue
                for ln in f["lines"]:
                    if ln["count"] > 0:
                        lines.add((path, ln["line_number"]))
                    for b, br in enumerate(ln.get("branches", [])):
                        if br["count"] > 0:
                            branches.add((path, ln["line_number"], b))
    return lines | branches


def main():
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("--build", default=os.path.join(ROOT, "build-cov"))
    p.add_argument("--only", help="regular expression over executable names")
    p.add_argument("--out", default="overlap.json")
    args = p.parse_args()
    build = os.path.abspath(args.build)
    configure_and_build(build)
    result = {}
    for exe in executables(build):
        name = os.path.basename(exe)
        if args.only and not re.search(args.only, name):
            continue
        home = tempfile.mkdtemp(prefix="overlap-home-")
        env = dict(os.environ, **TEST_ENV, FENWARDE_HOME=home)
        reach = {}
        for test in list_tests(exe, env):
            clear_counters(build)
            subprocess.run([exe, "--gtest_filter=" + test], env=env, cwd=home,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=600)
            reach[test] = covered(build)
            print("%s %s: %d" % (name, test, len(reach[test])), file=sys.stderr, flush=True)
        candidates = []
        for test, mine in reach.items():
            others = set().union(*(r for t, r in reach.items() if t != test))
            if mine <= others:
                candidates.append({"test": test, "reached": len(mine)})
        result[name] = candidates
        print("%s: %d of %d tests reach nothing the others do not" % (name, len(candidates), len(reach)))
        for c in candidates:
            print("  " + c["test"])
    with open(args.out, "w", encoding="utf-8") as f:
        json.dump(result, f, indent=1)


if __name__ == "__main__":
    main()
