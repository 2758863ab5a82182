# The progress and outcome pages: preparation, unpacking, aborted, errors, finish, readme
# viewer. Their work and decisions (kro_outcome_logic) are portable.
add_library(kro_outcome_logic STATIC
  ${CMAKE_CURRENT_LIST_DIR}/diaLoadProgress.cpp
  ${CMAKE_CURRENT_LIST_DIR}/diaLoadRun.cpp
  ${CMAKE_CURRENT_LIST_DIR}/diaCreatorRun.cpp
  ${CMAKE_CURRENT_LIST_DIR}/diaFinishRules.cpp)
target_include_directories(kro_outcome_logic PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(kro_outcome_logic PUBLIC kro_driver kro_archive kro_base)

if(WIN32)
  add_library(kro_outcome_pages STATIC
    ${CMAKE_CURRENT_LIST_DIR}/diaWorkPage.cpp
    ${CMAKE_CURRENT_LIST_DIR}/diaLoad.cpp
    ${CMAKE_CURRENT_LIST_DIR}/diaCreator.cpp
    ${CMAKE_CURRENT_LIST_DIR}/diaAborted.cpp
    ${CMAKE_CURRENT_LIST_DIR}/diaErrors.cpp
    ${CMAKE_CURRENT_LIST_DIR}/diaFinish.cpp
    ${CMAKE_CURRENT_LIST_DIR}/diaReadme.cpp)
  target_link_libraries(kro_outcome_pages PUBLIC kro_outcome_logic kro_entry_pages kro_forms
    kro_controls kro_archive_hooks comdlg32)
endif()
