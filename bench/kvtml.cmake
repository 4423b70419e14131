# Opening a KVTML file of 20,000 entries: the reader alone, and in the editor's window.
add_executable(bench_kvtml bench_kvtml.cpp)
target_link_libraries(bench_kvtml PRIVATE testsupport editor kvtml Qt6::Widgets)
