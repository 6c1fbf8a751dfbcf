"""What the host scripts share: Windows paths under Wine, and a script run by the reference host, which
must say it passed."""
import os
import subprocess
import sys


def windows(path):
    """A path as the Windows programs under Wine see it."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def run_host(wine_run, host, dll, script_file, script, timeout=300):
    """Writes the script and runs it in the host; on failure prints the end of what the host said and exits 1."""
    with open(script_file, "w", encoding="utf-8") as f:
        f.write(script)
    run = subprocess.run([wine_run, host, "-v", windows(dll), windows(script_file)], capture_output=True, text=True,
                         errors="replace", timeout=timeout)
    if run.returncode != 0 or "script passed" not in run.stdout:
        print(run.stdout[-6000:] + run.stderr[-2000:])
        sys.exit(1)
