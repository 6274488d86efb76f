#!/usr/bin/env python3
"""Checks the English translation against the sources.

Runs lupdate over the sources into a scratch copy of the translation file and fails when
  - the file in the repository is not up to date with the sources (lupdate changes the copy:
    a text was added, changed or removed in the code without updating the file),
  - a text has no finished English translation (unfinished, vanished or obsolete, or empty),
  - a translation still holds Cyrillic letters,
  - a translation loses what the code joins it with: the blanks at either end, the "%n"
    place markers, or an accelerator "&".
Usage: check_translations.py LUPDATE SOURCES_LIST INCLUDE_DIR TS_FILE
"""
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

CYRILLIC = re.compile('[\u0400-\u04FF]')
MARKERS = re.compile(r'%\d+')


def messages(path):
    """{(context, source, comment): (translation, type)} of a .ts file."""
    out = {}
    for context in ET.parse(path).getroot().iter('context'):
        name = context.findtext('name') or ''
        for m in context.iter('message'):
            source = m.findtext('source') or ''
            comment = m.findtext('comment') or ''
            t = m.find('translation')
            text = (t.text or '') if t is not None else ''
            kind = t.get('type', '') if t is not None else 'missing'
            out[(name, source, comment)] = (text, kind)
    return out


def edges(text):
    return (len(text) - len(text.lstrip()), len(text) - len(text.rstrip()))


def problems_of(msgs):
    found = []
    for (context, source, _), (text, kind) in sorted(msgs.items()):
        where = f'{context}: "{source}"'
        if kind in ('unfinished', 'vanished', 'obsolete', 'missing'):
            found.append(f'{where} is {kind}')
            continue
        if not text.strip():
            found.append(f'{where} has an empty translation')
            continue
        if CYRILLIC.search(text):
            found.append(f'{where} -> "{text}" holds Cyrillic letters')
        if edges(source) != edges(text):
            found.append(f'{where} -> "{text}" changes the blanks at its ends')
        if sorted(MARKERS.findall(source)) != sorted(MARKERS.findall(text)):
            found.append(f'{where} -> "{text}" changes the %n place markers')
        if ('&' in source.replace('&&', '')) != ('&' in text.replace('&&', '')):
            found.append(f'{where} -> "{text}" adds or drops the accelerator "&"')
    return found


def main():
    lupdate, sources, include, ts = sys.argv[1:5]
    with tempfile.TemporaryDirectory() as scratch:
        copy = f'{scratch}/copy.ts'
        shutil.copyfile(ts, copy)
        run = subprocess.run([lupdate, '-locations', 'none', '-no-ui-lines', '-silent',
                              '-I', include, f'@{sources}', '-ts', copy],
                             capture_output=True, text=True)
        if run.returncode != 0:
            print(run.stdout, run.stderr)
            print('FAIL: lupdate failed')
            return 1
        before = messages(ts)
        after = messages(copy)
    problems = []
    for key in sorted(set(after) - set(before)):
        problems.append(f'{key[0]}: "{key[1]}" is in the sources but not in the file')
    for key in sorted(set(before) - set(after)):
        problems.append(f'{key[0]}: "{key[1]}" is in the file but not in the sources')
    for key in sorted(set(before) & set(after)):
        if before[key] != after[key]:
            problems.append(f'{key[0]}: "{key[1]}" changes: {before[key]} -> {after[key]}')
    problems += problems_of(after)
    for p in problems:
        print(p)
    if problems:
        print(f'FAIL: {len(problems)} problem(s); run the target update_translations and '
              f'translate in {ts}')
        return 1
    print(f'PASS: {len(after)} texts, all translated and up to date')
    return 0


if __name__ == '__main__':
    sys.exit(main())
