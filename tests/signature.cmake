# The package's publisher, checked before msiexec runs it.

kovo_add_test(signature_tests NATIVE_ONLY
  SOURCES signature/package_publisher_test.cpp
  LIBS kovo_msi_test_support)
