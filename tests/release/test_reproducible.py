"""tools/package.sh writes the same bytes for the same tree, in another
folder at another time, and builds from a source archive on a machine
without git:

- the tree again, as `git archive` gives it (a download from a forge), in a
  scratch folder, with git off the PATH (a PATH of links to every other
  command); in a tree that is itself no checkout, a copy of it;
- there, with no SOURCE_DATE_EPOCH: tools/release_env.sh takes the date of
  the changelog's first entry, as Debian's dpkg-parsechangelog -STimestamp
  gives it, and says so; the same with git on the PATH, the tree being no
  checkout;
- there, SOURCE_DATE_EPOCH that is not a whole number of seconds: package.sh
  ends with status 2 and a message that names it, before it builds anything
  (no build folder, nothing in dist/);
- there, packaged with the SOURCE_DATE_EPOCH that the first build had (the
  last commit's time, in a checkout): its dist/SHA256SUMS is the given one,
  line for line, and sha256sum -c agrees with its files;
- the scratch tree made a git checkout of one commit: with no
  SOURCE_DATE_EPOCH the commit's time is taken; with a change not
  committed, package.sh warns that the artefacts will not match the commit
  (tried with a bad SOURCE_DATE_EPOCH beside it, so that nothing is built).

Runs a whole tools/package.sh (both Debian packages, the Windows zip, the web
zip and the single HTML file) with git off the PATH."""

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
# Not copied from a tree that is no checkout: what its builds wrote.
BUILT = shutil.ignore_patterns("build*", "dist", "node_modules", "__pycache__", "*.pyc")


def environment(path=None, **values):
    """This environment without the release variables, with `values`."""
    env = {k: v for k, v in os.environ.items()
           if k not in ("SOURCE_DATE_EPOCH", "MIRTAL_RELEASE_ENV")}
    if path:
        env["PATH"] = path
    env.update(values)
    return env


def package(tree, env, timeout=120):
    return subprocess.run(["bash", "tools/package.sh"], cwd=tree, capture_output=True, text=True,
                          timeout=timeout, env=env)


def release_epoch(tree, env):
    """What tools/release_env.sh makes of SOURCE_DATE_EPOCH in `tree`:
    (status, its value, what it said)."""
    result = subprocess.run(["bash", "-c", "source tools/release_env.sh && echo $SOURCE_DATE_EPOCH"],
                            cwd=tree, capture_output=True, text=True, timeout=60, env=env)
    return result.returncode, result.stdout.strip(), result.stderr.strip()


def built_anything(tree):
    return any(os.path.exists(os.path.join(tree, f))
               for f in ("build-package", "build-windows", "build-web", "dist"))


def path_without_git(folder):
    """A folder of links to every command on the PATH but git's."""
    os.makedirs(folder)
    for directory in os.environ.get("PATH", "").split(":"):
        if not os.path.isdir(directory):
            continue
        for name in os.listdir(directory):
            target = os.path.join(directory, name)
            link = os.path.join(folder, name)
            if (name == "git" or name.startswith("git-") or os.path.lexists(link)
                    or not os.access(target, os.X_OK) or os.path.isdir(target)):
                continue
            os.symlink(target, link)
    return folder


def is_checkout(tree):
    found = subprocess.run(["git", "rev-parse", "--show-toplevel"], cwd=tree, capture_output=True,
                           text=True) if shutil.which("git") else None
    return bool(found and found.returncode == 0 and
                os.path.realpath(found.stdout.strip()) == os.path.realpath(tree))


def unpack(tree):
    """The tree again in `tree`: `git archive` of the commit, or a copy."""
    if is_checkout(ROOT):
        os.makedirs(tree)
        archive = subprocess.Popen(["git", "archive", "--format=tar", "HEAD"], cwd=ROOT,
                                   stdout=subprocess.PIPE)
        subprocess.run(["tar", "-x", "-C", tree], stdin=archive.stdout, check=True)
        archive.stdout.close()
        if archive.wait() != 0:
            raise RuntimeError("git archive failed")
        return "git archive"
    shutil.copytree(ROOT, tree, ignore=BUILT, symlinks=True)
    return "a copy (the tree is no checkout)"


