# The statistics' figures at the size of years of study: all chapters and one chapter.
if(TARGET reviewstats)
    add_executable(bench_reviewstats ${CMAKE_CURRENT_LIST_DIR}/bench_reviewstats.cpp)
    target_link_libraries(bench_reviewstats PRIVATE reviewstats Qt6::Sql)
endif()
