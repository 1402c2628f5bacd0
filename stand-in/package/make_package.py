#!/usr/bin/python3
"""Builds one stand-in plugin package (recommended, full or min; x64 or x86).

The package's optional features come from the installer's own component
catalogue rows, so that every identifier the installer sends is a feature of
the package. wixl writes the package; msibuild then sets what wixl cannot:
the database code page and the Cyrillic product name, and the conditions of
the components that depend on the installer's switches.
"""

import argparse
import ast
import os
import re
import shutil
import subprocess
import sys
import tempfile
import uuid
from xml.sax.saxutils import quoteattr

PRODUCT_NAME = "КОВО Плагин"
# wixl cannot take a non-ASCII product name; msibuild sets the real one.
PRODUCT_NAME_PLACEHOLDER = "KOVO Plugin"
MANUFACTURER = "Veltra Company Ltd"
SERVICE_NAME = "KOVO3Plugin"
PROGRAM_NAME = "kovo3plugin.exe"
PLUGIN_KEY = r"SOFTWARE\Veltra Company Ltd\KOVO3Plugin"
RUN_KEY = r"Software\Microsoft\Windows\CurrentVersion\Run"
BASE_FEATURES = ("BaseFeature", "Basiccomponents")
WINDOWS_MARKER = "_win"
CYRILLIC_CODEPAGE = 1251
MAX_IDENTIFIER = 27
# Features a package installs at its default level have level 1; the others
# level 3, which "INSTALLLEVEL=3" reaches.
DEFAULT_LEVEL = 1
FULL_LEVEL = 3

PRODUCT_CODES = {
    "recommended": "{6C1E2A47-3B9D-4F0A-9E21-7A5D3C8B1F01}",
    "full": "{6C1E2A47-3B9D-4F0A-9E21-7A5D3C8B1F02}",
    "min": "{6C1E2A47-3B9D-4F0A-9E21-7A5D3C8B1F03}",
}
UPGRADE_CODE = "{6C1E2A47-3B9D-4F0A-9E21-7A5D3C8B1F00}"
VARIANT_LETTERS = {"recommended": "r", "full": "f", "min": "m"}
# Component GUIDs are derived from this namespace, so that each build of a
# package gives its components the same codes.
COMPONENT_NAMESPACE = uuid.UUID("3f0c6c52-8d2e-4b61-a7d5-0b9e51c7e6a4")

# Conditions wixl cannot write (Component/Condition). Without the REMOVE
# clause Wine leaves a conditional component behind on uninstall.
COMPONENT_CONDITIONS = {
    "DesktopShortcut": 'CREATE_LINK_ONLINE OR REMOVE~="ALL"',
    "AutorunCurrentUser": '(APP_AUTORUN AND APP_AUTORUN_TYPE<>"2") OR REMOVE~="ALL"',
    "AutorunAllUsers": '(APP_AUTORUN AND APP_AUTORUN_TYPE="2") OR REMOVE~="ALL"',
}


class PackageError(Exception):
    pass


# ---------------------------------------------------------------------------
# Catalogue rows
# ---------------------------------------------------------------------------

ROW_PATTERN = re.compile(r"^(KOVO_COMPONENT_GROUP|KOVO_COMPONENT)\((.*)\)\s*$")
IDENTIFIER_PATTERN = re.compile(r"^[A-Za-z0-9]+$")


def feature_name(identifier):
    return identifier.replace(WINDOWS_MARKER, "", 1)


def read_catalogue(path):
    groups, features = {}, []
    with open(path, encoding="utf-8") as rows:
        for number, line in enumerate(rows, 1):
            match = ROW_PATTERN.match(line.strip())
            if not match:
                continue
            try:
                values = ast.literal_eval("(" + match.group(2) + ",)")
            except (SyntaxError, ValueError) as error:
                raise PackageError(f"{path}:{number}: unreadable row: {error}")
            if match.group(1) == "KOVO_COMPONENT_GROUP":
                groups[values[0]] = values[1]
            else:
                identifier, group, russian, english, defaults = values
                features.append({"identifier": identifier, "group": group, "english": english,
                                 "defaults": defaults, "line": number})
    check_catalogue(path, groups, features)
    return features


