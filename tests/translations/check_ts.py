#!/usr/bin/env python3
"""Fails when a translation is not complete: lupdate, run over the sources
into a copy of each .ts file, must find every source text already there,
translated, with none left over that the sources no longer have.

usage: check_ts.py LUPDATE SOURCE_ROOT DIR... -- TS..."""
import pathlib
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

args = sys.argv[1:]
lupdate, root = args[0], pathlib.Path(args[1])
split = args.index('--')
dirs, ts_files = args[2:split], args[split + 1:]
faults = []
with tempfile.TemporaryDirectory() as tmp:
    for ts in ts_files:
        copy = pathlib.Path(tmp) / pathlib.Path(ts).name
        shutil.copy(ts, copy)
        run = subprocess.run([lupdate, '-locations', 'none', *dirs, '-ts', str(copy)],
                             cwd=root, capture_output=True, text=True)
        if run.returncode != 0:
            faults.append(f'{ts}: lupdate failed: {run.stderr.strip()}')
            continue
        for message in ET.parse(copy).iter('message'):
            source = message.findtext('source') or ''
            translation = message.find('translation')
            state = translation.get('type') if translation is not None else 'missing'
            if state in ('unfinished', 'vanished', 'obsolete', 'missing'):
                faults.append(f'{pathlib.Path(ts).name}: {state}: {source!r}')
            elif not (translation.text or '').strip():
                faults.append(f'{pathlib.Path(ts).name}: empty: {source!r}')
for fault in faults:
    print(fault)
print(f'{len(faults)} faults')
sys.exit(1 if faults else 0)
