#!/usr/bin/python3
"""End-to-end journeys of the installer: the x86_64 build under Wine, driven
with X input at the coordinates a user clicks, each journey in a fresh copy
of the pristine prefix with an update server of its own.

    journeys.py <journey> --build <build/mingw64> [--source <repo>] [--run-dir <dir>]
    journeys.py --list

Artifacts (screenshots NN-<page>.png, steps.log, web_setup.log, the Windows
Installer logs, the history file) go to <build>/test-artifacts/e2e.<journey>/.
Exit status 0 when the journey passed, 1 with the failing step named.
"""

import argparse
import os
import re
import shutil
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from e2e_session import (JourneyFailed, Session, SERVER_PATHS, ONLINE_SHORTCUT,  # noqa: E402
                         PLUGIN_KEY)


# Window coordinates of what a user clicks.
INSTALL_BUTTON = (682, 628)      # "Установить" 612..752 x 604..652
UPDATE_BUTTON = (687, 628)       # "Обновить" 622..752
CANCEL_BUTTON = (700, 652)       # "Отмена" 645..756 x 628..676
SUCCESS_FINISH = (680, 652)      # "Завершить" 615..745 x 628..676
FAILURE_FINISH = (689, 652)      # "Завершить" 624..754
RUN_PLUGIN = (665, 652)          # "Запустить плагин" 565..765
REINSTALL_WITH_RUN = (465, 652)  # "Переустановить" 375..555
REINSTALL_ALONE = (510, 652)     # "Переустановить" 420..600
CUSTOMISE_ARROW = (308, 282)    # the chevron after "Настройте самостоятельно"
FULL_RADIO = (60, 398)           # "Полная" with the section open
TITLE_CLOSE = (745, 60)     # the title bar's close icon
FOLDER_BUTTON = (55, 627)
# In the customise section scrolled to its end (three wheel notches):
ALL_USERS_RADIO = (91, 533)
SHORTCUT_CHECK = (60, 560)
CUSTOM_RADIO = (60, 396)
# ... and then with the custom type chosen:
CRYPTO_CHECK = (127, 548)        # second row of "Рекоммендуемые"
EXTENSIONS_ARROW = (202, 468)
CLOUD_DISK_CHECK = (127, 549)    # third row of "Расширения" once unfolded
LANGUAGE_RU = (58, 671)
LANGUAGE_EN = (87, 671)
BOX_YES = (327, 405)
BOX_YES_EN = BOX_YES
BOX_NO = (473, 405)


def session(args, name, **options):
    return Session("e2e." + name, args.build, args.source, args.run_dir, **options)


def start(s, arguments=(), page="options"):
    s.step("the installer starts and shows its window")
    run = s.start_installer(arguments)
    s.wait_window(run)
    if page:
        s.park_pointer()
        s.expect_page(page, timeout=30)
    return run


def finish_on_result(s, run, button):
    s.step("\"Завершить\" ends the program at once with exit code 0")
    pressed = time.monotonic()
    s.click(*button, what="Завершить")
    code = s.wait_exit(run, 15)
    s.note(f"ended {time.monotonic() - pressed:.1f} s after the press, exit code {code}")
    s.check(code == 0, f"exit code {code}, not 0")


def probed_folder(s):
    """The install folder the probe offered (the options page's path field)."""
    lines = [l for l in s.installer_log().splitlines() if "\tInstall path: " in l]
    s.check(lines, "no install path in web_setup.log")
    return lines[0].split("\tInstall path: ", 1)[1].strip()


