"""Checks the recording CSV that write_recording_csv wrote, the way other tools read it: Python's
csv module for the fields, datetime.fromisoformat for the date-times, float for the values, which
must come back exactly as the doubles the program held."""
import csv
import sys
from datetime import datetime, timedelta, timezone


def offset(hours, minutes=0):
    sign = -1 if hours < 0 else 1
    return timezone(sign * timedelta(hours=abs(hours), minutes=minutes))


EXPECTED = [
    ["No", "Date and time", "Value", "Unit"],
    [1, datetime(2026, 12, 10, 13, 14, 16, 250000, offset(1)), 25.3, "\u00b0C"],
    [None, datetime(2026, 12, 10, 8, 14, 17, 0, offset(-5)), -4.5, "\u00b0F"],
    [3, datetime(2026, 12, 10, 12, 14, 18, 5000, offset(0)), None, ""],
    [4, datetime(2026, 12, 10, 18, 44, 19, 999000, offset(5, 30)), 0.1 + 0.2, "\u00b0C"],
    [2147483647, datetime(2026, 12, 10, 23, 59, 59, 1000, offset(-9, 30)), -1 / 3, "\u00b0F"],
]

failures = []


def check(ok, what):
    if not ok:
        failures.append(what)


path = sys.argv[1]
with open(path, "rb") as f:
    raw = f.read()
check(raw.startswith(b"No,Date and time,Value,Unit\r\n"), "the header is not line 1 as it is")
lines = raw.split(b"\r\n")
check(lines[-1] == b"" and all(b"\r" not in l and b"\n" not in l for l in lines),
      "not every line ends in CR LF")

with open(path, newline="", encoding="utf-8", errors="strict") as f:
    rows = list(csv.reader(f, strict=True))
check(len(rows) == len(EXPECTED), f"{len(rows)} lines, not {len(EXPECTED)}")
check(rows[0] == EXPECTED[0], f"header {rows[0]}")
for line, (got, (no, at, value, unit)) in enumerate(zip(rows[1:], EXPECTED[1:]), start=2):
    check(len(got) == 4, f"line {line}: {len(got)} fields")
    if len(got) != 4:
        continue
    check((int(got[0]) if got[0] else None) == no, f"line {line}: No {got[0]!r}")
    taken = datetime.fromisoformat(got[1])
    check(taken == at and taken.utcoffset() == at.utcoffset(), f"line {line}: date and time {got[1]!r}")
    check((float(got[2]) if got[2] else None) == value, f"line {line}: value {got[2]!r}, not {value!r}")
    check(got[3] == unit, f"line {line}: unit {got[3]!r}")

if failures:
    print("\n".join(failures))
    sys.exit(1)
print(f"{len(rows) - 1} rows read back exactly")
