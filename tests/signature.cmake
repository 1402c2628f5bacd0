# The package's publisher, checked before msiexec runs it.

kovo_add_test(signature_tests NATIVE_ONLY
  SOURCES signature/package_publisher_test.cpp
  LIBS kovo_msi_test_support)

# Under Wine: the real WinVerifyTrust on the signed, unsigned and other-signer
# stand-in packages, and the real msiexec for the one that passes.
if(KOVO_PACKAGE_SIGNER)
  kovo_add_test(signature_wine_tests WINDOWS_ONLY
    SOURCES signature/signature_wine_test.cpp
    LIBS kovo_msi_test_support kovo_update_server_process
    TIMEOUT 600)
  if(TARGET signature_wine_tests)
    target_compile_definitions(signature_wine_tests PRIVATE KOVO_OTHER_PACKAGE_SIGNER="${KOVO_OTHER_PACKAGE_SIGNER}")
  endif()
  if(TARGET signature_wine_tests AND TARGET kovo_stand_in_packages)
    add_dependencies(signature_wine_tests kovo_stand_in_packages)
  endif()
endif()
