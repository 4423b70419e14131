# The editor's benchmark needs the editor library besides the test support.
if(TARGET bench_editor)
    target_link_libraries(bench_editor PRIVATE editor Qt6::Widgets)
endif()
