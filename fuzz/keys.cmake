# The key notation: control text and key combinations come from scripts and outside callers.
qp_add_fuzzer(keys_notation_fuzzer keys/KeyNotationFuzzer.cpp qp_keys)
