# The prescription import from the host system and the per-drug editing of the
# master file: no widgets, so the window only moves texts in and out.
add_library(dorimek_host STATIC
  ${CMAKE_CURRENT_LIST_DIR}/AutoRunClaim.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RpCsvFile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RpCsvImport.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DrugRecordEditor.cpp
)
target_include_directories(dorimek_host PUBLIC ${PROJECT_SOURCE_DIR}/src ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(dorimek_host PUBLIC dorimek_platform dorimek_masterfile dorimek_main_core)
