# The Statistics window at the size of years of study.
if(TARGET statsui)
    add_executable(bench_statswindow ${CMAKE_CURRENT_LIST_DIR}/bench_statswindow.cpp)
    target_link_libraries(bench_statswindow PRIVATE statsui history Qt6::Sql)
endif()
