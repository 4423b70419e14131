if(TARGET findui)
    quarnel_test(tst_findviewer SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_findviewer.cpp LIBS findui)
endif()
