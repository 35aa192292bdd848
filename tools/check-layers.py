#!/usr/bin/env python3
"""Checks that no source file includes a header of a layer it does not link.

    tools/check-layers.py

The layers are read from the table under "## Layers" in docs/ARCHITECTURE.md: each row names its
folders, its target(s) and, in its last column, the targets it links. A file may include headers of
its own folder and of every target its row links, directly or through them. Anything else is an
arrow the table does not draw, and is reported as "file -> header (layer -> layer)". Exits 1 when
there is one, so that the table and the code stay in step.
"""
import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def read_layers():
    text = open(os.path.join(ROOT, "docs", "ARCHITECTURE.md"), encoding="utf-8").read()
    section = text.split("## Layers", 1)[1]
    rows = section[section.index("| Folder"):].split("\n\n", 1)[0].splitlines()[2:]
    folders, links, by_target = {}, {}, {}
    for row in rows:
        cells = [c.strip() for c in row.strip().strip("|").split("|")]
        names = re.findall(r"`([^`]+)`", cells[0])
        target = re.findall(r"`([^`]+)`", cells[1])[0]
        folders[target] = [n.rstrip("/") for n in names]
        links[target] = set(re.findall(r"`([^`]+)`", cells[-1]))
        for t in re.findall(r"`([^`]+)`", cells[1]):
            by_target[t] = target
    links = {t: {by_target.get(l, l) for l in ls} for t, ls in links.items()}
    return folders, links


def reachable(target, links, seen=None):
    seen = set() if seen is None else seen
    for l in links.get(target, ()):
        if l not in seen:
            seen.add(l)
            reachable(l, links, seen)
    return seen


def layer_of(path, folders):
    """The target whose folder holds path, the deepest folder winning (src/db/dialect over src/db)."""
    best, depth = None, -1
    for target, dirs in folders.items():
        for d in dirs:
            if (path + "/").startswith(d + "/") and d.count("/") > depth:
                best, depth = target, d.count("/")
    return best


def main():
    folders, links = read_layers()
    if len(folders) < 5:
        print("docs/ARCHITECTURE.md: no table of layers found")
        return 1
    faults = 0
    for top in ("src", "app", "schema"):
        for dirpath, _, names in os.walk(os.path.join(ROOT, top)):
            for name in names:
                if not name.endswith((".cpp", ".h")):
                    continue
                path = os.path.relpath(os.path.join(dirpath, name), ROOT)
                own = layer_of(path, folders)
                allowed = reachable(own, links) | {own}
                source = open(os.path.join(ROOT, path), encoding="utf-8", errors="replace").read()
                for inc in re.findall(r'#include\s+"([^"]+)"', source):
                    for base in (os.path.dirname(path), "src"):
                        candidate = os.path.normpath(os.path.join(base, inc))
                        if os.path.exists(os.path.join(ROOT, candidate)):
                            break
                    else:
                        continue
                    other = layer_of(candidate, folders)
                    if other and other not in allowed:
                        print(f"{path} -> {inc} ({own} -> {other})")
                        faults += 1
    print(f"{faults} include(s) against the layers" if faults else "every include follows the layers")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
