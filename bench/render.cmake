# The card face benchmark needs the render library.
if(TARGET bench_render)
    target_link_libraries(bench_render PRIVATE render)
endif()
