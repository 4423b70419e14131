# The store benchmark also times chapter loading (the deck library) and progress files.
if(TARGET bench_store)
    target_link_libraries(bench_store PRIVATE deck store sessionfiles)
endif()
