#!/usr/bin/env python3
"""A power cut during a recording, in three steps.

  power_cut.py record ROWS -- QEMU-COMMAND...
      Boots the guest that records onto its virtual disk, notes when each row line reaches the
      host, and kills QEMU a random moment after the first row: the guest loses its page cache
      and its disk keeps what it had written, as in a power cut. ROWS receives the rows with
      the host's time of arrival and the moment of the kill.

  power_cut.py check DATABASE RESTORED
      Run in the guest's second boot: the journal must open and pass SQLite's integrity
      check; the last recording's rows are written to RESTORED.

  power_cut.py compare ROWS RESTORED
      Every row that had reached the host a second before the cut must be in the journal, and
      the journal holds exactly the rows printed, in order.
"""
import os
import random
import select
import signal
import sqlite3
import subprocess
import sys
import time

DURABLE_WITHIN_SECONDS = 1.0
FIRST_ROW_TIMEOUT_SECONDS = 240


def is_row(line):
    parts = line.split("|")
    return len(parts) == 4 and parts[0].isdigit()


def record(rows_path, command):
    qemu = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, bufsize=0)
    started = time.monotonic()
    rows = []
    cut_at = None
    pending = b""
    with qemu.stdout:
        while True:
            now = time.monotonic()
            if cut_at is not None and now >= cut_at:
                break
            if cut_at is None and now - started > FIRST_ROW_TIMEOUT_SECONDS:
                qemu.kill()
                sys.exit("power cut: the guest printed no row in time")
            if not select.select([qemu.stdout], [], [], 0.1)[0]:
                continue
            chunk = os.read(qemu.stdout.fileno(), 65536)
            if not chunk:
                sys.exit("power cut: the guest ended before the cut (status %s)" % qemu.wait())
            pending += chunk
            *lines, pending = pending.split(b"\n")
            arrived = time.monotonic()
            for raw in lines:
                line = raw.decode("utf-8", "replace").strip("\r")
                if is_row(line):
                    rows.append((arrived, line))
                    if cut_at is None:
                        cut_at = arrived + random.uniform(4.0, 10.0)
                else:
                    print(line, flush=True)
        qemu.send_signal(signal.SIGKILL)
        killed_at = time.monotonic()
        qemu.wait()
    with open(rows_path, "w", encoding="utf-8") as out:
        out.write("killed\t%.6f\n" % killed_at)
        for arrived, line in rows:
            out.write("%.6f\t%s\n" % (arrived, line))
    print("power cut: QEMU killed after %d rows had reached the host" % len(rows), flush=True)


def check(database_path, restored_path):
    journal = sqlite3.connect(database_path)
    verdict = journal.execute("PRAGMA integrity_check").fetchall()
    if verdict != [("ok",)]:
        sys.exit("power cut: integrity check says %r" % (verdict,))
    rows = journal.execute(
        "SELECT no, time, value_text, unit_text FROM readings"
        " WHERE recording = (SELECT max(id) FROM recordings) ORDER BY seq").fetchall()
    with open(restored_path, "w", encoding="utf-8") as out:
        for row in rows:
            out.write("|".join(str(field) for field in row) + "\n")
    print("power cut: the journal opens, integrity check ok, %d rows" % len(rows), flush=True)


def compare(rows_path, restored_path):
    with open(rows_path, encoding="utf-8") as source:
        killed_at = float(source.readline().split("\t")[1])
        printed = [line.rstrip("\n").split("\t", 1) for line in source]
    with open(restored_path, encoding="utf-8") as source:
        restored = [line.rstrip("\n") for line in source]
    due = sum(1 for arrived, _ in printed if float(arrived) <= killed_at - DURABLE_WITHIN_SECONDS)
    texts = [line for _, line in printed]
    print("power cut: %d rows printed, %d of them a second before the cut, %d in the journal"
          % (len(texts), due, len(restored)))
    if len(restored) < due:
        sys.exit("power cut: the journal lost rows appended a second before the cut")
    # The guest may have journalled a few rows whose lines never reached the host.
    if restored[:len(texts)] != texts[:len(restored)]:
        sys.exit("power cut: the journal's rows differ from the rows recorded")


if __name__ == "__main__":
    if len(sys.argv) >= 4 and sys.argv[1] == "record" and sys.argv[3] == "--":
        record(sys.argv[2], sys.argv[4:])
    elif len(sys.argv) == 4 and sys.argv[1] == "check":
        check(sys.argv[2], sys.argv[3])
    elif len(sys.argv) == 4 and sys.argv[1] == "compare":
        compare(sys.argv[2], sys.argv[3])
    else:
        sys.exit(__doc__)
