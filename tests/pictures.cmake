# The installer's built-in pictures: they decode, at the sizes and with the
# transparency the page lays them out with.
kovo_add_test(installer_pictures_tests
  SOURCES pictures/installer_pictures_test.cpp
  LIBS web_installer kovo_stb_image)
