#!/usr/bin/python3
"""Signs a stand-in package with a test certificate (Authenticode, SHA-256)
and checks the signature against the test root before the signed package
takes its place.

usage: sign_package.py --input <msi> --output <msi> --certificate <crt> --key <key> --ca <crt>
"""

import argparse
import os
import subprocess
import sys
import tempfile


def osslsigncode(*arguments):
    result = subprocess.run(["osslsigncode", *arguments], stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                            text=True)
    if result.returncode != 0:
        raise RuntimeError(f"osslsigncode {' '.join(arguments)} failed:\n{result.stdout}")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    for option in ("--input", "--output", "--certificate", "--key", "--ca"):
        parser.add_argument(option, required=True)
    args = parser.parse_args()
    folder = os.path.dirname(os.path.abspath(args.output))
    os.makedirs(folder, exist_ok=True)
    # Signed beside the target and moved at the end: a failed signing never
    # leaves a package that looks finished.
    handle, partial = tempfile.mkstemp(suffix=".msi", dir=folder)
    os.close(handle)
    os.remove(partial)  # osslsigncode writes a new file
    try:
        osslsigncode("sign", "-certs", args.certificate, "-key", args.key, "-h", "sha256",
                     "-in", args.input, "-out", partial)
        osslsigncode("verify", "-CAfile", args.ca, "-in", partial)
        os.replace(partial, args.output)
    except RuntimeError as error:
        print(f"sign_package: {error}", file=sys.stderr)
        return 1
    finally:
        if os.path.exists(partial):
            os.remove(partial)
    return 0


if __name__ == "__main__":
    sys.exit(main())
