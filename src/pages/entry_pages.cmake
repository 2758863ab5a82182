# The entry pages: welcome, cancel confirmation, destination, folder picker, library. Their
# decisions live in the *Logic.cpp files (kro_entry_logic).
add_library(kro_entry_logic STATIC
  ${CMAKE_CURRENT_LIST_DIR}/diaWelcomeLogic.cpp
  ${CMAKE_CURRENT_LIST_DIR}/diaDestPathLogic.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dialibsLogic.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dia_SelectFolderLogic.cpp)
target_include_directories(kro_entry_logic PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(kro_entry_logic PUBLIC kro_base)

if(WIN32)
  add_library(kro_entry_pages STATIC
    ${CMAKE_CURRENT_LIST_DIR}/diaPageFrame.cpp
    ${CMAKE_CURRENT_LIST_DIR}/diaWelcomeFlags.cpp
    ${CMAKE_CURRENT_LIST_DIR}/diaWelcome.cpp
    ${CMAKE_CURRENT_LIST_DIR}/diaCancel.cpp
    ${CMAKE_CURRENT_LIST_DIR}/diaDestPath.cpp
    ${CMAKE_CURRENT_LIST_DIR}/dia_SelectFolder.cpp
    ${CMAKE_CURRENT_LIST_DIR}/dia_SelectFolderTree.cpp
    ${CMAKE_CURRENT_LIST_DIR}/dialibs.cpp)
  target_link_libraries(kro_entry_pages PUBLIC kro_entry_logic kro_forms kro_controls kro_driver
    kro_base shell32 ole32)
endif()