def check_installed(s, folder=None, features=None, shortcut=True):
    s.step("the plugin is on the system: registry key, Uninstall entry, files, shortcut, service")
    folder = folder or probed_folder(s)
    key = s.plugin_key()
    s.note(f"plugin key: {key}")
    s.check(key, f"no registry key {PLUGIN_KEY}")
    s.check(key.get("Path", "").rstrip("\\").lower() == folder.rstrip("\\").lower(),
            f"Path {key.get('Path')!r}, not {folder!r}")
    s.check(key.get("Version") == s.offered_version, f"Version {key.get('Version')!r}")
    entries = s.uninstall_entries()
    s.note(f"uninstall entries: {list(entries)}")
    s.check(len(entries) == 1, f"one Uninstall entry expected, found {entries}")
    program, modules = s.installed_files(key["Path"])
    s.check(program, "kovo3plugin.exe is not in the install folder")
    if features is not None:
        s.check(modules == sorted(features), f"features installed {modules}, not {sorted(features)}")
    shortcuts = s.desktop_shortcut()
    s.note(f"desktop shortcuts: {shortcuts}")
    if shortcut:
        s.check(any(p.endswith(ONLINE_SHORTCUT) for p in shortcuts), "no desktop shortcut")
    else:
        s.check(not shortcuts, f"a shortcut that was not asked for: {shortcuts}")
    s.note(f"features installed: {modules}")
    state, start_type = s.service()
    s.note(f"service: {state}, start {start_type}")
    s.check(state is not None, "the service KOVO3Plugin is not installed")
    return key, modules


def install_log_parameters(s):
    lines = [l for l in s.installer_log().splitlines() if "MSI install params:" in l]
    s.check(lines, "no msiexec install command line in web_setup.log")
    s.note(lines[-1].split("MSI install params:", 1)[1].strip())
    return lines[-1].split("MSI install params:", 1)[1].strip()


def read_offered_version(s):
    path = os.path.join(s.build, "stand-in", "update-server") + SERVER_PATHS["version"]
    with open(path) as f:
        s.offered_version = f.readline().strip()


def package_features(s, letter):
    """Features the package of an install type installs by default (r, f, m):
    the base features and the catalogue's rows marked with the letter."""
    rows = os.path.join(s.source, "web-installer", "implementation", "installer",
                        "component_catalogue_rows.inc")
    features = ["BaseFeature", "Basiccomponents"]
    with open(rows, encoding="utf-8") as f:
        for line in f:
            match = re.match(r'^KOVO_COMPONENT\("(\w+)", "[^"]*", "[^"]*", "[^"]*", "(\w*)"\)', line.strip())
            if match and letter in match.group(2):
                features.append(match.group(1).replace("_win", "", 1))
    return sorted(features)


def watch_progress(s, timeout=120):
    """Screenshots of the progress page until another page shows; whether the
    bar moved (its blue part grew) between two of them."""
    widths = []
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        image = s.screenshot("progress")
        page = s.page(image)
        if page != "progress":
            return widths, page
        widths.append(bar_width(image))
        time.sleep(0.3)
    s.fail("the progress page never ended")


def bar_width(image):
    """Pixels of the progress bar (x 48..621) in the bar colour #349CEE."""
    from e2e_session import near
    best = 0
    for y in range(630, 660):
        count = sum(1 for x in range(48, 621) if near(image.getpixel((x, y)), (0x34, 0x9C, 0xEE), 16))
        best = max(best, count)
    return best


# ----------------------------------------------------------------------
# Journeys
# ----------------------------------------------------------------------

def fresh_install(args):
    with session(args, "fresh_install") as s:
        read_offered_version(s)
        # A package that takes a few seconds, so that the bar is seen moving.
        s.start_fault_server({SERVER_PATHS["recommended"]: ("slow", 20000)})
        run = start(s)
        s.step("\"Установить\" with the recommended choice")
        s.click(*INSTALL_BUTTON, what="Установить")
        s.expect_page("progress", timeout=10)
        widths, page = watch_progress(s)
        s.note(f"progress bar widths seen: {widths}")
        s.step("the success page")
        s.check(page == "success", f"after the progress page came {page}")
        s.park_pointer()
        s.screenshot("success")
        check_installed(s, features=package_features(s, "r"), shortcut=True)
        parameters = install_log_parameters(s)
        s.check(len(widths) >= 2 and widths[-1] > widths[0], f"the bar did not move: {widths}")
        finish_on_result(s, run, SUCCESS_FINISH)
        s.step("history recommended(OK)")
        s.check_history("recommended(OK)")
        s.check(s.msi_log("msi_install.log") is not None, "no msi_install.log")


