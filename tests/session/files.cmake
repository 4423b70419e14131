quarnel_test(tst_progressfile SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_progressfile.cpp LIBS sessionfiles)
quarnel_test(tst_statistics SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_statistics.cpp LIBS sessionfiles)
