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

# name, file, text, replacement, test executables (target names; each lives in tests/<dir>/)
MUTANTS = [
    ("line delete without its unaudited guard", "src/bill/LineDeletePrint.cpp",
     "\"' and exists (select 1 from SubAdjuctPrice where lsh='\" + key + \"' and isnull(shbz,0)=0)\"", "\"'\"",
     ["bill_tests"]),
    ("bulk change checks only the new price", "src/bill/FrmBulkChange.cpp",
     "s->second.hh != l.hh || s->second.sj1 != l.sj1 || s->second.sj2 != l.sj2", "s->second.sj2 != l.sj2",
     ["bill_tests"]),
    ("browser delete commits a failed delete", "src/browser/BrowserCommands.cpp",
     "                HostConnection().RollbackTrans();\n            } catch (...) {\n            }\n        }\n        ui::MsgBox(DescriptionOf(e), ui::Buttons::Ok, ui::Icon::Exclamation",
     "                HostConnection().CommitTrans();\n            } catch (...) {\n            }\n        }\n        ui::MsgBox(DescriptionOf(e), ui::Buttons::Ok, ui::Icon::Exclamation",
     ["browser_tests"]),
    ("report filter compares the cell untrimmed", "src/host/ReportFilter.cpp",
     "        text = db::text::TrimView(text);\n", "", ["host_tests"]),
    ("a quote not doubled", "src/data/QueryRoutines.cpp",
     "        if (c == '\\'') out += '\\'';\n", "", ["data_tests", "bill_tests"]),
    ("audit claims an audited bill again", "src/bill/AuditPost.cpp",
     "                                 \"' and isnull(SHBZ,0)=0\";", "                                 \"'\";",
     ["bill_tests"]),
    ("an unfinished transaction commits", "src/db/Connection.h",
     "if (!done_) try { c_.RollbackTrans(); }", "if (!done_) try { c_.CommitTrans(); }",
     ["bill_tests", "db_tests"]),
    ("audit takes another branch's price as present", "src/bill/PendingPrices.cpp",
     "where g.hh=m.hh and g.dwbh='\" + target + \"')", "where g.hh=m.hh)", ["bill_tests"]),
    ("a write lock of the wrong kind", "src/db/sqlite/SqliteDriver.cpp",
     "Execute(\"BEGIN IMMEDIATE\");", "Execute(\"BEGIN DEFERRED\");", ["db_tests", "reliability_tests"]),
    ("a new bill takes the last serial", "src/bill/BillNumbering.cpp",
     "shared.CurrentLsh = std::to_string(m + 1);", "shared.CurrentLsh = std::to_string(m);", ["bill_tests"]),
    ("a negative price accepted", "src/bill/PriceRounding.cpp",
     "    if (price < 0) return PriceFault::Negative;\n", "", ["bill_tests"]),
    ("sort with nulls last", "src/db/Recordset.cpp",
     "return a.cls == b.cls ? 0 : (a.cls == SortKey::Nothing ? -1 : 1);",
     "return a.cls == b.cls ? 0 : (a.cls == SortKey::Nothing ? 1 : -1);", ["db_tests", "browser_tests"]),
    ("a due bill applied twice", "src/bill/PendingPrices.cpp",
     "' where lsh='\" + key +\n                                        \"' and zt=0\");",
     "' where lsh='\" + key +\n                                        \"'\");", ["app_tests"]),
    ("a posted bill withdrawn", "src/bill/PendingPrices.cpp",
     "' and shbz=1 and isnull(jzbz,0)=0\";", "' and shbz=1\";", ["bill_tests"]),
    ("the old price struck through when it was lower", "src/bill/ShelfLabels.cpp",
     "label.strikeOld = label.oldPrice > label.newPrice;", "label.strikeOld = label.oldPrice != label.newPrice;",
     ["bill_tests"]),
    ("the .9 ending rounds up only", "src/bill/PriceEndings.cpp",
     "FloorDiv(d.micro - ending + kUnit / 2, kUnit)", "FloorDiv(d.micro - ending + kUnit - 1, kUnit)", ["bill_tests"]),
    ("lines added after the commit", "src/bill/BillWriter.cpp",
     "        write(c, lsh, writer);\n        transaction.Commit();\n",
     "        transaction.Commit();\n        write(c, lsh, writer);\n", ["bill_tests"]),
]

TEST_DIRS = {"bill_tests": "bill", "browser_tests": "browser", "host_tests": "host", "data_tests": "data",
             "db_tests": "db", "reliability_tests": "reliability", "app_tests": "app"}


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
