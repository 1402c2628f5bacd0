#!/usr/bin/python3
"""The installer under Wine for a person to look at (scripts/run.sh).

    walk.py --build <build/mingw64> --run-dir <build/run> [--display :N]

With --display the installer opens on that display and the user drives it;
without, it runs on a virtual display and a scripted walk goes through every
page (options, custom components, progress, success, the plugin started from
the "already installed" page), saving a screenshot of each. Either way the
local update server serves the stand-in packages on 127.0.0.1:18330, the
prefix stays under <run-dir>/prefixes/ for its logs, and everything started
is ended at the end.
"""

import argparse
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from e2e_session import JourneyFailed, Session  # noqa: E402
import journeys as J  # noqa: E402


def where(s):
    temp = os.path.relpath(s.working_folder, s.prefix)
    print("\nWhere things are (prefix %s):" % s.prefix)
    print(f"  installer's log:            {temp}/web_setup.log")
    print(f"  Windows Installer logs:     {temp}/msi_install.log, msi_uninstall.log")
    print("  history files:              drive_c/ProgramData/Kovo3Plugin/logs/web_installer_history/")
    print(f"  copies of them, screenshots: {s.artifacts}/")


def by_hand(s):
    s.step(f"the installer on display {s.display}; install the stand-in plugin by hand")
    run = s.start_installer()
    code = s.wait_exit(run, 24 * 3600)
    s.note(f"the installer ended with exit code {code}")
    state, start_type = s.service()
    s.note(f"service KOVO3Plugin: {state} (start {start_type}); "
           f"plugin program: {s.plugin_processes() or 'not running'}")


def walk(s):
    J.read_offered_version(s)
    run = J.start(s)
    s.step("customise: the install types and the custom components")
    s.click(*J.CUSTOMISE_ARROW, what="Настройте самостоятельно")
    s.park_pointer()
    s.screenshot("options-install-types")
    s.move(400, 450)
    time.sleep(0.3)
    for _ in range(3):
        s.xdotool("click", "5")
        time.sleep(0.3)
    s.click(*J.CUSTOM_RADIO, what="Пользовательская")
    s.click(*J.CRYPTO_CHECK, what="Работа с криптографией")
    s.click(*J.EXTENSIONS_ARROW, what="Расширения")
    s.click(*J.CLOUD_DISK_CHECK, what="Облачный диск")
    s.park_pointer()
    s.screenshot("options-custom-components")
    s.step("\"Установить\": the progress page")
    s.click(*J.INSTALL_BUTTON, what="Установить")
    s.park_pointer()
    s.expect_page("progress", timeout=15)
    time.sleep(1.5)
    s.screenshot("progress")
    s.step("the success page")
    page = s.expect_page(("success", "failure"), timeout=120, label="success")
    s.check(page == "success", f"the installation ended on the {page} page")
    s.click(*J.SUCCESS_FINISH, what="Завершить")
    s.wait_exit(run, 20)
    s.step("a second run: \"already installed\", then \"Запустить плагин\"")
    run = J.start(s, page="installed-run")
    s.click(*J.RUN_PLUGIN, what="Запустить плагин")
    time.sleep(0.5)
    s.screenshot("plugin-starting")
    code = s.wait_exit(run, 30)
    state, _ = s.service()
    s.note(f"the installer ended by itself ({code}); service {state}; plugin {s.plugin_processes()}")
    s.check(state == "RUNNING" and s.plugin_processes(), "the plugin does not run")
    print("\nScreenshots:")
    for name in sorted(os.listdir(s.artifacts)):
        if name.endswith(".png") and ".seen-" not in name:
            print("  " + os.path.join(s.artifacts, name))


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", required=True)
    parser.add_argument("--run-dir", required=True)
    parser.add_argument("--source", default=os.path.dirname(os.path.dirname(os.path.dirname(
        os.path.abspath(__file__)))))
    parser.add_argument("--display")
    args = parser.parse_args()
    name = "by-hand" if args.display else "walk"
    s = Session(name, args.build, args.source, args.run_dir,
                artifacts=os.path.join(os.path.abspath(args.run_dir), name),
                display=args.display, keep_prefix=True)
    try:
        with s:
            # A slow network: the progress page stays a few seconds.
            s.start_update_server(rate=30000)
            if args.display:
                by_hand(s)
            else:
                walk(s)
            s.save_logs()
            where(s)
    except JourneyFailed as failure:
        print(f"run: stopped at {failure}")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
