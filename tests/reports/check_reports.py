#!/usr/bin/env python3
"""The simulator's --junit and --timeline files, parsed as a CI server and a
trace viewer parse them, and held against the run that wrote them.

    check_reports.py SIM EXAMPLES_DIR
"""
import json
import os
import re
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

sim, examples = sys.argv[1], sys.argv[2]
work = tempfile.mkdtemp(prefix="strata-reports-")
problems = []


def check(holds, what):
    if not holds:
        problems.append(what)


def run(scenario, *extra):
    junit, timeline = os.path.join(work, "junit.xml"), os.path.join(work, "timeline.json")
    done = subprocess.run([sim, "--quiet", "--junit", junit, "--timeline", timeline, *extra, scenario],
                          capture_output=True, text=True, stdin=subprocess.DEVNULL)
    with open(timeline) as t:
        events = json.load(t)["traceEvents"]
    return done, ET.parse(junit).getroot(), events


def tracks(events):
    """(pid, tid) -> "process / thread", from the metadata events."""
    processes = {e["pid"]: e["args"]["name"] for e in events if e["name"] == "process_name"}
    return {(e["pid"], e["tid"]): processes[e["pid"]] + " / " + e["args"]["name"]
            for e in events if e["name"] == "thread_name"}


# The demo: one suite, a test case per expect line, the tracer's two requests
# as spans in virtual time (microseconds) on the slice's track.
default = os.path.join(examples, "default.scn")
done, junit, events = run(default)
check(done.returncode == 0, f"default.scn exited with {done.returncode}: {done.stderr}")
with open(default) as f:
    expect_lines = {n for n, line in enumerate(f, 1) if line.lstrip().startswith("expect ")}
suites = junit.findall("testsuite")
check([s.get("name") for s in suites] == [default], f"suites {[s.get('name') for s in suites]}")
cases = junit.findall("testsuite/testcase")
check({int(c.get("line")) for c in cases} == expect_lines, "test cases are not the expect lines")
check(all(c.get("name") == f"{default}:{c.get('line')}" for c in cases), "a test case not named FILE:LINE")
passed = re.search(r"^(\d+) passed, 0 failed$", done.stdout, re.M)
check(passed and junit.get("tests") == passed.group(1) and junit.get("failures") == "0",
      f"junit counts {junit.attrib} against the tally {passed and passed.group(0)}")
named = tracks(events)
spans = sorted((e["ts"], e["dur"], e["name"], named[(e["pid"], e["tid"])])
               for e in events if e.get("cat") == "tracer request")
check(spans == [(0, 2000000, "apply Ethernet7 (trace:1)", "slices / slice 1"),
                (2000000, 0, "withdraw Ethernet7 (trace:2)", "slices / slice 1")], f"tracer spans {spans}")
writes = [(e["ts"], e["name"], named[(e["pid"], e["tid"])]) for e in events if e.get("cat") == "chip write"]
check(writes == [(0, "write LPORT_TABm[5]", "chip / unit 0"), (0, "write CPU_PKT_PROFILE_2r", "chip / unit 0"),
                 (2000000, "write LPORT_TABm[5]", "chip / unit 0"),
                 (2000000, "write CPU_PKT_PROFILE_2r", "chip / unit 0")], f"chip writes {writes}")
posted = [(e["ts"], e["name"]) for e in events if e.get("cat") == "posted request"]
check(posted == [(0, "request 1/7 -> 5"), (2000000, "request 1/7 -> 0")], f"posted requests {posted}")
advances = [(e["ts"], e["dur"]) for e in events if e.get("cat") == "command" and e["name"].startswith("clock")]
check(advances == [(0, 1900000), (1900000, 100000), (2000000, 0)], f"clock advances {advances}")

# Audits are marked across every track, with what they found.
audit = os.path.join(examples, "audit.scn")
done, junit, events = run(audit)
with open(audit) as f:
    audits = sum(1 for line in f if re.match(r"\s*(audit|show audit|expect audit)\b", line))
marks = [e for e in events if e.get("cat", "").startswith("audit")]
check(len(marks) == audits and all(e["s"] == "g" for e in marks), f"{len(marks)} audit marks for {audits} audits")
check(any(e["cat"] == "audit differs" and "1 difference" in e["name"] for e in marks), "no audit mark of a difference")

# A failed SDK call stops the process: both reports are written all the same.
done, junit, events = run(os.path.join(examples, "sdk_failure.scn"))
check(done.returncode < 0, f"sdk_failure.scn exited with {done.returncode}")
check([e.get("message") for e in junit.iter("error")] ==
      [next(c.get("name") for c in junit.iter("testcase") if c.find("error") is not None) +
       ": the agent stopped the process during tracer withdraw Ethernet7 id trace:2"], "no error for the stop")
check(any(e.get("cat") == "failure" and e["name"] == "SDK failure: soc_mem_write LPORT_TABm[5]" and
          e["args"]["rc"] < 0 for e in events), "the failed SDK call is not marked")

# A failure message is the line printed, escaped; a malformed line is an error
# and nothing after it is in the report.
broken = os.path.join(work, "broken.scn")
with open(broken, "w") as f:
    f.write('expect sdk any 0\nexpect trace "<a & \'b\'>"\nfrobnicate\nexpect sdk any 0\n')
done, junit, events = run(broken)
check(done.returncode == 2, f"broken.scn exited with {done.returncode}")
failures = [e.get("message") for e in junit.iter("failure")]
printed = [line for line in done.stdout.splitlines() if ": expected " in line]
check(failures == printed and len(printed) == 1 and "<a & 'b'>" in printed[0], f"{failures} against {printed}")
errors = [e.get("message") for e in junit.iter("error")]
check(len(errors) == 1 and errors[0].startswith(f"{broken}:3: unknown command 'frobnicate'"), f"errors {errors}")
check(junit.get("tests") == "3" and junit.get("errors") == "1", f"counts {junit.attrib}")

for problem in problems:
    print("reports:", problem)
sys.exit(1 if problems else 0)
