# Stand-ins for the vendor's executables (real console programs in build/bin)
# and the tests of the child process runner, the two drivers and the protocol.
add_library(install_fake_script STATIC ${CMAKE_CURRENT_LIST_DIR}/FakeScript.cpp)
target_link_libraries(install_fake_script PUBLIC lumora_test_support)
target_include_directories(install_fake_script PUBLIC ${CMAKE_CURRENT_LIST_DIR})
foreach(fake fake_package fake_uninstaller)
  add_executable(${fake} ${CMAKE_CURRENT_LIST_DIR}/FakeVendorExe.cpp)
  target_link_libraries(${fake} PRIVATE install_fake_script)
endforeach()
add_executable(fake_product ${CMAKE_CURRENT_LIST_DIR}/FakeProduct.cpp)
target_link_libraries(fake_product PRIVATE install_fake_script)

set(install_fakes fake_package fake_uninstaller fake_product)
set(install_helpers ${CMAKE_CURRENT_LIST_DIR}/FakeExecutable.cpp ${CMAKE_CURRENT_LIST_DIR}/LingeringChild.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ReportRecorder.cpp)

lumora_add_test(install_child_process_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ChildProcessTest.cpp ${CMAKE_CURRENT_LIST_DIR}/FakeProductTest.cpp
          ${install_helpers}
  LIBS lumora_install_pipeline DEPENDS ${install_fakes} TIMEOUT 180)
lumora_add_test(install_protocol_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/OutputLinesTest.cpp ${CMAKE_CURRENT_LIST_DIR}/OutputProtocolTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/PackageProtocolTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/UninstallerProtocolTest.cpp ${CMAKE_CURRENT_LIST_DIR}/PackageCommandLineTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/ReportRecorder.cpp
  LIBS lumora_install_pipeline)
lumora_add_test(install_driver_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/CInstallerTest.cpp ${CMAKE_CURRENT_LIST_DIR}/UnInstallerTest.cpp ${install_helpers}
  LIBS lumora_install_pipeline DEPENDS ${install_fakes} TIMEOUT 240)
# These run processes named like the product or its uninstaller copy, or write
# its install records; so does the installer's own window test: they take turns.
set_tests_properties(install_child_process_tests install_driver_tests PROPERTIES RESOURCE_LOCK installed_product)
