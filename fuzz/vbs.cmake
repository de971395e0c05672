# The script engine reads untrusted text: the parser alone, and parse-and-run with a step budget.
# Seeds: the conformance scripts themselves, the player's test scripts and the examples, plus a
# console-like script.
set(vbs_seeds ${PROJECT_SOURCE_DIR}/tests/vbs ${PROJECT_SOURCE_DIR}/tests/play/scripts ${PROJECT_SOURCE_DIR}/examples
    ${CMAKE_CURRENT_LIST_DIR}/corpus/vbs_extra)
qp_add_fuzzer(vbs_parse_fuzzer vbs/ParseFuzzer.cpp qp_vbs CORPUS ${vbs_seeds})
qp_add_fuzzer(vbs_run_fuzzer vbs/RunFuzzer.cpp qp_vbs CORPUS ${vbs_seeds})
