"""mirtal-record, the real binary under Xvfb with Debian's ffmpeg: a short
flight film holds the frames of the flight path (counted here from the
path's definition) at the asked size and codec; bad input is refused before
anything is drawn, with one line, status 2 and no output file; an
interrupted recording leaves no file behind and says so in its status; a
model file is imported into the launcher's cache once and filmed."""

import os
import pty
import re
import shutil
import signal
import subprocess
import tempfile
import time

from mirtal_e2e import Checks, parse_args


def flight_frame_count():
    """Frames from the flight's first to the last in which the camera moves
    (its eye or its look point changes). The parameter starts at -620 and
    grows by 10 before each frame; the segments are open intervals: A below
    -100, B to 250, C to 750, D to 1000, E to 1600; between them and from
    1600 on the eye stays and the look is (40, 40, 20). Only which segment a
    frame falls in matters here, and in which the eye or look changes."""
    def pose(f, eye):
        look = (40, 40, 20)
        target = (f / 10 + 10, f / 10 + 100, 20)
        if f < -100:
            return ("A", f), look
        if -100 < f < 250:
            return ("B", f), look
        if 250 < f < 750:
            return ("C", f), target
        if 750 < f < 1000:
            return ("D", f), target
        if 1000 < f < 1600:
            return ("E", f), target
        return eye, look

    f, eye, look, last = -620, None, None, 0
    for frame in range(1, 1000):
        f += 10
        new_eye, new_look = pose(f, eye)
        if frame == 1 or new_eye != eye or new_look != look:
            last = frame
        eye, look = new_eye, new_look
    return last


def probe(path):
    """Codec, width, height and decoded frame count of the film's video."""
    out = subprocess.run(["ffprobe", "-v", "error", "-select_streams", "v:0", "-count_frames",
                          "-show_entries", "stream=codec_name,width,height,nb_read_frames,pix_fmt",
                          "-of", "default=noprint_wrappers=1", path],
                         capture_output=True, text=True, timeout=60).stdout
    return dict(line.split("=", 1) for line in out.split())


def mp4_boxes(path):
    """The top-level box types of an MP4 file, in order."""
    boxes = []
    with open(path, "rb") as f:
        data = f.read()
    at = 0
    while at + 8 <= len(data):
        size = int.from_bytes(data[at:at + 4], "big")
        boxes.append(data[at + 4:at + 8].decode("latin-1"))
        if size == 1:
            size = int.from_bytes(data[at + 8:at + 16], "big")
        if size < 8:
            break
        at += size
    return boxes


def run(record, *args, env=None, cwd=None, timeout=300):
    return subprocess.run([record, *args], capture_output=True, text=True, env=env, cwd=cwd,
                          timeout=timeout)


