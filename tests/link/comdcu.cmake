# The port settings dialog.
kz_add_test(test_comdcu ${CMAKE_CURRENT_LIST_DIR}/test_comdcu.cpp)
# openpty for the pseudo-terminal tests.
target_link_libraries(test_comdcu PRIVATE util)
