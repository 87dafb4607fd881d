# The install pipeline: the child process runner, the package installer
# driver and the previous-version uninstaller driver with their output protocol.
add_library(lumora_install_pipeline STATIC
  ${CMAKE_CURRENT_LIST_DIR}/CInstaller.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ChildProcess.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DriverRun.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OutputLines.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OutputProtocol.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PipeDrain.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PipePair.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UnInstaller.cpp
)
target_include_directories(lumora_install_pipeline PUBLIC ${LUMORA_SRC_DIR})
target_link_libraries(lumora_install_pipeline PUBLIC lumora_utils lumora_download)
