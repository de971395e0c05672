# The text library: every byte string a program, a file or a caller gives is decoded by it.
qp_add_fuzzer(text_utf_fuzzer text/UtfFuzzer.cpp qp_text)
