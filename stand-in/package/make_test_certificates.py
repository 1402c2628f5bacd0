#!/usr/bin/python3
"""Makes the throwaway certificates that sign the stand-in packages of test
and demo builds: a test root CA, a code-signing certificate of the configured
publisher and one of another publisher, each with its private key. They are
generated into the build folder on every fresh build and never committed;
nothing but the stand-in packages is ever signed with them.

usage: make_test_certificates.py --folder <dir> --publisher <name> --other <name>
"""

import argparse
import os
import subprocess
import sys
import tempfile

DAYS = "3650"
CA_NAME = "KOVO Stand-in Test Root"
SIGNER_EXTENSIONS = ("basicConstraints=critical,CA:FALSE\n"
                     "keyUsage=critical,digitalSignature\n"
                     "extendedKeyUsage=codeSigning\n"
                     "subjectKeyIdentifier=hash\n"
                     "authorityKeyIdentifier=keyid\n")


def openssl(*arguments):
    result = subprocess.run(["openssl", *arguments], stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    if result.returncode != 0:
        raise RuntimeError(f"openssl {' '.join(arguments)} failed:\n{result.stdout}")


def subject(name):
    # openssl's -subj syntax: "/" and "\" need a backslash before them.
    return "/CN=" + name.replace("\\", "\\\\").replace("/", "\\/")


def make_ca(folder):
    openssl("req", "-x509", "-utf8", "-newkey", "rsa:2048", "-nodes", "-sha256", "-days", DAYS,
            "-keyout", os.path.join(folder, "ca.key"), "-out", os.path.join(folder, "ca.crt"),
            "-subj", subject(CA_NAME),
            "-addext", "basicConstraints=critical,CA:TRUE",
            "-addext", "keyUsage=critical,keyCertSign,cRLSign")


def make_signer(folder, stem, name, extensions):
    key, request, certificate = (os.path.join(folder, stem + suffix) for suffix in (".key", ".csr", ".crt"))
    openssl("req", "-new", "-utf8", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out", request,
            "-subj", subject(name))
    openssl("x509", "-req", "-sha256", "-days", DAYS, "-in", request,
            "-CA", os.path.join(folder, "ca.crt"), "-CAkey", os.path.join(folder, "ca.key"),
            "-set_serial", str(int.from_bytes(os.urandom(8), "big")), "-extfile", extensions, "-out", certificate)
    os.remove(request)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--folder", required=True)
    parser.add_argument("--publisher", required=True, help="subject name of the package signer")
    parser.add_argument("--other", required=True, help="subject name of another publisher")
    args = parser.parse_args()
    if args.publisher == args.other:
        print("make_test_certificates: the other publisher must have another name", file=sys.stderr)
        return 2
    os.makedirs(args.folder, exist_ok=True)
    try:
        with tempfile.NamedTemporaryFile("w", suffix=".cnf", dir=args.folder, delete=False) as extensions:
            extensions.write(SIGNER_EXTENSIONS)
        try:
            make_ca(args.folder)
            make_signer(args.folder, "publisher", args.publisher, extensions.name)
            make_signer(args.folder, "other", args.other, extensions.name)
        finally:
            os.remove(extensions.name)
    except RuntimeError as error:
        print(f"make_test_certificates: {error}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
