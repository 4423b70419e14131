# A package of 50,000 notes and 500,000 reviews imported with its history.
if(TARGET deckpackage)
    add_executable(bench_package ${CMAKE_CURRENT_LIST_DIR}/bench_package.cpp)
    target_include_directories(bench_package PRIVATE ${PROJECT_SOURCE_DIR}/tests/package)
    target_link_libraries(bench_package PRIVATE deckpackage editorcore Qt6::Sql PkgConfig::LIBZIP PkgConfig::LIBZSTD)
endif()
