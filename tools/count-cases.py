#!/usr/bin/env python3
# Counts the test cases of one ./test pass from each executable's GoogleTest XML report and ctest's logs.
# Usage: count-cases.py <results-dir> <ctest-log>... (a later log, the rerun, overrides an earlier one).
# Prints "<passed> <failed>" and then one line per failed case or failed executable.
import os
import re
import sys
import xml.etree.ElementTree as ElementTree

results, logs = sys.argv[1], sys.argv[2:]
status = {}
line_re = re.compile(r'^\s*\d+/\d+ Test\s+#\d+: (\S+) \.+\s*(\S.*?)\s+[\d.]+ sec')
for log in logs:
    if not os.path.exists(log):
        continue
    with open(log, errors='replace') as f:
        for line in f:
            m = line_re.match(line)
            if m:
                status[m.group(1)] = m.group(2) == 'Passed'

passed = failed = 0
names = []
for test, ok in sorted(status.items()):
    report = os.path.join(results, test + '.xml')
    cases = []
    try:
        for case in ElementTree.parse(report).getroot().iter('testcase'):
            if case.get('status', 'run') != 'run' or case.get('result', 'completed') != 'completed':
                continue
            bad = case.find('failure') is not None or case.find('error') is not None
            cases.append((case.get('classname') + '.' + case.get('name'), bad))
    except (OSError, ElementTree.ParseError):
        cases = None
    if cases is None:
        # No report: a crash or time-out (or an executable that is no GoogleTest one) is one case.
        passed += ok
        failed += not ok
        if not ok:
            names.append(test + ' (crashed, timed out or failed without a report)')
        continue
    bad_cases = [name for name, bad in cases if bad]
    passed += len(cases) - len(bad_cases)
    failed += len(bad_cases)
    names += [test + ': ' + name for name in bad_cases]
    if not ok and not bad_cases:
        failed += 1
        names.append(test + ' (failed after its cases passed: a crash or a time-out)')
print(passed, failed)
for name in names:
    print(name)
