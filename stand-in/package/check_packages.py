#!/usr/bin/python3
"""Checks the x86 stand-in packages, which cannot be installed here, against
the x64 ones that the Wine tests install: apart from the architecture they
must be the same packages (features and levels, properties, conditions,
custom actions, registry, service, shortcut, files), and every package must
carry the version its build serves in version.txt.

usage: check_packages.py <x64 build folder> <x86 build folder>
"""

import os
import subprocess
import sys

PACKAGES = (
    "Kovo3Plugin/master/win32/kovo3plugin-setup.msi",
    "Kovo3Plugin/master/win32/kovo3plugin-setup-full.msi",
    "Kovo3Plugin/master/min/win32/kovo3plugin-setup-min.msi",
)
VERSION_FILE = "Kovo3Plugin/master/win32/version.txt"
TEMPLATES = {"x64": "x64;1033", "x86": "Intel;1033"}
COMPONENT_64BIT = 256
REGLOCATOR_64BIT = 16


def table(msi, name):
    text = subprocess.run(["msiinfo", "export", msi, name], check=True, stdout=subprocess.PIPE,
                          text=True).stdout
    rows = [line.split("\t") for line in text.splitlines()[3:] if line]
    header = text.splitlines()[0].split("\t")
    return [dict(zip(header, row + [""] * (len(header) - len(row)))) for row in rows]


def architecture_free(msi):
    """The tables with what only the architecture may change taken out."""
    tables = {}
    for name in ("Feature", "Property", "CustomAction", "InstallExecuteSequence", "ServiceInstall",
                 "ServiceControl", "Shortcut", "File", "FeatureComponents", "Directory"):
        # The program's size is the one thing of the File table that differs.
        tables[name] = sorted(tuple(sorted((column, value) for column, value in row.items() if column != "FileSize"))
                              for row in table(msi, name))
    components = []
    for row in table(msi, "Component"):
        row.pop("ComponentId")
        row["Attributes"] = str(int(row["Attributes"]) & ~COMPONENT_64BIT)
        components.append(tuple(sorted(row.items())))
    tables["Component"] = sorted(components)
    tables["RegLocator"] = sorted((row["Key"], row["Name"], int(row["Type"]) & ~REGLOCATOR_64BIT)
                                  for row in table(msi, "RegLocator"))
    tables["Registry"] = sorted((row["Root"], row["Key"], row["Name"], row["Value"], row["Component_"])
                                for row in table(msi, "Registry"))
    return tables


def template(msi):
    text = subprocess.run(["msiinfo", "suminfo", msi], check=True, stdout=subprocess.PIPE, text=True).stdout
    return next((line.split(": ", 1)[1] for line in text.splitlines() if line.startswith("Template: ")), "")


def signature_problem(msi, build):
    """None when the build signs nothing or the package's signature verifies."""
    ca = f"{build}/stand-in/test-signing/ca.crt"
    if not os.path.isfile(ca):
        return None
    result = subprocess.run(["osslsigncode", "verify", "-CAfile", ca, "-in", msi], stdout=subprocess.PIPE,
                            stderr=subprocess.STDOUT, text=True)
    return None if result.returncode == 0 else f"{msi}: not signed by its build's test publisher"


def main(x64_build, x86_build):
    problems = []
    builds = {"x64": x64_build, "x86": x86_build}
    versions = {}
    for arch, build in builds.items():
        with open(f"{build}/stand-in/update-server/{VERSION_FILE}", encoding="ascii") as version_file:
            versions[arch] = version_file.readline().strip()
    for package in PACKAGES:
        files = {arch: f"{build}/stand-in/update-server/{package}" for arch, build in builds.items()}
        for arch, msi in files.items():
            if template(msi) != TEMPLATES[arch]:
                problems.append(f"{msi}: platform {template(msi)!r}, expected {TEMPLATES[arch]!r}")
            written = {row["Value"] for row in table(msi, "Registry") if row["Name"] == "Version"}
            if written != {versions[arch]}:
                problems.append(f"{msi}: writes version {written}, its build serves {versions[arch]}")
            signature = signature_problem(msi, builds[arch])
            if signature:
                problems.append(signature)
        x64, x86 = (architecture_free(files[arch]) for arch in ("x64", "x86"))
        for name in x64:
            if x64[name] != x86[name]:
                problems.append(f"{package}: table {name} differs between x64 and x86")
    for problem in problems:
        print(f"check_packages: {problem}", file=sys.stderr)
    if not problems:
        print(f"check_packages: {len(PACKAGES)} x86 packages match their x64 twins")
    return 1 if problems else 0


if __name__ == "__main__":
    if len(sys.argv) != 3:
        print(__doc__, file=sys.stderr)
        sys.exit(2)
    sys.exit(main(sys.argv[1], sys.argv[2]))