def close_on_options(args):
    with session(args, "close_on_options") as s:
        s.start_update_server()
        run = start(s)
        s.step("the title bar's close button shows the exit box; \"Нет\" keeps the window")
        s.click(*TITLE_CLOSE, what="close (title bar)")
        s.expect_page("box", timeout=5, label="exit-box")
        s.click(*BOX_NO, what="Нет")
        s.park_pointer()
        s.expect_page("options", timeout=5, label="options-kept")
        s.check(run.poll() is None, "the program ended on \"Нет\"")
        s.step("the exit box again; Escape dismisses it like \"Нет\"")
        s.click(*TITLE_CLOSE, what="close (title bar)")
        s.expect_page("box", timeout=5, label="exit-box-again")
        s.key("Escape", "Escape")
        s.park_pointer()
        s.expect_page("options", timeout=5, label="options-after-escape")
        s.check(run.poll() is None, "the program ended on Escape")
        s.step("Alt+F4 shows the exit box; \"Да\" ends the program")
        s.key("alt+F4", "Alt+F4")
        s.park_pointer()
        s.expect_page("box", timeout=5, label="exit-box-alt-f4")
        s.click(*BOX_YES, what="Да")
        code = s.wait_exit(run, 15)
        s.check(code == 0, f"exit code {code}")
        s.step("history ()")
        s.check_history("()")


def failure_journey(args, name, faults=None, expected_kind=None, start_install=True,
                    history=None, server="faults"):
    with session(args, name) as s:
        if server == "faults":
            s.start_fault_server(faults or {})
        elif server == "blocked":
            s.start_blocked_server()
        run = s.start_installer()
        started = time.monotonic()
        s.step("the installer starts and shows its window")
        s.wait_window(run)
        if start_install:
            s.park_pointer()
            s.expect_page("options", timeout=30)
            s.step("\"Установить\" with the recommended choice")
            s.click(*INSTALL_BUTTON, what="Установить")
            started = time.monotonic()
        s.step(f"the failure page (kind {expected_kind})")
        s.park_pointer()
        page = s.expect_page(("failure", "success"), timeout=90, label="result")
        elapsed = time.monotonic() - started
        s.note(f"result page after {elapsed:.1f} s")
        s.check(page == "failure", "the success page was shown for a failed installation")
        s.elapsed = elapsed
        log = s.installer_log()
        if not start_install:
            s.check("version.txt failed" in log, "the log does not tell that the version check failed")
        if start_install:
            ended = [l for l in log.splitlines() if "Installation ended" in l]
            s.note(ended[-1] if ended else "no end of installation in the log")
            s.check(ended and f"error kind {expected_kind}" in ended[-1],
                    f"the log names no error kind {expected_kind}")
        finish_on_result(s, run, FAILURE_FINISH)
        s.step(f"history {history}")
        s.check_history(history)
        return s


def server_down(args):
    s = failure_journey(args, "server_down", expected_kind=3, start_install=False, history="()",
                        server="none")
    print(f"kind 3 shown {s.elapsed:.1f} s after the start")


def package_404(args):
    failure_journey(args, "package_404", {SERVER_PATHS["recommended"]: ("status", 404)}, 7,
                    history="recommended()")


def package_500(args):
    failure_journey(args, "package_500", {SERVER_PATHS["recommended"]: ("status", 500)}, 7,
                    history="recommended()")


def package_truncated(args):
    failure_journey(args, "package_truncated", {SERVER_PATHS["recommended"]: ("truncate", 40000)}, 7,
                    history="recommended()")


