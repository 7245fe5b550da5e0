#!/usr/bin/env python3
# Counts the test cases of one ./test pass from each executable's GoogleTest report and ctest's logs.
# Usage: count-cases.py [--ctest-dir <build-dir>] <results-dir> <ctest-log>... (a later log, the rerun,
# overrides an earlier one). With --ctest-dir, the tests registered there with a GoogleTest report to write
# are known, and one that passed without leaving its report counts as failed: it did not run to its end.
# Prints "<passed> <failed>" and then one line per failed case or failed executable.
import json
import os
import re
import subprocess
import sys
import xml.etree.ElementTree as ElementTree


def reporting_tests(ctest_dir):
    """Names of the tests whose registration asks for a GoogleTest report (fuzz targets write none)."""
    listing = subprocess.run(['ctest', '--test-dir', ctest_dir, '--show-only=json-v1'],
                             capture_output=True, text=True, check=True).stdout
    names = set()
    for test in json.loads(listing).get('tests', []):
        for prop in test.get('properties', []):
            if prop.get('name') == 'ENVIRONMENT' and any(
                    value.startswith('GTEST_OUTPUT=') for value in prop.get('value', [])):
                names.add(test['name'])
    return names


args = sys.argv[1:]
reporting = set()
if args[:1] == ['--ctest-dir']:
    reporting = reporting_tests(args[1])
    args = args[2:]
results, logs = args[0], args[1:]
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
        if ok and test in reporting:
            failed += 1
            names.append(test + ' (exited 0 without its report: it did not run to its end)')
            continue
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