def check_catalogue(path, groups, features):
    names = set(BASE_FEATURES)
    for feature in features:
        where = f"{path}:{feature['line']}"
        identifier = feature["identifier"]
        name = feature_name(identifier)
        if len(identifier) > MAX_IDENTIFIER or not IDENTIFIER_PATTERN.match(name):
            raise PackageError(f"{where}: '{identifier}' is not an identifier of ASCII letters and digits "
                               f"of at most {MAX_IDENTIFIER} characters")
        if name in names:
            raise PackageError(f"{where}: feature name '{name}' is used twice")
        names.add(name)
        if feature["group"] and feature["group"] not in groups:
            raise PackageError(f"{where}: unknown group '{feature['group']}'")
        if set(feature["defaults"]) - set(VARIANT_LETTERS.values()):
            raise PackageError(f"{where}: defaults may only name r, f and m")
        if not feature["english"].isascii():
            raise PackageError(f"{where}: the English label becomes the feature title and must be ASCII")


# ---------------------------------------------------------------------------
# Package source
# ---------------------------------------------------------------------------

def product_version(version):
    """Windows Installer keeps three parts of at most 255, 255 and 65535."""
    parts = [int(part) for part in version.split(".")][:3]
    parts += [0] * (3 - len(parts))
    limits = (255, 255, 65535)
    return ".".join(str(min(part, limit)) for part, limit in zip(parts, limits))


def component_guid(arch, component):
    return "{" + str(uuid.uuid5(COMPONENT_NAMESPACE, f"{arch}/{component}")).upper() + "}"


class Wxs:
    def __init__(self, arch):
        self.arch = arch
        self.win64 = ' Win64="yes"' if arch == "x64" else ""
        self.lines = []

    def add(self, text):
        self.lines.append(text)

    def component(self, indent, component_id, body):
        self.add(f'{indent}<Component Id="{component_id}" Guid="{component_guid(self.arch, component_id)}"'
                 f'{self.win64}>')
        for line in body:
            self.add(f"{indent}  {line}")
        self.add(f"{indent}</Component>")


# wixl takes only source paths relative to the folder it runs in: every
# source is put into the work folder and named relative to it.
def module_file(work, name):
    relative = f"modules/{name}.module"
    with open(os.path.join(work, relative), "w", encoding="ascii", newline="\r\n") as module:
        module.write(name + "\n")
    return relative


def copied_source(work, path):
    name = os.path.basename(path)
    shutil.copyfile(path, os.path.join(work, name))
    return name


def feature_levels(variant, features):
    letter = VARIANT_LETTERS[variant]
    levels = {name: DEFAULT_LEVEL for name in BASE_FEATURES}
    for feature in features:
        levels[feature_name(feature["identifier"])] = DEFAULT_LEVEL if letter in feature["defaults"] else FULL_LEVEL
    return levels


