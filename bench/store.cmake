# The store benchmark also times chapter loading, which lives in the deck library.
if(TARGET bench_store)
    target_link_libraries(bench_store PRIVATE deck store)
endif()