def package_damaged(args):
    with session(args, "package_damaged") as s:
        package = os.path.join(s.build, "stand-in", "update-server") + SERVER_PATHS["recommended"]
        size = os.path.getsize(package)
        s.start_fault_server({SERVER_PATHS["recommended"]: ("damage", 0)})
        run = start(s)
        s.step("\"Установить\" with a package whose first 4 KiB are garbled")
        s.click(*INSTALL_BUTTON, what="Установить")
        s.park_pointer()
        page = s.expect_page(("failure", "success"), timeout=90, label="result")
        s.check(page == "failure", "the success page was shown for a damaged package")
        ended = [l for l in s.installer_log().splitlines() if "Installation ended" in l]
        s.check(ended, "the log does not say how the installation ended")
        s.note(ended[-1])
        kind = re.search(r"error kind (\d+)", ended[-1]).group(1)
        s.check(kind != "0", "error kind 0 for a damaged package")
        s.step("nothing of the plugin is installed")
        s.check(not s.plugin_key(), "the plugin's registry key is there")
        finish_on_result(s, run, FAILURE_FINISH)
        s.check_history(f"recommended(ERROR: {kind})")
        s.note(f"package {size} bytes, kind {kind}")


def second_start(args):
    with session(args, "second_start") as s:
        s.start_update_server()
        first = start(s)
        s.step("another window covers the installer")
        cover = s.start_cover_window()
        s.screenshot("covered")
        s.check(s.page(s.last_shot) != "options", "the cover window does not cover the installer")
        log_before = s.installer_log()
        s.step("a second start ends at once with exit code 0")
        second = s.start_installer()
        code = s.wait_exit(second, 30, "the second copy ends")
        s.note(f"second copy ended after {time.monotonic() - second.started:.1f} s with {code}")
        s.check(code == 0, f"the second copy's exit code {code}")
        s.step("the first window is in front again, unchanged, and no log line was added")
        time.sleep(0.5)
        s.park_pointer()
        s.expect_page("options", timeout=5, label="in-front")
        s.check(first.poll() is None, "the first copy ended")
        s.check(s.installer_log() == log_before, "the second copy wrote to the log")
        s.check(not s.history(), "a history file appeared")
        s.step("the first copy closes normally; one history file, its own")
        s.click(*TITLE_CLOSE, what="close (title bar)")
        s.expect_page("box", timeout=5, label="exit-box")
        s.click(*BOX_YES, what="Да")
        s.check(s.wait_exit(first, 15) == 0, "exit code of the first copy")
        s.stop_cover_window(cover)
        s.check_history("()")


def already_installed(args):
    with session(args, "already_installed") as s:
        read_offered_version(s)
        s.step("the offered version is installed beforehand, its service and program not running")
        s.install_package_silently("recommended")
        s.check(s.service()[0] == "STOPPED", f"service {s.service()}")
        s.check(not s.plugin_processes(), "the plugin program runs already")
        s.start_update_server()
        run = start(s, page="installed-run")
        s.step("\"Запустить плагин\": both run and the installer ends by itself")
        s.click(*RUN_PLUGIN, what="Запустить плагин")
        pressed = time.monotonic()
        code = s.wait_exit(run, 30)
        s.note(f"ended {time.monotonic() - pressed:.1f} s after the press, exit code {code}")
        s.check(code == 0, f"exit code {code}")
        state, start_type = s.service()
        processes = s.plugin_processes()
        s.note(f"service {state}; plugin processes {processes}")
        s.check(state == "RUNNING", f"the service is {state}")
        s.check(any("--wait" in p for p in processes), "the plugin program does not run")
        s.check_history("()")

        s.step("another run: both run, so \"Переустановить\" and \"Завершить\"")
        run = start(s, page="installed-finish")
        s.step("\"Переустановить\" shows the options with the installed version and \"Обновить\"")
        s.click(*REINSTALL_ALONE, what="Переустановить")
        s.park_pointer()
        s.expect_page("options-update", timeout=10)
        s.step("\"Обновить\": removal, then install, then success")
        s.click(*UPDATE_BUTTON, what="Обновить")
        s.park_pointer()
        page = s.expect_page(("success", "failure"), timeout=120, label="result")
        s.check(page == "success", f"the reinstall ended on the {page} page")
        log = s.installer_log()
        removal = [l for l in log.splitlines() if "MSI uninstall params:" in l]
        s.check(removal, "no msiexec removal in web_setup.log")
        s.note(removal[-1].split("MSI uninstall params:", 1)[1].strip())
        install_log_parameters(s)
        s.check(s.msi_log("msi_uninstall.log"), "no msi_uninstall.log")
        s.check(s.msi_log("msi_install.log"), "no msi_install.log")
        check_installed(s, features=package_features(s, "r"), shortcut=True)
        finish_on_result(s, run, SUCCESS_FINISH)
        s.check_history("recommended(OK)", count=2)


