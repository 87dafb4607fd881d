# The skin archive: reading it (7z adapter, process-wide resource state) and
# building it (skin/ packed into a solid 7z and embedded as a resource).

add_library(lumora_skin_archive STATIC
  ${CMAKE_CURRENT_LIST_DIR}/ResourceState.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SkinArchive.cpp
)
target_link_libraries(lumora_skin_archive PUBLIC lumora_utils dep_lzma7z)

# At build time skin/ (the six XML files at the archive root, the pictures
# under res/) becomes one solid LZMA2 7z archive, embedded by an .rc as
# resource "ZIPRES" 147 beside the program icon 145, both US English.
find_program(LUMORA_7ZZ 7zz REQUIRED)
set(LUMORA_SKIN_DIR ${CMAKE_SOURCE_DIR}/skin)
set(LUMORA_SKIN_OUT ${CMAKE_BINARY_DIR}/skin)
set(LUMORA_SKIN_ARCHIVE ${LUMORA_SKIN_OUT}/LumoraSkin.7z CACHE INTERNAL "the packed skin archive")
set(LUMORA_SKIN_ICON ${LUMORA_SKIN_DIR}/Lumora.ico CACHE INTERNAL "the program icon")
set(LUMORA_SKIN_RC ${LUMORA_SKIN_OUT}/LumoraSkin.rc CACHE INTERNAL "resource script embedding the skin archive")

file(GLOB LUMORA_SKIN_XML CONFIGURE_DEPENDS RELATIVE ${LUMORA_SKIN_DIR} ${LUMORA_SKIN_DIR}/*.xml)
file(GLOB_RECURSE LUMORA_SKIN_IMAGES CONFIGURE_DEPENDS ${LUMORA_SKIN_DIR}/res/*)
list(TRANSFORM LUMORA_SKIN_XML PREPEND ${LUMORA_SKIN_DIR}/ OUTPUT_VARIABLE LUMORA_SKIN_XML_PATHS)

# 7zz adds to an existing archive, so the old one goes first; the dictionary is
# larger than everything packed, which keeps the whole set in one solid block.
add_custom_command(OUTPUT ${LUMORA_SKIN_ARCHIVE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${LUMORA_SKIN_OUT}
  COMMAND ${CMAKE_COMMAND} -E rm -f ${LUMORA_SKIN_ARCHIVE}
  COMMAND ${LUMORA_7ZZ} a -t7z -m0=lzma2:d=1536k -ms=on -mmt=1 -bd -bso0 ${LUMORA_SKIN_ARCHIVE} ${LUMORA_SKIN_XML} res
  WORKING_DIRECTORY ${LUMORA_SKIN_DIR}
  DEPENDS ${LUMORA_SKIN_XML_PATHS} ${LUMORA_SKIN_IMAGES}
  COMMENT "Packing the skin archive"
  VERBATIM)
add_custom_target(lumora_skin_pack DEPENDS ${LUMORA_SKIN_ARCHIVE})

file(WRITE ${LUMORA_SKIN_RC}.in
"#include <windows.h>\n\
LANGUAGE LANG_ENGLISH, SUBLANG_ENGLISH_US\n\
147 ZIPRES \"${LUMORA_SKIN_ARCHIVE}\"\n\
145 ICON \"${LUMORA_SKIN_ICON}\"\n")
configure_file(${LUMORA_SKIN_RC}.in ${LUMORA_SKIN_RC} COPYONLY)
set_source_files_properties(${LUMORA_SKIN_RC} PROPERTIES
  GENERATED TRUE OBJECT_DEPENDS "${LUMORA_SKIN_ARCHIVE};${LUMORA_SKIN_ICON}")

# lumora_embed_skin(target): the executable carries the skin archive and the icon.
function(lumora_embed_skin target)
  target_sources(${target} PRIVATE ${LUMORA_SKIN_RC})
  set_source_files_properties(${LUMORA_SKIN_RC} TARGET_DIRECTORY ${target} PROPERTIES
    GENERATED TRUE OBJECT_DEPENDS "${LUMORA_SKIN_ARCHIVE};${LUMORA_SKIN_ICON}")
  add_dependencies(${target} lumora_skin_pack)
endfunction()
