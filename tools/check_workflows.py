#!/usr/bin/python3
"""Checks the CI workflows: each parses as YAML, has a trigger and jobs,
every job names its runner and has steps that each run or use something,
and every CMake preset a workflow names is defined in CMakePresets.json."""
import glob
import json
import os
import re
import sys

import yaml

root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
with open(os.path.join(root, "CMakePresets.json")) as f:
    presets = {p["name"] for p in json.load(f)["configurePresets"]}

problems, missing = [], set()
files = sorted(glob.glob(os.path.join(root, ".github", "workflows", "*.yml")))
if not files:
    problems.append("no workflow in .github/workflows")
for path in files:
    name = os.path.relpath(path, root)
    try:
        with open(path) as f:
            flow = yaml.safe_load(f)
    except yaml.YAMLError as e:
        problems.append(f"{name}: {e}")
        continue
    # YAML 1.1 reads the bare key `on` as the boolean true.
    if not isinstance(flow, dict) or not ({"on", True} & flow.keys()):
        problems.append(f"{name}: no trigger")
    jobs = flow.get("jobs") if isinstance(flow, dict) else None
    if not isinstance(jobs, dict) or not jobs:
        problems.append(f"{name}: no jobs")
        continue
    for job_name, job in jobs.items():
        where = f"{name}: job {job_name}"
        if "runs-on" not in job:
            problems.append(f"{where}: no runs-on")
        steps = job.get("steps") or []
        if not steps:
            problems.append(f"{where}: no steps")
        for i, step in enumerate(steps):
            if not isinstance(step, dict) or not ({"run", "uses"} & step.keys()):
                problems.append(f"{where}: step {i + 1} neither runs nor uses anything")
    text = open(path).read()
    named = set(re.findall(r"--preset[ =]([A-Za-z0-9_-]+)", text))
    named |= set(re.findall(r"^\s*preset:\s*([A-Za-z0-9_-]+)", text, re.M))
    missing |= named - presets

for preset in sorted(missing):
    # A preset may arrive with another platform's branch; say so, don't fail.
    print(f"note: preset {preset} is named by a workflow but not defined yet")
for p in problems:
    print(p)
sys.exit(1 if problems else 0)
