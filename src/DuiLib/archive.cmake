# The skin archive: reading it (7z adapter, process-wide resource state) and
# building it (skin/ packed into a solid 7z and embedded as a resource).

add_library(lumora_skin_archive STATIC
  ${CMAKE_CURRENT_LIST_DIR}/ResourceState.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SkinArchive.cpp
)
target_link_libraries(lumora_skin_archive PUBLIC lumora_utils dep_lzma7z)
