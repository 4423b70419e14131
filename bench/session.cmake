# The shuffle benchmark runs the real main card window.
if(TARGET bench_session)
    target_link_libraries(bench_session PRIVATE session)
endif()