def cancel_download(args):
    with session(args, "cancel_download") as s:
        # The full package at 5 KB/s: about twenty seconds of download.
        s.start_fault_server({SERVER_PATHS["full"]: ("slow", 5000)})
        run = start(s)
        s.step("the customise section opened and \"Полная\" chosen")
        s.click(*CUSTOMISE_ARROW, what="Настройте самостоятельно")
        s.click(*FULL_RADIO, what="Полная")
        s.park_pointer()
        chosen = s.screenshot("options-full")
        s.step("\"Установить\": the download runs")
        s.click(*INSTALL_BUTTON, what="Установить")
        s.park_pointer()
        s.expect_page("progress", timeout=10)
        time.sleep(1.5)
        s.step("\"Отмена\" shows the cancel box; \"Нет\" keeps downloading")
        s.click(*CANCEL_BUTTON, what="Отмена")
        s.expect_page("box", timeout=5, label="cancel-box")
        s.click(*BOX_NO, what="Нет")
        s.park_pointer()
        s.expect_page("progress", timeout=5, label="progress-kept")
        before = bar_width(s.last_shot)
        time.sleep(3)
        s.screenshot("progress-later")
        after = bar_width(s.last_shot)
        s.note(f"bar {before} px, 3 s later {after} px")
        s.check(after > before, "the download did not go on after \"Нет\"")
        s.step("\"Отмена\" again, \"Да\": back on the options page with the choices kept")
        s.click(*CANCEL_BUTTON, what="Отмена")
        s.expect_page("box", timeout=5, label="cancel-box-again")
        s.click(*BOX_YES, what="Да")
        s.park_pointer()
        s.expect_page("options", timeout=10, label="options-after-cancel")
        time.sleep(0.5)
        again = s.screenshot("options-after-cancel")
        region = (0, 260, 800, 580)  # the customise section with the chosen type
        s.check(list(chosen.crop(region).getdata()) == list(again.crop(region).getdata()),
                "the options page does not show the choices made before the start")
        s.step("no package file is left in the working folder")
        time.sleep(1)
        left = [f for f in os.listdir(s.working_folder) if f.endswith(".msi") or ".msi" in f]
        s.check(not left, f"package files left: {left}")
        cancelled = [l for l in s.installer_log().splitlines() if "cancelled" in l]
        s.check(cancelled, "the log does not tell of the cancel")
        s.note(cancelled[-1].split("\t")[-1])
        s.step("Alt+F4, \"Да\": history full()")
        s.key("alt+F4", "Alt+F4")
        s.park_pointer()
        s.expect_page("box", timeout=5, label="exit-box")
        s.click(*BOX_YES, what="Да")
        s.check(s.wait_exit(run, 15) == 0, "exit code")
        s.check_history("full()")


