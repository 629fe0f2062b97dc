"""vandrel-cli.exe under Wine against the Linux build on the bundled sample: the same log, the
same missing-file lines, the same files under the same names, the same bytes (generated
boundary digits masked), into an output file name and into a folder.

Usage: cli_parity_check.py LINUX_CLI WINDOWS_CLI SAMPLE_EXPORT"""
import os
import re
import subprocess
import sys
import tempfile

from wine_tools import lines, run, windows_path


def masked(path):
    with open(path, "rb") as written:
        return re.sub(rb"__=_Part_Boundary_\d{3}_\d{6}\.\d{6}", b"BOUNDARY", written.read())


def convert_on_linux(cli, sample, output):
    result = subprocess.run([cli, "convert", sample, output], capture_output=True, timeout=120)
    assert result.returncode == 0, result.stderr
    return result.stdout.decode().splitlines(), result.stderr.decode().splitlines()


def main():
    linux_cli, windows_cli, sample = sys.argv[1:4]
    sample = os.path.abspath(sample)
    with tempfile.TemporaryDirectory(prefix="vandrel-parity-") as work:
        for target in ("mail.mbx", "folder/"):
            linux_out = os.path.join(work, "linux", target)
            windows_out = os.path.join(work, "windows", target)
            for out in (linux_out, windows_out):
                os.makedirs(os.path.dirname(out) if target.endswith(".mbx") else out,
                            exist_ok=True)
            linux_log, linux_missing = convert_on_linux(linux_cli, sample, linux_out)
            windows_arg = windows_path(windows_out) + ("\\" if target.endswith("/") else "")
            stdout, stderr, _ = run(windows_cli, "convert", windows_path(sample), windows_arg)
            # The logs name the paths each system was given.
            as_windows = [line.replace(sample, windows_path(sample)).replace(linux_out, windows_arg)
                          for line in linux_log]
            assert lines(stdout) == as_windows, f"{target}: {lines(stdout)}\n!=\n{as_windows}"
            assert lines(stderr) == linux_missing, f"{target}: {lines(stderr)}\n!={linux_missing}"
            linux_dir = os.path.dirname(linux_out) if target.endswith(".mbx") else linux_out
            windows_dir = os.path.dirname(windows_out) if target.endswith(".mbx") else windows_out
            names = sorted(os.listdir(linux_dir))
            assert sorted(os.listdir(windows_dir)) == names, f"{os.listdir(windows_dir)} {names}"
            for name in names:
                assert masked(os.path.join(windows_dir, name)) == masked(
                    os.path.join(linux_dir, name)), f"{target}{name} differs"
            print(f"{target}: {len(names)} files alike")


if __name__ == "__main__":
    main()
