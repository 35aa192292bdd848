#!/usr/bin/python3
"""The host program driven as an operator would, through the accessibility bus and the keyboard.

Usage (under `xvfb-run -a dbus-run-session --`): editor_e2e.py HOST_PROGRAM WORK_DIR
"""
import os
import sqlite3
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

HOST, WORK = sys.argv[1], sys.argv[2]
DB = os.path.join(WORK, "e2e.db")


def wait_for(look, what, timeout):
    end = time.time() + timeout
    while time.time() < end:
        hit = look()
        if hit is not None:
            return hit
        time.sleep(0.2)
    raise AssertionError(f"{what} did not appear")


def find(root, name, role=None):
    return wait_for(lambda: pyatspi.findDescendant(
        root, lambda a: a is not None and a.name == name and (role is None or a.getRole() == role)), name, 10)


def app():
    return wait_for(lambda: next((a for a in pyatspi.Registry.getDesktop(0)
                                  if a is not None and a.name.startswith("subpricebill-host")), None), "the host program", 20)


def press(accessible):
    """A button that opens a modal window answers only when it closes: no reply is no failure."""
    action = accessible.queryAction()
    names = [action.getName(i).lower() for i in range(action.nActions)]
    try:
        action.doAction(next((i for i, n in enumerate(names) if n in ("press", "click", "toggle")), 0))
    except GLib.GError:
        pass


def keys(*names):
    subprocess.run(["xdotool", "key", "--delay", "80", *names], check=True)
    time.sleep(0.4)


def typed(text):
    subprocess.run(["xdotool", "type", "--delay", "60", text], check=True)
    time.sleep(0.3)


def new_price(text):
    """The price typed over the one shown, Enter to Save, Enter to save."""
    keys("ctrl+a")
    typed(text)
    keys("Return", "Return")
    time.sleep(1)


def text_of(accessible):
    t = accessible.queryText()
    return t.getText(0, t.characterCount)


ENV = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1")


def scenario(database_args):
    proc = subprocess.Popen([HOST, *database_args, "--date", "2026-12-06", "--output-dir", WORK], env=ENV)
    try:
        a = app()
        press(find(a, "确定", pyatspi.ROLE_PUSH_BUTTON))           # branch mode: one branch
        press(find(a, "新增"))                                      # browser toolbar
        editor = find(a, "分支机构商品调价单", pyatspi.ROLE_DIALOG)
        serial = text_of(find(editor, "流水号", pyatspi.ROLE_TEXT))
        keys("Tab")                     # execution date -> branch
        typed("cxd")
        keys("Return")                  # mnemonic -> branch 002
        typed("年末")
        keys("Return")                  # remark -> item code
        typed("100001")
        keys("Return")                  # item found -> new price
        new_price("6.66")
        typed("10000*")
        keys("Return")                  # pattern: picker for several rows
        time.sleep(1)
        keys("Down", "Return")          # the picker's second row: another item
        time.sleep(0.5)
        new_price("7")
        press(find(editor, "审核"))
        time.sleep(1)
        keys("alt+y")                   # confirm the audit (No is the default)
        time.sleep(1)
        press(find(editor, "退出"))
        time.sleep(1)

        con = sqlite3.connect(DB)
        header = con.execute("select dwbh, bz, shbz, shry, jzbz from SubAdjuctPrice where lsh=?", (serial,)).fetchone()
        lines = con.execute("select dh, hh, sj2 from SubAdjuctPricemx where lsh=? order by dh", (serial,)).fetchall()
        price = con.execute("select sellprice from glprice where hh='100001' and dwbh='002'").fetchone()
        assert header == ("002", "年末", 1, "系统管理员", 0), header
        assert lines == [("100", "100001", 6.66), ("200", "100002", 7)], lines
        assert price == (6.66,), price
        print(f"{database_args[0]}: bill {serial}: header {header}, lines {lines}, glprice 100001@002 = {price[0]}")
    finally:
        proc.terminate()
        try:
            proc.wait(5)
        except subprocess.TimeoutExpired:
            proc.kill()


def main():
    if os.path.exists(DB):
        os.remove(DB)
    scenario(["--demo-db", DB])  # the embedded driver; creates the demo database
    drivers = subprocess.run(["odbcinst", "-q", "-d"], capture_output=True, text=True).stdout
    if "[SQLite3]" in drivers:      # the same file through unixODBC
        scenario(["--connection", f"Driver=SQLite3;Database={DB};NoCreat=1;Timeout=10000;LongNames=0;NoWCHAR=0"])
    else:
        print("SQLite ODBC driver not registered: the ODBC pass is skipped")
    return 0


if __name__ == "__main__":
    sys.exit(main())