def plugin_start_fails(args):
    with session(args, "plugin_start_fails") as s:
        read_offered_version(s)
        s.step("the plugin installed beforehand, its service disabled")
        s.install_package_silently("recommended")
        s.disable_service()
        s.check(s.service() == ("STOPPED", "disabled"), f"service {s.service()}")
        s.start_update_server()
        run = start(s, page="installed-run")
        s.step("\"Запустить плагин\": the failure page of kind 8")
        s.click(*RUN_PLUGIN, what="Запустить плагин")
        s.park_pointer()
        s.expect_page("failure", timeout=20, label="kind-8")
        log = s.installer_log()
        s.check("Run service: fail" in log and "Run plugin: fail" not in log,
                "the log does not tell of the service alone failing")
        s.check(any("--wait" in p for p in s.plugin_processes()), "the plugin program does not run")
        finish_on_result(s, run, FAILURE_FINISH)
        s.check_history("()")

        s.step("the plugin program ended and its file removed as well")
        for pid, _ in s.plugin_process_ids():
            os.kill(pid, 9)
        time.sleep(1)
        key = s.plugin_key()
        os.remove(os.path.join(s.host_path(key["Path"].rstrip("\\")), "kovo3plugin.exe"))
        run = start(s, page="installed-run")
        s.step("\"Запустить плагин\": the failure page of kind 10")
        s.click(*RUN_PLUGIN, what="Запустить плагин")
        s.park_pointer()
        s.expect_page("failure", timeout=20, label="kind-10")
        log = s.installer_log()
        s.check("Run service: fail" in log and "Run plugin: fail" in log,
                "the log does not tell of both failing")
        finish_on_result(s, run, FAILURE_FINISH)
        s.check_history("()", count=2)


def analysis_only(args):
    with session(args, "analysis_only") as s:
        fixture = os.path.join(s.source, "tests", "fixtures", "msi-logs", "service-install-denied.log")
        s.step("an install log of an earlier run in the working folder")
        os.makedirs(s.working_folder, exist_ok=True)
        shutil.copy(fixture, os.path.join(s.working_folder, "msi_install.log"))
        run = start(s, ["-sE", "-sD", "-sI"])
        s.step("\"Установить\": no download, no msiexec, the analysis decides")
        s.click(*INSTALL_BUTTON, what="Установить")
        s.park_pointer()
        s.expect_page("failure", timeout=30, label="result")
        log = s.installer_log()
        codes = [l.split("Return code: ", 1)[1].strip() for l in log.splitlines() if "Return code: " in l]
        s.note(f"analysis: Return code: {codes}")
        s.check(codes == ["1923"], f"the analysis gave {codes}, not 1923")
        s.check("MSI install params" not in log and "kovo3plugin-setup.msi" not in log,
                "a download or an msiexec run happened")
        finish_on_result(s, run, FAILURE_FINISH)
        s.check_history("recommended(ERROR: 1923)")


def server_not_accepting(args):
    s = failure_journey(args, "server_not_accepting", expected_kind=3, start_install=False,
                        history="()", server="blocked")
    print(f"kind 3 shown {s.elapsed:.1f} s after the start (the version check's limit is 15 s)")
    if s.elapsed > 25:
        raise JourneyFailed(f"the failure page came {s.elapsed:.1f} s after the start, not within ~15 s")


def options_picture(s, label):
    s.park_pointer()
    s.expect_page("options", timeout=10, label=label)
    time.sleep(0.5)  # a frame more, and the picture of it
    return s.screenshot(label)


def same_picture(a, b):
    return list(a.getdata()) == list(b.getdata())


def english(args):
    with session(args, "english") as s:
        s.start_update_server()
        s.step("a Russian locale: the options page in Russian (the reference)")
        run = start(s)
        russian = options_picture(s, "options-russian-locale")
        s.key("alt+F4", "Alt+F4")
        s.expect_page("box", timeout=5, label="exit-box")
        s.click(*BOX_YES, what="Да")
        s.check(s.wait_exit(run, 15) == 0, "exit code")
        s.step("an English locale: the program starts in English")
        s.use_locale("en_US.UTF-8")
        run = start(s)
        english_page = options_picture(s, "options-english-locale")
        s.check(not same_picture(english_page.crop((0, 80, 800, 300)), russian.crop((0, 80, 800, 300))),
                "the heading and features read the same as in Russian")
        s.check("English OS localisation is found" in s.installer_log(),
                "the log does not tell of an English system")
        s.step("\"RU\": every text of the page in Russian from the next frame on")
        s.click(*LANGUAGE_RU, what="RU")
        switched = options_picture(s, "options-switched-to-russian")
        s.check(same_picture(switched, russian),
                "after \"RU\" the page differs from the page a Russian system shows")
        s.step("\"EN\": back to English")
        s.click(*LANGUAGE_EN, what="EN")
        back = options_picture(s, "options-switched-to-english")
        s.check(same_picture(back, english_page), "after \"EN\" the page differs from the English start")
        s.key("alt+F4", "Alt+F4")
        s.expect_page("box", timeout=5, label="exit-box-english")
        s.click(*BOX_YES_EN, what="Yes")
        s.check(s.wait_exit(run, 15) == 0, "exit code")
        s.check_history("()", count=2)


