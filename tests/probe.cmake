# Installed product lookup, install folder rules and the environment probe.

# The probe against a scripted system and a real update server on loopback; it
# also runs under Wine, where the Windows forms of the paths are used.
kovo_add_test(probe_tests THREADS
  SOURCES
    installer/probe_environment_test.cpp
    installer/probe_installed_product_test.cpp
  LIBS kovo_fake_system httplib)

# The shell's folder dialog, driven with xdotool on the test's own X display
# (screenshots of each dialog in the test's artifacts folder).
kovo_add_test(folder_picker_tests WINDOWS_ONLY DISPLAY TIMEOUT 300
  SOURCES windows/folder_picker_test.cpp
  LIBS web_installer)

# The probe under Wine against the real registry, disks and Windows version.
kovo_add_test(probe_registry_tests WINDOWS_ONLY
  SOURCES windows/probe_registry_test.cpp
  LIBS web_installer httplib)
