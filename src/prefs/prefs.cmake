# The Preferences window and the first-run setup wizard.
add_library(prefs STATIC
    ${CMAKE_CURRENT_LIST_DIR}/frmoptions.cpp ${CMAKE_CURRENT_LIST_DIR}/frmoptions.h
    ${CMAKE_CURRENT_LIST_DIR}/frmsetup.cpp ${CMAKE_CURRENT_LIST_DIR}/frmsetup.h)
target_include_directories(prefs PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(prefs PUBLIC theme session render loader dialogs)
