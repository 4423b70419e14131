# Progress files and the statistics export: no windows of their own, only the dialog and
# message-box services.
add_library(sessionfiles STATIC
    ${CMAKE_CURRENT_LIST_DIR}/progressfile.cpp ${CMAKE_CURRENT_LIST_DIR}/progressfile.h
    ${CMAKE_CURRENT_LIST_DIR}/statistics.cpp ${CMAKE_CURRENT_LIST_DIR}/statistics.h)
target_include_directories(sessionfiles PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(sessionfiles PUBLIC deck dialogs runtime loader platformcore Qt6::Core)