def write_wxs(args, features, work):
    os.makedirs(os.path.join(work, "modules"), exist_ok=True)
    wxs = Wxs(args.arch)
    version = args.version
    online_url = f"https://{args.online_host}/reg/?check=KOVOPlugin"
    autorun_command = f'"[INSTALLLOCATION]{PROGRAM_NAME}" --wait'
    titles = {feature_name(f["identifier"]): f["english"] for f in features}
    titles.update({"BaseFeature": "Base feature", "Basiccomponents": "Basic components"})
    levels = feature_levels(args.variant, features)
    program = copied_source(work, args.program)

    wxs.add('<?xml version="1.0" encoding="utf-8"?>')
    wxs.add('<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">')
    wxs.add(f'  <Product Id="{PRODUCT_CODES[args.variant]}" Name="{PRODUCT_NAME_PLACEHOLDER}" Language="1049"'
            f' Version="{product_version(version)}" Manufacturer="{MANUFACTURER}" UpgradeCode="{UPGRADE_CODE}">')
    wxs.add('    <Package InstallerVersion="200" Compressed="yes" InstallScope="perMachine"/>')
    wxs.add('    <Media Id="1" Cabinet="plugin.cab" EmbedCab="yes"/>')
    wxs.add('    <Property Id="APP_AUTORUN_TYPE" Value="1"/>')
    # Uninstall under Wine looks for the files in the default folder unless
    # the folder of the installation is taken from the registry.
    wxs.add('    <Property Id="SAVEDINSTALLLOCATION">')
    wxs.add(f'      <RegistrySearch Id="SavedInstallFolder" Root="HKLM" Key="{PLUGIN_KEY}" Name="Path"'
            f' Type="raw"{wxs.win64}/>')
    wxs.add('    </Property>')
    wxs.add(f'    <Binary Id="PackageActions" SourceFile={quoteattr(copied_source(work, args.actions))}/>')
    wxs.add('    <CustomAction Id="NormalizeSwitches" BinaryKey="PackageActions" JScriptCall="NormalizeSwitches"'
            ' Execute="immediate" Return="check"/>')
    wxs.add('    <CustomAction Id="FindCompanyFolder" BinaryKey="PackageActions" JScriptCall="FindCompanyFolder"'
            ' Execute="immediate" Return="check"/>')
    wxs.add('    <CustomAction Id="SetPluginFolder" BinaryKey="PackageActions" JScriptCall="SetPluginFolder"'
            ' Execute="immediate" Return="check"/>')
    wxs.add('    <CustomAction Id="UseSavedInstallFolder" Property="INSTALLLOCATION" Value="[SAVEDINSTALLLOCATION]"/>')
    # wixl places After= actions at the end of the sequence: explicit numbers
    # keep them between AppSearch (50) and CostInitialize (800), and right
    # after CostFinalize (1000).
    wxs.add('    <InstallExecuteSequence>')
    wxs.add('      <Custom Action="NormalizeSwitches" Sequence="51"/>')
    wxs.add('      <Custom Action="UseSavedInstallFolder" Sequence="52">Installed AND SAVEDINSTALLLOCATION</Custom>')
    wxs.add('      <Custom Action="FindCompanyFolder" Sequence="53"/>')
    wxs.add('      <Custom Action="SetPluginFolder" Sequence="1001"/>')
    wxs.add('    </InstallExecuteSequence>')

    wxs.add('    <Directory Id="TARGETDIR" Name="SourceDir">')
    wxs.add('      <Directory Id="ProgramFilesFolder">')
    wxs.add(f'        <Directory Id="CompanyFolder" Name="{MANUFACTURER}">')
    # A component of the company folder, so that removal takes the folder
    # away once it is empty (msiexec removes the folders of components).
    wxs.component("          ", "PluginRegistry", [
        f'<RegistryKey Root="HKLM" Key="{PLUGIN_KEY}">',
        '  <RegistryValue Name="Path" Type="string" Value="[PLUGIN_FOLDER]" KeyPath="yes"/>',
        f'  <RegistryValue Name="Version" Type="string" Value="{version}"/>',
        '</RegistryKey>',
    ])
    wxs.add(f'          <Directory Id="INSTALLLOCATION" Name="{SERVICE_NAME}">')
    wxs.component("            ", "PluginProgram", [
        f'<File Id="PluginProgramFile" Name="{PROGRAM_NAME}" Source={quoteattr(program)} KeyPath="yes"/>',
        f'<ServiceInstall Id="PluginService" Name="{SERVICE_NAME}" DisplayName="{SERVICE_NAME}"'
        ' Type="ownProcess" Start="demand" ErrorControl="normal" Vital="yes"/>',
        f'<ServiceControl Id="PluginServiceControl" Name="{SERVICE_NAME}" Stop="both" Remove="uninstall"'
        ' Wait="yes"/>',
    ])
    wxs.component("            ", "AutorunCurrentUser", [
        f'<RegistryValue Root="HKCU" Key="{RUN_KEY}" Name="{SERVICE_NAME}" Type="string"'
        f' Value={quoteattr(autorun_command)} KeyPath="yes"/>',
    ])
    wxs.component("            ", "AutorunAllUsers", [
        f'<RegistryValue Root="HKLM" Key="{RUN_KEY}" Name="{SERVICE_NAME}" Type="string"'
        f' Value={quoteattr(autorun_command)} KeyPath="yes"/>',
    ])
    wxs.add('            <Directory Id="ModulesFolder" Name="modules">')
    for name in levels:
        source = module_file(work, name)
        wxs.component("              ", f"Module{name}", [
            f'<File Id="ModuleFile{name}" Name="{name}.module" Source={quoteattr(source)} KeyPath="yes"/>',
        ])
    wxs.add('            </Directory>')
    wxs.add('          </Directory>')
    wxs.add('        </Directory>')
    wxs.add('      </Directory>')
    wxs.add('      <Directory Id="DesktopFolder">')
    # The shortcut is named after the portal, as the installer's check box
    # says; it opens the portal in the default browser.
    wxs.component("        ", "DesktopShortcut", [
        f'<Shortcut Id="OnlinePortalShortcut" Name="{args.online_host}" Target="[WindowsFolder]explorer.exe"'
        f' Arguments={quoteattr(online_url)} WorkingDirectory="INSTALLLOCATION"/>',
        f'<RegistryValue Root="HKLM" Key="{PLUGIN_KEY}" Name="DesktopShortcut" Type="integer" Value="1"'
        ' KeyPath="yes"/>',
    ])
    wxs.add('      </Directory>')
    wxs.add('    </Directory>')

    for name, level in levels.items():
        wxs.add(f'    <Feature Id="{name}" Title={quoteattr(titles[name])} Level="{level}">')
        wxs.add(f'      <ComponentRef Id="Module{name}"/>')
        if name == "BaseFeature":
            for component in ("PluginProgram", "PluginRegistry", "DesktopShortcut",
                              "AutorunCurrentUser", "AutorunAllUsers"):
                wxs.add(f'      <ComponentRef Id="{component}"/>')
        wxs.add('    </Feature>')
    wxs.add('  </Product>')
    wxs.add('</Wix>')

    path = os.path.join(work, f"kovo3plugin-{args.variant}-{args.arch}.wxs")
    with open(path, "w", encoding="utf-8") as out:
        out.write("\n".join(wxs.lines) + "\n")
    return path


