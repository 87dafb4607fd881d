# What the installer remembers of an installed copy (registry, set.ini) and the
# analytics settings files; called by the main window, tested without one.
add_library(lumora_install_records STATIC
  ${CMAKE_CURRENT_LIST_DIR}/AnalyticsSettings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/InstallRecords.cpp
  ${CMAKE_CURRENT_LIST_DIR}/InstallRecordsFolder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/InstallRecordsPaths.cpp
)
target_link_libraries(lumora_install_records PUBLIC lumora_utils)
