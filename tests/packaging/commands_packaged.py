#!/usr/bin/env python3
"""Every program the tests, benchmarks and scripts call comes from a package that
scripts/install-deps.sh installs, or from an essential one: found as the first word of subprocess
calls and popen(), find_program() in CMake files, and the shell scripts' commands listed below."""
import os
import re
import shutil
import subprocess
import sys

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))

# apt-get and dpkg-query are the installer's own tools.
SCRIPT_COMMANDS = ["cmake", "ctest", "odbcinst", "mktemp", "python3", "runuser", "/usr/lib/postgresql/15/bin/psql", "/usr/lib/postgresql/15/bin/initdb", "/usr/lib/postgresql/15/bin/pg_ctl",
                   "xvfb-run", "dbus-run-session", "dbus-launch"]

PATTERNS = [
    re.compile(r"subprocess\.(?:run|Popen|check_output|check_call|call)\(\s*\[\s*\"([\w.+-]+)\""),
    re.compile(r"popen\(\s*\(?\s*\"([\w.+-]+)[ \"]"),
    re.compile(r"find_program\(\s*\w+\s+([\w.+-]+)\s*\)"),
]


def listed_packages():
    with open(os.path.join(ROOT, "scripts", "install-deps.sh"), encoding="utf-8") as f:
        m = re.search(r'^PACKAGES="([^"]*)"', f.read(), re.M)
    return set(m.group(1).split())


def called_commands():
    found = set(SCRIPT_COMMANDS)
    for top in ("tests", "bench", "scripts", "packaging", "app"):
        for dirpath, _, files in os.walk(os.path.join(ROOT, top)):
            for name in files:
                if not name.endswith((".py", ".cpp", ".h", ".txt", ".cmake", ".sh")):
                    continue
                with open(os.path.join(dirpath, name), encoding="utf-8", errors="replace") as f:
                    text = f.read()
                for p in PATTERNS:
                    found.update(p.findall(text))
    return sorted(found)


def package_of(path):
    # The name called (python3 is a link), then where it leads; under merged /usr either prefix.
    candidates = []
    for c in (path, os.path.realpath(path)):
        candidates += [c, c[4:] if c.startswith("/usr/") else "/usr" + c]
    for c in candidates:
        r = subprocess.run(["dpkg-query", "-S", c], capture_output=True, text=True)
        if r.returncode == 0:
            return r.stdout.split(":")[0].strip()
    return None


def dependencies(packages):
    r = subprocess.run(["dpkg-query", "-W", "-f=${Depends},${Pre-Depends}\\n", *sorted(packages)], capture_output=True, text=True)
    words = (alternative.strip().split(" ")[0].split(":")[0] for alternative in re.split(r"[,|\n]", r.stdout))
    return {w for w in words if w}


def essential(package):
    r = subprocess.run(["dpkg-query", "-W", "-f=${Essential}", package], capture_output=True, text=True)
    return r.stdout.strip() == "yes"


def main():
    listed = listed_packages()
    listed |= dependencies(listed)
    failures = []
    commands = called_commands()
    for cmd in commands:
        path = shutil.which(cmd, path="/usr/bin:/bin:/usr/sbin:/sbin")
        if not path:
            failures.append(f"{cmd}: not installed; add the package that provides it to install-deps.sh")
            continue
        pkg = package_of(path)
        if pkg is None:
            failures.append(f"{cmd}: {path} belongs to no package")
        elif pkg not in listed and not essential(pkg):
            failures.append(f"{cmd}: provided by {pkg}, which install-deps.sh does not install")
    for f in failures:
        print(f, file=sys.stderr)
    print(f"{len(commands) - len(failures)} passed, {len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
