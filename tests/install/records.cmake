lumora_add_test(install_records_tests SOURCES RecordsRegistryTest.cpp RecordsFolderTest.cpp
  LIBS lumora_install_records)
lumora_add_test(install_analytics_tests SOURCES AnalyticsSettingsTest.cpp LIBS lumora_install_records)
# These run processes named like the product or its uninstaller copy, or write
# its install records; so does the installer's own window test: they take turns.
set_tests_properties(install_records_tests PROPERTIES RESOURCE_LOCK installed_product)
