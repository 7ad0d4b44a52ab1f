# The libFuzzer target over ListStringScanf. Include it from a clang build
# whose vorn library is compiled with -fsanitize=fuzzer-no-link,address,undefined;
# run it as: list_scanf_fuzz -close_fd_mask=3 fuzz/corpus/list_scanf
add_executable(list_scanf_fuzz ${CMAKE_CURRENT_LIST_DIR}/list_scanf_fuzz.cpp)
target_compile_options(list_scanf_fuzz PRIVATE -fsanitize=fuzzer,address,undefined)
target_link_options(list_scanf_fuzz PRIVATE -fsanitize=fuzzer,address,undefined)
target_link_libraries(list_scanf_fuzz PRIVATE vorn)
