quarnel_test(tst_frmmain SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_frmmain.cpp LIBS session)
quarnel_test(tst_shuffler SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_shuffler.cpp LIBS session)
