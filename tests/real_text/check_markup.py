"""kolvo --check on real text, held against the readers' verdicts.

For one corpus file, in both modes (without and with --escape, as check.py
converts it): the check of all formats and of each format alone must end
normally (exit 0 or 1, never a signal), write one well-shaped finding per
line and exit 1 exactly when a warning or error was found. A format whose
reader rejected the file must have at least one error or warning, and one
whose reader accepted it no error (an error says the reader will refuse).
"""

import collections
import re
import subprocess

FINDING = re.compile(r"^(?P<input>.*):(?P<line>\d+):(?P<column>\d+): "
                     r"(?P<severity>error|warning|note): (?P<message>.+)$")
MODES = {"plain": [], "escape": ["--escape"]}
TIMEOUT = 120


def run_check(kolvo, path, mode, fmt=None):
    """(failure or None, findings) of one check run."""
    args = [kolvo, *MODES[mode], "--check"] + (["-" + fmt] if fmt else []) + [path]
    r = subprocess.run(args, capture_output=True, timeout=TIMEOUT)
    what = f"kolvo {' '.join(args[1:-1])}"
    if r.returncode not in (0, 1):
        return f"{what} ended with status {r.returncode}: {r.stderr.decode(errors='replace')[:200]}", []
    findings = []
    for line in r.stdout.decode("utf-8", "replace").splitlines():
        m = FINDING.match(line)
        if not m or m["input"] != path:
            return f"{what} wrote a line that is no finding: {line[:200]!r}", []
        findings.append(m)
    serious = any(m["severity"] != "note" for m in findings)
    if r.returncode != (1 if serious else 0):
        return f"{what} exited {r.returncode} with findings {len(findings)}", findings
    return None, findings


def check_markup(kolvo, path, formats, rejected, judged):
    """Failures and counts for one file. `rejected` maps (mode, format) to
    the reader's complaint where the reader refused the output; `judged`
    holds the (mode, format) pairs a reader gave a verdict on."""
    failures = []
    counts = collections.Counter()  # (mode, format, severity)
    messages = collections.Counter()  # (mode, format, severity, message shape)
    for mode in MODES:
        failure, _ = run_check(kolvo, path, mode)
        if failure:
            failures.append(("*", f"check {mode}", failure))
        for fmt in formats:
            failure, findings = run_check(kolvo, path, mode, fmt)
            if failure:
                failures.append((fmt, f"check {mode}", failure))
                continue
            for m in findings:
                counts[(mode, fmt, m["severity"])] += 1
                messages[(mode, fmt, m["severity"], shape(m["message"]))] += 1
            complaint = rejected.get((mode, fmt))
            if complaint and not any(m["severity"] != "note" for m in findings):
                failures.append((fmt, f"check {mode}",
                                 "the reader rejected the output, yet --check found no error "
                                 f"or warning: {complaint}"))
            errors = [m for m in findings if m["severity"] == "error"]
            if (mode, fmt) in judged and not complaint and errors:
                failures.append((fmt, f"check {mode}",
                                 "the reader accepted the output, yet --check says it will not: "
                                 f"line {errors[0]['line']}: {errors[0]['message'][:160]}"))
    return failures, counts, messages


def shape(message):
    """A message with its particulars (tags, characters, numbers) set aside,
    so that findings of one kind count together."""
    message = re.sub(r"'[^']*'|%[A-Za-z0-9]{2}|U\+[0-9A-F]+|\d+", "_", message)
    return message[:90]
