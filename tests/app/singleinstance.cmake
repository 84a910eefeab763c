# The single-copy guard is tested across real processes: the peer stands in for the program.
add_executable(singleinstance_peer ${CMAKE_CURRENT_LIST_DIR}/singleinstance_peer.cpp)
target_link_libraries(singleinstance_peer PRIVATE netrove_common_cfg netrove_singleinstance Qt6::Widgets)

netrove_add_test(tst_singleinstance unit
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_singleinstance.cpp
    LIBS netrove_singleinstance)
target_compile_definitions(tst_singleinstance PRIVATE
    NETROVE_SINGLEINSTANCE_PEER="$<TARGET_FILE:singleinstance_peer>")
add_dependencies(tst_singleinstance singleinstance_peer)
# Twenty copies racing for the lock judge how fast a copy decides; other tests beside it would only
# measure the machine's load.
set_tests_properties(tst_singleinstance PROPERTIES RUN_SERIAL TRUE)
