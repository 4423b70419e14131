# The splash window and its painter, the About window and the product-page opener.
add_library(splashui STATIC
    frmsplash.cpp frmsplash.h
    splashpainter.cpp splashpainter.h
    splashpictures.cpp splashpictures.h
    frmabout.cpp frmabout.h
    productpage.cpp productpage.h)
target_include_directories(splashui PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(splashui PUBLIC render loader platformcore Qt6::Widgets)