def check_no_checkout(checks, tree, no_git):
    changelog = os.path.join(tree, "packaging", "linux", "changelog")
    expected = subprocess.run(["dpkg-parsechangelog", "-l", changelog, "-STimestamp"],
                              capture_output=True, text=True, check=True).stdout.strip()
    for what, env in (("git not on the PATH", environment(no_git)),
                      ("git on the PATH", environment())):
        status, epoch, said = release_epoch(tree, env)
        checks.check(status == 0 and epoch == expected and "changelog" in said,
                     f"no checkout, {what}: SOURCE_DATE_EPOCH is the changelog's date, "
                     f"{expected}, and it says so (got {status}: {epoch!r}, {said!r})")

    result = package(tree, environment(no_git, SOURCE_DATE_EPOCH="yesterday"))
    checks.check(result.returncode == 2 and "SOURCE_DATE_EPOCH" in result.stderr
                 and "'yesterday'" in result.stderr and not built_anything(tree),
                 f"SOURCE_DATE_EPOCH=yesterday: status 2, a message naming it, nothing built "
                 f"(status {result.returncode}: {result.stderr.strip()!r})")
    checks.check("uncommitted" not in result.stderr, "no checkout: no warning about changes")


def check_checkout(checks, tree):
    """The scratch tree made a checkout of one commit."""
    git = ["git", "-c", "user.name=Mirtal tests", "-c", "user.email=tests@example.org"]
    for command in (["init", "-q"], ["add", "-A"], ["commit", "-q", "-m", "the tree"]):
        subprocess.run(git + command, cwd=tree, check=True, capture_output=True)
    committed = subprocess.run(["git", "log", "-1", "--format=%ct"], cwd=tree, capture_output=True,
                               text=True, check=True).stdout.strip()
    status, epoch, _ = release_epoch(tree, environment())
    checks.check((status, epoch) == (0, committed),
                 f"a checkout: SOURCE_DATE_EPOCH is the commit's time, {committed} (got {epoch!r})")

    with open(os.path.join(tree, "README.md"), "a") as f:
        f.write("\nA change not committed.\n")
    result = package(tree, environment(SOURCE_DATE_EPOCH="12.5"))
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
        started = time.monotonic()
        made = unpack(tree)
        no_git = path_without_git(os.path.join(scratch, "bin"))
        print(f"the tree again by {made}: {time.monotonic() - started:.1f} s")
        check_no_checkout(checks, tree, no_git)

        # The first build's time stamp, as release_env.sh gave it there.
        given = {"SOURCE_DATE_EPOCH": os.environ["SOURCE_DATE_EPOCH"]} \
            if "SOURCE_DATE_EPOCH" in os.environ else {}
        status, epoch, said = release_epoch(ROOT, environment(**given))
        checks.check(status == 0, f"the first build's SOURCE_DATE_EPOCH ({said!r})")
        started = time.monotonic()
        result = package(tree, environment(no_git, SOURCE_DATE_EPOCH=epoch),
                         timeout=PACKAGE_TIMEOUT)
        print(f"package.sh in {tree}, git not on the PATH, SOURCE_DATE_EPOCH={epoch}: "
              f"status {result.returncode}, {time.monotonic() - started:.0f} s")
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

        started = time.monotonic()
        if shutil.which("git"):
            shutil.rmtree(os.path.join(tree, "dist"))
            for name in os.listdir(tree):
                if name.startswith("build"):
                    shutil.rmtree(os.path.join(tree, name))
            check_checkout(checks, tree)
            print(f"the checks in a checkout: {time.monotonic() - started:.1f} s")
        else:
            print("git is not installed: the checks of a checkout are left out")
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
    checks.finish()


if __name__ == "__main__":
    main()
