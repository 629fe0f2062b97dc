"""Running the Windows programs under Wine from the checks: paths as Windows sees them, and
programs whose output is UTF-8."""
import os
import subprocess


def windows_path(path):
    """Wine's Z: drive is the Linux root."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def run(program, *args, timeout=120, check=True):
    """Runs a Windows program and returns what it wrote to stdout and stderr, as text."""
    result = subprocess.run(["wine", program, *args], capture_output=True, timeout=timeout,
                            stdin=subprocess.DEVNULL)
    if check and result.returncode != 0:
        raise AssertionError(f"{program} {args} exited {result.returncode}: "
                             f"{result.stderr.decode(errors='replace')}")
    return result.stdout.decode(), result.stderr.decode(), result.returncode


def lines(text):
    """Lines of a Windows program's text output, whose line ends are CR LF."""
    return text.replace("\r\n", "\n").splitlines()


def registry_values(key):
    """The values under a registry key as 'name': 'text' (REG_SZ only), through reg export,
    which keeps every character (reg query prints in code page 437)."""
    values = {}
    out = "/tmp/vandrel-reg-%d.reg" % os.getpid()
    for view in ("/reg:32", "/reg:64"):
        result = subprocess.run(["wine", "reg", "export", key, windows_path(out), "/y", view],
                                capture_output=True)
        if result.returncode != 0 or not os.path.exists(out):
            continue
        with open(out, "rb") as exported:
            text = exported.read().decode("utf-16")
        os.remove(out)
        for line in text.splitlines():
            if line.startswith('"') and '"="' in line:
                name, value = line[1:-1].split('"="', 1)
                values[name] = value.replace("\\\\", "\\")
    return values
