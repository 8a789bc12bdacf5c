#!/usr/bin/env python3
"""Runs the end-to-end tests (tests/e2e/test_*.py, or the files, classes or tests the patterns name) and ends
with 'N passed, N failed'."""

import argparse
import os
import sys
import time
import unittest


class TimedResult(unittest.TextTestResult):
    """Keeps each test's time, so that the run can name its slowest tests: the suite has a time budget."""

    def startTest(self, test):
        self._started = time.monotonic()
        super().startTest(test)

    def stopTest(self, test):
        super().stopTest(test)
        self.times = getattr(self, "times", [])
        self.times.append((time.monotonic() - self._started, test.id()))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--dist", required=True, help="the program folder (build/win32/dist)")
    parser.add_argument("--artifacts", required=True, help="where screenshots and logs go")
    parser.add_argument("patterns", nargs="*", default=["test_*.py"])
    args = parser.parse_args()

    here = os.path.dirname(os.path.abspath(__file__))
    os.environ["WL_DIST"] = os.path.abspath(args.dist)
    os.environ["WL_ARTIFACTS"] = os.path.abspath(args.artifacts)
    os.environ["WL_PROBE"] = os.path.join(os.path.dirname(os.path.abspath(args.dist)), "e2e-bin", "wlprobe.exe")
    os.environ["WL_E2E_BIN"] = os.path.dirname(os.environ["WL_PROBE"])
    os.makedirs(args.artifacts, exist_ok=True)
    sys.path.insert(0, here)

    suite = unittest.TestSuite()
    for pattern in args.patterns:
        # A dotted name picks one class or test: test_completion.NothingLost.
        if "." in pattern and not pattern.endswith(".py"):
            suite.addTests(unittest.defaultTestLoader.loadTestsFromName(pattern))
            continue
        pattern = pattern if pattern.endswith(".py") else "test_*%s*.py" % pattern
        suite.addTests(unittest.defaultTestLoader.discover(here, pattern=pattern, top_level_dir=here))
    result = unittest.TextTestRunner(verbosity=2, resultclass=TimedResult).run(suite)
    for seconds, name in sorted(getattr(result, "times", []), reverse=True)[:8]:
        print("e2e: %5.1f s  %s" % (seconds, name))
    failed = len(result.failures) + len(result.errors)
    passed = result.testsRun - failed - len(result.skipped)
    print("e2e: %d passed, %d failed, %d skipped" % (passed, failed, len(result.skipped)))
    return 0 if failed == 0 and result.testsRun > 0 else 1


if __name__ == "__main__":
    sys.exit(main())
