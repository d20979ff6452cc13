#!/usr/bin/env python3
"""Names every test that did not run, for scripts/test.sh:

    skipped-tests.py RESULTS

RESULTS is the folder of one CTest run's reports: GoogleTest's report of each
test executable (NAME.xml, NAME the CTest test, see tests/CMakeLists.txt) and
CTest's own (ctest.xml, from --output-junit). CTest counts an executable in
which only some cases skipped as passed, so each skipped case is named from
GoogleTest's report, with its reason; a CTest test that skipped without
running its executable (its X server could not start) is named with the last
line it printed.
"""
import os
import sys
import xml.etree.ElementTree as ElementTree


def reason(message):
    """GoogleTest's message is the place, a line break, then the reason."""
    return message.split("\n", 1)[-1].strip()


def skipped_cases(report):
    """(case, reason) of every skipped case in a GoogleTest report."""
    for case in ElementTree.parse(report).iter("testcase"):
        skipped = case.find("skipped")
        if skipped is not None:
            name = case.get("classname") + "." + case.get("name")
            yield name, reason(skipped.get("message", ""))


def skipped_runs(report):
    """(test, last line printed) of every CTest test that did not run."""
    for case in ElementTree.parse(report).iter("testcase"):
        if case.find("skipped") is not None:
            output = (case.findtext("system-out") or "").strip().splitlines()
            yield case.get("name"), output[-1] if output else case.find("skipped").get("message", "")


def main(results):
    lines = []
    for file in sorted(os.listdir(results)):
        if file.endswith(".xml") and file != "ctest.xml":
            test = file[: -len(".xml")]
            lines += [f"{test}  {case}: {why}" for case, why in skipped_cases(os.path.join(results, file))]
    ctest_report = os.path.join(results, "ctest.xml")
    if os.path.exists(ctest_report):
        for test, why in skipped_runs(ctest_report):
            if not os.path.exists(os.path.join(results, test + ".xml")):
                lines.append(f"{test}: {why}")
    print(f"Skipped tests: {len(lines) or 'none'}")
    for line in lines:
        print("  " + line)


if __name__ == "__main__":
    main(sys.argv[1])
