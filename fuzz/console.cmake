# Fuzz targets of the hosted console: the terminal output path (bytes, resizes and keys
# into the emulator and screen model, snapshots out), our terminal against libvterm, the
# profile reader and the tokenizer.
qp_add_fuzzer(fuzz_console_terminal console/TerminalFuzz.cpp qp_console)
# Our terminal against libvterm, which stays in the tests as the reference.
qp_add_fuzzer(fuzz_console_differential console/DifferentialFuzz.cpp qp_console qp_vterm_oracle)
qp_add_fuzzer(fuzz_console_profile console/ProfileFuzz.cpp qp_console)
qp_add_fuzzer(fuzz_console_tokenizer console/TokenizerFuzz.cpp qp_console)
