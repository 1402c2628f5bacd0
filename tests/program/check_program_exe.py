#!/usr/bin/python3
"""Checks a built kovoplugin-setup-web.exe without running it:

- its import table names only Windows' known DLLs (a DLL that is not one is
  looked up in the program's own folder first: the browser's download folder
  of an elevated program), and the system DLLs it needs beyond them are
  delay-loaded, after the program restricted the DLL search;
- the shader compiler, which Windows 7 lacks without an update, is in neither
  table (the program resolves it at run time and explains its absence);
- its resources carry the manifest, the icon group and the version strings.

    check_program_exe.py <objdump> <exe> [<exe's objdump> <exe> ...]
"""
import re
import subprocess
import sys

# HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\KnownDLLs of
# Windows 7 SP1, the oldest system the program supports (later systems list more).
KNOWN_DLLS = {
    "advapi32.dll", "clbcatq.dll", "comdlg32.dll", "difxapi.dll", "gdi32.dll",
    "iertutil.dll", "imagehlp.dll", "imm32.dll", "kernel32.dll", "lpk.dll",
    "msctf.dll", "msvcrt.dll", "normaliz.dll", "nsi.dll", "ole32.dll",
    "oleaut32.dll", "psapi.dll", "rpcrt4.dll", "sechost.dll", "setupapi.dll",
    "shell32.dll", "shlwapi.dll", "urlmon.dll", "user32.dll", "usp10.dll",
    "wininet.dll", "wldap32.dll", "ws2_32.dll",
}
DELAY_LOADED = {"d3d11.dll", "dxgi.dll", "dwmapi.dll"}
NEVER_IMPORTED = {"d3dcompiler_47.dll"}

RESOURCE_TEXTS_ASCII = [
    'level="requireAdministrator"',
    "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true/pm</dpiAware>",
    ">PerMonitorV2,PerMonitor</dpiAwareness>",
    'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"',
    'name="KovoPluginSetupWeb" version="6.0.0.0"',
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  # Windows 7
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  # Windows 10
]
RESOURCE_TEXTS_UTF16 = [
    "GLFW_ICON",
    "FileDescription\0Lumo Plugin Installer",
    "CompanyName\0Veltra",
    "InternalName\0kovoplugin-setup-web.exe",
    "OriginalFilename\0kovoplugin-setup-web.exe",
    "FileVersion\0" "21.6225.55",
    "ProductVersion\0" "21.6225.55",
]


def imported_dlls(objdump, exe):
    text = subprocess.run([objdump, "-p", exe], check=True, capture_output=True,
                          text=True).stdout
    return {m.group(1).lower() for m in re.finditer(r"^\s*DLL Name: (\S+)", text, re.M)}


def named_dlls(data, names):
    """The DLLs whose names the file holds as narrow strings, as a delay-load
    descriptor names its DLL (ld leaves the delay-import directory entry empty
    for dlltool's delay-load libraries, so objdump does not list them)."""
    lowered = data.lower()
    return {name for name in names if b"\0" + name.encode() + b"\0" in lowered}


def utf16_variants(text):
    # The version block pads values to 32-bit boundaries: allow one extra NUL pair.
    plain = text.encode("utf-16-le")
    if "\0" not in text:
        return [plain]
    key, value = text.split("\0", 1)
    k, v = key.encode("utf-16-le"), value.encode("utf-16-le")
    return [k + b"\0\0" + v, k + b"\0\0\0\0" + v]


def check(objdump, exe):
    problems = []
    data = open(exe, "rb").read()
    imports = imported_dlls(objdump, exe)
    delayed = named_dlls(data, DELAY_LOADED)
    for dll in sorted(imports - KNOWN_DLLS):
        problems.append(f"imports {dll}, which is not a known DLL")
    for dll in sorted(imports & NEVER_IMPORTED | named_dlls(data, NEVER_IMPORTED)):
        problems.append(f"imports {dll}, which Windows 7 may lack")
    for text in RESOURCE_TEXTS_ASCII:
        if text.encode() not in data:
            problems.append(f"manifest lacks {text}")
    for text in RESOURCE_TEXTS_UTF16:
        if not any(variant in data for variant in utf16_variants(text)):
            problems.append(f"resources lack {text!r}")
    print(f"{exe}: imports {', '.join(sorted(imports))}; delay-loads {', '.join(sorted(delayed)) or 'nothing'}")
    return problems


def main():
    arguments = sys.argv[1:]
    if not arguments or len(arguments) % 2:
        sys.exit(__doc__)
    problems = []
    for objdump, exe in zip(arguments[::2], arguments[1::2]):
        problems += [f"{exe}: {p}" for p in check(objdump, exe)]
    for problem in problems:
        print(problem)
    sys.exit(1 if problems else 0)


if __name__ == "__main__":
    main()
