// qp_recordargs ARGS...: appends its arguments, one per line, to the file named by the
// environment variable QP_RECORD_FILE, after a line "argc N". A backslash in an argument is
// written as "\\" and a newline as "\n", so every vector reads back unambiguously.

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    const char* path = std::getenv("QP_RECORD_FILE");
    if (!path)
        return 2;
    FILE* f = std::fopen(path, "a");
    if (!f)
        return 3;
    std::fprintf(f, "argc %d\n", argc);
    for (int i = 1; i < argc; ++i) {
        for (const char* c = argv[i]; *c; ++c) {
            if (*c == '\\')
                std::fputs("\\\\", f);
            else if (*c == '\n')
                std::fputs("\\n", f);
            else
                std::fputc(*c, f);
        }
        std::fputc('\n', f);
    }
    std::fclose(f);
    return 0;
}
