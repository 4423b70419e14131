# The Find window and the Item Viewer.
add_library(findui STATIC
    ${CMAKE_CURRENT_LIST_DIR}/frmfind.cpp ${CMAKE_CURRENT_LIST_DIR}/frmfind.h
    ${CMAKE_CURRENT_LIST_DIR}/frmviewer.cpp ${CMAKE_CURRENT_LIST_DIR}/frmviewer.h
    ${CMAKE_CURRENT_LIST_DIR}/viewermodel.cpp ${CMAKE_CURRENT_LIST_DIR}/viewermodel.h)
target_include_directories(findui PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(findui PUBLIC session Qt6::Widgets)
