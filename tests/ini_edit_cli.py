"""`ambleworks-sim set` on every case of tests/ini_edit_cases.json, as a mod
manager runs it: the file in a folder of its own, the settings as
SECTION.KEY=VALUE (or KEY=VALUE) arguments. A written case must exit 0 with
exactly the table's bytes in the file and each setting's line reported; a
refused one must exit 1, name each reason on stderr and leave the file (or
its absence) exactly as it was. No temporary file may stay behind.

    ini_edit_cli.py AMBLEWORKS_SIM CASES_JSON WORK_FOLDER
"""

import json
import os
import shutil
import subprocess
import sys


def table_bytes(value):
    """A text of the table as its bytes: U+0000 to U+00FF are one byte each."""
    if value is None:
        return None
    if isinstance(value, list):
        value = "".join(value)
    return value.encode("latin-1")


def argument(edit):
    name = edit["key"] if not edit.get("section") else edit["section"] + "." + edit["key"]
    return table_bytes(name + "=" + edit["value"])


def check_case(sim, case, folder):
    """The problems with one case: a list of texts, empty when it passes."""
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    path = os.path.join(folder, "Ambleworks.ini")
    before = table_bytes(case["file"])
    if before is not None:
        with open(path, "wb") as out:
            out.write(before)
    args = [sim.encode(), b"set", b"Ambleworks.ini"] + [argument(edit) for edit in case["edits"]]
    run = subprocess.run(args, cwd=folder, capture_output=True, timeout=60)
    out, err = run.stdout.decode("latin-1"), run.stderr.decode("latin-1")
    problems = []
    after = open(path, "rb").read() if os.path.exists(path) else None
    if "refused" in case:
        if run.returncode != 1:
            problems.append(f"exit status {run.returncode}, not 1")
        if after != before:
            problems.append("the file changed although the edits were refused")
        for piece in case["refused"]:
            if piece not in err:
                problems.append(f"stderr lacks {piece!r}")
    else:
        if run.returncode != 0:
            problems.append(f"exit status {run.returncode}, not 0")
        if after != table_bytes(case["result"]):
            problems.append(f"the file holds {after!r}, not {table_bytes(case['result'])!r}")
        for kind, line in case["changes"]:
            if f"line {line}: [" not in out:
                problems.append(f"stdout does not report line {line}")
        unchanged = all(kind == "unchanged" for kind, _ in case["changes"])
        if unchanged and before is not None and "nothing to change" not in out:
            problems.append("stdout does not say that there was nothing to change")
    left = sorted(os.listdir(folder))
    if left not in ([], ["Ambleworks.ini"]):
        problems.append(f"files left in the folder: {left}")
    if problems:
        problems.append(f"stdout:\n{out}stderr:\n{err}")
    return problems


def main():
    sim, cases_path, work = os.path.abspath(sys.argv[1]), sys.argv[2], sys.argv[3]
    cases = json.load(open(cases_path, encoding="utf-8"))["cases"]
    failed = skipped = 0
    for case in cases:
        if any("\0" in edit["value"] for edit in case["edits"]):
            print(f"skip {case['name']}: a NUL cannot be passed in an argument")
            skipped += 1
            continue
        problems = check_case(sim, case, os.path.join(work, case["name"]))
        print(("FAIL " if problems else "PASS ") + case["name"])
        for problem in problems:
            print("  " + problem)
        failed += 1 if problems else 0
    print(f"{len(cases) - failed - skipped} cases as the table says, {failed} not, {skipped} skipped")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
