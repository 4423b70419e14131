# libFuzzer target for the package reader (zip, zstd, SQLite collection).
quarnel_fuzz_instrument(deckpackage wordlist)
quarnel_fuzzer(fuzz_package SOURCES ${CMAKE_CURRENT_LIST_DIR}/package.cpp LIBS deckpackage PkgConfig::LIBZIP)