def main():
    args = parse_args()
    checks = Checks("record")
    record = os.path.abspath(args.record)
    data = os.path.abspath(args.data)
    work = tempfile.mkdtemp(prefix="mirtal-record-")
    try:
        # -- a short flight film -------------------------------------------
        film = os.path.join(work, "flight.mp4")
        result = run(record, "--flight", "--size", "320x240", "--supersample", "1", data, film)
        checks.check(result.returncode == 0, f"the flight is recorded (status {result.returncode}: "
                                             f"{result.stderr.strip()[-300:]})")
        checks.check(result.stdout == "", "standard output stays free")
        if result.returncode == 0:
            info = probe(film)
            expected = flight_frame_count()
            checks.check(info.get("codec_name") == "h264" and info.get("pix_fmt") == "yuv420p",
                         f"H.264 in yuv420p ({info})")
            checks.check((info.get("width"), info.get("height")) == ("320", "240"), "320 x 240")
            checks.check(info.get("nb_read_frames") == str(expected),
                         f"{expected} frames, as the flight path has ({info.get('nb_read_frames')})")
            boxes = mp4_boxes(film)
            checks.check("moov" in boxes and "mdat" in boxes
                         and boxes.index("moov") < boxes.index("mdat"),
                         f"the index comes before the frames, so that it streams ({boxes})")
            lines = [line for line in result.stderr.splitlines() if "% (" in line]
            checks.check(len(lines) == 10 and lines[-1].startswith("mirtal-record: film 100%"),
                         f"off a terminal, progress is a line at every tenth ({len(lines)} lines)")
        # The other two formats, small: VP9 in WebM, and a GIF (two passes:
        # its palette, then the film) of the same frames.
        for extension, codec in (("webm", "vp9"), ("gif", "gif")):
            small = os.path.join(work, f"flight.{extension}")
            result = run(record, "--flight", "--size", "96x54", "--supersample", "1", data, small)
            info = probe(small) if result.returncode == 0 else {}
            checks.check((info.get("codec_name"), info.get("width"), info.get("height"),
                          info.get("nb_read_frames"))
                         == (codec, "96", "54", str(flight_frame_count())),
                         f".{extension}: {codec}, 96 x 54, every frame of the flight ({info}, "
                         f"status {result.returncode})")
        checks.check(sorted(os.listdir(work)) == ["flight.gif", "flight.mp4", "flight.webm"],
                     "no scratch file is left beside them (the GIF's palette neither)")
        for extension in ("webm", "gif"):
            os.remove(os.path.join(work, f"flight.{extension}"))

        # On a terminal, progress is a bar redrawn in place.
        controller, terminal = pty.openpty()
        process = subprocess.Popen([record, "--flight", "--size", "64x48", "--supersample", "1", data,
                                    os.path.join(work, "bar.mp4")],
                                   stdout=subprocess.PIPE, stderr=terminal)
        os.close(terminal)
        shown = b""
        while True:
            try:
                chunk = os.read(controller, 65536)
            except OSError:
                break
            if not chunk:
                break
            shown += chunk
        process.wait(timeout=60)
        os.close(controller)
        bars = re.findall(rb"\r\[[#.]+\] +(\d+)/(\d+) frames +(\d+)% +[-:0-9]+ left", shown)
        checks.check(process.returncode == 0 and len(bars) >= 2
                     and bars[-1] == (b"222", b"222", b"100"),
                     f"on a terminal, a bar of frames, percent and time left ({len(bars)} bars, last "
                     f"{bars[-1] if bars else None})")
        os.remove(os.path.join(work, "bar.mp4"))

        # -- bad input: one line, status 2, nothing drawn, no output ---------
        no_ffmpeg = os.path.join(work, "bin")
        os.mkdir(no_ffmpeg)
        for tool in ("sh", "true"):
            os.symlink(shutil.which(tool), os.path.join(no_ffmpeg, tool))
        existing = os.path.join(work, "old.mp4")
        with open(existing, "wb") as f:
            f.write(b"old film")
        env_without_ffmpeg = dict(os.environ, PATH=no_ffmpeg)
        env_without_display = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
        out = lambda name: os.path.join(work, name)
        cases = [
            ("no ffmpeg on the PATH", [data, out("a.mp4")], env_without_ffmpeg, "ffmpeg", out("a.mp4")),
            ("an output that exists, without --force", [data, existing], None, "--force", None),
            ("an output folder that does not exist", [data, out("none/a.mp4")], None, "folder",
             out("none/a.mp4")),
            ("an unknown extension", [data, out("a.avi")], None, ".mp4, .webm or .gif", out("a.avi")),
            ("a scene folder that does not exist", [out("nowhere"), out("b.mp4")], None, "scene",
             out("b.mp4")),
            ("a folder that holds no scene", [no_ffmpeg, out("b.mp4")], None, "not a scene folder",
             out("b.mp4")),
            ("an odd size for MP4", ["--size", "321x240", data, out("c.mp4")], None, "even",
             out("c.mp4")),
            ("a size that is no size", ["--size", "big", data, out("d.mp4")], None, "--size",
             out("d.mp4")),
            ("no X display", [data, out("e.mp4")], env_without_display, "DISPLAY", out("e.mp4")),
        ]
        for what, arguments, env, words, path in cases:
            started = time.monotonic()
            result = run(record, *arguments, env=env, timeout=30)
            lines = result.stderr.splitlines()
            checks.check(result.returncode == 2 and len(lines) == 1 and words in result.stderr
                         and result.stderr.startswith("mirtal-record: ") and result.stdout == "",
                         f"{what}: status 2 and one line naming {words!r} "
                         f"(status {result.returncode}: {result.stderr.strip()!r})")
            # Nothing was drawn: the scene's readers said nothing, and the
            # refusal came at once.
            checks.check("numRows" not in result.stderr and time.monotonic() - started < 5,
                         f"{what}: refused before the scene is read")
            if path:
                checks.check(not os.path.exists(path), f"{what}: no output file")
        with open(existing, "rb") as f:
            checks.check(f.read() == b"old film", "the existing output is left as it was")
        checks.check(sorted(os.listdir(work)) == ["bin", "flight.mp4", "old.mp4"],
                     f"no file was made by the refused runs ({sorted(os.listdir(work))})")

        # -- interrupted: the partial output is removed ---------------------
        for signal_number, status in ((signal.SIGINT, 130), (signal.SIGTERM, 143)):
            name = signal.Signals(signal_number).name
            target = out(f"cut-{name}.webm")
            process = subprocess.Popen([record, "--size", "320x240", data, target],
                                       stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
            # Wait until frames are going to ffmpeg.
            seen = ""
            deadline = time.monotonic() + 60
            while time.monotonic() < deadline and process.poll() is None:
                if any(n.startswith(".cut-") and "partial" in n for n in os.listdir(work)):
                    time.sleep(2)
                    break
                time.sleep(0.1)
            process.send_signal(signal_number)
            try:
                stdout, seen = process.communicate(timeout=30)
            except subprocess.TimeoutExpired:
                process.kill()
                stdout, seen = process.communicate()
            checks.check(process.returncode == status,
                         f"{name}: status {status} ({process.returncode})")
            checks.check("interrupted" in seen and "removed" in seen,
                         f"{name}: it says the film was interrupted and removed ({seen.strip()[-200:]!r})")
            left = [n for n in os.listdir(work) if n.startswith("cut-") or n.startswith(".cut-")]
            checks.check(left == [], f"{name}: no partial output is left ({left})")

        check_model(checks, record, os.path.join(work, "model"), film)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    checks.finish()


MODEL = "/usr/share/assimp/models/glTF2/BoxTextured-glTF-Binary/BoxTextured.glb"


def frame_of(film, number):
    """Frame `number` (from 0) of the film as raw RGB bytes."""
    return subprocess.run(["ffmpeg", "-v", "error", "-i", film, "-vf", f"select=eq(n\\,{number})",
                           "-frames:v", "1", "-f", "rawvideo", "-pix_fmt", "rgb24", "-"],
                          capture_output=True, timeout=60).stdout


def files_of(folder):
    """Each file's name, inode and modification time: the same unless
    written again."""
    return sorted((name, os.stat(os.path.join(folder, name)).st_ino,
                   os.stat(os.path.join(folder, name)).st_mtime_ns) for name in os.listdir(folder))


def check_model(checks, record, work, default_film):
    """A model file as SCENE: imported into the launcher's cache (the folder
    named after the model and a hash of its path), once; then filmed."""
    os.mkdir(work)
    cache = os.path.join(work, "cache")
    env = dict(os.environ, XDG_CACHE_HOME=cache)
    film = os.path.join(work, "box.mp4")
    size = ["--flight", "--size", "320x240", "--supersample", "1"]
    result = run(record, *size, MODEL, film, env=env)
    checks.check(result.returncode == 0 and result.stdout == ""
                 and result.stderr.count("importing") == 1,
                 f"a model file is imported once and filmed (status {result.returncode}: "
                 f"{result.stderr.strip()[-300:]!r})")
    folders = os.listdir(os.path.join(cache, "mirtal")) if os.path.isdir(cache) else []
    checks.check(len(folders) == 1 and re.fullmatch(r"BoxTextured\.glb-[0-9a-f]{16}", folders[0]),
                 f"the cache holds one folder named after the model ({folders})")
    if result.returncode != 0 or len(folders) != 1:
        return
    scene = os.path.join(cache, "mirtal", folders[0])
    names = os.listdir(scene)
    checks.check("data_textura.geo" in names and sum(n.endswith(".bmp") for n in names) == 17
                 and ".mirtal-import-stamp" in names, f"the folder holds a whole scene ({names})")
    info = probe(film)
    checks.check(info.get("nb_read_frames") == str(flight_frame_count()),
                 f"the film holds the whole flight ({info.get('nb_read_frames')} frames)")
    # Halfway, the flight passes in front of the house's place: the box that
    # fills its footprint, not the default house, is what the film shows
    # (the same scene filmed twice gives the same frames: 0 unlike).
    ours, default = frame_of(film, 100), frame_of(default_film, 100)
    unlike = (sum(abs(a - b) > 48 for a, b in zip(ours, default)) / len(ours)) if ours and \
        len(ours) == len(default) else 0
    checks.check(unlike > 0.15, f"the film shows the model, not the default house "
                                f"({unlike:.3f} of the values unlike)")

    before = files_of(scene)
    again = run(record, *size, "--force", MODEL, film, env=env)
    checks.check(again.returncode == 0 and "importing" not in again.stderr
                 and files_of(scene) == before,
                 f"a second film of the unchanged model imports nothing (status {again.returncode})")

    # Checks that need no import come first: nothing is imported for them.
    other_cache = os.path.join(work, "other-cache")
    refused = run(record, *size, MODEL, film, env=dict(os.environ, XDG_CACHE_HOME=other_cache))
    checks.check(refused.returncode == 2 and "--force" in refused.stderr
                 and "importing" not in refused.stderr and not os.path.exists(other_cache),
                 f"an existing output is refused before any import ({refused.stderr.strip()!r})")

    bad = os.path.join(work, "bad.glb")
    with open(bad, "w") as f:
        f.write("no model here\n")
    out = os.path.join(work, "bad.mp4")
    result = run(record, *size, bad, out, env=env)
    lines = result.stderr.splitlines()
    checks.check(result.returncode == 2 and len(lines) == 1
                 and lines[0].startswith("mirtal-record: ") and "bad.glb" in lines[0]
                 and not os.path.exists(out) and result.stdout == "",
                 f"a bad model: status 2, one line naming it, no film "
                 f"(status {result.returncode}: {result.stderr.strip()!r})")
    checks.check(sorted(os.listdir(os.path.join(cache, "mirtal"))) == folders,
                 "a bad model leaves nothing in the cache")


if __name__ == "__main__":
    main()
