# Skin archive tests: the reader's edge cases against archives made at build
# time with 7zz, and the real archive embedded in the test executable.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(ARCHIVE_FIXTURES ${LUMORA_BIN_DIR}/duilib_archive_fixtures)
add_custom_command(OUTPUT ${ARCHIVE_FIXTURES}/limits.7z ${ARCHIVE_FIXTURES}/broken-block.7z
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/ArchiveFixtures.py ${ARCHIVE_FIXTURES} ${LUMORA_7ZZ}
  DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/ArchiveFixtures.py
  COMMENT "Making the archive test fixtures"
  VERBATIM)
add_custom_target(duilib_archive_fixtures DEPENDS ${ARCHIVE_FIXTURES}/limits.7z ${ARCHIVE_FIXTURES}/broken-block.7z)

# Extra resources: an empty and a non-archive "ZIPRES", and an image of a
# custom resource type.
set(ARCHIVE_RES_DIR ${CMAKE_CURRENT_BINARY_DIR}/archive-resources)
set(ARCHIVE_EMPTY_FILE ${ARCHIVE_RES_DIR}/empty.bin)
set(ARCHIVE_GARBAGE_FILE ${ARCHIVE_RES_DIR}/garbage.bin)
set(ARCHIVE_TYPED_IMAGE ${CMAKE_SOURCE_DIR}/skin/res/mainWnd/Cb2.png)
file(WRITE ${ARCHIVE_EMPTY_FILE} "")
file(WRITE ${ARCHIVE_GARBAGE_FILE} "this resource is not a 7z archive")
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/ArchiveTestResources.rc.in ${ARCHIVE_RES_DIR}/ArchiveTestResources.rc @ONLY)

lumora_add_test(duilib_archive_tests
  SOURCES
    ${CMAKE_CURRENT_SOURCE_DIR}/ArchiveReaderTest.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/ArchiveResourceStateTest.cpp
    ${ARCHIVE_RES_DIR}/ArchiveTestResources.rc
  LIBS lumora_skin_archive
  DEPENDS duilib_archive_fixtures)
lumora_embed_skin(duilib_archive_tests)

lumora_add_test(duilib_archive_skin_tests
  SOURCES
    ${CMAKE_CURRENT_SOURCE_DIR}/SkinInventoryTest.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/SkinXmlTest.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/SkinInventory.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/SevenZipHeader.cpp
  LIBS lumora_skin_archive dep_pugixml gdiplus shlwapi ole32)
lumora_embed_skin(duilib_archive_skin_tests)
