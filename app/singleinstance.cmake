# The single-copy guard: a core target without widgets.
add_library(netrove_singleinstance STATIC
    ${CMAKE_CURRENT_LIST_DIR}/SingleInstance.h
    ${CMAKE_CURRENT_LIST_DIR}/SingleInstance.cpp
)
target_link_libraries(netrove_singleinstance PUBLIC netrove_common_cfg Qt6::Core Qt6::Network)
