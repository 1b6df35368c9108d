# Address scan logic and window, and the family window base.
kz_add_test(test_addressscan ${CMAKE_CURRENT_LIST_DIR}/test_addressscan.cpp)
kz_add_test(test_rsaddersdcu ${CMAKE_CURRENT_LIST_DIR}/test_rsaddersdcu.cpp)
