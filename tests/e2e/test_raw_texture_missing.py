"""A terrain file that names a raw texture kind whose raw file is missing (or
is a directory) ends the real program during start-up: "Erro no fichero\\n"
on standard output and exit status 1, before any frame. With the raw file in
place the same scene starts and keeps running."""

import os
import shutil
import subprocess
import tempfile

from mirtal_e2e import Checks, Mirtal, parse_args

RAW_BYTES = 256 * 256 * 3
BITMAPS = ["Porta.bmp", "muro.bmp", "Porta3.bmp", "Telhado1.bmp", "Garagem.bmp",
           "Janela1.bmp", "Parede1.bmp", "Relva1.bmp", "calcada.bmp", "cimento.bmp",
           "alcatrao.bmp", "madeira2.bmp", "caminho.bmp", "pedra.bmp",
           "respiradouro.bmp", "ceu.bmp", "agua.bmp"]


def grass_terrain():
    """One flat patch of kind 2 ("Relva1.raw") and the terminator."""
    lines = ["1", "2 1 1 0"]
    for r in range(3):
        for c in range(3):
            lines.append(f"{3 * r + c + 1} {15 * c} 0 {15 * r}")
    lines.append("69 0 0 0")
    return ("\n".join(lines) + "\n").encode()


def run_in_scratch(binary, data_dir, make_raw):
    """Runs the program to its end in a scratch copy of data_dir with the
    grass terrain; make_raw(folder) prepares (or not) Relva1.raw."""
    workdir = tempfile.mkdtemp(prefix="mirtal-e2e-")
    try:
        if os.path.isdir(data_dir):
            for name in os.listdir(data_dir):
                source = os.path.join(data_dir, name)
                if os.path.isfile(source) and name != "Relva1.raw":
                    shutil.copy(source, workdir)
        with open(os.path.join(workdir, "data_terreno.geo"), "wb") as f:
            f.write(grass_terrain())
        make_raw(workdir)
        result = subprocess.run([binary], cwd=workdir, capture_output=True, timeout=30)
        return result.returncode, result.stdout.decode("latin-1")
    finally:
        shutil.rmtree(workdir, ignore_errors=True)


def check_ends_with_message(checks, what, status, output, bitmaps_present):
    checks.check(status == 1, f"{what}: exit status 1 (got {status})")
    checks.check(output.endswith("Erro no fichero\n") and output.count("Erro no fichero") == 1,
                 f"{what}: the last words on standard output are 'Erro no fichero' (ends {output[-60:]!r})")
    if bitmaps_present:
        # The bitmap reader reports the size of every picture it reads.
        rest = "".join(line for line in output.splitlines(keepends=True)
                       if not line.startswith("numRows,numCols = "))
        checks.check(rest == "Erro no fichero\n",
                     f"{what}: nothing else on standard output but the bitmaps' sizes "
                     f"(got {output!r})")


def main():
    args = parse_args()
    checks = Checks("raw_texture_missing")
    bitmaps_present = all(os.path.isfile(os.path.join(args.data, name)) for name in BITMAPS)

    try:
        status, output = run_in_scratch(args.binary, args.data, lambda folder: None)
        check_ends_with_message(checks, "missing Relva1.raw", status, output, bitmaps_present)

        status, output = run_in_scratch(
            args.binary, args.data, lambda folder: os.mkdir(os.path.join(folder, "Relva1.raw")))
        check_ends_with_message(checks, "Relva1.raw a directory", status, output, bitmaps_present)
    except subprocess.TimeoutExpired:
        checks.check(False, "a missing raw texture must end the program, not leave it running")

    # The same scene with its raw file: the program starts and keeps running.
    app = Mirtal(args.binary, args.data, omit=("Relva1.raw",),
                 extra_files={"data_terreno.geo": grass_terrain(),
                              "Relva1.raw": bytes([40, 160, 40]) * (RAW_BYTES // 3)})
    try:
        app.wait_for_window()
        checks.check(app.process.poll() is None, "with Relva1.raw in place the program runs on")
    except RuntimeError as error:
        checks.check(False, f"with Relva1.raw in place the program runs on ({error})")
    finally:
        app.close()

    checks.finish()


if __name__ == "__main__":
    main()