def cyrillic_temp(args, name, locale):
    with session(args, name, locale=locale) as s:
        read_offered_version(s)
        s.step("%TMP% and %TEMP% in a Cyrillic folder with a blank")
        windows = s.set_temp_folder("Временные файлы")
        s.note(windows)
        s.start_update_server()
        run = start(s)
        s.step("\"Установить\" with the recommended choice")
        s.click(*INSTALL_BUTTON, what="Install")
        s.park_pointer()
        page = s.expect_page(("success", "failure"), timeout=120, label="result")
        s.check(page == "success", f"the installation ended on the {page} page")
        s.check(os.path.exists(os.path.join(s.working_folder, "web_setup.log")),
                "no web_setup.log in the Cyrillic temporary folder")
        s.check(s.msi_log("msi_install.log"), "no msi_install.log in the Cyrillic temporary folder")
        check_installed(s, features=package_features(s, "r"), shortcut=True)
        finish_on_result(s, run, SUCCESS_FINISH)
        s.check_history("recommended(OK)")


def cyrillic_temp_russian(args):
    cyrillic_temp(args, "cyrillic_temp_russian", "ru_RU.UTF-8")


def cyrillic_temp_english(args):
    cyrillic_temp(args, "cyrillic_temp_english", "en_US.UTF-8")


