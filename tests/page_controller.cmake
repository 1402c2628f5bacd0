# The installer page controller: its handlers, the stage table and the
# installation worker, natively against a scripted system and a real update
# server on loopback; under Wine with the real msiexec and the stand-in package.

set(kovo_page_controller_native_sources
  page_controller/install_outcome_test.cpp
  page_controller/page_controller_test.cpp)
# Until the page view's own implementation is in the tree.
if(NOT EXISTS ${CMAKE_SOURCE_DIR}/web-installer/implementation/installer/views/installer_page_view.cpp)
  list(APPEND kovo_page_controller_native_sources page_controller/page_view_stand_in.cpp)
endif()

kovo_add_test(page_controller_tests NATIVE_ONLY THREADS
  SOURCES ${kovo_page_controller_native_sources}
  LIBS kovo_msi_test_support kovo_ui_headless httplib)
