# Failing writes for every writer of both programs (full disk, folders removed or replaced).
if(TARGET loader AND TARGET sessionfiles AND TARGET editor)
    quarnel_test(tst_faults SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_faults.cpp
                 LIBS loader sessionfiles editor Qt6::Widgets)
endif()
