# The entry pages' decisions, natively under the sanitizers and in the Windows build.
set(KRO_ENTRY_SRC ${CMAKE_SOURCE_DIR}/src/pages)
kro_test(entry_pages_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_EntryLogic.cpp
          ${KRO_ENTRY_SRC}/diaWelcomeLogic.cpp
          ${KRO_ENTRY_SRC}/diaDestPathLogic.cpp
          ${KRO_ENTRY_SRC}/dialibsLogic.cpp
          ${KRO_ENTRY_SRC}/dia_SelectFolderLogic.cpp
  LIBS kro_base)
target_include_directories(entry_pages_tests PRIVATE ${KRO_ENTRY_SRC})

if(WIN32)
  # The pages as real windows on a virtual display, driven by real keys and clicks; a screenshot
  # of each page is kept under artefacts/pages.
  set(KRO_XPREFIX ${CMAKE_BINARY_DIR}/xprefix)
  add_executable(entry_pages_window_tests ${CMAKE_CURRENT_LIST_DIR}/test_EntryPages.cpp
    ${CMAKE_SOURCE_DIR}/tests/common/window-tests.rc)
  target_include_directories(entry_pages_window_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/common)
  target_link_libraries(entry_pages_window_tests PRIVATE kro_entry_pages kro_archive_hooks
    GTest::gtest GTest::gtest_main)
  kro_window_test(entry_pages_window_tests PREFIX ${KRO_XPREFIX} LOCK kro_xprefix TIMEOUT 300
    COMMAND ${CMAKE_SOURCE_DIR}/tests/common/window-shots @PREFIX@
            ${CMAKE_BINARY_DIR}/artefacts/pages@SUFFIX@ $<TARGET_FILE:entry_pages_window_tests>)
endif()
