# The chapter selection window sits on top of the study session and the theme step.
add_library(chapterui STATIC ${CMAKE_CURRENT_LIST_DIR}/frmchapter.cpp ${CMAKE_CURRENT_LIST_DIR}/frmchapter.h)
target_include_directories(chapterui PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(chapterui PUBLIC session theme loader dialogs)
