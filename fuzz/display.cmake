# The screen readers and the frame detection: screen contents are whatever the program under
# test wrote.
qp_add_fuzzer(screen_readers_fuzzer display/ScreenReadersFuzzer.cpp qp_display_text)