def custom_install(args):
    with session(args, "custom_install") as s:
        read_offered_version(s)
        s.start_update_server()
        apps = os.path.join(s.prefix, "drive_c", "Kovo E2E Apps")
        os.makedirs(apps)
        run = start(s)
        s.step("the folder dialog: a folder of the user's choice")
        s.click(*FOLDER_BUTTON, what="folder")
        dialog = s.wait_for(lambda: s.other_window(), 30, "the folder dialog")
        s.note(f"dialog {s.xdotool('getwindowname', dialog).strip()!r}")
        geometry = s.xdotool("getwindowgeometry", "--shell", dialog)
        values = dict(l.split("=", 1) for l in geometry.split() if "=" in l)
        s.xdotool("mousemove", int(values["X"]) + 200, int(values["Y"]) + 100)
        time.sleep(1.5)
        s.screenshot_screen("folder-dialog")
        s.xdotool("type", "--delay", "40", r"C:\Kovo E2E Apps")
        time.sleep(0.3)
        s.xdotool("key", "Return")
        s.wait_for(lambda: not s.other_window(), 20, "the folder dialog closes")
        s.park_pointer()
        s.expect_page("options", timeout=10, label="options-folder")
        s.step("customise: autorun for all users, no shortcut, the custom type")
        s.click(*CUSTOMISE_ARROW, what="Настройте самостоятельно")
        s.move(400, 450)
        time.sleep(0.3)
        for _ in range(3):  # to the end of the section
            s.xdotool("click", "5")
            time.sleep(0.3)
        s.click(*ALL_USERS_RADIO, what="Для всех")
        s.click(*SHORTCUT_CHECK, what="Создать ярлык (off)")
        s.park_pointer()
        s.screenshot("autorun-all-users-no-shortcut")
        s.click(*CUSTOM_RADIO, what="Пользовательская")
        s.step("one component ticked in each of two groups")
        s.click(*CRYPTO_CHECK, what="Работа с криптографией (Рекоммендуемые)")
        s.click(*EXTENSIONS_ARROW, what="Расширения")
        s.click(*CLOUD_DISK_CHECK, what="Облачный диск (Расширения)")
        s.park_pointer()
        s.screenshot("custom-components")
        s.step("\"Установить\": exactly these properties reach msiexec")
        s.click(*INSTALL_BUTTON, what="Установить")
        s.park_pointer()
        page = s.expect_page(("success", "failure"), timeout=120, label="result")
        s.check(page == "success", f"the installation ended on the {page} page")
        parameters = install_log_parameters(s)
        folder = r"C:\Kovo E2E Apps\Veltra Company Ltd\KOVO3Plugin"
        s.check(re.search(r'INSTALLLOCATION="' + re.escape(folder) + r'\\?"', parameters),
                "INSTALLLOCATION is not the chosen folder")
        s.check(" APP_AUTORUN=1 APP_AUTORUN_TYPE=2 " in parameters, "autorun for all users not asked")
        s.check(re.search(r"CREATE_LINK_ONLINE=(\s|\"\")", parameters), "a shortcut was asked for")
        addlocal = re.search(r"ADDLOCAL=(\S+)", parameters)
        s.check(addlocal and sorted(addlocal.group(1).split(",")) ==
                sorted(["BaseFeature", "Basiccomponents", "CryptoProvider", "CloudDisk"]),
                f"ADDLOCAL is {addlocal.group(1) if addlocal else None}")
        key, modules = check_installed(s, folder=folder, shortcut=False,
                                       features=["BaseFeature", "Basiccomponents", "CryptoProvider", "CloudDisk"])
        s.step("autorun for all users in the registry, none for the user")
        run_key = r"HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Run"
        user_run = r"HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run"
        machine = s.registry(run_key).get(run_key, {})
        user = s.registry(user_run).get(user_run, {})
        s.note(f"Run (machine): {machine}; Run (user): {user}")
        s.check("KOVO3Plugin" in machine and "KOVO3Plugin" not in user, "autorun not for all users alone")
        finish_on_result(s, run, SUCCESS_FINISH)
        s.check_history("custom(OK)")


JOURNEYS = {
    "fresh_install": fresh_install,
    "close_on_options": close_on_options,
    "server_down": server_down,
    "package_404": package_404,
    "package_500": package_500,
    "package_truncated": package_truncated,
    "package_damaged": package_damaged,
    "second_start": second_start,
    "already_installed": already_installed,
    "cancel_download": cancel_download,
    "plugin_start_fails": plugin_start_fails,
    "analysis_only": analysis_only,
    "custom_install": custom_install,
    "english": english,
    "cyrillic_temp_russian": cyrillic_temp_russian,
    "cyrillic_temp_english": cyrillic_temp_english,
    "server_not_accepting": server_not_accepting,
}


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("journey", nargs="?")
    parser.add_argument("--build", default="build/mingw64")
    parser.add_argument("--source", default=os.path.dirname(os.path.dirname(os.path.dirname(
        os.path.abspath(__file__)))))
    parser.add_argument("--run-dir")
    parser.add_argument("--list", action="store_true")
    args = parser.parse_args()
    if args.list:
        print("\n".join(JOURNEYS))
        return 0
    if args.journey not in JOURNEYS:
        parser.error(f"unknown journey {args.journey!r}; --list shows them")
    args.run_dir = args.run_dir or os.environ.get("KOVO_WINE_RUN_DIR") or os.path.join(args.build, "wine-run")
    begun = time.monotonic()
    try:
        JOURNEYS[args.journey](args)
    except JourneyFailed as failure:
        print(f"JOURNEY {args.journey} FAILED at {failure} ({time.monotonic() - begun:.1f} s)", flush=True)
        return 1
    print(f"JOURNEY {args.journey} PASSED in {time.monotonic() - begun:.1f} s", flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
