#!/usr/bin/python3
"""End to end, as an operator: the host program on a fresh demo database under a virtual display,
driven through the accessibility bus (every control found by the caption the operator sees) and
the keyboard; the database is checked afterwards.

Usage: editor_e2e.py HOST_PROGRAM WORK_DIR
Run it under `xvfb-run -a dbus-run-session --`. Exit status 0 when every step held.
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


def find(root, name, role=None, timeout=10.0):
    """The first accessible below root with this name (and role), waiting for it to appear."""
    end = time.time() + timeout
    while time.time() < end:
        hit = pyatspi.findDescendant(
            root, lambda a: a is not None and a.name == name and (role is None or a.getRole() == role))
        if hit is not None:
            return hit
        time.sleep(0.2)
    raise AssertionError(f"no control named {name!r}")


def app(timeout=20.0):
    end = time.time() + timeout
    while time.time() < end:
        for a in pyatspi.Registry.getDesktop(0):
            if a is not None and a.name.startswith("subpricebill-host"):
                return a
        time.sleep(0.3)
    raise AssertionError("the host program did not appear on the accessibility bus")


def press(accessible):
    """Presses a button. A button that opens a modal window answers only when that window closes,
    so a missing reply is not a failure: the next step looks for what the press should show."""
    action = accessible.queryAction()
    index = 0
    for i in range(action.nActions):
        if action.getName(i) in ("Press", "press", "click", "Click", "Toggle"):
            index = i
            break
    try:
        action.doAction(index)
    except GLib.GError:
        pass


def keys(*names):
    subprocess.run(["xdotool", "key", "--delay", "80", *names], check=True)
    time.sleep(0.4)


def typed(text):
    subprocess.run(["xdotool", "type", "--delay", "60", text], check=True)
    time.sleep(0.3)


def text_of(accessible):
    t = accessible.queryText()
    return t.getText(0, t.characterCount)


def scenario(database_args):
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1")
    proc = subprocess.Popen([HOST, *database_args, "--date", "2026-12-06", "--output-dir", WORK], env=env)
    try:
        a = app()
        press(find(a, "确定", pyatspi.ROLE_PUSH_BUTTON))           # branch mode: one branch
        press(find(a, "新增"))                                      # browser toolbar
        editor = find(a, "分支机构商品调价单", pyatspi.ROLE_DIALOG)
        for name in ("流水号", "开单日期", "执行日期", "分支机构", "分支机构名称", "备注", "操作人员", "审核人员",
                     "货号", "品名", "原售价", "新售价", "保 存", "新增[F2]", "修改[F3]", "删除[DEL]", "记帐[F8]",
                     "打印[F9]", "调价明细", "审核", "记帐", "退出"):
            find(editor, name)
        serial = text_of(find(editor, "流水号", pyatspi.ROLE_TEXT))
        keys("Tab")                     # execution date -> branch
        typed("cxd")
        keys("Return")                  # mnemonic -> branch 002
        typed("年末")
        keys("Return")                  # remark -> item code
        typed("100001")
        keys("Return")                  # item found -> new price
        keys("ctrl+a")
        typed("6.66")
        keys("Return", "Return")        # -> Save, saved
        time.sleep(1)
        typed("10000*")
        keys("Return")                  # pattern: picker for several rows
        time.sleep(1)
        keys("Down", "Return")          # the picker's second row: another item
        time.sleep(0.5)
        keys("ctrl+a")
        typed("7")
        keys("Return", "Return")
        time.sleep(1)
        press(find(editor, "审核"))
        time.sleep(1)
        subprocess.run(["import", "-window", "root", os.path.join(WORK, "audit-confirm.png")])
        keys("alt+y")                   # confirm the audit (No is the default)
        time.sleep(1)
        press(find(editor, "退出"))
        time.sleep(1)

        con = sqlite3.connect(DB)
        header = con.execute("select dwbh, bz, shbz, shry, jzbz from SubAdjuctPrice where lsh=?", (serial,)).fetchone()
        lines = con.execute("select dh, hh, sj2 from SubAdjuctPricemx where lsh=? order by dh", (serial,)).fetchall()
        price = con.execute("select sellprice from glprice where hh='100001' and dwbh='002'").fetchone()
        assert header == ("002", "年末", 1, "系统管理员", 0), header
        assert [l[0] for l in lines] == ["100", "200"], lines
        assert lines[0][1:] == ("100001", 6.66), lines
        assert lines[1][1:] == ("100002", 7), lines
        assert price == (6.66,), price
        print(f"{database_args[0]}: bill {serial}: header {header}, lines {lines}, glprice 100001@002 = {price[0]}")
    finally:
        proc.terminate()
        try:
            proc.wait(5)
        except subprocess.TimeoutExpired:
            proc.kill()


def bad_connection():
    """A database that cannot be opened: the plug-in's "系统提示" box tells the operator why (the
    password hidden), and only after it is closed does the program end, with status 1."""
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1")
    bad = "Provider=SQLite;Data Source=" + os.path.join(WORK, "missing.db") + ";Password=hunter2"
    proc = subprocess.Popen([HOST, "--connection", bad], env=env, stderr=subprocess.DEVNULL)
    try:
        box = find(app(), "系统提示", pyatspi.ROLE_ALERT)
        shown = " ".join(a.name or "" for a in pyatspi.findAllDescendants(box, lambda a: a is not None))
        assert "missing.db" in shown and "hunter2" not in shown, shown
        assert proc.poll() is None, "the program ended before the operator read the message"
        press(pyatspi.findDescendant(box, lambda a: a is not None and a.getRole() == pyatspi.ROLE_PUSH_BUTTON))
        assert proc.wait(10) == 1, proc.returncode
        print("bad connection: message shown, exit status 1")
    finally:
        if proc.poll() is None:
            proc.kill()


def main():
    bad_connection()
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
