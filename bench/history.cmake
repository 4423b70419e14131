# The review history at the size of years of study: open, rebuild, due deck, one grade.
if(TARGET history)
    add_executable(bench_history ${CMAKE_CURRENT_LIST_DIR}/bench_history.cpp)
    target_link_libraries(bench_history PRIVATE history Qt6::Sql)
endif()
