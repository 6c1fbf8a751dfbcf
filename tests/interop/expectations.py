"""What the interop scripts share: expectations that do not hold are kept, and the script ends by
listing them and failing."""
import sys

failures = []
checked = 0


def expect(label, actual, expected):
    global checked
    checked += 1
    if actual != expected:
        failures.append(f"{label}: got {actual!r}, expected {expected!r}")


def finish(summary):
    """Prints each failure and the summary, and exits 1 when anything failed, else 0."""
    for failure in failures:
        print("FAIL", failure)
    print(f"{summary}: {checked} expectations, {len(failures)} failures")
    sys.exit(1 if failures else 0)
