# Installed product lookup, install folder rules and the environment probe.

# The probe against a scripted system and a real update server on loopback; it
# also runs under Wine, where the Windows forms of the paths are used.
kovo_add_test(probe_tests THREADS
  SOURCES
    installer/probe_environment_test.cpp
    installer/probe_installed_product_test.cpp
  LIBS kovo_fake_system httplib)
