dorimek_gtest(host_test
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/RpCsvImportTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DrugRecordEditorTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/OldToolBytesTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/WriterLockTest.cpp
  LIBS dorimek_host
)
