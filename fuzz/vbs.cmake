# The script engine reads untrusted text: the parser alone, and parse-and-run with a step budget.
qp_add_fuzzer(vbs_parse_fuzzer vbs/ParseFuzzer.cpp qp_vbs)
qp_add_fuzzer(vbs_run_fuzzer vbs/RunFuzzer.cpp qp_vbs)
foreach(target vbs_parse_fuzzer vbs_run_fuzzer)
  target_include_directories(${target} PRIVATE ${CMAKE_CURRENT_LIST_DIR}/vbs)
endforeach()