# ---------------------------------------------------------------------------
# Build and fix-ups
# ---------------------------------------------------------------------------

def run(command, folder=None):
    result = subprocess.run(command, cwd=folder, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    if result.returncode != 0:
        raise PackageError(f"{' '.join(command)} failed:\n{result.stdout}")
    return result.stdout


def sql_text(text):
    return "'" + text.replace("'", "''") + "'"


def apply_fixups(msi, work):
    codepage_table = os.path.join(work, "_ForceCodepage.idt")
    with open(codepage_table, "w", encoding="ascii", newline="\r\n") as table:
        table.write(f"\n\n{CYRILLIC_CODEPAGE}\t_ForceCodepage\n")
    run(["msibuild", msi, "-i", codepage_table])
    # The product name is written after the code page changed, so that it is
    # stored in that code page (the uninstall entry's DisplayName).
    run(["msibuild", msi, "-q",
         f"UPDATE Property SET Value={sql_text(PRODUCT_NAME)} WHERE Property='ProductName'"])
    for component, condition in COMPONENT_CONDITIONS.items():
        run(["msibuild", msi, "-q",
             f"UPDATE Component SET Condition={sql_text(condition)} WHERE Component={sql_text(component)}"])


def check_package(msi):
    properties = run(["msiinfo", "export", msi, "Property"])
    if f"ProductName\t{PRODUCT_NAME}" not in properties.splitlines():
        raise PackageError(f"{msi}: the product name did not survive the build")
    components = run(["msiinfo", "export", msi, "Component"])
    for component, condition in COMPONENT_CONDITIONS.items():
        if not any(line.startswith(component + "\t") and condition in line for line in components.splitlines()):
            raise PackageError(f"{msi}: component {component} lacks its condition")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--variant", choices=sorted(PRODUCT_CODES), required=True)
    parser.add_argument("--arch", choices=("x64", "x86"), required=True)
    parser.add_argument("--program", required=True, help="the kovo3plugin.exe of that architecture")
    parser.add_argument("--catalogue", required=True, help="component_catalogue_rows.inc")
    parser.add_argument("--actions", required=True, help="package_actions.js")
    parser.add_argument("--version", required=True)
    parser.add_argument("--online-host", required=True)
    parser.add_argument("--output", required=True)
    parser.add_argument("--work", required=True, help="folder for the generated sources")
    args = parser.parse_args()

    try:
        if not re.fullmatch(r"\d+(\.\d+){0,3}", args.version):
            raise PackageError(f"version '{args.version}' is not up to four numbers joined by dots")
        if not re.fullmatch(r"[A-Za-z0-9.-]+", args.online_host):
            raise PackageError(f"online portal host '{args.online_host}' is not a host name")
        features = read_catalogue(args.catalogue)
        work = os.path.join(args.work, f"{args.variant}-{args.arch}")
        shutil.rmtree(work, ignore_errors=True)
        os.makedirs(work)
        wxs = write_wxs(args, features, work)
        # Built beside the target and moved at the end, so that a failed
        # build never leaves a package that looks finished.
        handle, partial = tempfile.mkstemp(suffix=".msi", dir=os.path.dirname(os.path.abspath(args.output)))
        os.close(handle)
        try:
            run(["wixl", "-a", args.arch, "-o", partial, os.path.basename(wxs)], folder=work)
            apply_fixups(partial, work)
            check_package(partial)
            os.replace(partial, args.output)
        finally:
            if os.path.exists(partial):
                os.remove(partial)
    except PackageError as error:
        print(f"make_package: {error}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
