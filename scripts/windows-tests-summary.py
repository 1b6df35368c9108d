#!/usr/bin/env python3
"""Counts the test cases run under Wine from GoogleTest's XML reports in
<build>/test-results/, and lists the skipped cases and the test programs
not built for Windows, each with its reason. Non-zero when a case failed
or a program left no report (it crashed or hung before writing one)."""
import collections
import json
import pathlib
import subprocess
import sys
import xml.etree.ElementTree as ET

build = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "build-win")
listing = json.loads(subprocess.run(["ctest", "--test-dir", str(build), "--show-only=json-v1"],
                                    check=True, capture_output=True, text=True).stdout)
programs, not_built = [], []
for test in listing["tests"]:
    props = {p["name"]: p["value"] for p in test.get("properties", [])}
    if not any(part.endswith(".exe") for part in test.get("command", [])) and not props.get("DISABLED"):
        continue  # a host tool's check, not a Windows program
    if props.get("DISABLED"):
        not_built.append((test["name"], " ".join(test["command"][-1:])))
    else:
        programs.append(test["name"])

passed = failed = 0
skipped = collections.defaultdict(list)
failures, missing = [], []
for name in programs:
    report = build / "test-results" / f"{name}.xml"
    if not report.exists():
        missing.append(name)
        continue
    for case in ET.parse(report).iter("testcase"):
        full = f"{case.get('classname')}.{case.get('name')}"
        skip = case.find("skipped")
        if case.find("failure") is not None:
            failed += 1
            failures.append(full)
        elif skip is not None or case.get("result") == "skipped":
            reason = (skip.get("message") if skip is not None else "") or ""
            reason = reason.strip().splitlines()[-1] if reason.strip() else "skipped"
            skipped[reason].append(full)
        else:
            passed += 1

total = passed + failed + sum(len(v) for v in skipped.values())
print(f"Windows tests (under Wine): {len(programs)} programs, {total} cases: "
      f"{passed} passed, {failed} failed, {sum(len(v) for v in skipped.values())} skipped")
for reason, cases in sorted(skipped.items()):
    print(f"  skipped, {reason}: {len(cases)}")
    for c in cases:
        print(f"    {c}")
if not_built:
    print(f"  not built for Windows: {len(not_built)} programs")
    for name, reason in not_built:
        print(f"    {name}: needs {reason}")
for f in failures:
    print(f"  FAILED {f}")
for m in missing:
    print(f"  NO REPORT {m} (crashed or timed out)")
sys.exit(1 if failed or missing else 0)
