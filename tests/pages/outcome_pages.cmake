# Progress and outcome pages. Their work and decisions natively (and in the Windows build);
# the pages themselves as real windows under Xvfb + Wine.
if(NOT TARGET kro_outcome_logic)
  set(KRO_OUTCOME_SRC ${CMAKE_SOURCE_DIR}/src/pages)
  add_library(kro_outcome_logic STATIC
    ${KRO_OUTCOME_SRC}/diaLoadProgress.cpp
    ${KRO_OUTCOME_SRC}/diaLoadRun.cpp
    ${KRO_OUTCOME_SRC}/diaCreatorRun.cpp
    ${KRO_OUTCOME_SRC}/diaFinishRules.cpp)
  target_include_directories(kro_outcome_logic PUBLIC ${KRO_OUTCOME_SRC})
  target_link_libraries(kro_outcome_logic PUBLIC kro_driver kro_archive kro_base)
endif()

kro_test(outcome_logic_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_LoadRun.cpp ${CMAKE_CURRENT_LIST_DIR}/test_CreatorRun.cpp
    ${CMAKE_CURRENT_LIST_DIR}/test_OutcomeRules.cpp
  LIBS kro_outcome_logic)
target_include_directories(outcome_logic_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/archive)

if(WIN32)
  # The pages as real windows on a virtual display, in the shared window-test prefix, one
  # suite at a time; each page's picture is kept under artefacts/pages.
  set(KRO_XPREFIX ${CMAKE_BINARY_DIR}/xprefix)
  add_executable(outcome_window_tests ${CMAKE_CURRENT_LIST_DIR}/test_OutcomePages.cpp
    ${CMAKE_SOURCE_DIR}/tests/common/window-tests.rc)
  target_include_directories(outcome_window_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/archive
    ${CMAKE_SOURCE_DIR}/tests/common)
  target_link_libraries(outcome_window_tests PRIVATE kro_outcome_pages GTest::gtest
    GTest::gtest_main)
  kro_window_test(outcome_window_tests PREFIX ${KRO_XPREFIX} LOCK kro_xprefix TIMEOUT 600
    COMMAND ${CMAKE_SOURCE_DIR}/tests/common/window-shots @PREFIX@
            ${CMAKE_BINARY_DIR}/artefacts/pages@SUFFIX@ $<TARGET_FILE:outcome_window_tests>)
endif()
