"""Running the Windows programs under Wine from the checks: paths as Windows sees them, and
programs whose output is UTF-8."""
import os
import subprocess
import tempfile


def windows_path(path):
    """Wine's Z: drive is the Linux root."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def run(program, *args, timeout=120, check=True, env=None):
    """Runs a Windows program and returns what it wrote to stdout and stderr, as text; with
    `env`, in that environment instead of this one.

    The output goes to files, not pipes: Wine may start its desktop process from the program,
    and that process keeps a pipe open long after the program has ended."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        status = subprocess.run(["wine", program, *args], stdin=subprocess.DEVNULL, stdout=out,
                                stderr=err, timeout=timeout, env=env).returncode
        out.seek(0)
        err.seek(0)
        stdout, stderr = out.read().decode(), err.read().decode()
    if check and status != 0:
        raise AssertionError(f"{program} {args} exited {status}: {stderr}")
    return stdout, stderr, status


def has_locale(name):
    """Whether the system has the locale, such as "de_DE.UTF-8": Wine takes the user's language
    from the locale's name, but reads names outside ASCII only where the locale is installed."""
    wanted = name.lower().replace("-", "")
    installed = subprocess.run(["locale", "-a"], capture_output=True, text=True).stdout.split()
    return any(entry.lower().replace("-", "") == wanted for entry in installed)


def lines(text):
    """Lines of a Windows program's text output, whose line ends are CR LF."""
    return text.replace("\r\n", "\n").splitlines()


def registry_values(key):
    """The values under a registry key as 'name': 'text' for REG_SZ and 'dword:0000000n' for
    REG_DWORD, through reg export, which keeps every character (reg query prints in code page
    437)."""
    values = {}
    out = "/tmp/vandrel-reg-%d.reg" % os.getpid()
    for view in ("/reg:32", "/reg:64"):
        result = subprocess.run(["wine", "reg", "export", key, windows_path(out), "/y", view],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if result.returncode != 0 or not os.path.exists(out):
            continue
        with open(out, "rb") as exported:
            text = exported.read().decode("utf-16")
        os.remove(out)
        for line in text.splitlines():
            if line.startswith('"') and '"="' in line:
                name, value = line[1:-1].split('"="', 1)
                values[name] = value.replace("\\\\", "\\")
            elif line.startswith('"') and '"=dword:' in line:
                name, value = line[1:].split('"=', 1)
                values[name] = value
    return values
