"""tools/package.sh writes the same bytes for the same commit, in another
folder at another time:

- SOURCE_DATE_EPOCH that is not a whole number of seconds: package.sh ends
  with status 2 and a message that names it, before it builds anything (no
  build folder, nothing in dist/);
- a tree with uncommitted changes: package.sh warns that the artefacts will
  not match the commit (tried with a bad SOURCE_DATE_EPOCH beside it, so
  that nothing is built);
- a clone of the same commit, in a scratch folder, packaged there: its
  dist/SHA256SUMS is the given one, line for line, and sha256sum -c agrees
  with its files.

Runs a whole tools/package.sh (both Debian packages, the Windows zip, the web
zip and the single HTML file)."""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from mirtal_e2e import Checks  # noqa: E402

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
PACKAGE_TIMEOUT = 3600  # seconds: a whole package.sh, freeglut for Windows included


def package(tree, timeout=120, **env):
    return subprocess.run(["bash", "tools/package.sh"], cwd=tree, capture_output=True, text=True,
                          timeout=timeout, env=dict(os.environ, **env))


def built_anything(tree):
    return any(os.path.exists(os.path.join(tree, f))
               for f in ("build-package", "build-windows", "build-web", "dist"))


def check_bad_input(checks, tree):
    result = package(tree, SOURCE_DATE_EPOCH="yesterday")
    checks.check(result.returncode == 2 and "SOURCE_DATE_EPOCH" in result.stderr
                 and "'yesterday'" in result.stderr and not built_anything(tree),
                 f"SOURCE_DATE_EPOCH=yesterday: status 2, a message naming it, nothing built "
                 f"(status {result.returncode}: {result.stderr.strip()!r})")
    checks.check("uncommitted" not in result.stderr, "a clean tree: no warning about changes")

    readme = os.path.join(tree, "README.md")
    shutil.copy(readme, readme + ".orig")
    try:
        with open(readme, "a") as f:
            f.write("\nA change not committed.\n")
        result = package(tree, SOURCE_DATE_EPOCH="12.5")
    finally:
        os.replace(readme + ".orig", readme)
    warned = [l for l in result.stderr.splitlines() if "warning" in l and "uncommitted" in l]
    checks.check(warned and "will not match the commit" in warned[0] and result.returncode == 2
                 and not built_anything(tree),
                 f"a changed tree: a warning that the artefacts will not match the commit "
                 f"({result.stderr.strip()!r})")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--sums", required=True, help="dist/SHA256SUMS of the first build")
    args = parser.parse_args()
    checks = Checks("reproducible")
    with open(args.sums) as f:
        sums = f.read()
    scratch = tempfile.mkdtemp(prefix="mirtal-again-")
    tree = os.path.join(scratch, "mirtal")
    try:
        head = subprocess.run(["git", "rev-parse", "HEAD"], cwd=ROOT, capture_output=True,
                              text=True, check=True).stdout.strip()
        subprocess.run(["git", "clone", "--quiet", "--no-hardlinks", ROOT, tree], check=True)
        subprocess.run(["git", "checkout", "--quiet", "--detach", head], cwd=tree, check=True)
        check_bad_input(checks, tree)

        started = time.monotonic()
        result = package(tree, timeout=PACKAGE_TIMEOUT)
        print(f"package.sh in {tree}: status {result.returncode}, "
              f"{time.monotonic() - started:.0f} s")
        if result.returncode != 0:
            print(result.stdout[-4000:], result.stderr[-4000:])
        try:
            with open(os.path.join(tree, "dist", "SHA256SUMS")) as f:
                again = f.read()
        except FileNotFoundError:
            again = ""
        print(f"first build:\n{sums}second build:\n{again}")
        checks.check(again == sums, "the second build's SHA256SUMS is the first's, line for line")
        verify = subprocess.run(["sha256sum", "-c", "SHA256SUMS"], cwd=os.path.join(tree, "dist"),
                                capture_output=True, text=True)
        checks.check(verify.returncode == 0, f"its files match it ({verify.stdout.strip()})")
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
    checks.finish()


if __name__ == "__main__":
    main()
