// qp_recordargs ARGS...: appends its arguments, one per line, to the file named by the
// environment variable QP_RECORD_FILE, after a line "argc N".

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
    for (int i = 1; i < argc; ++i)
        std::fprintf(f, "%s\n", argv[i]);
    std::fclose(f);
    return 0;
}
