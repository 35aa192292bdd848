#!/usr/bin/env python3
"""Plants realistic faults in the code one at a time and reports how many the test suite catches.

    tools/mutate.py [--build DIR] [--only NAME,...] [--list]

Each mutant replaces one exact text in one source file (the text must occur exactly once), builds
the test executables that cover it in DIR (default build/test, configured as test.sh configures
it), and runs them on the embedded database. A mutant is caught when a test fails or the build
breaks on purpose-free grounds (it does not: every mutant compiles). The file is restored after
each mutant, whatever happens, and the executables are rebuilt at the end.
"""
import argparse
import os
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# Mutants live in tools/mutants/*.py, each file a list MUTANTS of
# (name, file, text, replacement, test executables (target names; each lives in tests/<dir>/)).
def load_mutants():
    found = []
    folder = os.path.join(ROOT, "tools", "mutants")
    for entry in sorted(os.listdir(folder)):
        if entry.endswith(".py"):
            scope = {}
            exec(compile(open(os.path.join(folder, entry), encoding="utf-8").read(), entry, "exec"), scope)
            found.extend(scope["MUTANTS"])
    return found


MUTANTS = load_mutants()


TEST_DIRS = {"bill_tests": "bill", "browser_tests": "browser", "host_tests": "host", "data_tests": "data",
             "db_tests": "db", "reliability_tests": "reliability", "app_tests": "app", "dialect_tests": "dialect",
             "entry_tests": "entry", "report_tests": "report", "schema_tests": "schema",
             "ui_qt_tests": "ui_qt"}


def run(cmd, **kw):
    return subprocess.run(cmd, cwd=ROOT, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, **kw)


def build(build_dir, targets):
    return run(["cmake", "--build", build_dir, "-j", str(os.cpu_count() or 2), "--target", *targets])


def caught_by(build_dir, targets):
    """The first executable whose tests fail, or None."""
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", SPB_TEST_BACKEND="sqlite")
    for t in targets:
        exe = os.path.join(build_dir, "tests", TEST_DIRS[t], t)
        r = run([exe, "--gtest_brief=1"], env=env, timeout=1800)
        if r.returncode != 0:
            failed = [l for l in r.stdout.splitlines() if l.startswith("[  FAILED  ]") and "." in l]
            return f"{t}: {failed[0][13:].strip().split(' ')[0] if failed else 'exit ' + str(r.returncode)}"
    return None


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--build", default=os.path.join(ROOT, "build", "test"))
    ap.add_argument("--only", default="")
    ap.add_argument("--list", action="store_true")
    args = ap.parse_args()
    chosen = [m for m in MUTANTS if not args.only or any(k in m[0] for k in args.only.split(","))]
    if args.list:
        for m in chosen:
            print(f"{m[0]}  ({m[1]})")
        return 0
    # Every mutant must still find its text: a refactoring that moved it makes the check stale.
    for name, path, text, _, _ in chosen:
        count = open(os.path.join(ROOT, path), encoding="utf-8").read().count(text)
        if count != 1:
            print(f"stale mutant '{name}': its text occurs {count} times in {path}", file=sys.stderr)
            return 2
    caught = 0
    touched = set()
    for name, path, text, replacement, targets in chosen:
        full = os.path.join(ROOT, path)
        original = open(full, encoding="utf-8").read()
        started = time.time()
        try:
            with open(full, "w", encoding="utf-8") as f:
                f.write(original.replace(text, replacement))
            b = build(args.build, targets)
            verdict = "build failed" if b.returncode != 0 else caught_by(args.build, targets)
        finally:
            with open(full, "w", encoding="utf-8") as f:
                f.write(original)
            # The restored file must not look older than the mutant's objects.
            os.utime(full, None)
        touched.update(targets)
        caught += verdict is not None
        print(f"{'caught' if verdict else 'MISSED'}  {name}  [{verdict or '-'}]  {time.time() - started:.0f} s", flush=True)
    build(args.build, sorted(touched))
    print(f"caught {caught} of {len(chosen)}")
    return 0 if caught == len(chosen) else 1


if __name__ == "__main__":
    sys.exit(main())
